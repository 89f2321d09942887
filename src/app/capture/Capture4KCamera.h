#pragma once

// The capture source for full-resolution stills of the machine's camera.
// Everything of the device camera (preview, switch, controls) is kept; the
// session runs at the photo preset and each picture is a still capture.
//
// The still arrives in the still output's completion on a global queue and
// is handed over from there. Unlike the camera's raw still, the picture
// handed over is upright: its orientation is applied to the pixels first, so
// a receiver that crops it (the zoomed capture screen) crops what the user
// saw rather than a sideways sensor image.
//
// Readiness is this class's own atomic flag: false while a still is on its
// way and after a stop. Every request is answered: a failed still (or one
// asked of a stopped source) with a null image, which lets the capture
// screen go on to its next picture; when the camera was unplugged meanwhile
// the source stays not ready, its error set before the answer arrives.
//
// The first set-ups warn that Ultra HD pictures take much more storage,
// until the warning's "Dismiss" button has been tapped once.

#include "app/capture/CaptureLocalCamera.h"

#include <atomic>
#include <memory>

class AlertView;

class Capture4KCamera : public CaptureLocalCamera {
public:
    static constexpr const char* kAlertShownKey = "is4KAlertShown";

    Capture4KCamera();
    ~Capture4KCamera() override;

    void initCaptureDevice() override;
    void captureImage() override;
    void stopCameraCapture() override;

    bool isReadyToCapture() const override { return ready_.load(); }
    std::string getCaptureSourceName() const override;  // "UHDTV"
    graphics::Image getCaptureSourceMenuIcon() const override;

    const std::shared_ptr<capture::StillImageOutput>& stillImageOutput() const { return stillImageOutput_; }
    // The storage warning while it is shown.
    const std::shared_ptr<AlertView>& storageAlert() const { return storageAlert_; }

protected:
    void cameraWasLost(const foundation::Error& why) override;

private:
    void showStorageAlertOnce();
    // Not ready, error 63; safe from any thread.
    void cameraLost();

    std::shared_ptr<capture::StillImageOutput> stillImageOutput_;
    std::shared_ptr<AlertView> storageAlert_;
    std::atomic<bool> ready_{false};
};
