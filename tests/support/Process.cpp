#include "support/Process.h"

#include "support/ChildProcess.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>

namespace testsupport {

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input) {
    ChildProcess::Options options;
    options.captureOutput = true;
    options.captureErrors = true;
    options.input = input;
    ProcessResult result;
    std::optional<ChildProcess> started;
    try {
        started.emplace(ChildProcess::spawn(argv, options));
    } catch (const std::runtime_error& error) {
        // As a shell reports a program it cannot run.
        result.exitCode = 127;
        result.output = error.what();
        return result;
    }
    ChildProcess& child = *started;
    result.output = child.readOutput();
    result.exitCode = child.wait();
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
