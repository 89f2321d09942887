#pragma once

// A file or folder that this object holds with an exclusive lock (flock) on
// it for as long as it lives. The kernel lets go of the lock when the
// process ends, however it ends, so a sweep can tell what a live writer or
// run holds from what a killed one left behind. Dropped without release(),
// it removes what is at its path (with what is in it) while still held, so
// no sweep and no other writer sees it half gone.
//
// Locks follow the open file, not the thread: any thread may use it, one at
// a time.

#include "platform/foundation/FileDescriptor.h"

#include <string>

namespace foundation {

class HeldPath {
public:
    HeldPath(std::string path, FileDescriptor lock) : path_(std::move(path)), lock_(std::move(lock)) {}
    HeldPath(HeldPath&& other) noexcept;
    HeldPath& operator=(HeldPath&& other) noexcept;
    HeldPath(const HeldPath&) = delete;
    HeldPath& operator=(const HeldPath&) = delete;
    ~HeldPath();

    const std::string& path() const { return path_; }
    // Removes what is still at the path, and lets go.
    void discard();
    // Lets go without removing anything (it was moved into place).
    void release();

private:
    std::string path_;
    FileDescriptor lock_;  // invalid once discarded or released
};

// flock(LOCK_EX) on `fd`, waiting for it or not; false when it is held
// elsewhere (not waiting) or cannot be had.
bool lockExclusively(int fd, bool wait);

}  // namespace foundation
