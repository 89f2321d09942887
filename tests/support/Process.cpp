#include "support/Process.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input) {
    int out[2], in[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(in, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(out[1], 2);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    close(in[0]);
    size_t written = 0;
    while (written < input.size()) {
        ssize_t n = write(in[1], input.data() + written, input.size() - written);
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    close(in[1]);
    ProcessResult result;
    char buffer[65536];
    for (;;) {
        ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n > 0)
            result.output.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(out[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

ProcessResult runPython(const std::string& script, const std::vector<std::string>& args) {
    std::vector<std::string> argv{"python3", "-c", script};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv);
}

std::string artifactsDirectory() {
    const char* env = std::getenv("TOLLIVAR_ARTIFACTS");
    std::filesystem::path dir = env && *env ? env : std::filesystem::temp_directory_path() / "tollivar-test-artifacts";
    std::filesystem::create_directories(dir);
    return dir.string();
}

}  // namespace testsupport
