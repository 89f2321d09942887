#pragma once

// Tells the main run loop when entries of one folder change: a file is
// created, written, closed after writing, moved in or out, or removed.
// Changes that arrive together are told once; what changed is for the
// listener to look at (files being copied in produce many events).
//
// Linux inotify on a thread of its own (DescriptorWatch); the block runs on
// the main run loop. A folder that cannot be watched gives an error.

#include "platform/foundation/DescriptorWatch.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/FileDescriptor.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace foundation {

class FolderWatcher {
public:
    using Block = std::function<void()>;

    // Watches `folder`, which must exist.
    static Result<std::unique_ptr<FolderWatcher>> watch(const std::string& folder, Block onChange);
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

private:
    FolderWatcher(FileDescriptor inotify, Block onChange);
    void drain();

    FileDescriptor inotify_;
    // Shared with the posted blocks, which may run after the watcher is gone.
    std::shared_ptr<Block> onChange_;
    std::shared_ptr<std::atomic<bool>> posted_;
    std::unique_ptr<DescriptorWatch> watch_;
};

}  // namespace foundation
