#pragma once

// Runs a block on a thread of its own each time a file descriptor has
// something to read, until the watch is destroyed. For descriptors that no
// event loop of ours drives (a listening socket, an inotify queue); the block
// hands its results to the main run loop itself.
//
// The descriptor stays the caller's: it is neither read nor closed here, and
// it must outlive the watch. The block must read what is pending, or the
// watch calls it again at once.

#include "platform/foundation/FileDescriptor.h"

#include <functional>
#include <thread>

namespace foundation {

class DescriptorWatch {
public:
    using Block = std::function<void()>;

    DescriptorWatch(int descriptor, Block onReadable);
    // Stops the thread and waits for a running block to return.
    ~DescriptorWatch();
    DescriptorWatch(const DescriptorWatch&) = delete;
    DescriptorWatch& operator=(const DescriptorWatch&) = delete;

private:
    void run();

    int descriptor_;
    FileDescriptor stopEvent_;
    Block onReadable_;
    std::thread thread_;
};

}  // namespace foundation
