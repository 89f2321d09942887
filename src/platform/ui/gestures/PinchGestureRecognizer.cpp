#include "platform/ui/gestures/PinchGestureRecognizer.h"

#include <cmath>

namespace ui {

double PinchGestureRecognizer::span() const {
    const TouchSet& fingers = pair();
    if (fingers.size() < 2) return 0;
    return std::hypot(fingers[0]->windowLocation.x - fingers[1]->windowLocation.x,
                      fingers[0]->windowLocation.y - fingers[1]->windowLocation.y);
}

double PinchGestureRecognizer::scale() const {
    // Two fingers on one point have no scale to speak of; keep the last one.
    if (pair().size() < 2 || !(startSpan_ > 0)) return lastScale_;
    return scaleBase_ * span() / startSpan_;
}

void PinchGestureRecognizer::setScale(double scale) {
    double before = this->scale();
    scaleBase_ = scale;
    lastScale_ = scale;
    if (pair().size() == 2) startSpan_ = span();
    velocity_.shift(scale - before);
}

void PinchGestureRecognizer::fingersDown(double time, bool) {
    // Until the pair has a distance to measure from, every finger down takes it afresh.
    if (pair().size() == 2 && startSpan_ == 0) {
        startSpan_ = span();
        velocity_.add(time, scale());
    }
}

bool PinchGestureRecognizer::pairMoved(double time) {
    if (!(startSpan_ > 0)) {
        // The fingers came down on one point; measure from where they part.
        startSpan_ = span();
        return false;
    }
    lastScale_ = scale();
    velocity_.add(time, lastScale_);
    return true;
}

bool PinchGestureRecognizer::pastHysteresis() const { return std::fabs(span() - startSpan_) >= kHysteresis; }

void PinchGestureRecognizer::pairBreaking(double time) {
    if (!(startSpan_ > 0)) return;
    lastScale_ = scale();
    velocity_.add(time, lastScale_);
}

void PinchGestureRecognizer::reset() {
    startSpan_ = 0;
    scaleBase_ = 1.0;
    lastScale_ = 1.0;
    TwoFingerGestureRecognizer::reset();
}

}  // namespace ui
