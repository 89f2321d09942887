#include "app/capture/CaptureScreenRules.h"
#include "app/capture/CaptureScreenTestSupport.h"
#include "app/capture/TimerConfigurationViewController.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "app/widgets/views/DACircularProgressView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Slider.h"

namespace capturetest {
namespace {

class CaptureTimerTest : public CaptureScreenTest {
protected:
    // Sets the interval through the timer picker: its slider moves in 5 s
    // steps; other intervals come through its change handler.
    void chooseInterval(double seconds) {
        screen->actionTimerConfiguration();
        auto* popover = screen->popoverController();
        ASSERT_NE(popover, nullptr);
        auto picker = std::dynamic_pointer_cast<TimerConfigurationViewController>(popover->contentViewController());
        ASSERT_NE(picker, nullptr);
        picker->sliderTimer()->setValue(seconds);
        picker->actionSliderValueChanged();
        if (int64_t(seconds) % 5 != 0) picker->handlerValueChange(int64_t(seconds));
        popover->dismissPopoverAnimated(false);
    }
    void pressVolumeUp() { media::SystemVolume::shared().stepVolume(1); }
};

TEST_F(CaptureTimerTest, IntervalsBeepAndCaptureOnTheVirtualClock) {
    struct Case {
        double interval;
        double run;
        int captures;
        int beeps;
    };
    // 2 s never beeps; 3 s beeps as each interval starts (so once more than
    // it captured); 10 s beeps once per interval, 3 s before its picture.
    const Case cases[] = {{2, 7, 3, 0}, {3, 10, 3, 4}, {10, 25, 2, 2}, {10, 28, 2, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.interval << " s for " << c.run << " s");
        auto open = std::make_shared<FakeSource>();
        sources[0] = open;
        camera = open;
        output = std::make_shared<media::NullAudioOutput>();
        media::AudioOutput::setShared(output);
        openScreen(storedProject());
        chooseInterval(c.interval);
        EXPECT_EQ(screen->timerInterval(), int64_t(c.interval * 1000));
        EXPECT_TRUE(screen->btnTimerConfig()->isSelected());
        const double start = foundation::RunLoop::main().now();
        tap(screen->recordBtn());
        ASSERT_TRUE(screen->isTimerRunning());
        EXPECT_TRUE(screen->recordBtn()->isSelected());
        advance(c.run);
        EXPECT_EQ(camera->captures.load(), c.captures);
        EXPECT_EQ(plays("beep.aiff"), c.beeps);
        EXPECT_EQ(plays("camera3.wav"), c.captures);
        // Each picture comes on the loop's first pass after the interval is
        // over, 0.1 s later; the next interval starts at that pass.
        double intervalStart = start;
        for (double at : camera->captureTimes) {
            EXPECT_GT(at - intervalStart, c.interval + 0.1 - 1e-6);
            EXPECT_LE(at - intervalStart, c.interval + 0.2 + 1e-6);
            intervalStart = at - capturescreen::kLoopInterval;
        }
        // The ring shows the running interval, and 1.0 once stopped.
        const double elapsed = foundation::RunLoop::main().now() - intervalStart;
        EXPECT_NEAR(screen->progressTimer()->progress(), elapsed / c.interval, 0.1 / c.interval + 1e-3);
        tap(screen->recordBtn());
        EXPECT_FALSE(screen->isTimerRunning());
        EXPECT_EQ(screen->progressTimer()->progress(), 1.0);
        advance(2 * c.interval);
        EXPECT_EQ(camera->captures.load(), c.captures);
        screen->finishUpAndExit();
    }
}

TEST_F(CaptureTimerTest, PickerStopsTheTimerAndZeroMakesTheShutterTakeSinglePictures) {
    openScreen(storedProject());
    chooseInterval(5);
    tap(screen->recordBtn());
    ASSERT_TRUE(screen->isTimerRunning());
    chooseInterval(0);
    EXPECT_FALSE(screen->isTimerRunning());
    EXPECT_FALSE(screen->btnTimerConfig()->isSelected());
    tap(screen->recordBtn());
    EXPECT_EQ(camera->captures.load(), 1);
    EXPECT_FALSE(screen->isTimerRunning());
    // Disabling the controls stops a running timer too.
    chooseInterval(15);
    screen->actionPauseRecord();
    ASSERT_TRUE(screen->isTimerRunning());
    screen->disableControls(true);
    EXPECT_FALSE(screen->isTimerRunning());
    EXPECT_FALSE(screen->recordBtn()->isEnabled() || screen->buttonOptions()->isEnabled() ||
                 screen->btnTimerConfig()->isEnabled());
}

TEST_F(CaptureTimerTest, TimerBeepIsStoppedWithTheTimerAndSilentWithSoundsOff) {
    DataManager::sharedDataManager().setIsGUISoundEnabled(false);
    openScreen(storedProject());
    chooseInterval(5);
    tap(screen->recordBtn());
    advance(6);
    EXPECT_EQ(camera->captures.load(), 1);
    EXPECT_EQ(output->totalPlays(), 0);

    DataManager::sharedDataManager().setIsGUISoundEnabled(true);
    // Into the next interval's countdown, until the beep starts.
    for (int step = 0; step < 60 && plays("beep.aiff") == 0; ++step) advance(0.05);
    ASSERT_EQ(plays("beep.aiff"), 1);
    ASSERT_TRUE(screen->audioTimer()->isPlaying());
    tap(screen->recordBtn());
    EXPECT_EQ(output->stops("beep.aiff"), 1);
}

TEST_F(CaptureTimerTest, VolumeKeysTakePicturesOnlyWhenTheScreenIsReadyForThem) {
    auto& volume = media::SystemVolume::shared();
    openScreen(storedProject());
    // Within the first 2.0 s the key only changes the volume.
    advance(1.0);
    pressVolumeUp();
    EXPECT_EQ(camera->captures.load(), 0);
    EXPECT_FLOAT_EQ(volume.volume(), 0.5625f);
    EXPECT_FLOAT_EQ(screen->lastVolume(), 0.5f);

    advance(1.05);
    ASSERT_TRUE(screen->isVolumeControllerActive());
    int posted = 0;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        media::SystemVolume::kDidChangeNotification, nullptr, [&](const foundation::Notification&) { ++posted; });
    pressVolumeUp();
    // One picture; the volume is back where it was and its echo took none.
    EXPECT_EQ(camera->captures.load(), 1);
    EXPECT_FLOAT_EQ(volume.volume(), 0.5f);
    EXPECT_EQ(posted, 2);

    // None while the time-lapse runs, nor with the controls disabled.
    chooseInterval(30);
    screen->actionPauseRecord();
    ASSERT_TRUE(screen->isTimerRunning());
    pressVolumeUp();
    screen->actionPauseRecord();  // stops the timer
    screen->disableControls(true);
    pressVolumeUp();
    EXPECT_EQ(camera->captures.load(), 1);
}

TEST_F(CaptureTimerTest, OnTheTabletAVolumeKeyOverTheStoredPictureOnlyChangesTheVolume) {
    openScreen(storedProject());
    advance(2.1);
    screen->sliderOverlayControl()->setValue(0.0);
    screen->actionSliderOverlayValueChanged();
    media::SystemVolume::shared().stepVolume(-1);
    EXPECT_EQ(camera->captures.load(), 0);
    EXPECT_FLOAT_EQ(screen->lastVolume(), 0.4375f);
    ui::View* volumeView = screen->view()->viewWithTag(CaptureViewController::kVolumeViewTag);
    ASSERT_NE(volumeView, nullptr);
    EXPECT_EQ(volumeView->alpha(), 0.0);
    advance(CaptureViewController::kVolumeViewHideDelay + 0.01);
    EXPECT_EQ(volumeView->alpha(), 1.0);
}

TEST_F(CaptureTimerTest, WatchRequestsUseTheShutterWhileItIsEnabled) {
    openScreen(storedProject());
    auto request = [] {
        foundation::NotificationCenter::defaultCenter().post(CaptureViewController::kWatchKitActionCaptureNotification);
    };
    screen->disableControls(true);
    request();
    EXPECT_EQ(camera->captures.load(), 0);
    screen->disableControls(false);
    request();
    EXPECT_EQ(camera->captures.load(), 1);
    EXPECT_EQ(screen->project()->getFrameList()->count(), 3);
}

// Presses through the window, a volume key and a watch request, all faster
// than the pictures are stored: each makes a picture of its own, one after
// the other, with its own shutter sound.
TEST_F(CaptureTimerTest, EveryShutterPressMakesAPictureAlsoWhileOneIsOnItsWay) {
    for (bool holds : {false, true}) {
        SCOPED_TRACE(holds ? "a camera busy until its picture is in" : "pictures from the camera's queue");
        auto open = std::make_shared<FakeSource>();
        open->onCameraQueue = !holds;
        open->holdsPictures = holds;
        sources[0] = camera = open;
        output = std::make_shared<media::NullAudioOutput>();
        media::AudioOutput::setShared(output);
        auto project = storedProject();
        openScreen(project);
        advance(CaptureViewController::kVolumeControlDelay + 0.05);
        ASSERT_TRUE(screen->isVolumeControllerActive());
        const float volume = media::SystemVolume::shared().volume();

        // Taps that do not turn the run loop: no picture is stored meanwhile.
        fingers->tapDuration = 0;
        tap(screen->recordBtn());
        tap(screen->recordBtn());
        pressVolumeUp();
        foundation::NotificationCenter::defaultCenter().post(CaptureViewController::kWatchKitActionCaptureNotification);
        tap(screen->recordBtn());
        EXPECT_EQ(camera->captures.load(), 1) << "one picture at a time";
        EXPECT_EQ(screen->pendingShutterPresses(), 4);
        EXPECT_FLOAT_EQ(media::SystemVolume::shared().volume(), volume) << "the key's volume change was undone";
        EXPECT_TRUE(screen->recordBtn()->isEnabled());

        for (int delivered = 0; holds && delivered < 5 && camera->captures.load() == delivered + 1; ++delivered)
            camera->deliver();
        ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return project->getFrameList()->count() == 7; }, 30));
        foundation::RunLoop::main().runUntilIdle();
        EXPECT_EQ(camera->captures.load(), 5);
        EXPECT_EQ(project->getFrameList()->count(), 7);
        EXPECT_EQ(project->getFrameList()->getFrameAtIndex(6)->type(), Frame::kTypeCaptureSlot);
        EXPECT_EQ(plays("camera3.wav"), 5);
        EXPECT_EQ(screen->pendingShutterPresses(), 0);
        EXPECT_FALSE(screen->isCapturing());
        screen->finishUpAndExit();
    }
}

TEST_F(CaptureTimerTest, AStopPressStopsTheTimeLapseWhileItsPictureIsOnItsWay) {
    camera->holdsPictures = true;
    openScreen(storedProject());
    chooseInterval(2);
    tap(screen->recordBtn());
    ASSERT_TRUE(screen->isTimerRunning());
    advance(2.25);
    ASSERT_EQ(camera->captures.load(), 1);
    ASSERT_FALSE(camera->isReadyToCapture()) << "the camera is busy with the time-lapse's picture";
    tap(screen->recordBtn());
    EXPECT_FALSE(screen->isTimerRunning());
    EXPECT_EQ(screen->pendingShutterPresses(), 0) << "a stop is no picture";
    // A start while the picture is still on its way starts at once; its first
    // picture is an interval away anyway.
    tap(screen->recordBtn());
    EXPECT_TRUE(screen->isTimerRunning());
    tap(screen->recordBtn());
    EXPECT_FALSE(screen->isTimerRunning());
    camera->deliver();
    foundation::RunLoop::main().runUntilIdle();
    advance(5);
    EXPECT_EQ(camera->captures.load(), 1);
    EXPECT_EQ(screen->project()->getFrameList()->count(), 3);
}

}  // namespace
}  // namespace capturetest
