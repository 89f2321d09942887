#include "platform/ui/gestures/TwoFingerGestureRecognizer.h"

#include <algorithm>

namespace ui {

void TwoFingerGestureRecognizer::touchesBegan(const TouchSet& touches, const Event& event) {
    bool hadPair = pair_.size() == 2;
    for (const TouchPtr& t : touches) {
        if (pair_.size() < 2) pair_.push_back(t);
    }
    fingersDown(event.timestamp, !hadPair && pair_.size() == 2);
}

void TwoFingerGestureRecognizer::touchesMoved(const TouchSet&, const Event& event) {
    if (pair_.size() < 2 || !pairMoved(event.timestamp)) return;
    if (state() == GestureState::Possible) {
        if (pastHysteresis()) setState(GestureState::Began);
    } else {
        setState(GestureState::Changed);
    }
}

void TwoFingerGestureRecognizer::touchesEnded(const TouchSet& touches, const Event& event) {
    bool pairBroken = std::any_of(touches.begin(), touches.end(), [&](const TouchPtr& t) {
        return std::find(pair_.begin(), pair_.end(), t) != pair_.end();
    });
    if (!pairBroken) return;
    bool measured = measuring();
    if (pair_.size() == 2) pairBreaking(event.timestamp);
    for (const TouchPtr& t : touches) {
        auto it = std::find(pair_.begin(), pair_.end(), t);
        if (it != pair_.end()) pair_.erase(it);
    }
    if (state() == GestureState::Possible) {
        if (pair_.empty() || measured) setState(GestureState::Failed);
    } else {
        setState(GestureState::Ended);
    }
}

void TwoFingerGestureRecognizer::touchesCancelled(const TouchSet&, const Event&) { setState(GestureState::Cancelled); }

void TwoFingerGestureRecognizer::reset() {
    pair_.clear();
    velocity_.clear();
    GestureRecognizer::reset();
}

}  // namespace ui
