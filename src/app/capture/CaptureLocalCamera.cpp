#include "app/capture/CaptureLocalCamera.h"

#include "app/capture/CaptureCameraOrder.h"
#include "app/capture/CaptureLocalCameraGeometry.h"
#include "app/core/BundleImage.h"
#include "app/core/DataManager.h"
#include "platform/capture/CaptureDevice.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/host/Application.h"

namespace {

constexpr const char* kErrorDomain = "CaptureLocalCamera";
constexpr int64_t kInputFailed = 119;

}  // namespace

CaptureLocalCamera::CaptureLocalCamera() { setCaptureSourceID("CaptureLocalCamera"); }

CaptureLocalCamera::~CaptureLocalCamera() {
    stopObservingCamera();
    if (captureSession_) captureSession_->stopRunning();
}

void CaptureLocalCamera::noteInterfaceOrientation() {
    const int orientation = static_cast<int>(ui::Application::shared().statusBarOrientation());
    interfaceOrientation_.store(orientation);
    if (captureSession_) captureSession_->setInterfaceOrientation(orientation);
}

void CaptureLocalCamera::initCaptureDevice() {
    setError(std::nullopt);
    // A new set-up replaces whatever an earlier one left behind.
    if (captureSession_) stopCameraCapture();
    if (previewView_) previewView_->removeFromSuperview();
    previewView_ = ui::makeView<VideoPreview>(view()->bounds());
    view()->addSubview(previewView_);

    const auto devices = capture::videoDevices();
    if (devices.empty()) return setError(noCaptureDeviceError());

    capture::CaptureDevicePtr chosen;
    capture::CaptureDeviceInputPtr input;
    isMultipleCaptureDeviceAvaliable_ = devices.size() >= 2;
    if (devices.size() >= 2) {
        // A phone's cameras by where they look, a desktop's by identity.
        chosen = cameraorder::storedChoice(devices);
        if (chosen) {
            auto opened = capture::CaptureDeviceInput::create(chosen);
            if (!opened.ok()) return setError(opened.error());
            input = opened.value();
        }
    }
    if (!input) {
        chosen = devices.back();
        auto opened = capture::CaptureDeviceInput::create(chosen);
        if (!opened.ok()) {
            const std::string& text = opened.error().localizedDescription();
            return setError(foundation::Error{kErrorDomain, kInputFailed,
                                              text.empty() ? foundation::localized("No capture device found.") : text,
                                              std::make_shared<const foundation::Error>(opened.error())});
        }
        input = opened.value();
    }
    cameraorder::storeChoice(*chosen);

    videoOutput_ = std::make_shared<capture::VideoDataOutput>();
    videoOutput_->setAlwaysDiscardsLateVideoFrames(true);
    cameraQueue_.emplace("cameraQueue");
    std::weak_ptr<ui::ViewController> weak = weak_from_this();
    videoOutput_->setSampleBufferDelegate(
        [weak](const capture::SampleBuffer& buffer) {
            if (auto self = std::static_pointer_cast<CaptureLocalCamera>(weak.lock())) self->captureOutput(buffer);
        },
        *cameraQueue_);

    captureSession_ = capture::CaptureSession::create();
    captureSession_->setSessionPreset(getPresetWithMaximumResoulutionFromCaptureDevice(*chosen));
    captureInput_ = input;
    captureSession_->addInput(captureInput_);
    captureSession_->addOutput(videoOutput_);

    prevLayer_ = capture::VideoPreviewLayer::create(captureSession_);
    prevLayer_->setFrame(previewView_->bounds());
    prevLayer_->setVideoGravity(capture::VideoGravity::ResizeAspectFill);
    prevLayer_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    previewView_->setAutoresizesSubviews(true);
    previewView_->addPreviewLayer(prevLayer_);

    captureSession_->startRunning();
    if (auto failed = chosen->failure()) {
        // It opened, but another program streams from it: no picture would
        // ever come, so the set-up fails rather than show a black preview.
        isReadyToCapture_ = false;
        dropSession();
        return setError(*failed);
    }
    noteInterfaceOrientation();
    observeCamera();
    checkDeviceCapabilities();
    setCaptureSourceViewCamera(previewView_);
    isReadyToCapture_ = true;
    if (auto* receiver = delegate())
        receiver->captureControllerDidInitCaptureDeviceWithPositon(*this, positionValue(*chosen));
}

void CaptureLocalCamera::cameraWasLost(const foundation::Error& why) {
    CaptureCameraSource::cameraWasLost(why);
    if (captureSession_) captureSession_->stopRunning();
    if (recordNextImage_.exchange(false)) deliverNoPicture();
}

void CaptureLocalCamera::deliverNoPicture() {
    std::weak_ptr<ui::ViewController> weak = weak_from_this();
    auto deliver = [weak] {
        auto self = std::static_pointer_cast<CaptureController>(weak.lock());
        if (!self) return;
        if (auto* receiver = self->delegate()) receiver->captureControllerDidTakeImage(*self, graphics::Image());
    };
    if (cameraQueue_) {
        cameraQueue_->async(std::move(deliver));
    } else {
        deliver();
    }
}

void CaptureLocalCamera::captureImage() {
    noteInterfaceOrientation();
    auto device = currentDevice();
    if (!device || !device->isConnected() || !captureSession_ || !captureSession_->isRunning()) {
        // No frame will come to serve the request.
        deliverNoPicture();
        return;
    }
    recordNextImage_.store(true);
}

void CaptureLocalCamera::captureOutput(const capture::SampleBuffer& sampleBuffer) {
    if (!recordNextImage_.exchange(false)) return;
    // The frame's pixels are BGRA with premultiplied alpha; wrapped without
    // a copy, then drawn upright once.
    const QImage wrapped(sampleBuffer.baseAddress(), sampleBuffer.width(), sampleBuffer.height(),
                         sampleBuffer.bytesPerRow(), QImage::Format_ARGB32_Premultiplied);
    const graphics::ImageOrientation orientation = getImageOrientation();
    graphics::Image upright = graphics::Image(wrapped, 1.0, orientation).normalized();
    // An upright frame is not redrawn, so it still points into the buffer.
    if (orientation == graphics::ImageOrientation::Up) upright = graphics::Image(wrapped.copy());
    if (auto* receiver = delegate()) receiver->captureControllerDidTakeImage(*this, std::move(upright));
}

std::optional<foundation::Error> CaptureLocalCamera::filmWith(const capture::CaptureDevicePtr& camera) {
    if (!captureSession_) return noCaptureDeviceError();
    // The camera in use films on until the other one has opened.
    auto opened = capture::CaptureDeviceInput::create(camera);
    if (!opened.ok()) return opened.error();
    const auto current = captureInput_;
    useInput(opened.value());
    auto failed = camera->failure();
    // Another program streams from it: the camera in use comes back.
    if (failed && current) useInput(current);
    return failed;
}

void CaptureLocalCamera::useInput(const capture::CaptureDeviceInputPtr& input) {
    captureSession_->beginConfiguration();
    captureSession_->removeInput(captureInput_);
    captureInput_ = input;
    changeCaptureQuality();
    captureSession_->addInput(captureInput_);
    captureSession_->commitConfiguration();
}

bool CaptureLocalCamera::focusAtPoint(graphics::Point point) {
    changeExposureTargetBiasTo(0.0f);
    auto device = currentDevice();
    if (!device || !canFocusAtPoint(*device)) return false;
    return focusDevice(*device, convertToPointOfInterestFromViewCoordinates(point));
}

graphics::Point CaptureLocalCamera::convertToPointOfInterestFromViewCoordinates(graphics::Point point) const {
    if (!previewView_ || !prevLayer_) return {0.5, 0.5};
    std::optional<graphics::Size> aperture;
    if (captureSession_ && captureInput_) aperture = sessionAperture(*captureSession_);
    return pointOfInterestForViewPoint(point, previewView_->frame().size, prevLayer_->videoGravity(),
                                       prevLayer_->isMirrored(), aperture);
}

void CaptureLocalCamera::checkDeviceCapabilities() {
    auto device = currentDevice();
    if (!device) return;
    position_ = positionValue(*device);
    readCameraControls(*device);
}

void CaptureLocalCamera::changeCaptureQuality() {
    if (!captureSession_ || !captureInput_) return;
    const auto& device = *captureInput_->device();
    captureSession_->beginConfiguration();
    for (const char* preset :
         {capture::kSessionPreset1920x1080, capture::kSessionPreset1280x720, capture::kSessionPreset640x480}) {
        if (device.supportsSessionPreset(preset) || preset == std::string(capture::kSessionPreset640x480)) {
            captureSession_->setSessionPreset(preset);
            break;
        }
    }
    captureSession_->commitConfiguration();
    if (prevLayer_) prevLayer_->setSession(captureSession_);
}

void CaptureLocalCamera::stopCameraCapture() {
    dropSession();
    if (previewView_) previewView_->removeFromSuperview();
    previewView_.reset();
}

void CaptureLocalCamera::dropSession() {
    stopObservingCamera();
    if (captureSession_) captureSession_->stopRunning();
    if (prevLayer_) prevLayer_->removeFromSuperview();
    captureSession_.reset();
    captureInput_.reset();
    forgetCameraBeforeSwitch();
    prevLayer_.reset();
    videoOutput_.reset();
}

void CaptureLocalCamera::pauseCameraCapture() {
    if (captureSession_) captureSession_->stopRunning();
}

void CaptureLocalCamera::resumeCameraCapture() {
    if (captureSession_) captureSession_->startRunning();
}

graphics::ImageOrientation CaptureLocalCamera::getImageOrientation() const {
    return imageOrientationForInterface(interfaceOrientation_.load(),
                                        DataManager::sharedDataManager().avCaptureDevicePosition());
}

void CaptureLocalCamera::switchFlashLight() {
    const auto devices = capture::videoDevices();
    if (devices.empty() || !devices.front()->lockForConfiguration()) return;
    devices.front()->setFlashMode(1);
    devices.front()->unlockForConfiguration();
}

std::string CaptureLocalCamera::getCaptureSourceName() const { return "Camera"; }

graphics::Image CaptureLocalCamera::getCaptureSourceMenuIcon() const {
    return bundleImageNamed("capturesource_icon_camera.png").value_or(graphics::Image());
}

bool CaptureLocalCamera::getIsZoomSupported() const { return true; }

void CaptureLocalCamera::didRotateFromInterfaceOrientation(ui::InterfaceOrientation from) {
    CaptureController::didRotateFromInterfaceOrientation(from);
    noteInterfaceOrientation();
}
