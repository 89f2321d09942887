#include "app/capture/CaptureScreenTestSupport.h"
#include "app/widgets/alerts/Hudy.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"
#include "support/WindowFixture.h"

namespace capturetest {
namespace {

class CaptureControlsTest : public CaptureScreenTest {
protected:
    // How many labels in the tree under `view` say `text`.
    static int labelsSaying(const ui::View& view, const std::string& text) {
        const auto* label = dynamic_cast<const ui::Label*>(&view);
        int count = label && label->text() == text ? 1 : 0;
        for (const auto& subview : view.subviews()) count += labelsSaying(*subview, text);
        return count;
    }

    // The information display reads every count the program allows whole
    // (projects of 150,000 frames open), and the panel opened beside it covers
    // none of it, nor leaves the window.
    void expectWholeCountsBesideThePanel() {
        const struct {
            int64_t entries;  // the capture slot included
            int64_t slot;
            const char* position;
        } cases[] = {
            {2, 1, "0002 / 0002"},
            {3232, 1616, "1617 / 3232"},
            {150000, 149999, "150000 / 150000"},
            {150000, 0, "0001 / 150000"},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.position);
            if (screen) screen->finishUpAndExit();
            foundation::RunLoop::main().runUntilIdle();
            auto project = ProjectModel::create();
            project->setFPS(1);
            auto list = project->getFrameList();
            const FramePtr slot = list->findFirstOccurrenceOfFrameWithType(Frame::kTypeCaptureSlot);
            list->removeFrame(slot);
            for (int64_t i = 0; i + 1 < c.entries; ++i) {
                if (i == c.slot) list->addFrame(slot);
                list->addFrame(Frame::create(Frame::kTypePicture));
            }
            if (c.slot + 1 == c.entries) list->addFrame(slot);
            openScreen(project);
            ASSERT_EQ(screen->frameLabel()->text(), c.position);
            screen->actionCameraControls();
            advance(0.5);
            for (int mode = 0; mode < 2; ++mode) {
                EXPECT_EQ(testsupport::textCutFault(*window, *screen->frameLabel()), "") << "mode " << mode;
                const graphics::Rect display = testsupport::drawnRect(*window, *screen->frameLabel()->superview());
                for (ui::Button* button : {screen->buttonGrid(), screen->buttonFocus(), screen->buttonSound(),
                                           screen->buttonExposure(), screen->buttonWhiteBalance(),
                                           screen->buttonCaptureSource(), screen->capturedeviseBtn()}) {
                    if (button->isHidden()) continue;
                    const graphics::Rect drawn = testsupport::drawnRect(*window, *button);
                    EXPECT_TRUE(!drawn.isNull() && window->bounds().contains(drawn) && !drawn.intersects(display))
                        << drawn.toString() << " beside the display at " << display.toString();
                }
                screen->actionLCDScreen();
            }
        }
    }
};

TEST_F(CaptureControlsTest, ModeTogglesStoreWhatTheSourceReadsBack) {
    struct Toggle {
        void (CaptureViewController::*action)();
        ui::Button* (CaptureViewController::*button)() const;
        int64_t (DataManager::*stored)() const;
        const char* enabled;
        const char* disabled;
    };
    const Toggle toggles[] = {
        {&CaptureViewController::actionFocus, &CaptureViewController::buttonFocus, &DataManager::focusMode,
         "Autofocus enabled", "Autofocus disabled"},
        {&CaptureViewController::actionExposure, &CaptureViewController::buttonExposure, &DataManager::exposureMode,
         "Automatic Exposure enabled", "Automatic Exposure disabled"},
        {&CaptureViewController::actionWhiteBalance, &CaptureViewController::buttonWhiteBalance,
         &DataManager::whiteBalanceMode, "Automatic White Balance enabled", "Automatic White Balance disabled"},
    };
    openScreen(storedProject());
    auto& settings = DataManager::sharedDataManager();
    for (const Toggle& t : toggles) {
        ui::Button* button = (*screen.*t.button)();
        EXPECT_TRUE(button->isSelected()) << t.enabled;
        (*screen.*t.action)();
        EXPECT_EQ(hudText(), t.disabled);
        EXPECT_FALSE(button->isSelected());
        EXPECT_EQ((settings.*t.stored)(), kCaptureModeLocked);
        (*screen.*t.action)();
        EXPECT_EQ(hudText(), t.enabled);
        EXPECT_TRUE(button->isSelected());
        EXPECT_EQ((settings.*t.stored)(), kCaptureModeContinuousAutomatic);
    }

    // A source that runs automatic-once only keeps it: no HUD, the button
    // off, and the settings learn the mode it really runs.
    auto once = std::make_shared<FakeSource>("CaptureLocalUHDTVCamera", "Ultra HD");
    once->runnableModes = {kCaptureModeAutomatic};
    once->setFocusMode(kCaptureModeAutomatic);
    once->setExposureMode(kCaptureModeAutomatic);
    once->setWhiteBalanceMode(kCaptureModeAutomatic);
    screen->switchCaptureSource(once);
    for (const Toggle& t : toggles) {
        screen->showMessageInHUD("before");
        (*screen.*t.action)();
        EXPECT_EQ(hudText(), "before") << t.enabled;
        EXPECT_FALSE((*screen.*t.button)()->isSelected());
        EXPECT_EQ((settings.*t.stored)(), kCaptureModeAutomatic);
    }
}

TEST_F(CaptureControlsTest, PinchZoomStaysWithinOneToFiveAndOnlyOnSourcesThatZoom) {
    openScreen(storedProject());
    const graphics::Point centre{400, 400};
    struct Case {
        bool zoom;
        double from, to;
        double expected;
    };
    const Case cases[] = {{true, 100, 700, 5.0}, {true, 300, 150, 2.5}, {true, 400, 40, 1.0}, {false, 100, 300, 1.0}};
    double before = 1.0;
    for (const Case& c : cases) {
        camera->zoom = c.zoom;
        // Each pinch starts from the zoom the last one left.
        fingers->pinch(centre, c.from, c.to, 0.3);
        const double expected = c.zoom ? c.expected : before;
        EXPECT_DOUBLE_EQ(screen->effectiveScale(), expected) << c.from << " to " << c.to;
        EXPECT_DOUBLE_EQ(screen->viewCamera()->transform().a, expected);
        EXPECT_FLOAT_EQ(DataManager::sharedDataManager().cameraEffectiveScale(), static_cast<float>(expected));
        before = expected;
    }
    // The slider showed and fades 3 s after the last use.
    EXPECT_EQ(screen->sliderZoom()->alpha(), 1.0);
    advance(3.5);
    EXPECT_EQ(screen->sliderZoom()->alpha(), 0.0);
}

TEST_F(CaptureControlsTest, OnionSkinSnapsToTenthsAndFollowsTheEditorsPlayback) {
    openScreen(storedProject());
    auto& settings = DataManager::sharedDataManager();
    struct Case {
        float in, out;
    };
    for (const Case& c : {Case{0.46f, 0.5f}, Case{0.44f, 0.4f}, Case{0.96f, 1.0f}}) {
        screen->sliderOverlayControl()->setValue(c.in);
        screen->actionSliderOverlayValueChanged();
        EXPECT_FLOAT_EQ(static_cast<float>(screen->sliderOverlayControl()->value()), c.out);
        EXPECT_FLOAT_EQ(settings.overlaySetting(), c.out);
        EXPECT_FLOAT_EQ(static_cast<float>(screen->viewCameraContainer()->alpha()), c.out);
        EXPECT_FLOAT_EQ(static_cast<float>(camera->view()->alpha()), c.out);
    }
    screen->sliderOverlayControl()->setValue(0.5);
    screen->actionSliderOverlayValueChanged();
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.post(CaptureViewController::kDidStartPlayingNotification);
    EXPECT_EQ(screen->viewCameraContainer()->alpha(), 0.0);
    center.post(CaptureViewController::kDidStopPlayingNotification);
    EXPECT_FLOAT_EQ(static_cast<float>(screen->sliderOverlayControl()->value()), 0.5f);
    // A stored frame fills the area whatever the onion skin; the live
    // picture comes back with the skin it had.
    screen->showImageView();
    EXPECT_EQ(screen->sliderOverlayControl()->value(), 0.0);
    EXPECT_EQ(screen->viewCameraContainer()->alpha(), 0.0);
    screen->showImageView();
    screen->showLiveView();
    EXPECT_FLOAT_EQ(static_cast<float>(screen->sliderOverlayControl()->value()), 0.5f);
    screen->showLiveView();  // live already: nothing
    EXPECT_FLOAT_EQ(static_cast<float>(screen->sliderOverlayControl()->value()), 0.5f);
    screen->sliderOverlayControl()->setValue(0.0);
    screen->actionSliderOverlayValueChanged();
    screen->showLiveView();
    EXPECT_EQ(screen->sliderOverlayControl()->value(), 1.0);
    screen->showImageView();
    EXPECT_EQ(screen->sliderOverlayControl()->value(), 0.0);
}

TEST_F(CaptureControlsTest, OnionSkinShowsTheFrameBeforeTheSlotOrTheLastWhenTheSlotIsFirst) {
    usePhone();
    auto project = storedProject();
    auto list = project->getFrameList();
    FramePtr a = list->getFrameAtIndex(0);
    FramePtr slot = list->getFrameAtIndex(1);
    FramePtr b = Frame::create(Frame::kTypePicture);
    KWImageProducer(project).storeImage(syntheticPicture(640, 360), b->frameID());
    list->removeFrame(slot);
    list->insertFrame(slot, 0);
    list->addFrame(b);  // [slot, A, B]
    openScreen(project);
    ASSERT_NE(screen->previewViewController(), nullptr) << "the phone makes its own pane";
    EXPECT_EQ(screen->previewViewController()->lastFrame(), b);
    EXPECT_EQ(screen->previewViewController()->view()->superview(), screen->previewViewControllerPlaceholder());
    EXPECT_EQ(screen->viewCamera()->frame(), (graphics::Rect{0, 0, 568, 320}));
    EXPECT_FALSE(screen->buttonHome()->isHidden());
    // The phone takes the stored onion value; a picture lands in front of the slot.
    EXPECT_FLOAT_EQ(static_cast<float>(screen->sliderOverlayControl()->value()),
                    DataManager::sharedDataManager().overlaySetting());
    screen->actionPauseRecord();
    EXPECT_EQ(list->getFrameAtIndex(0)->type(), Frame::kTypePicture);
    EXPECT_EQ(list->getFrameAtIndex(1), slot);
}

TEST_F(CaptureControlsTest, TapToFocusDrawsTheSquareOnlyWhenTheSourceFocusesAndTheBiasSliderWhereItHasABias) {
    struct Case {
        bool focuses;
        float biasMin, biasMax;
        bool square, slider;
    };
    // A source that cannot focus at the point still offers its bias there.
    const Case cases[] = {
        {false, -2, 2, false, true}, {false, 0, 0, false, false}, {true, 0, 0, true, false}, {true, -2, 2, true, true}};
    for (const Case& c : cases) {
        auto source = std::make_shared<FakeSource>();
        source->focusAnswer = c.focuses;
        source->biasMin = c.biasMin;
        source->biasMax = c.biasMax;
        sources[0] = source;
        camera = source;
        openScreen(storedProject());
        // Switching away and back leaves one tap recognizer on the live view.
        screen->switchCaptureSource(sources[1]);
        screen->switchCaptureSource(source);
        EXPECT_EQ(source->view()->gestureRecognizers().size(), 1u);
        SCOPED_TRACE(testing::Message() << "focuses " << c.focuses << " bias " << c.biasMax);
        EXPECT_EQ(screen->sliderExposureBias()->maximumValue(), c.biasMax);
        fingers->tap({300, 500});
        EXPECT_EQ(!screen->viewFocusRect()->isHidden(), c.square);
        advance(0.3);  // the square has shrunk to its place
        if (c.square) {
            EXPECT_EQ(screen->viewFocusRect()->frame(), (graphics::Rect{267, 467, 66, 66}));
        }
        advance(0.35);
        EXPECT_EQ(screen->sliderExposureBias()->alpha(), c.slider ? 1.0 : 0.0);
        if (c.slider) {
            EXPECT_EQ(screen->sliderExposureBias()->center(), (graphics::Point{310, 550}));
            advance(2.2);  // unused for 2 s: slider and square fade
            EXPECT_EQ(screen->sliderExposureBias()->alpha(), 0.0);
        } else if (c.square) {
            advance(1.0);
        }
        if (c.square) {
            EXPECT_EQ(screen->viewFocusRect()->alpha(), 0.0);
        }
        screen->finishUpAndExit();
    }
}

TEST_F(CaptureControlsTest, PanelGridSoundAndHelpPages) {
    std::vector<std::string> pages;
    CaptureViewController::setHelpPageFactory([&pages](const std::string& page) {
        pages.push_back(page);
        return std::make_shared<ui::ViewController>();
    });
    openScreen(storedProject());
    for (ui::Button* button : {screen->buttonGrid(), screen->buttonSound(), screen->buttonCaptureSource()})
        EXPECT_EQ(button->alpha(), 0.0);
    tap(screen->buttonOptions());
    advance(0.35);
    for (ui::Button* button : {screen->buttonGrid(), screen->buttonSound(), screen->buttonCaptureSource()})
        EXPECT_EQ(button->alpha(), 1.0);

    auto& settings = DataManager::sharedDataManager();
    tap(screen->buttonGrid());
    EXPECT_TRUE(settings.isGridEnabled());
    EXPECT_FALSE(screen->viewGrid()->isHidden());
    tap(screen->buttonSound());
    EXPECT_FALSE(settings.isGUISoundEnabled());
    EXPECT_EQ(hudText(), "Sound disabled");
    screen->actionPauseRecord();
    EXPECT_EQ(output->totalPlays(), 0) << "no shutter sound with sounds off";
    // A message that follows another at once replaces it; both go in time.
    tap(screen->buttonSound());
    EXPECT_EQ(hudText(), "Sound enabled");
    advance(2.0);
    EXPECT_EQ(labelsSaying(*screen->view(), "Sound disabled"), 0);
    EXPECT_EQ(labelsSaying(*screen->view(), "Sound enabled"), 0);
    tap(screen->buttonSound());

    foundation::NotificationCenter::defaultCenter().post(CaptureViewController::kShowHelpPageNotification, nullptr,
                                                         {{"page", foundation::Value("kelbrin-remotecamera")}});
    EXPECT_EQ(pages, std::vector<std::string>{"kelbrin-remotecamera"});
    auto* shown = dynamic_cast<ui::NavigationController*>(screen->presentedViewController());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->modalPresentationStyle, ui::ModalPresentationStyle::FormSheet);
    advance(0.5);
    screen->dismissViewController(false);
    CaptureViewController::setHelpPageFactory(nullptr);
}

TEST_F(CaptureControlsTest, EveryCountReadsWholeBesideThePanelOnTheTablet) {
    expectWholeCountsBesideThePanel();
    savePicture("capture_counter_tablet.png");
}

TEST_F(CaptureControlsTest, EveryCountReadsWholeBesideThePanelOnThePhone) {
    usePhone();
    expectWholeCountsBesideThePanel();
    savePicture("capture_counter_phone.png");
}

}  // namespace
}  // namespace capturetest
