#include "platform/ui/RotationGestureRecognizer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ui {

double RotationGestureRecognizer::angle() const {
    return std::atan2(pair_[1]->windowLocation.y - pair_[0]->windowLocation.y,
                      pair_[1]->windowLocation.x - pair_[0]->windowLocation.x);
}

void RotationGestureRecognizer::setRotation(double rotation) {
    velocity_.shift(rotation - rotation_);
    rotation_ = rotation;
}

// Adds the turn since the last event, taken the short way round so that
// crossing ±π does not count as a full turn.
void RotationGestureRecognizer::follow(double time) {
    double now = angle();
    double delta = now - lastAngle_;
    while (delta > std::numbers::pi) delta -= 2 * std::numbers::pi;
    while (delta <= -std::numbers::pi) delta += 2 * std::numbers::pi;
    lastAngle_ = now;
    rotation_ += delta;
    turned_ += delta;
    velocity_.add(time, rotation_);
}

void RotationGestureRecognizer::touchesBegan(const TouchSet& touches, const Event& event) {
    bool hadPair = pair_.size() == 2;
    for (const TouchPtr& t : touches) {
        if (pair_.size() < 2) pair_.push_back(t);
    }
    if (!hadPair && pair_.size() == 2) {
        lastAngle_ = angle();
        velocity_.add(event.timestamp, rotation_);
    }
}

void RotationGestureRecognizer::touchesMoved(const TouchSet&, const Event& event) {
    if (pair_.size() < 2) return;
    follow(event.timestamp);
    if (state() == GestureState::Possible) {
        if (std::fabs(turned_) >= kHysteresis) setState(GestureState::Began);
    } else {
        setState(GestureState::Changed);
    }
}

void RotationGestureRecognizer::touchesEnded(const TouchSet& touches, const Event& event) {
    bool pairBroken = std::any_of(touches.begin(), touches.end(), [&](const TouchPtr& t) {
        return std::find(pair_.begin(), pair_.end(), t) != pair_.end();
    });
    if (!pairBroken) return;
    bool hadPair = pair_.size() == 2;
    if (hadPair) follow(event.timestamp);
    for (const TouchPtr& t : touches) {
        auto it = std::find(pair_.begin(), pair_.end(), t);
        if (it != pair_.end()) pair_.erase(it);
    }
    if (state() == GestureState::Possible) {
        // One finger alone may still be joined by a second.
        if (pair_.empty() || hadPair) setState(GestureState::Failed);
    } else {
        setState(GestureState::Ended);
    }
}

void RotationGestureRecognizer::touchesCancelled(const TouchSet&, const Event&) {
    setState(GestureState::Cancelled);
}

void RotationGestureRecognizer::reset() {
    pair_.clear();
    lastAngle_ = 0;
    rotation_ = 0;
    turned_ = 0;
    velocity_.clear();
    GestureRecognizer::reset();
}

}  // namespace ui
