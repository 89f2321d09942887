#include "support/FakeV4l2Device.h"

#include <algorithm>
#include <cerrno>
#include <linux/videodev2.h>

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

int32_t FakeV4l2Device::current(uint32_t id) const {
    const Control& control = controls.at(id);
    if (control.automaticControl && isOn(*control.automaticControl)) return control.reached;
    return control.value;
}

std::optional<capture::ControlInfo> FakeV4l2Device::queryControl(uint32_t id) {
    if (vanished()) return std::nullopt;
    auto found = controls.find(id);
    if (found == controls.end()) return std::nullopt;
    return found->second.info;
}

foundation::Result<int32_t> FakeV4l2Device::getControl(uint32_t id) {
    if (vanished()) return foundation::Error::posix(ENODEV, "VIDIOC_G_CTRL " + controlName(id));
    if (!controls.count(id)) return foundation::Error::posix(EINVAL, "VIDIOC_G_CTRL " + controlName(id));
    return current(id);
}

foundation::Status FakeV4l2Device::setControl(uint32_t id, int32_t value) {
    const std::string context = "VIDIOC_S_CTRL " + controlName(id);
    if (vanished()) return foundation::Error::posix(ENODEV, context);
    auto found = controls.find(id);
    if (found == controls.end()) return foundation::Error::posix(EINVAL, context);
    Control& control = found->second;
    if (control.refuseWrites) return foundation::Error::posix(control.refuseWrites, context);
    if (control.info.flags & V4L2_CTRL_FLAG_READ_ONLY) return foundation::Error::posix(EACCES, context);
    if (value < control.info.minimum || value > control.info.maximum) return foundation::Error::posix(ERANGE, context);
    if ((control.info.type == V4L2_CTRL_TYPE_MENU || control.info.type == V4L2_CTRL_TYPE_INTEGER_MENU) &&
        std::none_of(control.info.menu.begin(), control.info.menu.end(),
                     [value](const capture::ControlInfo::MenuEntry& entry) { return entry.index == value; }))
        return foundation::Error::posix(EINVAL, context);
    control.value = value;
    writes.emplace_back(id, value);
    return {};
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
