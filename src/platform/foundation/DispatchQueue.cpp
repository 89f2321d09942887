#include "platform/foundation/DispatchQueue.h"

#include "platform/foundation/BackgroundActivity.h"
#include "platform/foundation/DispatchWait.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ThreadPool.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <sched.h>
#include <thread>
#include <utility>
#include <vector>

namespace foundation {

namespace detail {

struct QueueCore;

// The items and the dedicated thread of a thread-bound queue. The thread
// shares this state rather than the queue's core, so the core can go away
// (even from a task on that very thread) while the thread winds down.
struct BoundThread {
    struct Item {
        std::function<void()> block;
        std::vector<const QueueCore*> context;
        // Keeps the queue alive while its task waits or runs.
        std::shared_ptr<QueueCore> queue;
    };
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<Item> items;
    bool stopping = false;
    std::thread thread;
};

struct QueueCore {
    enum class Kind { Main, Global, Serial, ThreadBound };
    QueueCore(Kind kind, std::string label, QueuePriority priority)
        : kind(kind), label(std::move(label)), priority(priority) {}
    ~QueueCore();
    QueueCore(const QueueCore&) = delete;
    QueueCore& operator=(const QueueCore&) = delete;

    const Kind kind;
    const std::string label;
    const QueuePriority priority;

    // Serial queues only.
    struct Item {
        std::function<void()> block;
        std::vector<const QueueCore*> context;
    };
    std::mutex mutex;
    std::deque<Item> items;
    bool draining = false;

    // Thread-bound queues only.
    std::shared_ptr<BoundThread> bound;
};

QueueCore::~QueueCore() {
    if (!bound) return;
    {
        std::lock_guard lock(bound->mutex);
        bound->stopping = true;
    }
    bound->ready.notify_all();
    // The last reference may be dropped by a task on the thread itself; that
    // thread then ends on its own once its queue is empty.
    if (bound->thread.get_id() == std::this_thread::get_id())
        bound->thread.detach();
    else if (bound->thread.joinable())
        bound->thread.join();
}

}  // namespace detail

namespace {

using detail::QueueCore;
using Context = std::vector<const QueueCore*>;

// The queues the calling code runs on, innermost last. Besides the running
// queue it holds the queues that wait in `sync` for this code: they are
// blocked on it, so running their work inline is both safe and the only way
// not to deadlock.
thread_local Context tContext;

// Serial queues run a few items per turn, then give the worker back so one
// busy queue cannot hold a thread for ever.
constexpr int kItemsPerDrain = 16;

class ContextScope {
public:
    explicit ContextScope(Context context) : saved_(std::exchange(tContext, std::move(context))) {}
    ~ContextScope() { tContext = std::move(saved_); }
    ContextScope(const ContextScope&) = delete;
    ContextScope& operator=(const ContextScope&) = delete;

private:
    Context saved_;
};

const std::shared_ptr<QueueCore>& mainCoreShared() {
    static const auto core = std::make_shared<QueueCore>(QueueCore::Kind::Main, "main", QueuePriority::High);
    return core;
}

const QueueCore* mainCore() { return mainCoreShared().get(); }

bool inContext(const QueueCore* core) {
    if (core == mainCore() && RunLoop::isMainThread()) return true;
    return std::find(tContext.begin(), tContext.end(), core) != tContext.end();
}

// Runs a queued task, counted as the background activity its enqueue began,
// in the context it was queued from. What the task holds goes while it still
// counts: letting go of it may be work of its own (closing an encoder).
void runQueuedTask(std::function<void()>& block, Context context) {
    ScopedBackgroundActivity activity{ScopedBackgroundActivity::Adopt{}};
    ContextScope scope(std::move(context));
    block();
    block = nullptr;
}

// The context of the caller extended by `core`, for work done on its behalf.
Context contextFor(const QueueCore* core) {
    Context context = tContext;
    if (RunLoop::isMainThread() && std::find(context.begin(), context.end(), mainCore()) == context.end())
        context.insert(context.begin(), mainCore());
    context.push_back(core);
    return context;
}

void drain(std::shared_ptr<QueueCore> core) {
    for (int i = 0; i < kItemsPerDrain; ++i) {
        QueueCore::Item item;
        {
            std::lock_guard lock(core->mutex);
            if (core->items.empty()) {
                core->draining = false;
                return;
            }
            item = std::move(core->items.front());
            core->items.pop_front();
        }
        runQueuedTask(item.block, std::move(item.context));
    }
    {
        std::lock_guard lock(core->mutex);
        if (core->items.empty()) {
            core->draining = false;
            return;
        }
    }
    detail::ThreadPool::shared().submit(core->priority, [core] { drain(core); });
}

void enqueueSerial(const std::shared_ptr<QueueCore>& core, std::function<void()> block, Context context) {
    BackgroundActivity::begin();
    bool startDrain;
    {
        std::lock_guard lock(core->mutex);
        core->items.push_back({std::move(block), std::move(context)});
        startDrain = !std::exchange(core->draining, true);
    }
    if (startDrain) detail::ThreadPool::shared().submit(core->priority, [core] { drain(core); });
}

void runBoundThread(const std::shared_ptr<detail::BoundThread>& bound) {
    for (;;) {
        detail::BoundThread::Item item;
        {
            std::unique_lock lock(bound->mutex);
            bound->ready.wait(lock, [&] { return !bound->items.empty() || bound->stopping; });
            if (bound->items.empty()) return;
            item = std::move(bound->items.front());
            bound->items.pop_front();
        }
        runQueuedTask(item.block, std::move(item.context));
        item.queue.reset();  // may end the queue; the loop then finds `stopping`
    }
}

void enqueueBound(const std::shared_ptr<QueueCore>& core, std::function<void()> block, Context context) {
    BackgroundActivity::begin();
    {
        std::lock_guard lock(core->bound->mutex);
        core->bound->items.push_back({std::move(block), std::move(context), core});
    }
    core->bound->ready.notify_one();
}

void enqueueGlobal(const std::shared_ptr<QueueCore>& core, std::function<void()> block, Context context) {
    BackgroundActivity::begin();
    detail::ThreadPool::shared().submit(core->priority,
                                        [block = std::move(block), context = std::move(context)]() mutable {
                                            runQueuedTask(block, std::move(context));
                                        });
}

// Wakes the caller of `sync` once its block ran, or once the block was
// dropped unrun (a run loop reset at the end of a test), so it never hangs.
struct SyncCompletion {
    std::mutex mutex;
    detail::Waiter waiter;
    struct Signal {
        explicit Signal(std::shared_ptr<SyncCompletion> completion) : completion(std::move(completion)) {}
        Signal(const Signal&) = delete;
        std::shared_ptr<SyncCompletion> completion;
        ~Signal() {
            std::lock_guard lock(completion->mutex);
            detail::wake(completion->waiter);
        }
    };
};

const char* globalLabel(QueuePriority priority) {
    switch (priority) {
        case QueuePriority::High:
            return "global.high";
        case QueuePriority::Default:
            return "global.default";
        case QueuePriority::Low:
            return "global.low";
        case QueuePriority::Background:
            return "global.background";
    }
    return "global.default";
}

}  // namespace

DispatchQueue& DispatchQueue::main() {
    static DispatchQueue queue(mainCoreShared());
    return queue;
}

DispatchQueue& DispatchQueue::global(QueuePriority priority) {
    static DispatchQueue queues[] = {
        DispatchQueue(std::make_shared<QueueCore>(QueueCore::Kind::Global, globalLabel(QueuePriority::High),
                                                  QueuePriority::High)),
        DispatchQueue(std::make_shared<QueueCore>(QueueCore::Kind::Global, globalLabel(QueuePriority::Default),
                                                  QueuePriority::Default)),
        DispatchQueue(
            std::make_shared<QueueCore>(QueueCore::Kind::Global, globalLabel(QueuePriority::Low), QueuePriority::Low)),
        DispatchQueue(std::make_shared<QueueCore>(QueueCore::Kind::Global, globalLabel(QueuePriority::Background),
                                                  QueuePriority::Background)),
    };
    return queues[static_cast<int>(priority)];
}

DispatchQueue::DispatchQueue(std::string label)
    : core_(std::make_shared<QueueCore>(QueueCore::Kind::Serial, std::move(label), QueuePriority::Default)) {}

DispatchQueue DispatchQueue::threadBound(std::string label) {
    auto core = std::make_shared<QueueCore>(QueueCore::Kind::ThreadBound, std::move(label), QueuePriority::Default);
    core->bound = std::make_shared<detail::BoundThread>();
    core->bound->thread = std::thread([bound = core->bound] { runBoundThread(bound); });
    return DispatchQueue(std::move(core));
}

const std::string& DispatchQueue::label() const { return core_->label; }

bool DispatchQueue::isMain() const { return core_->kind == QueueCore::Kind::Main; }

bool DispatchQueue::isSerial() const { return core_->kind != QueueCore::Kind::Global; }

bool DispatchQueue::isThreadBound() const { return core_->kind == QueueCore::Kind::ThreadBound; }

void DispatchQueue::async(Block block) const {
    if (!block) return;
    switch (core_->kind) {
        case QueueCore::Kind::Main:
            RunLoop::main().post(std::move(block));
            break;
        case QueueCore::Kind::Global:
            enqueueGlobal(core_, std::move(block), {core_.get()});
            break;
        case QueueCore::Kind::Serial:
            enqueueSerial(core_, std::move(block), {core_.get()});
            break;
        case QueueCore::Kind::ThreadBound:
            enqueueBound(core_, std::move(block), {core_.get()});
            break;
    }
}

void DispatchQueue::sync(const Block& block) const {
    if (!block) return;
    if (inContext(core_.get())) {
        block();
        return;
    }
    Context context = contextFor(core_.get());
    if (core_->kind == QueueCore::Kind::Global) {
        // A concurrent queue has no order to keep: run on the caller's thread.
        ContextScope scope(std::move(context));
        block();
        return;
    }
    auto completion = std::make_shared<SyncCompletion>();
    auto job = [signal = std::make_shared<SyncCompletion::Signal>(completion), &block, context]() mutable {
        {
            ContextScope scope(context);
            block();
        }
        signal.reset();
    };
    if (core_->kind == QueueCore::Kind::Main)
        RunLoop::main().post(std::move(job));
    else if (core_->kind == QueueCore::Kind::ThreadBound)
        enqueueBound(core_, std::move(job), context);
    else
        enqueueSerial(core_, std::move(job), context);
    std::unique_lock lock(completion->mutex);
    detail::blockUntilWoken(lock, completion->waiter, kWaitForever);
}

void DispatchQueue::after(double seconds, Block block) const {
    if (!block) return;
    if (isMain()) {
        RunLoop::main().performAfter(seconds, std::move(block));
        return;
    }
    RunLoop::main().performAfter(
        seconds, [queue = *this, block = std::move(block)]() mutable { queue.async(std::move(block)); });
}

bool DispatchQueue::isCurrent() const { return inContext(core_.get()); }

bool DispatchQueue::finishPoolWork(double timeoutSeconds) {
    RunLoop& loop = RunLoop::main();
    auto finished = [&loop] { return detail::ThreadPool::shared().busyCount() == 0 && loop.pendingTaskCount() == 0; };
    const double deadline = loop.now() + timeoutSeconds;
    // A worker that finishes posts nothing to wake the loop: look again often.
    constexpr double kLookAgainSeconds = 0.005;
    for (double left = timeoutSeconds; left > 0; left = deadline - loop.now())
        if (loop.runUntil(finished, std::min(left, kLookAgainSeconds))) return true;
    return finished();
}

std::string DispatchQueue::currentLabel() {
    if (!tContext.empty()) return tContext.back()->label;
    if (RunLoop::isMainThread()) return mainCore()->label;
    return {};
}

ScopedBlockingWork::ScopedBlockingWork() { detail::ThreadPool::noteBlocked(true); }

ScopedBlockingWork::~ScopedBlockingWork() { detail::ThreadPool::noteBlocked(false); }

// On Linux the policy is the calling thread's own (0 names it), and a thread
// may move between the normal and the batch policy without privileges.
ScopedBatchScheduling::ScopedBatchScheduling() {
    const sched_param none{};
    switched_ = ::sched_getscheduler(0) == SCHED_OTHER && ::sched_setscheduler(0, SCHED_BATCH, &none) == 0;
}

ScopedBatchScheduling::~ScopedBatchScheduling() {
    const sched_param none{};
    if (switched_) (void)::sched_setscheduler(0, SCHED_OTHER, &none);
}

}  // namespace foundation
