#pragma once

// A child process for tests: a program run without a shell, or a forked copy
// of the test itself running a function (for checks that change what is
// process-wide: mounts, resource limits, signals, a crash). The child is
// killed and reaped when the handle goes, so a failed assertion never leaves
// one behind, and killed when the thread that started it ends, so a test
// that crashes or is killed leaves none behind either. (A program that
// forks away from its child is out of reach: run daemons in the foreground.)
//
//     auto child = testsupport::ChildProcess::forked([] { return setrlimit(...) == 0 ? 0 : 1; });
//     EXPECT_EQ(child.wait(), 0);

#include "platform/foundation/FileDescriptor.h"

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

class ChildProcess {
public:
    struct Options {
        // NAME=value entries that replace or add to the environment.
        std::vector<std::string> environment;
        // Standard output goes to a pipe read with readOutput() or readUntil().
        bool captureOutput = false;
        // Standard error goes into the same pipe (with captureOutput only).
        bool captureErrors = false;
        // Written to the child's standard input, which then ends.
        std::optional<std::string> input;
    };

    // Runs a program (looked up in PATH unless it has a slash). Throws
    // std::runtime_error when it cannot start. A run of this test binary
    // (also behind another program, as "unshare ... <test>") gets a
    // temporary folder of its own (TMPDIR, unless the options set it),
    // removed once the child has ended: what it made there goes with it,
    // also when it was killed.
    static ChildProcess spawn(const std::vector<std::string>& argv, const Options& options);
    static ChildProcess spawn(const std::vector<std::string>& argv) { return spawn(argv, Options{}); }
    // Runs `body` in a fork of this process and exits with what it returns
    // (125 when it throws). The child must stick to the calling thread's
    // work: other threads of the test do not exist in it.
    static ChildProcess forked(const std::function<int()>& body, const Options& options);
    static ChildProcess forked(const std::function<int()>& body) { return forked(body, Options{}); }
    // The path of the running test binary, for running some of its tests
    // in a child.
    static std::string thisExecutable();

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&&) = delete;
    ChildProcess(const ChildProcess&) = delete;
    ~ChildProcess();

    pid_t pid() const { return pid_; }

    // Reads the captured output up to its end (the child closed it).
    std::string readOutput();
    // Reads captured output until `marker` has come; false when the output
    // ended first. What came before the marker is appended to `before`.
    bool readUntil(char marker, std::string* before = nullptr);
    // The descriptor of the captured output, for polling; -1 without one.
    int outputDescriptor() const { return output_.get(); }

    // Waits for the end: the exit code, or 128 + the signal that ended it.
    int wait();
    // The exit status if the child has ended, without waiting.
    std::optional<int> poll();
    // Sends a signal and waits for the end.
    int stop(int signal);

private:
    ChildProcess(pid_t pid, int output) : pid_(pid), output_(output) {}
    // Notes the end and lets go of what the child no longer needs.
    int ended(int status);

    pid_t pid_ = -1;
    foundation::FileDescriptor output_;
    std::optional<int> status_;
    std::string temporaryFolder_;  // the child's TMPDIR, when it got one
};

}  // namespace testsupport
