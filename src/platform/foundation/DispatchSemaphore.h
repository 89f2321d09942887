#pragma once

// A counting semaphore whose waiters are woken first come, first served.
// Copies share one semaphore.

#include "platform/foundation/DispatchQueue.h"

#include <cstddef>
#include <memory>

namespace foundation {

namespace detail {
struct SemaphoreState;
}

class DispatchSemaphore {
public:
    // `value` is the number of waits that succeed at once (not negative).
    explicit DispatchSemaphore(long value = 0);

    // Takes one unit, waiting up to `timeoutSeconds` (real time; zero tries
    // without waiting). True when a unit was taken.
    bool wait(double timeoutSeconds = kWaitForever);
    // Returns one unit; true when it woke a waiter.
    bool signal();
    // The number of threads waiting now (for diagnostics and tests).
    size_t waitingCount() const;

private:
    std::shared_ptr<detail::SemaphoreState> state_;
};

}  // namespace foundation
