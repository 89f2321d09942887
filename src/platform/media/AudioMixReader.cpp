#include "platform/media/AudioMixReader.h"

#include "platform/media/AudioPcmReader.h"

#include <algorithm>
#include <cmath>

namespace media {

// One non-silent segment with its volume changes, in output frames.
struct AudioMixReader::Part {
    CompositionSegment segment;
    int64_t targetStart = 0;  // first frame on the timeline
    int64_t targetEnd = 0;    // one past the last
    int64_t sourceStart = 0;  // frame of the source at targetStart
    // Volume from each frame on; the first entry covers everything before.
    std::vector<std::pair<int64_t, float>> volumes;
    std::unique_ptr<AudioPcmReader> reader;
    // Where the source turned out to end (a frame of the source), once a read came up short.
    int64_t sourceEnd = INT64_MAX;
    bool failed = false;

    float volumeAt(int64_t frame) const {
        float volume = 1.0f;
        for (const auto& [from, value] : volumes) {
            if (from > frame) break;
            volume = value;
        }
        return volume;
    }
    // The next frame after `frame` where the volume changes; INT64_MAX when none.
    int64_t nextChangeAfter(int64_t frame) const {
        for (const auto& entry : volumes)
            if (entry.first > frame) return entry.first;
        return INT64_MAX;
    }
};

int16_t saturatedSample(float sample) {
    const float scaled = std::nearbyint(sample * 32768.0f);
    if (!(scaled > -32768.0f)) return -32768;  // NaN as well
    if (scaled >= 32767.0f) return 32767;
    return static_cast<int16_t>(scaled);
}

AudioMixReader::AudioMixReader(Composition composition, const AudioMix* audioMix, int sampleRate)
    : sampleRate_(sampleRate > 0 ? sampleRate : kSampleRate) {
    frameCount_ = composition.duration().framesAtRate(sampleRate_);
    durationSeconds_ = composition.duration().seconds();
    for (const CompositionTrack& track : composition.tracks()) {
        if (track.mediaType() != MediaType::Audio) continue;
        const AudioMixInputParameters* parameters = audioMix ? audioMix->parametersForTrack(track.trackID()) : nullptr;
        for (const CompositionSegment& segment : track.segments()) {
            if (segment.isEmpty()) continue;
            Part part;
            part.segment = segment;
            part.targetStart = segment.target.start.framesAtRate(sampleRate_);
            part.targetEnd = segment.target.end().framesAtRate(sampleRate_);
            part.sourceStart = segment.sourceStart.framesAtRate(sampleRate_);
            if (part.targetEnd <= part.targetStart || part.sourceStart < 0) continue;
            if (parameters)
                for (const auto& change : parameters->volumeChanges())
                    part.volumes.emplace_back(change.time.framesAtRate(sampleRate_), change.volume);
            parts_.push_back(std::move(part));
        }
    }
}

AudioMixReader::~AudioMixReader() = default;

void AudioMixReader::noteFailure(Part& part, const foundation::Error& error) {
    part.failed = true;
    part.reader.reset();
    if (!sourceError_) sourceError_ = error;
}

void AudioMixReader::mixPart(Part& part, int64_t firstFrame, int64_t begin, int64_t end) {
    const int64_t from = std::max(begin, part.targetStart);
    const int64_t to = std::min(end, part.targetEnd);
    const int64_t sourceFrame = part.sourceStart + (from - part.targetStart);
    // A source shorter than its segment leaves the rest silent.
    if (from >= to || part.failed || sourceFrame >= part.sourceEnd) return;
    if (!part.reader) {
        auto opened =
            AudioPcmReader::open(part.segment.sourcePath, sampleRate_, kChannelCount, part.segment.sourceTrackID);
        if (!opened) return noteFailure(part, opened.error());
        part.reader = std::move(*opened);
    }
    if (part.reader->position() != sourceFrame) {
        if (auto status = part.reader->seek(sourceFrame); !status) return noteFailure(part, status.error());
    }
    const int64_t count = to - from;
    scratch_.resize(static_cast<size_t>(count) * kChannelCount);
    auto got = part.reader->read(scratch_.data(), count);
    if (!got) return noteFailure(part, got.error());
    if (*got < count) part.sourceEnd = sourceFrame + *got;
    for (int64_t frame = 0; frame < *got;) {
        const int64_t timelineFrame = from + frame;
        const int64_t runEnd = std::min<int64_t>(*got, part.nextChangeAfter(timelineFrame) - from);
        const float volume = part.volumeAt(timelineFrame);
        float* out = sum_.data() + (timelineFrame - firstFrame) * kChannelCount;
        const float* in = scratch_.data() + frame * kChannelCount;
        const size_t samples = static_cast<size_t>(runEnd - frame) * kChannelCount;
        for (size_t i = 0; i < samples; ++i) out[i] += in[i] * volume;
        frame = runEnd;
    }
    // A part read to its end lets its file go (a long movie may hold many
    // clips); reading it again opens it again.
    if (to >= part.targetEnd || *got < count) part.reader.reset();
}

size_t AudioMixReader::read(int64_t startFrame, int16_t* interleaved, size_t frames) {
    const int64_t frameCount = static_cast<int64_t>(frames);
    sum_.assign(frames * kChannelCount, 0.0f);
    // Only the part inside the composition can sound.
    const int64_t from = std::max<int64_t>(startFrame, 0);
    const int64_t to = std::min(startFrame + frameCount, frameCount_);
    for (Part& part : parts_) mixPart(part, startFrame, from, to);
    for (size_t i = 0; i < sum_.size(); ++i) interleaved[i] = saturatedSample(sum_[i]);
    if (startFrame >= frameCount_) return 0;
    return static_cast<size_t>(std::min(frameCount, frameCount_ - startFrame));
}

}  // namespace media
