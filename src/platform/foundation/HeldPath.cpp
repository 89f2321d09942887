#include "platform/foundation/HeldPath.h"

#include "platform/foundation/TreeRemoval.h"

#include <cerrno>
#include <sys/file.h>

namespace foundation {

HeldPath::HeldPath(HeldPath&& other) noexcept : path_(std::move(other.path_)), lock_(std::move(other.lock_)) {
    other.path_.clear();
}

HeldPath& HeldPath::operator=(HeldPath&& other) noexcept {
    if (this != &other) {
        discard();
        path_ = std::move(other.path_);
        lock_ = std::move(other.lock_);
        other.path_.clear();
    }
    return *this;
}

HeldPath::~HeldPath() { discard(); }

void HeldPath::discard() {
    if (lock_) (void)removeTree(path_);
    lock_.reset();
}

void HeldPath::release() { lock_.reset(); }

bool lockExclusively(int fd, bool wait) {
    while (::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) != 0)
        if (errno != EINTR) return false;
    return true;
}

}  // namespace foundation
