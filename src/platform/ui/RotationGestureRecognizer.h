#pragma once

// Recognises two fingers turning about each other. Continuous: Began once the
// line between them has turned kHysteresis radians, Changed with every move,
// Ended when one of them lifts. Further fingers are ignored.
//
// The rotation is in radians, positive clockwise on screen (y grows down),
// and keeps counting past a full turn.

#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/VelocityTracker.h"

namespace ui {

class RotationGestureRecognizer : public GestureRecognizer {
public:
    using GestureRecognizer::GestureRecognizer;

    static constexpr double kHysteresis = 0.07;  // radians (about 4 degrees)

    double rotation() const { return rotation_; }
    void setRotation(double rotation);
    // Radians per second.
    double velocity() const { return velocity_.rateX(); }

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

private:
    double angle() const;
    void follow(double time);

    TouchSet pair_;
    double lastAngle_ = 0;
    double rotation_ = 0;
    double turned_ = 0;  // since the pair formed, for the hysteresis
    VelocityTracker velocity_;
};

}  // namespace ui
