#include "GreenScreenFixture.h"
#include "app/capture/CaptureScreenTestSupport.h"
#include "app/capture/chromakey/ChromaKeyBackdrop.h"
#include "app/capture/chromakey/ChromaKeyConfigurationViewController.h"
#include "app/core/BundleImage.h"
#include "components/gpuimage/GPUImageView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/lists/TableViewCell.h"
#include "support/FakeV4l2Device.h"

#include <cerrno>
#include <gmock/gmock.h>

namespace chromakeytest {
namespace {

// The capture screen with the green-screen camera as its current source:
// a camera whose left half is green, over a blue backdrop.
class GreenScreenCaptureTest : public capturetest::CaptureScreenTest {
protected:
    void SetUp() override {
        CaptureScreenTest::SetUp();
        auto config = capture::SyntheticCaptureBackend::backCamera();
        config.pictures = {splitPicture(1920, 1080, QColor(0, 255, 0), QColor(230, 120, 40), 0.4)};
        backend = std::make_shared<capture::SyntheticCaptureBackend>(
            std::vector<capture::SyntheticCameraConfig>{std::move(config)});
        capture::setCaptureBackend(backend);
        greenScreen = std::make_shared<CaptureChromaKeyCamera>();
        sources = {greenScreen, camera};
    }
    void TearDown() override {
        CaptureScreenTest::TearDown();
        greenScreen.reset();
        capture::setCaptureBackend(nullptr);
    }

    std::shared_ptr<CaptureViewController> openGreenScreen() {
        auto project = storedProject();
        EXPECT_TRUE(chromakeybackdrop::storeBackdrop(
                        *project, graphics::Image(splitPicture(64, 36, QColor(0, 0, 255), QColor(0, 0, 255))))
                        .ok());
        DataManager::sharedDataManager().setCurrentCaptureSourceID("CaptureChromaKeyCamera");
        openScreen(project);
        if (!screen->btnAdditionalCaptureControls()) {
            // The tablet's screen takes its settings button from the editor.
            const graphics::Rect bounds = screen->view()->bounds();
            editorButton =
                std::make_shared<ui::Button>(ui::ButtonType::Custom, graphics::Rect{bounds.width() - 120, 12, 44, 44});
            screen->view()->addSubview(editorButton);
            screen->setBtnAdditionalCaptureControls(editorButton);
        }
        settingsButton = screen->btnAdditionalCaptureControls();
        advance(0.5);
        return screen;
    }

    // Opens the settings from the screen's button and walks through each
    // popover screen, saving a picture of every one.
    void savePictures(const std::string& size) {
        savePicture("chromakey_capture_" + size + ".png");
        tap(settingsButton);
        advance(0.5);
        ASSERT_TRUE(greenScreen->popoverController());
        savePicture("chromakey_capture_settings_" + size + ".png");
        auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(
            greenScreen->popoverController()->contentViewController());
        ASSERT_TRUE(navigation);
        auto root = std::dynamic_pointer_cast<ChromaKeyListViewController>(navigation->viewControllers().front());
        const auto names = {"background", "color"};
        size_t row = 0;
        for (const char* name : names) {
            tap(root->tableView()->cellForRowAtIndexPath({0, row++}).get());
            advance(0.5);
            savePicture("chromakey_capture_" + std::string(name) + "_" + size + ".png");
            if (std::string(name) == "background") {
                auto backdrops =
                    std::dynamic_pointer_cast<ChromaKeyListViewController>(navigation->viewControllers().back());
                tap(backdrops->tableView()->cellForRowAtIndexPath({0, 2}).get());
                advance(0.5);
                savePicture("chromakey_capture_theme_" + size + ".png");
                navigation->popViewController(false);
            }
            navigation->popViewController(false);
            advance(0.5);
        }
    }

    // The source's settings button shows, with the source's icon, only while
    // the current source has settings of its own.
    void expectSettingsButtonFollowsTheSource() {
        openGreenScreen();
        ASSERT_TRUE(settingsButton);
        EXPECT_FALSE(settingsButton->isHidden());
        EXPECT_TRUE(settingsButton->isDescendantOfView(screen->view()));
        EXPECT_FALSE(settingsButton->imageForState(ui::ControlStateNormal).isNull());
        screen->switchCaptureSource(camera);
        advance(0.5);
        EXPECT_TRUE(settingsButton->isHidden());
    }

    // The shutter stores a keyed frame whose unkeyed part is `colour`.
    void expectAFrameFrom(graphics::RGBA colour) {
        auto list = screen->project()->getFrameList();
        const int64_t before = list->count();
        tap(screen->recordBtn());
        advance(0.5);
        ASSERT_EQ(list->count(), before + 1);
        auto stored = KWImageProducer(screen->project()).getOriginialImageForFrameAtIndex(list->getCaptureIndex() - 1);
        ASSERT_TRUE(stored);
        EXPECT_TRUE(near(stored->pixelAt(1700, 540), colour, 16)) << "a frame of another camera";
    }

    // A webcam as Qt lists it (no position, its node's path as identifier),
    // filming a green part beside a colour of its own.
    struct Webcam {
        std::shared_ptr<testsupport::FakeV4l2Device> table;
        const char* path;
        graphics::RGBA colour;
    };
    static Webcam webcam(std::shared_ptr<testsupport::FakeV4l2Device> table, const char* path, graphics::RGBA colour) {
        return {std::move(table), path, colour};
    }
    static Webcam webcam(const char* card, const char* path, graphics::RGBA colour) {
        auto table = testsupport::FakeV4l2Device::webcam();
        table->card = card;
        return {std::move(table), path, colour};
    }
    static capture::SyntheticCameraConfig listed(const Webcam& webcam, bool toldLater = false) {
        auto config = webcam.table->asListed(webcam.path);
        const auto [r, g, b, a] = webcam.colour;
        config.pictures = {splitPicture(1920, 1080, QColor(0, 255, 0), QColor(r, g, b, a), 0.4)};
        config.reportsFailuresLater = toldLater;
        return config;
    }
    // The screen on the green screen over these webcams; `toldLater`: the
    // backend tells a camera's failure on a later turn (GStreamer) rather
    // than inside the step (FFmpeg).
    void openGreenScreenOn(const std::vector<Webcam>& webcams, bool toldLater = false) {
        if (screen && !screen->isClosing()) screen->finishUpAndExit();
        std::vector<capture::SyntheticCameraConfig> configs;
        for (const Webcam& webcam : webcams) configs.push_back(listed(webcam, toldLater));
        backend = std::make_shared<capture::SyntheticCaptureBackend>(configs);
        capture::setCaptureBackend(backend);
        openGreenScreen();
    }
    // The green screen films with the webcam: its name, its node streaming,
    // its picture keyed into a frame the shutter stores.
    void expectFilmingWith(const Webcam& webcam) {
        EXPECT_EQ(greenScreen->currentCameraName(), webcam.table->card);
        EXPECT_EQ(DataManager::sharedDataManager().captureDeviceID(), webcam.path);
        EXPECT_TRUE(greenScreen->isReadyToCapture());
        EXPECT_TRUE(backend->driver(webcam.path)->isStreaming());
        advance(0.3);  // its frames reach the graph
        expectAFrameFrom(webcam.colour);
    }

    std::shared_ptr<capture::SyntheticCaptureBackend> backend;
    std::shared_ptr<CaptureChromaKeyCamera> greenScreen;
    std::shared_ptr<ui::Button> editorButton;
    ui::Button* settingsButton = nullptr;
};

TEST_F(GreenScreenCaptureTest, TheShutterStoresTheKeyedPictureAsAFrame) {
    openGreenScreen();
    ASSERT_FALSE(greenScreen->error());
    const int64_t before = screen->project()->getFrameList()->count();
    tap(screen->recordBtn());
    advance(0.5);
    auto list = screen->project()->getFrameList();
    ASSERT_EQ(list->count(), before + 1);
    KWImageProducer producer(screen->project());
    auto stored = producer.getOriginialImageForFrameAtIndex(list->getCaptureIndex() - 1);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->pixelWidth(), 1920);
    EXPECT_EQ(stored->pixelHeight(), 1080);
    EXPECT_TRUE(near(stored->pixelAt(200, 540), {0, 0, 255, 255}, 16)) << "the green half shows the backdrop";
    EXPECT_TRUE(near(stored->pixelAt(1700, 540), {230, 120, 40, 255}, 16));
}

TEST_F(GreenScreenCaptureTest, SettingsButtonShowsOnlyWhileTheSourceHasSettingsOnTheTablet) {
    expectSettingsButtonFollowsTheSource();
}

TEST_F(GreenScreenCaptureTest, SettingsButtonShowsOnlyWhileTheSourceHasSettingsOnThePhone) {
    usePhone();
    expectSettingsButtonFollowsTheSource();
}

TEST_F(GreenScreenCaptureTest, PicturesOnTheTablet) {
    openGreenScreen();
    savePictures("1024x768");
}

TEST_F(GreenScreenCaptureTest, PicturesOnThePhone) {
    usePhone();
    openGreenScreen();
    savePictures("568x320");
}

TEST_F(GreenScreenCaptureTest, TwoDeskWebcamsAreSwitchedInTurnAndTheChoiceIsKept) {
    // Qt lists webcams without a position, in an order of its own.
    const Webcam usb = webcam("USB Camera", "/dev/video2", {150, 40, 200, 255});
    const Webcam integrated = webcam("Integrated Camera", "/dev/video0", {230, 120, 40, 255});
    auto& settings = DataManager::sharedDataManager();

    openGreenScreenOn({usb, integrated});
    ASSERT_FALSE(greenScreen->error());
    expectFilmingWith(integrated);  // none stored: the first
    ASSERT_FALSE(screen->capturedeviseBtn()->isHidden()) << "two cameras: the switch is offered";
    tap(screen->buttonOptions());  // the panel with the switch
    advance(0.35);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        for (const Webcam& webcam : {usb, integrated}) {
            tap(screen->capturedeviseBtn());
            EXPECT_EQ(hudText(), webcam.table->card);
            expectFilmingWith(webcam);
            EXPECT_EQ(backend->driver(usb.path)->isStreaming(), webcam.path == std::string(usb.path)) << "one films";
        }
    }
    EXPECT_TRUE(alertMessages().empty());

    // The next visit takes the camera chosen; one since unplugged gives way to the first.
    tap(screen->capturedeviseBtn());
    screen->finishUpAndExit();
    openGreenScreen();
    expectFilmingWith(usb);
    screen->finishUpAndExit();
    settings.setCaptureDeviceID("/dev/video6");
    openGreenScreen();
    expectFilmingWith(integrated);
}

// ---- failures told as they are -------------------------------------------------------------

constexpr const char* kInUse = "The camera is in use by another program.";
constexpr graphics::RGBA kOrange{230, 120, 40, 255}, kPurple{150, 40, 200, 255};

TEST_F(GreenScreenCaptureTest, ACameraAnotherProgramStreamsIsToldAndTheOtherOneOffered) {
    for (const bool toldLater : {false, true}) {
        SCOPED_TRACE(toldLater ? "told on a later turn (GStreamer)" : "told inside the start (FFmpeg)");
        DataManager::resetForTesting();
        const Webcam busy = webcam("HD Webcam C525", "/dev/video0", kOrange);
        busy.table->streamedElsewhere = true;
        // The only camera: the message, not a black preview.
        openGreenScreenOn({busy}, toldLater);
        ASSERT_EQ(alertMessages(), std::vector<std::string>{kInUse});
        EXPECT_EQ(ui::AlertView::visibleAlerts()[0]->numberOfButtons(), 1) << "no other camera to offer";
        EXPECT_FALSE(greenScreen->isReadyToCapture());
        EXPECT_FALSE(backend->driver(busy.path)->isStreaming());
        EXPECT_TRUE(backend->device(busy.path)->isConnected()) << "not an unplugged camera";
        dismissAlerts();

        // Another camera beside it is offered, and comes with the locks the screen shows.
        DataManager::sharedDataManager().setWhiteBalanceMode(kCaptureModeLocked);
        DataManager::sharedDataManager().setFocusMode(kCaptureModeLocked);
        const Webcam usb = webcam("USB Camera", "/dev/video2", kPurple);
        openGreenScreenOn({busy, usb}, toldLater);
        ASSERT_EQ(alertMessages(), std::vector<std::string>{kInUse});
        tapAlertButton("Use Other Camera");
        EXPECT_TRUE(alertMessages().empty());
        EXPECT_EQ(hudText(), "USB Camera");
        expectLocked(*usb.table);
        expectFilmingWith(usb);
        screen->finishUpAndExit();
    }
}

TEST_F(GreenScreenCaptureTest, ASwitchToACameraAnotherProgramStreamsSaysSoAndTheFirstFilmsOnLocked) {
    for (const bool toldLater : {false, true}) {
        SCOPED_TRACE(toldLater ? "told on a later turn (GStreamer)" : "told inside the switch (FFmpeg)");
        DataManager::resetForTesting();
        const Webcam integrated = webcam("Integrated Camera", "/dev/video0", kOrange);
        const Webcam busy = webcam("USB Camera", "/dev/video2", kPurple);
        busy.table->streamedElsewhere = true;
        openGreenScreenOn({integrated, busy}, toldLater);
        ASSERT_TRUE(alertMessages().empty());
        lockWithTheButtons();
        expectLocked(*integrated.table);

        tap(screen->capturedeviseBtn());
        advance(0.3);
        EXPECT_EQ(alertMessages(), std::vector<std::string>{kInUse});
        EXPECT_FALSE(backend->driver(busy.path)->isStreaming());
        EXPECT_FALSE(screen->buttonWhiteBalance()->isHidden());
        expectLocked(*integrated.table);
        dismissAlerts();
        expectFilmingWith(integrated);

        // Once the other program lets go, the switch goes through.
        busy.table->streamedElsewhere = false;
        tap(screen->capturedeviseBtn());
        advance(0.3);
        EXPECT_TRUE(alertMessages().empty());
        EXPECT_EQ(hudText(), "USB Camera");
        expectLocked(*busy.table);
        expectFilmingWith(busy);
        screen->finishUpAndExit();
    }
}

TEST_F(GreenScreenCaptureTest, ACameraWithoutPermissionSaysHowToGetItAtStartAndOnASwitch) {
    const auto expectPermissionTold = [] {
        const auto messages = alertMessages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_THAT(messages[0], testing::HasSubstr("no permission"));
        EXPECT_THAT(messages[0], testing::HasSubstr("\"video\" group"));
    };
    // The node's group is "video", and the user is not in it.
    const Webcam refused = webcam("USB Camera", "/dev/video2", kPurple);
    refused.table->openError = EACCES;
    openGreenScreenOn({refused});
    expectPermissionTold();
    EXPECT_FALSE(greenScreen->isReadyToCapture());
    EXPECT_TRUE(backend->device(refused.path)->isConnected()) << "not an unplugged camera";
    dismissAlerts();

    // A switch to it says so, and the camera in use films on, locked.
    const Webcam integrated = webcam("Integrated Camera", "/dev/video0", kOrange);
    DataManager::sharedDataManager().setCaptureDeviceID(integrated.path);
    openGreenScreenOn({integrated, refused});
    ASSERT_TRUE(alertMessages().empty());
    lockWithTheButtons();
    tap(screen->capturedeviseBtn());
    expectPermissionTold();
    expectLocked(*integrated.table);
    dismissAlerts();
    expectFilmingWith(integrated);
}

TEST_F(GreenScreenCaptureTest, ACameraPluggedBackInWhileTheScreenSaysNoneComesBackLocked) {
    const Webcam first = webcam("HD Webcam C525", "/dev/video0", kOrange);
    openGreenScreenOn({first});
    lockWithTheButtons();
    expectLocked(*first.table);
    backend->unplug(first.path);
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(alertMessages(), (std::vector<std::string>{"No capture device found."}));
    EXPECT_FALSE(greenScreen->isReadyToCapture());
    EXPECT_TRUE(screen->isWatchingForCamera());
    advance(3.0);
    EXPECT_EQ(alertMessages().size(), 1u) << "told once";

    // Back with its automatics on (it lost power), which have reached other
    // values since: it is the same camera, and holds what it held.
    const Webcam again = webcam(otherWebcam("HD Webcam C525"), "/dev/video0", kPurple);
    backend->plugIn(listed(again));
    advance(CaptureViewController::kCameraWatchInterval);
    foundation::RunLoop::main().runUntilIdle();
    ASSERT_TRUE(greenScreen->isReadyToCapture());
    EXPECT_TRUE(alertMessages().empty()) << "the message is no longer true";
    advance(0.5);  // it fades out
    EXPECT_FALSE(screen->isWatchingForCamera());
    EXPECT_FALSE(screen->buttonWhiteBalance()->isHidden());
    expectLocked(*again.table);
    expectFilmingWith(again);
}

}  // namespace
}  // namespace chromakeytest
