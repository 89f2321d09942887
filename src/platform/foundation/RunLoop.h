#pragma once

// The main thread's event loop: posted tasks, timers, delayed performs that
// can be cancelled, and nested runs.
//
// In the application Qt's event loop drives the main run loop through
// QtRunLoopDriver. In tests a virtual clock drives it (see Clock.h and
// tests/support/VirtualClock.h): run, runFor, runUntil, runUntilIdle and
// advance process work and move virtual time forward only when nothing is
// ready and no background work is in flight.
//
// A block that runs in the loop may itself run the loop (a modal wait):
// timers and posted tasks keep firing inside; a repeating timer does not
// fire again inside its own block. Tasks posted from one thread run in the
// order they were posted.
//
// Other threads have loops of their own through current(); those always run
// on real time.

#include "platform/foundation/Clock.h"
#include "platform/foundation/Timer.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace foundation {

// Lets a host event loop (Qt's) drive a RunLoop. The loop calls wake() from
// any thread whenever a task was posted or the next fire date changed; the
// host answers on its own thread with RunLoop::processPending() and arms a
// wake-up for RunLoop::nextFireDate().
class RunLoopDriver {
public:
    virtual ~RunLoopDriver() = default;
    virtual void wake() = 0;
    // A nested run waits here, processing the host's events, until woken or
    // until `deadline` on the loop's clock has passed.
    virtual void waitForEvents(double deadline) = 0;
};

class RunLoop {
public:
    using Block = std::function<void()>;

    // The loop of the main thread (the thread that started the process).
    static RunLoop& main();
    // The loop of the calling thread; main() on the main thread.
    static RunLoop& current();
    static bool isMainThread();

    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    double now() const;
    std::shared_ptr<Clock> clock() const;
    bool isVirtual() const { return clock()->isVirtual(); }

    // Queues a block; safe from any thread.
    void post(Block block);

    // A timer that first fires `interval` seconds from now (at once for an
    // interval of zero or less); a repeating one every `interval` after that
    // (a repeating interval is at least 0.1 ms). A repeating timer that is
    // late skips the fires it missed instead of bursting.
    TimerHandle scheduleTimer(double interval, bool repeats, Timer::Block block);

    // Runs `block` once after `delay` seconds. `owner` and `key` name the
    // request so that cancelPreviousPerformRequests can take it back (the
    // owner is compared by address only and never dereferenced).
    TimerHandle performAfter(double delay, Block block, const void* owner = nullptr, std::string key = {});
    // Cancels the pending delayed performs of an owner (all, or those of one
    // key); returns how many were cancelled. A null owner cancels nothing.
    size_t cancelPreviousPerformRequests(const void* owner);
    size_t cancelPreviousPerformRequests(const void* owner, std::string_view key);

    // Runs until stop() (which ends the innermost run). On a virtual clock a
    // run with nothing left that could ever happen throws std::logic_error
    // instead of hanging.
    void run();
    void stop();
    // Runs for `seconds` on the loop's clock.
    void runFor(double seconds);
    // Runs until the predicate holds (checked before and after every task
    // and timer) or `timeoutSeconds` have passed; returns the predicate.
    bool runUntil(const std::function<bool()>& predicate, double timeoutSeconds);
    // Runs until nothing is ready: no posted task, no background work in
    // flight, no timer due at the current time. Never moves time.
    void runUntilIdle();
    // Moves virtual time forward by exactly `seconds`, firing timers in order
    // at their fire dates with posted work processed in between. Throws
    // std::logic_error on a real clock.
    void advance(double seconds);

    // For drivers: runs what is ready now without waiting; true if anything ran.
    bool processPending();
    // The earliest fire date of a scheduled timer.
    std::optional<double> nextFireDate() const;
    // Makes a waiting run re-check its conditions (a runUntil its predicate)
    // without moving a virtual clock; safe from any thread. A wake-up that
    // comes while the run is busy is not lost: its next wait returns at once.
    void wakeUp();
    // Installs (or with nullptr removes) the host loop that drives this one.
    void setDriver(RunLoopDriver* driver);

    // Replaces the clock and drops every pending task and timer, leaving a
    // fresh loop. Timers of the old state become invalid.
    void reset(std::shared_ptr<Clock> clock);

    // Counts of pending work, for diagnostics and tests.
    size_t pendingTaskCount() const;
    size_t scheduledTimerCount() const;
    // The repeating timers scheduled now, in fire order: what keeps an idle
    // process waking up.
    std::vector<TimerHandle> repeatingTimers() const;

private:
    RunLoop(std::shared_ptr<Clock> clock, std::thread::id owner);
    std::shared_ptr<RunLoopState> state() const;
    void checkThread(const char* operation) const;
    TimerHandle schedule(double delay, double interval, bool repeats, Timer::Block block, const void* owner,
                         std::string key);
    size_t cancelPerforms(const void* owner, const std::string_view* key);
    // Waits until something may be ready, `deadline` passes, or the loop is
    // woken after its wake count read `seenWakes`; on a virtual clock moves
    // time to the earlier of the next fire date and `deadline` once no
    // background work is in flight. False when a virtual loop has nothing
    // that could ever happen.
    bool waitForWork(RunLoopState& state, double deadline, uint64_t seenWakes);

    mutable std::mutex stateMutex_;  // guards the pointer only; reset() swaps it
    std::shared_ptr<RunLoopState> state_;
    const std::thread::id owner_;
};

}  // namespace foundation
