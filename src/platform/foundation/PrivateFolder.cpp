#include "platform/foundation/PrivateFolder.h"

#include "platform/foundation/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

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

}  // namespace foundation
