#pragma once

// Work in flight off the main thread.
//
// The main run loop on a virtual clock may only move time forward when
// nothing can still happen "now": no task is ready and no background work is
// running that might post to it. Dispatch queues count every task from the
// moment it is queued until it has finished. Threads of our own or of a
// library (a camera callback, a network thread) that will post to the main
// run loop hold a ScopedBackgroundActivity for as long as they may do so.
//
// A counted thread that blocks in a dispatch wait (semaphore, group, sync)
// stops counting while it waits: it can only be woken by someone else's
// work, and the main loop may have to fire a timer to do so. Whoever wakes it
// counts it again before the wake-up, so time never jumps in between.

#include <cstdint>

namespace foundation {

class BackgroundActivity {
public:
    // The number of activities in flight now.
    static int64_t inFlight();

    // Low-level counting without a thread binding, for work handed over
    // between threads (a queued task). Prefer ScopedBackgroundActivity.
    static void begin();
    static void end();

    // Blocks until no activity is in flight or the timeout (real seconds)
    // passes; true when none is. For tear-down, where leftover work must end
    // before the next test starts.
    static bool waitForIdle(double timeoutSeconds);
};

// Counts the calling thread as background work for the scope's lifetime.
class ScopedBackgroundActivity {
public:
    ScopedBackgroundActivity();
    // Takes over an activity already counted with BackgroundActivity::begin()
    // (a queued task that now runs on this thread).
    struct Adopt {};
    explicit ScopedBackgroundActivity(Adopt);
    ~ScopedBackgroundActivity();
    ScopedBackgroundActivity(const ScopedBackgroundActivity&) = delete;
    ScopedBackgroundActivity& operator=(const ScopedBackgroundActivity&) = delete;
};

}  // namespace foundation
