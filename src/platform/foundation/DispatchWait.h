#pragma once

// Internal: how a thread blocks in a dispatch primitive (semaphore, group,
// sync). A blocked thread stops counting as background activity and tells
// the thread pool, which may start another worker so that work the waiter
// depends on still runs. Whoever wakes a waiter counts it again first.

#include <condition_variable>
#include <deque>
#include <mutex>

namespace foundation::detail {

struct Waiter {
    std::condition_variable condition;
    bool woken = false;
    bool suspendedActivity = false;
};

// Blocks on `lock` (the primitive's mutex, held) until `wake(waiter)` or the
// timeout in real seconds; true when woken. On a timeout the caller must
// still remove the waiter from its list.
bool blockUntilWoken(std::unique_lock<std::mutex>& lock, Waiter& waiter, double timeoutSeconds);

// Joins the primitive's queue of waiters and blocks as blockUntilWoken does;
// a waiter whose time ran out leaves the queue again.
bool waitInQueue(std::unique_lock<std::mutex>& lock, std::deque<Waiter*>& waiters, double timeoutSeconds);

// Wakes a waiter; call with the primitive's mutex held.
void wake(Waiter& waiter);

// In BackgroundActivity.cpp: stops counting the calling thread, if it
// counts; true when it did.
bool suspendActivityOfThisThread();

}  // namespace foundation::detail
