// Taking a picture and storing it as a frame.

#include "app/capture/CaptureScreenRules.h"
#include "app/capture/CaptureViewController.h"
#include "app/core/DataManager.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/controls/Button.h"

#include <algorithm>

// A picture handed over on a source's thread: that thread waits until the
// main thread has handled it or the screen lets it go.
struct CaptureViewController::PictureInFlight {
    foundation::DispatchSemaphore handled;
    std::atomic<bool> released{false};
    void release() {
        if (!released.exchange(true)) handled.signal();
    }
};

void CaptureViewController::actionPauseRecord() {
    if (!captureSource_) return;
    // A stop always stops, also while the source is busy with the
    // time-lapse's picture.
    if (mIsTimer_) {
        stopTimer();
        return;
    }
    if (isTakingPicture_) {
        // The time-lapse's first picture comes an interval later anyway;
        // a single picture waits for the one on its way.
        if (mTimerIntervall_ >= 1)
            startTimer();
        else
            ++pendingShutterPresses_;
        return;
    }
    if (!captureSource_->isReadyToCapture()) {
        if (auto error = captureSource_->error()) showError(error);
        return;
    }
    if (mTimerIntervall_ >= 1)
        startTimer();
    else
        takePicture(!captureSource_->hasShutterSound());
}

void CaptureViewController::takePicture(bool shutterSound) {
    if (shutterSound && DataManager::sharedDataManager().isGUISoundEnabled() && audioCamera_) audioCamera_->play();
    isTakingPicture_ = true;
    // The source may answer at once, on this thread: keep it alive meanwhile.
    CaptureControllerPtr source = captureSource_;
    source->captureImage();
}

void CaptureViewController::takeKeptPicture() {
    if (isTakingPicture_ || isClosing_.load() || !captureSource_) return;
    if (pendingShutterPresses_ > 0) {
        --pendingShutterPresses_;
        if (captureSource_->isReadyToCapture()) {
            takePicture(!captureSource_->hasShutterSound());
            return;
        }
        // The source cannot take them: the presses end in its error.
        pendingShutterPresses_ = 0;
        if (auto error = captureSource_->error()) showError(error);
    }
    if (pendingTimerPicture_) {
        pendingTimerPicture_ = false;
        takePicture(true);
    }
}

void CaptureViewController::captureControllerDidTakeImage(CaptureController&, graphics::Image image) {
    if (isClosing_.load()) return;
    graphics::Image picture = capturescreen::zoomedPicture(image, effectiveScale_.load());
    if (foundation::RunLoop::isMainThread()) {
        didCaptureImage(picture);
        return;
    }
    auto pending = std::make_shared<PictureInFlight>();
    {
        std::lock_guard<std::mutex> lock(inFlightMutex_);
        if (isClosing_.load()) return;
        inFlight_.push_back(pending);
    }
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::main().async([weak, pending, picture] {
        if (auto self = weak.lock()) {
            if (!pending->released.load()) self->didCaptureImage(picture);
            self->forgetPictureInFlight(pending);
        }
        pending->release();
    });
    pending->handled.wait();
}

void CaptureViewController::forgetPictureInFlight(const std::shared_ptr<PictureInFlight>& picture) {
    std::lock_guard<std::mutex> lock(inFlightMutex_);
    inFlight_.erase(std::remove(inFlight_.begin(), inFlight_.end(), picture), inFlight_.end());
}

void CaptureViewController::releasePicturesInFlight() {
    std::vector<std::shared_ptr<PictureInFlight>> waiting;
    {
        std::lock_guard<std::mutex> lock(inFlightMutex_);
        waiting.swap(inFlight_);
    }
    for (const auto& picture : waiting) picture->release();
}

void CaptureViewController::didCaptureImage(const graphics::Image& image) {
    if (isClosing_.load()) return;
    if (!image.isNull()) {
        FramePtr frame = storeImageOperation(image);
        if (frame && previewViewController_) previewViewController_->showFrame(frame);
    }
    if (isTablet()) {
        performOnMain(kGotoCaptureFrameDelay, [this] {
            foundation::NotificationCenter::defaultCenter().post(kGotoCaptureFrameNotification, this);
        });
    }
    isTakingPicture_ = false;
    takeKeptPicture();
}

FramePtr CaptureViewController::storeImageOperation(const graphics::Image& image) {
    if (!imageProducer_) imageProducer_ = std::make_unique<KWImageProducer>(project_);
    ProjectDataWrapper::StoredPicture stored = project_->storeCapturedPicture(image, *imageProducer_);
    if (!stored.frame) {
        showError(stored.error);
        return nullptr;
    }
    // Stored and listed; only the metadata after it failed. The frame stays
    // (its files and the list are on disk), and the user hears of the failure.
    if (stored.error) showError(stored.error);
    updateInfoScreen();
    foundation::NotificationCenter::defaultCenter().post(kAddFrameNotification, this,
                                                         {{kFrameKey, foundation::Value::object(stored.frame)}});
    return stored.frame;
}
