#include "platform/capture/CaptureDevice.h"

#include "platform/capture/CameraControls.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotificationCenter.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>

namespace capture {

foundation::Error cameraNotConnectedError() {
    return {kCaptureErrorDomain, kCaptureErrorDeviceDisconnected,
            foundation::localized("The camera is not connected.")};
}

foundation::Error cameraInUseError() {
    return {kCaptureErrorDomain, kCaptureErrorDeviceInUse,
            foundation::localized("The camera is in use by another program.")};
}

foundation::Error cameraPermissionError() {
    return {kCaptureErrorDomain, kCaptureErrorPermissionDenied,
            foundation::localized("The camera cannot be opened: you have no permission to use it. Add your user to "
                                  "the \"video\" group (sudo usermod -aG video $USER), then log out and in again.")};
}

foundation::Error backendCameraError(std::string_view message) {
    std::string lower(message);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    foundation::Error own{kCaptureErrorDomain, kCaptureErrorDeviceNotAvailable,
                          message.empty() ? std::string("The camera cannot be opened.") : std::string(message)};
    if (lower.find("in use") == std::string::npos && lower.find("busy") == std::string::npos) return own;
    foundation::Error inUse = cameraInUseError();
    inUse.underlying = std::make_shared<const foundation::Error>(std::move(own));
    return inUse;
}

std::optional<graphics::Size> sizeOfSessionPreset(std::string_view preset) {
    if (preset == kSessionPreset640x480) return graphics::Size{640, 480};
    if (preset == kSessionPreset1280x720) return graphics::Size{1280, 720};
    if (preset == kSessionPreset1920x1080) return graphics::Size{1920, 1080};
    if (preset == kSessionPreset3840x2160) return graphics::Size{3840, 2160};
    return std::nullopt;
}

namespace {

bool offers(unsigned modes, CaptureMode mode) {
    const auto bit = static_cast<int64_t>(mode);
    return bit >= 0 && bit < 3 && (modes & (1u << bit)) != 0;
}

}  // namespace

CaptureDevice::CaptureDevice(std::string uniqueID, std::string localizedName, DevicePosition position,
                             DeviceCapabilities capabilities, std::shared_ptr<CaptureDriver> driver,
                             ControlNodeOpener openControls, std::string stableName)
    : uniqueID_(std::move(uniqueID)),
      persistentID_(stableName.empty() ? uniqueID_ : std::move(stableName)),
      localizedName_(std::move(localizedName)),
      position_(position == DevicePosition::Unspecified ? DevicePosition::Back : position),
      hasPosition_(position != DevicePosition::Unspecified),
      capabilities_(std::move(capabilities)),
      driver_(std::move(driver)),
      openControls_(std::move(openControls)) {
    if (!openControls_) {
        chooseMostAutomaticModes();
        return;
    }
    // Nothing of the controls is offered before a node answers.
    capabilities_.focusModes = capabilities_.exposureModes = capabilities_.whiteBalanceModes = 0;
    capabilities_.focusPointOfInterest = false;
    capabilities_.exposureTargetBias = false;
    capabilities_.minExposureTargetBias = capabilities_.maxExposureTargetBias = 0;
    // A node that cannot be opened now is asked again when the camera is.
    (void)attachControls();
}

foundation::Status CaptureDevice::attachControls() {
    auto node = openControls_();
    if (!node.ok()) return node.error();
    if (!node.value()) return {};
    controls_ = std::make_shared<CameraControls>(node.value());
    controls_->describe(capabilities_);
    controls_->read(settings_);
    return {};
}

foundation::Status CaptureDevice::open() {
    if (!isConnected()) return cameraNotConnectedError();
    if (openControls_ && !controls_) {
        if (auto attached = attachControls(); !attached.ok()) {
            const foundation::Error& cause = attached.error();
            const int64_t code = cause.domain == foundation::kPOSIXErrorDomain ? cause.code : 0;
            const auto beneath = [&cause](foundation::Error error) {
                error.underlying = std::make_shared<const foundation::Error>(cause);
                return error;
            };
            // The node is there, but not ours to open (its group is "video").
            if (code == EACCES || code == EPERM) return beneath(cameraPermissionError());
            // A driver that lets one program at a time open its camera.
            if (code == EBUSY) return beneath(cameraInUseError());
            if (code == ENOENT || code == ENODEV || code == ENXIO) {
                markDisconnected();
                return cameraNotConnectedError();
            }
            // Any other failure leaves a camera that films without its controls.
            std::fprintf(stderr, "camera \"%s\": no controls: %s\n", localizedName_.c_str(), cause.description.c_str());
        }
    }
    if (!hearsFailures_) {
        hearsFailures_ = true;
        std::weak_ptr<CaptureDevice> weak = weak_from_this();
        driver_->setFailureHandler([weak](const std::string& message) {
            if (auto device = weak.lock()) device->backendFailed(message);
        });
    }
    failure_.reset();
    foundation::Status opened;
    inStep_ = true;
    reportUnheld(holdLocksThrough([&] { opened = driver_->open(); }));
    inStep_ = false;
    if (opened.ok() && failure_) return *failure_;
    return opened;
}

void CaptureDevice::startStreaming(graphics::Size size, FrameHandler handler) {
    failure_.reset();
    inStep_ = true;
    reportUnheld(holdLocksThrough([&] { driver_->startStreaming(size, std::move(handler)); }));
    inStep_ = false;
}

void CaptureDevice::backendFailed(const std::string& message) {
    failure_ = backendCameraError(message);
    std::fprintf(stderr, "camera \"%s\": %s\n", localizedName_.c_str(), message.c_str());
    if (!inStep_) postOnMain(kDeviceRuntimeErrorNotification);
}

void CaptureDevice::postOnMain(const char* notification) {
    std::weak_ptr<CaptureDevice> weak = weak_from_this();
    foundation::DispatchQueue::main().async([weak, notification] {
        if (auto device = weak.lock()) foundation::NotificationCenter::defaultCenter().post(notification, device.get());
    });
}

// The camera films on either way; its modes show what it runs.
void CaptureDevice::reportUnheld(const foundation::Status& held) const {
    if (!held.ok())
        std::fprintf(stderr, "camera \"%s\": a lock was lost: %s\n", localizedName_.c_str(),
                     held.error().description.c_str());
}

foundation::Status CaptureDevice::holdLocksThrough(const std::function<void()>& step) {
    if (!controls_ || !isConnected()) {
        step();
        return {};
    }
    // During a configuration the changes asked so far stay pending; what
    // the camera runs is the state they start from.
    DeviceSettings& known = locked_ ? settingsAtLock_ : settings_;
    DeviceSettings before = known;
    controls_->read(before);
    step();
    DeviceSettings after = before;
    controls_->read(after);
    DeviceSettings wanted = after;
    bool lost = false;
    for (CaptureMode DeviceSettings::*mode :
         {&DeviceSettings::focusMode, &DeviceSettings::exposureMode, &DeviceSettings::whiteBalanceMode}) {
        if (before.*mode != CaptureMode::Locked || after.*mode == CaptureMode::Locked) continue;
        wanted.*mode = CaptureMode::Locked;
        lost = true;
    }
    foundation::Status held;
    if (lost) {
        held = controls_->apply(after, wanted, known);
    } else {
        known = after;
    }
    controls_->describe(capabilities_);
    if (controls_->isGone()) markDisconnected();
    return held;
}

// A camera without controls of its own starts in the most automatic mode it offers.
void CaptureDevice::chooseMostAutomaticModes() {
    for (CaptureMode* mode : {&settings_.focusMode, &settings_.exposureMode, &settings_.whiteBalanceMode}) {
        const unsigned modes = mode == &settings_.focusMode      ? capabilities_.focusModes
                               : mode == &settings_.exposureMode ? capabilities_.exposureModes
                                                                 : capabilities_.whiteBalanceModes;
        for (auto candidate : {CaptureMode::ContinuousAutomatic, CaptureMode::Automatic, CaptureMode::Locked}) {
            if (offers(modes, candidate)) {
                *mode = candidate;
                break;
            }
        }
    }
}

CaptureDevice::~CaptureDevice() = default;

bool CaptureDevice::supportsSessionPreset(std::string_view preset) const {
    return std::find(capabilities_.sessionPresets.begin(), capabilities_.sessionPresets.end(), preset) !=
           capabilities_.sessionPresets.end();
}

bool CaptureDevice::lockForConfiguration(foundation::Error* error) {
    if (!isConnected()) {
        foundation::setError(error, cameraNotConnectedError());
        return false;
    }
    if (!driver_->acquireLock()) {
        foundation::setError(
            error, {kCaptureErrorDomain, kCaptureErrorLockRefused, "The camera is in use by another client."});
        return false;
    }
    // The changes start from what the camera runs now, which another
    // program may have changed meanwhile.
    if (controls_) {
        controls_->read(settings_);
        if (controls_->isGone()) {
            controls_->describe(capabilities_);
            markDisconnected();
            foundation::setError(error, cameraNotConnectedError());
            return false;
        }
    }
    settingsAtLock_ = settings_;
    locked_ = true;
    return true;
}

foundation::Status CaptureDevice::unlockForConfiguration() {
    if (!locked_) return {};
    locked_ = false;
    if (!isConnected()) {
        settings_ = settingsAtLock_;
        return cameraNotConnectedError();
    }
    foundation::Status status;
    if (controls_) {
        const DeviceSettings wanted = settings_;
        status = controls_->apply(settingsAtLock_, wanted, settings_);
        controls_->describe(capabilities_);
        if (controls_->isGone()) {
            markDisconnected();
            return status;
        }
    }
    // A new frame rate may re-format the camera.
    auto held = holdLocksThrough([this] { driver_->applySettings(settings_); });
    return status.ok() ? held : status;
}

bool CaptureDevice::canChange() const { return locked_ && isConnected(); }

bool CaptureDevice::isFocusModeSupported(CaptureMode mode) const { return offers(capabilities_.focusModes, mode); }
bool CaptureDevice::isExposureModeSupported(CaptureMode mode) const {
    return offers(capabilities_.exposureModes, mode);
}
bool CaptureDevice::isWhiteBalanceModeSupported(CaptureMode mode) const {
    return offers(capabilities_.whiteBalanceModes, mode);
}

bool CaptureDevice::setFocusMode(CaptureMode mode) {
    if (!canChange() || !isFocusModeSupported(mode)) return false;
    settings_.focusMode = mode;
    return true;
}

bool CaptureDevice::setExposureMode(CaptureMode mode) {
    if (!canChange() || !isExposureModeSupported(mode)) return false;
    settings_.exposureMode = mode;
    return true;
}

bool CaptureDevice::setWhiteBalanceMode(CaptureMode mode) {
    if (!canChange() || !isWhiteBalanceModeSupported(mode)) return false;
    settings_.whiteBalanceMode = mode;
    return true;
}

bool CaptureDevice::setFocusPointOfInterest(graphics::Point point) {
    if (!canChange() || !capabilities_.focusPointOfInterest) return false;
    settings_.focusPointOfInterest = {std::clamp(point.x, 0.0, 1.0), std::clamp(point.y, 0.0, 1.0)};
    return true;
}

bool CaptureDevice::setHeldValues(const HeldValues& held) {
    if (!canChange()) return false;
    settings_.held = held;
    return true;
}

bool CaptureDevice::setExposureTargetBias(float bias) {
    if (!canChange() || !capabilities_.exposureTargetBias) return false;
    // The camera itself cannot go beyond its range, whatever it is asked.
    settings_.exposureTargetBias =
        std::clamp(bias, capabilities_.minExposureTargetBias, capabilities_.maxExposureTargetBias);
    return true;
}

bool CaptureDevice::setFlashMode(int64_t mode) {
    if (!canChange() || !capabilities_.hasFlash || mode < 0 || mode > 2) return false;
    settings_.flashMode = mode;
    return true;
}

namespace {

bool acceptableFrameDuration(media::MediaTime duration) {
    return !duration.isValid() || (!duration.isPositiveInfinity && duration.seconds() > 0);
}

}  // namespace

bool CaptureDevice::setActiveVideoMinFrameDuration(media::MediaTime duration) {
    if (!canChange() || !acceptableFrameDuration(duration)) return false;
    settings_.activeVideoMinFrameDuration = duration;
    return true;
}

bool CaptureDevice::setActiveVideoMaxFrameDuration(media::MediaTime duration) {
    if (!canChange() || !acceptableFrameDuration(duration)) return false;
    settings_.activeVideoMaxFrameDuration = duration;
    return true;
}

void CaptureDevice::markDisconnected() {
    if (!connected_.exchange(false)) return;
    postOnMain(kDeviceWasDisconnectedNotification);
}

}  // namespace capture
