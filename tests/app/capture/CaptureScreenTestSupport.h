#pragma once

// What the capture screen tests share: a source with settable capabilities
// that delivers a synthetic 1920×1080 picture (on the calling thread or on
// its own "cameraQueue"), and a fixture with a window on the virtual clock,
// fresh application folders and settings, the null sound output and a
// project to shoot into.

#include "app/capture/CaptureViewController.h"
#include "app/core/DataManager.h"
#include "app/core/FileUtil.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/core/KWWatchKitLocalStorage.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/SystemVolume.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/host/Device.h"
#include "support/FakeV4l2Device.h"
#include "support/TempAppFolders.h"
#include "support/TouchDriver.h"
#include "support/VirtualClock.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace capturetest {

// Eight columns of distinct colours over two rows: a zoomed crop shows which
// part of the picture it came from, also after JPEG.
graphics::Image syntheticPicture(int width = 1920, int height = 1080);
graphics::RGBA syntheticColourAt(int x, int y, int width = 1920, int height = 1080);

class FakeSource : public CaptureController {
public:
    explicit FakeSource(std::string identifier = "CaptureLocalCamera", std::string name = "Camera");
    ~FakeSource() override;

    // Capabilities and behaviour, set before the screen starts the source.
    bool ready = true;
    bool zoom = true;
    bool onCameraQueue = false;  // deliver on "cameraQueue" instead of at once
    // Keeps each picture until deliver() and is not ready meanwhile, as the
    // Ultra HD camera while a still is on its way.
    bool holdsPictures = false;
    bool focusAnswer = true;
    // Modes the source can run; a mode it cannot run leaves it at the last
    // one it could (so the screen must read the mode back).
    std::vector<int64_t> runnableModes{kCaptureModeLocked, kCaptureModeContinuousAutomatic};
    float biasMin = 0, biasMax = 0;
    std::optional<foundation::Error> failure;  // set-up error
    graphics::Image picture = syntheticPicture();

    // What happened.
    std::atomic<int> captures{0};
    std::vector<double> captureTimes;  // on the main run loop's clock
    std::atomic<int> stops{0};
    // Entries of the project's list when the delivery call returned, and the
    // queue it ran on (cameraQueue deliveries).
    std::atomic<int64_t> countAfterDelivery{-1};
    std::string deliveryQueue;
    // Stopping waits for the camera queue, as a real camera does.
    foundation::DispatchQueue cameraQueue{"cameraQueue"};

    void initCaptureDevice() override;
    void captureImage() override;
    void stopCameraCapture() override;
    void setFocusMode(int64_t mode) override;
    void setExposureMode(int64_t mode) override;
    void setWhiteBalanceMode(int64_t mode) override;
    bool focusAtPoint(graphics::Point point) override;
    bool getIsZoomSupported() const override { return zoom; }
    std::string getCaptureSourceName() const override { return name_; }
    graphics::Image getCaptureSourceMenuIcon() const override;
    void loadView() override;

    // Delivers a picture now, as captureImage does.
    void deliver();
    void setMode(std::atomic<int64_t>& field, int64_t mode);

private:
    std::string name_;
};

class CaptureScreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A project whose list is [A, slot] (A a stored picture), or [A] when `slot` is false.
    ProjectModelPtr storedProject(bool slot = true);
    // The screen for the current device, on screen with its sources started.
    std::shared_ptr<CaptureViewController> openScreen(const ProjectModelPtr& project);
    void usePhone();
    void advance(double seconds) { foundation::RunLoop::main().advance(seconds); }
    // A tap on a view on screen.
    void tap(const ui::View* view);
    static std::vector<std::string> alertMessages();
    // What the screen's HUD says; empty without one.
    std::string hudText() const;
    void savePicture(const std::string& name);
    static void dismissAlerts();
    // Taps the button of that title on the alert that shows, and lets the
    // alert fade out.
    void tapAlertButton(const std::string& title);
    int plays(const char* file) const { return output->plays(file); }

    testsupport::VirtualClockScope clock;
    testsupport::TempAppFolders folders;
    std::shared_ptr<ui::Window> window;
    std::unique_ptr<testsupport::TouchDriver> fingers;
    std::shared_ptr<media::NullAudioOutput> output = std::make_shared<media::NullAudioOutput>();
    std::vector<CaptureControllerPtr> sources;
    std::shared_ptr<FakeSource> camera;
    std::shared_ptr<CaptureViewController> screen;
};

// A webcam as Qt lists it (no position, its node's path as identifier) filming one colour.
struct Webcam {
    std::shared_ptr<testsupport::FakeV4l2Device> table;
    std::string path;
    graphics::RGBA colour;
};
inline constexpr graphics::RGBA kOrange{230, 120, 40, 255}, kPurple{150, 40, 200, 255};

// The screen over webcams with the test's camera source current, and what every such source does with them.
class WebcamScreenTest : public CaptureScreenTest {
protected:
    // `reachedOthers`: its automatics have reached other values than FakeV4l2Device::webcam's.
    static Webcam deskWebcam(const char* card, std::string path, graphics::RGBA colour, bool reachedOthers = false);
    // The screen over these webcams with a fresh source; `toldLater`: the backend tells a camera's
    // failure on a later turn (GStreamer) rather than inside the step (FFmpeg); `byId`: their stable names' folder.
    void openOnWebcams(const std::vector<Webcam>& webcams, bool toldLater = false, const std::string& byId = {});
    void reopen();
    // The screen with the test's source current: a fresh one, or the one it had.
    virtual void openSource(bool fresh) = 0;
    virtual CaptureController& source() = 0;
    // The source films with the webcam alone, named and kept as the choice: a frame of its colour.
    void expectFilmingWith(const Webcam& webcam);
    // Locks focus and white balance with the panel's buttons.
    void lockWithTheButtons();
    // Opens the panel of a screen just opened and taps its camera switch.
    void switchFromTheOpenedPanel();
    // The camera and the screen show focus and white balance locked at what the first webcam's automatics reached.
    void expectLocked(const testsupport::FakeV4l2Device& camera);

    void switchesByIdentityAndTellsACameraInUseOrRefused();
    void bringsBackLockedACameraPluggedIn();
    void switchAfterAFailureFilmsWithTheOtherCameraLocked();
    void opensTheStoredCameraWhateverNodeTheKernelGaveIt();

    std::shared_ptr<capture::SyntheticCaptureBackend> backend;
};

}  // namespace capturetest
