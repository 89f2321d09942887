#include "components/gpuimage/GPUImageMovieComposition.h"

#include "components/gpuimage/GPUImageMovieWriter.h"
#include "platform/media/AudioMixReader.h"
#include "platform/media/VideoSampleReader.h"

namespace gpuimage {

using media::MediaTime;

namespace {

// The segments' pictures in timeline order, each source read from the
// segment's start to its end.
class CompositionVideoSource : public GPUImageMovieVideoSource {
public:
    explicit CompositionVideoSource(std::vector<media::CompositionSegment> segments) : segments_(std::move(segments)) {}

    foundation::Result<std::optional<media::VideoSample>> next() override {
        while (index_ < segments_.size()) {
            const media::CompositionSegment& segment = segments_[index_];
            if (segment.isEmpty()) {
                ++index_;
                continue;
            }
            if (!reader_) {
                auto opened = media::VideoSampleReader::open(segment.sourcePath);
                if (!opened) return opened.error();
                reader_ = std::move(*opened);
            }
            auto sample = reader_->next();
            if (!sample) return sample.error();
            const MediaTime end = segment.sourceStart + segment.target.duration;
            if (!*sample || (*sample)->presentationTime >= end) {
                reader_.reset();
                ++index_;
                continue;
            }
            const MediaTime time = (*sample)->presentationTime;
            if (time < segment.sourceStart) continue;
            (*sample)->presentationTime = (segment.target.start + (time - segment.sourceStart))
                                              .convertScale(media::VideoSampleReader::kTimescale);
            return sample;
        }
        return std::optional<media::VideoSample>();
    }

private:
    std::vector<media::CompositionSegment> segments_;
    size_t index_ = 0;
    std::unique_ptr<media::VideoSampleReader> reader_;
};

// The composition's mixed sound, 16-bit stereo at 44.1 kHz, as floats.
class CompositionAudioSource : public GPUImageMovieAudioSource {
public:
    CompositionAudioSource(const media::Composition& composition, const std::optional<media::AudioMix>& mix)
        : reader_(composition, mix ? &*mix : nullptr) {}
    int sampleRate() const override { return reader_.sampleRate(); }
    int channelCount() const override { return reader_.channelCount(); }
    foundation::Result<int64_t> read(float* interleaved, int64_t frames) override {
        scratch_.resize(size_t(frames) * size_t(channelCount()));
        const size_t got = reader_.read(position_, scratch_.data(), size_t(frames));
        for (size_t i = 0; i < got * size_t(channelCount()); ++i) interleaved[i] = float(scratch_[i]) / 32768.0f;
        position_ += int64_t(got);
        return int64_t(got);
    }

private:
    media::AudioMixReader reader_;
    int64_t position_ = 0;
    std::vector<int16_t> scratch_;
};

}  // namespace

GPUImageMovieComposition::GPUImageMovieComposition(media::Composition composition,
                                                   std::optional<media::AudioMix> audioMix)
    : GPUImageMovie(std::string()), composition_(std::move(composition)), audioMix_(std::move(audioMix)) {}

std::shared_ptr<GPUImageMovieComposition> GPUImageMovieComposition::create(media::Composition composition,
                                                                           std::optional<media::AudioMix> audioMix) {
    return std::make_shared<GPUImageMovieComposition>(std::move(composition), std::move(audioMix));
}

bool GPUImageMovieComposition::createAssetReader() {
    const media::CompositionTrack* videoTrack = nullptr;
    bool hasSound = false;
    for (const media::CompositionTrack& track : composition_.tracks()) {
        if (track.mediaType() == media::MediaType::Video && !videoTrack) videoTrack = &track;
        hasSound = hasSound || (track.mediaType() == media::MediaType::Audio && !track.segments().empty());
    }
    videoReader_ = std::make_unique<CompositionVideoSource>(videoTrack ? videoTrack->segments()
                                                                       : std::vector<media::CompositionSegment>());
    audioReader_.reset();
    if (hasSound && soundTarget()) audioReader_ = std::make_unique<CompositionAudioSource>(composition_, audioMix_);
    return true;
}

}  // namespace gpuimage
