#pragma once

// The AAC encoder behind an audio writer input (AssetWriterInput.h):
// FFmpeg's native "aac" encoder fed from a sample FIFO, since the encoder
// takes exactly 1024 frames per call while appends come in any size.
// Internal to the media layer; one thread at a time.

#include "platform/foundation/Error.h"
#include "platform/media/FFmpeg.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct AVAudioFifo;

namespace media {

struct AacAudioSettings {
    int sampleRate = 44100;
    int channelCount = 1;  // 1 or 2
    int64_t bitRate = 64000;
};

namespace detail {

class AacEncoder {
public:
    // An encoder whose parameters are copied into `stream`. The stream is
    // not kept: it belongs to the muxer, which may go while this encoder
    // still encodes.
    static foundation::Result<std::unique_ptr<AacEncoder>> open(const AacAudioSettings& settings,
                                                                AVFormatContext& muxer, AVStream& stream);
    ~AacEncoder();
    AacEncoder(const AacEncoder&) = delete;
    AacEncoder& operator=(const AacEncoder&) = delete;

    // `frames` interleaved frames that start at sample `start` of the
    // session. The track stays continuous: a gap before `start` is filled
    // with silence and frames before the end of what was appended are
    // dropped. Encoded packets, timed in timeBase(), go to `packets`.
    foundation::Status push(const float* interleaved, size_t frames, int64_t start, std::vector<PacketPtr>& packets);
    // Encodes what the FIFO still holds and drains the encoder.
    foundation::Status flush(std::vector<PacketPtr>& packets);
    // The sample after the last one appended.
    int64_t end() const { return next_; }
    // The time base of the encoded packets: one sample.
    AVRational timeBase() const { return codec_->time_base; }

private:
    AacEncoder() = default;
    foundation::Status encodeFrames(int frames, std::vector<PacketPtr>& packets);
    foundation::Status drain(AVFrame* frame, std::vector<PacketPtr>& packets);

    CodecContextPtr codec_;
    AVAudioFifo* fifo_ = nullptr;
    int64_t next_ = -1;         // sample after the last appended; -1 before the first
    int64_t encodedUntil_ = 0;  // first sample not yet handed to the encoder
};

}  // namespace detail
}  // namespace media
