#pragma once

// The capture source of the machine's own cameras (front and back): a live
// session whose preview fills the source's view, the focus, exposure,
// white-balance, bias and tap-to-focus controls, the front/back switch, and
// pictures taken from the video stream.
//
// A picture is the next video frame that arrives on the serial queue
// "cameraQueue" after captureImage; it is turned upright there and handed to
// the delegate on that queue (the delegate moves to the main thread itself).
// The request flag is atomic: the main thread sets it, the camera queue
// takes it.
//
// Failures: no camera sets error 63 ("No capture device found."); a camera
// that cannot be opened sets the platform's error (or 119 for the fallback
// camera). A front/back switch whose new camera cannot be opened keeps the
// old camera running and sets error. A camera unplugged while in use makes
// the source not ready with error 63, and a picture still requested is
// answered with a null image.
//
// Stopping tears the session down without waiting for "cameraQueue", whose
// delegate call may be waiting for the main thread.

#include "app/capture/CaptureCameraSource.h"
#include "app/capture/VideoPreview.h"
#include "platform/capture/CaptureSession.h"
#include "platform/capture/VideoPreviewLayer.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"

#include <atomic>
#include <memory>
#include <optional>

class CaptureLocalCamera : public CaptureCameraSource {
public:
    CaptureLocalCamera();
    ~CaptureLocalCamera() override;

    void initCaptureDevice() override;
    void captureImage() override;
    // The video frames, on "cameraQueue".
    void captureOutput(const capture::SampleBuffer& sampleBuffer);
    void switchCaptureDevice() override;
    bool focusAtPoint(graphics::Point point) override;
    graphics::Point convertToPointOfInterestFromViewCoordinates(graphics::Point point) const;
    void checkDeviceCapabilities();
    void changeCaptureQuality();
    void stopCameraCapture() override;
    void pauseCameraCapture() override;
    void resumeCameraCapture() override;
    // The orientation of a picture taken now, from the interface orientation
    // and the stored camera position.
    graphics::ImageOrientation getImageOrientation() const;
    // Sets the first camera's flash on; nothing in the application calls it.
    void switchFlashLight();

    std::string getCaptureSourceName() const override;  // "Camera"
    graphics::Image getCaptureSourceMenuIcon() const override;
    bool getIsZoomSupported() const override;  // true

    void didRotateFromInterfaceOrientation(ui::InterfaceOrientation from) override;

    const capture::CaptureSessionPtr& captureSession() const { return captureSession_; }
    const capture::CaptureDeviceInputPtr& captureInput() const { return captureInput_; }
    const std::shared_ptr<capture::VideoPreviewLayer>& prevLayer() const { return prevLayer_; }
    const std::shared_ptr<VideoPreview>& previewView() const { return previewView_; }
    bool recordNextImage() const { return recordNextImage_.load(); }

    // Domain "CaptureLocalCamera", 63, "No capture device found.": also what
    // the green-screen camera reports without a camera.
    static foundation::Error noCaptureDeviceError();

protected:
    // The camera in use went away (main thread).
    virtual void cameraWasDisconnected();
    // Hands a null picture to the delegate on the camera queue.
    void deliverNoPicture();
    capture::CaptureDevicePtr currentDevice() const override {
        return captureInput_ ? captureInput_->device() : nullptr;
    }
    // Reads the status bar's orientation for pictures taken from now on.
    void noteInterfaceOrientation();

    capture::CaptureSessionPtr captureSession_;
    capture::CaptureDeviceInputPtr captureInput_;

private:
    void observeDisconnection();

    std::shared_ptr<capture::VideoPreviewLayer> prevLayer_;
    std::shared_ptr<VideoPreview> previewView_;
    std::shared_ptr<capture::VideoDataOutput> videoOutput_;
    std::optional<foundation::DispatchQueue> cameraQueue_;
    std::atomic<bool> recordNextImage_{false};
    std::atomic<int> interfaceOrientation_{3};
    foundation::ObserverToken disconnectionObserver_;
};
