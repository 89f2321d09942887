#pragma once

// Internal: the worker threads behind the global queues and the serial
// queues. Sized to the processor count, it starts an extra worker while one
// is blocked in a dispatch wait and work is queued, so a wait on work that
// sits behind it in the pool cannot deadlock.

#include "platform/foundation/DispatchQueue.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace foundation::detail {

class ThreadPool {
public:
    static ThreadPool& shared();

    explicit ThreadPool(size_t width);
    // Stops the workers after their current task; queued tasks are dropped.
    ~ThreadPool();

    void submit(QueuePriority priority, std::function<void()> task);

    // Called by a worker thread around a blocking wait; nothing on other
    // threads. Nested calls count the worker once.
    static void noteBlocked(bool blocked);

    size_t threadCount() const;
    // Workers running a task (waiting in one included) and tasks queued.
    size_t busyCount() const;

private:
    void workerLoop();
    bool hasWorkLocked() const;
    void growIfStarvedLocked();

    const size_t width_;
    mutable std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::deque<std::function<void()>> queues_[4];  // by priority, highest first
    std::vector<std::thread> threads_;
    size_t idle_ = 0;
    size_t blocked_ = 0;
    bool stopping_ = false;
};

}  // namespace foundation::detail
