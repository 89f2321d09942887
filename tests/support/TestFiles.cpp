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

namespace {

bool isBelow(const fs::path& path, const fs::path& folder) {
    const fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && relative != "." && *relative.begin() != "..";
}

// The folders of `keep` below `folder`, each opened while it can still be
// reached; one below another kept folder comes along with that one.
std::vector<std::pair<fs::path, foundation::FileDescriptor>> openKeptFolders(const std::string& folder,
                                                                             const std::vector<std::string>& keep) {
    const fs::path hidden = fs::weakly_canonical(folder);
    std::vector<fs::path> below;
    for (const std::string& path : keep)
        if (fs::path kept = fs::weakly_canonical(path); isBelow(kept, hidden)) below.push_back(kept);
    std::sort(below.begin(), below.end());
    std::vector<std::pair<fs::path, foundation::FileDescriptor>> opened;
    for (const fs::path& kept : below) {
        if (std::any_of(opened.begin(), opened.end(),
                        [&](const auto& outer) { return outer.first == kept || isBelow(kept, outer.first); }))
            continue;
        foundation::FileDescriptor handle = foundation::FileDescriptor::open(kept, O_PATH | O_DIRECTORY);
        if (!handle) throw std::runtime_error("onPrivateDevice: cannot keep " + kept.string());
        opened.emplace_back(kept, std::move(handle));
    }
    return opened;
}

}  // namespace

int onPrivateDevice(const std::string& folder, int kilobytes, bool readOnly, const std::function<int()>& body,
                    const std::vector<std::string>& keep) {
    auto child = ChildProcess::forked([&] {
        if (unshare(CLONE_NEWNS) != 0) return kNoPrivateDevice;
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return kNoPrivateDevice;
        const auto kept = openKeptFolders(folder, keep);
        const std::string options = "size=" + std::to_string(kilobytes) + "k";
        if (mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) return kNoPrivateDevice;
        // The hidden folders come back through their open handles; the
        // new file system turns read-only only once they are in place.
        for (const auto& [path, handle] : kept) {
            fs::create_directories(path);
            const std::string source = "/proc/self/fd/" + std::to_string(handle.get());
            if (mount(source.c_str(), path.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0)
                throw std::runtime_error("onPrivateDevice: cannot bind " + path.string());
        }
        if (readOnly && mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, options.c_str()) != 0)
            return kNoPrivateDevice;
        return body();
    });
    return child.wait();
}

}  // namespace testsupport
