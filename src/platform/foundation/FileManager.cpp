#include "platform/foundation/FileManager.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/RegularFile.h"
#include "platform/foundation/TemporaryClaim.h"
#include "platform/foundation/TreeRemoval.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace foundation {

namespace {

std::string displayName(const std::string& path) {
    size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) return path;
    size_t start = path.find_last_of('/', end);
    return path.substr(start == std::string::npos ? 0 : start + 1,
                       end - (start == std::string::npos ? 0 : start + 1) + 1);
}

std::string joined(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

Error existsError(const std::string& path) { return fileSystemError(EEXIST, path, true); }

Date dateOf(const struct timespec& time) {
    return Date::fromUnixTime(static_cast<double>(time.tv_sec) + time.tv_nsec / 1e9);
}

FileType typeOf(mode_t mode) {
    if (S_ISREG(mode)) return FileType::Regular;
    if (S_ISDIR(mode)) return FileType::Directory;
    if (S_ISLNK(mode)) return FileType::SymbolicLink;
    return FileType::Other;
}

// Calls `visit` with the folder's descriptor and the name of each entry of
// a folder but "." and ".."; the name's data ends in a NUL.
template <typename Visit>
Status forEachEntry(const std::string& path, Visit visit) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), ::closedir);
    if (!dir) return fileSystemError(errno, path, false);
    errno = 0;
    while (struct dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") visit(::dirfd(dir.get()), name);
        errno = 0;
    }
    if (errno != 0) return fileSystemError(errno, path, false);
    return {};
}

Result<std::vector<std::string>> listFolder(const std::string& path) {
    std::vector<std::string> names;
    if (Status listed = forEachEntry(path, [&](int, std::string_view name) { names.emplace_back(name); }); !listed)
        return listed.error();
    std::sort(names.begin(), names.end());
    return names;
}

// Copies the contents of `in`, open on `from`, into a new file at `to`.
Status copyOpenFile(const FileDescriptor& in, const std::string& from, const std::string& to,
                    const struct stat& info) {
    // O_EXCL keeps the promise not to replace anything, even against a racing writer.
    const mode_t mode = kOwnFileMode | ((info.st_mode & S_IXUSR) ? 0111 : 0);
    FileDescriptor out = FileDescriptor::open(to, O_WRONLY | O_CREAT | O_EXCL, mode);
    if (!out) return fileSystemError(errno, to, true);

    auto fail = [&](int errnoValue, const std::string& path, bool writing) -> Status {
        out.reset();
        ::unlink(to.c_str());
        return fileSystemError(errnoValue, path, writing);
    };

    if (auto failure = copyFileData(in.get(), out.get())) {
        bool writing = failure->side == StreamFailure::Side::Writing;
        return fail(failure->errnoValue, writing ? to : from, writing);
    }
    // A copy keeps its modification date, as the platform's copy does.
    struct timespec times[2] = {info.st_atim, info.st_mtim};
    ::futimens(out.get(), times);
    if (int closeError = out.close(); closeError != 0) return fail(closeError, to, true);
    return {};
}

Status copyFileContents(const std::string& from, const std::string& to, const struct stat& info) {
    FileDescriptor in = FileDescriptor::open(from, O_RDONLY);
    if (!in) return fileSystemError(errno, from, false);
    return copyOpenFile(in, from, to, info);
}

// Copies `from` (already lstat'ed) to `to`, which does not exist yet, asking
// `shouldStop` (when given) before each item.
Status copyTree(const std::string& from, const std::string& to, const struct stat& info,
                const std::function<bool()>& shouldStop) {
    if (shouldStop && shouldStop()) return fileSystemError(ECANCELED, to, true);
    if (S_ISLNK(info.st_mode)) {
        std::vector<char> target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
        ssize_t length = ::readlink(from.c_str(), target.data(), target.size());
        if (length < 0) return fileSystemError(errno, from, false);
        if (::symlink(std::string(target.data(), static_cast<size_t>(length)).c_str(), to.c_str()) != 0)
            return fileSystemError(errno, to, true);
        return {};
    }
    if (S_ISREG(info.st_mode)) return copyFileContents(from, to, info);
    if (!S_ISDIR(info.st_mode)) return fileSystemError(ENOTSUP, from, false);

    auto names = listFolder(from);
    if (!names) return names.error();
    if (::mkdir(to.c_str(), kOwnFolderMode) != 0) return fileSystemError(errno, to, true);
    for (const std::string& name : *names) {
        std::string source = joined(from, name);
        struct stat child;
        Status copied = ::lstat(source.c_str(), &child) == 0 ? copyTree(source, joined(to, name), child, shouldStop)
                                                             : Status(fileSystemError(errno, source, false));
        if (!copied) {
            removeTree(to);
            return copied;
        }
    }
    struct timespec times[2] = {info.st_atim, info.st_mtim};
    ::utimensat(AT_FDCWD, to.c_str(), times, 0);
    return {};
}

// fsyncs a file, or a folder's files and then the folder, so that what a
// rename publishes is on the disk.
Status flushTree(const std::string& path) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return fileSystemError(errno, path, true);
    if (S_ISLNK(info.st_mode)) return {};
    if (S_ISDIR(info.st_mode)) {
        auto names = listFolder(path);
        if (!names) return names.error();
        for (const std::string& name : *names)
            if (Status flushed = flushTree(joined(path, name)); !flushed) return flushed;
    }
    FileDescriptor file = FileDescriptor::open(path, O_RDONLY);
    if (!file) return fileSystemError(errno, path, false);
    if (int flushError = flushToDisk(file.get()); flushError != 0) return fileSystemError(flushError, path, true);
    return {};
}

// Renames without replacing: 0, EEXIST when `to` is taken, or another errno.
int renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the flag: look first, as moveItem does.
    struct stat existing;
    if (::lstat(to.c_str(), &existing) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void collectSubpaths(const std::string& root, const std::string& relative, std::vector<std::string>& out) {
    auto names = listFolder(relative.empty() ? root : joined(root, relative));
    if (!names) return;
    for (const std::string& name : *names) {
        std::string child = relative.empty() ? name : relative + "/" + name;
        out.push_back(child);
        struct stat info;
        if (::lstat(joined(root, child).c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            collectSubpaths(root, child, out);
    }
}

}  // namespace

Error fileSystemError(int errnoValue, const std::string& path, bool writing) {
    const std::string name = "\u201C" + displayName(path) + "\u201D";
    auto underlying = std::make_shared<const Error>(Error::posix(errnoValue, path));
    int64_t code;
    std::string description;
    if (isStorageFullErrno(errnoValue)) {
        return Error(kCocoaErrorDomain, kFileWriteOutOfSpaceError,
                     "The file " + name + " couldn\u2019t be saved because there isn\u2019t enough space.", underlying);
    }
    switch (errnoValue) {
        case ENOENT:
        case ENOTDIR:
            code = writing ? kFileNoSuchFileError : kFileReadNoSuchFileError;
            description = "The file " + name + " doesn\u2019t exist.";
            break;
        case EEXIST:
        case ENOTEMPTY:
            code = kFileWriteFileExistsError;
            description =
                "The file " + name + " couldn\u2019t be saved because a file with the same name already exists.";
            break;
        case EROFS:
            code = kFileWriteVolumeReadOnlyError;
            description = "The file " + name + " couldn\u2019t be saved because the volume is read only.";
            break;
        case EACCES:
        case EPERM:
            code = writing ? kFileWriteNoPermissionError : kFileReadNoPermissionError;
            description = "You don\u2019t have permission to access " + name + ".";
            break;
        default:
            code = writing ? kFileWriteUnknownError : kFileReadUnknownError;
            description =
                "The operation on " + name + " couldn\u2019t be completed. (" + std::strerror(errnoValue) + ")";
            break;
    }
    return Error(kCocoaErrorDomain, code, description, underlying);
}

bool isStorageFullErrno(int errnoValue) { return errnoValue == ENOSPC || errnoValue == EDQUOT; }

bool isOutOfSpaceError(const Error& error) {
    for (const Error* e = &error; e; e = e->underlying.get()) {
        if (e->domain == kCocoaErrorDomain && e->code == kFileWriteOutOfSpaceError) return true;
        if (e->domain == kPOSIXErrorDomain && e->code <= INT_MAX && e->code >= INT_MIN &&
            isStorageFullErrno(static_cast<int>(e->code)))
            return true;
    }
    return false;
}

bool isFileExistsError(const Error& error) {
    return (error.domain == kCocoaErrorDomain && error.code == kFileWriteFileExistsError) ||
           (error.domain == kPOSIXErrorDomain && error.code == EEXIST);
}

FileManager& FileManager::defaultManager() {
    static FileManager manager;
    return manager;
}

bool FileManager::fileExists(const std::string& path, bool* isDirectory) const {
    struct stat info;
    bool exists = !path.empty() && ::stat(path.c_str(), &info) == 0;
    if (isDirectory) *isDirectory = exists && S_ISDIR(info.st_mode);
    return exists;
}

Status FileManager::createDirectory(const std::string& path, bool withIntermediates) const {
    if (path.empty()) return fileSystemError(ENOENT, path, true);
    if (!withIntermediates) {
        if (::mkdir(path.c_str(), kOwnFolderMode) != 0) return fileSystemError(errno, path, true);
        return {};
    }
    bool isDirectory = false;
    if (fileExists(path, &isDirectory)) return isDirectory ? Status() : existsError(path);

    // Create each missing folder from the top down.
    for (size_t position = path.find('/', 1);; position = path.find('/', position + 1)) {
        std::string prefix = position == std::string::npos ? path : path.substr(0, position);
        if (!prefix.empty() && prefix.back() != '/' && ::mkdir(prefix.c_str(), kOwnFolderMode) != 0) {
            int failure = errno;
            if (failure != EEXIST) return fileSystemError(failure, prefix, true);
            if (!fileExists(prefix, &isDirectory) || !isDirectory) return existsError(prefix);
        }
        if (position == std::string::npos) break;
    }
    return {};
}

Result<std::vector<std::string>> FileManager::contentsOfDirectory(const std::string& path) const {
    return listFolder(path);
}

Result<std::vector<std::string>> FileManager::namesOfFilesWithContent(const std::string& path) const {
    std::vector<std::string> names;
    Status listed = forEachEntry(path, [&](int folder, std::string_view name) {
        struct stat info;
        if (::fstatat(folder, name.data(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_size > 0)
            names.emplace_back(name);
    });
    if (!listed) return listed.error();
    return names;
}

Result<std::vector<std::string>> FileManager::subpathsOfDirectory(const std::string& path) const {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return fileSystemError(errno, path, false);
    if (!S_ISDIR(info.st_mode)) return fileSystemError(ENOTDIR, path, false);
    std::vector<std::string> out;
    collectSubpaths(path, "", out);
    return out;
}

Status FileManager::copyItem(const std::string& from, const std::string& to,
                             const std::function<bool()>& shouldStop) const {
    struct stat info;
    if (::lstat(from.c_str(), &info) != 0) return fileSystemError(errno, from, false);
    struct stat existing;
    if (::lstat(to.c_str(), &existing) == 0) return existsError(to);
    return copyTree(from, to, info, shouldStop);
}

Status FileManager::copyRegularFile(const std::string& from, const std::string& to, uint64_t maxBytes) const {
    Result<FileDescriptor> in = openRegularFile(from);
    if (!in) return in.error();
    struct stat info;
    if (::fstat(in->get(), &info) != 0) return fileSystemError(errno, from, false);
    if (uint64_t(info.st_size) > maxBytes) return Error::posix(EFBIG, "Could not read \"" + from + "\"");
    struct stat existing;
    if (::lstat(to.c_str(), &existing) == 0) return existsError(to);
    return copyOpenFile(*in, from, to, info);
}

Result<std::string> FileManager::copyItemUnderFreeName(const std::string& from, const std::string& folder,
                                                       const std::string& stem, const std::string& extension,
                                                       const std::string& separator) const {
    struct stat info;
    if (::lstat(from.c_str(), &info) != 0) return fileSystemError(errno, from, false);
    const std::string suffix = extension.empty() ? std::string() : "." + extension;
    // A claimed scratch folder beside the targets: the copy is renamed from
    // there, on the same file system, and what a crash leaves is a temporary
    // that no writer holds, which removeAbandonedTemporaries takes away. Its
    // short name leaves a long stem room.
    auto scratch = TemporaryClaim::create(joined(folder, "copy"), TemporaryClaim::Kind::Folder);
    if (!scratch) return scratch.error();
    const std::string copy = joined(scratch->path(), "item");
    if (Status copied = copyTree(from, copy, info, {}); !copied) return copied.error();
    if (Status flushed = flushTree(copy); !flushed) return flushed.error();
    constexpr int kNames = 9999;
    return moveItemUnderFreeName(
        copy, folder,
        [&](int attempt) {
            return attempt == 0 ? stem + suffix : stem + separator + std::to_string(attempt + 1) + suffix;
        },
        kNames);
}

Status FileManager::flushItem(const std::string& path) const { return flushTree(path); }

Result<std::string> FileManager::moveItemUnderFreeName(const std::string& from, const std::string& folder,
                                                       const std::function<std::string(int attempt)>& nameFor,
                                                       int attempts) const {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const std::string name = nameFor(attempt);
        const std::string target = joined(folder, name);
        const int failure = renameNoReplace(from, target);
        if (failure == EEXIST) continue;
        if (failure != 0) return fileSystemError(failure, target, true);
        // The new name itself must survive a crash too; an item that may not
        // is taken back, so that a failure leaves nothing behind.
        FileDescriptor parent = FileDescriptor::open(folder, O_RDONLY | O_DIRECTORY);
        if (int flushError = parent ? flushToDisk(parent.get()) : errno; flushError != 0) {
            (void)removeTree(target);
            return fileSystemError(flushError, target, true);
        }
        return name;
    }
    return existsError(joined(folder, nameFor(0)));
}

Status FileManager::moveItem(const std::string& from, const std::string& to) const {
    struct stat info;
    if (::lstat(from.c_str(), &info) != 0) return fileSystemError(errno, from, false);
    struct stat existing;
    if (::lstat(to.c_str(), &existing) == 0) return existsError(to);

    // RENAME_NOREPLACE closes the gap between the check above and the rename.
    const int failure = renameNoReplace(from, to);
    if (failure == 0) return {};
    if (failure != EXDEV) return fileSystemError(failure, to, true);

    Status copied = copyTree(from, to, info, {});
    if (!copied) return copied;
    Status removed = removeTree(from);
    if (!removed) {
        removeTree(to);  // keep one copy only, the original
        return removed;
    }
    return {};
}

Status FileManager::removeItem(const std::string& path) const { return removeTree(path); }

Status FileManager::removeItemAside(const std::string& path) const {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return fileSystemError(errno, path, true);
    auto claim = TemporaryClaim::create(path, TemporaryClaim::Kind::Folder);
    if (!claim) return claim.error();
    const std::string aside = joined(claim->path(), "item");
    if (int failure = renameNoReplace(path, aside); failure != 0) return fileSystemError(failure, path, true);
    Status removed = removeTree(aside);
    claim->discard();
    return removed;
}

Result<FileAttributes> FileManager::attributesOfItem(const std::string& path) const {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return fileSystemError(errno, path, false);
    FileAttributes attributes;
    attributes.type = typeOf(info.st_mode);
    attributes.size = static_cast<uint64_t>(info.st_size);
    attributes.modificationDate = dateOf(info.st_mtim);
    attributes.permissions = info.st_mode & 07777;
    return attributes;
}

Status FileManager::setModificationDate(const std::string& path, Date date) const {
    double unix = date.unixTime();
    double seconds = std::floor(unix);
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = static_cast<long>((unix - seconds) * 1e9);
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) return fileSystemError(errno, path, true);
    return {};
}

Status FileManager::createSymbolicLink(const std::string& path, const std::string& destination) const {
    if (::symlink(destination.c_str(), path.c_str()) != 0) return fileSystemError(errno, path, true);
    return {};
}

Result<uint64_t> FileManager::freeSpace(const std::string& path) const {
    struct statvfs info;
    if (::statvfs(path.c_str(), &info) != 0) return fileSystemError(errno, path, false);
    return static_cast<uint64_t>(info.f_bavail) * static_cast<uint64_t>(info.f_frsize);
}

}  // namespace foundation
