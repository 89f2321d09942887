#include "app/share/Outbox.h"

#include "platform/foundation/Paths.h"
#include "platform/foundation/Uuid.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string outboxPath() {
    return foundation::path::appending(foundation::Paths::cachesDirectory(), Outbox::kFolderName);
}

foundation::Status makePrivateFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return foundation::Error::posix(errno, path);
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return foundation::Error::posix(errno, path);
    // A link planted in place of the folder would send the user's movies elsewhere.
    if (!S_ISDIR(info.st_mode)) return foundation::Error::posix(ENOTDIR, path);
    if ((info.st_mode & 0777) != 0700 && chmod(path.c_str(), 0700) != 0) return foundation::Error::posix(errno, path);
    return {};
}

}  // namespace

foundation::Result<std::string> Outbox::directory() {
    std::string path = outboxPath();
    if (auto status = makePrivateFolder(path); !status) return status.error();
    return path;
}

foundation::Result<std::string> Outbox::addFile(const std::string& path) {
    auto folder = directory();
    if (!folder) return folder.error();
    std::string entryFolder = foundation::path::appending(*folder, foundation::makeUuidString());
    if (auto status = makePrivateFolder(entryFolder); !status) return status.error();
    std::string entry = foundation::path::appending(entryFolder, foundation::path::lastComponent(path));
    if (link(path.c_str(), entry.c_str()) == 0) return entry;
    int linkError = errno;
    std::error_code ec;
    if (linkError == EXDEV || linkError == EPERM || linkError == EMLINK) {
        // Another file system, or one without hard links: a copy keeps the file just as well.
        if (fs::copy_file(path, entry, ec)) return entry;
        linkError = ec.value();
    }
    fs::remove_all(entryFolder, ec);
    return foundation::Error::posix(linkError, path);
}

void Outbox::removeEntry(const std::string& entryPath) {
    std::string folder = foundation::path::deletingLastComponent(entryPath);
    if (foundation::path::deletingLastComponent(folder) != outboxPath()) return;
    std::error_code ec;
    fs::remove_all(folder, ec);
}

void Outbox::removeLeftovers() {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(outboxPath(), ec)) fs::remove_all(entry.path(), ec);
}
