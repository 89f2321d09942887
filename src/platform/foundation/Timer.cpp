#include "platform/foundation/Timer.h"

#include "platform/foundation/RunLoopState.h"

namespace foundation {

double Timer::fireDate() const {
    auto loop = loop_.lock();
    if (!loop) return fireDate_;
    std::lock_guard lock(loop->mutex);
    return fireDate_;
}

bool Timer::isValid() const {
    auto loop = loop_.lock();
    if (!loop) return false;
    std::lock_guard lock(loop->mutex);
    return valid_;
}

void Timer::invalidate() {
    auto loop = loop_.lock();
    if (!loop) return;
    std::shared_ptr<Block> released;  // destroyed after the lock: its captures may call back in
    {
        std::lock_guard lock(loop->mutex);
        if (!valid_) return;
        valid_ = false;
        loop->eraseLocked(*this);
        released = std::move(block_);
    }
}

}  // namespace foundation
