#include "support/ChildProcess.h"

#include "platform/foundation/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace testsupport {

namespace {

std::vector<std::string> environmentWith(const std::vector<std::string>& changes) {
    std::vector<std::string> result;
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** entry = environ; *entry; ++entry) {
        std::string existing = *entry;
        bool replaced = false;
        for (const std::string& change : changes) replaced = replaced || nameOf(change) == nameOf(existing);
        if (!replaced) result.push_back(std::move(existing));
    }
    result.insert(result.end(), changes.begin(), changes.end());
    return result;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

struct Pipe {
    foundation::FileDescriptor read, write;
    Pipe() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
        read.reset(ends[0]);
        write.reset(ends[1]);
    }
};

// The child is killed when the thread that started it ends, which for a
// test is when the test process ends, however it ends (a crash, SIGKILL):
// no bus, server or program outlives the test that needed it. False when
// the parent has already gone.
bool endWithParent(pid_t parent) { return ::prctl(PR_SET_PDEATHSIG, SIGKILL) == 0 && ::getppid() == parent; }

// The program as execve wants it: a name without a slash is looked up in
// PATH, as a shell would; one that is found nowhere is left as it is, for
// execve to refuse.
std::string programPath(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    const char* path = std::getenv("PATH");
    std::string folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    for (size_t start = 0; start <= folders.size();) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return name;
}

int statusCode(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

// Feeds the input on the parent's side; a child that stops reading early
// must not kill the test with SIGPIPE.
void feed(foundation::FileDescriptor& end, const std::string& input) {
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    (void)foundation::writeAll(end.get(), input.data(), input.size());
    ::sigaction(SIGPIPE, &previous, nullptr);
    end.reset();
}

}  // namespace

ChildProcess ChildProcess::spawn(const std::vector<std::string>& argv, const Options& options) {
    if (argv.empty()) throw std::invalid_argument("a child process needs a program");
    std::vector<std::string> arguments = argv;
    std::vector<std::string> changes = options.environment;
    std::string temporary;
    const bool runsThisTest = std::find(argv.begin(), argv.end(), thisExecutable()) != argv.end();
    const bool setsTemporary =
        std::any_of(changes.begin(), changes.end(), [](const std::string& c) { return c.starts_with("TMPDIR="); });
    if (runsThisTest && !setsTemporary) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tollivar-child-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make " + pattern);
        temporary = pattern;
        changes.push_back("TMPDIR=" + temporary);
    }
    // A test binary run as one of several shards gives a child of itself
    // the whole list its filter picks, not the shard's part of it.
    if (runsThisTest) changes.insert(changes.end(), {"GTEST_TOTAL_SHARDS=1", "GTEST_SHARD_INDEX=0"});
    std::vector<std::string> environment = environmentWith(changes);
    std::vector<char*> argp = pointersTo(arguments), envp = pointersTo(environment);

    const std::string program = programPath(argv[0]);
    std::optional<Pipe> out, in;
    if (options.captureOutput) out.emplace();
    if (options.input) in.emplace();
    Pipe execution;  // carries the exec's errno when it fails; closed by a good exec
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        // Only system calls from here on: the other threads of the test do
        // not exist in this copy and may have held any lock.
        if (in) ::dup2(in->read.get(), 0);
        if (out) {
            ::dup2(out->write.get(), 1);
            if (options.captureErrors) ::dup2(out->write.get(), 2);
        }
        if (!endWithParent(parent)) ::_exit(127);
        ::execve(program.c_str(), argp.data(), envp.data());
        const int failure = errno;
        (void)!::write(execution.write.get(), &failure, sizeof failure);
        ::_exit(127);
    }
    execution.write.reset();
    int failure = 0;
    ssize_t got;
    while ((got = ::read(execution.read.get(), &failure, sizeof failure)) < 0 && errno == EINTR) {
    }
    if (got > 0) {
        int ignored;
        while (::waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
        }
        std::error_code kept;
        if (!temporary.empty()) std::filesystem::remove_all(temporary, kept);
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(failure));
    }

    ChildProcess child(pid, out ? out->read.release() : -1);
    child.temporaryFolder_ = std::move(temporary);
    if (out) out->write.reset();
    if (in) {
        in->read.reset();
        feed(in->write, *options.input);
    }
    return child;
}

ChildProcess ChildProcess::forked(const std::function<int()>& body, const Options& options) {
    std::vector<std::string> environment = environmentWith(options.environment);
    std::optional<Pipe> out;
    if (options.captureOutput) out.emplace();
    const pid_t parent = ::getpid();
    // What the test has printed but not yet written would be written again
    // by a body that flushes: into its own output, ahead of what it says.
    std::fflush(nullptr);
    pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        if (out) {
            ::dup2(out->write.get(), 1);
            if (options.captureErrors) ::dup2(out->write.get(), 2);
        }
        if (!endWithParent(parent)) ::_exit(127);
        for (std::string& entry : environment) ::putenv(entry.data());
        int code = 125;
        try {
            code = body();
        } catch (...) {}
        // No destructors or atexit handlers of the parent's objects run twice.
        ::_exit(code);
    }
    ChildProcess child(pid, out ? out->read.release() : -1);
    return child;
}

std::string ChildProcess::thisExecutable() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      output_(std::move(other.output_)),
      status_(other.status_),
      temporaryFolder_(std::exchange(other.temporaryFolder_, {})) {}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !status_) stop(SIGKILL);
}

std::string ChildProcess::readOutput() {
    std::string text;
    if (!output_) return text;
    foundation::readChunks(output_.get(), [&](const uint8_t* data, size_t size) {
        text.append(reinterpret_cast<const char*>(data), size);
        return 0;
    });
    return text;
}

bool ChildProcess::readUntil(char marker, std::string* before) {
    for (char c;;) {
        ssize_t n = ::read(output_.get(), &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (c == marker) return true;
        if (before) before->push_back(c);
    }
}

int ChildProcess::ended(int status) {
    status_ = statusCode(status);
    if (!temporaryFolder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(temporaryFolder_, ignored);
        temporaryFolder_.clear();
    }
    return *status_;
}

int ChildProcess::wait() {
    if (status_) return *status_;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return ended(status);
}

std::optional<int> ChildProcess::poll() {
    if (status_) return status_;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) ended(status);
    return status_;
}

int ChildProcess::stop(int signal) {
    if (status_) return *status_;
    ::kill(pid_, signal);
    return wait();
}

}  // namespace testsupport
