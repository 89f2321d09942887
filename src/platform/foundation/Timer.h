#pragma once

// A timer or delayed perform scheduled on a RunLoop.
//
// The run loop keeps a valid timer alive; callers keep a TimerHandle only to
// look at it or invalidate it. Invalidating releases the block (and whatever
// it captured), so a block may hold the handle of its own timer without a
// leak once the timer ends. A one-shot timer becomes invalid once it fired.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace foundation {

class RunLoop;
struct RunLoopState;

class Timer {
public:
    using Block = std::function<void(Timer&)>;

    double interval() const { return interval_; }
    bool repeats() const { return repeats_; }
    // The time on the loop's clock at which the timer fires next; the last
    // fire date after it became invalid.
    double fireDate() const;
    bool isValid() const;
    // Removes the timer from its run loop; it never fires again. Safe from
    // any thread and from inside its own block; a second call does nothing.
    void invalidate();

    // Owner and key of a delayed perform (see RunLoop::performAfter).
    const void* owner() const { return owner_; }
    const std::string& key() const { return key_; }

    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

private:
    friend class RunLoop;
    friend struct RunLoopState;
    Timer(double interval, bool repeats, Block block, const void* owner, std::string key)
        : interval_(interval),
          repeats_(repeats),
          owner_(owner),
          key_(std::move(key)),
          block_(std::make_shared<Block>(std::move(block))) {}

    const double interval_;
    const bool repeats_;
    const void* const owner_;
    const std::string key_;
    // Guarded by the run loop state's mutex.
    std::shared_ptr<Block> block_;
    std::weak_ptr<RunLoopState> loop_;
    double start_ = 0;        // fire dates are start_ + n * interval_, free of rounding drift
    uint64_t fireCount_ = 0;  // n of the next fire
    double fireDate_ = 0;
    uint64_t sequence_ = 0;  // orders timers with equal fire dates by scheduling
    bool valid_ = true;
    bool scheduled_ = false;  // in the loop's timer set (not while its block runs)
};

using TimerHandle = std::shared_ptr<Timer>;

}  // namespace foundation
