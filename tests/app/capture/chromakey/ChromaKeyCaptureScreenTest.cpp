#include "GreenScreenFixture.h"
#include "app/capture/CaptureScreenTestSupport.h"
#include "app/capture/chromakey/ChromaKeyBackdrop.h"
#include "app/capture/chromakey/ChromaKeyConfigurationViewController.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "app/core/BundleImage.h"
#include "components/gpuimage/GPUImageView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/lists/TableViewCell.h"
#include "support/HostInput.h"

#include <QtCore/qnamespace.h>

namespace chromakeytest {
namespace {

// The capture screen with the green-screen camera as its current source:
// a camera whose left half is green, over a blue backdrop.
class GreenScreenCaptureTest : public capturetest::WebcamScreenTest {
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

    // The click right after Escape closed the settings works the control it
    // is aimed at (the timer's button) on the real input path, as does the
    // click after a tap outside closed them.
    void expectTheClickAfterTheSettingsCloseActs() {
        openGreenScreen();
        testsupport::HostInput input(window);
        auto centre = [](const ui::View& view) {
            return view.convertPointToView({view.bounds().midX(), view.bounds().midY()}, nullptr);
        };
        for (const bool escape : {true, false}) {
            SCOPED_TRACE(escape ? "Escape" : "a tap outside");
            input.click(centre(*settingsButton));
            advance(0.5);
            ASSERT_TRUE(greenScreen->popoverController());
            ASSERT_TRUE(greenScreen->popoverController()->isPopoverVisible());
            if (escape)
                input.key(Qt::Key_Escape);
            else
                input.click({screen->view()->bounds().midX(), screen->view()->bounds().maxY() - 20});
            advance(0.05);
            input.click(centre(*screen->btnTimerConfig()));
            ASSERT_TRUE(screen->popoverController()) << "the timer's click was lost";
            advance(0.5);
            EXPECT_TRUE(screen->popoverController()->isPopoverVisible());
            EXPECT_FALSE(greenScreen->popoverController());
            input.key(Qt::Key_Escape);
            advance(0.5);
        }
    }

    void openSource(bool) override { openGreenScreen(); }
    CaptureController& source() override { return *greenScreen; }

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

TEST_F(GreenScreenCaptureTest, TheClickAfterTheSettingsCloseActsOnTheTablet) {
    expectTheClickAfterTheSettingsCloseActs();
}

TEST_F(GreenScreenCaptureTest, TheClickAfterTheSettingsCloseActsOnThePhone) {
    usePhone();
    expectTheClickAfterTheSettingsCloseActs();
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

TEST_F(GreenScreenCaptureTest, DeskWebcamsSwitchByIdentityLockedAndOneInUseOrWithoutPermissionIsToldAndLeftAlone) {
    switchesByIdentityAndTellsACameraInUseOrRefused();
}

TEST_F(GreenScreenCaptureTest, ACameraPluggedInWhileTheScreenSaysNoneComesBackLocked) {
    bringsBackLockedACameraPluggedIn();
}

TEST_F(GreenScreenCaptureTest, AfterACameraFailedTheSwitchFilmsWithTheOtherOneLockedOrSaysWhyNot) {
    switchAfterAFailureFilmsWithTheOtherCameraLocked();
}

TEST_F(GreenScreenCaptureTest, TheStoredWebcamFilmsWhateverNodeTheKernelGaveIt) {
    opensTheStoredCameraWhateverNodeTheKernelGaveIt();
}

}  // namespace
}  // namespace chromakeytest
