#include "components/gpuimage/GPUImageMovieComposition.h"

#include "components/gpuimage/GPUImageMovieWriter.h"
#include "platform/media/AudioMixReader.h"
#include "platform/media/VideoCompositionReader.h"

namespace gpuimage {

namespace {

// The composed pictures of the composition's video tracks.
class CompositionVideoSource : public GPUImageMovieVideoSource {
public:
    explicit CompositionVideoSource(std::unique_ptr<media::VideoCompositionReader> reader)
        : reader_(std::move(reader)) {}
    foundation::Result<std::optional<media::VideoSample>> next() override { return reader_->next(); }

private:
    std::unique_ptr<media::VideoCompositionReader> reader_;
};

// The composition's mixed sound, 16-bit stereo at the rate the target
// takes, as floats.
class CompositionAudioSource : public GPUImageMovieAudioSource {
public:
    CompositionAudioSource(const media::Composition& composition, const std::optional<media::AudioMix>& mix,
                           int sampleRate)
        : reader_(composition, mix ? &*mix : nullptr, sampleRate) {}
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
                                                   std::optional<media::VideoComposition> videoComposition,
                                                   std::optional<media::AudioMix> audioMix)
    : GPUImageMovie(std::string()),
      composition_(std::move(composition)),
      videoComposition_(std::move(videoComposition)),
      audioMix_(std::move(audioMix)) {}

std::shared_ptr<GPUImageMovieComposition> GPUImageMovieComposition::create(
    media::Composition composition, std::optional<media::VideoComposition> videoComposition,
    std::optional<media::AudioMix> audioMix) {
    return std::make_shared<GPUImageMovieComposition>(std::move(composition), std::move(videoComposition),
                                                      std::move(audioMix));
}

bool GPUImageMovieComposition::createAssetReader() {
    auto video = videoComposition_ ? foundation::Result<media::VideoComposition>(*videoComposition_)
                                   : media::VideoComposition::withPropertiesOf(composition_);
    if (!video) {
        setError(video.error());
        return false;
    }
    // The pipeline takes the pictures at the composition's own size.
    video->renderScale = 1.0;
    auto reader = media::VideoCompositionReader::open(composition_, std::move(*video));
    if (!reader) {
        setError(reader.error());
        return false;
    }
    videoReader_ = std::make_unique<CompositionVideoSource>(std::move(*reader));
    bool hasSound = false;
    for (const media::CompositionTrack& track : composition_.tracks())
        hasSound = hasSound || (track.mediaType() == media::MediaType::Audio && !track.segments().empty());
    audioReader_.reset();
    if (!hasSound) return true;
    if (auto target = soundTarget())
        audioReader_ = std::make_unique<CompositionAudioSource>(composition_, audioMix_, target->audioSampleRate());
    return true;
}

}  // namespace gpuimage
