#include "platform/capture/CameraControls.h"

#include "platform/foundation/Localized.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <linux/videodev2.h>
#include <vector>

namespace capture {

namespace {

constexpr CameraControls::Switch kFocus{"focus", V4L2_CID_FOCUS_AUTO, V4L2_CID_FOCUS_ABSOLUTE,
                                       &DeviceSettings::focusMode, &HeldValues::focus};
constexpr CameraControls::Switch kExposure{"exposure", V4L2_CID_EXPOSURE_AUTO, V4L2_CID_EXPOSURE_ABSOLUTE,
                                          &DeviceSettings::exposureMode, &HeldValues::exposure};
constexpr CameraControls::Switch kWhiteBalance{"white balance", V4L2_CID_AUTO_WHITE_BALANCE,
                                               V4L2_CID_WHITE_BALANCE_TEMPERATURE, &DeviceSettings::whiteBalanceMode,
                                               &HeldValues::whiteBalance};
constexpr const CameraControls::Switch* kSwitches[] = {&kFocus, &kExposure, &kWhiteBalance};
constexpr const char* kBiasName = "exposure bias";

constexpr uint32_t kAsked[] = {V4L2_CID_FOCUS_AUTO,
                               V4L2_CID_FOCUS_ABSOLUTE,
                               V4L2_CID_EXPOSURE_AUTO,
                               V4L2_CID_EXPOSURE_ABSOLUTE,
                               V4L2_CID_EXPOSURE_AUTO_PRIORITY,
                               V4L2_CID_AUTO_WHITE_BALANCE,
                               V4L2_CID_WHITE_BALANCE_TEMPERATURE,
                               V4L2_CID_AUTO_EXPOSURE_BIAS,
                               V4L2_CID_BRIGHTNESS};

// The bias range of the brightness and exposure-time biases, in steps.
constexpr float kBiasSteps = 2;

constexpr unsigned bit(CaptureMode mode) { return 1u << static_cast<int64_t>(mode); }

bool hasEntry(const ControlInfo& info, int32_t index) {
    return std::any_of(info.menu.begin(), info.menu.end(),
                       [index](const ControlInfo::MenuEntry& entry) { return entry.index == index; });
}

// The nearest value the control takes.
int32_t snapped(const ControlInfo& info, double value) {
    const double step = std::max(1, info.step);
    const double onStep = info.minimum + std::round((value - info.minimum) / step) * step;
    return static_cast<int32_t>(std::clamp(onStep, double(info.minimum), double(info.maximum)));
}

enum class FailureKind { Refused, Gone, Other };

FailureKind failureKind(const foundation::Error& cause) {
    if (cause.domain != foundation::kPOSIXErrorDomain) return FailureKind::Other;
    switch (cause.code) {
        case EINVAL:
        case EACCES:
        case EPERM:
        case ERANGE:
        case ENOTTY:
        // uvcvideo's answer when the camera's firmware stalls on one control
        // it lists; the camera films on and its other controls answer.
        case EIO:
            return FailureKind::Refused;
        // Only a node that has gone is an unplugged camera.
        case ENODEV:
        case ENXIO:
        case ENOENT:
            return FailureKind::Gone;
        default:
            return FailureKind::Other;
    }
}

}  // namespace

CameraControls::CameraControls(std::shared_ptr<ControlNode> node) : node_(std::move(node)) {
    for (uint32_t id : kAsked) {
        std::optional<ControlInfo> info = node_->queryControl(id);
        if (!info || (info->flags & V4L2_CTRL_FLAG_DISABLED)) continue;
        if (info->flags & V4L2_CTRL_FLAG_READ_ONLY) refused_.insert(id);
        controls_.emplace(id, std::move(*info));
    }
}

bool CameraControls::offered(uint32_t id) const { return !gone_ && controls_.count(id) != 0; }

bool CameraControls::settable(uint32_t id) const { return offered(id) && refused_.count(id) == 0; }

// The exposure's automatic control is a menu (auto, manual, shutter or
// aperture priority); the others are booleans.
std::optional<int32_t> CameraControls::automaticOn(const Switch& control) const {
    if (!settable(control.automatic)) return std::nullopt;
    const ControlInfo& info = controls_.at(control.automatic);
    if (info.type != V4L2_CTRL_TYPE_MENU) return info.maximum >= 1 ? std::optional<int32_t>(1) : std::nullopt;
    if (hasEntry(info, V4L2_EXPOSURE_AUTO)) return V4L2_EXPOSURE_AUTO;
    // A webcam's automatic exposure: the time chosen, the aperture fixed.
    if (hasEntry(info, V4L2_EXPOSURE_APERTURE_PRIORITY)) return V4L2_EXPOSURE_APERTURE_PRIORITY;
    return std::nullopt;
}

std::optional<int32_t> CameraControls::automaticOff(const Switch& control) const {
    if (!settable(control.automatic)) return std::nullopt;
    const ControlInfo& info = controls_.at(control.automatic);
    if (info.type != V4L2_CTRL_TYPE_MENU) return info.minimum <= 0 ? std::optional<int32_t>(0) : std::nullopt;
    if (hasEntry(info, V4L2_EXPOSURE_MANUAL)) return V4L2_EXPOSURE_MANUAL;
    return std::nullopt;
}

unsigned CameraControls::modes(const Switch& control) const {
    unsigned offeredModes = 0;
    if (automaticOn(control)) offeredModes |= bit(CaptureMode::ContinuousAutomatic);
    if (automaticOff(control) && settable(control.absolute)) offeredModes |= bit(CaptureMode::Locked);
    if (!offered(control.automatic) && offered(control.absolute)) offeredModes |= bit(CaptureMode::Locked);
    return offeredModes;
}

std::optional<CaptureMode> CameraControls::mode(const Switch& control) {
    if (offered(control.automatic)) {
        auto value = get(control.automatic, control.what);
        if (!value.ok()) return std::nullopt;
        const bool menu = controls_.at(control.automatic).type == V4L2_CTRL_TYPE_MENU;
        const bool manual = menu ? *value == V4L2_EXPOSURE_MANUAL : *value == 0;
        return manual ? CaptureMode::Locked : CaptureMode::ContinuousAutomatic;
    }
    // Without an automatic control, a camera that has the value is set by hand.
    if (offered(control.absolute)) return CaptureMode::Locked;
    return std::nullopt;
}

std::optional<int32_t> CameraControls::holdable(const Switch& control, std::optional<int32_t> held) const {
    if (!held || !offered(control.absolute)) return std::nullopt;
    const ControlInfo& info = controls_.at(control.absolute);
    if (*held < info.minimum || *held > info.maximum) return std::nullopt;
    return snapped(info, *held);
}

foundation::Status CameraControls::lock(const Switch& control, std::optional<int32_t> held) {
    std::optional<int32_t> value = holdable(control, held);
    if (!value) {
        // Read while the automatic still runs: some cameras jump to their
        // last manual value when it goes off, so the reached value is
        // written back.
        auto reached = get(control.absolute, control.what);
        if (!reached.ok()) return reached.error();
        const ControlInfo& absolute = controls_.at(control.absolute);
        value = std::clamp(*reached, absolute.minimum, absolute.maximum);
    }
    auto previous = get(control.automatic, control.what);
    if (!previous.ok()) return previous.error();
    if (auto off = set(control.automatic, *automaticOff(control), control.what); !off.ok()) return off;
    if (auto kept = keep(control, *value); !kept.ok()) {
        (void)node_->setControl(control.automatic, *previous);
        return kept;
    }
    automaticBeforeLock_[control.automatic] = *previous;
    if (control.automatic == kExposure.automatic) {
        baseExposure_ = *value;
        if (settable(V4L2_CID_EXPOSURE_AUTO_PRIORITY)) {
            // The lock holds without it; a refusal only leaves the frame rate to the camera.
            auto priority = get(V4L2_CID_EXPOSURE_AUTO_PRIORITY, control.what);
            if (priority.ok() && *priority != 0 && set(V4L2_CID_EXPOSURE_AUTO_PRIORITY, 0, control.what).ok())
                priorityBeforeLock_ = *priority;
        }
    }
    return {};
}

foundation::Status CameraControls::keep(const Switch& control, int32_t value) {
    if (auto written = set(control.absolute, value, control.what); !written.ok()) return written;
    auto now = get(control.absolute, control.what);
    if (!now.ok()) return now.error();
    // A driver may round to its own step; anything further off was not taken.
    const ControlInfo& info = controls_.at(control.absolute);
    if (std::abs(int64_t(*now) - int64_t(value)) < std::max<int64_t>(1, info.step)) return {};
    refused_.insert(control.absolute);
    return foundation::Error{
        kCaptureErrorDomain, kCaptureErrorControlRefused,
        foundation::localizedFormat("The camera cannot lock its %@.", {foundation::localized(control.what)})};
}

foundation::Status CameraControls::unlock(const Switch& control) {
    std::optional<int32_t> automatic = automaticOn(control);
    if (!automatic) return {};
    if (auto saved = automaticBeforeLock_.find(control.automatic);
        saved != automaticBeforeLock_.end() && saved->second != automaticOff(control))
        automatic = saved->second;
    if (auto on = set(control.automatic, *automatic, control.what); !on.ok()) return on;
    automaticBeforeLock_.erase(control.automatic);
    if (control.automatic == kExposure.automatic) {
        if (priorityBeforeLock_ && settable(V4L2_CID_EXPOSURE_AUTO_PRIORITY))
            (void)set(V4L2_CID_EXPOSURE_AUTO_PRIORITY, *priorityBeforeLock_, control.what);
        priorityBeforeLock_.reset();
        baseExposure_.reset();
    }
    return {};
}

CameraControls::Bias CameraControls::bias() const {
    if (settable(V4L2_CID_AUTO_EXPOSURE_BIAS)) {
        const ControlInfo& info = controls_.at(V4L2_CID_AUTO_EXPOSURE_BIAS);
        if (info.type == V4L2_CTRL_TYPE_INTEGER_MENU && !info.menu.empty()) return Bias::DeviceBias;
    }
    if (settable(V4L2_CID_BRIGHTNESS)) {
        const ControlInfo& info = controls_.at(V4L2_CID_BRIGHTNESS);
        if (info.type == V4L2_CTRL_TYPE_INTEGER && info.maximum > info.minimum) return Bias::Brightness;
    }
    if ((modes(kExposure) & bit(CaptureMode::Locked)) && settable(kExposure.absolute)) return Bias::ExposureTime;
    return Bias::None;
}

void CameraControls::describe(DeviceCapabilities& capabilities) const {
    capabilities.focusModes = modes(kFocus);
    capabilities.exposureModes = modes(kExposure);
    capabilities.whiteBalanceModes = modes(kWhiteBalance);
    capabilities.focusPointOfInterest = false;
    capabilities.exposureTargetBias = true;
    switch (bias()) {
        case Bias::None:
            capabilities.exposureTargetBias = false;
            capabilities.minExposureTargetBias = capabilities.maxExposureTargetBias = 0;
            break;
        case Bias::DeviceBias: {
            const auto& menu = controls_.at(V4L2_CID_AUTO_EXPOSURE_BIAS).menu;
            const auto [low, high] = std::minmax_element(
                menu.begin(), menu.end(), [](const auto& a, const auto& b) { return a.value < b.value; });
            capabilities.minExposureTargetBias = float(low->value) / 1000.0f;
            capabilities.maxExposureTargetBias = float(high->value) / 1000.0f;
            break;
        }
        case Bias::Brightness:
        case Bias::ExposureTime:
            capabilities.minExposureTargetBias = -kBiasSteps;
            capabilities.maxExposureTargetBias = kBiasSteps;
            break;
    }
}

std::optional<float> CameraControls::readBias() {
    switch (bias()) {
        case Bias::None:
            return 0.0f;
        case Bias::DeviceBias: {
            auto index = get(V4L2_CID_AUTO_EXPOSURE_BIAS, kBiasName);
            if (!index.ok()) return std::nullopt;
            for (const auto& entry : controls_.at(V4L2_CID_AUTO_EXPOSURE_BIAS).menu)
                if (entry.index == *index) return float(entry.value) / 1000.0f;
            return std::nullopt;
        }
        case Bias::Brightness: {
            auto value = get(V4L2_CID_BRIGHTNESS, kBiasName);
            if (!value.ok()) return std::nullopt;
            const ControlInfo& info = controls_.at(V4L2_CID_BRIGHTNESS);
            const double centre = info.defaultValue;
            if (*value >= centre)
                return info.maximum > centre ? float(kBiasSteps * (*value - centre) / (info.maximum - centre)) : 0.0f;
            return centre > info.minimum ? float(-kBiasSteps * (centre - *value) / (centre - info.minimum)) : 0.0f;
        }
        case Bias::ExposureTime: {
            if (mode(kExposure) != CaptureMode::Locked) return 0.0f;
            auto value = get(kExposure.absolute, kBiasName);
            if (!value.ok()) return std::nullopt;
            if (!baseExposure_ || *baseExposure_ <= 0) baseExposure_ = *value;
            if (*value <= 0 || *baseExposure_ <= 0) return 0.0f;
            return std::clamp(float(std::log2(double(*value) / *baseExposure_)), -kBiasSteps, kBiasSteps);
        }
    }
    return std::nullopt;
}

foundation::Status CameraControls::writeBias(float wanted) {
    switch (bias()) {
        case Bias::None:
            return {};
        case Bias::DeviceBias: {
            const auto& menu = controls_.at(V4L2_CID_AUTO_EXPOSURE_BIAS).menu;
            const auto nearest = std::min_element(menu.begin(), menu.end(), [wanted](const auto& a, const auto& b) {
                return std::abs(a.value / 1000.0 - wanted) < std::abs(b.value / 1000.0 - wanted);
            });
            return set(V4L2_CID_AUTO_EXPOSURE_BIAS, nearest->index, kBiasName);
        }
        case Bias::Brightness: {
            const ControlInfo& info = controls_.at(V4L2_CID_BRIGHTNESS);
            const double centre = info.defaultValue;
            const double side = wanted >= 0 ? info.maximum - centre : centre - info.minimum;
            return set(V4L2_CID_BRIGHTNESS, snapped(info, centre + wanted / kBiasSteps * side), kBiasName);
        }
        case Bias::ExposureTime: {
            if (mode(kExposure) != CaptureMode::Locked) {
                if (wanted == 0) return {};
                // Only a kept exposure time can be made longer or shorter.
                if (auto locked = lock(kExposure, std::nullopt); !locked.ok()) return locked;
            }
            if (!baseExposure_) {
                auto value = get(kExposure.absolute, kBiasName);
                if (!value.ok()) return value.error();
                baseExposure_ = *value;
            }
            const ControlInfo& info = controls_.at(kExposure.absolute);
            return set(kExposure.absolute, snapped(info, *baseExposure_ * std::exp2(double(wanted))), kBiasName);
        }
    }
    return {};
}

void CameraControls::read(DeviceSettings& settings) {
    for (const Switch* control : kSwitches) {
        std::optional<CaptureMode> now = mode(*control);
        if (!now) continue;
        settings.*(control->mode) = *now;
        if (*now != CaptureMode::Locked || !offered(control->absolute)) continue;
        if (auto value = get(control->absolute, control->what); value.ok()) settings.held.*(control->held) = *value;
    }
    if (auto bias = readBias()) settings.exposureTargetBias = *bias;
}

foundation::Status CameraControls::apply(const DeviceSettings& before, const DeviceSettings& wanted,
                                         DeviceSettings& now) {
    foundation::Status first;
    const auto note = [&first](foundation::Status status) {
        if (!status.ok() && first.ok()) first = std::move(status);
    };
    if (gone_) note(failure(foundation::Error::posix(ENODEV, ""), 0, ""));
    std::vector<const Switch*> givenUp;
    for (const Switch* control : kSwitches) {
        const CaptureMode asked = wanted.*(control->mode);
        const std::optional<int32_t> held = wanted.held.*(control->held);
        const unsigned offeredModes = modes(*control);
        if (asked != before.*(control->mode)) {
            if (asked == CaptureMode::Locked && (offeredModes & bit(CaptureMode::Locked)) &&
                offered(control->automatic)) {
                note(lock(*control, held));
            } else if (asked == CaptureMode::ContinuousAutomatic &&
                       (offeredModes & bit(CaptureMode::ContinuousAutomatic))) {
                foundation::Status unlocked = unlock(*control);
                if (unlocked.ok()) givenUp.push_back(control);
                note(std::move(unlocked));
            }
        } else if (asked == CaptureMode::Locked && held != before.held.*(control->held) &&
                   settable(control->absolute)) {
            // A lock that holds already moves to the value asked.
            if (auto value = holdable(*control, held)) note(keep(*control, *value));
        }
    }
    if (wanted.exposureTargetBias != before.exposureTargetBias) note(writeBias(wanted.exposureTargetBias));

    // What the device does now; what it does not answer stays as it was known
    // before, never as it was wanted. A lock given up holds no value.
    now = wanted;
    for (const Switch* control : kSwitches) now.*(control->mode) = before.*(control->mode);
    now.exposureTargetBias = before.exposureTargetBias;
    now.held = before.held;
    for (const Switch* control : givenUp) (now.held.*(control->held)).reset();
    read(now);
    return first;
}

foundation::Result<int32_t> CameraControls::get(uint32_t id, const char* what) {
    if (gone_) return failure(foundation::Error::posix(ENODEV, ""), id, what);
    auto value = node_->getControl(id);
    if (!value.ok()) return failure(value.error(), id, what);
    return value;
}

foundation::Status CameraControls::set(uint32_t id, int32_t value, const char* what) {
    if (gone_) return failure(foundation::Error::posix(ENODEV, ""), id, what);
    auto done = node_->setControl(id, value);
    if (!done.ok()) return failure(done.error(), id, what);
    return {};
}

foundation::Error CameraControls::failure(const foundation::Error& cause, uint32_t id, const char* what) {
    auto underlying = std::make_shared<const foundation::Error>(cause);
    switch (failureKind(cause)) {
        case FailureKind::Refused:
            refused_.insert(id);
            return {kCaptureErrorDomain, kCaptureErrorControlRefused,
                    foundation::localizedFormat("The camera refused to change its %@.", {foundation::localized(what)}),
                    underlying};
        case FailureKind::Gone: {
            gone_ = true;
            foundation::Error gone = cameraNotConnectedError();
            gone.underlying = underlying;
            return gone;
        }
        case FailureKind::Other:
            break;
    }
    return {kCaptureErrorDomain, kCaptureErrorControlFailed,
            foundation::localizedFormat("The camera could not change its %@: %@.",
                                        {foundation::localized(what), std::string(std::strerror(int(cause.code)))}),
            underlying};
}

}  // namespace capture
