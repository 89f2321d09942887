#pragma once

// Recognises two fingers moving apart or together. Continuous: Began once the
// distance between them has changed by kHysteresis points, Changed with every
// move, Ended when one of them lifts. Further fingers are ignored.
//
// The scale is the distance between the fingers over their distance when the
// second one came down (or when setScale was last called, times that value).

#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/VelocityTracker.h"

namespace ui {

class PinchGestureRecognizer : public GestureRecognizer {
public:
    using GestureRecognizer::GestureRecognizer;

    static constexpr double kHysteresis = 4.0;  // points of change in the fingers' distance

    double scale() const;
    void setScale(double scale);
    // Scale change per second.
    double velocity() const { return velocity_.rateX(); }

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

private:
    double span() const;

    TouchSet pair_;
    double startSpan_ = 0;  // the distance that scale 1 × scaleBase_ stands for
    double scaleBase_ = 1.0;
    double lastScale_ = 1.0;  // kept once the fingers lift
    VelocityTracker velocity_;
};

}  // namespace ui
