#pragma once

// A timer in step with the screen's refreshes, as the platform's display
// link is: once added to a run loop and not paused, it calls its block at
// every refresh, kRefreshRate times a second on a grid of the loop's clock
// (virtual in tests), with the refresh's time in timestamp() and the time
// to the next in duration(). A refresh that comes late skips the ones it
// missed. A paused link keeps no timer running, so an idle process sleeps.
//
//     link = ui::DisplayLink::create([weak](ui::DisplayLink& link) { ... link.targetTimestamp() ... });
//     link->addToRunLoop(foundation::RunLoop::main());
//     ...
//     link->invalidate();
//
// Pausing and invalidating are safe from any thread; the block runs on the
// loop's thread.

#include "platform/foundation/RunLoop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace ui {

class DisplayLink : public std::enable_shared_from_this<DisplayLink> {
public:
    static constexpr double kRefreshRate = 60.0;
    using Block = std::function<void(DisplayLink& link)>;

    static std::shared_ptr<DisplayLink> create(Block block);
    ~DisplayLink();
    DisplayLink(const DisplayLink&) = delete;
    DisplayLink& operator=(const DisplayLink&) = delete;

    // A link fires on one loop: adding it to another moves it there.
    void addToRunLoop(foundation::RunLoop& loop);
    // Does nothing for a loop the link is not on.
    void removeFromRunLoop(foundation::RunLoop& loop);
    // Off its loop for good; the block (and what it holds) is let go.
    void invalidate();

    bool isPaused() const;
    void setPaused(bool paused);

    // The time of the refresh being handled (the last one fired).
    double timestamp() const;
    double duration() const { return 1.0 / kRefreshRate; }
    // The time of the next refresh, when what is drawn now is shown.
    double targetTimestamp() const { return timestamp() + duration(); }

    // Made through create(); public for std::make_shared.
    explicit DisplayLink(Block block) : block_(std::move(block)) {}

private:
    // Arms the timer for the next refresh when the link should fire.
    void scheduleLocked();
    void cancelLocked();
    void fire(double refresh, uint64_t generation);

    mutable std::mutex mutex_;
    Block block_;
    foundation::RunLoop* loop_ = nullptr;
    bool paused_ = false;
    bool invalidated_ = false;
    foundation::TimerHandle timer_;  // set while a refresh is armed
    uint64_t generation_ = 0;
    double timestamp_ = 0;
};

}  // namespace ui
