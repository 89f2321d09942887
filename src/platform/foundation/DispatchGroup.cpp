#include "platform/foundation/DispatchGroup.h"

#include "platform/foundation/DispatchWait.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

namespace foundation {

namespace detail {
struct GroupState {
    std::mutex mutex;
    long count = 0;
    std::deque<Waiter*> waiters;
    std::vector<std::pair<DispatchQueue, std::function<void()>>> notifies;
};
}  // namespace detail

DispatchGroup::DispatchGroup() : state_(std::make_shared<detail::GroupState>()) {}

void DispatchGroup::enter() {
    std::lock_guard lock(state_->mutex);
    ++state_->count;
}

void DispatchGroup::leave() {
    std::vector<std::pair<DispatchQueue, std::function<void()>>> notifies;
    {
        std::lock_guard lock(state_->mutex);
        if (state_->count == 0) throw std::logic_error("DispatchGroup::leave without a matching enter");
        if (--state_->count > 0) return;
        for (detail::Waiter* waiter : state_->waiters) detail::wake(*waiter);
        state_->waiters.clear();
        notifies.swap(state_->notifies);
    }
    for (auto& [queue, block] : notifies) queue.async(std::move(block));
}

void DispatchGroup::async(const DispatchQueue& queue, Block block) {
    enter();
    // Leaves even when the block is dropped unrun, so waiters are not stranded.
    struct Leave {
        explicit Leave(DispatchGroup group) : group(std::move(group)) {}
        Leave(const Leave&) = delete;
        ~Leave() { group.leave(); }
        DispatchGroup group;
    };
    queue.async([leave = std::make_shared<Leave>(*this), block = std::move(block)]() mutable {
        if (block) block();
        leave.reset();
    });
}

void DispatchGroup::notify(const DispatchQueue& queue, Block block) {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->count > 0) {
            state_->notifies.emplace_back(queue, std::move(block));
            return;
        }
    }
    queue.async(std::move(block));
}

bool DispatchGroup::wait(double timeoutSeconds) {
    auto state = state_;  // the handle may go away while we wait
    std::unique_lock lock(state->mutex);
    if (state->count == 0) return true;
    return detail::waitInQueue(lock, state->waiters, timeoutSeconds);
}

}  // namespace foundation
