#pragma once

// A temporary folder for the inputs one test run makes (movies, sounds),
// removed with everything in it when the process that made it ends (a forked
// child that exits normally leaves it to its parent).
//
//     static testsupport::RunFolder folder("tollivar-sounds");

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace testsupport {

class RunFolder {
public:
    explicit RunFolder(const std::string& prefix) {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make the folder " + pattern);
        path_ = pattern;
    }
    ~RunFolder() {
        if (getpid() != owner_) return;
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
    pid_t owner_ = getpid();
};

}  // namespace testsupport
