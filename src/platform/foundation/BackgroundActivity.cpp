#include "platform/foundation/BackgroundActivity.h"

#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <stdexcept>

namespace foundation {
namespace {

std::atomic<int64_t> gInFlight{0};
thread_local int tCountedDepth = 0;

std::mutex& idleMutex() {
    static std::mutex* mutex = new std::mutex;  // outlives every thread that may end work at exit
    return *mutex;
}
std::condition_variable& idleCondition() {
    static auto* condition = new std::condition_variable;
    return *condition;
}

}  // namespace

namespace detail {
// Declared in RunLoop.cpp: lets a virtual-clock main loop that waits for
// background work re-check once the last background task has ended.
void notifyMainLoopOfActivity();
}  // namespace detail

int64_t BackgroundActivity::inFlight() { return gInFlight.load(); }

void BackgroundActivity::begin() { gInFlight.fetch_add(1); }

void BackgroundActivity::end() {
    int64_t left = gInFlight.fetch_sub(1) - 1;
    if (left < 0) {
        gInFlight.fetch_add(1);
        throw std::logic_error("BackgroundActivity::end without a matching begin");
    }
    if (left == 0) {
        { std::lock_guard lock(idleMutex()); }
        idleCondition().notify_all();
        detail::notifyMainLoopOfActivity();
    }
}

bool BackgroundActivity::waitForIdle(double timeoutSeconds) {
    std::unique_lock lock(idleMutex());
    auto idle = [] { return gInFlight.load() == 0; };
    if (timeoutSeconds == std::numeric_limits<double>::infinity()) {
        idleCondition().wait(lock, idle);
        return true;
    }
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>(std::max(0.0, timeoutSeconds)));
    return idleCondition().wait_until(lock, deadline, idle);
}

ScopedBackgroundActivity::ScopedBackgroundActivity() {
    BackgroundActivity::begin();
    ++tCountedDepth;
}

ScopedBackgroundActivity::ScopedBackgroundActivity(Adopt) { ++tCountedDepth; }

ScopedBackgroundActivity::~ScopedBackgroundActivity() {
    --tCountedDepth;
    BackgroundActivity::end();
}

}  // namespace foundation

namespace foundation::detail {

bool suspendActivityOfThisThread() {
    if (tCountedDepth == 0) return false;
    BackgroundActivity::end();
    return true;
}

}  // namespace foundation::detail
