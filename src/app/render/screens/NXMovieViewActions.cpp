// The player screen's controls: play, backwards, forwards, rewind, loop,
// the curtains, the scrubber and leaving.

#include "app/render/screens/AVPlayerDemoPlaybackView.h"
#include "app/render/screens/NXMovieView.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Slider.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int64_t kScrubTimescale = 1'000'000'000;
}

void NXMovieView::actionPlay() {
    noInteractionSinceSeconds_ = 0;
    if (!mPlayer_) return;
    if (mPlayer_->rate() == 1.0f) {
        mPlayer_->setRate(0);
        setPlayButtonImage(kPlayImage);
        return;
    }
    if (mPlayer_->currentTimeSeconds() == mPlayer_->durationSeconds()) mPlayer_->seekToTime(media::MediaTime::zero());
    mPlayer_->setRate(1.0f);
    setPlayButtonImage(kPlaySelectedImage);
}

void NXMovieView::actionReverse() {
    noInteractionSinceSeconds_ = 0;
    if (!mPlayer_) return;
    if (mPlayer_->rate() < 0) {
        mPlayer_->seekToTime(media::MediaTime::zero());
        mPlayer_->setRate(1.0f);
    } else {
        mPlayer_->setRate(-2.0f);
    }
}

void NXMovieView::actionForward() {
    noInteractionSinceSeconds_ = 0;
    if (mPlayer_) mPlayer_->setRate(3.0f);
}

void NXMovieView::actionRewind() {
    noInteractionSinceSeconds_ = 0;
    if (!mPlayer_) return;
    mPlayer_->seekToTime(media::MediaTime::zero());
    if (mPlayer_->rate() != 0) mPlayer_->setRate(1.0f);
}

void NXMovieView::actionLoop() {
    isLoop_ = !isLoop_;
    setLoopButtonImage(isLoop_ ? kLoopSelectedImage : kLoopImage);
}

void NXMovieView::actionCurtain() {
    if (isCurtainOpen_)
        closeCurtain();
    else
        openCurtain();
}

void NXMovieView::actionTouchOnScreen() {
    noInteractionSinceSeconds_ = 0;
    fadeControls(viewLandscapeControls()->alpha() > 0 ? 0.0 : 1.0);
}

bool NXMovieView::pointerMoved(const ui::PointerMotion&) {
    noInteractionSinceSeconds_ = 0;
    if ((isCurtainOpen_ || !showCurtains_) && viewLandscapeControls()->alpha() == 0) fadeControls(1.0);
    return true;
}

void NXMovieView::beginScrubbing() {
    if (!mPlayer_) return;
    playRateToRestore_ = mPlayer_->rate();
    mPlayer_->setRate(0);
    removeTimeObserverFromPlayer();
}

void NXMovieView::scrub() {
    noInteractionSinceSeconds_ = 0;
    if (!mPlayer_) return;
    if (mPlayer_->rate() == 1.0f) {
        mPlayer_->setRate(0);
        setPlayButtonImage(kPlayImage);
    }
    if (!hasFiniteDuration()) return;
    // Near enough is one slider point's worth of movie either way.
    const double width = std::max(1.0, scrubber()->bounds().width());
    const double tolerance = mPlayer_->durationSeconds() / width;
    const auto toleranceTime = media::MediaTime::fromSeconds(tolerance, kScrubTimescale);
    mPlayer_->seekToTime(media::MediaTime::fromSeconds(scrubber()->value(), kScrubTimescale), toleranceTime,
                         toleranceTime);
    // The periodic observer is away while scrubbing: the labels follow here.
    syncScrubber();
}

void NXMovieView::endScrubbing() {
    noInteractionSinceSeconds_ = 0;
    if (!mPlayer_) return;
    if (playRateToRestore_ != 0) mPlayer_->setRate(playRateToRestore_);
    playRateToRestore_ = 0;
    // The scrubber and the times follow playback again.
    addTimeObserverToPlayer();
}

void NXMovieView::playerItemDidReachEnd() {
    if (!mPlayer_) return;
    if (isLoop_) {
        mPlayer_->seekToTime(media::MediaTime::zero());
        mPlayer_->setRate(1.0f);
    } else {
        setPlayButtonImage(kPlayImage);
    }
}

void NXMovieView::actionHome() {
    btnDone_->setEnabled(false);
    removeTimeObserverFromPlayer();
    if (mPlayer_) mPlayer_->setRate(0);
    endObserver_.reset();
    playbackView()->setPlayer(nullptr);
    mPlayer_.reset();
    movieURL_.clear();
    if (loopTimer_) loopTimer_->invalidate();
    loopTimer_.reset();
    if (!showCurtains_) {
        done();
        return;
    }
    closeCurtain();
    foundation::RunLoop::main().performAfter(kCurtainCloseSeconds, [weak = foundation::weakFrom(this)] {
        if (auto self = weak.lock()) self->done();
    });
}

void NXMovieView::done() { dismissViewController(true); }

bool NXMovieView::keyCommand(const ui::KeyPress& press) {
    if (press.key != ui::Key::Escape || !press.text.empty() || !btnDone_ || !btnDone_->isEnabled()) return false;
    actionHome();
    return true;
}
