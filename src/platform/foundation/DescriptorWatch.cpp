#include "platform/foundation/DescriptorWatch.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace foundation {

DescriptorWatch::DescriptorWatch(int descriptor, Block onReadable)
    : descriptor_(descriptor), stopEvent_(::eventfd(0, EFD_CLOEXEC)), onReadable_(std::move(onReadable)) {
    if (stopEvent_ && descriptor_ >= 0) thread_ = std::thread([this] { run(); });
}

DescriptorWatch::~DescriptorWatch() {
    if (thread_.joinable()) {
        uint64_t one = 1;
        (void)writeAll(stopEvent_.get(), &one, sizeof one);
        thread_.join();
    }
}

void DescriptorWatch::run() {
    for (;;) {
        pollfd watched[2] = {{descriptor_, POLLIN, 0}, {stopEvent_.get(), POLLIN, 0}};
        int ready = ::poll(watched, 2, -1);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (watched[1].revents != 0) return;
        // A descriptor that was closed under the watch can never be read again.
        if (watched[0].revents & POLLNVAL) return;
        if (watched[0].revents != 0 && onReadable_) onReadable_();
    }
}

}  // namespace foundation
