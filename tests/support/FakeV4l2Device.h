#pragma once

// A webcam as the kernel shows it: a capture node and, as UVC cameras have,
// a metadata node, answering the ioctls the application asks
// (VIDIOC_QUERYCAP, VIDIOC_QUERYCTRL, VIDIOC_QUERYMENU, VIDIOC_G_CTRL,
// VIDIOC_S_CTRL) from a table of controls, so the real node code
// (capture::V4l2Node) reads and writes it. It behaves as a UVC webcam does
// where that matters:
// - while an automatic control is on, its absolute control reads the value
//   the automatic mode has reached and is inactive (V4L2_CTRL_FLAG_INACTIVE):
//   a write fails with EACCES, the camera's "wrong state"; switching the
//   automatic off returns to the hand-set value;
// - a menu offers some of the indices from its minimum to its maximum, and
//   VIDIOC_QUERYMENU fails with EINVAL for the others;
// - a read-only control fails writes with EACCES, a value out of range with
//   ERANGE, a menu index it does not offer with EINVAL;
// - a control whose firmware stalls fails with EIO (`failsReads`,
//   `refuseWrites`), the others answer on;
// - the metadata node captures no video and has no controls (ENOTTY);
// - a camera another program streams from (`streamedElsewhere`) opens and
//   answers its controls as any other, and fails a format, buffers or a
//   stream of ours (VIDIOC_S_FMT, VIDIOC_REQBUFS, VIDIOC_STREAMON) with EBUSY;
// - opening fails with `openError` (EACCES for a user who is not in the
//   node's group), and after `vanishAfterCalls` calls the nodes are gone:
//   calls fail with ENODEV and opening with ENOENT.
//
// The table of test devices: a webcam with every control a stop-motion
// camera uses, one with automatic exposure only, one with no controls, and
// one that refuses every write.

#include "platform/capture/SyntheticCamera.h"
#include "platform/capture/V4l2Node.h"
#include "support/RunFolder.h"

#include <cstdint>
#include <filesystem>
#include <linux/videodev2.h>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class FakeV4l2Device : public std::enable_shared_from_this<FakeV4l2Device> {
public:
    struct Control {
        // The menu lists the indices (and an integer menu's numbers) offered.
        capture::ControlInfo info;
        int32_t value = 0;  // the hand-set value (the menu index of a menu)
        // Writes fail with this errno (0: they take).
        int refuseWrites = 0;
        // Reads fail with this errno (0: they answer).
        int failsReads = 0;
        // Writes succeed and change nothing, as on some cheap cameras.
        bool ignoresWrites = false;
        // For an absolute control: the automatic control whose "on" makes
        // reads give `reached` and writes fail.
        std::optional<uint32_t> automaticControl;
        int32_t reached = 0;
    };

    // One ioctl on the capture node or the metadata node: 0, or −1 with errno.
    int ioctl(bool captureNode, unsigned long request, void* argument);

    // Adds or replaces a control with its hand-set value.
    Control& add(capture::ControlInfo info, int32_t value);
    // ... an absolute control that reads `reached` while `automatic` is on.
    Control& add(capture::ControlInfo info, int32_t byHand, uint32_t automatic, int32_t reached);
    Control& control(uint32_t id) { return controls.at(id); }
    // What a read of the control gives now (the reached value while its
    // automatic control is on).
    int32_t current(uint32_t id) const;
    // Every write the device took, in order.
    std::vector<std::pair<uint32_t, int32_t>> writes;
    // Every call after this many fails with ENODEV (negative: never).
    int vanishAfterCalls = -1;
    int calls = 0;
    // open(2) of its nodes fails with this errno (0: it opens).
    int openError = 0;
    bool streamedElsewhere = false;
    std::string card = "HD Webcam C525";

    std::map<uint32_t, Control> controls;

    // Opens the camera's capture node (/dev/video0 of a folder of its own),
    // as the application opens a camera's controls.
    capture::ControlNodeOpener opener();
    // The camera as Qt 6.4's backends list a webcam (no position, the node's path as
    // identifier, the card as name), its controls and formats on this device.
    capture::SyntheticCameraConfig asListed(const std::string& path);

    // The table.
    static std::shared_ptr<FakeV4l2Device> webcam();
    static std::shared_ptr<FakeV4l2Device> autoExposureOnly();
    static std::shared_ptr<FakeV4l2Device> noControls();
    static std::shared_ptr<FakeV4l2Device> refusingWrites();
    // The webcam with the device's own exposure bias instead of brightness.
    static std::shared_ptr<FakeV4l2Device> webcamWithExposureBias();

    // Values of the webcam.
    static constexpr int32_t kExposureByHand = 156, kExposureReached = 312;
    static constexpr int32_t kFocusByHand = 0, kFocusReached = 85;
    static constexpr int32_t kTemperatureByHand = 4000, kTemperatureReached = 5200;

private:
    friend class FakeV4l2Folder;
    bool isOn(uint32_t automatic) const;
    bool isInactive(const Control& control) const;
    bool vanished();
    int queryControl(v4l2_queryctrl& query);
    int queryMenu(v4l2_querymenu& entry);
    int setControl(const v4l2_control& asked);
};

// A /dev of fake cameras: the n-th camera added has the capture node
// /dev/video(2n) and the metadata node /dev/video(2n+1).
class FakeV4l2Folder : public capture::V4l2Folder {
public:
    void addCamera(std::shared_ptr<FakeV4l2Device> camera) { cameras_.push_back(std::move(camera)); }

    std::vector<std::string> videoNodes() override;
    foundation::Result<std::shared_ptr<capture::V4l2Handle>> open(const std::string& path) override;

private:
    std::vector<std::shared_ptr<FakeV4l2Device>> cameras_;
};

// A /dev of the test's own: nodes <root>/videoN, and udev's stable names in <root>/v4l/by-id linked "../../videoN".
struct FakeDevFolder {
    RunFolder root{"tollivar-dev"};
    const std::string byIdFolder = root.path() + "/v4l/by-id";
    FakeDevFolder() { std::filesystem::create_directories(byIdFolder); }
    std::string node(int number) const { return root.path() + "/video" + std::to_string(number); }
    // The link `name` to the n-th node, made anew when the camera comes back at another node; its path.
    std::string link(const std::string& name, int number) {
        const std::string path = byIdFolder + "/" + name;
        std::filesystem::remove(path);
        std::filesystem::create_symlink("../../video" + std::to_string(number), path);
        return path;
    }
};

// A short name of a V4L2 control for messages ("exposure_auto").
std::string controlName(uint32_t id);

}  // namespace testsupport
