#pragma once

// Recognises two fingers turning about each other: Began once the line
// between them has turned kHysteresis radians.
//
// The rotation is in radians, positive clockwise on screen (y grows down),
// and keeps counting past a full turn; its velocity is in radians per second.

#include "platform/ui/gestures/TwoFingerGestureRecognizer.h"

namespace ui {

class RotationGestureRecognizer : public TwoFingerGestureRecognizer {
public:
    using TwoFingerGestureRecognizer::TwoFingerGestureRecognizer;

    static constexpr double kHysteresis = 0.07;  // radians (about 4 degrees)

    double rotation() const { return rotation_; }
    void setRotation(double rotation);
    void reset() override;

protected:
    void fingersDown(double time, bool formed) override;
    bool pairMoved(double time) override;
    void pairBreaking(double time) override { follow(time); }
    bool pastHysteresis() const override;
    bool measuring() const override { return pair().size() == 2; }

private:
    double angle() const;
    // Adds the turn since the last event.
    void follow(double time);

    double lastAngle_ = 0;
    double rotation_ = 0;
    double turned_ = 0;  // since the pair formed, for the hysteresis
};

}  // namespace ui
