#include "platform/ui/gestures/SwipeGestureRecognizer.h"

#include <cmath>

namespace ui {

void SwipeGestureRecognizer::touchesBegan(const TouchSet&, const Event& event) {
    if (numberOfTouches() > numberOfTouchesRequired) {
        setState(GestureState::Failed);
        return;
    }
    // The stroke is measured from the moment all its fingers are down.
    if (numberOfTouches() == numberOfTouchesRequired) {
        start_ = locationInView(nullptr);
        startTime_ = event.timestamp;
        started_ = true;
    }
}

void SwipeGestureRecognizer::touchesMoved(const TouchSet&, const Event& event) {
    if (!started_) return;
    if (event.timestamp - startTime_ > kMaximumDuration) {
        setState(GestureState::Failed);
        return;
    }
    graphics::Point now = locationInView(nullptr);
    double dx = now.x - start_.x, dy = now.y - start_.y;
    struct Axis {
        unsigned bit;
        double along, across;
    };
    const Axis axes[] = {{SwipeDirectionRight, dx, dy},
                         {SwipeDirectionLeft, -dx, dy},
                         {SwipeDirectionUp, -dy, dx},
                         {SwipeDirectionDown, dy, dx}};
    for (const Axis& axis : axes) {
        if (!(direction & axis.bit)) continue;
        if (axis.along >= kMinimumDistance && std::fabs(axis.across) <= axis.along * kMaximumDeviation) {
            setState(GestureStateRecognized);
            return;
        }
    }
    // Gone the distance, but in no allowed direction.
    if (std::hypot(dx, dy) >= kMinimumDistance * (1 + kMaximumDeviation)) setState(GestureState::Failed);
}

void SwipeGestureRecognizer::touchesEnded(const TouchSet& touches, const Event& event) {
    touchesMoved(touches, event);
    if (state() == GestureState::Possible) setState(GestureState::Failed);
}

void SwipeGestureRecognizer::touchesCancelled(const TouchSet&, const Event&) { setState(GestureState::Failed); }

void SwipeGestureRecognizer::reset() {
    started_ = false;
    startTime_ = 0;
    GestureRecognizer::reset();
}

}  // namespace ui
