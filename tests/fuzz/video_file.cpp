// Movie files the video import takes pictures from, and movies the render
// cache checks: opened by the media layer, a small upright picture taken at
// the start and in the middle as the import does, the first pictures read
// as the GPU pipeline's movie source reads them (from the file, through a
// composition and its default video composition, and from a player's
// video output), and the cache's probe.
// FFmpeg reads from a file, so each input is written to the scratch folder
// first.

#include "FuzzTarget.h"

#include "platform/media/Asset.h"
#include "platform/media/AssetImageGenerator.h"
#include "platform/media/MovieProbe.h"
#include "platform/media/Player.h"
#include "platform/media/PlayerItemVideoOutput.h"
#include "platform/media/VideoCompositionReader.h"
#include "platform/media/VideoSampleReader.h"

#include <algorithm>
#include <cmath>

namespace {

// The first second of the file's video track as a composition's only
// track, composed at four pictures a second.
void readThroughComposition(const media::Asset& asset) {
    const double seconds = std::isfinite(asset.durationSeconds()) ? std::clamp(asset.durationSeconds(), 0.0, 1.0) : 0;
    media::Composition composition;
    if (!composition.addMutableTrack(media::MediaType::Video)
             .insertTimeRange(media::TimeRange::make(media::MediaTime::zero(), media::MediaTime::fromSeconds(seconds, 600)),
                              asset, *asset.firstVideoTrack(), media::MediaTime::zero()))
        return;
    auto video = media::VideoComposition::withPropertiesOf(composition);
    if (!video.ok()) return;
    video->frameDuration = media::MediaTime::make(1, 4);
    auto reader = media::VideoCompositionReader::open(composition, *video);
    if (!reader.ok()) return;
    for (int i = 0; i < 4; ++i) {
        auto sample = (*reader)->next();
        if (!sample.ok() || !*sample) break;
    }
}

}  // namespace

TOLLIVAR_FUZZ_TARGET(video_file) {
    const std::string path = fuzzing::writeScratchFile("movie", data, size);
    (void)media::probeMovie(path);
    if (auto reader = media::VideoSampleReader::open(path); reader.ok()) {
        for (int i = 0; i < 4; ++i) {
            auto sample = (*reader)->next();
            if (!sample.ok() || !*sample) break;
        }
    }
    if (auto player = media::Player::create(path); player.ok()) {
        auto output = media::PlayerItemVideoOutput::create();
        (*player)->addOutput(output);
        (void)output->copyPixelBufferForItemTime(media::MediaTime::zero());
    }
    auto asset = media::Asset::open(path);
    if (!asset.ok() || !asset->firstVideoTrack()) return 0;
    readThroughComposition(*asset);
    const double middle = asset->durationSeconds() / 2;
    auto generator = media::AssetImageGenerator::create(std::move(*asset));
    generator->appliesPreferredTrackTransform = true;
    generator->maximumSize = graphics::Size{160, 120};
    (void)generator->copyImageAtTime(media::MediaTime::zero());
    if (middle > 0 && middle < 1e6) (void)generator->copyImageAtTime(media::MediaTime::fromSeconds(middle, 600));
    return 0;
}
