#include "app/painter/KZColorPickerHSWheel.h"

#include "app/painter/PainterResources.h"

using colorpicker::kWheelSide;

KZColorPickerHSWheel::KZColorPickerHSWheel(graphics::Point origin)
    : ui::Control(graphics::Rect(origin.x, origin.y, kWheelSide, kWheelSide)) {
    wheelImageView_ = ui::makeView<ui::ImageView>(graphics::Rect(0, 0, kWheelSide, kWheelSide));
    wheelImageView_->setImage(painterresources::image(painterresources::kColorWheel));
    wheelImageView_->setContentMode(ui::ContentMode::TopLeft);
    wheelImageView_->setUserInteractionEnabled(false);
    addSubview(wheelImageView_);
    wheelKnobView_ = painterresources::makeKnobView();
    addSubview(wheelKnobView_);
    setUserInteractionEnabled(true);
    setCurrentHSV({0, 0, 1});
}

void KZColorPickerHSWheel::setCurrentHSV(colorpicker::HSV hsv) {
    currentHSV_ = {hsv.h, hsv.s, 1.0f};
    const graphics::Rect picture = wheelImageView_->frame();
    wheelKnobView_->setCenter(colorpicker::wheelKnobCenter(currentHSV_.h, currentHSV_.s, picture.size,
                                                           wheelKnobView_->bounds().size, picture.origin));
}

void KZColorPickerHSWheel::mapPointToColor(graphics::Point point) {
    const auto picked = colorpicker::wheelHueSaturationAt(point, wheelImageView_->bounds().size);
    setCurrentHSV({picked.hue, picked.saturation, 1.0f});
    sendActionsForControlEvents(ui::ControlEventValueChanged);
}

void KZColorPickerHSWheel::mapTouch(const ui::Touch& touch) {
    mapPointToColor(touch.locationInView(wheelImageView_.get()));
}

bool KZColorPickerHSWheel::beginTrackingWithTouch(const ui::Touch& touch, const ui::Event&) {
    if (!wheelImageView_->frame().contains(touch.locationInView(this))) return false;
    mapTouch(touch);
    return true;
}

bool KZColorPickerHSWheel::continueTrackingWithTouch(const ui::Touch& touch, const ui::Event&) {
    mapTouch(touch);
    return true;
}

void KZColorPickerHSWheel::endTrackingWithTouch(const ui::Touch& touch, const ui::Event&) { mapTouch(touch); }
