#include "platform/media/PlayerVideo.h"

#include <algorithm>

namespace media::detail {

namespace {
// Frame times are rounded by the container's time base; a frame "starts at
// or before" a time within this much.
constexpr double kTimeSlack = 1e-6;
}  // namespace

std::unique_ptr<PlayerVideo> PlayerVideo::open(const std::string& path) {
    auto decoder = VideoFrameDecoder::open(path);
    if (!decoder) return nullptr;
    return std::unique_ptr<PlayerVideo>(new PlayerVideo(std::move(*decoder)));
}

graphics::Size PlayerVideo::size() const { return graphics::Size{static_cast<double>(decoder_->width()), static_cast<double>(decoder_->height())}; }

bool PlayerVideo::restartAt(double seconds) {
    frames_.clear();
    runEnded_ = false;
    const double keyframe = decoder_->keyframeAtOrBefore(seconds);
    if (!decoder_->seek(keyframe)) {
        runKeyframe_.reset();
        return false;
    }
    runKeyframe_ = keyframe;
    return true;
}

bool PlayerVideo::decodeOne() {
    if (runEnded_) return false;
    auto next = decoder_->next();
    if (!next || !*next) {
        // The end of the track, or a frame that cannot be decoded: the run
        // stops at what it has.
        runEnded_ = true;
        return false;
    }
    ++decodedCount_;
    frames_.push_back(std::move(*next));
    if (frames_.size() > kMaxCachedFrames) {
        frames_.pop_front();
        runKeyframe_.reset();
    }
    return true;
}

DecodedFramePtr PlayerVideo::lookup(double seconds) const {
    auto after = std::upper_bound(frames_.begin(), frames_.end(), seconds + kTimeSlack,
                                  [](double t, const DecodedFramePtr& frame) { return t < frame->seconds; });
    if (after == frames_.begin()) return nullptr;
    return *std::prev(after);
}

DecodedFramePtr PlayerVideo::frameAt(double seconds) {
    seconds = std::max(0.0, seconds);
    const double keyframe = decoder_->keyframeAtOrBefore(seconds);
    bool usable = !frames_.empty() &&
                  (frames_.front()->seconds <= seconds + kTimeSlack || (runKeyframe_ && *runKeyframe_ == keyframe));
    // A later keyframe than the run's end is nearer than decoding on.
    if (usable && !runEnded_ && keyframe > frames_.back()->seconds + kTimeSlack) usable = false;
    if (!usable && !restartAt(seconds)) return nullptr;
    // Decode until a frame starts after the time (or the track ends).
    while (!runEnded_ && (frames_.empty() || frames_.back()->seconds <= seconds + kTimeSlack))
        if (!decodeOne()) break;
    if (frames_.empty()) return nullptr;
    if (auto found = lookup(seconds)) return found;
    // Before the first frame the run could reach: show that frame.
    return frames_.front();
}

std::optional<double> PlayerVideo::frameTimeAt(double seconds) {
    auto frame = frameAt(seconds);
    if (!frame) return std::nullopt;
    return frame->seconds;
}

std::optional<graphics::Image> PlayerVideo::imageAt(double seconds) {
    auto frame = frameAt(seconds);
    if (!frame) return std::nullopt;
    if (frame == shownFrame_ && shownImage_) return shownImage_;
    const AVFrame& decoded = *frame->frame;
    auto picture = decoder_->picture(decoded, decoded.width, decoded.height, graphics::ImageOrientation::Up);
    if (!picture) return std::nullopt;
    shownFrame_ = std::move(frame);
    shownImage_ = std::move(*picture);
    return shownImage_;
}

std::optional<PixelBuffer> PlayerVideo::pixelBufferAt(double seconds) {
    auto frame = frameAt(seconds);
    if (!frame) return std::nullopt;
    auto pixels = decoder_->pixelBuffer(*frame->frame);
    if (!pixels) return std::nullopt;
    return std::move(*pixels);
}

std::optional<double> PlayerVideo::nextFrameTimeAfter(double seconds) {
    // Finding the frame shown decodes on until a later one starts.
    auto shown = frameAt(seconds);
    if (!shown) return std::nullopt;
    auto after = std::upper_bound(frames_.begin(), frames_.end(), shown->seconds + kTimeSlack,
                                  [](double t, const DecodedFramePtr& frame) { return t < frame->seconds; });
    if (after == frames_.end()) return std::nullopt;
    return (*after)->seconds;
}

}  // namespace media::detail
