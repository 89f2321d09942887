#pragma once

// One track of a movie being written (see AssetWriter.h). A video input
// encodes pictures with libx264: profile High, no B-frames, the average bit
// rate given, a key frame at least every 2 seconds, x264's "veryfast" preset
// (a render of a long movie should take a fraction of its playing time, and
// the slower presets gain little at these bit rates), 32ARGB or 32BGRA
// pictures turned into yuv420p by writePlanar420 as they come, with the
// matrix the size calls for, which the stream and the track say (see
// VideoColour.h). An audio
// input passes 16-bit PCM through untouched; an AAC input encodes what it
// is given.
//
// The writer pulls: requestMediaDataWhenReady runs the block on the given
// serial queue for as long as the input is ready for more data and not
// finished; the block appends while isReadyForMoreMediaData() and returns.
// An input that runs more than a second ahead of another waits for it, so
// the tracks reach the file interleaved and memory stays flat.

#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/media/AacEncoder.h"
#include "platform/media/FFmpeg.h"
#include "platform/media/MediaTime.h"
#include "platform/media/PixelBuffer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace media {

class AssetWriter;

struct VideoSettings {
    int width = 0;
    int height = 0;
    int64_t averageBitRate = 0;
    // Key frames come at least every 2 × frameRate frames.
    int frameRate = 0;
    // Appended times are multiples of 1/timescale s, each picture lasting
    // until the next (the last one timescale/frameRate units); 0 takes
    // frameRate, so times are whole frames.
    int timescale = 0;
    // How players turn the stored pictures for display (the track's matrix).
    graphics::AffineTransform transform = graphics::AffineTransform::identity();
};

struct PcmAudioSettings {
    int sampleRate = 44100;
    int channelCount = 2;
};

class AssetWriterInput : public std::enable_shared_from_this<AssetWriterInput> {
public:
    static constexpr const char* kX264Preset = "veryfast";

    enum class Kind { Video, Audio };

    static std::shared_ptr<AssetWriterInput> video(const VideoSettings& settings);
    static std::shared_ptr<AssetWriterInput> audio(const PcmAudioSettings& settings);
    static std::shared_ptr<AssetWriterInput> aacAudio(const AacAudioSettings& settings);
    ~AssetWriterInput();
    AssetWriterInput(const AssetWriterInput&) = delete;
    AssetWriterInput& operator=(const AssetWriterInput&) = delete;

    Kind kind() const { return kind_; }
    const VideoSettings& videoSettings() const { return video_; }
    // The display transform of a video input; taken when writing starts.
    void setTransform(const graphics::AffineTransform& transform) { video_.transform = transform; }
    const PcmAudioSettings& audioSettings() const { return audio_; }
    bool encodesAac() const { return aac_.has_value(); }

    bool isReadyForMoreMediaData() const;
    void requestMediaDataWhenReady(foundation::DispatchQueue queue, std::function<void()> block);

    // Video: a picture of the input's size shown from `presentationTime`,
    // later than the one before. False when the writer is not writing, the
    // input is finished, or the writer fails on it (then status 3).
    bool appendPixelBuffer(const PixelBuffer& buffer, MediaTime presentationTime);
    // The same; a planar picture goes to the encoder as it is, without a
    // copy, held until the encoder has taken it in.
    bool appendPixelBuffer(std::shared_ptr<const PixelBuffer> buffer, MediaTime presentationTime);
    // Audio: `frames` frames of interleaved samples (the input's channel
    // count) starting at `presentationTime`. Float samples run from -1 to 1.
    bool appendAudioSamples(const int16_t* interleaved, size_t frames, MediaTime presentationTime);
    bool appendAudioSamples(const float* interleaved, size_t frames, MediaTime presentationTime);

    // No more data: a video input hands out what its encoder still holds and
    // lets the encoder go. Call it from the appending queue.
    void markAsFinished();

private:
    friend class AssetWriter;

    explicit AssetWriterInput(Kind kind) : kind_(kind) {}

    // Called by the writer with its lock held.
    foundation::Status open(AVFormatContext& muxer);
    void scheduleLocked();
    // Where the data appended so far ends, in seconds of the session.
    double appendedUntilLocked() const { return appendedUntil_; }
    bool isFinishedLocked() const { return finished_; }

    void runBlock();
    bool encode(AVFrame* frame, AssetWriter& writer);
    // The writer to append to and the picture's time in the track, once the
    // picture fits and comes after the one before; none (the writer failed
    // with the reason where it was writing) otherwise.
    std::optional<std::pair<std::shared_ptr<AssetWriter>, int64_t>> acceptPicture(const PixelBuffer& buffer,
                                                                                  MediaTime presentationTime);
    bool encodePicture(AVFrame* frame, int64_t pts, AssetWriter& writer);
    bool appendAac(const float* interleaved, size_t frames, MediaTime presentationTime);
    int timescale() const { return video_.timescale > 0 ? video_.timescale : video_.frameRate; }
    std::shared_ptr<AssetWriter> writingWriter() const;
    // Records the end of what was appended and wakes the others.
    void advance(double until, AssetWriter& writer);

    const Kind kind_;
    VideoSettings video_;
    PcmAudioSettings audio_;
    std::optional<AacAudioSettings> aac_;
    std::weak_ptr<AssetWriter> writer_;
    // The track in the writer's muxer; set when writing starts. Never a
    // pointer to the stream, which goes with the muxer when the writer fails.
    int streamIndex_ = -1;

    // Owned by the appending queue.
    CodecContextPtr encoder_;
    std::unique_ptr<detail::AacEncoder> aacEncoder_;
    AVFramePtr frame_;
    int64_t lastPts_ = -1;
    bool flushed_ = false;

    // Guarded by the writer's lock.
    std::optional<foundation::DispatchQueue> queue_;
    std::function<void()> block_;
    bool scheduled_ = false;
    bool finished_ = false;
    double appendedUntil_ = 0;
};

}  // namespace media
