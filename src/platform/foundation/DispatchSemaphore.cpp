#include "platform/foundation/DispatchSemaphore.h"

#include "platform/foundation/DispatchWait.h"

#include <deque>
#include <mutex>
#include <stdexcept>

namespace foundation {

namespace detail {
struct SemaphoreState {
    std::mutex mutex;
    long value = 0;
    std::deque<Waiter*> waiters;  // first come, first served
};
}  // namespace detail

DispatchSemaphore::DispatchSemaphore(long value) : state_(std::make_shared<detail::SemaphoreState>()) {
    if (value < 0) throw std::invalid_argument("DispatchSemaphore needs a value of zero or more");
    state_->value = value;
}

bool DispatchSemaphore::wait(double timeoutSeconds) {
    auto state = state_;  // the handle may go away while we wait
    std::unique_lock lock(state->mutex);
    // A free unit goes to the longest waiter, never to a newcomer.
    if (state->value > 0 && state->waiters.empty()) {
        --state->value;
        return true;
    }
    if (!(timeoutSeconds > 0)) return false;
    return detail::waitInQueue(lock, state->waiters, timeoutSeconds);
}

bool DispatchSemaphore::signal() {
    std::lock_guard lock(state_->mutex);
    if (state_->waiters.empty()) {
        ++state_->value;
        return false;
    }
    detail::Waiter* first = state_->waiters.front();
    state_->waiters.pop_front();
    detail::wake(*first);
    return true;
}

}  // namespace foundation

namespace foundation {

size_t DispatchSemaphore::waitingCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->waiters.size();
}

}  // namespace foundation
