#include "platform/foundation/PrivateFolder.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/TreeRemoval.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

// A sweep that takes a fresh folder away before its run holds it is rare;
// the next fresh name is all but certain to be held first.
constexpr int kCreateAttempts = 8;
constexpr size_t kUniqueLength = 6;  // the "XXXXXX" of mkdtemp

bool isRunFolderName(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix) || name.size() != prefix.size() + kUniqueLength) return false;
    for (char c : name.substr(prefix.size()))
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

bool isOwnerOnlyFolder(const std::string& folder) {
    struct stat status {};
    return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
           (status.st_mode & 077) == 0;
}

bool makeOwnerOnlyFolder(const std::string& folder) {
    const bool made = ::mkdir(folder.c_str(), 0700) == 0;
    if (!made && errno != EEXIST) return false;
    // Judged and changed through one descriptor, so that what is judged is
    // what is changed, and never through a link.
    FileDescriptor opened = FileDescriptor::open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    struct stat status {};
    if (!opened || ::fstat(opened.get(), &status) != 0) return false;
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::geteuid()) return false;
    // Others who could write into it could have put or swapped anything there.
    if (!made && (status.st_mode & (S_IWGRP | S_IWOTH)) != 0) return false;
    if ((status.st_mode & 07777) != 0700 && ::fchmod(opened.get(), 0700) != 0) return false;
    return true;
}

std::optional<RunFolder> RunFolder::create(const std::string& base, const std::string& prefix) {
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        std::string folder = path::appending(base, prefix + std::string(kUniqueLength, 'X'));
        if (!::mkdtemp(folder.data())) return std::nullopt;
        FileDescriptor lock = FileDescriptor::open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        // Gone already: a sweep took the new folder before it was held.
        if (!lock) continue;
        // A sweep holds what it removes: waiting for it, then finding the
        // folder gone, is the same as above.
        if (!lockExclusively(lock.get(), true)) {
            (void)::rmdir(folder.c_str());
            return std::nullopt;
        }
        struct stat held {};
        if (::fstat(lock.get(), &held) == 0 && held.st_nlink > 0) return RunFolder(std::move(folder), std::move(lock));
    }
    return std::nullopt;
}

std::vector<std::string> removeAbandonedRunFolders(const std::string& base, const std::string& prefix) {
    std::vector<std::string> removed;
    auto names = FileManager::defaultManager().contentsOfDirectory(base);
    if (!names) return removed;
    for (const std::string& name : *names) {
        if (!isRunFolderName(name, prefix)) continue;
        const std::string folder = path::appending(base, name);
        // Judged through the descriptor that is locked, so what is judged is
        // what is held and removed; a link is never followed.
        FileDescriptor lock = FileDescriptor::open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK);
        struct stat held {
        }, listed{};
        if (!lock || ::fstat(lock.get(), &held) != 0 || !S_ISDIR(held.st_mode) || held.st_uid != ::geteuid() ||
            (held.st_mode & 077) != 0)
            continue;
        // Held by a run (of this process or another): in use.
        if (!lockExclusively(lock.get(), false)) continue;
        if (::lstat(folder.c_str(), &listed) != 0 || listed.st_ino != held.st_ino || listed.st_dev != held.st_dev)
            continue;
        if (removeTree(folder)) removed.push_back(name);
    }
    return removed;
}

}  // namespace foundation
