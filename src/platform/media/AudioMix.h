#pragma once

// How loud each track of a composition sounds: per track a volume that
// changes at given times. A track without parameters, and any time before a
// track's first change, plays at full volume (1.0).

#include "platform/media/MediaTime.h"

#include <memory>
#include <vector>

namespace media {

class AudioMixInputParameters {
public:
    explicit AudioMixInputParameters(int trackID) : trackID_(trackID) {}

    int trackID() const { return trackID_; }
    // From `atTime` on (until a later change) the track plays at `volume`,
    // clamped to 0..1. A second change at the same time replaces the first.
    void setVolume(float volume, const MediaTime& atTime);
    float volumeAtTime(const MediaTime& time) const;

    struct VolumeChange {
        MediaTime time;
        float volume;
    };
    // In time order.
    const std::vector<VolumeChange>& volumeChanges() const { return changes_; }

private:
    int trackID_;
    std::vector<VolumeChange> changes_;
};

class AudioMix {
public:
    AudioMix() = default;
    explicit AudioMix(std::vector<AudioMixInputParameters> inputParameters)
        : inputParameters_(std::move(inputParameters)) {}

    const std::vector<AudioMixInputParameters>& inputParameters() const { return inputParameters_; }
    // The first parameters of that track; null when it has none.
    const AudioMixInputParameters* parametersForTrack(int trackID) const;

private:
    std::vector<AudioMixInputParameters> inputParameters_;
};

using AudioMixPtr = std::shared_ptr<AudioMix>;

}  // namespace media
