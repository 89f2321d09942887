#include "support/SyncFailures.h"

#include <atomic>
#include <cerrno>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::atomic<int> failingErrno{0};
std::atomic<bool> failingFolders{true};
std::atomic<int> failureCount{0};
std::atomic<int> passingLeft{0};

}  // namespace

// Stands in for the C library's fsync in any program that uses a
// ScopedSyncFailure; without one it is the system call itself.
extern "C" int fsync(int fd) {
    if (const int failure = failingErrno.load(); failure != 0) {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) == failingFolders.load() && passingLeft-- <= 0) {
            ++failureCount;
            errno = failure;
            return -1;
        }
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace testsupport {

ScopedSyncFailure::ScopedSyncFailure(On on, int errnoValue, int passing) {
    failureCount = 0;
    passingLeft = passing;
    failingFolders = on == On::Folders;
    failingErrno = errnoValue;
}

ScopedSyncFailure::~ScopedSyncFailure() { failingErrno = 0; }

int ScopedSyncFailure::failures() const { return failureCount.load(); }

}  // namespace testsupport
