#include "platform/foundation/FolderWatcher.h"

#include "platform/foundation/BackgroundActivity.h"
#include "platform/foundation/RunLoop.h"

#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace foundation {

namespace {

constexpr uint32_t kWatchedEvents =
    IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_ATTRIB;

}  // namespace

Result<std::unique_ptr<FolderWatcher>> FolderWatcher::watch(const std::string& folder, Block onChange) {
    FileDescriptor inotify(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    if (!inotify) return Error::posix(errno, "Cannot watch " + folder);
    if (::inotify_add_watch(inotify.get(), folder.c_str(), kWatchedEvents | IN_ONLYDIR) < 0)
        return Error::posix(errno, "Cannot watch " + folder);
    return std::unique_ptr<FolderWatcher>(new FolderWatcher(std::move(inotify), std::move(onChange)));
}

FolderWatcher::FolderWatcher(FileDescriptor inotify, Block onChange)
    : inotify_(std::move(inotify)),
      onChange_(std::make_shared<Block>(std::move(onChange))),
      posted_(std::make_shared<std::atomic<bool>>(false)) {
    watch_ = std::make_unique<DescriptorWatch>(inotify_.get(), [this] { drain(); });
}

FolderWatcher::~FolderWatcher() {
    watch_.reset();
    // A block already posted must not call into a listener that is gone.
    *onChange_ = nullptr;
}

void FolderWatcher::drain() {
    ScopedBackgroundActivity activity;
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    for (;;) {
        ssize_t got = ::read(inotify_.get(), buffer, sizeof buffer);
        if (got > 0) {
            changed = true;
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        break;
    }
    // One post stands for every change until it has run.
    if (!changed || posted_->exchange(true)) return;
    RunLoop::main().post([onChange = onChange_, posted = posted_] {
        posted->store(false);
        if (*onChange) (*onChange)();
    });
}

}  // namespace foundation
