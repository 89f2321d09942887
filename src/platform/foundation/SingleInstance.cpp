#include "platform/foundation/SingleInstance.h"

#include "platform/foundation/BackgroundActivity.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PrivateFolder.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
// The running copy's answers: the handler has the messages, then they are
// opened. A copy of an earlier version says only the second, at once.
constexpr std::string_view kTaken = "taken\n";
constexpr std::string_view kOpened = "ok\n";

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

// Reads until the peer closes its side, waiting at most `milliseconds(what
// was read so far)` for each piece (-1: for as long as it takes). Fails with ETIMEDOUT on a timeout, E2BIG past `limit` bytes,
// else with the system's error.
Result<std::string> readToEnd(int socket, const std::function<int(const std::string&)>& milliseconds,
                              size_t limit) {
    std::string data;
    char buffer[4096];
    for (;;) {
        pollfd readable{socket, POLLIN, 0};
        int ready = ::poll(&readable, 1, milliseconds(data));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return Error::posix(errno, "Cannot wait for the other side");
        if (ready == 0) return Error(kPOSIXErrorDomain, ETIMEDOUT, "The other side did not answer");
        ssize_t got = ::read(socket, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Error::posix(errno, "Cannot read from the other side");
        if (got == 0) return data;
        data.append(buffer, static_cast<size_t>(got));
        if (data.size() > limit) return Error(kPOSIXErrorDomain, E2BIG, "The other side sent too much");
    }
}

// Writes all of it, on a blocking socket or, before `deadline`, on one that
// does not block (ETIMEDOUT after it); a peer that has gone is an error
// (EPIPE), not a signal that ends this process.
bool sendAll(int socket, std::string_view data, std::optional<Monotonic::time_point> deadline = std::nullopt) {
    while (!data.empty()) {
        ssize_t sent = ::send(socket, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && errno == EAGAIN && deadline) {
            pollfd writable{socket, POLLOUT, 0};
            int ready = ::poll(&writable, 1, millisecondsUntil(*deadline));
            if (ready == 0) errno = ETIMEDOUT;
            if (ready > 0 || (ready < 0 && errno == EINTR)) continue;
        }
        if (sent < 0) return false;
        data.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

// Whether the process at the other end runs this very program file: only
// such a copy is known to drop what a launch that gave up handed it.
bool peerRunsThisProgram(int socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    struct stat mine {};
    struct stat theirs {};
    return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.pid > 0 &&
           ::stat("/proc/self/exe", &mine) == 0 &&
           ::stat(("/proc/" + std::to_string(peer.pid) + "/exe").c_str(), &theirs) == 0 &&
           mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

// Worth trying again until the deadline: the copy is starting, it is
// quitting and gives the lock up soon (then this launch runs by itself), or
// launches wait in line to be let in.
bool isRetryable(const Error& error) {
    return error.domain == kPOSIXErrorDomain &&
           (error.code == ENOENT || error.code == ECONNREFUSED || error.code == ECONNRESET || error.code == EPIPE ||
            error.code == EAGAIN);
}

// A socket is bound under a name of its own beside its place and then moved
// there.
std::string bindingPath(const std::string& socketPath) {
    return socketPath + "." + std::to_string(::getpid()) + ".new";
}

// What the running copy says in its lock file: where it listens, or that it
// listens nowhere.
constexpr std::string_view kListensAt = "socket ";
constexpr std::string_view kListensNowhere = "no socket\n";
constexpr size_t kLongestRecord = 4096;

struct Told {
    std::optional<std::string> socketPath;  // none: the copy listens nowhere
};

// What the running copy wrote into its lock file; none while it has said
// nothing yet (it is starting, or is of a version that never says).
std::optional<Told> toldByRunningCopy(int lockFile) {
    std::string record(kLongestRecord, '\0');
    ssize_t got;
    do got = ::pread(lockFile, record.data(), record.size(), 0);
    while (got < 0 && errno == EINTR);
    if (got <= 0) return std::nullopt;
    record.resize(static_cast<size_t>(got));
    if (record == kListensNowhere) return Told{};
    // Only a whole line counts: a reader may come while the copy writes.
    if (!record.starts_with(kListensAt) || record.back() != '\n' || record.find('\n') != record.size() - 1)
        return std::nullopt;
    return Told{record.substr(kListensAt.size(), record.size() - kListensAt.size() - 1)};
}

// A later launch's connection while the running copy answers it (main
// thread): "taken", then "ok" once the messages are opened. Dropped, it
// closes the connection with what it said so far.
class Answer {
public:
    explicit Answer(FileDescriptor client) : client_(std::move(client)) {}
    // Whether the launch still waits to hear it. One that gave up has shut
    // its side for reading, so the word fails, and its messages are not
    // taken: nothing it was told was not opened opens later.
    bool taken() { return sendAll(client_.get(), kTaken); }
    void opened() {
        if (!client_) return;
        (void)sendAll(client_.get(), kOpened);
        client_.reset();
    }

private:
    FileDescriptor client_;
};

}  // namespace

std::optional<std::string> SingleInstance::runtimeDirectory() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/' && isOwnerOnlyFolder(runtime))
        return std::string(runtime);
    return std::nullopt;
}

std::vector<std::string> SingleInstance::socketFolders(const std::string& socketName) {
    std::vector<std::string> folders;
    if (std::optional<std::string> runtime = runtimeDirectory();
        runtime && socketPathFits(path::appending(*runtime, socketName)))
        folders.push_back(*runtime);
    for (const auto& base : {&Paths::temporaryDirectory, &Paths::shortPrivateDirectory}) {
        // The short folder is for when nothing else will do: it may be a
        // folder of this run's alone.
        if (base == &Paths::shortPrivateDirectory && !folders.empty()) break;
        std::string folder = path::appending(base(), "runtime");
        if (std::find(folders.begin(), folders.end(), folder) == folders.end() &&
            socketPathFits(path::appending(folder, socketName)) && makeOwnerOnlyFolder(folder))
            folders.push_back(folder);
    }
    return folders;
}

std::string SingleInstance::socketNameFor(const std::string& dataFolder, const std::string& prefix) {
    std::error_code ignored;
    std::string canonical = std::filesystem::weakly_canonical(dataFolder, ignored).string();
    return prefix + "-" + hashText(canonical.empty() ? dataFolder : canonical) + ".socket";
}

bool SingleInstance::socketPathFits(const std::string& socketPath) {
    return socketAddress(socketPath).ok() && socketAddress(bindingPath(socketPath)).ok();
}

SingleInstance::SingleInstance(std::string lockFile, std::string socketName, FolderList socketFolders)
    : lockFile_(std::move(lockFile)), socketName_(std::move(socketName)), socketFolders_(std::move(socketFolders)) {}

SingleInstance::~SingleInstance() { stopListening(); }

void SingleInstance::stopListening() {
    watch_.reset();
    // Messages read but not taken yet find no handler: they are not answered.
    if (handler_) *handler_ = nullptr;
    if (listenDescriptor_) {
        listenDescriptor_.reset();
        // Only our own socket goes: a later copy may have put its own there.
        struct stat status {};
        if (::lstat(socketPath_.c_str(), &status) == 0 && status.st_ino == socketInode_) ::unlink(socketPath_.c_str());
    }
    // Said while the lock is still held: a later launch finds nothing said,
    // waits for the lock and runs by itself.
    if (lockDescriptor_) (void)::ftruncate(lockDescriptor_.get(), 0);
}

Result<SingleInstance::LockFile> SingleInstance::openLockFile() {
    FileDescriptor descriptor = FileDescriptor::open(lockFile_, O_RDWR | O_CREAT | O_NOFOLLOW, 0600);
    if (!descriptor) return Error::posix(errno, "Cannot open the lock file " + lockFile_);
    struct stat status {};
    if (::fstat(descriptor.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid())
        return Error(kPOSIXErrorDomain, EACCES, "The lock file is not this user's own: " + lockFile_);
    (void)::fchmod(descriptor.get(), 0600);
    if (::flock(descriptor.get(), LOCK_EX | LOCK_NB) == 0) return LockFile{std::move(descriptor), true};
    int reason = errno;
    if (reason == EWOULDBLOCK) return LockFile{std::move(descriptor), false};
    return Error::posix(reason, "Cannot lock " + lockFile_);
}

void SingleInstance::listenAndTell() {
    // Whatever an earlier copy said is void from here on.
    (void)::ftruncate(lockDescriptor_.get(), 0);
    std::string failures;
    for (const std::string& folder : socketFolders_(socketName_)) {
        const std::string candidate = path::appending(folder, socketName_);
        Status listening = !isOwnerOnlyFolder(folder)
                               ? Error(kPOSIXErrorDomain, EACCES, "The folder is not this user's alone: " + folder)
                           : !socketPathFits(candidate) ? Error::posix(ENAMETOOLONG, candidate)
                                                        : listen(candidate);
        if (listening) {
            socketPath_ = candidate;
            break;
        }
        failures += "; " + listening.error().description;
    }
    const std::string record =
        socketPath_.empty() ? std::string(kListensNowhere) : std::string(kListensAt) + socketPath_ + "\n";
    if (::pwrite(lockDescriptor_.get(), record.data(), record.size(), 0) != static_cast<ssize_t>(record.size()))
        std::fprintf(stderr, "SingleInstance: cannot write %s: %s\n", lockFile_.c_str(), std::strerror(errno));
    // This copy still runs; later launches learn that they cannot reach it.
    if (socketPath_.empty())
        std::fprintf(stderr, "SingleInstance: no place for a socket, so later launches cannot reach this copy%s\n",
                     failures.c_str());
}

Status SingleInstance::listen(const std::string& socketPath) {
    auto address = socketAddress(socketPath);
    if (!address) return address.error();
    // Holding the lock, we are the only copy: a socket left there is stale.
    struct stat status {};
    if (::lstat(socketPath.c_str(), &status) == 0) {
        if (!isOwnSocket(status))
            return Error(kPOSIXErrorDomain, EEXIST, "Something else is in the socket's place: " + socketPath);
        ::unlink(socketPath.c_str());
    }
    // Bound under a name of its own and renamed into place once it is
    // owner-only, so the socket is never found with wider permissions.
    std::string fresh = bindingPath(socketPath);
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
    if (::rename(fresh.c_str(), socketPath.c_str()) != 0) return fail("Cannot move the socket to " + socketPath);
    if (::lstat(socketPath.c_str(), &status) == 0) socketInode_ = status.st_ino;
    listenDescriptor_ = std::move(descriptor);
    return Status::success();
}

Status SingleInstance::handOff(const std::string& socketPath, const std::vector<std::string>& messages,
                               std::chrono::steady_clock::time_point deadline) {
    auto address = socketAddress(socketPath);
    if (!address) return address.error();
    if (!isOwnerOnlyFolder(path::deletingLastComponent(socketPath)))
        return Error(kPOSIXErrorDomain, EACCES,
                     "The running copy's socket is not in a folder of this user's alone: " + socketPath);
    struct stat status {};
    if (::lstat(socketPath.c_str(), &status) != 0) return Error::posix(errno, socketPath);
    if (!isOwnSocket(status))
        return Error(kPOSIXErrorDomain, EACCES, "The running copy's socket is not this user's own: " + socketPath);

    std::string payload;
    for (const std::string& message : messages) {
        if (message.find('\0') != std::string::npos)
            return Error(kPOSIXErrorDomain, EINVAL, "A message holds a NUL byte");
        payload += message;
        payload += '\0';
    }
    if (payload.size() > kLongestPayload) return Error(kPOSIXErrorDomain, E2BIG, "The messages are too long");

    // It does not block: a copy that has stopped taking connections keeps
    // neither connect nor send waiting past the deadline.
    FileDescriptor descriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!descriptor) return Error::posix(errno, "Cannot make a socket");
    if (::connect(descriptor.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(sockaddr_un)) != 0)
        return Error::posix(errno, "Cannot reach the running copy at " + socketPath);
    if (!peerIsThisUser(descriptor.get()))
        return Error(kPOSIXErrorDomain, EACCES, "The running copy is another user's: " + socketPath);
    Result<std::string> reply = Error::posix(ETIMEDOUT, "The running copy did not take the messages");
    if (sendAll(descriptor.get(), payload, deadline) && ::shutdown(descriptor.get(), SHUT_WR) == 0) {
        // Once taken, the messages are waited for until they are opened,
        // however long that takes: the copy answers, or it ends and the
        // connection with it.
        reply = readToEnd(
            descriptor.get(),
            [deadline](const std::string& soFar) {
                return soFar.starts_with(kTaken) ? -1 : millisecondsUntil(deadline);
            },
            64);
    } else if (errno != ETIMEDOUT) {
        return Error::posix(errno, "Cannot send to the running copy");
    }
    if (!reply && reply.error().code == ETIMEDOUT) {
        // This launch gives up. Shut for reading, its side refuses every
        // word from now on, so the copy can no longer take the messages; a
        // word it said before is still read.
        (void)::shutdown(descriptor.get(), SHUT_RD);
        reply = readToEnd(
            descriptor.get(), [](const std::string&) { return 0; }, 64);
        if (reply && reply->empty() && peerRunsThisProgram(descriptor.get()))
            return Error(kPOSIXErrorDomain, ETIMEDOUT,
                         "The running copy did not take them in time, and now never will");
        if (reply && reply->empty())
            return Error(kPOSIXErrorDomain, EINPROGRESS,
                         "The running copy did not answer in time; it runs another build, which may still open them");
        if (reply && *reply == kTaken)
            return Error(kPOSIXErrorDomain, EINPROGRESS,
                         "The running copy took them just as this launch stopped waiting and may still open them");
    }
    if (reply && (*reply == kOpened || *reply == std::string(kTaken) + std::string(kOpened))) return Status::success();
    if (reply && *reply == kTaken)
        return Error(kPOSIXErrorDomain, ECANCELED, "The running copy quit before it opened them");
    // The copy closed without a word: it began to quit before it took them.
    if ((reply && reply->empty()) || (!reply && (reply.error().code == ECONNRESET || reply.error().code == EPIPE)))
        return Error(kPOSIXErrorDomain, ECONNRESET, "The running copy quit before it took the messages");
    return Error(kPOSIXErrorDomain, EPROTO, "The running copy refused the messages");
}

Result<SingleInstance::Role> SingleInstance::claimOrHandOff(const std::vector<std::string>& messages,
                                                            double timeoutSeconds) {
    auto deadline = deadlineAfter(timeoutSeconds);
    for (;;) {
        if (lockDescriptor_) return Role::Running;
        Result<LockFile> lock = openLockFile();
        if (!lock) return lock.error();
        if (lock->locked) {
            lockDescriptor_ = std::move(lock->descriptor);
            listenAndTell();
            return Role::Running;
        }
        foundRunningCopy_ = true;
        std::optional<Told> told = toldByRunningCopy(lock->descriptor.get());
        if (told && !told->socketPath) return Role::AlreadyRunning;
        // Nothing said yet: the copy is starting, or is of a version that
        // listened in the runtime folder without saying so.
        std::string socketPath = told ? *told->socketPath : "";
        if (std::optional<std::string> runtime = runtimeDirectory(); !told && runtime)
            socketPath = path::appending(*runtime, socketName_);
        if (!socketPathFits(socketPath)) socketPath.clear();
        Status handed = socketPath.empty()
                            ? Status(Error(kPOSIXErrorDomain, ENOENT, "The running copy has no socket yet"))
                            : handOff(socketPath, messages, deadline);
        if (handed) return Role::HandedOff;
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
        client.get(), [](const std::string&) { return kClientReadMilliseconds; }, kLongestPayload);
    if (!payload || (!payload->empty() && payload->back() != '\0')) return;
    std::vector<std::string> messages;
    for (size_t start = 0; start < payload->size();) {
        size_t end = payload->find('\0', start);
        messages.push_back(payload->substr(start, end - start));
        start = end + 1;
    }
    // Answered on the main loop, and only with what is true: a copy that
    // begins to quit first takes nothing and closes without a word; one that
    // quits before the messages are opened closes after "taken"; messages
    // whose launch has given up are dropped.
    auto answer = std::make_shared<Answer>(std::move(client));
    RunLoop::main().post([handler = handler_, answer, messages = std::move(messages)] {
        if (!*handler || !answer->taken()) return;
        (*handler)(messages, [answer] { answer->opened(); });
    });
}

}  // namespace foundation
