#include "support/FakeV4l2Device.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <linux/videodev2.h>
#include <string>

namespace testsupport {

namespace {

capture::ControlInfo describe(uint32_t id, uint32_t type, int32_t minimum, int32_t maximum, int32_t step,
                              int32_t defaultValue) {
    capture::ControlInfo info;
    info.id = id;
    info.type = type;
    info.minimum = minimum;
    info.maximum = maximum;
    info.step = step;
    info.defaultValue = defaultValue;
    return info;
}

capture::ControlInfo boolean(uint32_t id) { return describe(id, V4L2_CTRL_TYPE_BOOLEAN, 0, 1, 1, 1); }

capture::ControlInfo integer(uint32_t id, int32_t minimum, int32_t maximum, int32_t step, int32_t defaultValue) {
    return describe(id, V4L2_CTRL_TYPE_INTEGER, minimum, maximum, step, defaultValue);
}

// The exposure menu of a UVC webcam: manual and aperture priority.
capture::ControlInfo exposureMenu() {
    capture::ControlInfo info =
        describe(V4L2_CID_EXPOSURE_AUTO, V4L2_CTRL_TYPE_MENU, 0, 3, 1, V4L2_EXPOSURE_APERTURE_PRIORITY);
    info.menu = {{V4L2_EXPOSURE_MANUAL, V4L2_EXPOSURE_MANUAL},
                 {V4L2_EXPOSURE_APERTURE_PRIORITY, V4L2_EXPOSURE_APERTURE_PRIORITY}};
    return info;
}

std::shared_ptr<FakeV4l2Device> withExposure() {
    auto device = std::make_shared<FakeV4l2Device>();
    device->add(exposureMenu(), V4L2_EXPOSURE_APERTURE_PRIORITY);
    device->add(integer(V4L2_CID_EXPOSURE_ABSOLUTE, 3, 2047, 1, 250), FakeV4l2Device::kExposureByHand,
                V4L2_CID_EXPOSURE_AUTO, FakeV4l2Device::kExposureReached);
    return device;
}

}  // namespace

FakeV4l2Device::Control& FakeV4l2Device::add(capture::ControlInfo info, int32_t value) {
    Control& control = controls[info.id] = Control{};
    control.info = std::move(info);
    control.value = value;
    return control;
}

FakeV4l2Device::Control& FakeV4l2Device::add(capture::ControlInfo info, int32_t byHand, uint32_t automatic,
                                             int32_t reached) {
    Control& control = add(std::move(info), byHand);
    control.automaticControl = automatic;
    control.reached = reached;
    return control;
}

bool FakeV4l2Device::vanished() {
    ++calls;
    return vanishAfterCalls >= 0 && calls > vanishAfterCalls;
}

bool FakeV4l2Device::isOn(uint32_t automatic) const {
    auto found = controls.find(automatic);
    if (found == controls.end()) return false;
    if (found->second.info.type == V4L2_CTRL_TYPE_MENU) return found->second.value != V4L2_EXPOSURE_MANUAL;
    return found->second.value != 0;
}

bool FakeV4l2Device::isInactive(const Control& control) const {
    return control.automaticControl && isOn(*control.automaticControl);
}

int32_t FakeV4l2Device::current(uint32_t id) const {
    const Control& control = controls.at(id);
    return isInactive(control) ? control.reached : control.value;
}

namespace {

int fail(int error) {
    errno = error;
    return -1;
}

bool isMenu(const capture::ControlInfo& info) {
    return info.type == V4L2_CTRL_TYPE_MENU || info.type == V4L2_CTRL_TYPE_INTEGER_MENU;
}

const capture::ControlInfo::MenuEntry* menuEntry(const capture::ControlInfo& info, int64_t index) {
    if (index < info.minimum || index > info.maximum) return nullptr;
    for (const auto& entry : info.menu)
        if (entry.index == index) return &entry;
    return nullptr;
}

// Into a fixed text field of `size` bytes, cut and ended by a zero.
void copyText(void* field, size_t size, const std::string& text) {
    const size_t length = std::min(text.size(), size - 1);
    std::memcpy(field, text.data(), length);
    static_cast<char*>(field)[length] = 0;
}

}  // namespace

int FakeV4l2Device::ioctl(bool captureNode, unsigned long request, void* argument) {
    if (vanished()) return fail(ENODEV);
    if (request == VIDIOC_QUERYCAP) {
        auto& capability = *static_cast<v4l2_capability*>(argument);
        capability = {};
        copyText(capability.driver, sizeof capability.driver, "uvcvideo");
        copyText(capability.card, sizeof capability.card, card);
        copyText(capability.bus_info, sizeof capability.bus_info, "usb-0000:00:14.0-1");
        // The whole camera's capabilities, and each node's own.
        capability.capabilities =
            V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING | V4L2_CAP_DEVICE_CAPS;
        capability.device_caps = (captureNode ? V4L2_CAP_VIDEO_CAPTURE : V4L2_CAP_META_CAPTURE) | V4L2_CAP_STREAMING;
        return 0;
    }
    if (!captureNode) return fail(ENOTTY);
    switch (request) {
        case VIDIOC_QUERYCTRL:
            return queryControl(*static_cast<v4l2_queryctrl*>(argument));
        case VIDIOC_QUERYMENU:
            return queryMenu(*static_cast<v4l2_querymenu*>(argument));
        case VIDIOC_G_CTRL: {
            auto& asked = *static_cast<v4l2_control*>(argument);
            if (!controls.count(asked.id)) return fail(EINVAL);
            if (int error = controls.at(asked.id).failsReads) return fail(error);
            asked.value = current(asked.id);
            return 0;
        }
        case VIDIOC_S_CTRL:
            return setControl(*static_cast<v4l2_control*>(argument));
        case VIDIOC_S_FMT:
        case VIDIOC_REQBUFS:
        case VIDIOC_STREAMON:
            return streamedElsewhere ? fail(EBUSY) : 0;
        default:
            return fail(ENOTTY);
    }
}

int FakeV4l2Device::queryControl(v4l2_queryctrl& query) {
    auto found = controls.find(query.id);
    if (found == controls.end()) return fail(EINVAL);
    const Control& control = found->second;
    const capture::ControlInfo& info = control.info;
    const uint32_t id = query.id;
    query = {};
    query.id = id;
    query.type = info.type;
    copyText(query.name, sizeof query.name, controlName(id));
    query.minimum = info.minimum;
    query.maximum = info.maximum;
    query.step = isMenu(info) ? 1 : info.step;
    query.default_value = info.defaultValue;
    query.flags = info.flags | (isInactive(control) ? V4L2_CTRL_FLAG_INACTIVE : 0u);
    return 0;
}

int FakeV4l2Device::queryMenu(v4l2_querymenu& entry) {
    auto found = controls.find(entry.id);
    if (found == controls.end() || !isMenu(found->second.info)) return fail(EINVAL);
    const capture::ControlInfo& info = found->second.info;
    const capture::ControlInfo::MenuEntry* offered = menuEntry(info, entry.index);
    if (!offered) return fail(EINVAL);
    if (info.type == V4L2_CTRL_TYPE_INTEGER_MENU) {
        entry.value = offered->value;
    } else {
        copyText(entry.name, sizeof entry.name, "entry " + std::to_string(offered->index));
    }
    return 0;
}

int FakeV4l2Device::setControl(const v4l2_control& asked) {
    auto found = controls.find(asked.id);
    if (found == controls.end()) return fail(EINVAL);
    Control& control = found->second;
    if (control.refuseWrites) return fail(control.refuseWrites);
    if ((control.info.flags & V4L2_CTRL_FLAG_READ_ONLY) || isInactive(control)) return fail(EACCES);
    if (asked.value < control.info.minimum || asked.value > control.info.maximum) return fail(ERANGE);
    if (isMenu(control.info) && !menuEntry(control.info, asked.value)) return fail(EINVAL);
    writes.emplace_back(asked.id, asked.value);
    if (!control.ignoresWrites) control.value = asked.value;
    return 0;
}

capture::ControlNodeOpener FakeV4l2Device::opener() {
    auto folder = std::make_shared<FakeV4l2Folder>();
    folder->addCamera(shared_from_this());
    return capture::v4l2NodeOpener(folder, "/dev/video0");
}

capture::SyntheticCameraConfig FakeV4l2Device::asListed(const std::string& path) {
    capture::SyntheticCameraConfig config = capture::SyntheticCaptureBackend::backCamera();
    config.uniqueID = path;
    config.localizedName = card;
    config.position = capture::DevicePosition::Unspecified;
    config.controls = opener();
    auto folder = std::make_shared<FakeV4l2Folder>();
    folder->addCamera(shared_from_this());
    config.setFormat = [folder](graphics::Size size) -> foundation::Status {
        auto handle = folder->open("/dev/video0");
        if (!handle.ok()) return handle.error();
        v4l2_format format{};
        format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        format.fmt.pix.width = uint32_t(size.width), format.fmt.pix.height = uint32_t(size.height);
        if (handle.value()->ioctl(VIDIOC_S_FMT, &format) < 0) return foundation::Error::posix(errno, "VIDIOC_S_FMT");
        return {};
    };
    return config;
}

// ---- the folder ----------------------------------------------------------------------

namespace {

class FakeHandle : public capture::V4l2Handle {
public:
    FakeHandle(std::shared_ptr<FakeV4l2Device> camera, bool captureNode)
        : camera_(std::move(camera)), captureNode_(captureNode) {}
    int ioctl(unsigned long request, void* argument) override {
        return camera_->ioctl(captureNode_, request, argument);
    }

private:
    std::shared_ptr<FakeV4l2Device> camera_;
    bool captureNode_;
};

}  // namespace

std::vector<std::string> FakeV4l2Folder::videoNodes() {
    std::vector<std::string> paths;
    for (size_t number = 0; number < 2 * cameras_.size(); ++number)
        paths.push_back("/dev/video" + std::to_string(number));
    return paths;
}

foundation::Result<std::shared_ptr<capture::V4l2Handle>> FakeV4l2Folder::open(const std::string& path) {
    const std::vector<std::string> nodes = videoNodes();
    const size_t number = std::find(nodes.begin(), nodes.end(), path) - nodes.begin();
    if (number == nodes.size()) return foundation::Error::posix(ENOENT, path);
    const auto& camera = cameras_[number / 2];
    // A camera that has gone has taken its nodes with it.
    if (camera->vanished()) return foundation::Error::posix(ENOENT, path);
    if (camera->openError) return foundation::Error::posix(camera->openError, path);
    return std::shared_ptr<capture::V4l2Handle>(std::make_shared<FakeHandle>(camera, number % 2 == 0));
}

std::shared_ptr<FakeV4l2Device> FakeV4l2Device::webcam() {
    auto device = withExposure();
    device->add(boolean(V4L2_CID_EXPOSURE_AUTO_PRIORITY), 1);
    device->add(boolean(V4L2_CID_FOCUS_AUTO), 1);
    device->add(integer(V4L2_CID_FOCUS_ABSOLUTE, 0, 250, 5, 0), kFocusByHand, V4L2_CID_FOCUS_AUTO, kFocusReached);
    device->add(boolean(V4L2_CID_AUTO_WHITE_BALANCE), 1);
    device->add(integer(V4L2_CID_WHITE_BALANCE_TEMPERATURE, 2800, 6500, 10, 4600), kTemperatureByHand,
                V4L2_CID_AUTO_WHITE_BALANCE, kTemperatureReached);
    device->add(integer(V4L2_CID_BRIGHTNESS, -64, 64, 1, 0), 0);
    return device;
}

std::shared_ptr<FakeV4l2Device> FakeV4l2Device::autoExposureOnly() { return withExposure(); }

std::shared_ptr<FakeV4l2Device> FakeV4l2Device::noControls() { return std::make_shared<FakeV4l2Device>(); }

std::shared_ptr<FakeV4l2Device> FakeV4l2Device::refusingWrites() {
    auto device = webcam();
    for (auto& [id, control] : device->controls) control.refuseWrites = EINVAL;
    return device;
}

std::shared_ptr<FakeV4l2Device> FakeV4l2Device::webcamWithExposureBias() {
    auto device = webcam();
    device->controls.erase(V4L2_CID_BRIGHTNESS);
    capture::ControlInfo bias = describe(V4L2_CID_AUTO_EXPOSURE_BIAS, V4L2_CTRL_TYPE_INTEGER_MENU, 0, 8, 1, 4);
    for (int32_t index = 0; index <= 8; ++index) bias.menu.push_back({index, (index - 4) * 500});  // ±2 in halves
    device->add(bias, 4);
    return device;
}

std::string controlName(uint32_t id) {
    switch (id) {
        case V4L2_CID_EXPOSURE_AUTO:
            return "exposure_auto";
        case V4L2_CID_EXPOSURE_ABSOLUTE:
            return "exposure_absolute";
        case V4L2_CID_EXPOSURE_AUTO_PRIORITY:
            return "exposure_auto_priority";
        case V4L2_CID_FOCUS_AUTO:
            return "focus_auto";
        case V4L2_CID_FOCUS_ABSOLUTE:
            return "focus_absolute";
        case V4L2_CID_AUTO_WHITE_BALANCE:
            return "white_balance_auto";
        case V4L2_CID_WHITE_BALANCE_TEMPERATURE:
            return "white_balance_temperature";
        case V4L2_CID_AUTO_EXPOSURE_BIAS:
            return "auto_exposure_bias";
        case V4L2_CID_BRIGHTNESS:
            return "brightness";
        default:
            return "control " + std::to_string(id);
    }
}

}  // namespace testsupport
