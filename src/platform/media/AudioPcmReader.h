#pragma once

// The sound of a file's audio track as 32-bit float samples at a chosen
// rate and channel count, decoded by libavcodec and converted by
// libswresample. Frame 0 is the track's first sample, so times agree with
// what the ffmpeg command reports after it drops encoder delay.
//
// A mono track read as stereo sounds at full level in both channels (not
// lowered by 3 dB as a mixing matrix would); wider tracks are mixed down.
// Converted frames land on the exact output sample that the same decode
// from the file's start would give, also after a seek.
//
//     auto reader = media::AudioPcmReader::open(path, 44100, 2);
//     std::vector<float> samples(2 * 4096);
//     auto frames = (*reader)->read(samples.data(), 4096);
//
// One thread at a time.

#include "platform/foundation/Error.h"

#include <cstdint>
#include <memory>
#include <string>

namespace media {

class AudioPcmReader {
public:
    // `trackID` -1 takes the file's first audio track. An error of
    // kMediaErrorDomain when the file cannot be opened or has no decodable
    // audio, or for a rate or channel count outside 1..384000 and 1..2.
    static foundation::Result<std::unique_ptr<AudioPcmReader>> open(const std::string& path, int sampleRate,
                                                                    int channelCount, int trackID = -1);
    ~AudioPcmReader();
    AudioPcmReader(const AudioPcmReader&) = delete;
    AudioPcmReader& operator=(const AudioPcmReader&) = delete;

    int sampleRate() const { return sampleRate_; }
    int channelCount() const { return channelCount_; }
    int sourceSampleRate() const;
    int sourceChannelCount() const;
    // The track's length in output frames by the file's headers (0 when
    // they do not say); the decoded length may differ by a packet.
    int64_t estimatedFrameCount() const { return estimatedFrameCount_; }

    // The output frame the next read starts at.
    int64_t position() const { return position_; }
    // Continues at `frame` (0 or more); a seek past the end leaves nothing
    // to read.
    foundation::Status seek(int64_t frame);
    // Up to `frameCount` interleaved frames into `interleaved`; fewer only
    // at the end of the track (0 there).
    foundation::Result<int64_t> read(float* interleaved, int64_t frameCount);

private:
    class Decoder;
    AudioPcmReader(int sampleRate, int channelCount, std::unique_ptr<Decoder> decoder);

    int sampleRate_;
    int channelCount_;
    int64_t estimatedFrameCount_ = 0;
    int64_t position_ = 0;
    std::unique_ptr<Decoder> decoder_;
};

}  // namespace media
