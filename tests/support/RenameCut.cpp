#include "support/RenameCut.h"

#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::mutex cutMutex;
std::string cutFolder;  // empty: no cut armed
int landingLeft = 0;

}  // namespace

// Stands in for the C library's rename; without a cut armed, or for a file
// landing elsewhere, it is the system call itself.
extern "C" int rename(const char* from, const char* to) {
    {
        std::lock_guard lock(cutMutex);
        std::error_code error;
        const auto folder = std::filesystem::absolute(to, error).parent_path().lexically_normal();
        if (!cutFolder.empty() && !error && folder == cutFolder && landingLeft-- <= 0) ::kill(::getpid(), SIGKILL);
    }
    return static_cast<int>(::syscall(SYS_renameat, AT_FDCWD, from, AT_FDCWD, to));
}

namespace testsupport {

ScopedRenameCut::ScopedRenameCut(std::string folder, int landing) {
    std::lock_guard lock(cutMutex);
    cutFolder = std::filesystem::absolute(folder).lexically_normal().string();
    landingLeft = landing;
}

ScopedRenameCut::~ScopedRenameCut() {
    std::lock_guard lock(cutMutex);
    cutFolder.clear();
}

}  // namespace testsupport
