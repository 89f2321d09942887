#include "platform/foundation/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

Error readError(int errnoValue, const std::string& path) {
    return Error::posix(errnoValue, "Could not read \"" + path + "\"");
}

}  // namespace

Result<FileDescriptor> openRegularFile(const std::string& path, Links links) {
    const auto notRegular = [&](const struct stat& info) {
        if (S_ISDIR(info.st_mode)) return readError(EISDIR, path);
        return Error(kPOSIXErrorDomain, EINVAL, "Could not read \"" + path + "\": it is not a regular file");
    };
    // Looked at before it is opened, so that nothing but a regular file is;
    // the open neither waits (on a FIFO put there since) nor follows a link
    // where none may be followed.
    struct stat named;
    if ((links == Links::Refuse ? ::lstat(path.c_str(), &named) : ::stat(path.c_str(), &named)) != 0)
        return readError(errno, path);
    if (S_ISLNK(named.st_mode)) return readError(ELOOP, path);
    if (!S_ISREG(named.st_mode)) return notRegular(named);
    const int flags = O_RDONLY | O_NONBLOCK | (links == Links::Refuse ? O_NOFOLLOW : 0);
    FileDescriptor fd = FileDescriptor::open(path, flags);
    if (!fd.valid()) return readError(errno, path);
    struct stat info;
    if (::fstat(fd.get(), &info) != 0) return readError(errno, path);
    if (!S_ISREG(info.st_mode)) return notRegular(info);
    return fd;
}

int readUpTo(int fd, Bytes& bytes, size_t size) {
    size_t got = bytes.size();
    if (got >= size) return 0;
    bytes.resize(size);
    for (;;) {
        const ssize_t n = ::read(fd, bytes.data() + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n > 0) got += static_cast<size_t>(n);
        if (n <= 0 || got == size) {
            const int failure = n < 0 ? errno : 0;
            bytes.resize(got);
            return failure;
        }
    }
}

}  // namespace foundation
