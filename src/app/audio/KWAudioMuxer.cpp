#include "app/audio/KWAudioMuxer.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Paths.h"
#include "platform/media/Asset.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace {

using media::MediaTime;
using media::TimeRange;

MediaTime milliseconds(int64_t value) { return MediaTime::make(value, 1000); }

// Clip times come from stored files: keep sums of them inside 64 bits.
int64_t saturated(__int128 value) {
    if (value > std::numeric_limits<int64_t>::max()) return std::numeric_limits<int64_t>::max();
    if (value < std::numeric_limits<int64_t>::min()) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

std::optional<std::string> silenceResourcePath() {
    return foundation::Bundle::main().pathForResource("silent_audio", "m4a");
}

}  // namespace

std::shared_ptr<KWAudioClip> KWAudioMuxer::makeSilenceClip() {
    auto silence = std::make_shared<KWAudioClip>(std::string(kSilenceTrackName), std::string());
    silence->setStart(0);
    silence->setStop(kSilenceResourceMilliseconds);
    silence->setDuration(kSilenceResourceMilliseconds);
    silence->setVolume(1.0f);
    silence->setTimeIndexInAudioTrack(0);
    return silence;
}

int64_t KWAudioMuxer::placeForExpandedPosition(int64_t position, int64_t fps) {
    const double frameLength = 1000.0 / static_cast<double>(fps);
    const double ms = std::round(static_cast<double>(position) * frameLength);
    if (!(ms > 0)) return 0;
    if (ms >= 9.2e18) return std::numeric_limits<int64_t>::max() / 100 * 100;
    return static_cast<int64_t>(ms) / 100 * 100;
}

int64_t KWAudioMuxer::movieEndMilliseconds(int64_t expandedCount, int64_t fps) {
    const double end = (1.0 / static_cast<double>(fps)) * 1000.0 * static_cast<double>(expandedCount);
    if (!(end > 0)) return 0;
    if (end >= 9.2e18) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(end);
}

std::vector<std::shared_ptr<KWAudioClip>> KWAudioMuxer::prepareAudioClips() {
    std::vector<std::shared_ptr<KWAudioClip>> clips;
    const int64_t fps = project_->getFPS();
    if (auto frames = project_->getFrameList()) {
        std::set<const KWAudioClip*> placed;
        // Walks the holds instead of the expanded list, which may be huge.
        int64_t position = 0;
        for (const FramePtr& frame : *frames) {
            if (frame->type() == Frame::kTypeCaptureSlot || frame->getDuration() < 1) continue;
            const int64_t first = position;
            position = saturated(static_cast<__int128>(position) + frame->getDuration());
            auto clip = frame->getAudio();
            // A clip shared by several frames plays once, at its first place.
            if (!clip || !placed.insert(clip.get()).second) continue;
            clip->setTimeIndexInAudioTrack(placeForExpandedPosition(first, fps));
            clips.push_back(std::move(clip));
        }
    }
    clips.push_back(makeSilenceClip());
    return clips;
}

bool KWAudioMuxer::prepareAVMutableComposition(media::CompositionPtr& composition, media::AudioMixPtr& withMix) {
    return prepareAVMutableComposition(composition, withMix, prepareAudioClips());
}

bool KWAudioMuxer::prepareAVMutableComposition(media::CompositionPtr& composition, media::AudioMixPtr& withMix,
                                               const std::vector<std::shared_ptr<KWAudioClip>>& audioClips) {
    auto frames = project_->getFrameList();
    const int64_t movieEnd = movieEndMilliseconds(frames ? frames->expandedFrameCount() : 0, project_->getFPS());
    const std::optional<std::string> projectPath = project_->getProjectPath();

    unreadable_.clear();
    auto built = std::make_shared<media::Composition>();
    std::vector<media::AudioMixInputParameters> parameters;
    for (const auto& clip : audioClips) {
        // Every clip has a track of its own, also one that is then left out,
        // so overlapping clips sound together and never cut one another.
        media::CompositionTrack& track = built->addMutableTrack(media::MediaType::Audio);
        const bool isSilence = clip->name() == std::string(kSilenceTrackName);
        const int64_t place = clip->timeIndexInAudioTrack();
        int64_t duration = saturated(static_cast<__int128>(clip->stop()) - clip->start());
        // The silence lasts as long as the movie, also past its resource's
        // 300 s; otherwise the preview's clock would stop there.
        if (isSilence) duration = std::max(duration, saturated(static_cast<__int128>(movieEnd) - place));
        // The clip never sounds past the last frame: its tail is cut.
        if (saturated(static_cast<__int128>(place) + duration) > movieEnd)
            duration = saturated(static_cast<__int128>(movieEnd) - place);
        // Placed after the movie's end, stopping before it starts, or of no
        // length (an empty or damaged file): nothing to hear.
        if (duration <= 0 || place < 0 || clip->start() < 0 || clip->duration() == 0) continue;

        if (isSilence) {
            // The resource covers its first 300 s; generated silence the rest.
            const int64_t fromResource = std::min(duration, kSilenceResourceMilliseconds);
            bool inserted = false;
            if (auto resource = silenceResourcePath()) {
                auto asset = media::Asset::open(*resource);
                auto sources =
                    asset ? asset->tracksWithMediaType(media::MediaType::Audio) : std::vector<media::AssetTrack>{};
                if (!sources.empty())
                    inserted =
                        track
                            .insertTimeRange(TimeRange::make(milliseconds(clip->start()), milliseconds(fromResource)),
                                             *asset, sources.front(), milliseconds(place))
                            .ok();
            }
            const int64_t generatedFrom = inserted ? fromResource : 0;
            if (duration > generatedFrom)
                (void)track.insertEmptyTimeRange(
                    TimeRange::make(milliseconds(place + generatedFrom), milliseconds(duration - generatedFrom)));
        } else {
            const std::string fileName = clip->fileName().value_or("");
            // Only a file of the project folder itself is played.
            if (!projectPath || fileName.empty() || fileName.find('/') != std::string::npos || fileName == "..") {
                unreadable_.push_back(clip);
                continue;
            }
            auto asset = media::Asset::open(foundation::path::appending(*projectPath, fileName));
            auto sources =
                asset ? asset->tracksWithMediaType(media::MediaType::Audio) : std::vector<media::AssetTrack>{};
            if (sources.empty() ||
                !track.insertTimeRange(TimeRange::make(milliseconds(clip->start()), milliseconds(duration)), *asset,
                                       sources.front(), milliseconds(place))) {
                unreadable_.push_back(clip);
                continue;
            }
        }
        parameters.emplace_back(track.trackID());
        parameters.back().setVolume(clip->volume(), milliseconds(place));
    }
    composition = std::move(built);
    withMix = std::make_shared<media::AudioMix>(std::move(parameters));
    return true;
}
