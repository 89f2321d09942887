#pragma once

// Where players send their sound. The application plays through the
// machine's audio device (Qt Multimedia); tests install a NullAudioOutput,
// which plays nothing and counts what it was asked to play.
//
// Main thread only.

#include <map>
#include <memory>
#include <string>

namespace media {

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts the sound file from its beginning at a volume of 0..1; a sound
    // already playing from that file starts over. `durationSeconds` is the
    // file's length. False when the output cannot play it.
    virtual bool play(const std::string& path, double durationSeconds, float volume) = 0;
    virtual void stop(const std::string& path) = 0;
    virtual bool isPlaying(const std::string& path) const = 0;

    // The output every player uses; the machine's audio device unless
    // another was installed. TOLLIVAR_AUDIO=null chooses the null output.
    static std::shared_ptr<AudioOutput> shared();
    // Installs an output for every player (null: back to the default).
    static void setShared(std::shared_ptr<AudioOutput> output);
};

// Plays nothing. A sound counts as playing from play() until stop() or
// until its duration has passed on the main run loop's clock.
class NullAudioOutput : public AudioOutput {
public:
    bool play(const std::string& path, double durationSeconds, float volume) override;
    void stop(const std::string& path) override;
    bool isPlaying(const std::string& path) const override;

    // How often a file (matched by its last path component) was played and stopped.
    int plays(const std::string& fileName) const;
    int stops(const std::string& fileName) const;
    int totalPlays() const;

private:
    struct Sound {
        int plays = 0;
        int stops = 0;
        double endsAt = 0;
    };
    const Sound* find(const std::string& path) const;
    std::map<std::string, Sound> sounds_;  // by path
};

// The machine's audio device through Qt Multimedia (defined with the player).
std::shared_ptr<AudioOutput> makeDeviceAudioOutput();

}  // namespace media
