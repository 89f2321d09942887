#include "app/capture/Capture4KCamera.h"

#include "app/core/BundleImage.h"
#include "app/core/DataManager.h"
#include "app/widgets/alerts/AlertView.h"
#include "platform/capture/CaptureDevice.h"
#include "platform/foundation/Localized.h"

Capture4KCamera::Capture4KCamera() {
    setCaptureSourceID("CaptureLocalUHDTVCamera");
    hasShutterSound_ = true;
}

Capture4KCamera::~Capture4KCamera() {
    if (storageAlert_) storageAlert_->setAlertViewDidDismissWithButtonIndexBlock({});
}

void Capture4KCamera::initCaptureDevice() {
    CaptureLocalCamera::initCaptureDevice();
    if (captureSession_) {
        captureSession_->setSessionPreset(capture::kSessionPresetPhoto);
        stillImageOutput_ = std::make_shared<capture::StillImageOutput>();
        if (!captureSession_->addOutput(stillImageOutput_)) stillImageOutput_.reset();
    }
    showStorageAlertOnce();
    // Ready even after a failed set-up: the screen reads error() instead.
    ready_ = true;
}

void Capture4KCamera::showStorageAlertOnce() {
    if (DataManager::sharedDataManager().objectForKey(kAlertShownKey).asBool(false) || storageAlert_) return;
    storageAlert_ = AlertView::create(
        "Ultra HD", foundation::localized("Ultra HD will significantly increase storage space needed. Some features "
                                          "may not be available, when using Ultra HD resolution."));
    storageAlert_->addButtonWithTitle(foundation::localized("Dismiss"), [](AlertView&, int) {
        DataManager::sharedDataManager().setValue(foundation::Value(true), kAlertShownKey);
    });
    std::weak_ptr<ui::ViewController> weak = weak_from_this();
    storageAlert_->setAlertViewDidDismissWithButtonIndexBlock([weak](AlertView&, int) {
        if (auto self = std::static_pointer_cast<Capture4KCamera>(weak.lock())) self->storageAlert_.reset();
    });
    storageAlert_->show();
}

void Capture4KCamera::captureImage() {
    noteInterfaceOrientation();
    ready_ = false;
    if (!stillImageOutput_) {
        // Every request is answered, a failed one with no picture: the
        // capture screen waits for the answer before its next picture.
        ready_ = true;
        if (auto* receiver = delegate()) receiver->captureControllerDidTakeImage(*this, graphics::Image());
        return;
    }
    // The orientation of this moment; the still output lays its pixels down
    // for the same one.
    const graphics::ImageOrientation orientation = getImageOrientation();
    std::weak_ptr<ui::ViewController> weak = weak_from_this();
    stillImageOutput_->captureStillImageAsynchronously([weak, orientation](foundation::Result<foundation::Bytes> jpeg) {
        auto self = std::static_pointer_cast<Capture4KCamera>(weak.lock());
        if (!self) return;
        auto* receiver = self->delegate();
        if (!jpeg.ok()) {
            if (jpeg.error().code == capture::kCaptureErrorDeviceDisconnected) {
                // The camera went away: not ready, and the request is
                // answered, the error set before the answer arrives.
                self->cameraLost();
                if (receiver) receiver->captureControllerDidTakeImage(*self, graphics::Image());
                return;
            }
            self->ready_ = true;  // any other failure makes the source ready again, with no picture
            if (receiver) receiver->captureControllerDidTakeImage(*self, graphics::Image());
            return;
        }
        self->ready_ = true;
        auto decoded = graphics::Image::decode(jpeg.value());
        if (!decoded.ok()) {
            if (receiver) receiver->captureControllerDidTakeImage(*self, graphics::Image());
            return;
        }
        graphics::Image upright = graphics::Image(decoded->bitmap(), 1.0, orientation).normalized();
        if (receiver) receiver->captureControllerDidTakeImage(*self, std::move(upright));
    });
}

void Capture4KCamera::cameraLost() {
    ready_ = false;
    setError(noCaptureDeviceError());
}

void Capture4KCamera::cameraWasLost(const foundation::Error& why) {
    ready_ = false;
    CaptureLocalCamera::cameraWasLost(why);
}

void Capture4KCamera::stopCameraCapture() {
    ready_ = false;
    if (captureSession_ && stillImageOutput_) captureSession_->removeOutput(stillImageOutput_);
    stillImageOutput_.reset();
    CaptureLocalCamera::stopCameraCapture();
}

std::string Capture4KCamera::getCaptureSourceName() const { return "UHDTV"; }

graphics::Image Capture4KCamera::getCaptureSourceMenuIcon() const {
    return bundleImageNamed("capturesource_icon_4kcamera").value_or(graphics::Image());
}
