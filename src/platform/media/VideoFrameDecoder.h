#pragma once

// One video track of a file (the first, unless another is named), decoded
// frame by frame in display order, with seeking to a keyframe and conversion
// of a decoded frame to an upright picture or to 32BGRA pixels. Internal to
// the media layer (the image generator's engine).

#include "platform/foundation/Error.h"
#include "platform/media/DecoderFrameBuffers.h"
#include "platform/graphics/Image.h"
#include "platform/media/FFmpeg.h"
#include "platform/media/PixelBuffer.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace media::detail {

// A decoded frame shared by every request it may answer.
struct DecodedFrame {
    AVFramePtr frame;
    double seconds = 0;  // from the start of the track
};
using DecodedFramePtr = std::shared_ptr<const DecodedFrame>;

// The frames read nearest to one on either side (by the time they are
// shown), among those read since the last seek; none where nothing such
// was read yet.
struct FrameNeighbours {
    std::optional<double> before, after;
};
// Whether the frame shown at `seconds` is wanted, seen from its neighbours.
// A frame that is not wanted is left undecoded where no other frame is
// decoded from it.
using FrameWanted = std::function<bool(double seconds, const FrameNeighbours& around)>;

class VideoFrameDecoder {
public:
    // With `trackID`, that track (FFmpeg's stream index), which must be a
    // video track; else the file's first.
    static foundation::Result<std::unique_ptr<VideoFrameDecoder>> open(const std::string& path,
                                                                       std::optional<int> trackID = std::nullopt);

    // The length of one frame at the track's nominal rate (1/30 s when unknown).
    double frameDuration() const { return frameDuration_; }
    int width() const { return codec_->width; }
    int height() const { return codec_->height; }
    // How many frames the decoder holds back (B-frame reordering).
    int reorderDelay() const { return codec_->has_b_frames; }

    // The time of the last keyframe at or before `seconds` by the file's
    // index; 0 when the index does not say.
    double keyframeAtOrBefore(double seconds) const;
    // Continues at the keyframe at or before `seconds`.
    foundation::Status seek(double seconds);
    // The next frame in display order; null at the end of the track. With
    // `wanted`, frames it turns down are skipped where the codec can.
    foundation::Result<DecodedFramePtr> next(const FrameWanted& wanted = {});
    // The latest time of a frame turned down since the last seek: frames
    // up to it that were sent to the codec are gone whoever wants them now.
    std::optional<double> latestFrameTurnedDown() const { return latestTurnedDown_; }

    // A frame as a picture of `pixelWidth` × `pixelHeight` (the size of the
    // stored picture, before `orientation` is applied), turned upright.
    foundation::Result<graphics::Image> picture(const AVFrame& frame, int pixelWidth, int pixelHeight,
                                                graphics::ImageOrientation orientation);
    // A frame as 32BGRA pixels of the stored size.
    foundation::Result<PixelBuffer> pixelBuffer(const AVFrame& frame);

private:
    VideoFrameDecoder() = default;
    double secondsOf(int64_t timestamp) const;
    int64_t timestampOf(double seconds) const;
    // Reads packets of the track until `kReadAhead` wait to be decoded, the
    // file ends or a read fails (kept in `readError_`).
    void readAhead();
    FrameNeighbours neighboursOf(double seconds) const;

    std::string path_;
    FormatContextPtr format_;
    // Before the codec: it goes after it.
    DecoderFrameBuffers buffers_;
    CodecContextPtr codec_;
    ScaleContextPtr scaler_;
    ScaleContextPtr bgraScaler_;  // kept apart: a player asks for both kinds
    AVStream* stream_ = nullptr;
    int64_t startTimestamp_ = 0;
    double frameDuration_ = 1.0 / 30;
    std::vector<double> keyframes_;  // seconds, ascending
    // Packets read but not yet sent, so that a frame's later neighbours
    // are known before it is decoded, and emptied packets for reuse.
    static constexpr size_t kReadAhead = 4;
    static constexpr size_t kRecentTimes = 64;
    std::deque<PacketPtr> ahead_;
    std::vector<PacketPtr> spare_;
    // The display times of the packets read lately, from the first
    // keyframe after the last seek on (frames before it may not show).
    std::deque<double> recentTimes_;
    bool sawKeyframe_ = false;
    std::optional<double> latestTurnedDown_;
    bool endOfFile_ = false;
    std::optional<foundation::Error> readError_;
    bool draining_ = false;
};

}  // namespace media::detail
