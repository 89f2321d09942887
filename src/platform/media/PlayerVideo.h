#pragma once

// The pictures of a player: the frame a movie shows at any time of its
// video track, decoded on demand. The last run of decoded frames is kept
// (up to kMaxCachedFrames), so playing on, playing backwards within a run
// and scrubbing nearby decode little; a time outside the run starts a new
// one at the keyframe before it. Internal to the media layer.

#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/media/VideoFrameDecoder.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>

namespace media::detail {

class PlayerVideo {
public:
    static constexpr size_t kMaxCachedFrames = 90;

    // Null when the file has no video track that can be decoded.
    static std::unique_ptr<PlayerVideo> open(const std::string& path);

    graphics::Size size() const;
    double frameDuration() const { return decoder_->frameDuration(); }
    double keyframeAtOrBefore(double seconds) const { return decoder_->keyframeAtOrBefore(seconds); }

    // The time of the frame shown at `seconds`: the last frame that starts at
    // or before it (the first frame before the track's first); none when
    // nothing can be decoded there.
    std::optional<double> frameTimeAt(double seconds);
    // That frame as an upright picture; the same picture while the frame
    // does not change.
    std::optional<graphics::Image> imageAt(double seconds);
    // That frame as 32BGRA pixels of the stored size.
    std::optional<PixelBuffer> pixelBufferAt(double seconds);
    // When the frame after the one shown at `seconds` starts; none when that
    // is the track's last.
    std::optional<double> nextFrameTimeAfter(double seconds);
    // How many frames were decoded so far (for tests of the cache).
    size_t decodedFrameCount() const { return decodedCount_; }

private:
    explicit PlayerVideo(std::unique_ptr<VideoFrameDecoder> decoder) : decoder_(std::move(decoder)) {}
    DecodedFramePtr frameAt(double seconds);
    // Drops the run and decodes anew from the keyframe before `seconds`.
    bool restartAt(double seconds);
    // Appends the next frame of the run; false at the end or on a failure.
    bool decodeOne();
    DecodedFramePtr lookup(double seconds) const;

    std::unique_ptr<VideoFrameDecoder> decoder_;
    std::deque<DecodedFramePtr> frames_;  // a contiguous run, ascending
    // The keyframe the run began at; none once its front was trimmed away.
    std::optional<double> runKeyframe_;
    bool runEnded_ = false;
    size_t decodedCount_ = 0;
    DecodedFramePtr shownFrame_;
    std::optional<graphics::Image> shownImage_;
};

}  // namespace media::detail
