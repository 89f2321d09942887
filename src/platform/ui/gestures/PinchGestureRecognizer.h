#pragma once

// Recognises two fingers moving apart or together: Began once the distance
// between them has changed by kHysteresis points.
//
// The scale is the distance between the fingers over their distance when the
// second one came down (or when setScale was last called, times that value);
// its velocity is in scale per second.

#include "platform/ui/gestures/TwoFingerGestureRecognizer.h"

namespace ui {

class PinchGestureRecognizer : public TwoFingerGestureRecognizer {
public:
    using TwoFingerGestureRecognizer::TwoFingerGestureRecognizer;

    static constexpr double kHysteresis = 4.0;  // points of change in the fingers' distance

    double scale() const;
    void setScale(double scale);
    void reset() override;

protected:
    void fingersDown(double time, bool formed) override;
    bool pairMoved(double time) override;
    void pairBreaking(double time) override;
    bool pastHysteresis() const override;
    bool measuring() const override { return startSpan_ > 0; }

private:
    double span() const;

    double startSpan_ = 0;  // the distance that scale 1 × scaleBase_ stands for
    double scaleBase_ = 1.0;
    double lastScale_ = 1.0;  // kept once the fingers lift
};

}  // namespace ui
