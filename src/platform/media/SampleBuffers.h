#pragma once

// Timed samples as a movie's tracks hand them out and a writer takes them:
// a decoded picture in 32BGRA, or a run of interleaved float sound.

#include "platform/media/MediaTime.h"
#include "platform/media/PixelBuffer.h"

#include <cstddef>
#include <vector>

namespace media {

struct VideoSample {
    PixelBuffer pixels;  // kPixelFormat32BGRA
    MediaTime presentationTime = MediaTime::invalid();
};

struct AudioSampleBuffer {
    MediaTime presentationTime = MediaTime::invalid();
    int sampleRate = 0;
    int channelCount = 0;
    std::vector<float> samples;  // interleaved, -1 to 1

    size_t frameCount() const { return channelCount > 0 ? samples.size() / size_t(channelCount) : 0; }
};

}  // namespace media
