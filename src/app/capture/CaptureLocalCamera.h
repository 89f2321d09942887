#pragma once

// The capture source of the machine's own cameras (front and back): a live
// session whose preview fills the source's view, the focus, exposure,
// white-balance, bias and tap-to-focus controls, the camera switch, and
// pictures taken from the video stream.
//
// Which camera (CaptureCameraOrder.h): a phone's cameras by where they look,
// the stored position choosing; a desktop's webcams, to which Qt gives no
// position, by identity, the stored camera identifier choosing (the first
// camera when it is gone), the switch going to the next one round.
//
// A picture is the next video frame that arrives on the serial queue
// "cameraQueue" after captureImage; it is turned upright there and handed to
// the delegate on that queue (the delegate moves to the main thread itself).
// The request flag is atomic: the main thread sets it, the camera queue
// takes it.
//
// Failures: no camera sets error 63 ("No capture device found."); a camera
// that cannot be opened sets the platform's error (or 119 for the fallback
// camera, the platform's error beneath). A camera that opens but fails to
// start (another program streams from it) fails the set-up with that
// error. The switch and a camera that fails after it are the camera
// sources' (CaptureCameraSource.h). A camera unplugged while in use, or
// failing later on its own, makes the source not ready with error 63 (or
// the failure), and a picture still requested is answered with a null
// image.
//
// Stopping tears the session down without waiting for "cameraQueue", whose
// delegate call may be waiting for the main thread.

#include "app/capture/CaptureCameraSource.h"
#include "app/capture/VideoPreview.h"
#include "platform/capture/CaptureSession.h"
#include "platform/capture/VideoPreviewLayer.h"
#include "platform/foundation/DispatchQueue.h"

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
    bool focusAtPoint(graphics::Point point) override;
    graphics::Point convertToPointOfInterestFromViewCoordinates(graphics::Point point) const;
    void checkDeviceCapabilities() override;
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

protected:
    // ... and the session stops, a picture still asked answered with none.
    void cameraWasLost(const foundation::Error& why) override;
    std::optional<foundation::Error> filmWith(const capture::CaptureDevicePtr& camera) override;
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
    // The session films with `input` instead of the camera in use.
    void useInput(const capture::CaptureDeviceInputPtr& input);
    // Stops and drops the session; the preview view stays.
    void dropSession();

    std::shared_ptr<capture::VideoPreviewLayer> prevLayer_;
    std::shared_ptr<VideoPreview> previewView_;
    std::shared_ptr<capture::VideoDataOutput> videoOutput_;
    std::optional<foundation::DispatchQueue> cameraQueue_;
    std::atomic<bool> recordNextImage_{false};
    std::atomic<int> interfaceOrientation_{3};
};
