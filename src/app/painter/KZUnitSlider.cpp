#include "app/painter/KZUnitSlider.h"

#include "app/painter/ColorPickerGeometry.h"
#include "app/painter/PainterResources.h"
#include "app/widgets/views/SAMGradientView.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSideInset = 6;
constexpr double kEndInset = 18;

std::shared_ptr<SAMGradientView> makeGradient(double cornerRadius, double borderWidth) {
    auto gradient = ui::makeView<SAMGradientView>();
    gradient->setUserInteractionEnabled(false);
    gradient->layer().setCornerRadius(cornerRadius);
    gradient->layer().setBorderWidth(borderWidth);
    gradient->layer().setBorderColor(graphics::Color::white());
    gradient->setClipsToBounds(true);
    return gradient;
}

}  // namespace

KZUnitSlider::KZUnitSlider(const graphics::Rect& frame) : ui::Control(frame) {
    sliderKnobView_ = painterresources::makeKnobView();
    addSubview(sliderKnobView_);
    setBackgroundColor(graphics::Color::clear());
    setUserInteractionEnabled(true);
    setValue(0.0);
}

void KZUnitSlider::setValue(double value) {
    if (std::isnan(value)) value = 0;
    value_ = std::clamp(value, 0.0, 1.0);
    sliderKnobView_->setCenter(
        colorpicker::unitSliderKnobCenter(value_, horizontal_, bounds().size, sliderKnobView_->bounds().size));
}

void KZUnitSlider::setHorizontal(bool horizontal) {
    horizontal_ = horizontal;
    layoutGradient();
    setValue(value_);
}

void KZUnitSlider::mapPointToValue(graphics::Point point) {
    setValue(colorpicker::unitSliderValueAt(point, horizontal_, bounds().size));
    sendActionsForControlEvents(ui::ControlEventValueChanged);
}

void KZUnitSlider::setFrame(const graphics::Rect& frame) {
    ui::Control::setFrame(frame);
    layoutGradient();
    setValue(value_);
}

void KZUnitSlider::didAddSubview(ui::View* subview) {
    if (sliderKnobView_ && subview != sliderKnobView_.get()) bringSubviewToFront(sliderKnobView_.get());
}

bool KZUnitSlider::beginTrackingWithTouch(const ui::Touch& touch, const ui::Event&) {
    mapPointToValue(touch.locationInView(this));
    return true;
}

bool KZUnitSlider::continueTrackingWithTouch(const ui::Touch& touch, const ui::Event&) {
    mapPointToValue(touch.locationInView(this));
    return true;
}

void KZUnitSlider::endTrackingWithTouch(const ui::Touch& touch, const ui::Event&) {
    mapPointToValue(touch.locationInView(this));
}

graphics::Rect KZUnitSlider::gradientFrame() const {
    const graphics::Size size = bounds().size;
    if (horizontal_)
        return {kEndInset, kSideInset, std::max(0.0, size.width - 2 * kEndInset),
                std::max(0.0, size.height - 2 * kSideInset)};
    return {kSideInset, kEndInset, std::max(0.0, size.width - 2 * kSideInset),
            std::max(0.0, size.height - 2 * kEndInset)};
}

KZColorPickerBrightnessSlider::KZColorPickerBrightnessSlider(const graphics::Rect& frame) : KZUnitSlider(frame) {
    gradientLayer_ = makeGradient(3, 1);
    insertSubviewAtIndex(gradientLayer_, 0);
    layoutGradient();
    setKeyColor(graphics::Color::white());
}

void KZColorPickerBrightnessSlider::setKeyColor(const graphics::Color& color) {
    gradientLayer_->setGradientColors({color, graphics::Color::black()});
}

void KZColorPickerBrightnessSlider::layoutGradient() {
    if (!gradientLayer_) return;  // during the base's construction
    gradientLayer_->setFrame(gradientFrame());
    gradientLayer_->setGradientDirection(horizontal() ? SAMGradientViewDirection::Horizontal
                                                      : SAMGradientViewDirection::Vertical);
}

KZColorPickerAlphaSlider::KZColorPickerAlphaSlider(const graphics::Rect& frame) : KZUnitSlider(frame) {
    checkerboard_ = ui::makeView();
    checkerboard_->setBackgroundColor(painterresources::checkerboardColor());
    checkerboard_->layer().setCornerRadius(6);
    checkerboard_->setClipsToBounds(true);
    checkerboard_->setUserInteractionEnabled(false);
    insertSubviewAtIndex(checkerboard_, 0);
    gradientLayer_ = makeGradient(4, 2);
    insertSubviewAboveSubview(gradientLayer_, checkerboard_.get());
    layoutGradient();
    setKeyColor(graphics::Color::white());
}

void KZColorPickerAlphaSlider::setKeyColor(const graphics::Color& color) {
    gradientLayer_->setGradientColors({color, color.withAlpha(0)});
}

void KZColorPickerAlphaSlider::layoutGradient() {
    if (!gradientLayer_) return;
    gradientLayer_->setFrame(gradientFrame());
    checkerboard_->setFrame(gradientFrame());
    gradientLayer_->setGradientDirection(horizontal() ? SAMGradientViewDirection::Horizontal
                                                      : SAMGradientViewDirection::Vertical);
}
