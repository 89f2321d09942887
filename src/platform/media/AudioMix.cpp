#include "platform/media/AudioMix.h"

#include <algorithm>
#include <cmath>

namespace media {

void AudioMixInputParameters::setVolume(float volume, const MediaTime& atTime) {
    if (!atTime.isValid()) return;
    volume = std::isnan(volume) ? 0.0f : std::clamp(volume, 0.0f, 1.0f);
    auto later = std::find_if(changes_.begin(), changes_.end(),
                              [&](const VolumeChange& change) { return change.time >= atTime; });
    if (later != changes_.end() && later->time == atTime) {
        later->volume = volume;
        return;
    }
    changes_.insert(later, VolumeChange{atTime, volume});
}

float AudioMixInputParameters::volumeAtTime(const MediaTime& time) const {
    float volume = 1.0f;
    for (const VolumeChange& change : changes_) {
        if (change.time > time) break;
        volume = change.volume;
    }
    return volume;
}

const AudioMixInputParameters* AudioMix::parametersForTrack(int trackID) const {
    for (const AudioMixInputParameters& parameters : inputParameters_)
        if (parameters.trackID() == trackID) return &parameters;
    return nullptr;
}

}  // namespace media
