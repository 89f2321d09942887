#pragma once

// Queues of work: the main queue (the main run loop), global concurrent
// queues on a shared thread pool, serial queues with labels, and serial
// queues bound to one dedicated thread of their own.
//
// A DispatchQueue is a handle; copies refer to the same queue. A serial
// queue lives as long as a handle or a queued task refers to it, so
// dropping the last handle while work is queued is safe. Every queued task
// counts as background activity until it has finished (BackgroundActivity.h).
//
// `sync` never deadlocks on the queue it is called from: on its own queue,
// or on a queue that is waiting in `sync` for the caller, it runs inline.
// Uncaught exceptions in background tasks end the process, as a crash would.

#include <functional>
#include <limits>
#include <memory>
#include <string>

namespace foundation {

inline constexpr double kWaitForever = std::numeric_limits<double>::infinity();

enum class QueuePriority { High, Default, Low, Background };

namespace detail {
struct QueueCore;
}

class DispatchQueue {
public:
    using Block = std::function<void()>;

    // Runs its tasks on the main run loop.
    static DispatchQueue& main();
    // Concurrent queues over one pool of threads sized to the processor
    // count; higher priorities are served first.
    static DispatchQueue& global(QueuePriority priority = QueuePriority::Default);

    // A new serial queue: its tasks run one at a time, in order.
    explicit DispatchQueue(std::string label);
    // A new serial queue whose tasks all run on one thread of its own, for
    // state that is bound to a thread (a GL context current there). Same
    // sync, async and inline rules as a serial queue; the thread ends once
    // the last handle and the last queued task are gone.
    static DispatchQueue threadBound(std::string label);

    const std::string& label() const;
    bool isMain() const;
    bool isSerial() const;  // main, labelled and thread-bound queues
    bool isThreadBound() const;

    void async(Block block) const;
    // Runs `block` on the queue and returns when it has finished.
    void sync(const Block& block) const;
    // Runs `block` on the queue after `seconds` on the main run loop's clock
    // (through a main-loop timer for every queue).
    void after(double seconds, Block block) const;

    // True when the calling code runs on this queue (or on a queue whose
    // task is waiting in `sync` for it).
    bool isCurrent() const;
    // The label of the queue the calling code runs on; empty on a thread of
    // no queue.
    static std::string currentLabel();

    // For the end of the process, on the main thread once its run loop no
    // longer runs by itself: serves the main queue (a pool task waiting there
    // in `sync` would otherwise wait for ever, and the exit with it, since
    // the pool's threads are joined) until no pool thread is at work or
    // `timeoutSeconds` have passed. True when none is.
    static bool finishPoolWork(double timeoutSeconds);

    bool operator==(const DispatchQueue& other) const { return core_ == other.core_; }

private:
    explicit DispatchQueue(std::shared_ptr<detail::QueueCore> core) : core_(std::move(core)) {}
    std::shared_ptr<detail::QueueCore> core_;
};

// For work on a pool thread that spends its time waiting on something
// outside the pool (a network transfer, a child process): while it lives
// the pool counts the thread as blocked and starts another worker when work
// is queued, so queued tasks never wait for the outside world to answer.
// On a thread the pool does not own it does nothing.
class ScopedBlockingWork {
public:
    ScopedBlockingWork();
    ~ScopedBlockingWork();
    ScopedBlockingWork(const ScopedBlockingWork&) = delete;
    ScopedBlockingWork& operator=(const ScopedBlockingWork&) = delete;
};

// For processor-bound work that feeds other threads of the process (a
// render's decoders feeding the encoder's threads): while it lives the
// calling thread is scheduled as batch work, which never takes a processor
// from a running thread when it wakes. The threads it feeds keep theirs when
// it is handed more work, and over time it still gets its fair share. Undone
// at the end of the scope; where the system refuses, nothing changes.
class ScopedBatchScheduling {
public:
    ScopedBatchScheduling();
    ~ScopedBatchScheduling();
    ScopedBatchScheduling(const ScopedBatchScheduling&) = delete;
    ScopedBatchScheduling& operator=(const ScopedBatchScheduling&) = delete;

private:
    bool switched_ = false;
};

}  // namespace foundation
