#pragma once

// The first video track of a file, decoded frame by frame in display order,
// with seeking to a keyframe and conversion of a decoded frame to an upright
// picture. Internal to the media layer (the image generator's engine).

#include "platform/foundation/Error.h"
#include "platform/graphics/Image.h"
#include "platform/media/FFmpeg.h"

#include <memory>
#include <string>
#include <vector>

namespace media::detail {

// A decoded frame shared by every request it may answer.
struct DecodedFrame {
    AVFramePtr frame;
    double seconds = 0;  // from the start of the track
};
using DecodedFramePtr = std::shared_ptr<const DecodedFrame>;

class VideoFrameDecoder {
public:
    static foundation::Result<std::unique_ptr<VideoFrameDecoder>> open(const std::string& path);

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
    // The next frame in display order; null at the end of the track.
    foundation::Result<DecodedFramePtr> next();

    // A frame as a picture of `pixelWidth` × `pixelHeight` (the size of the
    // stored picture, before `orientation` is applied), turned upright.
    foundation::Result<graphics::Image> picture(const AVFrame& frame, int pixelWidth, int pixelHeight,
                                                graphics::ImageOrientation orientation);

private:
    VideoFrameDecoder() = default;
    double secondsOf(int64_t timestamp) const;
    int64_t timestampOf(double seconds) const;

    std::string path_;
    FormatContextPtr format_;
    CodecContextPtr codec_;
    PacketPtr packet_;
    ScaleContextPtr scaler_;
    AVStream* stream_ = nullptr;
    int64_t startTimestamp_ = 0;
    double frameDuration_ = 1.0 / 30;
    std::vector<double> keyframes_;  // seconds, ascending
    bool draining_ = false;
};

}  // namespace media::detail
