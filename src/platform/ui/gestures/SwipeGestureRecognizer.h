#pragma once

// Recognises a quick straight stroke in one of the allowed directions.
// Discrete: Recognized while the fingers are still moving, as soon as they
// have gone kMinimumDistance points within kMaximumDuration seconds and
// stayed within about 27 degrees of an allowed direction.

#include "platform/ui/gestures/GestureRecognizer.h"

namespace ui {

// The platform's direction bits.
enum SwipeGestureRecognizerDirection : unsigned {
    SwipeDirectionRight = 1 << 0,
    SwipeDirectionLeft = 1 << 1,
    SwipeDirectionUp = 1 << 2,
    SwipeDirectionDown = 1 << 3,
};

class SwipeGestureRecognizer : public GestureRecognizer {
public:
    using GestureRecognizer::GestureRecognizer;

    static constexpr double kMinimumDistance = 50.0;  // points
    static constexpr double kMaximumDuration = 0.5;   // seconds from touch-down
    // The sideways movement allowed, as a share of the movement along the direction.
    static constexpr double kMaximumDeviation = 0.5;

    unsigned direction = SwipeDirectionRight;
    size_t numberOfTouchesRequired = 1;

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

private:
    graphics::Point start_;  // centroid in window coordinates
    double startTime_ = 0;
    bool started_ = false;
};

}  // namespace ui
