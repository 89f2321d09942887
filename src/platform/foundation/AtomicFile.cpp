#include "platform/foundation/AtomicFile.h"

#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/RegularFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

// Our files' mode, narrowed by the umask: never writable by the group or
// others, never executable.
constexpr mode_t kFileMode = 0644;

Error writeError(int errnoValue, const std::string& path) {
    // Both "device full" and "quota exceeded" mean the same thing to a user.
    if (isStorageFullErrno(errnoValue)) errnoValue = ENOSPC;
    return Error::posix(errnoValue, "Could not write \"" + path + "\"");
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A name no other writer of the same target uses at the same time: process id,
// a per-process counter and random bits, all behind O_EXCL anyway.
std::string temporaryNameFor(const std::string& path) {
    static std::atomic<uint64_t> counter{0};
    thread_local std::mt19937_64 random(
        std::random_device{}() ^ static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".tmp-%d-%llu-%08llx", static_cast<int>(getpid()),
                  static_cast<unsigned long long>(counter.fetch_add(1)),
                  static_cast<unsigned long long>(random() & 0xffffffffULL));
    size_t slash = path.find_last_of('/');
    std::string folderPrefix = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    return folderPrefix + "." + baseNameOf(path) + suffix;
}

Status writeBytes(const std::string& path, const uint8_t* data, size_t size) {
    if (path.empty()) return Error::posix(ENOENT, "Could not write a file without a name");
    if (path.back() == '/') return writeError(EISDIR, path);

    std::string temporary;
    FileDescriptor fd;
    for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
        temporary = temporaryNameFor(path);
        fd = FileDescriptor::open(temporary, O_WRONLY | O_CREAT | O_EXCL, kFileMode);
        if (!fd.valid() && errno != EEXIST && errno != EINTR) return writeError(errno, path);
    }
    if (!fd.valid()) return writeError(EEXIST, path);

    auto fail = [&](int errnoValue) {
        fd.reset();
        ::unlink(temporary.c_str());
        return Status(writeError(errnoValue, path));
    };

    // A replaced file keeps who may read it, but never more than a new one
    // may do: modes that something else gave it (an archive's) do not
    // survive the save.
    struct stat existing;
    if (::stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) return fail(EISDIR);
        ::fchmod(fd.get(), existing.st_mode & kFileMode);
    }

    if (!writeAll(fd.get(), data, size)) return fail(errno);
    if (int flushError = flushToDisk(fd.get()); flushError != 0) return fail(flushError);
    if (int closeError = fd.close(); closeError != 0) return fail(closeError);
    if (::rename(temporary.c_str(), path.c_str()) != 0) return fail(errno);

    // The rename itself is only durable once the folder is flushed.
    FileDescriptor folder = FileDescriptor::open(folderOf(path), O_RDONLY | O_DIRECTORY);
    if (int flushError = folder.valid() ? flushToDisk(folder.get()) : 0; flushError != 0)
        return writeError(flushError, path);
    return Status::success();
}

}  // namespace

int flushToDisk(int fd) {
    while (::fsync(fd) != 0) {
        const int failure = errno;
        if (failure == EINTR) continue;
        struct stat info {};
        const bool folder = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
        return folder && (failure == EINVAL || failure == ENOTSUP) ? 0 : failure;
    }
    return 0;
}

Status writeFileAtomically(const std::string& path, const Bytes& data) {
    return writeBytes(path, data.data(), data.size());
}

Status writeFileAtomically(const std::string& path, std::string_view data) {
    return writeBytes(path, reinterpret_cast<const uint8_t*>(data.data()), data.size());
}

std::optional<AtomicTemporaryName> parseAtomicTemporaryName(std::string_view fileName) {
    // From the right: ".tmp-", decimal pid, "-", decimal counter, "-", eight hex digits.
    auto isDigits = [](std::string_view s, bool hex) {
        return !s.empty() && std::all_of(s.begin(), s.end(), [hex](char c) {
            return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
        });
    };
    size_t marker = fileName.rfind(".tmp-");
    if (marker == std::string_view::npos || marker < 2 || fileName.front() != '.') return std::nullopt;
    std::string_view fields = fileName.substr(marker + 5);
    size_t first = fields.find('-'), second = fields.rfind('-');
    if (first == std::string_view::npos || second == first) return std::nullopt;
    std::string_view pid = fields.substr(0, first), counter = fields.substr(first + 1, second - first - 1),
                     random = fields.substr(second + 1);
    if (!isDigits(pid, false) || pid.size() > 10 || !isDigits(counter, false) || random.size() != 8 ||
        !isDigits(random, true)) {
        return std::nullopt;
    }
    return AtomicTemporaryName{std::string(fileName.substr(1, marker - 1)), std::stoll(std::string(pid))};
}

namespace {

Error readError(int errnoValue, const std::string& path) {
    return Error::posix(errnoValue, "Could not read \"" + path + "\"");
}

// What is left of an open file, at most `limit` bytes (EFBIG past them).
// The bytes come in `store`, whose old bytes are only overwritten, not
// cleared first: the read fills them, and what lies beyond the file's end
// is cut off.
Result<Bytes> readOpened(int fd, const struct stat& info, const std::string& path, size_t limit, Bytes store) {
    Bytes bytes = std::move(store);
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        if (static_cast<uint64_t>(info.st_size) > limit) return readError(EFBIG, path);
        // A file of known size is read straight into its bytes. One byte
        // more is asked for: a read that stops short of it found the end,
        // and one that gets it found a file that grew, read on below.
        const size_t expected = static_cast<size_t>(info.st_size);
        bytes.resize(expected + 1);
        size_t got = 0;
        for (;;) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return readError(errno, path);
            got += static_cast<size_t>(n);
            if (n == 0 || got == bytes.size() || got >= expected) break;
        }
        bytes.resize(got);
        if (got <= expected) return bytes;
        if (got > limit) return readError(EFBIG, path);
    } else {
        bytes.clear();
    }
    auto failure = readChunks(fd, [&](const uint8_t* data, size_t size) {
        if (size > limit - bytes.size()) return EFBIG;
        bytes.insert(bytes.end(), data, data + size);
        return 0;
    });
    if (failure) return readError(failure->errnoValue, path);
    return bytes;
}

}  // namespace

Result<Bytes> readFile(const std::string& path, Bytes store) {
    FileDescriptor fd = FileDescriptor::open(path, O_RDONLY);
    if (!fd.valid()) return readError(errno, path);
    struct stat info;
    if (::fstat(fd.get(), &info) != 0) return readError(errno, path);
    if (S_ISDIR(info.st_mode)) return readError(EISDIR, path);
    return readOpened(fd.get(), info, path, SIZE_MAX, std::move(store));
}

Result<Bytes> readRegularFile(const std::string& path, size_t maxBytes, Links links, Bytes store) {
    auto fd = openRegularFile(path, links);
    if (!fd) return fd.error();
    struct stat info;
    if (::fstat(fd->get(), &info) != 0) return readError(errno, path);
    return readOpened(fd->get(), info, path, maxBytes, std::move(store));
}

}  // namespace foundation
