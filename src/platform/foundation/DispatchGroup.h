#pragma once

// A count of unfinished work with callbacks for when it reaches zero. Copies
// share one group.

#include "platform/foundation/DispatchQueue.h"

#include <memory>

namespace foundation {

namespace detail {
struct GroupState;
}

class DispatchGroup {
public:
    using Block = std::function<void()>;

    DispatchGroup();

    void enter();
    // Throws std::logic_error when it does not match an enter().
    void leave();
    // Runs `block` on `queue` as one unit of the group.
    void async(const DispatchQueue& queue, Block block);
    // Queues `block` on `queue` once the group is empty (at once when it is
    // empty now). Each notify runs once.
    void notify(const DispatchQueue& queue, Block block);
    // Blocks until the group is empty or the timeout (real seconds) passes;
    // true when it is empty.
    bool wait(double timeoutSeconds = kWaitForever);

private:
    std::shared_ptr<detail::GroupState> state_;
};

}  // namespace foundation
