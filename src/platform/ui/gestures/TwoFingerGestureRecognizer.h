#pragma once

// What the pinch and rotation recognisers share: the first two fingers down
// make a pair, whose movement is measured once it forms. Continuous: Began
// once the measure has changed past the subclass's hysteresis, Changed with
// every move, Ended when one of the pair lifts. Further fingers are ignored.

#include "platform/ui/gestures/GestureRecognizer.h"
#include "platform/ui/gestures/VelocityTracker.h"

namespace ui {

class TwoFingerGestureRecognizer : public GestureRecognizer {
public:
    using GestureRecognizer::GestureRecognizer;

    // How fast the measure changes, per second.
    double velocity() const { return velocity_.rateX(); }

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

protected:
    const TouchSet& pair() const { return pair_; }

    // Fingers came down; `formed` when they just completed the pair.
    virtual void fingersDown(double time, bool formed) = 0;
    // The pair moved; false when the move only set where measuring starts.
    virtual bool pairMoved(double time) = 0;
    // One of the pair is lifting (before it leaves the pair).
    virtual void pairBreaking(double time) = 0;
    // Whether the measure has changed past the hysteresis.
    virtual bool pastHysteresis() const = 0;
    // Whether the pair has begun measuring; a lone finger left before then
    // may still be joined by a second one.
    virtual bool measuring() const = 0;

    VelocityTracker velocity_;

private:
    TouchSet pair_;
};

}  // namespace ui
