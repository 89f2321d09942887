#include "platform/ui/gestures/LongPressGestureRecognizer.h"

#include <cmath>

namespace ui {

namespace {
constexpr const char* kPressKey = "longpress.timer";
}

LongPressGestureRecognizer::~LongPressGestureRecognizer() { stopTimer(); }

void LongPressGestureRecognizer::stopTimer() {
    if (!timing_) return;
    timing_ = false;
    life_.cancelPerforms(kPressKey);
}

void LongPressGestureRecognizer::touchesBegan(const TouchSet&, const Event&) {
    if (state() != GestureState::Possible) return;
    if (numberOfTouches() > numberOfTouchesRequired) {
        stopTimer();
        setState(GestureState::Failed);
        return;
    }
    if (numberOfTouches() < numberOfTouchesRequired) return;
    start_ = locationInView(nullptr);
    timing_ = true;
    life_.performAfter(
        minimumPressDuration,
        [this] {
            timing_ = false;
            if (state() == GestureState::Possible && numberOfTouches() == numberOfTouchesRequired)
                setState(GestureState::Began);
        },
        kPressKey);
}

void LongPressGestureRecognizer::touchesMoved(const TouchSet&, const Event&) {
    if (state() == GestureState::Possible) {
        if (!timing_) return;
        graphics::Point now = locationInView(nullptr);
        if (std::hypot(now.x - start_.x, now.y - start_.y) > allowableMovement) {
            stopTimer();
            setState(GestureState::Failed);
        }
        return;
    }
    setState(GestureState::Changed);
}

void LongPressGestureRecognizer::touchesEnded(const TouchSet&, const Event&) {
    stopTimer();
    if (state() == GestureState::Possible)
        setState(GestureState::Failed);
    else
        setState(GestureState::Ended);
}

void LongPressGestureRecognizer::touchesCancelled(const TouchSet&, const Event&) {
    stopTimer();
    setState(GestureState::Cancelled);
}

void LongPressGestureRecognizer::reset() {
    stopTimer();
    GestureRecognizer::reset();
}

}  // namespace ui
