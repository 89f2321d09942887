#pragma once

// A movie source over an edited composition instead of one file: its
// pictures are the composition's video tracks as its video composition
// composes them (every track's segments at their places on the timeline,
// layered by the instructions' opacities and transforms, at render scale
// 1.0), and its sound is every audio track of the composition through its
// audio mix. Without a video composition the tracks are layered as they
// are, the first on top. Everything else reads as GPUImageMovie does.

#include "components/gpuimage/GPUImageMovie.h"
#include "platform/media/AudioMix.h"
#include "platform/media/Composition.h"
#include "platform/media/VideoComposition.h"

#include <memory>
#include <optional>

namespace gpuimage {

class GPUImageMovieComposition : public GPUImageMovie {
public:
    // Without a mix every track sounds at full volume.
    static std::shared_ptr<GPUImageMovieComposition> create(
        media::Composition composition, std::optional<media::VideoComposition> videoComposition = std::nullopt,
        std::optional<media::AudioMix> audioMix = std::nullopt);

    const media::Composition& compositon() const { return composition_; }
    const std::optional<media::VideoComposition>& videoComposition() const { return videoComposition_; }
    const std::optional<media::AudioMix>& audioMix() const { return audioMix_; }

    // Made through create(); public for std::make_shared.
    GPUImageMovieComposition(media::Composition composition, std::optional<media::VideoComposition> videoComposition,
                             std::optional<media::AudioMix> audioMix);

protected:
    bool createAssetReader() override;

private:
    media::Composition composition_;
    std::optional<media::VideoComposition> videoComposition_;
    std::optional<media::AudioMix> audioMix_;
};

}  // namespace gpuimage
