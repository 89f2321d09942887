#include "platform/foundation/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

// Closes a descriptor on every way out of a function.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { reset(); }

    void adopt(int fd) {
        reset();
        fd_ = fd;
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and reports close's own failure, which on some file systems
    // is the first sign that written data did not reach the disk.
    int close() {
        int fd = fd_;
        fd_ = -1;
        return fd >= 0 ? ::close(fd) : 0;
    }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

Error writeError(int errnoValue, const std::string& path) {
    // Both "device full" and "quota exceeded" mean the same thing to a user.
    if (errnoValue == EDQUOT) errnoValue = ENOSPC;
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

int fsyncRetrying(int fd) {
    int rc;
    do rc = ::fsync(fd);
    while (rc != 0 && errno == EINTR);
    return rc;
}

Status writeBytes(const std::string& path, const uint8_t* data, size_t size) {
    if (path.empty()) return Error::posix(ENOENT, "Could not write a file without a name");
    if (path.back() == '/') return writeError(EISDIR, path);

    std::string temporary;
    FileDescriptor fd;
    for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
        temporary = temporaryNameFor(path);
        fd.adopt(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd.valid() && errno != EEXIST && errno != EINTR) return writeError(errno, path);
    }
    if (!fd.valid()) return writeError(EEXIST, path);

    auto fail = [&](int errnoValue) {
        fd.reset();
        ::unlink(temporary.c_str());
        return Status(writeError(errnoValue, path));
    };

    // A replaced file keeps who may read it; a new one gets the usual umask.
    struct stat existing;
    if (::stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) return fail(EISDIR);
        ::fchmod(fd.get(), existing.st_mode & 07777);
    }

    if (!writeAll(fd.get(), data, size)) return fail(errno);
    if (fsyncRetrying(fd.get()) != 0) return fail(errno);
    if (fd.close() != 0) return fail(errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) return fail(errno);

    // The rename itself is only durable once the folder is flushed. Some file
    // systems cannot fsync a folder (EINVAL); the rename has happened there.
    FileDescriptor folder(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid() && fsyncRetrying(folder.get()) != 0 && errno != EINVAL && errno != ENOTSUP) {
        return writeError(errno, path);
    }
    return Status::success();
}

}  // namespace

Status writeFileAtomically(const std::string& path, const Bytes& data) {
    return writeBytes(path, data.data(), data.size());
}

Status writeFileAtomically(const std::string& path, std::string_view data) {
    return writeBytes(path, reinterpret_cast<const uint8_t*>(data.data()), data.size());
}

bool writeAll(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

Result<Bytes> readFile(const std::string& path) {
    auto readError = [&](int errnoValue) { return Error::posix(errnoValue, "Could not read \"" + path + "\""); };
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) return readError(errno);
    struct stat info;
    if (::fstat(fd.get(), &info) != 0) return readError(errno);
    if (S_ISDIR(info.st_mode)) return readError(EISDIR);

    Bytes bytes;
    if (S_ISREG(info.st_mode) && info.st_size > 0) bytes.reserve(static_cast<size_t>(info.st_size));
    uint8_t buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return readError(errno);
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

}  // namespace foundation
