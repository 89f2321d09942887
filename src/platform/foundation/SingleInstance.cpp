#include "platform/foundation/SingleInstance.h"

#include "platform/foundation/BackgroundActivity.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PrivateFolder.h"
#include "platform/foundation/RunLoop.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace foundation {

namespace {

using Monotonic = std::chrono::steady_clock;

Monotonic::time_point deadlineAfter(double seconds) {
    return Monotonic::now() + std::chrono::duration_cast<Monotonic::duration>(std::chrono::duration<double>(seconds));
}

constexpr size_t kLongestPayload = size_t{1} << 20;
constexpr int kClientReadMilliseconds = 5000;
constexpr const char* kAcknowledgement = "ok\n";

bool isOwnSocket(const struct stat& status) { return S_ISSOCK(status.st_mode) && status.st_uid == ::geteuid(); }

bool peerIsThisUser(int socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
}

Result<sockaddr_un> socketAddress(const std::string& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path)
        return Error(kPOSIXErrorDomain, ENAMETOOLONG, "The socket path is too long: " + socketPath);
    socketPath.copy(address.sun_path, socketPath.size());
    return address;
}

// 64-bit FNV-1a: a short, stable name for a long path.
std::string hashText(const std::string& text) {
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

int millisecondsUntil(Monotonic::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Monotonic::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

// Reads until the peer closes its side, waiting at most `milliseconds` for
// each piece; nullopt on a timeout, an error or more than `limit` bytes.
std::optional<std::string> readToEnd(int socket, const std::function<int()>& milliseconds, size_t limit) {
    std::string data;
    char buffer[4096];
    for (;;) {
        pollfd readable{socket, POLLIN, 0};
        int ready = ::poll(&readable, 1, milliseconds());
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        ssize_t got = ::read(socket, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) return data;
        data.append(buffer, static_cast<size_t>(got));
        if (data.size() > limit) return std::nullopt;
    }
}

bool isRetryable(const Error& error) {
    return error.domain == kPOSIXErrorDomain && (error.code == ENOENT || error.code == ECONNREFUSED);
}

}  // namespace

Result<std::string> SingleInstance::runtimeDirectory() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/' && isOwnerOnlyFolder(runtime))
        return std::string(runtime);
    std::string fallback = path::appending(Paths::temporaryDirectory(), "runtime");
    if (::mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST) return Error::posix(errno, fallback);
    if (!isOwnerOnlyFolder(fallback))
        return Error(kPOSIXErrorDomain, EACCES, "The runtime folder is not this user's alone: " + fallback);
    return fallback;
}

Result<std::string> SingleInstance::socketPathFor(const std::string& dataFolder, const std::string& prefix) {
    auto runtime = runtimeDirectory();
    if (!runtime) return runtime.error();
    std::error_code ignored;
    std::string canonical = std::filesystem::weakly_canonical(dataFolder, ignored).string();
    std::string socketPath =
        path::appending(*runtime, prefix + "-" + hashText(canonical.empty() ? dataFolder : canonical) + ".socket");
    if (auto address = socketAddress(socketPath); !address) return address.error();
    return socketPath;
}

SingleInstance::SingleInstance(std::string lockFile, std::string socketPath)
    : lockFile_(std::move(lockFile)), socketPath_(std::move(socketPath)) {}

SingleInstance::~SingleInstance() {
    watch_.reset();
    if (handler_) *handler_ = nullptr;
    if (listenDescriptor_) {
        listenDescriptor_.reset();
        // Only our own socket goes: a later copy may have put its own there.
        struct stat status {};
        if (::lstat(socketPath_.c_str(), &status) == 0 && status.st_ino == socketInode_) ::unlink(socketPath_.c_str());
    }
}

Result<bool> SingleInstance::takeLock() {
    FileDescriptor descriptor = FileDescriptor::open(lockFile_, O_RDWR | O_CREAT | O_NOFOLLOW, 0600);
    if (!descriptor) return Error::posix(errno, "Cannot open the lock file " + lockFile_);
    struct stat status {};
    if (::fstat(descriptor.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid())
        return Error(kPOSIXErrorDomain, EACCES, "The lock file is not this user's own: " + lockFile_);
    (void)::fchmod(descriptor.get(), 0600);
    if (::flock(descriptor.get(), LOCK_EX | LOCK_NB) == 0) {
        lockDescriptor_ = std::move(descriptor);
        return true;
    }
    int reason = errno;
    if (reason == EWOULDBLOCK) return false;
    return Error::posix(reason, "Cannot lock " + lockFile_);
}

Status SingleInstance::listen() {
    auto address = socketAddress(socketPath_);
    if (!address) return address.error();
    // Holding the lock, we are the only copy: a socket left there is stale.
    struct stat status {};
    if (::lstat(socketPath_.c_str(), &status) == 0) {
        if (!isOwnSocket(status))
            return Error(kPOSIXErrorDomain, EEXIST, "Something else is in the socket's place: " + socketPath_);
        ::unlink(socketPath_.c_str());
    }
    // Bound under a name of its own and renamed into place once it is
    // owner-only, so the socket is never found with wider permissions.
    std::string fresh = socketPath_ + "." + std::to_string(::getpid()) + ".new";
    auto freshAddress = socketAddress(fresh);
    if (!freshAddress) return freshAddress.error();
    if (::lstat(fresh.c_str(), &status) == 0 && isOwnSocket(status)) ::unlink(fresh.c_str());

    FileDescriptor descriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!descriptor) return Error::posix(errno, "Cannot make a socket");
    auto fail = [&](const std::string& context) {
        Error error = Error::posix(errno, context);
        ::unlink(fresh.c_str());
        return error;
    };
    if (::bind(descriptor.get(), reinterpret_cast<const sockaddr*>(&*freshAddress), sizeof(sockaddr_un)) != 0)
        return fail("Cannot bind " + fresh);
    if (::chmod(fresh.c_str(), 0600) != 0) return fail("Cannot restrict " + fresh);
    if (::listen(descriptor.get(), 16) != 0) return fail("Cannot listen on " + fresh);
    if (::rename(fresh.c_str(), socketPath_.c_str()) != 0) return fail("Cannot move the socket to " + socketPath_);
    if (::lstat(socketPath_.c_str(), &status) == 0) socketInode_ = status.st_ino;
    listenDescriptor_ = std::move(descriptor);
    return Status::success();
}

Status SingleInstance::handOff(const std::vector<std::string>& messages, double timeoutSeconds) {
    auto address = socketAddress(socketPath_);
    if (!address) return address.error();
    struct stat status {};
    if (::lstat(socketPath_.c_str(), &status) != 0) return Error::posix(errno, socketPath_);
    if (!isOwnSocket(status))
        return Error(kPOSIXErrorDomain, EACCES, "The running copy's socket is not this user's own: " + socketPath_);

    std::string payload;
    for (const std::string& message : messages) {
        if (message.find('\0') != std::string::npos)
            return Error(kPOSIXErrorDomain, EINVAL, "A message holds a NUL byte");
        payload += message;
        payload += '\0';
    }
    if (payload.size() > kLongestPayload) return Error(kPOSIXErrorDomain, E2BIG, "The messages are too long");

    FileDescriptor descriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!descriptor) return Error::posix(errno, "Cannot make a socket");
    if (::connect(descriptor.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(sockaddr_un)) != 0)
        return Error::posix(errno, "Cannot reach the running copy at " + socketPath_);
    if (!peerIsThisUser(descriptor.get()))
        return Error(kPOSIXErrorDomain, EACCES, "The running copy is another user's: " + socketPath_);
    if (!writeAll(descriptor.get(), payload.data(), payload.size()) || ::shutdown(descriptor.get(), SHUT_WR) != 0)
        return Error::posix(errno, "Cannot send to the running copy");

    auto deadline = deadlineAfter(timeoutSeconds);
    auto reply = readToEnd(
        descriptor.get(), [deadline] { return millisecondsUntil(deadline); }, 64);
    if (!reply) return Error(kPOSIXErrorDomain, ETIMEDOUT, "The running copy did not answer");
    if (*reply != kAcknowledgement) return Error(kPOSIXErrorDomain, EPROTO, "The running copy refused the messages");
    return Status::success();
}

Result<SingleInstance::Role> SingleInstance::claimOrHandOff(const std::vector<std::string>& messages,
                                                            double timeoutSeconds) {
    auto deadline = deadlineAfter(timeoutSeconds);
    for (;;) {
        if (lockDescriptor_) return Role::Running;
        Result<bool> locked = takeLock();
        if (!locked) return locked.error();
        if (*locked) {
            // Without a socket this copy still runs; later launches then
            // cannot reach it and say so.
            if (Status listening = listen(); !listening)
                std::fprintf(stderr, "SingleInstance: %s\n", listening.error().description.c_str());
            return Role::Running;
        }
        Status handed = handOff(messages, std::max(0.0, timeoutSeconds));
        if (handed) return Role::HandedOff;
        // The running copy has the lock but no socket yet: it is starting.
        if (!isRetryable(handed.error()) || Monotonic::now() >= deadline) return handed.error();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void SingleInstance::startListening(MessageHandler handler) {
    if (!listenDescriptor_ || watch_) return;
    handler_ = std::make_shared<MessageHandler>(std::move(handler));
    watch_ = std::make_unique<DescriptorWatch>(listenDescriptor_.get(), [this] { serveOne(); });
}

void SingleInstance::serveOne() {
    ScopedBackgroundActivity activity;
    FileDescriptor client(::accept4(listenDescriptor_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!client || !peerIsThisUser(client.get())) return;
    auto payload = readToEnd(
        client.get(), [] { return kClientReadMilliseconds; }, kLongestPayload);
    if (!payload || (!payload->empty() && payload->back() != '\0')) return;
    std::vector<std::string> messages;
    for (size_t start = 0; start < payload->size();) {
        size_t end = payload->find('\0', start);
        messages.push_back(payload->substr(start, end - start));
        start = end + 1;
    }
    RunLoop::main().post([handler = handler_, messages = std::move(messages)] {
        if (*handler) (*handler)(messages);
    });
    (void)writeAll(client.get(), kAcknowledgement, std::char_traits<char>::length(kAcknowledgement));
}

}  // namespace foundation
