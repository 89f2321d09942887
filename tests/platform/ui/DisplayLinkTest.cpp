// The display link on the virtual clock: refreshes on the 60 Hz grid, no
// timer while paused, and nothing after it is taken off its loop.

#include "platform/foundation/RunLoop.h"
#include "platform/ui/compositing/DisplayLink.h"
#include "support/VirtualClock.h"

#include <cmath>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using foundation::RunLoop;
using ui::DisplayLink;

namespace {

// A link that notes every refresh: its timestamp and the clock then.
struct Refreshes {
    std::vector<double> timestamps, clock;
    std::shared_ptr<DisplayLink> link = DisplayLink::create([this](DisplayLink& link) {
        timestamps.push_back(link.timestamp());
        clock.push_back(RunLoop::main().now());
        EXPECT_DOUBLE_EQ(link.targetTimestamp(), link.timestamp() + 1.0 / 60);
    });
};

// Whether every time lies on the refresh grid, one refresh after the other.
void expectConsecutiveRefreshes(const std::vector<double>& times, int firstRefresh) {
    for (size_t i = 0; i < times.size(); ++i)
        EXPECT_NEAR(times[i], (firstRefresh + double(i)) / 60, 1e-9) << i;
}

}  // namespace

TEST(DisplayLink, FiresAtEveryRefreshOnTheGrid) {
    testsupport::VirtualClockScope virtualClock(10.005);  // between refreshes 600 and 601
    Refreshes refreshes;
    refreshes.link->addToRunLoop(RunLoop::main());
    RunLoop::main().advance(0.1);
    ASSERT_EQ(refreshes.timestamps.size(), 6u);
    expectConsecutiveRefreshes(refreshes.timestamps, 601);
    expectConsecutiveRefreshes(refreshes.clock, 601);
    EXPECT_TRUE(RunLoop::main().repeatingTimers().empty()) << "one refresh at a time, not a repeating timer";
}

TEST(DisplayLink, PausedItKeepsNoTimerAndResumesOnTheGrid) {
    testsupport::VirtualClockScope virtualClock(0);
    Refreshes refreshes;
    refreshes.link->setPaused(true);
    refreshes.link->addToRunLoop(RunLoop::main());
    EXPECT_EQ(RunLoop::main().scheduledTimerCount(), 0u);
    RunLoop::main().advance(1.0);
    EXPECT_TRUE(refreshes.timestamps.empty());

    // Woken from another thread, as the pipeline's queue wakes it; paused and
    // woken again at once, it still fires once a refresh.
    std::thread([&] {
        refreshes.link->setPaused(false);
        refreshes.link->setPaused(true);
        refreshes.link->setPaused(false);
    }).join();
    RunLoop::main().advance(0.04);
    expectConsecutiveRefreshes(refreshes.timestamps, 61);
    EXPECT_EQ(refreshes.timestamps.size(), 2u);
    EXPECT_FALSE(refreshes.link->isPaused());
}

TEST(DisplayLink, StopsWhenPausedFromItsBlockRemovedOrInvalidated) {
    testsupport::VirtualClockScope virtualClock(0);
    int fired = 0;
    auto held = std::make_shared<int>(0);
    auto link = DisplayLink::create([&fired, held](DisplayLink& link) {
        if (++fired == 2) link.setPaused(true);
    });
    link->addToRunLoop(RunLoop::main());
    RunLoop::main().advance(1.0);
    EXPECT_EQ(fired, 2) << "paused from inside its own refresh";

    link->setPaused(false);
    link->removeFromRunLoop(RunLoop::main());
    RunLoop::main().advance(1.0);
    EXPECT_EQ(fired, 2) << "off its loop";

    link->addToRunLoop(RunLoop::main());
    RunLoop::main().advance(0.02);
    EXPECT_EQ(fired, 3);
    link->invalidate();
    EXPECT_EQ(held.use_count(), 1) << "the block is let go";
    link->addToRunLoop(RunLoop::main());
    link->setPaused(false);
    RunLoop::main().advance(1.0);
    EXPECT_EQ(fired, 3);
    EXPECT_EQ(RunLoop::main().scheduledTimerCount(), 0u);
}
