#include "platform/ui/gestures/RotationGestureRecognizer.h"

#include <cmath>
#include <numbers>

namespace ui {

double RotationGestureRecognizer::angle() const {
    const TouchSet& fingers = pair();
    return std::atan2(fingers[1]->windowLocation.y - fingers[0]->windowLocation.y,
                      fingers[1]->windowLocation.x - fingers[0]->windowLocation.x);
}

void RotationGestureRecognizer::setRotation(double rotation) {
    velocity_.shift(rotation - rotation_);
    rotation_ = rotation;
}

// The turn is taken the short way round so that crossing ±π does not count
// as a full turn.
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

void RotationGestureRecognizer::fingersDown(double time, bool formed) {
    if (!formed) return;
    lastAngle_ = angle();
    velocity_.add(time, rotation_);
}

bool RotationGestureRecognizer::pairMoved(double time) {
    follow(time);
    return true;
}

bool RotationGestureRecognizer::pastHysteresis() const { return std::fabs(turned_) >= kHysteresis; }

void RotationGestureRecognizer::reset() {
    lastAngle_ = 0;
    rotation_ = 0;
    turned_ = 0;
    TwoFingerGestureRecognizer::reset();
}

}  // namespace ui
