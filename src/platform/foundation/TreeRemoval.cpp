#include "platform/foundation/TreeRemoval.h"

#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace foundation {

namespace {

using Entering = std::function<void(const std::string& folder)>;

// The names in the folder open as `folder`, "." and ".." left out.
Result<std::vector<std::string>> namesIn(int folder, const std::string& path) {
    // The listing gets a descriptor of its own: closing it must not close `folder`.
    FileDescriptor listing(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    if (!listing) return fileSystemError(errno, path, false);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(listing.get()), ::closedir);
    if (!dir) return fileSystemError(errno, path, false);
    (void)listing.release();
    std::vector<std::string> names;
    errno = 0;
    while (const struct dirent* entry = ::readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(std::move(name));
        errno = 0;
    }
    if (errno != 0) return fileSystemError(errno, path, false);
    return names;
}

// Removes the entry `name` of the folder open as `parent`; `path` names it in errors.
Status removeAt(int parent, const std::string& name, const std::string& path, const Entering& entering) {
    struct stat info {};
    if (::fstatat(parent, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return fileSystemError(errno, path, true);
    if (S_ISDIR(info.st_mode)) {
        if (entering) entering(path);
        FileDescriptor folder = FileDescriptor::openAt(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (folder) {
            auto names = namesIn(folder.get(), path);
            if (!names) return names.error();
            for (const std::string& child : *names)
                if (Status removed = removeAt(folder.get(), child, path::appending(path, child), entering); !removed)
                    return removed;
            if (::unlinkat(parent, name.c_str(), AT_REMOVEDIR) != 0) return fileSystemError(errno, path, true);
            return {};
        }
        // No folder any more (a link put in its place): removed as what it is now.
        if (errno != ELOOP && errno != ENOTDIR) return fileSystemError(errno, path, true);
    }
    if (::unlinkat(parent, name.c_str(), 0) != 0) return fileSystemError(errno, path, true);
    return {};
}

}  // namespace

Status removeTree(const std::string& path) { return removeTree(path, {}); }

Status removeTree(const std::string& path, const Entering& entering) {
    if (path.empty()) return fileSystemError(ENOENT, path, true);
    const std::string name = path::lastComponent(path);
    if (name == "/" || name == "." || name == "..") return fileSystemError(EINVAL, path, true);
    std::string parentPath = path::deletingLastComponent(path);
    // Only the right to change the parent is needed, not the right to list it.
    FileDescriptor parent = FileDescriptor::open(parentPath.empty() ? "." : parentPath, O_PATH | O_DIRECTORY);
    if (!parent) return fileSystemError(errno, path, true);
    return removeAt(parent.get(), name, path, entering);
}

}  // namespace foundation
