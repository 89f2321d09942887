#pragma once

// Turns the audio clips anchored at a project's frames into one audio
// composition, a track per clip, and an audio mix that carries each clip's
// volume: the sound of the editor's preview, of the clip editor's preview
// and of the rendered movie. Everything is built afresh from the current
// frame list on every call.
//
// Under the frames' clips lies a silence clip from the movie's start to its
// end, so the composition lasts as long as the movie even where no clip
// sounds (the preview's clock runs on it). The silence resource covers the
// first 300 s; a longer movie is filled with generated silence after it.
//
// Main thread (it writes the clips' timeIndexInAudioTrack).

#include "app/core/KWAudioClip.h"
#include "app/core/ProjectModel.h"
#include "platform/media/AudioMix.h"
#include "platform/media/Composition.h"

#include <cstdint>
#include <memory>
#include <vector>

class KWAudioMuxer {
public:
    static constexpr const char* kSilenceTrackName = "SILENCE_TRACK_INTERNAL";
    // The part of the silence resource the silence clip asks for.
    static constexpr int64_t kSilenceResourceMilliseconds = 300000;

    explicit KWAudioMuxer(ProjectModelPtr project) : project_(std::move(project)) {}

    // The clips of the frames in timeline order, each once, at its first
    // expanded position (timeIndexInAudioTrack is written), then the silence clip.
    std::vector<std::shared_ptr<KWAudioClip>> prepareAudioClips();

    // prepareAudioClips, then the composition and mix of those clips. Always
    // true: a clip that cannot be placed is left out and keeps an empty track.
    bool prepareAVMutableComposition(media::CompositionPtr& composition, media::AudioMixPtr& withMix);
    // The composition and mix of exactly these clips, placed at their
    // timeIndexInAudioTrack and cut at the movie's end.
    bool prepareAVMutableComposition(media::CompositionPtr& composition, media::AudioMixPtr& withMix,
                                     const std::vector<std::shared_ptr<KWAudioClip>>& audioClips);

    // The clips the last composition had to leave out because their file
    // could not be read (missing, no regular file, no sound in it) or is
    // none of the project folder's own.
    const std::vector<std::shared_ptr<KWAudioClip>>& unreadableClips() const { return unreadable_; }

    // A new silence clip (never stored).
    static std::shared_ptr<KWAudioClip> makeSilenceClip();
    // Where a clip on expanded position `position` starts: position × the
    // frame length rounded to whole milliseconds, cut down to a multiple of 100.
    static int64_t placeForExpandedPosition(int64_t position, int64_t fps);
    // The movie's length: 1000 / fps × count, cut toward zero.
    static int64_t movieEndMilliseconds(int64_t expandedCount, int64_t fps);

private:
    ProjectModelPtr project_;
    std::vector<std::shared_ptr<KWAudioClip>> unreadable_;
};
