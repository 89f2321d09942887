#pragma once

// A debug source that shows and captures one fixed picture. Nothing creates
// it in the application and the registry does not list it; it serves to try
// the capture screen without a camera.

#include "app/capture/CaptureController.h"
#include "platform/ui/controls/ImageView.h"

#include <memory>

class SimulatorCamera : public CaptureController {
public:
    // The bundle picture "DEBUG_4.jpg", or "DEBUG_1080p.jpg" when the first
    // is missing; a null image when both are.
    graphics::Image getDebugImage() const;

    // The base set-up, then an image view of the debug picture filling the
    // source's view.
    void initCaptureDevice() override;
    // Hands the shown picture to the delegate at once.
    void captureImage() override;

    const std::shared_ptr<ui::ImageView>& imageView() const { return imageView_; }

private:
    std::shared_ptr<ui::ImageView> imageView_;
};
