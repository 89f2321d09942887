#include "app/capture/CaptureChromaKeyCamera.h"

#include "app/capture/CaptureCameraOrder.h"
#include "app/capture/CaptureLocalCameraGeometry.h"
#include "app/capture/chromakey/ChromaKeyBackdrop.h"
#include "app/capture/chromakey/ChromaKeySettings.h"
#include "app/core/BundleImage.h"
#include "app/core/DataManager.h"
#include "app/widgets/alerts/Hudy.h"
#include "components/gpuimage/GPUImageAverageColor.h"
#include "components/gpuimage/GPUImageBrightnessFilter.h"
#include "components/gpuimage/GPUImageChromaKeyBlendFilter.h"
#include "components/gpuimage/GPUImageContext.h"
#include "components/gpuimage/GPUImagePicture.h"
#include "components/gpuimage/GPUImageVideoCamera.h"
#include "components/gpuimage/GPUImageView.h"
#include "platform/capture/CaptureDevice.h"
#include "platform/capture/CaptureSession.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/host/Application.h"

#include <cstdio>

namespace {

int statusBarOrientation() { return static_cast<int>(ui::Application::shared().statusBarOrientation()); }

// The camera to use: the settings' choice (CaptureCameraOrder.h), or the
// first of all when no camera looks the stored way; it becomes the choice.
capture::CaptureDevicePtr chooseDevice(const std::vector<capture::CaptureDevicePtr>& devices) {
    capture::CaptureDevicePtr chosen = cameraorder::storedChoice(devices);
    if (!chosen) chosen = devices.front();
    cameraorder::storeChoice(*chosen);
    return chosen;
}

}  // namespace

CaptureChromaKeyCamera::CaptureChromaKeyCamera() : chromaColor_(chromakeysettings::kDefaultColor) {
    setCaptureSourceID("CaptureChromaKeyCamera");
}

CaptureChromaKeyCamera::~CaptureChromaKeyCamera() {
    if (videoCamera_) {
        videoCamera_->stopCameraCapture();
        videoCamera_->removeInputsAndOutputs();
    }
    if (popoverController_) popoverController_->dismissPopoverAnimated(false);
}

std::string CaptureChromaKeyCamera::getCaptureSourceName() const { return "Green Screen"; }

graphics::Image CaptureChromaKeyCamera::getCaptureSourceMenuIcon() const {
    return bundleImageNamed("capturesource_icon_chroma.png").value_or(graphics::Image());
}

capture::CaptureDevicePtr CaptureChromaKeyCamera::currentDevice() const {
    return videoCamera_ ? videoCamera_->inputCamera() : nullptr;
}

// ---- start and stop ------------------------------------------------------------------------

void CaptureChromaKeyCamera::initCaptureDevice() {
    // A new start replaces whatever an earlier one left behind.
    if (viewCamera_ || videoCamera_) stopCameraCapture();
    setError(std::nullopt);
    isReadyToCapture_ = false;

    const auto devices = capture::videoDevices();
    if (devices.empty()) return setError(noCaptureDeviceError());
    isMultipleCaptureDeviceAvaliable_ = devices.size() >= 2;
    // Without a GL context every stage would stay inert: the screen tells the
    // user in the pipeline's words for people.
    if (gpuimage::GPUImageContext::contextError())
        return setError(foundation::Error{gpuimage::kGPUImageErrorDomain, gpuimage::kGPUImageErrorNoContext,
                                          foundation::localized(gpuimage::kGPUImageNoDriverText)});

    viewCamera_ = ui::makeView<gpuimage::GPUImageView>(view()->bounds());
    viewCamera_->ui::View::setBackgroundColor(graphics::Color::clear());
    viewCamera_->setBackgroundColor(0, 0, 0, 0);
    viewCamera_->setFillMode(gpuimage::GPUImageFillMode::PreserveAspectRatioAndFill);
    viewCamera_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    view()->addSubview(viewCamera_);

    const capture::CaptureDevicePtr device = chooseDevice(devices);
    if (auto opened = capture::CaptureDeviceInput::create(device); !opened.ok()) return setError(opened.error());

    videoCamera_ =
        gpuimage::GPUImageVideoCamera::create(getPresetWithMaximumResoulutionFromCaptureDevice(*device), device);
    if (!videoCamera_) return setError(noCaptureDeviceError());
    videoCamera_->setOutputImageOrientation(statusBarOrientation());

    filter_ = std::make_shared<gpuimage::GPUImageChromaKeyBlendFilter>();
    filter_->setColorToReplace(0, 1, 0);
    // The camera is the foreground, input 0.
    videoCamera_->addTarget(filter_);
    filter_->addTarget(viewCamera_);
    videoCamera_->startCameraCapture();
    if (auto failed = device->failure()) {
        // It opened, but another program streams from it: no picture would
        // ever come, so the start fails rather than show a black picture.
        const foundation::Error why = *failed;
        stopCameraCapture();
        return setError(why);
    }

    // Processed before it is attached, so it reaches the filter (input 1) at once.
    if (auto picture = gpuimage::GPUImagePicture::create(chromakeybackdrop::storedBackdrop(project().get()), true)) {
        sourcePicture_ = *picture;
        sourcePicture_->processImage();
        sourcePicture_->addTarget(filter_, 1);
    }

    didRotateFromInterfaceOrientation(ui::Application::shared().statusBarOrientation());
    checkDeviceCapabilities();
    observeCamera();
    setCaptureSourceViewCamera(viewCamera_);
    isReadyToCapture_ = true;
    if (auto* receiver = delegate())
        receiver->captureControllerDidInitCaptureDeviceWithPositon(
            *this, static_cast<int64_t>(videoCamera_->cameraPosition()));
    restoreConfiguration();
    isAdditionalControlsSuported_ = true;
}

void CaptureChromaKeyCamera::restoreConfiguration() {
    chromaColor_ = chromakeysettings::kDefaultColor;
    const auto restored = chromakeysettings::restoreConfiguration(DataManager::sharedDataManager());
    if (restored.color) setKeyColor(*restored.color);
    if (restored.thresholdSensitivity) filter_->setThresholdSensitivity(*restored.thresholdSensitivity);
}

void CaptureChromaKeyCamera::setKeyColor(const graphics::Color& color) {
    chromaColor_ = color;
    const auto rgba = color.rgba();
    if (filter_ && rgba)
        filter_->setColorToReplace(static_cast<float>(rgba->red), static_cast<float>(rgba->green),
                                   static_cast<float>(rgba->blue));
}

void CaptureChromaKeyCamera::stopCameraCapture() {
    // Whatever is still on its way (a detection, a photo) belongs to this graph.
    ++graphGeneration_;
    life_.revoke();
    stopObservingCamera();
    forgetCameraBeforeSwitch();
    if (hudy_) hudy_->dismiss();
    dismissPopoverAnimated(true);
    if (videoCamera_) {
        videoCamera_->stopCameraCapture();
        videoCamera_->removeInputsAndOutputs();
    }
    if (viewCamera_) viewCamera_->removeFromSuperview();
    setCaptureSourceViewCamera(nullptr);
    filter_.reset();
    viewCamera_.reset();
    sourcePicture_.reset();
    passFilter_.reset();
    detectionPicture_.reset();
    detectionAverage_.reset();
    popoverController_.reset();
    hudy_.reset();
    videoCamera_.reset();
}

void CaptureChromaKeyCamera::pauseCameraCapture() {
    if (videoCamera_) videoCamera_->pauseCameraCapture();
}

void CaptureChromaKeyCamera::resumeCameraCapture() {
    if (videoCamera_) videoCamera_->resumeCameraCapture();
}

void CaptureChromaKeyCamera::didRotateFromInterfaceOrientation(ui::InterfaceOrientation) {
    if (videoCamera_) videoCamera_->setOutputImageOrientation(statusBarOrientation());
}

// ---- pictures ------------------------------------------------------------------------------

void CaptureChromaKeyCamera::captureImage() {
    graphics::Image picture;
    // While the key colour is being detected the view shows the unkeyed
    // picture: nothing keyed to hand over.
    if (filter_ && !passFilter_) {
        const graphics::Image keyed =
            filter_->imageFromCurrentlyProcessedOutputWithOrientation(graphics::ImageOrientation::Up);
        if (!keyed.isNull()) picture = graphics::Image(keyed.bitmap(), 1.0, graphics::ImageOrientation::Up);
    }
    if (auto* receiver = delegate()) receiver->captureControllerDidTakeImage(*this, std::move(picture));
}

// ---- the camera's controls ---------------------------------------------------------------------

std::optional<foundation::Error> CaptureChromaKeyCamera::filmWith(const capture::CaptureDevicePtr& camera) {
    if (!videoCamera_) return noCaptureDeviceError();
    // Any camera takes the smallest preset; the one that films then gets its own.
    videoCamera_->setCaptureSessionPreset(capture::kSessionPreset640x480);
    foundation::Error refused;
    const bool taken = videoCamera_->switchToCamera(camera, &refused);
    if (auto device = currentDevice())
        videoCamera_->setCaptureSessionPreset(getPresetWithMaximumResoulutionFromCaptureDevice(*device));
    if (!taken) return refused;
    return std::nullopt;
}

void CaptureChromaKeyCamera::cameraWasLost(const foundation::Error& why) {
    CaptureCameraSource::cameraWasLost(why);
    if (videoCamera_) videoCamera_->stopCameraCapture();
}

void CaptureChromaKeyCamera::checkDeviceCapabilities() {
    auto device = currentDevice();
    if (!device) return;
    checkDeviceCaptureResolution();
    checkDeviceFocusModeSupport();
    checkDeviceExposureModeSupport();
    checkDeviceWhiteBalanceModeSupport();
    position_ = positionValue(*device);
    if (device->supportsExposureTargetBias()) {
        maxExposureTargetBias_ = device->maxExposureTargetBias();
        minExposureTargetBias_ = device->minExposureTargetBias();
        currentExposureTargetBias_ = device->exposureTargetBias();
    }
}

void CaptureChromaKeyCamera::checkDeviceCaptureResolution() {
    auto device = currentDevice();
    if (!device) return;
    if (device->supportsSessionPreset(capture::kSessionPreset1920x1080)) {
        captureResolution_ = {1920, 1080};
    } else if (device->supportsSessionPreset(capture::kSessionPreset1280x720)) {
        captureResolution_ = {1280, 720};
    } else {
        captureResolution_ = {640, 480};
    }
}

bool CaptureChromaKeyCamera::focusAtPoint(graphics::Point point) {
    auto device = currentDevice();
    if (!device || !canFocusAtPoint(*device)) return true;
    return focusDevice(*device, convertToPointOfInterestFromViewCoordinates(point));
}

graphics::Point CaptureChromaKeyCamera::convertToPointOfInterestFromViewCoordinates(graphics::Point point) {
    std::optional<graphics::Size> aperture;
    if (videoCamera_ && videoCamera_->captureSession() && !videoCamera_->captureSession()->inputs().empty())
        aperture = sessionAperture(*videoCamera_->captureSession());
    // The view fills itself with the picture, cropping what overflows.
    return pointOfInterestForViewPoint(point, view()->frame().size, capture::VideoGravity::ResizeAspectFill, false,
                                       aperture);
}
