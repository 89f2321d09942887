#include "platform/foundation/Lifetime.h"

#include "platform/foundation/RunLoop.h"

namespace foundation {

// The performs are owned by the token's state, which no other token shares,
// so cancelling them never touches another object's.

LifeToken::~LifeToken() { cancelAllPerforms(); }

void LifeToken::revoke() {
    cancelAllPerforms();
    state_ = std::make_shared<const char>(0);
}

TimerHandle LifeToken::performAfter(double delay, std::function<void()> block, std::string key) {
    performed_ = true;
    return RunLoop::main().performAfter(delay, guard(std::move(block)), state_.get(), std::move(key));
}

size_t LifeToken::cancelPerforms(std::string_view key) {
    return performed_ ? RunLoop::main().cancelPreviousPerformRequests(state_.get(), key) : 0;
}

void LifeToken::cancelAllPerforms() {
    if (!performed_) return;
    performed_ = false;
    // A token that dies off the main thread leaves its performs to the
    // guard: they find it gone and do nothing.
    if (RunLoop::isMainThread()) RunLoop::main().cancelPreviousPerformRequests(state_.get());
}

}  // namespace foundation
