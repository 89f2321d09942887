#pragma once

// Where players send their sound. The application plays through the
// machine's audio device (Qt Multimedia); tests install a NullAudioOutput,
// which plays nothing and counts what it was asked to play.
//
// Two kinds of sound go out: whole files started by name (interface sounds)
// and streams of samples that a timed player pulls while it plays (a mix,
// a recording). A stream's device reports how many frames it has played,
// which is the clock of its player; an output without a device opens no
// stream and its players keep time on the main run loop's clock.
//
// A stream is open on the device from openStream() until it is destroyed,
// and an open stream costs the device and this process work even while it
// plays nothing: players let theirs go when they pause or end, and an
// interface sound's stream closes once the sound has played out.
//
// Main thread only.

#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Timer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace media {

// Fills `frames` frames of interleaved 16-bit samples; returns how many it
// filled (fewer at the end of the sound). Called on the main thread.
using PcmPull = std::function<size_t(int16_t* interleaved, size_t frames)>;

// A stream playing on a device, paused until started.
class AudioStream {
public:
    virtual ~AudioStream() = default;
    virtual void start() = 0;
    virtual void pause() = 0;
    // Frames the device has played since the stream was opened.
    virtual int64_t framesPlayed() const = 0;
    // Of those, the frames still in the device's buffer, not heard yet: what
    // closing the stream now would cut off.
    virtual int64_t framesQueued() const { return 0; }
    // True once the device went away or refused the stream; the player then
    // keeps time without it.
    virtual bool failed() const = 0;
};

class AudioOutput {
public:
    AudioOutput();
    virtual ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Starts the sound file from its beginning at a volume of 0..1; a sound
    // already playing from that file starts over. `durationSeconds` is the
    // file's length. False when the output cannot play it. The file is
    // decoded once and kept; its stream closes when it has played out.
    virtual bool play(const std::string& path, double durationSeconds, float volume);
    virtual void stop(const std::string& path);
    virtual bool isPlaying(const std::string& path) const;

    // A stream of samples at the given rate and channel count, pulled from
    // `pull` while it plays; null when there is no device to play it on.
    std::unique_ptr<AudioStream> openStream(int sampleRate, int channelCount, PcmPull pull);
    // Streams of this output open now, interface sounds' and players' alike.
    size_t openStreamCount() const { return *openStreams_; }

    // The output every player uses; the machine's audio device unless
    // another was installed. TOLLIVAR_AUDIO=null chooses the null output.
    static std::shared_ptr<AudioOutput> shared();
    // Installs an output for every player (null: back to the default).
    static void setShared(std::shared_ptr<AudioOutput> output);

    // Interface sounds are decoded at this rate and channel count.
    static constexpr int kSoundRate = 44100;
    static constexpr int kSoundChannels = 2;
    // How long a stream may take past its sound's length to report the
    // sound played (what the device still held); it is closed then anyway.
    static constexpr double kPlayOutGraceSeconds = 2.0;

protected:
    // The device's own stream; this base has no device and answers null.
    virtual std::unique_ptr<AudioStream> openDeviceStream(int sampleRate, int channelCount, PcmPull pull);

private:
    using Samples = std::vector<int16_t>;
    struct Cursor;
    struct Sound {
        std::shared_ptr<Cursor> cursor;
        std::unique_ptr<AudioStream> stream;
        double startedAt = 0;
        foundation::TimerHandle closeTimer;
        ~Sound();
    };
    std::shared_ptr<const Samples> samplesFor(const std::string& path);
    // Closes the sound's stream once the device has played it, else looks again later.
    void closeWhenPlayedOut(const std::string& path);

    std::map<std::string, std::shared_ptr<const Samples>> decoded_;
    std::map<std::string, std::unique_ptr<Sound>> sounds_;
    // Shared with the streams handed out, which may outlive the output.
    std::shared_ptr<size_t> openStreams_ = std::make_shared<size_t>(0);
    foundation::LifeToken life_;
};

// Plays nothing and opens no streams. A sound counts as playing from play() until stop() or
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

// The machine's audio device through Qt Multimedia.
std::shared_ptr<AudioOutput> makeDeviceAudioOutput();

}  // namespace media
