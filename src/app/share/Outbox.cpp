#include "app/share/Outbox.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Uuid.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kListExtension = ".plist";

std::string outboxPath() {
    return foundation::path::appending(foundation::Paths::cachesDirectory(), Outbox::kFolderName);
}

// A list's name; the atomic writer's temporaries begin with a dot.
bool isListName(std::string_view name) { return name.ends_with(kListExtension) && !name.starts_with('.'); }

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

// A copy of its own (a reflink where the file system offers one), never a
// second name of the file: a render cache rewritten later must not change
// what a mail program or an upload was handed. `copy` makes it at the path
// it is given; the entry's folder goes when it fails.
foundation::Result<std::string> Outbox::addEntry(const std::string& name,
                                                 const std::function<foundation::Status(const std::string&)>& copy) {
    auto folder = directory();
    if (!folder) return folder.error();
    std::string entryFolder = foundation::path::appending(*folder, foundation::makeUuidString());
    if (auto status = makePrivateFolder(entryFolder); !status) return status.error();
    std::string entry = foundation::path::appending(entryFolder, name);
    if (foundation::Status copied = copy(entry); !copied) {
        std::error_code ec;
        fs::remove_all(entryFolder, ec);
        return copied.error();
    }
    return entry;
}

foundation::Result<std::string> Outbox::addFile(const std::string& path) {
    return addEntry(foundation::path::lastComponent(path), [&](const std::string& entry) {
        return foundation::FileManager::defaultManager().copyItem(path, entry);
    });
}

foundation::Result<std::string> Outbox::addFile(const foundation::FileDescriptor& source, const std::string& name) {
    return addEntry(name, [&](const std::string& entry) -> foundation::Status {
        foundation::FileDescriptor out = foundation::FileDescriptor::open(entry, O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (!out) return foundation::Error::posix(errno, entry);
        if (::lseek(source.get(), 0, SEEK_SET) != 0) return foundation::Error::posix(errno, name);
        if (auto failure = foundation::copyFileData(source.get(), out.get()))
            return foundation::Error::posix(failure->errnoValue,
                                            failure->side == foundation::StreamFailure::Side::Writing ? entry : name);
        if (int closeError = out.close(); closeError != 0) return foundation::Error::posix(closeError, entry);
        return {};
    });
}

void Outbox::removeEntry(const std::string& entryPath) {
    std::string folder = foundation::path::deletingLastComponent(entryPath);
    if (foundation::path::deletingLastComponent(folder) != outboxPath()) return;
    std::error_code ec;
    fs::remove_all(folder, ec);
}

void Outbox::removeLeftovers(const std::vector<std::string>& keptEntries) {
    std::set<std::string> keptFolders;
    for (const std::string& entry : keptEntries) keptFolders.insert(foundation::path::deletingLastComponent(entry));
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(outboxPath(), ec)) {
        const std::string name = item.path().filename().string();
        // Lists stay; a temporary one that a crash left behind does not.
        if (isListName(name) && item.is_regular_file(ec)) continue;
        if (keptFolders.contains(item.path().string())) continue;
        fs::remove_all(item.path(), ec);
    }
}

std::string Outbox::listPath(std::string_view name) {
    return foundation::path::appending(outboxPath(), std::string(name) + std::string(kListExtension));
}

std::optional<std::string> Outbox::relativeEntryPath(const std::string& entryPath) {
    const std::string folder = foundation::path::deletingLastComponent(entryPath);
    if (foundation::path::deletingLastComponent(folder) != outboxPath()) return std::nullopt;
    return foundation::path::appending(foundation::path::lastComponent(folder),
                                       foundation::path::lastComponent(entryPath));
}

std::optional<std::string> Outbox::existingEntry(std::string_view relativePath) {
    const size_t slash = relativePath.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view folder = relativePath.substr(0, slash), file = relativePath.substr(slash + 1);
    for (std::string_view part : {folder, file})
        if (part.empty() || part == "." || part == ".." || part.find('/') != std::string_view::npos ||
            part.find('\0') != std::string_view::npos)
            return std::nullopt;
    const std::string entry = foundation::path::appending(foundation::path::appending(outboxPath(), folder), file);
    // Folder and file as addFile made them: no link may lead elsewhere.
    struct stat info {};
    if (lstat(foundation::path::deletingLastComponent(entry).c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    if (lstat(entry.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return entry;
}
