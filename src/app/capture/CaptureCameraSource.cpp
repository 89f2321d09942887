#include "app/capture/CaptureCameraSource.h"

#include "platform/capture/CaptureSession.h"
#include "platform/capture/CaptureTypes.h"

namespace {

// One of the camera's three mode controls, so each rule is written once.
struct ModeControl {
    bool (capture::CaptureDevice::*supports)(capture::CaptureMode) const;
    capture::CaptureMode (capture::CaptureDevice::*current)() const;
    bool (capture::CaptureDevice::*set)(capture::CaptureMode);
};
constexpr ModeControl kFocus{&capture::CaptureDevice::isFocusModeSupported, &capture::CaptureDevice::focusMode,
                             &capture::CaptureDevice::setFocusMode};
constexpr ModeControl kExposure{&capture::CaptureDevice::isExposureModeSupported, &capture::CaptureDevice::exposureMode,
                                &capture::CaptureDevice::setExposureMode};
constexpr ModeControl kWhiteBalance{&capture::CaptureDevice::isWhiteBalanceModeSupported,
                                    &capture::CaptureDevice::whiteBalanceMode,
                                    &capture::CaptureDevice::setWhiteBalanceMode};

// Applies a mode the camera offers and does not have yet; a refused lock
// changes nothing. Returns the camera's mode afterwards.
int64_t applyMode(capture::CaptureDevice& device, const ModeControl& control, int64_t mode) {
    const auto wanted = static_cast<capture::CaptureMode>(mode);
    if ((device.*control.supports)(wanted) && (device.*control.current)() != wanted && device.lockForConfiguration()) {
        (device.*control.set)(wanted);
        device.unlockForConfiguration();
    }
    return static_cast<int64_t>((device.*control.current)());
}

void readMode(const capture::CaptureDevice& device, const ModeControl& control, std::atomic<bool>& supported,
              std::atomic<int64_t>& mode) {
    supported = (device.*control.supports)(capture::CaptureMode::Locked) &&
                (device.*control.supports)(capture::CaptureMode::ContinuousAutomatic);
    mode = static_cast<int64_t>((device.*control.current)());
}

}  // namespace

void CaptureCameraSource::setFocusMode(int64_t mode) {
    if (auto device = currentDevice()) focusMode_ = applyMode(*device, kFocus, mode);
}

void CaptureCameraSource::setExposureMode(int64_t mode) {
    if (auto device = currentDevice()) exposureMode_ = applyMode(*device, kExposure, mode);
}

void CaptureCameraSource::setWhiteBalanceMode(int64_t mode) {
    if (auto device = currentDevice()) whiteBalanceMode_ = applyMode(*device, kWhiteBalance, mode);
}

void CaptureCameraSource::changeExposureTargetBiasTo(float bias) {
    auto device = currentDevice();
    if (!device || !device->supportsExposureTargetBias() || !device->lockForConfiguration()) return;
    device->setExposureTargetBias(bias);
    currentExposureTargetBias_ = bias;
    device->unlockForConfiguration();
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

bool CaptureCameraSource::canFocusAtPoint(const capture::CaptureDevice& device) {
    return device.isFocusPointOfInterestSupported() && device.isFocusModeSupported(capture::CaptureMode::Automatic);
}

bool CaptureCameraSource::focusDevice(capture::CaptureDevice& device, graphics::Point interest) {
    if (!device.lockForConfiguration()) return false;
    device.setFocusPointOfInterest(interest);
    device.setFocusMode(capture::CaptureMode::Automatic);
    device.unlockForConfiguration();
    return true;
}

std::optional<graphics::Size> CaptureCameraSource::sessionAperture(const capture::CaptureSession& session) {
    if (const graphics::Size streamed = session.streamSize(); streamed.width > 0) return streamed;
    return capture::sizeOfSessionPreset(session.sessionPreset());
}
