#include "platform/media/PlayerItemVideoOutput.h"

#include "platform/foundation/Lifetime.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/Player.h"
#include "platform/media/PlayerVideo.h"

#include <algorithm>
#include <cmath>

namespace media {

namespace {
// Going backwards, a frame gives way once the time is below its start; the
// check looks this far below it, well past the frame lookup's own slack.
constexpr double kBackwardsMargin = 1e-4;
}  // namespace

std::shared_ptr<PlayerItemVideoOutput> PlayerItemVideoOutput::create() {
    return std::make_shared<PlayerItemVideoOutput>();
}

PlayerItemVideoOutput::~PlayerItemVideoOutput() { cancelTimer(); }

void PlayerItemVideoOutput::setDelegate(std::weak_ptr<PlayerItemOutputPullDelegate> delegate,
                                        foundation::DispatchQueue queue) {
    delegate_ = std::move(delegate);
    delegateQueue_ = std::move(queue);
}

void PlayerItemVideoOutput::requestNotificationOfMediaDataChangeWithAdvanceInterval(double intervalSeconds) {
    advanceInterval_ = std::isfinite(intervalSeconds) ? std::max(0.0, intervalSeconds) : 0.0;
    evaluate();
}

void PlayerItemVideoOutput::attach(std::weak_ptr<Player> player) {
    player_ = std::move(player);
    lastFrameSeconds_.reset();
    evaluate();
}

void PlayerItemVideoOutput::detach() {
    player_.reset();
    cancelTimer();
}

void PlayerItemVideoOutput::playerDidChange() { evaluate(); }

void PlayerItemVideoOutput::cancelTimer() {
    if (timer_) timer_->invalidate();
    timer_.reset();
}

MediaTime PlayerItemVideoOutput::itemTimeForHostTime(double hostTime) const {
    auto player = player_.lock();
    return player ? player->itemTimeForHostTime(hostTime) : MediaTime::invalid();
}

bool PlayerItemVideoOutput::hasNewPixelBufferForItemTime(MediaTime itemTime) {
    auto player = player_.lock();
    if (!player || !player->video_ || !itemTime.isValid()) return false;
    auto frame = player->video_->frameTimeAt(itemTime.seconds());
    return frame && frame != lastFrameSeconds_;
}

std::optional<PixelBuffer> PlayerItemVideoOutput::copyPixelBufferForItemTime(MediaTime itemTime,
                                                                             MediaTime* displayTime) {
    auto player = player_.lock();
    if (!player || !player->video_ || !itemTime.isValid()) return std::nullopt;
    detail::PlayerVideo& video = *player->video_;
    auto frame = video.frameTimeAt(itemTime.seconds());
    if (!frame) return std::nullopt;
    auto pixels = video.pixelBufferAt(itemTime.seconds());
    if (!pixels) return std::nullopt;
    lastFrameSeconds_ = frame;
    if (displayTime) *displayTime = MediaTime::fromSeconds(*frame, 1'000'000);
    return pixels;
}

void PlayerItemVideoOutput::evaluate() {
    cancelTimer();
    auto player = player_.lock();
    if (!advanceInterval_ || !player || !player->video_) return;
    detail::PlayerVideo& video = *player->video_;
    const double rate = player->rate();
    // Where playback will be one advance interval from now.
    const double ahead =
        std::clamp(player->currentTimeSeconds() + *advanceInterval_ * rate, 0.0, player->durationSeconds());
    auto frame = video.frameTimeAt(ahead);
    if (!frame) return;
    if (frame != lastFrameSeconds_) {
        advanceInterval_.reset();
        if (!delegateQueue_) return;
        delegateQueue_->async([delegate = delegate_, weak = weak_from_this()] {
            auto self = weak.lock();
            if (auto listener = delegate.lock(); listener && self) listener->outputMediaDataWillChange(*self);
        });
        return;
    }
    // The same picture: look again when playback comes within the interval
    // of the next one. A paused player waits for the next change of rate or time.
    double delay = 0;
    if (rate > 0) {
        auto next = video.nextFrameTimeAfter(ahead);
        if (!next) return;
        delay = (*next - ahead) / rate;
    } else if (rate < 0) {
        if (*frame <= 0) return;
        delay = (ahead - (*frame - kBackwardsMargin)) / -rate;
    } else {
        return;
    }
    timer_ = foundation::RunLoop::main().scheduleTimer(std::max(0.0, delay), false,
                                                       [weak = weak_from_this()](foundation::Timer&) {
                                                           if (auto self = weak.lock()) self->evaluate();
                                                       });
}

}  // namespace media
