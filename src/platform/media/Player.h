#pragma once

// A player for one sound file (WAV, AIFF or anything FFmpeg reads): the
// interface sounds of the screens. It plays through the shared AudioOutput
// at its own volume times the device volume (SystemVolume).
//
//     auto shutter = media::Player::create(bundle.pathForResource("camera3", "wav"));
//     if (shutter) (*shutter)->play();
//
// Main thread only.

#include "platform/foundation/Error.h"

#include <memory>
#include <string>

namespace media {

class Player {
public:
    // Reads the file's length; an error when it is missing or no sound.
    static foundation::Result<std::shared_ptr<Player>> create(const std::string& path);

    const std::string& path() const { return path_; }
    double durationSeconds() const { return durationSeconds_; }
    float volume() const { return volume_; }
    void setVolume(float volume);

    // Nothing to prepare ahead: answers whether the file can be played.
    bool prepareToPlay() const { return durationSeconds_ > 0; }
    // Starts from the beginning (again, when playing).
    bool play();
    void stop();
    bool isPlaying() const;

private:
    Player(std::string path, double durationSeconds) : path_(std::move(path)), durationSeconds_(durationSeconds) {}
    std::string path_;
    double durationSeconds_ = 0;
    float volume_ = 1.0f;
};

using PlayerPtr = std::shared_ptr<Player>;

}  // namespace media
