#include "platform/foundation/BackgroundActivity.h"
#include "platform/foundation/QtRunLoopDriver.h"
#include "platform/foundation/RunLoop.h"
#include "support/VirtualClock.h"

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using foundation::RunLoop;
using foundation::Timer;
using foundation::TimerHandle;

namespace {

struct Fire {
    double time;
    std::string what;
    bool operator==(const Fire&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Fire& fire) { return out << fire.what << "@" << fire.time; }

}  // namespace

TEST(RunLoopVirtualTime, SixtySecondScenarioFiresAtExactTimesInOrder) {
    auto realStart = std::chrono::steady_clock::now();
    testsupport::VirtualClockScope scope;
    auto& loop = RunLoop::main();
    std::vector<Fire> log;
    auto record = [&](std::string what) { log.push_back({loop.now(), std::move(what)}); };
    int owner = 0, otherOwner = 0;

    int ticks = 0;
    loop.scheduleTimer(1.5, true, [&](Timer&) { ++ticks; });
    auto sevens = loop.scheduleTimer(7, true, [&](Timer&) { record("seven"); });
    loop.scheduleTimer(10, false, [&](Timer&) { record("ten"); });
    loop.scheduleTimer(30, false, [&](Timer&) {
        record("stop sevens");
        sevens->invalidate();
    });
    loop.performAfter(
        5, [&] { record("perform 5"); }, &owner);
    loop.performAfter(
        20, [&] { record("perform 20 x"); }, &owner, "x");
    loop.performAfter(
        21, [&] { record("perform 21 y"); }, &owner, "y");
    loop.performAfter(
        22, [&] { record("other 22"); }, &otherOwner);
    auto byToken = loop.performAfter(12, [&] { record("token 12"); });
    loop.performAfter(3, [&] {
        record("cancel");
        EXPECT_EQ(loop.cancelPreviousPerformRequests(&owner, "x"), 1u);
        byToken->invalidate();
    });
    // A timer scheduled from a timer's block counts from that moment.
    loop.performAfter(40, [&] {
        loop.scheduleTimer(2.5, true, [&](Timer& timer) {
            record("late");
            if (loop.now() >= 47.5) timer.invalidate();
        });
    });
    loop.performAfter(50, [&] {
        record("fifty");
        loop.post([&] { record("posted at fifty"); });
    });
    loop.performAfter(61, [&] { record("beyond the end"); });

    loop.advance(60);

    std::vector<Fire> expected = {
        {3, "cancel"},  {5, "perform 5"},     {7, "seven"},     {10, "ten"},   {14, "seven"},
        {21, "seven"},  {21, "perform 21 y"}, {22, "other 22"}, {28, "seven"}, {30, "stop sevens"},
        {42.5, "late"}, {45, "late"},         {47.5, "late"},   {50, "fifty"}, {50, "posted at fifty"},
    };
    EXPECT_EQ(log, expected);
    EXPECT_EQ(ticks, 40);  // 1.5, 3.0, ... 60.0: a timer due at the end of the span fires
    EXPECT_DOUBLE_EQ(loop.now(), 60);
    EXPECT_FALSE(sevens->isValid());
    EXPECT_EQ(loop.scheduledTimerCount(), 2u);  // the 1.5 s ticker and the one beyond the end
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(1));
}

TEST(RunLoopVirtualTime, EqualFireDatesFireInSchedulingOrder) {
    testsupport::VirtualClockScope scope;
    auto& loop = RunLoop::main();
    std::string order;
    loop.performAfter(1, [&] { order += "a"; });
    loop.scheduleTimer(1, false, [&](Timer&) { order += "b"; });
    loop.performAfter(0.5, [&] { order += "c"; });
    loop.performAfter(1, [&] { order += "d"; });
    loop.advance(1);
    EXPECT_EQ(order, "cabd");
}

TEST(RunLoopVirtualTime, PostedTasksRunBeforeTimeMoves) {
    testsupport::VirtualClockScope scope(100);
    auto& loop = RunLoop::main();
    std::vector<double> times;
    loop.performAfter(1, [&] { times.push_back(loop.now()); });
    loop.post([&] {
        times.push_back(loop.now());
        loop.post([&] { times.push_back(loop.now()); });
    });
    loop.runUntilIdle();
    EXPECT_EQ(times, (std::vector<double>{100, 100}));
    EXPECT_DOUBLE_EQ(loop.now(), 100);  // idle does not move time
    loop.advance(1);
    EXPECT_EQ(times, (std::vector<double>{100, 100, 101}));
}

TEST(RunLoopVirtualTime, ZeroDelayPerformThatReschedulesItselfDoesNotStarveTheLoop) {
    testsupport::VirtualClockScope scope;
    auto& loop = RunLoop::main();
    int spins = 0;
    std::function<void()> spin = [&] {
        if (++spins < 1000) loop.performAfter(0, spin);
    };
    loop.performAfter(0, spin);
    bool posted = false;
    loop.post([&] { posted = true; });
    EXPECT_TRUE(loop.runUntil([&] { return posted; }, 0));
    EXPECT_LT(spins, 5);  // the posted task ran between the spins
    loop.runUntilIdle();
    EXPECT_EQ(spins, 1000);
}

TEST(RunLoopTimers, InvalidateFromOwnBlockReleasesCaptures) {
    testsupport::VirtualClockScope scope;
    auto& loop = RunLoop::main();
    auto payload = std::make_shared<int>(7);
    std::weak_ptr<int> watch = payload;
    int fires = 0;
    TimerHandle timer = loop.scheduleTimer(0.25, true, [&fires, payload = std::move(payload)](Timer& self) {
        if (++fires == 3) self.invalidate();
    });
    EXPECT_TRUE(timer->isValid());
    EXPECT_DOUBLE_EQ(timer->fireDate(), 0.25);
    loop.advance(10);
    EXPECT_EQ(fires, 3);
    EXPECT_FALSE(timer->isValid());
    EXPECT_TRUE(watch.expired());
    timer->invalidate();  // a second time does nothing
}

TEST(RunLoopTimers, OneShotBecomesInvalidAfterFiringAndRepeatingKeepsItsGrid) {
    testsupport::VirtualClockScope scope;
    auto& loop = RunLoop::main();
    auto once = loop.scheduleTimer(2, false, [](Timer&) {});
    auto every = loop.scheduleTimer(0.75, true, [](Timer&) {});
    loop.advance(2);
    EXPECT_FALSE(once->isValid());
    EXPECT_TRUE(every->isValid());
    EXPECT_DOUBLE_EQ(every->fireDate(), 2.25);
    every->invalidate();
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
}

TEST(RunLoopTimers, CancelByOwnerTakesOnlyThatOwnersPendingPerforms) {
    testsupport::VirtualClockScope scope;
    auto& loop = RunLoop::main();
    int mine = 0, theirs = 0;
    std::string ran;
    loop.performAfter(
        1, [&] { ran += "m1"; }, &mine, "a");
    loop.performAfter(
        2, [&] { ran += "m2"; }, &mine, "b");
    loop.performAfter(
        3, [&] { ran += "t3"; }, &theirs, "a");
    EXPECT_EQ(loop.cancelPreviousPerformRequests(nullptr), 0u);
    EXPECT_EQ(loop.cancelPreviousPerformRequests(&mine), 2u);
    EXPECT_EQ(loop.cancelPreviousPerformRequests(&mine), 0u);
    loop.advance(5);
    EXPECT_EQ(ran, "t3");
}

TEST(RunLoopTimers, ResetDropsTimersOfTheEarlierState) {
    TimerHandle leftover;
    {
        testsupport::VirtualClockScope scope;
        leftover = RunLoop::main().scheduleTimer(1, true, [](Timer&) { FAIL() << "fired after its test"; });
    }
    testsupport::VirtualClockScope scope;
    EXPECT_FALSE(leftover->isValid());
    EXPECT_EQ(RunLoop::main().scheduledTimerCount(), 0u);
    RunLoop::main().advance(5);
}

TEST(RunLoopNesting, NestedRunUntilKeepsTimersAndTasksFiring) {
    testsupport::VirtualClockScope scope;
    auto& loop = RunLoop::main();
    int ticks = 0;
    bool answered = false;
    bool nestedResult = false;
    double nestedEnd = -1;
    bool afterModal = false;
    loop.scheduleTimer(0.5, true, [&](Timer&) { ++ticks; });
    loop.performAfter(2, [&] { answered = true; });
    loop.post([&] {
        // A modal wait inside a task.
        nestedResult = loop.runUntil([&] { return answered; }, 30);
        nestedEnd = loop.now();
    });
    loop.post([&] { afterModal = true; });
    loop.runUntil([&] { return nestedEnd >= 0; }, 60);
    EXPECT_TRUE(nestedResult);
    EXPECT_DOUBLE_EQ(nestedEnd, 2);
    EXPECT_EQ(ticks, 4);
    EXPECT_TRUE(afterModal);  // the nested run took the next task in order
}

TEST(RunLoopNesting, RepeatingTimerDoesNotFireInsideItsOwnBlock) {
    testsupport::VirtualClockScope scope;
    auto& loop = RunLoop::main();
    int depth = 0, maxDepth = 0, fires = 0, others = 0;
    loop.scheduleTimer(1, true, [&](Timer&) {
        ++fires;
        maxDepth = std::max(maxDepth, ++depth);
        if (fires == 1) loop.runFor(3.5);  // a nested run that spans three of its periods
        --depth;
    });
    loop.scheduleTimer(1, true, [&](Timer&) { ++others; });
    loop.advance(6);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(others, 6);
    // After the nested run (1 → 4.5) the grid goes on at 5 and 6.
    EXPECT_EQ(fires, 3);
}

TEST(RunLoopNesting, StopEndsOnlyTheInnermostRun) {
    testsupport::VirtualClockScope scope;
    auto& loop = RunLoop::main();
    std::vector<double> ends;
    loop.performAfter(1, [&] {
        loop.performAfter(2, [&] { loop.stop(); });
        loop.run();
        ends.push_back(loop.now());
        loop.performAfter(4, [&] { loop.stop(); });
    });
    loop.run();
    ends.push_back(loop.now());
    EXPECT_EQ(ends, (std::vector<double>{3, 7}));
    loop.stop();  // with no run in progress it is not kept for the next one
    EXPECT_FALSE(loop.runUntil([] { return false; }, 1));
    EXPECT_DOUBLE_EQ(loop.now(), 8);
}

TEST(RunLoopNesting, RunWithNothingToWaitForFailsInsteadOfHanging) {
    testsupport::VirtualClockScope scope;
    EXPECT_THROW(RunLoop::main().run(), std::logic_error);
    EXPECT_FALSE(RunLoop::main().runUntil([] { return false; }, 2.5));
    EXPECT_DOUBLE_EQ(RunLoop::main().now(), 2.5);
}

TEST(RunLoopThreads, TasksFromEightThreadsArriveInPerThreadOrder) {
    testsupport::VirtualClockScope scope;
    auto& loop = RunLoop::main();
    constexpr int kThreads = 8, kTasks = 500;
    std::vector<std::vector<int>> received(kThreads);
    int total = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        // Counted before the thread starts, so virtual time cannot move before it posts.
        foundation::BackgroundActivity::begin();
        threads.emplace_back([&, t] {
            foundation::ScopedBackgroundActivity activity{foundation::ScopedBackgroundActivity::Adopt{}};
            for (int i = 0; i < kTasks; ++i)
                loop.post([&, t, i] {
                    received[t].push_back(i);
                    ++total;
                });
        });
    }
    EXPECT_TRUE(loop.runUntil([&] { return total == kThreads * kTasks; }, 5));
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(received[t].size(), size_t(kTasks));
        for (int i = 0; i < kTasks; ++i) ASSERT_EQ(received[t][i], i) << "thread " << t;
    }
    EXPECT_DOUBLE_EQ(loop.now(), 0);
}

TEST(RunLoopThreads, OtherThreadsHaveTheirOwnRealTimeLoop) {
    testsupport::VirtualClockScope scope;
    bool ranOnOwnLoop = false, isMain = true, virtualClock = true, runMainThrows = false;
    std::thread worker([&] {
        auto& loop = RunLoop::current();
        isMain = &loop == &RunLoop::main() || RunLoop::isMainThread();
        virtualClock = loop.isVirtual();
        loop.post([&] { ranOnOwnLoop = true; });
        loop.runUntil([&] { return ranOnOwnLoop; }, 5);
        try {
            RunLoop::main().runUntilIdle();
        } catch (const std::logic_error&) {
            runMainThrows = true;
        }
    });
    worker.join();
    EXPECT_TRUE(ranOnOwnLoop);
    EXPECT_FALSE(isMain);
    EXPECT_FALSE(virtualClock);
    EXPECT_TRUE(runMainThrows);
    EXPECT_TRUE(RunLoop::isMainThread());
}

namespace {

// What a runUntil saw when another thread made its condition true and woke
// the loop with nothing posted.
struct WokenRun {
    bool conditionSeen = false;
    bool wakerGaveUp = false;  // the run had not answered within ten real seconds
    double clockMoved = 0;
    bool timerFired = false;
};

// Call on the thread that owns `loop`. A timer at `timerAt` (when positive)
// would let a virtual clock jump ahead if the wake-up were ignored.
WokenRun runWokenByAnotherThread(RunLoop& loop, double timerAt) {
    using namespace std::chrono_literals;
    WokenRun result;
    if (timerAt > 0) loop.performAfter(timerAt, [&] { result.timerFired = true; });
    std::atomic<bool> condition{false};
    std::promise<void> running, answered;
    loop.post([&] { running.set_value(); });
    double start = loop.now();
    // Counted before the thread starts and until the run has answered, so on
    // a virtual clock only the wake-up can end the run's wait.
    foundation::BackgroundActivity::begin();
    std::thread waker([&, runningFuture = running.get_future(), answeredFuture = answered.get_future()] {
        foundation::ScopedBackgroundActivity activity{foundation::ScopedBackgroundActivity::Adopt{}};
        runningFuture.wait();
        condition = true;
        loop.wakeUp();
        result.wakerGaveUp = answeredFuture.wait_for(10s) != std::future_status::ready;
    });
    result.conditionSeen = loop.runUntil([&] { return condition.load(); }, 60);
    result.clockMoved = loop.now() - start;
    answered.set_value();
    waker.join();
    return result;
}

}  // namespace

TEST(RunLoopWakeUp, RunUntilRechecksItsConditionWhenWokenFromAnotherThread) {
    struct Case {
        const char* name;
        bool onWorkerThread;  // the worker's own loop runs on real time
        double timerAt;
    } cases[] = {
        {"main loop, virtual clock", false, 0},
        {"main loop, virtual clock, timer pending", false, 5},
        {"worker loop, real time", true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::VirtualClockScope scope;
        WokenRun run;
        if (c.onWorkerThread) {
            std::thread worker([&] { run = runWokenByAnotherThread(RunLoop::current(), c.timerAt); });
            worker.join();
        } else {
            run = runWokenByAnotherThread(RunLoop::main(), c.timerAt);
        }
        EXPECT_TRUE(run.conditionSeen);
        EXPECT_FALSE(run.wakerGaveUp);
        EXPECT_FALSE(run.timerFired);
        if (!c.onWorkerThread) {
            EXPECT_DOUBLE_EQ(run.clockMoved, 0);
        }
    }
}

TEST(RunLoopRealTime, AdvanceNeedsAVirtualClock) {
    ASSERT_FALSE(RunLoop::main().isVirtual());
    EXPECT_THROW(RunLoop::main().advance(1), std::logic_error);
}

TEST(QtRunLoopDriver, QtEventLoopRunsPostsAndTimers) {
    ASSERT_FALSE(RunLoop::main().isVirtual());
    int argc = 1;
    char name[] = "tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    foundation::QtRunLoopDriver driver;
    auto& loop = RunLoop::main();
    std::vector<std::string> events;
    loop.scheduleTimer(0, false, [&](Timer&) { events.push_back("timer"); });
    loop.post([&] { events.push_back("early post"); });  // queued before the loop runs
    std::thread poster([&] {
        loop.post([&] {
            events.push_back("from thread");
            // A nested run under Qt still serves the RunLoop's timers.
            bool fired = false;
            loop.performAfter(0.002, [&] { fired = true; });
            events.push_back(loop.runUntil([&] { return fired; }, 5) ? "nested" : "nested timed out");
            QCoreApplication::quit();
        });
    });
    int status = app.exec();
    poster.join();
    EXPECT_EQ(status, 0);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[3], "nested");
    EXPECT_NE(std::find(events.begin(), events.end(), "timer"), events.end());
    EXPECT_NE(std::find(events.begin(), events.end(), "early post"), events.end());
    EXPECT_EQ(loop.pendingTaskCount(), 0u);
}

// A loop reset while another thread posts keeps waking its driver: the fresh
// state has the driver before a post can reach it.
TEST(RunLoopDriverTest, ResetsWhileAnotherThreadPostsKeepWakingTheDriver) {
    struct CountingDriver final : foundation::RunLoopDriver {
        std::atomic<int> wakes{0};
        void wake() override { ++wakes; }
        void waitForEvents(double) override {}
    } driver;
    auto& loop = RunLoop::main();
    loop.setDriver(&driver);
    constexpr int kPosts = 2000;
    std::atomic<int> posts{0};
    std::thread poster([&] {
        for (int i = 0; i < kPosts; ++i) {
            loop.post([] {});
            ++posts;
        }
    });
    while (posts < kPosts) loop.reset(std::make_shared<foundation::SteadyClock>());
    poster.join();
    loop.setDriver(nullptr);
    loop.runUntilIdle();
    EXPECT_EQ(driver.wakes, 1 + kPosts) << "one for the driver's start, one for each post";
}
