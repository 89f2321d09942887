#include "platform/ui/compositing/DisplayLink.h"

#include <cmath>

namespace ui {

namespace {
// Clock readings land a hair off the grid; a refresh is "now" within this.
constexpr double kGridSlack = 1e-6;
}  // namespace

std::shared_ptr<DisplayLink> DisplayLink::create(Block block) {
    return std::make_shared<DisplayLink>(std::move(block));
}

DisplayLink::~DisplayLink() {
    if (timer_) timer_->invalidate();
}

void DisplayLink::addToRunLoop(foundation::RunLoop& loop) {
    std::lock_guard lock(mutex_);
    if (invalidated_ || loop_ == &loop) return;
    cancelLocked();
    loop_ = &loop;
    scheduleLocked();
}

void DisplayLink::removeFromRunLoop(foundation::RunLoop& loop) {
    std::lock_guard lock(mutex_);
    if (loop_ != &loop) return;
    loop_ = nullptr;
    cancelLocked();
}

void DisplayLink::invalidate() {
    Block released;
    {
        std::lock_guard lock(mutex_);
        invalidated_ = true;
        loop_ = nullptr;
        cancelLocked();
        released = std::move(block_);
        block_ = nullptr;
    }
}

bool DisplayLink::isPaused() const {
    std::lock_guard lock(mutex_);
    return paused_;
}

void DisplayLink::setPaused(bool paused) {
    std::lock_guard lock(mutex_);
    if (paused_ == paused) return;
    paused_ = paused;
    if (paused)
        cancelLocked();
    else
        scheduleLocked();
}

double DisplayLink::timestamp() const {
    std::lock_guard lock(mutex_);
    return timestamp_;
}

void DisplayLink::cancelLocked() {
    if (timer_) timer_->invalidate();
    timer_.reset();
}

void DisplayLink::scheduleLocked() {
    if (!loop_ || paused_ || invalidated_ || timer_) return;
    const double now = loop_->now();
    const double refresh = (std::floor(now * kRefreshRate + kGridSlack) + 1) / kRefreshRate;
    // Only the timer armed last may fire: one that was already on its way
    // when the link was paused and started again is stale.
    const uint64_t generation = ++generation_;
    timer_ = loop_->scheduleTimer(refresh - now, false,
                                  [weak = weak_from_this(), refresh, generation](foundation::Timer&) {
                                      if (auto self = weak.lock()) self->fire(refresh, generation);
                                  });
}

void DisplayLink::fire(double refresh, uint64_t generation) {
    Block block;
    {
        std::lock_guard lock(mutex_);
        if (generation != generation_ || !timer_) return;
        timer_.reset();
        if (!loop_ || paused_ || invalidated_) return;
        timestamp_ = refresh;
        block = block_;
    }
    block(*this);
    std::lock_guard lock(mutex_);
    scheduleLocked();
}

}  // namespace ui
