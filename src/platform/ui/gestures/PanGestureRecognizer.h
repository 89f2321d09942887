#pragma once

// Recognises fingers dragged across the view. Continuous: Began once the
// fingers' centroid has moved kHysteresis points, Changed with every move,
// Ended when fewer than minimumNumberOfTouches remain.
//
// The translation accumulates the centroid's movement, so fingers added or
// lifted during the drag do not make it jump. Fingers beyond
// maximumNumberOfTouches are ignored.

#include "platform/ui/gestures/GestureRecognizer.h"
#include "platform/ui/gestures/VelocityTracker.h"

#include <cstddef>
#include <limits>

namespace ui {

class PanGestureRecognizer : public GestureRecognizer {
public:
    using GestureRecognizer::GestureRecognizer;

    static constexpr double kHysteresis = 10.0;  // points before the pan begins

    size_t minimumNumberOfTouches = 1;
    size_t maximumNumberOfTouches = std::numeric_limits<size_t>::max();

    // The movement since the gesture started (or since setTranslation), in a
    // view's coordinates (the window's when null).
    graphics::Point translationInView(const View* view) const;
    void setTranslation(graphics::Point translation, const View* view);
    // Points per second in a view's coordinates.
    graphics::Point velocityInView(const View* view) const;

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

private:
    bool isTracked(const Touch* touch) const;
    void accumulate(const TouchSet& touches, double time);

    TouchSet tracked_;
    graphics::Point translation_;  // window coordinates
    VelocityTracker velocity_;
};

}  // namespace ui
