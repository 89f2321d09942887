#pragma once

// Internal: the shared state behind a RunLoop and its timers.

#include "platform/foundation/RunLoop.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

namespace foundation {

struct RunLoopState {
    explicit RunLoopState(std::shared_ptr<Clock> clock) : clock(std::move(clock)) {}

    std::mutex mutex;
    // Woken by posts, timer changes, stop, and the end of background work.
    std::condition_variable wakeup;
    const std::shared_ptr<Clock> clock;
    std::deque<RunLoop::Block> tasks;
    // Ordered by fire date, then by scheduling order.
    std::map<std::pair<double, uint64_t>, TimerHandle> timers;
    uint64_t nextSequence = 1;
    // Counts wake-ups, so a waiting run can tell one happened since it last
    // checked its conditions (a condition variable cannot tell a wake-up from
    // a spurious return, nor remember one that came before the wait).
    uint64_t wakeCount = 0;
    int runDepth = 0;
    bool stopRequested = false;
    RunLoopDriver* driver = nullptr;

    // Call with the mutex held.
    void wakeLocked() {
        noteWakeLocked();
        wakeup.notify_all();
    }
    // The same in two steps for work handed over from other threads: the
    // wake-up noted with the mutex held, the waiting run woken after the
    // mutex is let go. Woken under the mutex, the run would often take the
    // processor from the thread that woke it only to block on the mutex it
    // still holds: two more switches for every task handed over.
    void noteWakeLocked() {
        ++wakeCount;
        if (driver) driver->wake();
    }
    void notifyWaiting() { wakeup.notify_all(); }
    void insertLocked(const TimerHandle& timer) {
        timer->scheduled_ = true;
        timers.emplace(std::make_pair(timer->fireDate_, timer->sequence_), timer);
    }
    // Fires the earliest timer due at `now` scheduled before `sequenceLimit`;
    // true when one fired.
    bool fireDueTimer(double now, uint64_t sequenceLimit);
    // Puts a timer that just fired back in order, or ends it.
    void afterFire(const TimerHandle& timer);

    void eraseLocked(Timer& timer) {
        if (!timer.scheduled_) return;
        timers.erase(std::make_pair(timer.fireDate_, timer.sequence_));
        timer.scheduled_ = false;
    }
};

}  // namespace foundation
