#include "platform/ui/controls/Slider.h"

#include "platform/ui/compositing/Animation.h"
#include "platform/ui/gestures/PanGestureRecognizer.h"
#include "platform/ui/gestures/SwipeGestureRecognizer.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Color;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

constexpr double kThumbDiameter = 28;
constexpr double kTrackHeight = 2;
constexpr double kSliderHeight = 31;
// A finger this close to the thumb still grabs it.
constexpr double kThumbGrabMargin = 10;
constexpr double kAnimationDuration = 0.2;

ViewPtr makePart() {
    auto part = makeView<View>();
    part->setUserInteractionEnabled(false);
    return part;
}

}  // namespace

Slider::Slider() : Slider(Rect()) {}

Slider::Slider(const Rect& frame) : Control(frame) {
    setOpaque(false);
    maximumTrack_ = makePart();
    minimumTrack_ = makePart();
    thumb_ = makePart();
    for (View* track : {maximumTrack_.get(), minimumTrack_.get()}) track->layer().setCornerRadius(kTrackHeight / 2);
    Layer& thumb = thumb_->layer();
    thumb.setCornerRadius(kThumbDiameter / 2);
    thumb.setBorderWidth(0.5);
    thumb.setBorderColor(Color::grey(0.0, 0.12));
    thumb.setShadowOpacity(0.25);
    thumb.setShadowRadius(2);
    thumb.setShadowOffset(Size{0, 2});
    addSubview(maximumTrack_);
    addSubview(minimumTrack_);
    addSubview(thumb_);
    updateColors();
}

double Slider::clamp(double value) const { return std::clamp(value, minimumValue_, maximumValue_); }

void Slider::setValue(double value) { setValue(value, false); }

void Slider::setValue(double value, bool animated) {
    if (std::isnan(value)) return;
    value = clamp(value);
    if (value == value_) return;
    value_ = value;
    setNeedsLayout();
    if (animated) animate(kAnimationDuration, [this] { layoutIfNeeded(); });
}

void Slider::setMinimumValue(double minimum) {
    if (std::isnan(minimum)) return;
    minimumValue_ = minimum;
    maximumValue_ = std::max(maximumValue_, minimum);
    value_ = clamp(value_);
    setNeedsLayout();
}

void Slider::setMaximumValue(double maximum) {
    if (std::isnan(maximum)) return;
    maximumValue_ = maximum;
    minimumValue_ = std::min(minimumValue_, maximum);
    value_ = clamp(value_);
    setNeedsLayout();
}

void Slider::setMinimumTrackTintColor(std::optional<Color> color) {
    minimumTrackTint_ = std::move(color);
    updateColors();
}

void Slider::setMaximumTrackTintColor(std::optional<Color> color) {
    maximumTrackTint_ = std::move(color);
    updateColors();
}

void Slider::setThumbTintColor(std::optional<Color> color) {
    thumbTint_ = std::move(color);
    updateColors();
}

void Slider::setThumbImage(std::optional<graphics::Image> image) {
    thumbImage_ = std::move(image);
    Layer& thumb = thumb_->layer();
    // The picture brings its own look: no round white knob, border or shadow.
    const bool knob = !thumbImage_;
    thumb.setContents(thumbImage_);
    thumb.setCornerRadius(knob ? kThumbDiameter / 2 : 0);
    thumb.setBorderWidth(knob ? 0.5 : 0);
    thumb.setShadowOpacity(knob ? 0.25 : 0);
    updateColors();
}

void Slider::tintColorDidChange() { updateColors(); }

void Slider::updateColors() {
    minimumTrack_->setBackgroundColor(minimumTrackTint_.value_or(tintColor()));
    maximumTrack_->setBackgroundColor(maximumTrackTint_.value_or(Color::rgb8(183, 183, 183)));
    if (thumbImage_)
        thumb_->setBackgroundColor(std::nullopt);
    else
        thumb_->setBackgroundColor(thumbTint_.value_or(Color::white()));
}

// ---- geometry ---------------------------------------------------------------------------

Rect Slider::trackRectForBounds(const Rect& bounds) const {
    return Rect(bounds.origin.x, bounds.midY() - kTrackHeight / 2, bounds.size.width, kTrackHeight);
}

Rect Slider::thumbRectForBounds(const Rect& bounds, const Rect& trackRect, double value) const {
    double range = maximumValue_ - minimumValue_;
    double fraction = range > 0 ? (value - minimumValue_) / range : 0;
    // The thumb stays whole inside the track's ends.
    double travel = std::max(0.0, trackRect.size.width - kThumbDiameter);
    double x = trackRect.origin.x + fraction * travel;
    return Rect(x, bounds.midY() - kThumbDiameter / 2, kThumbDiameter, kThumbDiameter);
}

Size Slider::sizeThatFits(Size) const { return Size{std::max(bounds().size.width, kThumbDiameter), kSliderHeight}; }

void Slider::layoutSubviews() {
    Rect b = bounds();
    Rect track = trackRectForBounds(b);
    Rect thumb = thumbRectForBounds(b, track, value_);
    maximumTrack_->setFrame(track);
    minimumTrack_->setFrame(
        Rect(track.origin.x, track.origin.y, std::max(0.0, thumb.midX() - track.origin.x), track.size.height));
    thumb_->setFrame(thumb);
}

// ---- tracking ---------------------------------------------------------------------------

bool Slider::claimsGestureRecognizer(const GestureRecognizer& recognizer) const {
    bool drag = dynamic_cast<const PanGestureRecognizer*>(&recognizer) ||
                dynamic_cast<const SwipeGestureRecognizer*>(&recognizer);
    return drag ? isTracking() : Control::claimsGestureRecognizer(recognizer);
}

bool Slider::beginTrackingWithTouch(const Touch& touch, const Event&) {
    Rect b = bounds();
    Rect thumb = thumbRectForBounds(b, trackRectForBounds(b), value_);
    Point p = touch.locationInView(this);
    Rect grab(thumb.origin.x - kThumbGrabMargin, thumb.origin.y - kThumbGrabMargin,
              thumb.size.width + 2 * kThumbGrabMargin, thumb.size.height + 2 * kThumbGrabMargin);
    if (!grab.contains(p)) return false;
    grabOffset_ = p.x - thumb.midX();
    valueAtGrab_ = value_;
    return true;
}

bool Slider::continueTrackingWithTouch(const Touch& touch, const Event&) {
    Rect track = trackRectForBounds(bounds());
    double travel = track.size.width - kThumbDiameter;
    if (travel <= 0) return true;
    double centre = touch.locationInView(this).x - grabOffset_;
    double fraction = (centre - track.origin.x - kThumbDiameter / 2) / travel;
    setValueFromTracking(minimumValue_ + fraction * (maximumValue_ - minimumValue_));
    return true;
}

void Slider::endTrackingWithTouch(const Touch& touch, const Event& event) {
    continueTrackingWithTouch(touch, event);
    if (!continuous_ && value_ != valueAtGrab_) sendActionsForControlEvents(ControlEventValueChanged);
}

void Slider::cancelTrackingWithEvent(const Event*) {
    // What was dragged stays; a non-continuous slider still reports it,
    // unless it was disabled under the finger.
    if (isEnabled() && !continuous_ && value_ != valueAtGrab_) sendActionsForControlEvents(ControlEventValueChanged);
}

void Slider::setValueFromTracking(double value) {
    double before = value_;
    setValue(value);
    layoutIfNeeded();
    if (continuous_ && value_ != before) sendActionsForControlEvents(ControlEventValueChanged);
}

}  // namespace ui
