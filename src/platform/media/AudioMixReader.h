#pragma once

// The sound of a composition through its audio mix, as 16-bit stereo at
// 44,100 Hz (or another rate given): what the editor's player plays and the
// movie renderer writes.
//
// Each segment starts at output frame floor(seconds × rate) of its place
// on the timeline and plays its source from floor(source start × rate);
// every track is scaled by its volume, all are summed in float and the sum
// is saturated to 16 bits. Mono sources sound at full level in both
// channels. Any range of frames may be read in any order; reading on where
// the last read ended is the fast path.
//
// A source that cannot be opened or stops decoding sounds as silence; the
// first such failure is kept in sourceError(). One thread at a time.

#include "platform/foundation/Error.h"
#include "platform/media/AudioMix.h"
#include "platform/media/Composition.h"
#include "platform/media/Player.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace media {

class AudioPcmReader;

class AudioMixReader : public PcmSource {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannelCount = 2;

    // Copies both; a null mix plays every track at full volume.
    AudioMixReader(Composition composition, const AudioMix* audioMix, int sampleRate = kSampleRate);
    ~AudioMixReader() override;
    AudioMixReader(const AudioMixReader&) = delete;
    AudioMixReader& operator=(const AudioMixReader&) = delete;

    // The composition's length in frames: floor(duration × rate).
    int64_t frameCount() const { return frameCount_; }

    int sampleRate() const override { return sampleRate_; }
    int channelCount() const override { return kChannelCount; }
    double durationSeconds() const override { return durationSeconds_; }
    // Frames [startFrame, startFrame + frames), left and right interleaved;
    // returns how many lie inside the composition. Frames before 0 or past
    // the end are silence.
    size_t read(int64_t startFrame, int16_t* interleaved, size_t frames) override;

    std::optional<foundation::Error> sourceError() const { return sourceError_; }

private:
    struct Part;
    // Adds the part's sound over frames [begin, end) into sum_, which starts at firstFrame.
    void mixPart(Part& part, int64_t firstFrame, int64_t begin, int64_t end);
    void noteFailure(Part& part, const foundation::Error& error);

    std::vector<Part> parts_;
    int sampleRate_;
    int64_t frameCount_ = 0;
    double durationSeconds_ = 0;
    std::vector<float> sum_;
    std::vector<float> scratch_;
    std::optional<foundation::Error> sourceError_;
};

// Saturates a float sample (full scale ±1.0) to 16 bits.
int16_t saturatedSample(float sample);

}  // namespace media
