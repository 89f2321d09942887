#include "support/TestFiles.h"

#include "support/ChildProcess.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sched.h>
#include <sys/mount.h>

namespace testsupport {

namespace fs = std::filesystem;

std::string readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> namesInFolder(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int onPrivateDevice(const std::string& folder, int kilobytes, bool readOnly, const std::function<int()>& body) {
    auto child = ChildProcess::forked([&] {
        if (unshare(CLONE_NEWNS) != 0) return kNoPrivateDevice;
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return kNoPrivateDevice;
        const std::string options = "size=" + std::to_string(kilobytes) + "k";
        if (mount("tmpfs", folder.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) != 0)
            return kNoPrivateDevice;
        return body();
    });
    return child.wait();
}

}  // namespace testsupport
