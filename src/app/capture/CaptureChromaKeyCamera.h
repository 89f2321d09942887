#pragma once

// The green-screen capture source: the live camera picture with one key
// colour replaced by a backdrop, keyed on the GPU pipeline by a small graph
//     camera → chroma-key blend (input 0) ← backdrop picture (input 1)
//     blend → on-screen view
// While the key colour is being detected the camera feeds a pass-through
// stage that feeds the view, so the user sees the unkeyed picture and can
// point the camera at the colour to remove.
//
// The key colour and sensitivity live in the settings store, the backdrop
// in the project as "backdrop.jpg". The settings popover's screens report
// the user's choices here (ChromaKeyConfigurationDelegate).
//
// Which camera, as the device camera chooses (CaptureCameraOrder.h): a
// phone's cameras by where they look, the switch going between back and
// front; a desktop's webcams, to which Qt gives no position, by identity,
// the stored camera identifier choosing (the first camera when it is gone)
// and the switch going to the next one round.
//
// Failures, as the device camera tells them (CaptureCameraSource.h): no
// camera or a camera that cannot be opened (no permission) fails the start
// with that error, and so does one that opens but fails its start (another
// program streams from it) rather than show a black picture; the switch and
// a camera that fails after it are the camera sources'; a camera unplugged
// while in use leaves the source not ready, error 63 set, until the screen
// starts it again.
//
// Threads: every operation runs on the main thread. Graph changes run on
// the pipeline's context queue (the pipeline does that itself); the average
// colour of a detection and a photo prepared on the import queue come back
// to the main queue before they change the settings, the graph or the
// project's file, so those writes happen in order on one thread.
//
// Faults this source guards against: a stop cancels a pending detection,
// dismisses its HUD and the popover and ignores a colour that arrives
// later; a second "Autodetect" while one waits is ignored; a capture while
// the picture is unkeyed delivers a null picture; "Last Frame" without a
// picture changes nothing; with a phone's cameras and none at the stored
// position the first is used and becomes the stored choice.

#include "app/capture/CaptureCameraSource.h"
#include "app/capture/chromakey/ChromaKeyConfigurationDelegate.h"
#include "app/widgets/popover/WEPopoverController.h"
#include "platform/foundation/Lifetime.h"
#include "platform/graphics/Color.h"
#include "platform/library/PhotoLibrary.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace gpuimage {
class GPUImageVideoCamera;
class GPUImageView;
class GPUImageChromaKeyBlendFilter;
class GPUImagePicture;
class GPUImageBrightnessFilter;
class GPUImageAverageColor;
}  // namespace gpuimage

class ChromaKeyConfigurationViewController;
class ELCAlbumPickerController;
class Hudy;

class CaptureChromaKeyCamera : public CaptureCameraSource,
                               public ChromaKeyConfigurationDelegate,
                               public WEPopoverControllerDelegate {
public:
    static constexpr double kDetectionDelaySeconds = 5.0;
    static constexpr const char* kImportQueueLabel = "com.marrowick.chromakey_importqueue";

    CaptureChromaKeyCamera();
    ~CaptureChromaKeyCamera() override;

    // ---- the capture screen's operations ------------------------------------------------
    void initCaptureDevice() override;
    void stopCameraCapture() override;
    void pauseCameraCapture() override;
    void resumeCameraCapture() override;
    void captureImage() override;
    void showConfiguration(ui::View* sender) override;
    bool focusAtPoint(graphics::Point point) override;
    std::string getCaptureSourceName() const override;  // "Green Screen"
    graphics::Image getCaptureSourceMenuIcon() const override;
    graphics::Size captureResolution() const override { return captureResolution_; }
    void didRotateFromInterfaceOrientation(ui::InterfaceOrientation from) override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskLandscape; }

    void checkDeviceCapabilities() override;
    void checkDeviceCaptureResolution();
    // A point of the source's view as the camera's point of interest; the
    // centre without a camera input.
    graphics::Point convertToPointOfInterestFromViewCoordinates(graphics::Point point);
    // Stores the key colour and the blend filter's sensitivity.
    void saveConfiguration();
    // The 5-second step of a detection: averages what the camera shows now.
    void detectMainColorAndChangeChromaKeyFilter();
    // Always animated; unselects the settings button.
    void dismissPopoverAnimated(bool animated);
    void deselectConfigurationButton();

    // ---- ChromaKeyConfigurationDelegate --------------------------------------------------
    void didSelectChangeBackDrop(ui::ViewController& sender) override;
    void didSelectUseFrameAsBackdrop(ui::ViewController& sender) override;
    void didSelectChangeBackDropWithImage(ui::ViewController& sender, const graphics::Image& image) override;
    void didChangedFilterValue(ui::ViewController& sender, float value) override;
    void didSelectChangeChromaKeyColor(ui::ViewController& sender, const graphics::Color& withColor) override;
    void didSelectChangeAutoChromaKeyColor(ui::ViewController& sender) override;

    // ---- WEPopoverControllerDelegate --------------------------------------------------
    bool popoverControllerShouldDismissPopover(WEPopoverController& controller) override;
    void popoverControllerDidDismissPopover(WEPopoverController& controller) override;

    // ---- state ------------------------------------------------------------------------------
    const std::shared_ptr<gpuimage::GPUImageVideoCamera>& videoCamera() const { return videoCamera_; }
    const std::shared_ptr<gpuimage::GPUImageView>& viewCamera() const { return viewCamera_; }
    const std::shared_ptr<gpuimage::GPUImageChromaKeyBlendFilter>& filter() const { return filter_; }
    const std::shared_ptr<gpuimage::GPUImagePicture>& sourcePicture() const { return sourcePicture_; }
    const std::shared_ptr<gpuimage::GPUImageBrightnessFilter>& passFilter() const { return passFilter_; }
    const std::shared_ptr<WEPopoverController>& popoverController() const { return popoverController_; }
    const std::shared_ptr<Hudy>& hudy() const { return hudy_; }
    const graphics::Color& chromaColor() const { return chromaColor_; }
    // The photo picker while it is up.
    std::shared_ptr<ELCAlbumPickerController> albumPicker() const { return albumPicker_.lock(); }
    // The library the "Photo Roll" picker shows; the default library unless set.
    void setPhotoLibrary(library::PhotoLibrary library) { photoLibrary_ = std::move(library); }

private:
    void restoreConfiguration();
    // Makes the picture the backdrop at the blend filter's input 1 and
    // stores it as the project's "backdrop.jpg".
    void replaceBackdrop(const graphics::Image& image);
    void finishDetection(std::optional<graphics::Color> color);
    void endDetection();
    void importPhoto(const library::PhotoAsset& asset);
    void setKeyColor(const graphics::Color& color);
    capture::CaptureDevicePtr currentDevice() const override;
    // ... and the camera stops.
    void cameraWasLost(const foundation::Error& why) override;
    std::optional<foundation::Error> filmWith(const capture::CaptureDevicePtr& camera) override;

    std::shared_ptr<gpuimage::GPUImageVideoCamera> videoCamera_;
    std::shared_ptr<gpuimage::GPUImageView> viewCamera_;
    std::shared_ptr<gpuimage::GPUImageChromaKeyBlendFilter> filter_;
    std::shared_ptr<gpuimage::GPUImagePicture> sourcePicture_;
    std::shared_ptr<gpuimage::GPUImageBrightnessFilter> passFilter_;
    std::shared_ptr<WEPopoverController> popoverController_;
    graphics::Color chromaColor_;
    std::shared_ptr<Hudy> hudy_;
    std::weak_ptr<ui::View> button_;

    // The open root settings screen, whose slider follows the sensitivity.
    std::weak_ptr<ChromaKeyConfigurationViewController> configuration_;
    // A detection's averaging stage, kept until its colour arrives.
    std::shared_ptr<gpuimage::GPUImagePicture> detectionPicture_;
    std::shared_ptr<gpuimage::GPUImageAverageColor> detectionAverage_;
    // Bumped by every stop and every finished detection, so that a colour
    // or a photo that arrives for an earlier graph is ignored.
    uint64_t graphGeneration_ = 0;
    std::weak_ptr<ELCAlbumPickerController> albumPicker_;
    library::PhotoLibrary photoLibrary_;
    graphics::Size captureResolution_;
    foundation::LifeToken life_;
};
