#include "app/capture/CaptureController.h"

#include "app/core/BundleImage.h"
#include "platform/capture/CaptureDevice.h"
#include "platform/media/ExportPresets.h"

CaptureController::CaptureController() = default;
CaptureController::~CaptureController() = default;

std::string CaptureController::captureSourceID() const {
    std::lock_guard lock(mutex_);
    return captureSourceID_;
}

void CaptureController::setCaptureSourceID(std::string identifier) {
    std::lock_guard lock(mutex_);
    captureSourceID_ = std::move(identifier);
}

std::optional<foundation::Error> CaptureController::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

void CaptureController::setError(std::optional<foundation::Error> error) {
    std::lock_guard lock(mutex_);
    error_ = std::move(error);
}

void CaptureController::setFocusMode(int64_t) {}
void CaptureController::setExposureMode(int64_t) {}
void CaptureController::setWhiteBalanceMode(int64_t) {}
void CaptureController::changeExposureTargetBiasTo(float) {}
bool CaptureController::focusAtPoint(graphics::Point) { return true; }
void CaptureController::showConfiguration(ui::View*) {}

void CaptureController::initCaptureDevice() {
    isMultipleCaptureDeviceAvaliable_ = true;
    isFocusModeSuported_ = true;
    isWhiteBalanceModeSuported_ = true;
    isExposureModeSuported_ = true;
    isReadyToCapture_ = true;
    isAdditionalControlsSuported_ = false;
    if (auto* receiver = delegate()) {
        receiver->captureControllerDidInitCaptureDeviceWithPositon(*this, kCaptureDevicePositionBack);
    }
}

void CaptureController::stopCameraCapture() {}

void CaptureController::switchCaptureDevice() {
    if (auto* receiver = delegate()) {
        receiver->captureControllerDidSwitchCaptureDevicePosition(*this, kCaptureDevicePositionBack);
    }
}

void CaptureController::captureImage() {
    auto image = bundleImageNamed("DEBUG_1.jpg");
    if (!image) image = bundleImageNamed("DEBUG_1080p.jpg");
    if (auto* receiver = delegate()) {
        receiver->captureControllerDidTakeImage(*this, image ? image->normalized() : graphics::Image());
    }
}

void CaptureController::pauseCameraCapture() {}
void CaptureController::resumeCameraCapture() {}

std::string CaptureController::getCaptureSourceName() const { return "DEBUG-Capturesource"; }

graphics::Image CaptureController::getCaptureSourceMenuIcon() const {
    return bundleImageNamed("capturesource_icon_camera.png").value_or(graphics::Image());
}

bool CaptureController::getIsZoomSupported() const { return false; }

std::string CaptureController::getPresetWithMaximumResoulutionFromCaptureDevice(const capture::CaptureDevice& device) {
    if (device.supportsSessionPreset(capture::kSessionPreset1920x1080) &&
        media::hasExportPreset(media::kExportPreset1920x1080)) {
        return capture::kSessionPreset1920x1080;
    }
    if (device.supportsSessionPreset(capture::kSessionPreset1280x720)) return capture::kSessionPreset1280x720;
    return capture::kSessionPreset640x480;
}
