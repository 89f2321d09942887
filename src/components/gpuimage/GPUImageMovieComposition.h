#pragma once

// A movie source over an edited composition instead of one file: its
// pictures are those of the composition's first video track, segment after
// segment (each from its source file's first video track, at its place on
// the timeline; gaps show nothing), and its sound is the composition
// through its audio mix. Everything else reads as GPUImageMovie does.

#include "components/gpuimage/GPUImageMovie.h"
#include "platform/media/AudioMix.h"
#include "platform/media/Composition.h"

#include <memory>
#include <optional>

namespace gpuimage {

class GPUImageMovieComposition : public GPUImageMovie {
public:
    // Without a mix every track sounds at full volume.
    static std::shared_ptr<GPUImageMovieComposition> create(media::Composition composition,
                                                            std::optional<media::AudioMix> audioMix = std::nullopt);

    const media::Composition& compositon() const { return composition_; }
    const std::optional<media::AudioMix>& audioMix() const { return audioMix_; }

    // Made through create(); public for std::make_shared.
    GPUImageMovieComposition(media::Composition composition, std::optional<media::AudioMix> audioMix);

protected:
    bool createAssetReader() override;

private:
    media::Composition composition_;
    std::optional<media::AudioMix> audioMix_;
};

}  // namespace gpuimage
