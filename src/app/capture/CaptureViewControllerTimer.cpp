// The time-lapse timer, the screen's 0.1 s loop, the volume keys as shutter
// and watch requests.

#include "app/capture/CaptureScreenRules.h"
#include "app/capture/CaptureViewController.h"
#include "app/capture/TimerConfigurationViewController.h"
#include "app/core/DataManager.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "app/widgets/views/DACircularProgressView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/SystemVolume.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Slider.h"

namespace {

constexpr double kSliderFadeDuration = 0.25;
// Where the hidden volume view waits: above the screen.
constexpr double kVolumeViewY = -300.0;

double now() { return foundation::RunLoop::main().now(); }

}  // namespace

// ---- the timer picker ------------------------------------------------------------------

void CaptureViewController::actionTimerConfiguration() {
    if (mIsTimer_) stopTimer();
    auto picker = std::make_shared<TimerConfigurationViewController>();
    picker->value = mTimerIntervall_ / 1000;
    picker->preferredContentSize = {320, 70};
    picker->handlerValueChange = life_.guard([this](int64_t seconds) {
        mTimerIntervall_ = seconds * 1000;
        btnTimerConfig_->setSelected(seconds != 0);
    });
    kwpopoverController_ = std::make_shared<KWPopoverController>(picker);
    const graphics::Rect from = btnTimerConfig_->superview()->convertRectToView(btnTimerConfig_->frame(), view());
    kwpopoverController_->presentPopoverFromRect(from, *view(), kPopoverArrowDirectionRight, true);
}

// ---- running the timer ------------------------------------------------------------------

void CaptureViewController::startTimer() {
    mIsTimer_ = true;
    recordBtn_->setSelected(true);
    progressTimer_->setProgress(1.0);
    lastIntervalTimestamp_ = now();
}

void CaptureViewController::stopTimer() {
    mIsTimer_ = false;
    pendingTimerPicture_ = false;
    if (audioTimer_ && audioTimer_->isPlaying()) audioTimer_->stop();
    recordBtn_->setSelected(false);
    progressTimer_->setProgress(1.0);
}

void CaptureViewController::onLoopTimer() {
    const double time = now();
    if (sliderZoom_->alpha() == 1.0 && time - dateZoomLastUse_ > kZoomSliderFadeAfter) {
        auto slider = sliderZoom_;
        ui::animate(kSliderFadeDuration, [slider] { slider->setAlpha(0.0); });
    }
    if (sliderExposureBias_->alpha() == 1.0 && time - dateLastExposureSliderUsed_ > kExposureSliderFadeAfter) {
        auto slider = sliderExposureBias_;
        auto square = viewFocusRect_;
        ui::animate(kSliderFadeDuration, [slider, square] {
            slider->setAlpha(0.0);
            square->setAlpha(0.0);
        });
    }
    if (!mIsTimer_) return;
    const float elapsed = static_cast<float>(time - lastIntervalTimestamp_);
    const capturescreen::TimerTick tick = capturescreen::timerTick(mTimerIntervall_, elapsed, mIsTimerAudioPlayed_);
    progressTimer_->setProgress(tick.progress);
    if (tick.beep) {
        mIsTimerAudioPlayed_ = true;
        if (DataManager::sharedDataManager().isGUISoundEnabled() && audioTimer_) audioTimer_->play();
    }
    if (tick.capture) {
        lastIntervalTimestamp_ = time;
        mIsTimerAudioPlayed_ = false;
        performOnMain(capturescreen::kLoopInterval, [this] { onCaptureImageTimer(); });
    }
}

void CaptureViewController::onCaptureImageTimer() {
    if (!captureSource_) return;
    // One picture at a time: a source asked again before it answered may
    // answer once for both.
    if (isTakingPicture_) {
        pendingTimerPicture_ = true;
        return;
    }
    takePicture(true);
}

// ---- volume keys --------------------------------------------------------------------------

void CaptureViewController::initVolumeControl() {
    observers_.push_back(foundation::NotificationCenter::defaultCenter().addObserver(
        media::SystemVolume::kDidChangeNotification, nullptr,
        life_.guard([this](const foundation::Notification& notification) { volumeChanged(notification); })));

    if (ui::View* old = view()->viewWithTag(kVolumeViewTag)) old->removeFromSuperview();
    // Stands for the system's volume view: kept off screen, so the volume
    // keys change the volume without a panel showing.
    volumeView_ = ui::makeView<ui::View>(sliderZoom_->frame());
    volumeView_->setCenter({sliderZoom_->center().x, kVolumeViewY});
    volumeView_->setAlpha(1.0);
    volumeView_->setTag(kVolumeViewTag);
    view()->addSubview(volumeView_);

    lastVolume_ = media::SystemVolume::shared().volume();
    performOnMain(kVolumeControlDelay, [this] { setVolueControllerActive(); });
}

void CaptureViewController::volumeChanged(const foundation::Notification& notification) {
    volumeView_->setAlpha(1.0);
    const float volume =
        static_cast<float>(notification.userInfo.get(media::SystemVolume::kVolumeParameterKey).asDouble(lastVolume_));
    if (volume == lastVolume_) return;  // the echo of our own reset

    if (isTablet() && sliderOverlayControl_->value() == 0.0) {
        // The stored picture fills the camera area: the key only changes the volume.
        volumeView_->setAlpha(0.0);
        lastVolume_ = volume;
        performOnMain(kVolumeViewHideDelay, [this] { hideVolumeControllhandler(); });
        return;
    }
    if (recordBtn_->isEnabled() && !mIsTimer_ && isVolumeControllerActiv_ && !isControllsDisabled_) {
        media::SystemVolume::shared().setVolume(lastVolume_);
        actionPauseRecord();
    }
}

void CaptureViewController::hideVolumeControllhandler() { volumeView_->setAlpha(1.0); }

// ---- watch ----------------------------------------------------------------------------------

void CaptureViewController::receiveWatchKitActionCaptureNotification(const foundation::Notification&) {
    if (recordBtn_->isEnabled()) actionPauseRecord();
}
