#include "platform/foundation/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <memory>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace foundation {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
}

FileDescriptor FileDescriptor::open(const std::string& path, int flags, unsigned mode) {
    return openAt(AT_FDCWD, path, flags, mode);
}

FileDescriptor FileDescriptor::openAt(int folder, const std::string& name, int flags, unsigned mode) {
    int fd;
    do fd = ::openat(folder, name.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    while (fd < 0 && errno == EINTR);
    return FileDescriptor(fd);
}

int FileDescriptor::release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void FileDescriptor::reset(int fd) {
    int old = fd_;
    fd_ = fd < 0 ? -1 : fd;
    if (old >= 0 && old != fd_) {
        int saved = errno;
        ::close(old);
        errno = saved;
    }
}

int FileDescriptor::close() {
    int fd = release();
    if (fd < 0) return 0;
    return ::close(fd) == 0 ? 0 : errno;
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

std::optional<StreamFailure> readChunks(int fd, const std::function<int(const uint8_t*, size_t)>& consume,
                                        size_t chunkSize) {
    // Not cleared first: every byte handed on was read into it.
    const size_t size = chunkSize == 0 ? kStreamChunkSize : chunkSize;
    const std::unique_ptr<uint8_t[]> buffer(new uint8_t[size]);
    for (;;) {
        ssize_t got = ::read(fd, buffer.get(), size);
        if (got < 0) {
            if (errno == EINTR) continue;
            return StreamFailure{StreamFailure::Side::Reading, errno};
        }
        if (got == 0) return std::nullopt;
        if (int failure = consume(buffer.get(), static_cast<size_t>(got)); failure != 0) {
            return StreamFailure{StreamFailure::Side::Writing, failure};
        }
    }
}

std::optional<StreamFailure> copyAll(int from, int to) {
    return readChunks(from, [to](const uint8_t* data, size_t size) { return writeAll(to, data, size) ? 0 : errno; });
}

std::optional<StreamFailure> copyFileData(int from, int to) {
    struct stat source {}, target {};
    const bool whole = ::fstat(from, &source) == 0 && ::fstat(to, &target) == 0 && S_ISREG(source.st_mode) &&
                       S_ISREG(target.st_mode) && target.st_size == 0 && ::lseek(from, 0, SEEK_CUR) == 0;
    if (whole && ::ioctl(to, FICLONE, from) == 0) {
        // Both offsets end where a copy would have left them.
        ::lseek(from, 0, SEEK_END);
        ::lseek(to, 0, SEEK_END);
        return std::nullopt;
    }
    // The kernel's copy moves the bytes without bringing them up here; any
    // failure of it (an old kernel, another file system, a real error) goes
    // on through the buffer, which names the side that failed.
    for (;;) {
        ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, size_t{1} << 30, 0);
        if (copied == 0) return std::nullopt;
        if (copied < 0) {
            if (errno == EINTR) continue;
            break;
        }
    }
    return copyAll(from, to);
}

}  // namespace foundation
