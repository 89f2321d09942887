#include "platform/media/Player.h"

#include "platform/foundation/Lifetime.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/Asset.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/AudioPcmReader.h"
#include "platform/media/PlayerItemVideoOutput.h"
#include "platform/media/PlayerVideo.h"
#include "platform/media/SystemVolume.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace media {

namespace {

// A device clock may trail the sound by what it still holds in its buffer;
// the end is looked at again this much later.
constexpr double kEndRecheckSeconds = 0.01;
// Rounding of the clocks' arithmetic, far below a sample.
constexpr double kEndToleranceSeconds = 1e-6;

// A file's sound for a device stream, decoded on first use: a player that
// only keeps time (no device, tests) never decodes.
class FilePcmSource : public PcmSource {
public:
    FilePcmSource(std::string path, double durationSeconds)
        : path_(std::move(path)), durationSeconds_(durationSeconds) {}
    int sampleRate() const override { return kRate; }
    int channelCount() const override { return kChannels; }
    double durationSeconds() const override { return durationSeconds_; }
    size_t read(int64_t startFrame, int16_t* interleaved, size_t frames) override {
        if (!reader_ && !failed_) {
            auto reader = AudioPcmReader::open(path_, kRate, kChannels);
            if (reader) reader_ = std::move(*reader);
            failed_ = !reader_;
        }
        if (!reader_) return 0;
        if (reader_->position() != startFrame && !reader_->seek(startFrame)) return 0;
        floats_.resize(frames * kChannels);
        auto read = reader_->read(floats_.data(), int64_t(frames));
        if (!read) return 0;
        const auto filled = size_t(*read);
        for (size_t i = 0; i < filled * kChannels; ++i)
            interleaved[i] = int16_t(std::lrint(std::clamp(floats_[i], -1.0f, 1.0f) * 32767.0f));
        return filled;
    }

private:
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;
    std::string path_;
    double durationSeconds_;
    std::unique_ptr<AudioPcmReader> reader_;
    bool failed_ = false;
    std::vector<float> floats_;
};

}  // namespace

Player::Player(std::string path, double durationSeconds, std::shared_ptr<PcmSource> source)
    : path_(std::move(path)), durationSeconds_(durationSeconds), source_(std::move(source)) {}

Player::~Player() {
    for (const auto& output : outputs_) output->detach();
    if (endTimer_) endTimer_->invalidate();
    for (TimeObserver& observer : observers_)
        if (observer.timer) observer.timer->invalidate();
}

foundation::Result<std::shared_ptr<Player>> Player::create(const std::string& path) {
    auto asset = Asset::open(path);
    if (!asset.ok()) return asset.error();
    const double duration = asset->durationSeconds();
    if (!(duration > 0))
        return foundation::Error(foundation::kPOSIXErrorDomain, 0, "The file has no sound to play: " + path);
    bool hasSound = false, hasPictures = false;
    for (const AssetTrack& track : asset->tracks()) {
        hasSound = hasSound || track.mediaType == MediaType::Audio;
        hasPictures = hasPictures || (track.mediaType == MediaType::Video && !track.isAttachedPicture);
    }
    // A movie without sound keeps time on the run loop: a device stream
    // would wait for samples that never come.
    std::shared_ptr<PcmSource> source;
    if (hasSound || !hasPictures) source = std::make_shared<FilePcmSource>(path, duration);
    std::shared_ptr<Player> player(new Player(path, duration, std::move(source)));
    if (hasPictures) player->video_ = detail::PlayerVideo::open(path);
    return player;
}

std::shared_ptr<Player> Player::create(std::shared_ptr<PcmSource> source) {
    const double duration = source ? std::max(0.0, source->durationSeconds()) : 0.0;
    return std::shared_ptr<Player>(new Player({}, duration, std::move(source)));
}

void Player::setVolume(float volume) { volume_ = std::clamp(volume, 0.0f, 1.0f); }

bool Player::play() {
    return AudioOutput::shared()->play(path_, durationSeconds_, volume_ * SystemVolume::shared().volume());
}

void Player::stop() { AudioOutput::shared()->stop(path_); }

bool Player::isPlaying() const { return AudioOutput::shared()->isPlaying(path_); }

double Player::timeNow() const {
    if (rate_ == 0) return anchorSeconds_;
    double seconds = 0;
    if (stream_ && stream_->failed()) {
        // The device went away: what it played so far counts, the rest of the
        // sound goes on silently on the run loop's clock.
        const double reached =
            anchorSeconds_ + double(stream_->framesPlayed() - anchorStreamFrames_) / source_->sampleRate();
        stream_.reset();
        anchorAt(std::min(reached, durationSeconds_));
    }
    if (stream_)
        seconds = anchorSeconds_ + double(stream_->framesPlayed() - anchorStreamFrames_) / source_->sampleRate();
    else
        seconds = anchorSeconds_ + (foundation::RunLoop::main().now() - anchorRunLoopTime_) * rate_;
    return std::clamp(seconds, 0.0, durationSeconds_);
}

void Player::anchorAt(double seconds) const {
    anchorSeconds_ = seconds;
    anchorRunLoopTime_ = foundation::RunLoop::main().now();
    anchorStreamFrames_ = stream_ ? stream_->framesPlayed() : 0;
}

MediaTime Player::currentTime() const { return MediaTime::fromSeconds(timeNow(), 1'000'000); }

double Player::currentTimeSeconds() const { return timeNow(); }

bool Player::isClockedByDevice() const {
    (void)timeNow();  // notices a lost device
    return rate_ != 0 && stream_ != nullptr;
}

void Player::setRate(float rate) {
    if (!std::isfinite(rate)) rate = 0;
    if (rate == rate_) return;
    const double reached = timeNow();
    rate_ = rate;
    if (rate_ != 1.0f) {
        // Only the plain rate goes to the device; other rates and pauses keep
        // time on the run loop.
        stream_.reset();
    } else {
        startStream(reached);
    }
    anchorAt(reached);
    scheduleEnd();
    scheduleTimeObservers();
    notifyOutputs();
}

void Player::seekToTime(MediaTime time, std::function<void(bool finished)> completion) {
    moveTo(std::clamp(time.isValid() ? time.seconds() : 0.0, 0.0, durationSeconds_), std::move(completion));
}

void Player::seekToTime(MediaTime time, MediaTime toleranceBefore, MediaTime toleranceAfter,
                        std::function<void(bool finished)> completion) {
    const double target = std::clamp(time.isValid() ? time.seconds() : 0.0, 0.0, durationSeconds_);
    double landing = target;
    if (video_) {
        const double before = toleranceBefore.isValid() ? std::max(0.0, toleranceBefore.seconds()) : 0.0;
        const double after = toleranceAfter.isValid() ? std::max(0.0, toleranceAfter.seconds()) : 0.0;
        const auto shown = currentVideoFrameSeconds();
        const double keyframe = video_->keyframeAtOrBefore(target);
        if (shown && *shown >= target - before && *shown <= target + after)
            landing = *shown;  // nothing new to decode
        else if (keyframe >= target - before)
            landing = keyframe;
    }
    moveTo(landing, std::move(completion));
}

void Player::moveTo(double target, std::function<void(bool finished)> completion) {
    // What the device still holds belongs to the old place.
    stream_.reset();
    if (rate_ == 1.0f) startStream(target);
    anchorAt(target);
    scheduleEnd();
    scheduleTimeObservers();
    notifyOutputs();
    const uint64_t generation = ++seekGeneration_;
    if (!completion) return;
    foundation::RunLoop::main().post(
        [weak = foundation::weakFrom(this), generation, completion = std::move(completion)] {
            auto self = weak.lock();
            completion(self && self->seekGeneration_ == generation);
        });
}

void Player::startStream(double fromSeconds) {
    if (stream_ || !source_ || source_->sampleRate() <= 0 || source_->channelCount() <= 0) return;
    nextReadFrame_ = int64_t(std::llround(fromSeconds * source_->sampleRate()));
    stream_ = AudioOutput::shared()->openStream(
        source_->sampleRate(), source_->channelCount(),
        [weak = foundation::weakFrom(this)](int16_t* interleaved, size_t frames) -> size_t {
            auto self = weak.lock();
            return self ? self->pull(interleaved, frames) : 0;
        });
    if (stream_) stream_->start();
}

size_t Player::pull(int16_t* interleaved, size_t frames) {
    if (!source_ || rate_ == 0) return 0;
    const size_t filled = source_->read(nextReadFrame_, interleaved, frames);
    nextReadFrame_ += int64_t(filled);
    const float gain = volume_ * SystemVolume::shared().volume();
    if (gain < 1.0f) {
        const size_t samples = filled * size_t(source_->channelCount());
        for (size_t i = 0; i < samples; ++i) interleaved[i] = int16_t(std::lrint(interleaved[i] * gain));
    }
    return filled;
}

void Player::scheduleEnd() {
    if (endTimer_) endTimer_->invalidate();
    endTimer_.reset();
    if (rate_ == 0) return;
    const double remaining =
        rate_ > 0 ? std::max(0.0, (durationSeconds_ - timeNow()) / rate_) : std::max(0.0, timeNow() / -rate_);
    endTimer_ = foundation::RunLoop::main().scheduleTimer(remaining, false,
                                                          [weak = foundation::weakFrom(this)](foundation::Timer&) {
                                                              if (auto self = weak.lock()) self->reachEnd();
                                                          });
}

void Player::reachEnd() {
    endTimer_.reset();
    if (rate_ == 0) return;
    const double reached = timeNow();
    if (rate_ < 0) {
        if (reached > kEndToleranceSeconds) {
            scheduleEnd();
            return;
        }
        // Backwards play stops at the start; only the end is announced.
        rate_ = 0;
        anchorAt(0);
        scheduleTimeObservers();
        notifyOutputs();
        return;
    }
    if (reached < durationSeconds_ - kEndToleranceSeconds) {
        endTimer_ = foundation::RunLoop::main().scheduleTimer(
            std::max(kEndRecheckSeconds, (durationSeconds_ - reached) / rate_), false,
            [weak = foundation::weakFrom(this)](foundation::Timer&) {
                if (auto self = weak.lock()) self->reachEnd();
            });
        return;
    }
    rate_ = 0;
    stream_.reset();
    anchorAt(durationSeconds_);
    scheduleTimeObservers();
    notifyOutputs();
    foundation::NotificationCenter::defaultCenter().post(kDidPlayToEndTimeNotification, this);
}

graphics::Size Player::presentationSize() const { return video_ ? video_->size() : graphics::Size(); }

std::optional<graphics::Image> Player::currentVideoImage() {
    if (!video_) return std::nullopt;
    return video_->imageAt(timeNow());
}

std::optional<double> Player::currentVideoFrameSeconds() {
    if (!video_) return std::nullopt;
    return video_->frameTimeAt(timeNow());
}

MediaTime Player::itemTimeForHostTime(double hostTime) const {
    const double ahead = (hostTime - foundation::RunLoop::main().now()) * rate_;
    return MediaTime::fromSeconds(std::clamp(timeNow() + ahead, 0.0, durationSeconds_), 1'000'000);
}

void Player::addOutput(std::shared_ptr<PlayerItemVideoOutput> output) {
    if (!output) return;
    if (auto owner = output->player_.lock()) {
        if (owner.get() == this) return;
        owner->removeOutput(output);
    }
    outputs_.push_back(output);
    output->attach(weak_from_this());
}

void Player::removeOutput(const std::shared_ptr<PlayerItemVideoOutput>& output) {
    auto found = std::find(outputs_.begin(), outputs_.end(), output);
    if (found == outputs_.end()) return;
    outputs_.erase(found);
    output->detach();
}

void Player::notifyOutputs() {
    // An output's delegate may add or remove outputs: go through a copy.
    const auto outputs = outputs_;
    for (const auto& output : outputs) output->playerDidChange();
}

Player::TimeObserverToken Player::addPeriodicTimeObserver(double intervalSeconds,
                                                          std::function<void(MediaTime time)> block) {
    const TimeObserverToken token = nextObserverToken_++;
    if (!(intervalSeconds > 0) || !block) return token;  // nothing to call, nothing to remove
    observers_.push_back(TimeObserver{token, intervalSeconds, std::move(block), {}, -1});
    scheduleTimeObserver(observers_.back());
    return token;
}

void Player::scheduleTimeObservers() {
    for (TimeObserver& observer : observers_) scheduleTimeObserver(observer);
}

void Player::scheduleTimeObserver(TimeObserver& observer) {
    const bool repeats = rate_ != 0;
    if (observer.timer && observer.timer->isValid()) {
        // A repeating tick goes on; a pending last tick still comes.
        if (observer.timer->repeats() == repeats) return;
        observer.timer->invalidate();
    }
    observer.timer = foundation::RunLoop::main().scheduleTimer(
        observer.intervalSeconds, repeats,
        [weak = foundation::weakFrom(this), token = observer.token](foundation::Timer&) {
            if (auto self = weak.lock()) self->tick(token);
        });
}

void Player::removeTimeObserver(TimeObserverToken token) {
    auto found = std::find_if(observers_.begin(), observers_.end(),
                              [token](const TimeObserver& observer) { return observer.token == token; });
    if (found == observers_.end()) return;
    if (found->timer) found->timer->invalidate();
    observers_.erase(found);
}

void Player::tick(TimeObserverToken token) {
    auto found = std::find_if(observers_.begin(), observers_.end(),
                              [token](const TimeObserver& observer) { return observer.token == token; });
    if (found == observers_.end()) return;
    const double now = timeNow();
    if (rate_ == 0 && now == found->lastReported) return;
    found->lastReported = now;
    // The block may remove observers (itself too): call a copy.
    auto block = found->block;
    block(MediaTime::fromSeconds(now, 1'000'000));
}

}  // namespace media
