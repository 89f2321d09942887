// Movie files the video import takes pictures from, and movies the render
// cache checks: opened by the media layer, a small upright picture taken at
// the start and in the middle as the import does, the first pictures read
// as the GPU pipeline's movie source reads them, and the cache's probe.
// FFmpeg reads from a file, so each input is written to the scratch folder
// first.

#include "FuzzTarget.h"

#include "platform/media/Asset.h"
#include "platform/media/AssetImageGenerator.h"
#include "platform/media/MovieProbe.h"
#include "platform/media/VideoSampleReader.h"

TOLLIVAR_FUZZ_TARGET(video_file) {
    const std::string path = fuzzing::writeScratchFile("movie", data, size);
    (void)media::probeMovie(path);
    if (auto reader = media::VideoSampleReader::open(path); reader.ok()) {
        for (int i = 0; i < 4; ++i) {
            auto sample = (*reader)->next();
            if (!sample.ok() || !*sample) break;
        }
    }
    auto asset = media::Asset::open(path);
    if (!asset.ok() || !asset->firstVideoTrack()) return 0;
    const double middle = asset->durationSeconds() / 2;
    auto generator = media::AssetImageGenerator::create(std::move(*asset));
    generator->appliesPreferredTrackTransform = true;
    generator->maximumSize = graphics::Size{160, 120};
    (void)generator->copyImageAtTime(media::MediaTime::zero());
    if (middle > 0 && middle < 1e6) (void)generator->copyImageAtTime(media::MediaTime::fromSeconds(middle, 600));
    return 0;
}
