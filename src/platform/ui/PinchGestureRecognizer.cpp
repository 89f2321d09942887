#include "platform/ui/PinchGestureRecognizer.h"

#include <algorithm>
#include <cmath>

namespace ui {

double PinchGestureRecognizer::span() const {
    if (pair_.size() < 2) return 0;
    return std::hypot(pair_[0]->windowLocation.x - pair_[1]->windowLocation.x,
                      pair_[0]->windowLocation.y - pair_[1]->windowLocation.y);
}

double PinchGestureRecognizer::scale() const {
    // Two fingers on one point have no scale to speak of; keep the last one.
    if (pair_.size() < 2 || !(startSpan_ > 0)) return lastScale_;
    return scaleBase_ * span() / startSpan_;
}

void PinchGestureRecognizer::setScale(double scale) {
    double before = this->scale();
    scaleBase_ = scale;
    lastScale_ = scale;
    if (pair_.size() == 2) startSpan_ = span();
    velocity_.shift(scale - before);
}

void PinchGestureRecognizer::touchesBegan(const TouchSet& touches, const Event& event) {
    for (const TouchPtr& t : touches) {
        if (pair_.size() < 2) pair_.push_back(t);
    }
    if (pair_.size() == 2 && startSpan_ == 0) {
        startSpan_ = span();
        velocity_.add(event.timestamp, scale());
    }
}

void PinchGestureRecognizer::touchesMoved(const TouchSet&, const Event& event) {
    if (pair_.size() < 2) return;
    if (!(startSpan_ > 0)) {
        // The fingers came down on one point; measure from where they part.
        startSpan_ = span();
        return;
    }
    lastScale_ = scale();
    velocity_.add(event.timestamp, lastScale_);
    if (state() == GestureState::Possible) {
        if (std::fabs(span() - startSpan_) >= kHysteresis) setState(GestureState::Began);
    } else {
        setState(GestureState::Changed);
    }
}

void PinchGestureRecognizer::touchesEnded(const TouchSet& touches, const Event& event) {
    bool pairBroken = std::any_of(touches.begin(), touches.end(), [&](const TouchPtr& t) {
        return std::find(pair_.begin(), pair_.end(), t) != pair_.end();
    });
    if (!pairBroken) return;
    if (pair_.size() == 2 && startSpan_ > 0) {
        lastScale_ = scale();
        velocity_.add(event.timestamp, lastScale_);
    }
    for (const TouchPtr& t : touches) {
        auto it = std::find(pair_.begin(), pair_.end(), t);
        if (it != pair_.end()) pair_.erase(it);
    }
    if (state() == GestureState::Possible) {
        // One finger alone may still be joined by a second.
        if (pair_.empty() || startSpan_ > 0) setState(GestureState::Failed);
    } else {
        setState(GestureState::Ended);
    }
}

void PinchGestureRecognizer::touchesCancelled(const TouchSet&, const Event&) { setState(GestureState::Cancelled); }

void PinchGestureRecognizer::reset() {
    pair_.clear();
    startSpan_ = 0;
    scaleBase_ = 1.0;
    lastScale_ = 1.0;
    velocity_.clear();
    GestureRecognizer::reset();
}

}  // namespace ui
