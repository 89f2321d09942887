#include "support/TestFiles.h"

#include "platform/foundation/FileDescriptor.h"
#include "support/ChildProcess.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sched.h>
#include <stdexcept>
#include <sys/mount.h>
#include <utility>

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

int onPrivateDevice(const std::string& folder, int kilobytes, bool readOnly, const std::function<int()>& body,
                    const std::vector<std::string>& keep) {
    auto child = ChildProcess::forked([&] {
        if (unshare(CLONE_NEWNS) != 0) return kNoPrivateDevice;
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return kNoPrivateDevice;
        // The kept folders below `folder`, opened while they can be reached, come back
        // through those handles (one inside another is bound again onto itself: no harm).
        std::vector<std::pair<fs::path, foundation::FileDescriptor>> kept;
        for (const std::string& path : keep) {
            const fs::path canonical = fs::weakly_canonical(path);
            const fs::path relative = canonical.lexically_relative(fs::weakly_canonical(folder));
            if (relative.empty() || relative == "." || *relative.begin() == "..") continue;
            kept.emplace_back(canonical, foundation::FileDescriptor::open(canonical, O_PATH | O_DIRECTORY));
        }
        const std::string options = "size=" + std::to_string(kilobytes) + "k";
        if (mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) return kNoPrivateDevice;
        for (const auto& [path, handle] : kept) {
            fs::create_directories(path);
            const std::string source = "/proc/self/fd/" + std::to_string(handle.get());
            if (!handle || mount(source.c_str(), path.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0)
                throw std::runtime_error("onPrivateDevice: cannot keep " + path.string());
        }
        // Read-only only now: the kept folders needed their mount points.
        if (readOnly && mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, options.c_str()) != 0)
            return kNoPrivateDevice;
        return body();
    });
    return child.wait();
}

}  // namespace testsupport
