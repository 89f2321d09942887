#include "platform/ui/gestures/TapGestureRecognizer.h"

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

constexpr const char* kWaitKey = "tap.wait";

double distance(graphics::Point a, graphics::Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

}  // namespace

TapGestureRecognizer::~TapGestureRecognizer() { stopWaiting(); }

void TapGestureRecognizer::stopWaiting() {
    if (!awaitingNextTap_) return;
    awaitingNextTap_ = false;
    life_.cancelPerforms(kWaitKey);
}

void TapGestureRecognizer::touchesBegan(const TouchSet& touches, const Event&) {
    stopWaiting();
    for (const TouchPtr& t : touches) starts_.emplace_back(t.get(), t->windowLocation);
    graphics::Point where = locationInView(nullptr);
    if (tapsCompleted_ == 0 && touchesInTap_ == 0) firstTapLocation_ = where;
    touchesInTap_ = std::max(touchesInTap_, numberOfTouches());
    if (numberOfTouches() > numberOfTouchesRequired ||
        (tapsCompleted_ > 0 && distance(where, firstTapLocation_) > kMaximumTapDistance)) {
        setState(GestureState::Failed);
    }
}

void TapGestureRecognizer::touchesMoved(const TouchSet& touches, const Event&) {
    for (const TouchPtr& t : touches) {
        auto start = std::find_if(starts_.begin(), starts_.end(), [&](const auto& s) { return s.first == t.get(); });
        if (start != starts_.end() && distance(start->second, t->windowLocation) > kAllowableMovement) {
            setState(GestureState::Failed);
            return;
        }
    }
}

void TapGestureRecognizer::touchesEnded(const TouchSet& touches, const Event& event) {
    touchesMoved(touches, event);  // the lift position counts as a move
    if (state() != GestureState::Possible) return;
    // The tap is complete when the last finger of it lifts.
    if (touches.size() < numberOfTouches()) return;
    if (touchesInTap_ != numberOfTouchesRequired) {
        setState(GestureState::Failed);
        return;
    }
    ++tapsCompleted_;
    touchesInTap_ = 0;
    starts_.clear();
    if (tapsCompleted_ >= numberOfTapsRequired) {
        setState(GestureStateRecognized);
        return;
    }
    awaitingNextTap_ = true;
    life_.performAfter(
        kMaximumTapInterval,
        [this] {
            awaitingNextTap_ = false;
            setState(GestureState::Failed);
        },
        kWaitKey);
}

void TapGestureRecognizer::touchesCancelled(const TouchSet&, const Event&) { setState(GestureState::Failed); }

void TapGestureRecognizer::reset() {
    stopWaiting();
    tapsCompleted_ = 0;
    touchesInTap_ = 0;
    starts_.clear();
    GestureRecognizer::reset();
}

}  // namespace ui
