#include "platform/ui/controls/Switch.h"

#include "platform/ui/compositing/Animation.h"
#include "platform/ui/gestures/PanGestureRecognizer.h"

#include <cmath>

namespace ui {

using graphics::Color;
using graphics::Rect;
using graphics::Size;

namespace {

constexpr double kThumbInset = 2;
constexpr double kThumbDiameter = Switch::kHeight - 2 * kThumbInset;
// A finger that moves further than this drags rather than taps.
constexpr double kDragThreshold = 6;
constexpr double kAnimationDuration = 0.25;

const Color kDefaultOnTint = Color::rgb8(76, 217, 100);
const Color kOffBorder = Color::grey(0.9);

}  // namespace

Switch::Switch() : Switch(Rect()) {}

Switch::Switch(const Rect& frame) : Control(Rect(frame.origin.x, frame.origin.y, kWidth, kHeight)) {
    setOpaque(false);
    track_ = makeView<View>();
    track_->setUserInteractionEnabled(false);
    track_->layer().setCornerRadius(kHeight / 2);
    thumb_ = makeView<View>();
    thumb_->setUserInteractionEnabled(false);
    Layer& thumb = thumb_->layer();
    thumb.setCornerRadius(kThumbDiameter / 2);
    thumb.setShadowOpacity(0.25);
    thumb.setShadowRadius(2);
    thumb.setShadowOffset(Size{0, 2});
    addSubview(track_);
    addSubview(thumb_);
    updateLook();
}

void Switch::setOn(bool on) { setOn(on, false); }

void Switch::setOn(bool on, bool animated) {
    if (on_ == on) return;
    on_ = on;
    if (animated) {
        animate(kAnimationDuration, [this] {
            updateLook();
            setNeedsLayout();
            layoutIfNeeded();
        });
    } else {
        updateLook();
        setNeedsLayout();
    }
}

void Switch::setOnTintColor(std::optional<Color> color) {
    onTint_ = std::move(color);
    updateLook();
}

void Switch::setThumbTintColor(std::optional<Color> color) {
    thumbTint_ = std::move(color);
    updateLook();
}

void Switch::updateLook() {
    Color onColor = onTint_.value_or(kDefaultOnTint);
    // Off: a light outline on a clear track; on: the track filled.
    track_->setBackgroundColor(on_ ? onColor : Color::clear());
    track_->layer().setBorderColor(on_ ? onColor : kOffBorder);
    track_->layer().setBorderWidth(1.5);
    thumb_->setBackgroundColor(thumbTint_.value_or(Color::white()));
}

Size Switch::sizeThatFits(Size) const { return Size{kWidth, kHeight}; }

void Switch::layoutSubviews() {
    track_->setFrame(Rect(0, 0, kWidth, kHeight));
    double x = on_ ? kWidth - kThumbInset - kThumbDiameter : kThumbInset;
    thumb_->setFrame(Rect(x, kThumbInset, kThumbDiameter, kThumbDiameter));
}

bool Switch::claimsGestureRecognizer(const GestureRecognizer& recognizer) const {
    return dynamic_cast<const PanGestureRecognizer*>(&recognizer) || Control::claimsGestureRecognizer(recognizer);
}

bool Switch::beginTrackingWithTouch(const Touch& touch, const Event&) {
    touchStartX_ = touch.locationInView(this).x;
    dragged_ = false;
    return true;
}

bool Switch::continueTrackingWithTouch(const Touch& touch, const Event&) {
    if (std::fabs(touch.locationInView(this).x - touchStartX_) > kDragThreshold) dragged_ = true;
    return true;
}

void Switch::endTrackingWithTouch(const Touch& touch, const Event&) {
    bool newValue;
    if (dragged_) {
        newValue = touch.locationInView(this).x > kWidth / 2;
    } else {
        // A tap that slid off the switch does not flip it.
        if (!isPointInsideTrackingArea(touch.locationInView(this))) return;
        newValue = !on_;
    }
    if (newValue == on_) return;
    setOn(newValue, true);
    sendActionsForControlEvents(ControlEventValueChanged);
}

}  // namespace ui
