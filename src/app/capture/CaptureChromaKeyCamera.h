#pragma once

// The green-screen camera's place in the registry. The keyed camera itself
// is not built yet: its set-up only reports that, so the capture screen
// shows the text and the user picks another source.

#include "app/capture/CaptureController.h"

class CaptureChromaKeyCamera : public CaptureController {
public:
    CaptureChromaKeyCamera();

    // Sets error() to "The green-screen camera is not available yet." and
    // starts nothing; the delegate hears nothing.
    void initCaptureDevice() override;
    // Nothing to take a picture with: the request is answered with a null image.
    void captureImage() override;
    // Nothing to switch.
    void switchCaptureDevice() override;

    std::string getCaptureSourceName() const override;  // "Green Screen"
    graphics::Image getCaptureSourceMenuIcon() const override;
};
