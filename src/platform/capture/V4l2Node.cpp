#include "platform/capture/V4l2Node.h"

#include "platform/foundation/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <linux/videodev2.h>
#include <map>
#include <sys/ioctl.h>

namespace capture {

namespace {

// A menu of more entries than this is not a camera's; the rest is not asked.
constexpr int64_t kMenuEntryLimit = 64;

std::string fixedText(const uint8_t* text, size_t size) {
    const auto* characters = reinterpret_cast<const char*>(text);
    return std::string(characters, strnlen(characters, size));
}

int retryingIoctl(V4l2Handle& handle, unsigned long request, void* argument) {
    int result;
    do {
        result = handle.ioctl(request, argument);
    } while (result < 0 && errno == EINTR);
    return result;
}

class SystemHandle : public V4l2Handle {
public:
    explicit SystemHandle(foundation::FileDescriptor descriptor) : descriptor_(std::move(descriptor)) {}
    int ioctl(unsigned long request, void* argument) override { return ::ioctl(descriptor_.get(), request, argument); }

private:
    foundation::FileDescriptor descriptor_;
};

class SystemFolder : public V4l2Folder {
public:
    explicit SystemFolder(std::string path) : path_(std::move(path)) {}

    std::vector<std::string> videoNodes() override {
        std::map<long, std::string> numbered;
        if (DIR* directory = ::opendir(path_.c_str())) {
            while (const dirent* entry = ::readdir(directory)) {
                const std::string name = entry->d_name;
                if (name.size() <= 5 || name.compare(0, 5, "video") != 0) continue;
                if (!std::all_of(name.begin() + 5, name.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
                if (name.size() > 12) continue;  // no node has a number that long
                numbered.emplace(std::stol(name.substr(5)), path_ + "/" + name);
            }
            ::closedir(directory);
        }
        std::vector<std::string> paths;
        for (auto& [number, path] : numbered) paths.push_back(std::move(path));
        return paths;
    }

    foundation::Result<std::shared_ptr<V4l2Handle>> open(const std::string& path) override {
        foundation::FileDescriptor descriptor = foundation::FileDescriptor::open(path, O_RDWR | O_NONBLOCK);
        if (!descriptor) return foundation::Error::posix(errno, path);
        return std::shared_ptr<V4l2Handle>(std::make_shared<SystemHandle>(std::move(descriptor)));
    }

private:
    std::string path_;
};

}  // namespace

std::shared_ptr<V4l2Folder> systemV4l2Folder(const std::string& path) { return std::make_shared<SystemFolder>(path); }

foundation::Result<std::shared_ptr<V4l2Node>> V4l2Node::open(const std::string& path, V4l2Folder& folder) {
    auto handle = folder.open(path);
    if (!handle.ok()) return handle.error();
    return std::make_shared<V4l2Node>(path, std::move(handle.value()));
}

int V4l2Node::ioctl(unsigned long request, void* argument) { return retryingIoctl(*handle_, request, argument); }

std::optional<ControlInfo> V4l2Node::queryControl(uint32_t id) {
    v4l2_queryctrl query{};
    query.id = id;
    if (ioctl(VIDIOC_QUERYCTRL, &query) < 0 || query.id != id) return std::nullopt;
    ControlInfo info;
    info.id = id;
    info.type = query.type;
    info.minimum = query.minimum;
    info.maximum = query.maximum;
    info.step = query.step;
    info.defaultValue = query.default_value;
    info.flags = query.flags;
    if (query.type == V4L2_CTRL_TYPE_MENU || query.type == V4L2_CTRL_TYPE_INTEGER_MENU) {
        // Every index from the minimum to the maximum is asked; a menu may
        // skip those the device does not offer.
        const int64_t first = std::max<int64_t>(query.minimum, 0);
        const int64_t last = std::min<int64_t>(query.maximum, first + kMenuEntryLimit - 1);
        for (int64_t index = first; index <= last; ++index) {
            v4l2_querymenu entry{};
            entry.id = id;
            entry.index = uint32_t(index);
            if (ioctl(VIDIOC_QUERYMENU, &entry) < 0) continue;
            const int32_t asked = int32_t(index);
            info.menu.push_back({asked, query.type == V4L2_CTRL_TYPE_INTEGER_MENU ? int64_t(entry.value) : asked});
        }
    }
    return info;
}

foundation::Result<int32_t> V4l2Node::getControl(uint32_t id) {
    v4l2_control control{};
    control.id = id;
    if (ioctl(VIDIOC_G_CTRL, &control) < 0) return foundation::Error::posix(errno, "VIDIOC_G_CTRL on " + path_);
    return control.value;
}

foundation::Status V4l2Node::setControl(uint32_t id, int32_t value) {
    v4l2_control control{};
    control.id = id;
    control.value = value;
    if (ioctl(VIDIOC_S_CTRL, &control) < 0) return foundation::Error::posix(errno, "VIDIOC_S_CTRL on " + path_);
    return {};
}

ControlNodeOpener v4l2NodeOpener(std::shared_ptr<V4l2Folder> folder,
                                 std::string path) {
    return [folder = std::move(folder), path = std::move(path)]() -> foundation::Result<std::shared_ptr<ControlNode>> {
        auto node = V4l2Node::open(path, *folder);
        if (!node.ok()) return node.error();
        return std::shared_ptr<ControlNode>(std::move(node.value()));
    };
}

std::vector<V4l2VideoNode> v4l2VideoNodes(V4l2Folder& folder) {
    std::vector<V4l2VideoNode> nodes;
    for (const std::string& path : folder.videoNodes()) {
        V4l2VideoNode node{path, V4l2VideoNode::Kind::Unreadable, {}};
        if (auto handle = folder.open(path); handle.ok()) {
            node.kind = V4l2VideoNode::Kind::Other;
            v4l2_capability capability{};
            if (retryingIoctl(*handle.value(), VIDIOC_QUERYCAP, &capability) == 0) {
                // The node's own capabilities; `capabilities` are the whole device's.
                const uint32_t caps = (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps
                                                                                       : capability.capabilities;
                if (caps & (V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_VIDEO_CAPTURE_MPLANE))
                    node.kind = V4l2VideoNode::Kind::Capture;
                node.card = fixedText(capability.card, sizeof capability.card);
            }
        }
        nodes.push_back(std::move(node));
    }
    return nodes;
}

namespace {

const V4l2VideoNode* listed(std::string_view path, const std::vector<V4l2VideoNode>& nodes) {
    for (const V4l2VideoNode& node : nodes)
        if (node.path == path) return &node;
    return nullptr;
}

bool isPath(std::string_view cameraID) { return !cameraID.empty() && cameraID.front() == '/'; }

}  // namespace

std::optional<std::string> v4l2StableName(const std::string& nodePath, const std::string& byIdFolder) {
    namespace fs = std::filesystem;
    if (byIdFolder.empty()) return std::nullopt;
    const fs::path node = fs::path(nodePath).lexically_normal();
    std::error_code error;
    std::optional<std::string> found;
    for (fs::directory_iterator entry(byIdFolder, error), end; !error && entry != end; entry.increment(error)) {
        const fs::path target = fs::read_symlink(entry->path(), error);
        if (error) {
            error.clear();  // not a link
            continue;
        }
        // An absolute target stays as it is: "/" takes the right side then.
        const fs::path resolved = fs::path(byIdFolder) / target;
        // The first by name when two names point at the node, so the choice does not follow the folder's order.
        if (resolved.lexically_normal() == node && (!found || entry->path().string() < *found))
            found = entry->path().string();
    }
    return found;
}

bool v4l2MayCapture(std::string_view cameraID, const std::vector<V4l2VideoNode>& nodes) {
    if (!isPath(cameraID)) return true;
    const V4l2VideoNode* node = listed(cameraID, nodes);
    return !node || node->kind != V4l2VideoNode::Kind::Other;
}

std::optional<std::string> v4l2NodeOfCamera(std::string_view cameraID, std::string_view description,
                                            size_t sameDescriptionIndex, const std::vector<V4l2VideoNode>& nodes) {
    if (isPath(cameraID)) {
        if (!v4l2MayCapture(cameraID, nodes)) return std::nullopt;
        return std::string(cameraID);
    }
    if (description.empty()) return std::nullopt;
    const auto pick = [&](auto matches) -> std::optional<std::string> {
        size_t seen = 0;
        for (const V4l2VideoNode& node : nodes) {
            if (node.kind != V4l2VideoNode::Kind::Capture || !matches(std::string_view(node.card))) continue;
            if (seen++ == sameDescriptionIndex) return node.path;
        }
        return std::nullopt;
    };
    if (auto exact = pick([&](std::string_view card) { return card == description; })) return exact;
    // Some sources decorate the card name ("HD Webcam (V4L2)"), and card
    // names are cut at 31 bytes.
    return pick([&](std::string_view card) {
        return !card.empty() &&
               (description.find(card) != std::string_view::npos || card.find(description) != std::string_view::npos);
    });
}

}  // namespace capture
