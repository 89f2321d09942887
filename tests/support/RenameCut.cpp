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

// Whether `to` names an entry of the armed folder.
bool landsInFolder(const char* to) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::absolute(to, error);
    return !error && target.parent_path().lexically_normal() == std::filesystem::path(cutFolder).lexically_normal();
}

}  // namespace

// Stands in for the C library's rename in any program that uses a
// ScopedRenameCut; without one armed it is the system call itself.
extern "C" int rename(const char* from, const char* to) {
    {
        std::lock_guard lock(cutMutex);
        if (!cutFolder.empty() && landsInFolder(to) && landingLeft-- <= 0) ::kill(::getpid(), SIGKILL);
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
