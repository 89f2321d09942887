#include "platform/foundation/DispatchWait.h"

#include "platform/foundation/BackgroundActivity.h"
#include "platform/foundation/ThreadPool.h"

#include <chrono>
#include <cmath>
#include <limits>

namespace foundation::detail {

bool blockUntilWoken(std::unique_lock<std::mutex>& lock, Waiter& waiter, double timeoutSeconds) {
    if (waiter.woken) return true;
    if (!(timeoutSeconds > 0)) return false;
    waiter.suspendedActivity = suspendActivityOfThisThread();
    ThreadPool::noteBlocked(true);
    auto woken = [&waiter] { return waiter.woken; };
    if (timeoutSeconds == std::numeric_limits<double>::infinity()) {
        waiter.condition.wait(lock, woken);
    } else {
        auto deadline =
            std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                   std::chrono::duration<double>(std::min(timeoutSeconds, 1e9)));
        waiter.condition.wait_until(lock, deadline, woken);
    }
    // A waker counted us again already; after a timeout we do it ourselves.
    if (!waiter.woken && waiter.suspendedActivity) BackgroundActivity::begin();
    lock.unlock();
    ThreadPool::noteBlocked(false);
    lock.lock();
    return waiter.woken;
}

bool waitInQueue(std::unique_lock<std::mutex>& lock, std::deque<Waiter*>& waiters, double timeoutSeconds) {
    Waiter waiter;
    waiters.push_back(&waiter);
    bool woken = blockUntilWoken(lock, waiter, timeoutSeconds);
    if (!woken) std::erase(waiters, &waiter);
    return woken;
}

void wake(Waiter& waiter) {
    if (waiter.woken) return;
    waiter.woken = true;
    if (waiter.suspendedActivity) BackgroundActivity::begin();
    waiter.condition.notify_one();
}

}  // namespace foundation::detail
