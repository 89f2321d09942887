#pragma once

// The time base of a run loop, in seconds.
//
// The application runs on steady (monotonic) time. Tests install a virtual
// clock: its time stands still while there is work to do and jumps straight
// to the next timer when the main run loop would otherwise wait, so a minute
// of timers takes milliseconds and no test ever sleeps.

#include <atomic>

namespace foundation {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds on this clock. Only differences between readings mean anything.
    virtual double now() const = 0;
    virtual bool isVirtual() const { return false; }
};

// Monotonic real time (seconds since an unspecified start).
class SteadyClock final : public Clock {
public:
    double now() const override;
};

// Time that moves only when the main run loop (or a test) moves it.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(double start = 0) : now_(start) {}
    double now() const override { return now_.load(); }
    bool isVirtual() const override { return true; }
    // Moves time forward to `time`; an earlier time is ignored, because
    // timers already fired must never appear to be due again.
    void advanceTo(double time);

private:
    std::atomic<double> now_;
};

}  // namespace foundation
