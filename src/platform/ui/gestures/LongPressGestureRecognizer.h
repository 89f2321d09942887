#pragma once

// Recognises fingers held still for minimumPressDuration. Continuous: Began
// when the time has passed, Changed as the fingers then move, Ended when they
// lift. Lifting early or moving more than allowableMovement first fails it.

#include "platform/ui/gestures/GestureRecognizer.h"

namespace ui {

class LongPressGestureRecognizer : public GestureRecognizer {
public:
    using GestureRecognizer::GestureRecognizer;
    ~LongPressGestureRecognizer() override;

    double minimumPressDuration = 0.5;  // seconds
    double allowableMovement = 10.0;    // points
    size_t numberOfTouchesRequired = 1;

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

private:
    void stopTimer();

    bool timing_ = false;
    graphics::Point start_;  // centroid in window coordinates when the fingers settled
};

}  // namespace ui
