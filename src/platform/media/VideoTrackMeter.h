#pragma once

// What pictures take in the video track of a QuickTime movie of ours,
// measured by encoding them as the movie writer's video input does (the same
// encoder, opened the same way from the same settings) without writing
// anything: a size estimate encodes a few of a movie's own pictures with it.
// Its encoder is a small one (VideoEncoding.h): it holds one picture at a
// time, and spends a few percent more on a picture than the movie's encoder
// does. One thread at a time.

#include "platform/foundation/Error.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/FFmpeg.h"
#include "platform/media/PixelBuffer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace media {

class VideoTrackMeter {
public:
    // The encoder for pictures of `settings`; its error when it cannot open.
    static foundation::Result<std::unique_ptr<VideoTrackMeter>> open(const VideoSettings& settings);
    ~VideoTrackMeter();
    VideoTrackMeter(const VideoTrackMeter&) = delete;
    VideoTrackMeter& operator=(const VideoTrackMeter&) = delete;

    // The next picture, one frame period after the one before: 4:2:0 planar,
    // 32ARGB or 32BGRA of the settings' size. With `key` it is made a key
    // picture, as if the movie began there again.
    foundation::Status append(const PixelBuffer& picture, bool key = false);
    // No more pictures: the bytes each one took in the track, in the order
    // they were appended. Once only.
    foundation::Result<std::vector<int64_t>> finish();

private:
    VideoTrackMeter() = default;
    foundation::Status encode(AVFrame* frame);

    CodecContextPtr encoder_;
    AVFramePtr frame_;
    int64_t appended_ = 0;
    std::vector<int64_t> bytes_;  // by picture, as their packets come out
};

}  // namespace media
