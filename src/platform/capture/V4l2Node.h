#pragma once

// A camera's V4L2 node (/dev/videoN) for its controls, and the way from a
// camera Qt lists to its node.
//
// Qt's camera ids differ by backend: the FFmpeg backend names the node's
// path, the GStreamer backend of Qt 6.4 numbers its cameras. A path is taken
// as it stands; otherwise the camera's description, which both backends
// take from the driver's card name, is matched against the card names of
// the machine's video-capture nodes (the n-th camera of a name gets the n-th
// node of that name, in node-number order). UVC cameras also give a
// metadata node per camera, which captures no video and is left out.

#include "platform/capture/ControlNode.h"
#include "platform/foundation/FileDescriptor.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace capture {

class V4l2Node : public ControlNode {
public:
    // Opens the node for its controls; the POSIX error when it cannot.
    static foundation::Result<std::shared_ptr<V4l2Node>> open(const std::string& path);

    const std::string& path() const { return path_; }

    std::optional<ControlInfo> queryControl(uint32_t id) override;
    foundation::Result<int32_t> getControl(uint32_t id) override;
    foundation::Status setControl(uint32_t id, int32_t value) override;

    V4l2Node(std::string path, foundation::FileDescriptor descriptor)
        : path_(std::move(path)), descriptor_(std::move(descriptor)) {}

private:
    std::string path_;
    foundation::FileDescriptor descriptor_;
};

struct V4l2CaptureNode {
    std::string path;
    std::string card;  // the driver's name for the camera (VIDIOC_QUERYCAP)
};

// The video-capture nodes named videoN in `folder`, in number order.
std::vector<V4l2CaptureNode> v4l2CaptureNodes(const std::string& folder = "/dev");

// The node of a camera Qt lists: its id when that is a path, else the node
// whose card name is the camera's description (exactly, or failing that
// one containing the other), the `sameDescriptionIndex`-th of such nodes for
// the `sameDescriptionIndex`-th camera of that description. None when no
// node matches.
std::optional<std::string> v4l2NodeOfCamera(std::string_view cameraID, std::string_view description,
                                            size_t sameDescriptionIndex, const std::vector<V4l2CaptureNode>& nodes);

}  // namespace capture
