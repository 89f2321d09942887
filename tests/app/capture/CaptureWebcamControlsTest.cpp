// The capture screen over the device camera when the camera is a webcam whose
// controls are a fake V4L2 device table: which controls the screen offers,
// what a toggle and a tap do to the device, and what the screen shows when
// the device refuses or goes away.

#include "app/capture/CaptureLocalCamera.h"
#include "app/capture/CaptureScreenTestSupport.h"
#include "app/widgets/alerts/Hudy.h"
#include "platform/capture/SyntheticCamera.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/host/Application.h"
#include "support/FakeV4l2Device.h"

#include <cerrno>
#include <linux/videodev2.h>

namespace capturetest {
namespace {

using testsupport::FakeV4l2Device;

class CaptureWebcamControlsTest : public WebcamScreenTest {
protected:
    void TearDown() override {
        if (screen && !screen->isClosing()) screen->finishUpAndExit();
        foundation::RunLoop::main().runUntilIdle();
        CaptureScreenTest::TearDown();
        capture::setCaptureBackend(nullptr);
    }

    // The screen on the device camera over `table`.
    void openOn(std::shared_ptr<FakeV4l2Device> table) {
        openOnCameras({table});
        ASSERT_EQ(screen->captureSource(), webcam);
        ASSERT_TRUE(webcam->isReadyToCapture());
    }
    // ... over a back camera and, when given, a front one.
    void openOnCameras(std::vector<std::shared_ptr<FakeV4l2Device>> tables) {
        if (screen && !screen->isClosing()) screen->finishUpAndExit();
        node = tables.front();
        std::vector<capture::SyntheticCameraConfig> configs;
        for (size_t i = 0; i < tables.size(); ++i) {
            configs.push_back(i == 0 ? capture::SyntheticCaptureBackend::backCamera()
                                     : capture::SyntheticCaptureBackend::frontCamera());
            configs.back().controls = tables[i]->opener();
        }
        backend = std::make_shared<capture::SyntheticCaptureBackend>(configs);
        capture::setCaptureBackend(backend);
        DataManager::sharedDataManager().setAvCaptureDevicePosition(1);
        openSource(true);
    }
    void openSource(bool fresh) override {
        if (fresh) {
            ui::Application::shared().setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
            webcam = std::make_shared<CaptureLocalCamera>();
            sources = {webcam, sources.back()};
        }
        openScreen(storedProject());
    }
    CaptureController& source() override { return *webcam; }

    struct Toggle {
        const char* name;
        void (CaptureViewController::*action)();
        ui::Button* (CaptureViewController::*button)() const;
        int64_t (DataManager::*stored)() const;
        void (DataManager::*store)(int64_t);
        uint32_t automatic;  // the device's control
        int32_t locked, unlocked;
        const char* enabled;
        const char* disabled;
    };
    static constexpr int32_t kAperture = V4L2_EXPOSURE_APERTURE_PRIORITY, kManual = V4L2_EXPOSURE_MANUAL;
    const Toggle toggles[3] = {
        {"focus", &CaptureViewController::actionFocus, &CaptureViewController::buttonFocus, &DataManager::focusMode,
         &DataManager::setFocusMode, V4L2_CID_FOCUS_AUTO, 0, 1, "Autofocus enabled", "Autofocus disabled"},
        {"exposure", &CaptureViewController::actionExposure, &CaptureViewController::buttonExposure,
         &DataManager::exposureMode, &DataManager::setExposureMode, V4L2_CID_EXPOSURE_AUTO, kManual, kAperture,
         "Automatic Exposure enabled", "Automatic Exposure disabled"},
        {"white balance", &CaptureViewController::actionWhiteBalance, &CaptureViewController::buttonWhiteBalance,
         &DataManager::whiteBalanceMode, &DataManager::setWhiteBalanceMode, V4L2_CID_AUTO_WHITE_BALANCE, 0, 1,
         "Automatic White Balance enabled", "Automatic White Balance disabled"},
    };

    std::shared_ptr<FakeV4l2Device> node;
    std::shared_ptr<CaptureLocalCamera> webcam;
};

TEST_F(CaptureWebcamControlsTest, TheScreenOffersWhatTheDeviceOffersAndShowsWhatItReadsBack) {
    struct Row {
        const char* name;
        std::shared_ptr<FakeV4l2Device> (*table)();
        bool offered[3];  // focus, exposure, white balance
        bool slider;
    };
    const Row rows[] = {
        {"webcam", FakeV4l2Device::webcam, {true, true, true}, true},
        {"auto exposure only", FakeV4l2Device::autoExposureOnly, {false, true, false}, true},
        {"no controls", FakeV4l2Device::noControls, {false, false, false}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        openOn(row.table());
        for (int i = 0; i < 3; ++i) {
            const Toggle& t = toggles[i];
            SCOPED_TRACE(t.name);
            ui::Button* button = (*screen.*t.button)();
            ASSERT_EQ(button->isHidden(), !row.offered[i]);
            if (!row.offered[i]) continue;
            EXPECT_TRUE(button->isSelected());
            (*screen.*t.action)();
            EXPECT_EQ(hudText(), t.disabled);
            EXPECT_FALSE(button->isSelected());
            EXPECT_EQ(node->current(t.automatic), t.locked) << "the device is locked, not only the screen";
            EXPECT_EQ((DataManager::sharedDataManager().*t.stored)(), kCaptureModeLocked);
            (*screen.*t.action)();
            EXPECT_EQ(hudText(), t.enabled);
            EXPECT_TRUE(button->isSelected());
            EXPECT_EQ(node->current(t.automatic), t.unlocked);
            EXPECT_EQ((DataManager::sharedDataManager().*t.stored)(), kCaptureModeContinuousAutomatic);
        }
        // No webcam focuses at a point: a tap draws no square, but the bias
        // is there wherever the device has one.
        fingers->tap({300, 500});
        advance(0.65);
        EXPECT_TRUE(screen->viewFocusRect()->isHidden());
        EXPECT_EQ(screen->sliderExposureBias()->alpha(), row.slider ? 1.0 : 0.0);
        if (!row.slider) continue;
        EXPECT_EQ(screen->sliderExposureBias()->center(), (graphics::Point{310, 550}));
        EXPECT_EQ(screen->sliderExposureBias()->minimumValue(), -2);
        EXPECT_EQ(screen->sliderExposureBias()->maximumValue(), 2);
        advance(2.2);
        EXPECT_EQ(screen->sliderExposureBias()->alpha(), 0.0);
    }
}

TEST_F(CaptureWebcamControlsTest, TheStoredLockIsAppliedToTheDeviceWhenTheScreenOpens) {
    auto& settings = DataManager::sharedDataManager();
    for (const Toggle& t : toggles) (settings.*t.store)(kCaptureModeLocked);
    openOn(FakeV4l2Device::webcam());
    for (const Toggle& t : toggles) {
        SCOPED_TRACE(t.name);
        EXPECT_FALSE((*screen.*t.button)()->isSelected());
        EXPECT_EQ(node->current(t.automatic), t.locked);
    }
    EXPECT_EQ(node->current(V4L2_CID_EXPOSURE_ABSOLUTE), FakeV4l2Device::kExposureReached);
    EXPECT_EQ(node->current(V4L2_CID_EXPOSURE_AUTO_PRIORITY), 0);

    // A camera that refuses never shows locked, whatever was stored.
    openOn(FakeV4l2Device::refusingWrites());
    for (const Toggle& t : toggles) {
        SCOPED_TRACE(t.name);
        EXPECT_TRUE((*screen.*t.button)()->isSelected());
        EXPECT_EQ(node->current(t.automatic), t.unlocked);
    }
}

TEST_F(CaptureWebcamControlsTest, ARefusedControlSaysSoAndIsNoLongerOffered) {
    auto table = FakeV4l2Device::refusingWrites();
    table->control(V4L2_CID_FOCUS_AUTO).refuseWrites = EIO;  // uvcvideo's answer for a firmware stall: refused too
    openOn(table);
    for (const Toggle& t : toggles) {
        SCOPED_TRACE(t.name);
        ui::Button* button = (*screen.*t.button)();
        ASSERT_FALSE(button->isHidden()) << "the device refuses only when asked";
        (*screen.*t.action)();
        EXPECT_EQ(hudText(), std::string("The camera refused to change its ") + t.name + ".");
        EXPECT_TRUE(button->isSelected()) << "still automatic";
        EXPECT_TRUE(button->isHidden());
        EXPECT_EQ((DataManager::sharedDataManager().*t.stored)(), kCaptureModeContinuousAutomatic);
    }
    // The brightness is refused too once the slider moves.
    fingers->tap({300, 500});
    advance(0.65);
    ASSERT_EQ(screen->sliderExposureBias()->alpha(), 1.0);
    screen->sliderExposureBias()->setValue(1.0);
    screen->actionSliderExposureBiasChanged();
    EXPECT_EQ(hudText(), "The camera refused to change its exposure bias.");
    EXPECT_EQ(webcam->currentExposureTargetBias(), 0);
    EXPECT_TRUE(node->writes.empty());
}

TEST_F(CaptureWebcamControlsTest, AnExposureTimeBiasLocksTheExposureAndTheButtonFollows) {
    openOn(FakeV4l2Device::autoExposureOnly());
    fingers->tap({300, 500});
    advance(0.65);
    screen->sliderExposureBias()->setValue(1.0);
    screen->actionSliderExposureBiasChanged();
    EXPECT_EQ(node->current(V4L2_CID_EXPOSURE_ABSOLUTE), 2 * FakeV4l2Device::kExposureReached);
    EXPECT_FALSE(screen->buttonExposure()->isSelected());
    EXPECT_EQ(DataManager::sharedDataManager().exposureMode(), kCaptureModeLocked);
    EXPECT_FLOAT_EQ(webcam->currentExposureTargetBias(), 1.0f);
    // A tap starts again from the kept exposure.
    fingers->tap({300, 500});
    EXPECT_EQ(node->current(V4L2_CID_EXPOSURE_ABSOLUTE), FakeV4l2Device::kExposureReached);
    advance(0.65);
    EXPECT_EQ(screen->sliderExposureBias()->value(), 0.0);
}

TEST_F(CaptureWebcamControlsTest, ACameraThatGoesAwayLeavesTheScreenUsableAndSaysSo) {
    struct Case {
        const char* name;
        bool duringAToggle;
    };
    for (const Case c : {Case{"unplugged", false}, Case{"vanished between query and set", true}}) {
        SCOPED_TRACE(c.name);
        openOn(FakeV4l2Device::webcam());
        fingers->tap({300, 500});
        advance(0.65);
        ASSERT_EQ(screen->sliderExposureBias()->alpha(), 1.0);
        if (c.duringAToggle) {
            node->vanishAfterCalls = node->calls;
            screen->actionExposure();
            EXPECT_EQ(hudText(), "The camera is not connected.");
            EXPECT_TRUE(screen->buttonExposure()->isSelected()) << "never shown locked";
            EXPECT_EQ(DataManager::sharedDataManager().exposureMode(), kCaptureModeContinuousAutomatic);
        } else {
            backend->unplug("synthetic-back");
        }
        foundation::RunLoop::main().runUntilIdle();
        EXPECT_EQ(alertMessages(), (std::vector<std::string>{"No capture device found."}));
        for (const Toggle& t : toggles) EXPECT_TRUE((*screen.*t.button)()->isHidden()) << t.name;
        EXPECT_EQ(screen->sliderExposureBias()->alpha(), 0.0);
        for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(0, false);
        // The shutter says it again rather than waiting for a picture.
        tap(screen->recordBtn());
        EXPECT_EQ(alertMessages(), (std::vector<std::string>{"No capture device found."}));
        for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(0, false);
        EXPECT_TRUE(screen->recordBtn()->isEnabled());
    }
}

TEST_F(CaptureWebcamControlsTest, TheLocksTheScreenShowsHoldThroughReopeningOnTheOtherCameraAndOnePluggedBackIn) {
    // Cameras of the same kind whose automatics have reached other values.
    const auto elsewhere = [] {
        auto camera = FakeV4l2Device::webcam();
        camera->control(V4L2_CID_WHITE_BALANCE_TEMPERATURE).reached = 4500;
        camera->control(V4L2_CID_FOCUS_ABSOLUTE).reached = 120;
        return camera;
    };
    auto front = elsewhere();
    openOnCameras({FakeV4l2Device::webcam(), front});
    lockWithTheButtons();
    expectLocked(*node);
    // The camera's backend switches automatic white balance on whenever it
    // opens or starts the camera, as Qt 6.4's do; meanwhile the light
    // changes, and the automatic would choose otherwise.
    node->control(V4L2_CID_WHITE_BALANCE_TEMPERATURE).reached = 4700;
    reopen();
    ASSERT_TRUE(webcam->isReadyToCapture());
    expectLocked(*node);
    tap(screen->buttonOptions());
    advance(0.35);
    tap(screen->capturedeviseBtn());
    EXPECT_EQ(webcam->position(), 2);
    expectLocked(*front);

    // Unplugged, the front camera comes back with its automatics on, as a
    // camera does after losing power; the screen is opened on it again.
    backend->unplug("synthetic-front");
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(alertMessages(), (std::vector<std::string>{"No capture device found."}));
    auto pluggedIn = elsewhere();
    auto config = capture::SyntheticCaptureBackend::frontCamera();
    config.controls = pluggedIn->opener();
    backend->plugIn(config);
    reopen();
    ASSERT_TRUE(webcam->isReadyToCapture());
    EXPECT_EQ(webcam->position(), 2);
    expectLocked(*pluggedIn);
    tap(screen->buttonOptions());
    advance(0.35);
    savePicture("capture-webcam-locks-held.png");
}

TEST_F(CaptureWebcamControlsTest, DeskWebcamsSwitchByIdentityLockedAndOneInUseOrWithoutPermissionIsToldAndLeftAlone) {
    switchesByIdentityAndTellsACameraInUseOrRefused();
}

TEST_F(CaptureWebcamControlsTest, ACameraPluggedInWhileTheScreenSaysNoneComesBackLocked) {
    bringsBackLockedACameraPluggedIn();
}

TEST_F(CaptureWebcamControlsTest, AfterACameraFailedTheSwitchFilmsWithTheOtherOneLockedOrSaysWhyNot) {
    switchAfterAFailureFilmsWithTheOtherCameraLocked();
}

TEST_F(CaptureWebcamControlsTest, TheStoredWebcamFilmsWhateverNodeTheKernelGaveIt) {
    opensTheStoredCameraWhateverNodeTheKernelGaveIt();
}

}  // namespace
}  // namespace capturetest
