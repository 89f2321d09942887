#include "platform/foundation/BackgroundActivity.h"
#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ThreadPool.h"
#include "support/VirtualClock.h"

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <sched.h>
#include <stdexcept>
#include <thread>
#include <vector>

using foundation::DispatchGroup;
using foundation::DispatchQueue;
using foundation::DispatchSemaphore;
using foundation::QueuePriority;
using foundation::RunLoop;

TEST(DispatchSerialQueue, RunsTasksOneAtATimeInOrder) {
    DispatchQueue queue("com.example.serial");
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    std::vector<int> order;  // touched only on the queue
    DispatchGroup group;
    for (int i = 0; i < 300; ++i) {
        group.async(queue, [&, i] {
            if (running.fetch_add(1) != 0) overlapped = true;
            order.push_back(i);
            std::this_thread::yield();  // invite an overlap if the queue were not serial
            running.fetch_sub(1);
        });
    }
    ASSERT_TRUE(group.wait(30));
    EXPECT_FALSE(overlapped);
    ASSERT_EQ(order.size(), 300u);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(order[i], i);
}

TEST(DispatchSerialQueue, LabelsAndCurrentQueue) {
    DispatchQueue queue("com.marrowick.exportqueue");
    EXPECT_EQ(queue.label(), "com.marrowick.exportqueue");
    EXPECT_TRUE(queue.isSerial());
    EXPECT_FALSE(queue.isMain());
    EXPECT_EQ(DispatchQueue::currentLabel(), "main");
    EXPECT_TRUE(DispatchQueue::main().isCurrent());
    EXPECT_FALSE(queue.isCurrent());

    std::string inside, onGlobal, onThread = "unset";
    bool queueCurrent = false, mainCurrent = true;
    queue.sync([&] {
        inside = DispatchQueue::currentLabel();
        queueCurrent = queue.isCurrent();
    });
    DispatchQueue::global(QueuePriority::Low).sync([&] { onGlobal = DispatchQueue::currentLabel(); });
    std::thread([&] {
        onThread = DispatchQueue::currentLabel();
        mainCurrent = DispatchQueue::main().isCurrent();
    }).join();
    EXPECT_EQ(inside, "com.marrowick.exportqueue");
    EXPECT_TRUE(queueCurrent);
    EXPECT_EQ(onGlobal, "global.low");
    EXPECT_EQ(onThread, "");
    EXPECT_FALSE(mainCurrent);
    EXPECT_FALSE(DispatchQueue::global().isSerial());
}

TEST(DispatchSerialQueue, SyncOnOwnQueueRunsInline) {
    DispatchQueue queue("inline");
    DispatchQueue other("other");
    std::vector<std::string> steps;
    std::thread::id outerThread, innerThread;
    queue.sync([&] {
        outerThread = std::this_thread::get_id();
        steps.push_back("outer");
        queue.sync([&] {
            innerThread = std::this_thread::get_id();
            steps.push_back("inner");
        });
        // A chain back to a queue that waits for us runs inline too.
        other.sync([&] { queue.sync([&] { steps.push_back("through other"); }); });
        steps.push_back("after");
    });
    EXPECT_EQ(steps, (std::vector<std::string>{"outer", "inner", "through other", "after"}));
    EXPECT_EQ(outerThread, innerThread);
}

TEST(DispatchSerialQueue, SyncWaitsForEarlierTasks) {
    DispatchQueue queue("ordered");
    std::vector<int> order;
    for (int i = 0; i < 50; ++i) queue.async([&, i] { order.push_back(i); });
    size_t seen = 0;
    queue.sync([&] { seen = order.size(); });
    EXPECT_EQ(seen, 50u);
}

TEST(DispatchSerialQueue, DroppingTheLastHandleKeepsQueuedWorkRunning) {
    DispatchGroup group;
    std::atomic<int> done{0};
    {
        DispatchQueue temporary("temporary");
        for (int i = 0; i < 20; ++i) group.async(temporary, [&] { ++done; });
    }
    ASSERT_TRUE(group.wait(30));
    EXPECT_EQ(done, 20);
    // An idle queue simply goes away.
    { DispatchQueue idle("idle"); }
}

TEST(DispatchMainQueue, SyncFromMainRunsInlineAndFromBackgroundGoesThroughTheLoop) {
    testsupport::VirtualClockScope scope;
    bool inlineRan = false;
    DispatchQueue::main().sync([&] { inlineRan = true; });
    EXPECT_TRUE(inlineRan);

    bool onMain = false;
    bool finished = false;
    DispatchQueue("worker").async([&] {
        DispatchQueue::main().sync([&] { onMain = RunLoop::isMainThread(); });
        DispatchQueue::main().async([&] { finished = true; });
    });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return finished; }, 10));
    EXPECT_TRUE(onMain);
    EXPECT_DOUBLE_EQ(RunLoop::main().now(), 0);
}

TEST(DispatchMainQueue, AfterFiresAtTheVirtualTime) {
    testsupport::VirtualClockScope scope;
    auto& loop = RunLoop::main();
    std::vector<double> mainTimes;
    std::atomic<double> backgroundTime{-1};
    DispatchQueue::main().after(2.5, [&] { mainTimes.push_back(loop.now()); });
    DispatchQueue::main().after(0.5, [&] { mainTimes.push_back(loop.now()); });
    DispatchQueue::global().after(1.25, [&] {
        backgroundTime = loop.now();
        EXPECT_FALSE(RunLoop::isMainThread());
    });
    loop.advance(5);
    EXPECT_EQ(mainTimes, (std::vector<double>{0.5, 2.5}));
    EXPECT_EQ(backgroundTime.load(), 1.25);
}

// For the pool's queues and for a thread-bound queue alike.
TEST(DispatchVirtualTime, TimeWaitsForBackgroundWorkInFlight) {
    const std::pair<const char*, std::function<DispatchQueue()>> queues[] = {
        {"global", [] { return DispatchQueue::global(); }},
        {"thread-bound", [] { return DispatchQueue::threadBound("bound.clock"); }},
    };
    for (const auto& [kind, make] : queues) {
        SCOPED_TRACE(kind);
        testsupport::VirtualClockScope scope;
        auto& loop = RunLoop::main();
        std::vector<std::pair<std::string, double>> log;
        loop.performAfter(1, [&] { log.push_back({"timer", loop.now()}); });
        DispatchQueue queue = make();
        queue.async([&] {
            // Some work; without activity counting the loop would jump to the timer meanwhile.
            volatile long sum = 0;
            for (long i = 0; i < 2000000; ++i) sum = sum + i;
            DispatchQueue::main().async([&] { log.push_back({"result", loop.now()}); });
        });
        loop.advance(2);
        ASSERT_EQ(log.size(), 2u);
        EXPECT_EQ(log[0], (std::pair<std::string, double>{"result", 0}));
        EXPECT_EQ(log[1], (std::pair<std::string, double>{"timer", 1}));
    }
}

TEST(DispatchVirtualTime, WhatATaskHoldsGoesBeforeTheLoopIsIdle) {
    // Letting go of a task's captures is part of its work: a render's last
    // handle on its encoder closes the encoder there.
    struct Held {
        std::atomic<int64_t>* countedAtRelease;
        ~Held() { *countedAtRelease = foundation::BackgroundActivity::inFlight(); }
    };
    const std::pair<const char*, std::function<DispatchQueue()>> queues[] = {
        {"global", [] { return DispatchQueue::global(); }},
        {"serial", [] { return DispatchQueue("serial.release"); }},
        {"thread-bound", [] { return DispatchQueue::threadBound("bound.release"); }},
    };
    for (const auto& [kind, make] : queues) {
        SCOPED_TRACE(kind);
        testsupport::VirtualClockScope scope;
        std::atomic<int64_t> countedAtRelease{-1};
        make().async([held = std::make_shared<Held>(&countedAtRelease)] {});
        RunLoop::main().runUntilIdle();
        EXPECT_GE(countedAtRelease.load(), 1) << "released after the loop could call itself idle";
    }
}

TEST(DispatchVirtualTime, BackgroundTaskWaitingForAMainTimerDoesNotFreezeTime) {
    testsupport::VirtualClockScope scope;
    auto& loop = RunLoop::main();
    DispatchSemaphore stored(0);
    double storedAt = -1, resumedAt = -1;
    loop.performAfter(3, [&] {
        storedAt = loop.now();
        stored.signal();
    });
    DispatchQueue("cameraQueue").async([&] {
        stored.wait();  // the capture source waits until main stored the frame
        DispatchQueue::main().async([&] { resumedAt = loop.now(); });
    });
    loop.advance(10);
    EXPECT_EQ(storedAt, 3);
    EXPECT_EQ(resumedAt, 3);  // the woken worker counted again before time could move on
}

TEST(DispatchSemaphore, WakesWaitersFirstComeFirstServed) {
    DispatchSemaphore semaphore(0);
    constexpr int kWaiters = 6;
    std::mutex mutex;
    std::vector<int> wakeOrder;
    std::vector<std::thread> threads;
    for (int i = 0; i < kWaiters; ++i) {
        threads.emplace_back([&, i] {
            ASSERT_TRUE(semaphore.wait());
            std::lock_guard lock(mutex);
            wakeOrder.push_back(i);
            semaphore.signal();  // pass the turn on; it must go to the next in line
        });
        // Let thread i queue up before thread i+1 starts.
        while (semaphore.waitingCount() != size_t(i + 1)) std::this_thread::yield();
    }
    // A free unit belongs to the longest waiter, never to a newcomer.
    semaphore.signal();
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wakeOrder, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(semaphore.wait(0));  // the last waiter's signal left one unit
    EXPECT_FALSE(semaphore.wait(0));
}

TEST(DispatchSemaphore, CountsAndTimesOut) {
    DispatchSemaphore semaphore(2);
    EXPECT_TRUE(semaphore.wait(0));
    EXPECT_TRUE(semaphore.wait(0));
    EXPECT_FALSE(semaphore.wait(0));
    EXPECT_FALSE(semaphore.wait(0.001));
    EXPECT_EQ(semaphore.waitingCount(), 0u);  // a timed-out waiter leaves the line
    EXPECT_FALSE(semaphore.signal());
    EXPECT_TRUE(semaphore.wait(0));
    EXPECT_THROW(DispatchSemaphore(-1), std::invalid_argument);
}

TEST(DispatchSemaphore, OneFrameInFlightDropsTheRest) {
    // The pattern of the image pipeline's sources: try without waiting, drop when busy.
    DispatchSemaphore inFlight(1);
    DispatchQueue context("context");
    DispatchSemaphore release(0);
    int processed = 0, dropped = 0;
    for (int frame = 0; frame < 5; ++frame) {
        if (!inFlight.wait(0)) {
            ++dropped;
            continue;
        }
        context.async([&] {
            release.wait();
            ++processed;
            inFlight.signal();
        });
    }
    release.signal();
    context.sync([] {});
    EXPECT_EQ(processed, 1);
    EXPECT_EQ(dropped, 4);
    EXPECT_TRUE(inFlight.wait(0));
}

TEST(DispatchGroup, NotifyRunsAfterEveryLeave) {
    testsupport::VirtualClockScope scope;
    DispatchGroup group;
    std::atomic<int> finished{0};
    int finishedAtNotify = -1;
    bool notified = false;
    for (int i = 0; i < 10; ++i) {
        group.async(DispatchQueue::global(i % 2 ? QueuePriority::High : QueuePriority::Background), [&] {
            std::this_thread::yield();
            ++finished;
        });
    }
    group.enter();
    group.notify(DispatchQueue::main(), [&] {
        finishedAtNotify = finished;
        notified = true;
    });
    EXPECT_FALSE(group.wait(0));  // the manual enter is still open
    DispatchQueue("late").async([&] { group.leave(); });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return notified; }, 10));
    EXPECT_EQ(finishedAtNotify, 10);
    EXPECT_TRUE(group.wait(0));
}

TEST(DispatchGroup, EmptyGroupNotifiesAtOnceAndUnmatchedLeaveThrows) {
    testsupport::VirtualClockScope scope;
    DispatchGroup group;
    bool notified = false;
    group.notify(DispatchQueue::main(), [&] { notified = true; });
    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(notified);
    EXPECT_THROW(group.leave(), std::logic_error);
    group.enter();
    group.leave();
    EXPECT_TRUE(group.wait());
}

TEST(DispatchGlobalQueue, WorkersBlockedInWaitsDoNotStarveThePool) {
    // More tasks than workers, each waiting until all of them have started:
    // only a pool that adds workers for blocked ones can finish.
    const int tasks = int(std::max(2u, std::thread::hardware_concurrency())) * 3;
    DispatchGroup started, finished;
    for (int i = 0; i < tasks; ++i) started.enter();
    std::atomic<int> done{0};
    for (int i = 0; i < tasks; ++i) {
        finished.async(DispatchQueue::global(), [&] {
            started.leave();
            started.wait();
            ++done;
        });
    }
    ASSERT_TRUE(finished.wait(60));
    EXPECT_EQ(done, tasks);
}

// The one worker waits on the outside world and, inside that, in a dispatch
// wait: the pool still starts another for the queued work.
TEST(DispatchGlobalQueue, AWorkerThatWaitsInsideBlockingWorkCountsAsOneBlockedWorker) {
    foundation::detail::ThreadPool pool(1);
    DispatchSemaphore release(0), ran(0);
    pool.submit(QueuePriority::Default, [&] {
        const foundation::ScopedBlockingWork outside;
        release.wait(30);
    });
    while (release.waitingCount() == 0) std::this_thread::yield();
    pool.submit(QueuePriority::Default, [&] {
        ran.signal();
        release.signal();
    });
    EXPECT_TRUE(ran.wait(30));
    EXPECT_EQ(pool.threadCount(), 2u);
}

TEST(DispatchGlobalQueue, HigherPriorityIsServedFirst) {
    // One worker, held busy while low and then high work is queued.
    foundation::detail::ThreadPool pool(1);
    std::atomic<bool> holding{false}, release{false};
    std::mutex mutex;
    std::vector<char> order;
    DispatchSemaphore done(0);
    pool.submit(QueuePriority::Default, [&] {
        holding = true;
        while (!release) std::this_thread::yield();
    });
    while (!holding) std::this_thread::yield();
    for (char c : {'b', 'l', 'd', 'h'}) {
        QueuePriority priority = c == 'b'   ? QueuePriority::Background
                                 : c == 'l' ? QueuePriority::Low
                                 : c == 'd' ? QueuePriority::Default
                                            : QueuePriority::High;
        pool.submit(priority, [&, c] {
            std::lock_guard lock(mutex);
            order.push_back(c);
            done.signal();
        });
    }
    release = true;
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(done.wait(30));
    EXPECT_EQ(order, (std::vector<char>{'h', 'd', 'l', 'b'}));
    EXPECT_EQ(pool.threadCount(), 1u);
}

TEST(DispatchMainQueue, SyncWaitingOnALoopThatIsResetReturnsInsteadOfHanging) {
    std::atomic<bool> ran{false}, returned{false};
    {
        testsupport::VirtualClockScope scope;
        DispatchQueue("worker").async([&] {
            DispatchQueue::main().sync([&] { ran = true; });
            returned = true;
        });
        while (RunLoop::main().pendingTaskCount() == 0) std::this_thread::yield();
        // The test ends without running the main loop; the scope drops the task.
    }
    EXPECT_FALSE(ran);
    EXPECT_TRUE(returned);
    EXPECT_EQ(foundation::BackgroundActivity::inFlight(), 0);
}

// At the end of the process the main loop no longer runs: what pool tasks
// wait for on the main queue is served until the pool is done, or until the
// time given has passed while a task still works. On the real clock, as at
// the exit: a virtual one stands still while a task works.
TEST(DispatchMainQueue, PoolWorkThatWaitsOnTheMainQueueFinishesBeforeTheExit) {
    std::atomic<int> served{0};
    std::atomic<bool> release{false};
    for (int i = 0; i < 3; ++i) DispatchQueue::global().async([&] { DispatchQueue::main().sync([&] { ++served; }); });
    EXPECT_TRUE(DispatchQueue::finishPoolWork(5));
    EXPECT_EQ(served, 3);

    DispatchQueue::global().async([&] {
        while (!release) std::this_thread::yield();
        ++served;
    });
    EXPECT_FALSE(DispatchQueue::finishPoolWork(0.05));
    release = true;
    EXPECT_TRUE(DispatchQueue::finishPoolWork(5));
    EXPECT_EQ(served, 4);
}

// The policy is the calling thread's alone, lasts for the scope, and a scope
// leaves a thread that was batch work already (an outer scope) as it was.
TEST(DispatchBatchScheduling, HoldsForTheCallingThreadAndTheScopeOnly) {
    std::vector<int> seen;  // the worker's policy at each step, then the test thread's
    std::thread worker([&] {
        seen.push_back(sched_getscheduler(0));
        {
            const foundation::ScopedBatchScheduling outer;
            seen.push_back(sched_getscheduler(0));
            {
                const foundation::ScopedBatchScheduling inner;
                seen.push_back(sched_getscheduler(0));
            }
            seen.push_back(sched_getscheduler(0));
        }
        seen.push_back(sched_getscheduler(0));
    });
    worker.join();
    seen.push_back(sched_getscheduler(0));
    EXPECT_EQ(seen, (std::vector<int>{SCHED_OTHER, SCHED_BATCH, SCHED_BATCH, SCHED_BATCH, SCHED_OTHER, SCHED_OTHER}));
}
