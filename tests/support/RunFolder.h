#pragma once

// A temporary folder for the inputs one test run makes (movies, sounds),
// removed with everything in it when the process ends.
//
//     static testsupport::RunFolder folder("tollivar-sounds");

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace testsupport {

class RunFolder {
public:
    explicit RunFolder(const std::string& prefix) {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make the folder " + pattern);
        path_ = pattern;
    }
    ~RunFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace testsupport
