#pragma once

// Where a producer and a consumer on two threads meet (composer → encoder):
// at most `capacity` items wait, so a fast producer waits for a slow
// consumer and memory stays flat. close() ends it from either side: a
// blocked push or pop returns at once, pop() hands out what is left first.
//
// The waits are dispatch-semaphore waits, so a queue thread that blocks here
// lets the thread pool start another worker for the work it waits for.

#include "platform/foundation/DispatchSemaphore.h"

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace foundation {

template <typename T>
class BoundedQueue {
public:
    explicit BoundedQueue(size_t capacity) : slots_(static_cast<long>(capacity == 0 ? 1 : capacity)) {}

    // Waits for room; false (the item dropped) once the queue is closed.
    bool push(T item) {
        slots_.wait();
        std::lock_guard lock(mutex_);
        if (closed_) {
            slots_.signal();  // lets another blocked producer see the close
            return false;
        }
        items_.push_back(std::move(item));
        available_.signal();
        return true;
    }

    // Waits for an item; none once the queue is closed and empty.
    std::optional<T> pop() {
        available_.wait();
        std::lock_guard lock(mutex_);
        if (items_.empty()) {
            available_.signal();  // closed: every later pop returns at once too
            return std::nullopt;
        }
        T item = std::move(items_.front());
        items_.pop_front();
        slots_.signal();
        return item;
    }

    // Idempotent.
    void close() {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        closed_ = true;
        slots_.signal();
        available_.signal();
    }

private:
    DispatchSemaphore slots_;
    DispatchSemaphore available_{0};
    std::mutex mutex_;
    std::deque<T> items_;
    bool closed_ = false;
};

}  // namespace foundation
