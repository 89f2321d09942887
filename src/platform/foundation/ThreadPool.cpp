#include "platform/foundation/ThreadPool.h"

#include <algorithm>

namespace foundation::detail {
namespace {

// A hard bound for the extra workers of blocked waits; past it a program
// that blocks this many threads at once waits as it would on a fixed pool.
constexpr size_t kMaximumThreads = 256;

thread_local ThreadPool* tWorkerOf = nullptr;
// How deeply the worker is in blocking scopes: one that waits in a dispatch
// wait inside a ScopedBlockingWork is still one blocked worker.
thread_local int tBlockedDepth = 0;

}  // namespace

ThreadPool& ThreadPool::shared() {
    static ThreadPool pool(std::max(2u, std::thread::hardware_concurrency()));
    return pool;
}

ThreadPool::ThreadPool(size_t width) : width_(std::max<size_t>(1, width)) {}

ThreadPool::~ThreadPool() {
    std::vector<std::thread> threads;
    std::deque<std::function<void()>> dropped[4];
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        threads.swap(threads_);
        for (int i = 0; i < 4; ++i) dropped[i].swap(queues_[i]);
    }
    workAvailable_.notify_all();
    for (auto& thread : threads) thread.join();
}

bool ThreadPool::hasWorkLocked() const {
    return std::any_of(std::begin(queues_), std::end(queues_), [](const auto& q) { return !q.empty(); });
}

void ThreadPool::growIfStarvedLocked() {
    if (stopping_ || idle_ > 0 || !hasWorkLocked()) return;
    size_t running = threads_.size() - blocked_;
    if (running < width_ && threads_.size() < kMaximumThreads) threads_.emplace_back([this] { workerLoop(); });
}

void ThreadPool::submit(QueuePriority priority, std::function<void()> task) {
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        queues_[static_cast<int>(priority)].push_back(std::move(task));
        wake = idle_ > 0;
        if (!wake) growIfStarvedLocked();
    }
    // Woken once the lock is let go, for the reason RunLoop::post gives.
    if (wake) workAvailable_.notify_one();
}

void ThreadPool::noteBlocked(bool blocked) {
    ThreadPool* pool = tWorkerOf;
    if (!pool) return;
    const int depth = blocked ? tBlockedDepth++ : --tBlockedDepth;
    if (depth != 0) return;
    std::lock_guard lock(pool->mutex_);
    if (blocked) {
        ++pool->blocked_;
        pool->growIfStarvedLocked();
    } else {
        --pool->blocked_;
    }
}

size_t ThreadPool::busyCount() const {
    std::lock_guard lock(mutex_);
    size_t queued = 0;
    for (const auto& queue : queues_) queued += queue.size();
    return threads_.size() - idle_ + queued;
}

size_t ThreadPool::threadCount() const {
    std::lock_guard lock(mutex_);
    return threads_.size();
}

void ThreadPool::workerLoop() {
    tWorkerOf = this;
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        workAvailable_.wait(lock, [this] { return stopping_ || hasWorkLocked(); });
        --idle_;
        if (stopping_) return;
        std::function<void()> task;
        for (auto& queue : queues_) {
            if (!queue.empty()) {
                task = std::move(queue.front());
                queue.pop_front();
                break;
            }
        }
        lock.unlock();
        task();
        task = nullptr;  // captures die before the next wait, outside the lock
        lock.lock();
    }
}

}  // namespace foundation::detail
