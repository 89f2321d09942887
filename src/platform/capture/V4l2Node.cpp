#include "platform/capture/V4l2Node.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <map>
#include <sys/ioctl.h>

namespace capture {

namespace {

int retryingIoctl(int descriptor, unsigned long request, void* argument) {
    int result;
    do {
        result = ::ioctl(descriptor, request, argument);
    } while (result < 0 && errno == EINTR);
    return result;
}

// A menu of more entries than this is not a camera's; the rest is not asked.
constexpr int32_t kMenuEntryLimit = 64;

std::string fixedText(const uint8_t* text, size_t size) {
    const auto* characters = reinterpret_cast<const char*>(text);
    return std::string(characters, strnlen(characters, size));
}

}  // namespace

foundation::Result<std::shared_ptr<V4l2Node>> V4l2Node::open(const std::string& path) {
    foundation::FileDescriptor descriptor = foundation::FileDescriptor::open(path, O_RDWR | O_NONBLOCK);
    if (!descriptor) return foundation::Error::posix(errno, path);
    return std::make_shared<V4l2Node>(path, std::move(descriptor));
}

std::optional<ControlInfo> V4l2Node::queryControl(uint32_t id) {
    v4l2_queryctrl query{};
    query.id = id;
    if (retryingIoctl(descriptor_.get(), VIDIOC_QUERYCTRL, &query) < 0 || query.id != id) return std::nullopt;
    ControlInfo info;
    info.id = id;
    info.type = query.type;
    info.minimum = query.minimum;
    info.maximum = query.maximum;
    info.step = query.step;
    info.defaultValue = query.default_value;
    info.flags = query.flags;
    if (query.type == V4L2_CTRL_TYPE_MENU || query.type == V4L2_CTRL_TYPE_INTEGER_MENU) {
        const int32_t last = std::min(query.maximum, query.minimum + kMenuEntryLimit - 1);
        for (int32_t index = std::max(query.minimum, 0); index <= last; ++index) {
            v4l2_querymenu entry{};
            entry.id = id;
            entry.index = uint32_t(index);
            // A menu may skip entries the device does not offer.
            if (retryingIoctl(descriptor_.get(), VIDIOC_QUERYMENU, &entry) < 0) continue;
            info.menu.push_back({index, query.type == V4L2_CTRL_TYPE_INTEGER_MENU ? int64_t(entry.value) : index});
        }
    }
    return info;
}

foundation::Result<int32_t> V4l2Node::getControl(uint32_t id) {
    v4l2_control control{};
    control.id = id;
    if (retryingIoctl(descriptor_.get(), VIDIOC_G_CTRL, &control) < 0)
        return foundation::Error::posix(errno, "VIDIOC_G_CTRL on " + path_);
    return control.value;
}

foundation::Status V4l2Node::setControl(uint32_t id, int32_t value) {
    v4l2_control control{};
    control.id = id;
    control.value = value;
    if (retryingIoctl(descriptor_.get(), VIDIOC_S_CTRL, &control) < 0)
        return foundation::Error::posix(errno, "VIDIOC_S_CTRL on " + path_);
    return {};
}

std::vector<V4l2CaptureNode> v4l2CaptureNodes(const std::string& folder) {
    std::map<long, std::string> numbered;
    if (DIR* directory = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(directory)) {
            const std::string name = entry->d_name;
            if (name.size() <= 5 || name.compare(0, 5, "video") != 0) continue;
            if (!std::all_of(name.begin() + 5, name.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
            if (name.size() > 12) continue;  // no node has a number that long
            numbered.emplace(std::stol(name.substr(5)), folder + "/" + name);
        }
        ::closedir(directory);
    }
    std::vector<V4l2CaptureNode> nodes;
    for (const auto& [number, path] : numbered) {
        foundation::FileDescriptor descriptor = foundation::FileDescriptor::open(path, O_RDWR | O_NONBLOCK);
        if (!descriptor) continue;
        v4l2_capability capability{};
        if (retryingIoctl(descriptor.get(), VIDIOC_QUERYCAP, &capability) < 0) continue;
        const uint32_t caps =
            (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps : capability.capabilities;
        if (!(caps & (V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_VIDEO_CAPTURE_MPLANE))) continue;
        nodes.push_back({path, fixedText(capability.card, sizeof capability.card)});
    }
    return nodes;
}

std::optional<std::string> v4l2NodeOfCamera(std::string_view cameraID, std::string_view description,
                                            size_t sameDescriptionIndex, const std::vector<V4l2CaptureNode>& nodes) {
    if (!cameraID.empty() && cameraID.front() == '/') return std::string(cameraID);
    if (description.empty()) return std::nullopt;
    const auto pick = [&](auto matches) -> std::optional<std::string> {
        size_t seen = 0;
        for (const V4l2CaptureNode& node : nodes) {
            if (!matches(node.card)) continue;
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
