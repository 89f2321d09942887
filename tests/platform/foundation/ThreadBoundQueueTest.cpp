#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/DispatchSemaphore.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

using foundation::DispatchGroup;
using foundation::DispatchQueue;
using foundation::DispatchSemaphore;

namespace {

TEST(ThreadBoundQueue, EveryTaskRunsInOrderOnOneThreadOfItsOwn) {
    DispatchQueue queue = DispatchQueue::threadBound("com.example.bound");
    EXPECT_TRUE(queue.isSerial());
    EXPECT_TRUE(queue.isThreadBound());
    EXPECT_FALSE(DispatchQueue("plain").isThreadBound());
    std::set<std::thread::id> threads;  // touched only on the queue
    std::vector<int> order;
    DispatchGroup group;
    DispatchQueue feeder("feeder");
    for (int i = 0; i < 200; ++i) {
        auto task = [&, i] {
            threads.insert(std::this_thread::get_id());
            order.push_back(i);
            EXPECT_EQ(DispatchQueue::currentLabel(), "com.example.bound");
        };
        // Half the work arrives through sync from other threads: it still runs on the one thread.
        if (i % 2 == 0)
            group.async(queue, task);
        else
            queue.sync(task);
    }
    ASSERT_TRUE(group.wait(30));
    ASSERT_EQ(threads.size(), 1u);
    EXPECT_NE(*threads.begin(), std::this_thread::get_id());
    ASSERT_EQ(order.size(), 200u);
    for (int i = 0; i < 200; ++i) ASSERT_EQ(order[i], i);
}

TEST(ThreadBoundQueue, NestedSyncRunsInlineAndSyncBackFromAWaitedQueueDoesNotDeadlock) {
    DispatchQueue queue = DispatchQueue::threadBound("bound.nested");
    DispatchQueue other("other");
    std::vector<std::string> steps;
    queue.sync([&] {
        EXPECT_TRUE(queue.isCurrent());
        steps.push_back("outer");
        queue.sync([&] { steps.push_back("inner"); });
        steps.push_back("after inner");
        // The other queue's task re-enters the waiting queue: it runs inline.
        other.sync([&] { queue.sync([&] { steps.push_back("back"); }); });
    });
    EXPECT_FALSE(queue.isCurrent());
    EXPECT_EQ(steps, (std::vector<std::string>{"outer", "inner", "after inner", "back"}));
}

TEST(ThreadBoundQueue, QueuedWorkOutlivesTheLastHandleAndATaskMayDropIt) {
    DispatchSemaphore done(0);
    std::atomic<int> ran{0};
    {
        DispatchQueue temporary = DispatchQueue::threadBound("bound.temporary");
        for (int i = 0; i < 20; ++i) temporary.async([&] { ++ran; });
        temporary.async([&] { done.signal(); });
    }
    ASSERT_TRUE(done.wait(30));
    EXPECT_EQ(ran, 20);

    // The only handle lives in the queue's own task: the queue ends on its own thread.
    DispatchSemaphore released(0);
    {
        auto holder = std::make_shared<DispatchQueue>(DispatchQueue::threadBound("bound.self"));
        holder->async([holder, &released]() mutable {
            holder.reset();
            released.signal();
        });
    }
    ASSERT_TRUE(released.wait(30));
    { DispatchQueue idle = DispatchQueue::threadBound("bound.idle"); }
}

}  // namespace
