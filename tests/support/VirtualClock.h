#pragma once

// Puts the main run loop on a fresh virtual clock for one test: no timers or
// tasks of an earlier test remain, and time moves only when the loop waits.
// On destruction it waits for background work still in flight and leaves
// a fresh real-time loop behind.
//
//     TEST(Countdown, EndsAfterFiveSeconds) {
//         testsupport::VirtualClockScope clock;
//         ...
//         foundation::RunLoop::main().advance(5.0);
//     }

#include "platform/foundation/Clock.h"

#include <memory>

namespace testsupport {

class VirtualClockScope {
public:
    explicit VirtualClockScope(double start = 0);
    ~VirtualClockScope();
    VirtualClockScope(const VirtualClockScope&) = delete;
    VirtualClockScope& operator=(const VirtualClockScope&) = delete;

    foundation::VirtualClock& clock() { return *clock_; }
    double now() const { return clock_->now(); }

private:
    std::shared_ptr<foundation::VirtualClock> clock_;
};

}  // namespace testsupport
