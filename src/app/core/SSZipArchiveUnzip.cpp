// Unpacking an archive into a directory.
//
// Every path below the destination is reached from an open descriptor of the
// destination, one component at a time with O_NOFOLLOW, so that neither an
// entry name nor a link made by an earlier entry (nor one planted by someone
// else) can redirect a write outside the destination.
//
// What is written gets our own modes, whatever the archive says: files
// kOwnFileMode and folders kOwnFolderMode (as a copy gets), narrowed by the
// umask, so nothing unpacked is ever writable by the group or others, nor
// executable, set-id or sticky. The modes stored in an archive are the
// sender's, not ours to apply.

#include "app/core/SSZipArchive.h"
#include "app/core/SSZipArchivePathRules.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/FileManager.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <minizip/unzip.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

using foundation::Error;

namespace {

// Room left for the rest of the system when an archive is unpacked.
constexpr uint64_t kFreeSpaceReserve = 32ull << 20;
// Longer link contents are no path this system would make.
constexpr uint64_t kMaximumLinkTargetSize = 4096;

std::atomic<uint64_t> gMaximumUnpackedSize{UINT64_MAX};

void logLine(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

Error zipError(int64_t code, std::string description, int errnoValue = 0) {
    std::shared_ptr<const Error> underlying;
    if (errnoValue != 0) {
        underlying = std::make_shared<Error>(Error::posix(errnoValue, description));
    }
    return Error(kSSZipArchiveErrorDomain, code, std::move(description), std::move(underlying));
}

// The time zone, loaded as the program starts, on its main thread, before
// any import's thread exists. Imports then only read it, through localtime_r
// (glibc loads the zone for it once). mktime would reload it at every call
// while TZ is unset, freeing and copying glibc's saved zone name under a lock
// of glibc's own that ThreadSanitizer cannot see, against the main thread's
// date formatting, which reloads it too.
[[maybe_unused]] const bool gZoneLoadedAtStart = [] {
    tzset();
    return true;
}();

// The time at which the local clock shows `parts`, as mktime finds it but
// with the zone as loaded: the zone's offset at `parts` read as UTC time,
// then at the time that gives (the two differ only within the zone's offset
// of a change of offset). A time the clock skips comes out an offset's
// change early or late, as with mktime.
std::optional<time_t> timeOfLocalClock(struct tm parts) {
    const time_t readAsUtc = timegm(&parts);
    time_t result = readAsUtc;
    for (int pass = 0; pass < 2; ++pass) {
        struct tm local {};
        if (!localtime_r(&result, &local)) return std::nullopt;
        result = readAsUtc - local.tm_gmtoff;
    }
    return result;
}

// Local time from an MS-DOS date and time; none for the empty date 0.
std::optional<time_t> timeFromDosDate(uint32_t dos) {
    if (dos == 0) return std::nullopt;
    struct tm parts {};
    parts.tm_year = static_cast<int>((dos >> 25) & 0x7f) + 1980 - 1900;
    parts.tm_mon = static_cast<int>((dos >> 21) & 0x0f) - 1;
    parts.tm_mday = static_cast<int>((dos >> 16) & 0x1f);
    parts.tm_hour = static_cast<int>((dos >> 11) & 0x1f);
    parts.tm_min = static_cast<int>((dos >> 5) & 0x3f);
    parts.tm_sec = static_cast<int>(dos & 0x1f) * 2;
    return timeOfLocalClock(parts);
}

std::optional<SSZipFileInfo> currentFileInfo(unzFile zip) {
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        return std::nullopt;
    }
    SSZipFileInfo result;
    result.fileName.assign(info.size_filename, '\0');
    if (info.size_filename > 0 && unzGetCurrentFileInfo64(zip, &info, result.fileName.data(), info.size_filename,
                                                          nullptr, 0, nullptr, 0) != UNZ_OK) {
        return std::nullopt;
    }
    result.versionMadeBy = static_cast<uint16_t>(info.version);
    result.compressionMethod = static_cast<uint16_t>(info.compression_method);
    result.dosDate = static_cast<uint32_t>(info.dosDate);
    result.crc = static_cast<uint32_t>(info.crc);
    result.compressedSize = info.compressed_size;
    result.uncompressedSize = info.uncompressed_size;
    result.externalAttributes = static_cast<uint32_t>(info.external_fa);
    return result;
}

// minizip will not open an archive without entries; such an archive is told
// apart from a file that is no zip by its end-of-central-directory record.
bool isEmptyArchive(const std::string& path) {
    constexpr size_t kRecordSize = 22;
    std::error_code sizeError;
    uint64_t size = std::filesystem::file_size(path, sizeError);
    if (sizeError || size < kRecordSize) return false;
    size_t tail = static_cast<size_t>(std::min<uint64_t>(size, kRecordSize + 0xffff));
    std::vector<unsigned char> bytes(tail);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    bool read = std::fseek(file, static_cast<long>(size - tail), SEEK_SET) == 0 &&
                std::fread(bytes.data(), 1, tail, file) == tail;
    std::fclose(file);
    if (!read) return false;
    for (size_t at = tail - kRecordSize + 1; at-- > 0;) {
        if (bytes[at] == 'P' && bytes[at + 1] == 'K' && bytes[at + 2] == 5 && bytes[at + 3] == 6) {
            unsigned entries = bytes[at + 10] | (bytes[at + 11] << 8);
            return entries == 0;
        }
    }
    return false;
}

bool isSymbolicLinkEntry(const SSZipFileInfo& info) {
    return (info.versionMadeBy >> 8) == 3 && ((info.externalAttributes >> 16) & 0xF000) == 0xA000;
}

enum class Reach { Ok, Unsafe, Failed };

struct ReachResult {
    Reach status = Reach::Failed;
    foundation::FileDescriptor directory;
    int error = 0;
};

Reach classifyFailure(int parentFd, const std::string& name) {
    struct stat info {};
    if (fstatat(parentFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode)) {
        return Reach::Unsafe;
    }
    return Reach::Failed;
}

// Opens the directory made of the first `count` components below the root,
// creating missing ones when asked. A symbolic link on the way is unsafe.
ReachResult reachDirectory(int rootFd, const std::vector<std::string>& components, size_t count, bool create) {
    ReachResult result;
    foundation::FileDescriptor current(fcntl(rootFd, F_DUPFD_CLOEXEC, 0));
    if (!current.valid()) {
        result.error = errno;
        return result;
    }
    for (size_t i = 0; i < count; ++i) {
        const char* name = components[i].c_str();
        constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW;
        auto next = foundation::FileDescriptor::openAt(current.get(), name, kFlags);
        if (!next && errno == ENOENT && create) {
            if (mkdirat(current.get(), name, foundation::kOwnFolderMode) != 0 && errno != EEXIST) {
                result.error = errno;
                logLine("[SSZipArchive] Error: " + std::string(std::strerror(errno)));
                return result;
            }
            next = foundation::FileDescriptor::openAt(current.get(), name, kFlags);
        }
        if (!next) {
            result.error = errno;
            result.status = classifyFailure(current.get(), components[i]);
            return result;
        }
        current = std::move(next);
    }
    result.status = Reach::Ok;
    result.directory = std::move(current);
    return result;
}

class Unpacker {
public:
    Unpacker(std::string path, std::string destination, bool overwrite, std::string password,
             SSZipArchiveDelegate* delegate)
        : path_(std::move(path)),
          destination_(std::move(destination)),
          overwrite_(overwrite),
          password_(std::move(password)),
          delegate_(delegate) {}

    ~Unpacker() {
        if (zip_) unzClose(zip_);
    }

    bool run();
    const Error& error() const { return error_; }

private:
    bool fail(Error error) {
        error_ = std::move(error);
        return false;
    }
    // Whether the delegate wants the unpacking to stop; the error then says so.
    bool stopped() {
        if (!delegate_ || !delegate_->zipArchiveShouldStop()) return false;
        fail(zipError(kSSZipArchiveErrorStopped, "unzipping was stopped"));
        return true;
    }
    bool checkNamesAndSizes(uint64_t& declaredSize);
    bool openDestination(uint64_t declaredSize);
    bool unpackEntries();
    // Unpacks the open entry; sets `skipped` when an existing file is kept.
    bool unpackEntry(const SSZipFileInfo& info, bool& skipped);
    bool writeRegularFile(int parentFd, const std::string& name, const SSZipFileInfo& info);
    bool createLink(int parentFd, const ssziparchive::EntryPath& entry);
    void applyDirectoryDates();

    std::string path_;
    std::string destination_;
    bool overwrite_;
    std::string password_;
    SSZipArchiveDelegate* delegate_;

    unzFile zip_ = nullptr;
    SSZipArchiveInfo globalInfo_;
    uint64_t archiveSize_ = 0;
    foundation::FileDescriptor root_;
    uint64_t budget_ = 0;
    uint64_t written_ = 0;
    std::vector<std::pair<std::vector<std::string>, time_t>> directoryDates_;
    Error error_;
};

bool Unpacker::run() {
    zip_ = unzOpen64(path_.c_str());
    if (!zip_) {
        if (isEmptyArchive(path_)) {
            return fail(zipError(kSSZipArchiveErrorNoFirstFile, "failed to open first file in zip file"));
        }
        return fail(zipError(kSSZipArchiveErrorOpenFailed, "failed to open zip file"));
    }
    std::error_code sizeError;
    archiveSize_ = std::filesystem::file_size(path_, sizeError);
    if (sizeError) archiveSize_ = 0;
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(zip_, &global) != UNZ_OK) {
        return fail(zipError(kSSZipArchiveErrorOpenFailed, "failed to open zip file"));
    }
    globalInfo_.numberOfEntries = global.number_entry;
    if (unzGoToFirstFile(zip_) != UNZ_OK) {
        return fail(zipError(kSSZipArchiveErrorNoFirstFile, "failed to open first file in zip file"));
    }
    uint64_t declaredSize = 0;
    if (!checkNamesAndSizes(declaredSize) || !openDestination(declaredSize)) return false;

    if (delegate_) {
        delegate_->zipArchiveWillUnzipArchiveAtPath(path_, globalInfo_);
        delegate_->zipArchiveProgressEvent(0, archiveSize_);
    }
    bool success = unpackEntries();
    unzClose(zip_);
    zip_ = nullptr;
    applyDirectoryDates();
    if (success && delegate_) {
        delegate_->zipArchiveDidUnzipArchiveAtPath(path_, globalInfo_, destination_);
    }
    if (delegate_) delegate_->zipArchiveProgressEvent(archiveSize_, archiveSize_);
    return success;
}

// Refuses a hostile archive before anything is written: every name is
// checked and the declared sizes are summed from the central directory alone.
bool Unpacker::checkNamesAndSizes(uint64_t& declaredSize) {
    int step = UNZ_OK;
    while (step == UNZ_OK) {
        std::optional<SSZipFileInfo> info = currentFileInfo(zip_);
        if (!info) return fail(zipError(kSSZipArchiveErrorReadFailed, "failed to read file in zip file"));
        if (!ssziparchive::parseEntryName(info->fileName)) {
            return fail(zipError(kSSZipArchiveErrorUnsafeEntry, "unsafe file name in zip file"));
        }
        declaredSize += info->uncompressedSize;
        step = unzGoToNextFile(zip_);
    }
    if (step != UNZ_END_OF_LIST_OF_FILE) {
        return fail(zipError(kSSZipArchiveErrorReadFailed, "failed to read file in zip file"));
    }
    if (unzGoToFirstFile(zip_) != UNZ_OK) {
        return fail(zipError(kSSZipArchiveErrorNoFirstFile, "failed to open first file in zip file"));
    }
    return true;
}

bool Unpacker::openDestination(uint64_t declaredSize) {
    (void)foundation::FileManager::defaultManager().createDirectory(destination_, true);
    root_ = foundation::FileDescriptor::open(destination_, O_RDONLY | O_DIRECTORY);
    if (!root_.valid()) {
        return fail(zipError(kSSZipArchiveErrorWriteFailed, "failed to create destination", errno));
    }
    struct statvfs space {};
    uint64_t freeBytes = UINT64_MAX;
    if (fstatvfs(root_.get(), &space) == 0) {
        freeBytes = static_cast<uint64_t>(space.f_bavail) * space.f_frsize;
    }
    budget_ = freeBytes > kFreeSpaceReserve ? freeBytes - kFreeSpaceReserve : 0;
    budget_ = std::min(budget_, gMaximumUnpackedSize.load());
    if (declaredSize > budget_) {
        return fail(zipError(kSSZipArchiveErrorStorageFull, "not enough storage space", ENOSPC));
    }
    return true;
}

bool Unpacker::unpackEntries() {
    int64_t counter = 0;
    uint64_t compressedSum = 0;
    const int64_t total = static_cast<int64_t>(globalInfo_.numberOfEntries);
    while (true) {
        if (stopped()) return false;
        int opened = password_.empty() ? unzOpenCurrentFile(zip_) : unzOpenCurrentFilePassword(zip_, password_.c_str());
        if (opened != UNZ_OK) {
            return fail(zipError(kSSZipArchiveErrorReadFailed, "failed to open file in zip file"));
        }
        std::optional<SSZipFileInfo> info = currentFileInfo(zip_);
        if (!info) {
            unzCloseCurrentFile(zip_);
            return fail(zipError(kSSZipArchiveErrorReadFailed, "failed to read file in zip file"));
        }
        compressedSum += info->compressedSize;
        if (delegate_) {
            delegate_->zipArchiveWillUnzipFileAtIndex(counter, total, path_, *info);
            delegate_->zipArchiveProgressEvent(compressedSum, archiveSize_);
        }
        bool skipped = false;
        if (!unpackEntry(*info, skipped)) {
            unzCloseCurrentFile(zip_);
            return false;
        }
        // The CRC is checked when the entry closes; a mismatch is corrupt data.
        if (unzCloseCurrentFile(zip_) != UNZ_OK && !skipped) {
            return fail(zipError(kSSZipArchiveErrorReadFailed, "failed to read file in zip file"));
        }
        int step = unzGoToNextFile(zip_);
        if (!skipped) {
            if (delegate_) delegate_->zipArchiveDidUnzipFileAtIndex(counter, total, path_, *info);
            ++counter;
        }
        if (step == UNZ_END_OF_LIST_OF_FILE) return true;
        if (step != UNZ_OK) {
            return fail(zipError(kSSZipArchiveErrorReadFailed, "failed to read file in zip file"));
        }
    }
}

bool Unpacker::unpackEntry(const SSZipFileInfo& info, bool& skipped) {
    std::optional<ssziparchive::EntryPath> entry = ssziparchive::parseEntryName(info.fileName);
    if (!entry) return fail(zipError(kSSZipArchiveErrorUnsafeEntry, "unsafe file name in zip file"));
    std::optional<time_t> date = timeFromDosDate(info.dosDate);
    const std::vector<std::string>& parts = entry->components;

    if (entry->isDirectory) {
        if (parts.empty()) return true;  // the destination itself
        ReachResult made = reachDirectory(root_.get(), parts, parts.size(), true);
        if (made.status == Reach::Unsafe) {
            return fail(zipError(kSSZipArchiveErrorUnsafeEntry, "unsafe file name in zip file"));
        }
        if (made.status == Reach::Ok && date) directoryDates_.emplace_back(parts, *date);
        return true;  // a directory that cannot be made is logged; its files will fail
    }

    ReachResult parent = reachDirectory(root_.get(), parts, parts.size() - 1, true);
    if (parent.status == Reach::Unsafe) {
        return fail(zipError(kSSZipArchiveErrorUnsafeEntry, "unsafe file name in zip file"));
    }
    if (parent.status != Reach::Ok) {
        return fail(zipError(foundation::isStorageFullErrno(parent.error) ? kSSZipArchiveErrorStorageFull
                                                                          : kSSZipArchiveErrorWriteFailed,
                             "failed to write file", parent.error));
    }
    const std::string& name = parts.back();
    struct stat existing {};
    if (!overwrite_ && fstatat(parent.directory.get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        skipped = true;
        return true;
    }
    if (isSymbolicLinkEntry(info)) return createLink(parent.directory.get(), *entry);
    return writeRegularFile(parent.directory.get(), name, info);
}

bool Unpacker::writeRegularFile(int parentFd, const std::string& name, const SSZipFileInfo& info) {
    // A file that is there already is replaced by a new one, which gets our
    // mode, not whatever the old one had.
    if (struct stat existing{};
        fstatat(parentFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(existing.st_mode))
        (void)unlinkat(parentFd, name.c_str(), 0);
    auto file = foundation::FileDescriptor::openAt(parentFd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW,
                                                   foundation::kOwnFileMode);
    if (!file.valid()) {
        int openError = errno;
        if (openError == ELOOP || classifyFailure(parentFd, name) == Reach::Unsafe) {
            return fail(zipError(kSSZipArchiveErrorUnsafeEntry, "unsafe file name in zip file"));
        }
        return fail(zipError(
            foundation::isStorageFullErrno(openError) ? kSSZipArchiveErrorStorageFull : kSSZipArchiveErrorWriteFailed,
            "failed to write file", openError));
    }
    std::vector<char> buffer(foundation::kStreamChunkSize);
    while (true) {
        if (stopped()) return false;
        int read = unzReadCurrentFile(zip_, buffer.data(), static_cast<unsigned>(buffer.size()));
        if (read < 0) return fail(zipError(kSSZipArchiveErrorReadFailed, "failed to read file in zip file"));
        if (read == 0) break;
        written_ += static_cast<uint64_t>(read);
        if (written_ > budget_) {
            return fail(zipError(kSSZipArchiveErrorStorageFull, "not enough storage space", ENOSPC));
        }
        if (!foundation::writeAll(file.get(), buffer.data(), static_cast<size_t>(read))) {
            int writeError = errno;
            return fail(zipError(foundation::isStorageFullErrno(writeError) ? kSSZipArchiveErrorStorageFull
                                                                            : kSSZipArchiveErrorWriteFailed,
                                 "failed to write file", writeError));
        }
    }
    if (std::optional<time_t> date = timeFromDosDate(info.dosDate)) {
        struct timespec times[2] = {{0, UTIME_OMIT}, {*date, 0}};
        if (futimens(file.get(), times) != 0) {
            logLine("[SSZipArchive] Failed to set attributes - whilst setting modification date");
        }
    }
    if (int closeError = file.close(); closeError != 0) {
        return fail(zipError(
            foundation::isStorageFullErrno(closeError) ? kSSZipArchiveErrorStorageFull : kSSZipArchiveErrorWriteFailed,
            "failed to write file", closeError));
    }
    return true;
}

bool Unpacker::createLink(int parentFd, const ssziparchive::EntryPath& entry) {
    std::string target;
    char buffer[1024];
    while (true) {
        int read = unzReadCurrentFile(zip_, buffer, sizeof buffer);
        if (read < 0) return fail(zipError(kSSZipArchiveErrorReadFailed, "failed to read file in zip file"));
        if (read == 0) break;
        target.append(buffer, static_cast<size_t>(read));
        if (target.size() > kMaximumLinkTargetSize) break;
    }
    if (target.size() > kMaximumLinkTargetSize || !ssziparchive::linkStaysInside(entry.components, target)) {
        return fail(zipError(kSSZipArchiveErrorUnsafeEntry, "unsafe symbolic link in zip file"));
    }
    const std::string& name = entry.components.back();
    if (symlinkat(target.c_str(), parentFd, name.c_str()) != 0) {
        int linkError = errno;
        std::string fullPath = destination_;
        for (const std::string& part : entry.components) fullPath += "/" + part;
        logLine("Failed to create symbolic link at \"" + fullPath + "\" to \"" + target +
                "\". symlink() error code: " + std::to_string(linkError));
    }
    return true;
}

// Writing files changes their directories' dates, so those come last.
void Unpacker::applyDirectoryDates() {
    for (const auto& [parts, date] : directoryDates_) {
        ReachResult parent = reachDirectory(root_.get(), parts, parts.size() - 1, false);
        struct timespec times[2] = {{0, UTIME_OMIT}, {date, 0}};
        if (parent.status != Reach::Ok ||
            utimensat(parent.directory.get(), parts.back().c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
            std::string joined = destination_;
            for (const std::string& part : parts) joined += "/" + part;
            logLine("[SSZipArchive] Set attributes failed for directory: " + joined + ".");
        }
    }
}

}  // namespace

bool SSZipArchive::unzipFileAtPath(const std::string& path, const std::string& toDestination) {
    return unzipFileAtPath(path, toDestination, true, std::string(), nullptr, nullptr);
}

bool SSZipArchive::unzipFileAtPath(const std::string& path, const std::string& toDestination,
                                   SSZipArchiveDelegate* delegate) {
    return unzipFileAtPath(path, toDestination, true, std::string(), nullptr, delegate);
}

bool SSZipArchive::unzipFileAtPath(const std::string& path, const std::string& toDestination, bool overwrite,
                                   const std::string& password, Error* error) {
    return unzipFileAtPath(path, toDestination, overwrite, password, error, nullptr);
}

bool SSZipArchive::unzipFileAtPath(const std::string& path, const std::string& toDestination, bool overwrite,
                                   const std::string& password, Error* error, SSZipArchiveDelegate* delegate) {
    Unpacker unpacker(path, toDestination, overwrite, password, delegate);
    if (unpacker.run()) return true;
    setError(error, unpacker.error());
    return false;
}

bool SSZipArchive::hasEntry(const std::string& path, const std::function<bool(const std::string& name)>& accepts) {
    unzFile zip = unzOpen64(path.c_str());
    if (!zip) return false;
    bool found = false;
    for (int step = unzGoToFirstFile(zip); step == UNZ_OK && !found; step = unzGoToNextFile(zip)) {
        std::optional<SSZipFileInfo> info = currentFileInfo(zip);
        if (!info) break;
        found = accepts(info->fileName);
    }
    unzClose(zip);
    return found;
}

void SSZipArchive::setMaximumUnpackedSize(std::optional<uint64_t> bytes) {
    gMaximumUnpackedSize = bytes.value_or(UINT64_MAX);
}
