#include "app/share/ExternalProgram.h"

#include "platform/foundation/BackgroundActivity.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

}  // namespace

foundation::Result<ProgramOutcome> runProgram(const std::vector<std::string>& argv, bool keepOutput) {
    if (argv.empty() || argv[0].empty()) return foundation::Error::posix(EINVAL, "runProgram");
    std::vector<char*> args;
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    int pipeEnds[2] = {-1, -1};
    if (keepOutput && pipe2(pipeEnds, O_CLOEXEC) != 0) return foundation::Error::posix(errno, argv[0]);
    foundation::FileDescriptor readEnd(pipeEnds[0]);
    foundation::FileDescriptor writeEnd(pipeEnds[1]);

    SpawnActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (keepOutput) posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDOUT_FILENO);

    pid_t pid = -1;
    int spawnError = posix_spawnp(&pid, argv[0].c_str(), actions.get(), nullptr, args.data(), environ);
    if (spawnError != 0) return foundation::Error::posix(spawnError, argv[0]);
    writeEnd = foundation::FileDescriptor();

    ProgramOutcome outcome;
    if (keepOutput) {
        char buffer[4096];
        for (;;) {
            ssize_t count = read(readEnd.get(), buffer, sizeof buffer);
            if (count > 0) {
                // A helper that prints without end cannot fill memory.
                if (outcome.output.size() < (1 << 20)) outcome.output.append(buffer, static_cast<size_t>(count));
                continue;
            }
            if (count < 0 && errno == EINTR) continue;
            break;
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return foundation::Error::posix(errno, argv[0]);
    }
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return outcome;
}

void runProgramAsync(std::vector<std::string> argv,
                     std::function<void(const foundation::Result<ProgramOutcome>& outcome)> completion) {
    foundation::BackgroundActivity::begin();
    foundation::DispatchQueue::global().async([argv = std::move(argv), completion = std::move(completion)] {
        auto outcome = runProgram(argv);
        foundation::DispatchQueue::main().async([outcome, completion] {
            if (completion) completion(outcome);
        });
        foundation::BackgroundActivity::end();
    });
}
