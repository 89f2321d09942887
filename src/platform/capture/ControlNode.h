#pragma once

// A camera's controls as its V4L2 node describes them, behind one small
// interface: the real node (V4l2Node) and the fake device tables of the tests
// implement it. Control ids, types and flags are V4L2's
// (<linux/videodev2.h>); failures carry errno as their code in the POSIX
// domain, so the caller can tell a refusal (EINVAL, EACCES) from a busy
// device (EBUSY) and from one that went away (ENODEV).

#include "platform/foundation/Error.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace capture {

struct ControlInfo {
    uint32_t id = 0;
    uint32_t type = 0;  // V4L2_CTRL_TYPE_...
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t step = 1;
    int32_t defaultValue = 0;
    uint32_t flags = 0;  // V4L2_CTRL_FLAG_...
    // The entries a menu control offers: the index (the control's value) and
    // what it stands for (the index itself for a plain menu, the number of
    // an integer menu).
    struct MenuEntry {
        int32_t index = 0;
        int64_t value = 0;
        bool operator==(const MenuEntry&) const = default;
    };
    std::vector<MenuEntry> menu;
};

class ControlNode {
public:
    virtual ~ControlNode() = default;
    // What the device says of a control (VIDIOC_QUERYCTRL and, for menus,
    // VIDIOC_QUERYMENU); none when it has no such control.
    virtual std::optional<ControlInfo> queryControl(uint32_t id) = 0;
    // The control's value (VIDIOC_G_CTRL); a menu's index.
    virtual foundation::Result<int32_t> getControl(uint32_t id) = 0;
    // Sets the control (VIDIOC_S_CTRL).
    virtual foundation::Status setControl(uint32_t id, int32_t value) = 0;
};

// Opens a camera's control node: null when the camera has none, the POSIX
// error of the open when it cannot be opened (EACCES for a user without the
// permission, ENOENT once it has gone). A camera another program streams
// opens as any other.
using ControlNodeOpener = std::function<foundation::Result<std::shared_ptr<ControlNode>>()>;

}  // namespace capture
