#pragma once

// Recognises one or more taps of one or more fingers. Discrete: it goes
// straight to Recognized when the last required tap lifts.
//
// Between taps it waits up to kMaximumTapInterval for the next finger; a
// finger that moves more than kAllowableMovement, a tap far from the first,
// or too many fingers make it fail.

#include "platform/ui/gestures/GestureRecognizer.h"

#include <utility>
#include <vector>

namespace ui {

class TapGestureRecognizer : public GestureRecognizer {
public:
    using GestureRecognizer::GestureRecognizer;
    ~TapGestureRecognizer() override;

    static constexpr double kMaximumTapInterval = 0.35;  // seconds from one tap's lift to the next touch
    static constexpr double kAllowableMovement = 10.0;   // points a finger may move during a tap
    static constexpr double kMaximumTapDistance = 45.0;  // points between the first tap and later ones

    size_t numberOfTapsRequired = 1;
    size_t numberOfTouchesRequired = 1;

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

protected:
    bool awaitsFurtherTouches() const override { return awaitingNextTap_; }

private:
    void stopWaiting();

    size_t tapsCompleted_ = 0;
    size_t touchesInTap_ = 0;  // most fingers down at once in the current tap
    bool awaitingNextTap_ = false;
    graphics::Point firstTapLocation_;
    std::vector<std::pair<const Touch*, graphics::Point>> starts_;
};

}  // namespace ui
