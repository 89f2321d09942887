#pragma once

// Plays the project's mix in the editor and is the clock of the editor's
// preview playback, so pictures follow the sound. The editor marks it stale
// after every saved change (updateAudioPlayer); the player is rebuilt from a
// fresh mix on the first play, seek or clock read after that, and starts
// paused at 0. Without a sound device the player's clock is the main run
// loop's, so the preview goes on silently.
//
// Main thread only.

#include "app/audio/PreviewPlayerDelegate.h"
#include "app/core/ProjectModel.h"
#include "platform/media/Player.h"

#include <cstdint>

class KWAudioController : public PreviewPlayerDelegate {
public:
    explicit KWAudioController(ProjectModelPtr project) : project_(std::move(project)) {}

    bool isPlayerUpdatedNeeded() const { return isPlayerUpdatedNeeded_; }
    // Null before the first build.
    const media::PlayerPtr& audioPlayer() const { return audioPlayer_; }

    // Only marks the player stale.
    void updateAudioPlayer() { isPlayerUpdatedNeeded_ = true; }
    // Rebuilds the player when stale.
    void updateAudioPlayerInternal();

    // Milliseconds played (0 without a player); a paused player is started
    // first, so reading the clock resumes playback.
    int64_t getCurentTimeIndex() override;
    // Seeks; the player plays once the seek completes.
    void setCurentTimeIndex(int64_t timeIndex) override;
    void play() override;
    // Pauses; never rebuilds.
    void stop() override;

private:
    ProjectModelPtr project_;
    media::PlayerPtr audioPlayer_;
    bool isPlayerUpdatedNeeded_ = true;
};
