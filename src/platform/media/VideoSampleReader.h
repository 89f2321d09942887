#pragma once

// Reads the first video track of a file picture by picture in display
// order, each decoded by libavcodec and converted to 32BGRA by libswscale
// at the stored size, with its presentation time (90 kHz, exact for the
// usual frame rates) counted from the track's start.
//
// One thread at a time.

#include "platform/foundation/Error.h"
#include "platform/media/SampleBuffers.h"

#include <memory>
#include <optional>
#include <string>

namespace media {

namespace detail {
class VideoFrameDecoder;
}

class VideoSampleReader {
public:
    static constexpr int32_t kTimescale = 90000;

    // An error of kMediaErrorDomain for a file without a decodable video track.
    static foundation::Result<std::unique_ptr<VideoSampleReader>> open(const std::string& path);
    ~VideoSampleReader();
    VideoSampleReader(const VideoSampleReader&) = delete;
    VideoSampleReader& operator=(const VideoSampleReader&) = delete;

    int width() const;
    int height() const;
    // The next picture; none at the end of the track.
    foundation::Result<std::optional<VideoSample>> next();

private:
    VideoSampleReader() = default;
    std::unique_ptr<detail::VideoFrameDecoder> decoder_;
};

}  // namespace media
