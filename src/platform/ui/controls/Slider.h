#pragma once

// A horizontal slider: a thumb dragged along a track between a minimum and
// a maximum value. Only the thumb can be grabbed (a touch elsewhere on the
// track does nothing); it follows the finger's movement, so grabbing it off
// centre does not make it jump. A continuous slider sends ValueChanged at
// every change during the drag, another one once when the finger lifts.

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/controls/Control.h"

#include <memory>
#include <optional>

namespace ui {

class Slider : public Control {
public:
    Slider();
    explicit Slider(const graphics::Rect& frame);

    double value() const { return value_; }
    // Clamped into the range; a value that is not a number is refused.
    void setValue(double value);
    void setValue(double value, bool animated);
    double minimumValue() const { return minimumValue_; }
    // Raises the maximum when needed and moves the value into the range.
    void setMinimumValue(double minimum);
    double maximumValue() const { return maximumValue_; }
    // Lowers the minimum when needed and moves the value into the range.
    void setMaximumValue(double maximum);
    bool isContinuous() const { return continuous_; }
    void setContinuous(bool continuous) { continuous_ = continuous; }

    // The track left of the thumb takes the tint when unset.
    const std::optional<graphics::Color>& minimumTrackTintColor() const { return minimumTrackTint_; }
    void setMinimumTrackTintColor(std::optional<graphics::Color> color);
    const std::optional<graphics::Color>& maximumTrackTintColor() const { return maximumTrackTint_; }
    void setMaximumTrackTintColor(std::optional<graphics::Color> color);
    const std::optional<graphics::Color>& thumbTintColor() const { return thumbTint_; }
    void setThumbTintColor(std::optional<graphics::Color> color);
    // A picture drawn as the thumb instead of the round white knob (null:
    // the knob again); it fills the thumb's rectangle.
    const std::optional<graphics::Image>& thumbImage() const { return thumbImage_; }
    void setThumbImage(std::optional<graphics::Image> image);

    // The track's and the thumb's rectangles in the bounds.
    virtual graphics::Rect trackRectForBounds(const graphics::Rect& bounds) const;
    virtual graphics::Rect thumbRectForBounds(const graphics::Rect& bounds, const graphics::Rect& trackRect,
                                              double value) const;

    // The current width (at least the thumb's) and the platform's height.
    graphics::Size sizeThatFits(graphics::Size size) const override;
    void layoutSubviews() override;
    void tintColorDidChange() override;

    // A drag of the grabbed thumb is the slider's, not an enclosing pan's or swipe's.
    bool claimsGestureRecognizer(const GestureRecognizer& recognizer) const override;

    bool beginTrackingWithTouch(const Touch& touch, const Event& event) override;
    bool continueTrackingWithTouch(const Touch& touch, const Event& event) override;
    void endTrackingWithTouch(const Touch& touch, const Event& event) override;
    void cancelTrackingWithEvent(const Event* event) override;

private:
    void setValueFromTracking(double value);
    void updateColors();
    double clamp(double value) const;

    double value_ = 0;
    double minimumValue_ = 0;
    double maximumValue_ = 1;
    bool continuous_ = true;
    std::optional<graphics::Color> minimumTrackTint_;
    std::optional<graphics::Color> maximumTrackTint_;
    std::optional<graphics::Color> thumbTint_;
    std::optional<graphics::Image> thumbImage_;
    ViewPtr maximumTrack_;
    ViewPtr minimumTrack_;
    ViewPtr thumb_;
    // Horizontal distance from the thumb's centre to the finger when grabbed.
    double grabOffset_ = 0;
    double valueAtGrab_ = 0;
};

}  // namespace ui
