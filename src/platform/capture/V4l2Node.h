#pragma once

// A camera's V4L2 node (/dev/videoN) for its controls, and the way from a
// camera Qt lists to its node.
//
// Nodes are reached through a V4l2Folder: the machine's /dev, where a node
// is opened with open(2) and asked with ioctl(2), or in tests a folder of
// fake devices that answer the same ioctls as the kernel does.
//
// Qt's camera ids differ by backend: the FFmpeg backend names the node's
// path, the GStreamer backend of Qt 6.4 numbers its cameras. A path is taken
// as it stands; otherwise the camera's description, which both backends
// take from the driver's card name, is matched against the card names of
// the machine's video-capture nodes (the n-th camera of a name gets the n-th
// node of that name, in node-number order). UVC cameras also give a
// metadata node per camera, which captures no video: it is never a camera's
// node, also when a backend lists it by its path.
//
// The kernel numbers nodes in plug order, so /dev/video2 may be another
// camera after a reboot or a replug. udev names a camera's node stably in
// /dev/v4l/by-id, after its bus, maker, model and serial
// ("usb-Vendor_Cam_SERIAL-video-index0" -> "../../video2"); a camera with no
// serial (or not on USB) may have no such link.

#include "platform/capture/ControlNode.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace capture {

// One open node.
class V4l2Handle {
public:
    virtual ~V4l2Handle() = default;
    // ioctl(2) on the node: 0, or −1 with errno set.
    virtual int ioctl(unsigned long request, void* argument) = 0;
};

// Where nodes are found and opened.
class V4l2Folder {
public:
    virtual ~V4l2Folder() = default;
    // The paths of the nodes named videoN, in number order.
    virtual std::vector<std::string> videoNodes() = 0;
    // Opens a node for reading and writing; the POSIX error when it cannot.
    virtual foundation::Result<std::shared_ptr<V4l2Handle>> open(const std::string& path) = 0;
};

// The machine's nodes in `path`.
std::shared_ptr<V4l2Folder> systemV4l2Folder(const std::string& path = "/dev");

class V4l2Node : public ControlNode {
public:
    // Opens the node for its controls; the POSIX error when it cannot.
    static foundation::Result<std::shared_ptr<V4l2Node>> open(const std::string& path, V4l2Folder& folder);

    const std::string& path() const { return path_; }

    std::optional<ControlInfo> queryControl(uint32_t id) override;
    foundation::Result<int32_t> getControl(uint32_t id) override;
    foundation::Status setControl(uint32_t id, int32_t value) override;

    V4l2Node(std::string path, std::shared_ptr<V4l2Handle> handle)
        : path_(std::move(path)), handle_(std::move(handle)) {}

private:
    int ioctl(unsigned long request, void* argument);

    std::string path_;
    std::shared_ptr<V4l2Handle> handle_;
};

// Opens `path` of `folder` as a control node each time it is called.
ControlNodeOpener v4l2NodeOpener(std::shared_ptr<V4l2Folder> folder, std::string path);

struct V4l2VideoNode {
    enum class Kind {
        Capture,     // captures video
        Other,       // a node of another kind (metadata, output, a file that is no node)
        Unreadable,  // could not be opened (another program's, or not ours to open)
    };
    std::string path;
    Kind kind = Kind::Other;
    std::string card;  // the driver's name for the camera (VIDIOC_QUERYCAP)
    bool operator==(const V4l2VideoNode&) const = default;
};

// The nodes named videoN in `folder`, in number order, with what they are.
std::vector<V4l2VideoNode> v4l2VideoNodes(V4l2Folder& folder);

// The node of a camera Qt lists: its id when that is a path of a node that
// may capture (one that is not in the list, or could not be opened, is
// taken as it stands, so that opening it says why), else the capture node
// whose card name is the camera's description (exactly, or failing that one
// containing the other), the `sameDescriptionIndex`-th of such nodes for the
// `sameDescriptionIndex`-th camera of that description. None when no node
// matches.
std::optional<std::string> v4l2NodeOfCamera(std::string_view cameraID, std::string_view description,
                                            size_t sameDescriptionIndex, const std::vector<V4l2VideoNode>& nodes);

// Where udev keeps the stable names of the machine's video nodes.
inline constexpr const char* kV4l2ByIdFolder = "/dev/v4l/by-id";

// The link in `byIdFolder` that points at the node `nodePath` (a relative
// target taken from the link's folder, as the kernel resolves it); none when
// no link does, or the folder is not there.
std::optional<std::string> v4l2StableName(const std::string& nodePath, const std::string& byIdFolder);

// False for a camera whose id is the path of a node that captures no video
// (Qt 6.4's FFmpeg backend lists a UVC camera's metadata node as a camera).
bool v4l2MayCapture(std::string_view cameraID, const std::vector<V4l2VideoNode>& nodes);

}  // namespace capture
