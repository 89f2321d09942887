#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct ProcessResult {
    int exitCode = -1;
    std::string output;  // standard output and standard error together
};

// Runs a program with arguments (no shell) and collects what it prints.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input = "");

// Runs a python3 script given as text; arguments follow as sys.argv[1:].
ProcessResult runPython(const std::string& script, const std::vector<std::string>& args = {});

// A folder that keeps test outputs (PNG screens and the like) for a look by eye.
std::string artifactsDirectory();

}  // namespace testsupport
