#include "app/capture/CaptureCameraSource.h"

#include "app/capture/CaptureCameraOrder.h"
#include "platform/capture/CaptureSession.h"
#include "platform/capture/CaptureTypes.h"
#include "platform/foundation/Localized.h"

namespace {

// One of the camera's three mode controls, so each rule is written once.
struct ModeControl {
    bool (capture::CaptureDevice::*supports)(capture::CaptureMode) const;
    capture::CaptureMode (capture::CaptureDevice::*current)() const;
    bool (capture::CaptureDevice::*set)(capture::CaptureMode);
    std::optional<int32_t> capture::HeldValues::*held;
};
constexpr ModeControl kFocus{&capture::CaptureDevice::isFocusModeSupported, &capture::CaptureDevice::focusMode,
                             &capture::CaptureDevice::setFocusMode, &capture::HeldValues::focus};
constexpr ModeControl kExposure{&capture::CaptureDevice::isExposureModeSupported, &capture::CaptureDevice::exposureMode,
                                &capture::CaptureDevice::setExposureMode, &capture::HeldValues::exposure};
constexpr ModeControl kWhiteBalance{&capture::CaptureDevice::isWhiteBalanceModeSupported,
                                    &capture::CaptureDevice::whiteBalanceMode,
                                    &capture::CaptureDevice::setWhiteBalanceMode, &capture::HeldValues::whiteBalance};
constexpr const ModeControl* kModeControls[] = {&kFocus, &kExposure, &kWhiteBalance};

void readMode(const capture::CaptureDevice& device, const ModeControl& control, std::atomic<bool>& supported,
              std::atomic<int64_t>& mode) {
    supported = (device.*control.supports)(capture::CaptureMode::Locked) &&
                (device.*control.supports)(capture::CaptureMode::ContinuousAutomatic);
    mode = static_cast<int64_t>((device.*control.current)());
}

}  // namespace

foundation::Error CaptureCameraSource::noCaptureDeviceError() {
    return {"CaptureLocalCamera", 63, foundation::localized("No capture device found.")};
}

bool CaptureCameraSource::changeCamera(capture::CaptureDevice& device,
                                       const std::function<void(capture::CaptureDevice&)>& change) {
    controlError_.reset();
    foundation::Error refused;
    if (!device.lockForConfiguration(&refused)) {
        controlError_ = refused;
        return false;
    }
    change(device);
    if (auto applied = device.unlockForConfiguration(); !applied.ok()) controlError_ = applied.error();
    readCameraControls(device);
    return !controlError_;
}

void CaptureCameraSource::setMode(Control which, int64_t mode) {
    controlError_.reset();
    auto device = currentDevice();
    if (!device) return;
    const ModeControl& control = which == Control::Focus      ? kFocus
                                 : which == Control::Exposure ? kExposure
                                                              : kWhiteBalance;
    const auto wanted = static_cast<capture::CaptureMode>(mode);
    if (!(*device.*control.supports)(wanted)) {
        // The mode is the camera's, whatever it was asked.
        readCameraControls(*device);
        return;
    }
    // The configuration starts from the modes the camera runs now, so only
    // what differs is written.
    const std::optional<int32_t> kept = held_.*control.held;
    changeCamera(*device, [&control, wanted, kept](capture::CaptureDevice& camera) {
        if (wanted == capture::CaptureMode::Locked && kept) {
            capture::HeldValues held = camera.heldValues();
            held.*control.held = kept;
            camera.setHeldValues(held);
        }
        (camera.*control.set)(wanted);
    });
    if (wanted == capture::CaptureMode::ContinuousAutomatic && (*device.*control.current)() == wanted)
        (held_.*control.held).reset();
}

void CaptureCameraSource::setFocusMode(int64_t mode) { setMode(Control::Focus, mode); }
void CaptureCameraSource::setExposureMode(int64_t mode) { setMode(Control::Exposure, mode); }
void CaptureCameraSource::setWhiteBalanceMode(int64_t mode) { setMode(Control::WhiteBalance, mode); }

void CaptureCameraSource::changeExposureTargetBiasTo(float bias) {
    auto device = currentDevice();
    if (!device || !device->supportsExposureTargetBias()) return;
    changeCamera(*device, [bias](capture::CaptureDevice& camera) { camera.setExposureTargetBias(bias); });
}

void CaptureCameraSource::checkDeviceFocusModeSupport() {
    if (auto device = currentDevice()) readMode(*device, kFocus, isFocusModeSuported_, focusMode_);
}

void CaptureCameraSource::checkDeviceExposureModeSupport() {
    if (auto device = currentDevice()) readMode(*device, kExposure, isExposureModeSuported_, exposureMode_);
}

void CaptureCameraSource::checkDeviceWhiteBalanceModeSupport() {
    if (auto device = currentDevice()) readMode(*device, kWhiteBalance, isWhiteBalanceModeSuported_, whiteBalanceMode_);
}

void CaptureCameraSource::readCameraControls(const capture::CaptureDevice& device) {
    readMode(device, kFocus, isFocusModeSuported_, focusMode_);
    readMode(device, kExposure, isExposureModeSuported_, exposureMode_);
    readMode(device, kWhiteBalance, isWhiteBalanceModeSuported_, whiteBalanceMode_);
    for (const ModeControl* control : kModeControls) {
        const std::optional<int32_t>& value = device.heldValues().*control->held;
        if ((device.*control->current)() == capture::CaptureMode::Locked && value) held_.*control->held = value;
    }
    minExposureTargetBias_ = device.minExposureTargetBias();
    maxExposureTargetBias_ = device.maxExposureTargetBias();
    currentExposureTargetBias_ = device.supportsExposureTargetBias() ? device.exposureTargetBias() : 0.0f;
}

std::string CaptureCameraSource::currentCameraName() const {
    auto device = currentDevice();
    return device ? device->localizedName() : std::string();
}

void CaptureCameraSource::forgetCameraControls() {
    isFocusModeSuported_ = isExposureModeSuported_ = isWhiteBalanceModeSuported_ = false;
    minExposureTargetBias_ = maxExposureTargetBias_ = currentExposureTargetBias_ = 0.0f;
}

bool CaptureCameraSource::canFocusAtPoint(const capture::CaptureDevice& device) {
    return device.isFocusPointOfInterestSupported() && device.isFocusModeSupported(capture::CaptureMode::Automatic);
}

bool CaptureCameraSource::focusDevice(capture::CaptureDevice& device, graphics::Point interest) {
    return changeCamera(device, [interest](capture::CaptureDevice& camera) {
        camera.setFocusPointOfInterest(interest);
        camera.setFocusMode(capture::CaptureMode::Automatic);
    });
}

std::optional<graphics::Size> CaptureCameraSource::sessionAperture(const capture::CaptureSession& session) {
    if (const graphics::Size streamed = session.streamSize(); streamed.width > 0) return streamed;
    return capture::sizeOfSessionPreset(session.sessionPreset());
}

// ---- a camera that fails ---------------------------------------------------------------------

void CaptureCameraSource::observeCamera() {
    stopObservingCamera();
    auto device = currentDevice();
    if (!device) return;
    std::weak_ptr<ui::ViewController> weak = weak_from_this();
    const auto self = [weak] { return std::static_pointer_cast<CaptureCameraSource>(weak.lock()); };
    auto& center = foundation::NotificationCenter::defaultCenter();
    disconnectionObserver_ = center.addObserver(capture::kDeviceWasDisconnectedNotification, device.get(),
                                                [self](const foundation::Notification&) {
                                                    if (auto source = self())
                                                        source->cameraWasLost(noCaptureDeviceError());
                                                });
    failureObserver_ = center.addObserver(capture::kDeviceRuntimeErrorNotification, device.get(),
                                          [self](const foundation::Notification&) {
                                              if (auto source = self()) source->cameraFailed();
                                          });
}

void CaptureCameraSource::stopObservingCamera() {
    disconnectionObserver_.reset();
    failureObserver_.reset();
}

void CaptureCameraSource::cameraFailed() {
    auto device = currentDevice();
    if (!device || !device->failure()) return;
    const foundation::Error why = *device->failure();
    if (!returnToPreviousCamera(why)) return cameraWasLost(why);
    // The screen reports the camera gone back to as switched to.
    auto back = currentDevice();
    if (!isReadyToCapture_ || !back) return;
    if (auto* receiver = delegate())
        receiver->captureControllerDidSwitchCaptureDevicePosition(*this, positionValue(*back));
}

void CaptureCameraSource::cameraWasLost(const foundation::Error& why) {
    isReadyToCapture_ = false;
    cameraBeforeSwitch_.reset();
    setError(why);
    forgetCameraControls();
}

bool CaptureCameraSource::returnToPreviousCamera(const foundation::Error& why) {
    auto previous = std::exchange(cameraBeforeSwitch_, nullptr);
    if (!previous || !previous->isConnected() || filmWith(previous)) return false;
    filmOnAfter(why);
    return true;
}

// ---- the switch ---------------------------------------------------------------------------

void CaptureCameraSource::switchCaptureDevice() {
    const auto devices = capture::videoDevices();
    if (devices.size() < 2) return;
    // Nothing films: the set-up the screen makes next takes the other one.
    if (!isFilming()) return cameraorder::storeOtherChoice(devices);
    setError(std::nullopt);
    const auto current = currentDevice();
    if (const auto next = cameraorder::otherCamera(devices, current.get()); next && next != current) {
        if (auto refused = filmWith(next)) return filmOnAfter(*refused);
        cameraBeforeSwitch_ = current;
    }
    cameraChanged();
    if (auto* receiver = delegate()) receiver->captureControllerDidSwitchCaptureDevicePosition(*this, position());
}

void CaptureCameraSource::filmOnAfter(const foundation::Error& why) {
    const auto device = currentDevice();
    if (!device) return cameraWasLost(why);
    if (auto failed = device->failure()) return cameraWasLost(*failed);
    cameraChanged();
    setError(why);
}

void CaptureCameraSource::cameraChanged() {
    const auto device = currentDevice();
    if (!device) return;
    cameraorder::storeChoice(*device);
    observeCamera();
    checkDeviceCapabilities();
}
