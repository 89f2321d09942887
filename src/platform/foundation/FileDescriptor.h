#pragma once

// File descriptors that close themselves, and the loops that move bytes
// through them.
//
// Every loop here goes on after interrupted (EINTR) and partial reads and
// writes. close() is never retried: on Linux the descriptor is gone even
// when close reports EINTR, and a retry could close a descriptor another
// thread has just opened.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace foundation {

class FileDescriptor {
public:
    FileDescriptor() = default;
    // Takes ownership of `fd` (a negative value means none).
    explicit FileDescriptor(int fd) : fd_(fd < 0 ? -1 : fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { reset(); }

    // open(2) retried after EINTR; an invalid descriptor with errno set on
    // failure. O_CLOEXEC is always added: no child process inherits our files.
    static FileDescriptor open(const std::string& path, int flags, unsigned mode = 0666);
    static FileDescriptor openAt(int folder, const std::string& name, int flags, unsigned mode = 0666);

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    explicit operator bool() const { return valid(); }

    // Gives the descriptor up without closing it.
    int release();
    // Closes the descriptor (if any) and takes `fd` instead; errors of the
    // close are ignored, so use close() where they matter.
    void reset(int fd = -1);
    // Closes now and returns 0 or the errno of close, which on some file
    // systems is the first sign that written data did not reach the disk.
    // The descriptor is invalid afterwards either way.
    int close();

private:
    int fd_ = -1;
};

// Writes all `size` bytes, going on after interrupted and partial writes.
// False on failure, with errno telling why. It calls nothing but write(), so
// a signal handler may use it.
bool writeAll(int fd, const void* data, size_t size);

// Why a chunked read or copy stopped early.
struct StreamFailure {
    enum class Side { Reading, Writing };
    Side side;
    int errnoValue;
};

inline constexpr size_t kStreamChunkSize = 64 * 1024;

// Reads `fd` to its end in chunks of up to `chunkSize` bytes and hands each
// chunk to `consume`, which returns 0 to go on or an errno value to stop (a
// failure on the writing side). Nothing on success.
std::optional<StreamFailure> readChunks(int fd, const std::function<int(const uint8_t*, size_t)>& consume,
                                        size_t chunkSize = kStreamChunkSize);

// Copies everything left in `from` to `to`.
std::optional<StreamFailure> copyAll(int from, int to);

// Copies the rest of the regular file `from` to `to` as the file system does
// it best: a whole file into an empty one as a clone of its data (a reflink:
// the blocks are shared copy-on-write, so a later change to either file never
// shows in the other), else by the kernel's own copy, else through a buffer.
// Never a second name of the same file.
std::optional<StreamFailure> copyFileData(int from, int to);

}  // namespace foundation
