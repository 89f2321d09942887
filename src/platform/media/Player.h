#pragma once

// A player for one sound: a file (WAV, AIFF or anything FFmpeg reads) or a
// source of samples such as a project's mix. It plays through the shared
// AudioOutput at its own volume times the device volume (SystemVolume).
//
// Two ways to play:
// - Interface sounds start over from the beginning with play():
//
//     auto shutter = media::Player::create(bundle.pathForResource("camera3", "wav"));
//     if (shutter) (*shutter)->play();
//
// - Timed playback has a rate, a current time and seeks, like a transport:
//
//     player->seekToTime(MediaTime::make(4000, 1000), [player](bool) { player->setRate(1.0); });
//     ... player->currentTime() ...
//
//   While the rate is not 0 the clock follows the frames the output device
//   has played; with no device, or once it is lost, it follows the main run
//   loop's clock (virtual in tests), so playback goes on silently. At the
//   end the rate drops to 0, the time stays at the end and
//   kDidPlayToEndTimeNotification is posted with the player as its object.
//   Rates other than 1 (fast forward 3, backwards −2) keep time on the run
//   loop without sound; backwards play stops at 0 with the rate 0 and no
//   notification.
//
// A movie's pictures follow the same clock: currentVideoImage() is the
// frame shown at currentTime(), decoded when asked for; a
// PlayerItemVideoOutput added to the player hands them out at any item
// time to a consumer that draws them itself. A periodic time observer is
// how a screen follows playback:
//
//     token = player->addPeriodicTimeObserver(0.1, [](MediaTime t) { ... });
//     ...
//     player->removeTimeObserver(token);
//
// Main thread only.

#include "platform/foundation/Error.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/media/MediaTime.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace media {

class AudioStream;
class PlayerItemVideoOutput;
namespace detail {
class PlayerVideo;
}

// Samples a timed player plays: 16-bit interleaved frames from any frame on.
class PcmSource {
public:
    virtual ~PcmSource() = default;
    virtual int sampleRate() const = 0;
    virtual int channelCount() const = 0;
    virtual double durationSeconds() const = 0;
    // Fills up to `frames` frames from `startFrame` on; returns how many it
    // filled (fewer at the end, 0 past it or on a read error).
    virtual size_t read(int64_t startFrame, int16_t* interleaved, size_t frames) = 0;
};

class Player : public std::enable_shared_from_this<Player> {
public:
    static constexpr const char* kDidPlayToEndTimeNotification = "AVPlayerItemDidPlayToEndTimeNotification";

    // Reads the file's length; an error when it is missing or no sound.
    static foundation::Result<std::shared_ptr<Player>> create(const std::string& path);
    // A player over a source of samples (its duration may be 0).
    static std::shared_ptr<Player> create(std::shared_ptr<PcmSource> source);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // The file's path; empty for a player over a source.
    const std::string& path() const { return path_; }
    double durationSeconds() const { return durationSeconds_; }
    float volume() const { return volume_; }
    void setVolume(float volume);

    // Interface sounds. Nothing to prepare ahead: answers whether the file
    // can be played.
    bool prepareToPlay() const { return durationSeconds_ > 0; }
    // Starts the file from the beginning (again, when playing).
    bool play();
    void stop();
    bool isPlaying() const;

    // Timed playback. 0 pauses; any other rate plays from the current time,
    // a negative one backwards.
    float rate() const { return rate_; }
    void setRate(float rate);
    // Within 0 and the duration.
    MediaTime currentTime() const;
    double currentTimeSeconds() const;
    // Moves to `time` (clamped to the sound) at once; the completion runs
    // later on the main run loop, with false when a newer seek overtook it.
    void seekToTime(MediaTime time, std::function<void(bool finished)> completion = {});
    // Like seekToTime, but may land anywhere from `toleranceBefore` before
    // to `toleranceAfter` after `time`: on the frame already decoded there,
    // or on the keyframe before it, which costs one frame to decode. The
    // current time becomes the time landed on.
    void seekToTime(MediaTime time, MediaTime toleranceBefore, MediaTime toleranceAfter,
                    std::function<void(bool finished)> completion = {});
    // Whether the clock follows an output device now (else the run loop).
    bool isClockedByDevice() const;

    // ---- video ----------------------------------------------------------------------------
    bool hasVideo() const { return video_ != nullptr; }
    // The pictures' size in pixels; zero without video.
    graphics::Size presentationSize() const;
    // The frame shown at the current time; none without video or when it
    // cannot be decoded.
    std::optional<graphics::Image> currentVideoImage();
    // The start of that frame in seconds.
    std::optional<double> currentVideoFrameSeconds();
    // The item time at `hostTime` on the main run loop's clock, as playback
    // goes now (within 0 and the duration).
    MediaTime itemTimeForHostTime(double hostTime) const;

    // ---- outputs ------------------------------------------------------------------------------
    // An output belongs to one player at a time: adding it here takes it
    // from another. The player holds its outputs until they are removed.
    void addOutput(std::shared_ptr<PlayerItemVideoOutput> output);
    // An output that is not added changes nothing.
    void removeOutput(const std::shared_ptr<PlayerItemVideoOutput>& output);
    const std::vector<std::shared_ptr<PlayerItemVideoOutput>>& outputs() const { return outputs_; }

    // ---- periodic time observers ------------------------------------------------------------
    using TimeObserverToken = uint64_t;
    // Calls `block` on the main run loop every `intervalSeconds` while the
    // rate is not 0, and once `intervalSeconds` after it was added, paused or
    // the time jumped (a seek, the end) while paused; a paused player keeps
    // no timer running. The token removes it; a player that goes away takes
    // its observers with it.
    TimeObserverToken addPeriodicTimeObserver(double intervalSeconds, std::function<void(MediaTime time)> block);
    // An unknown or removed token changes nothing.
    void removeTimeObserver(TimeObserverToken token);
    size_t timeObserverCount() const { return observers_.size(); }

private:
    friend class PlayerItemVideoOutput;

    Player(std::string path, double durationSeconds, std::shared_ptr<PcmSource> source);
    // The time reached now, moving to the run loop's clock when the device
    // stream failed since the last look.
    double timeNow() const;
    void anchorAt(double seconds) const;
    // Opens a device stream that reads the source from `fromSeconds` on.
    void startStream(double fromSeconds);
    void scheduleEnd();
    void reachEnd();
    size_t pull(int16_t* interleaved, size_t frames);
    void moveTo(double target, std::function<void(bool finished)> completion);

    struct TimeObserver {
        TimeObserverToken token;
        double intervalSeconds;
        std::function<void(MediaTime)> block;
        foundation::TimerHandle timer;
        double lastReported = -1;
    };
    void tick(TimeObserverToken token);
    // After the rate changed or the time jumped: a repeating tick while
    // playing, one more tick when paused.
    void scheduleTimeObservers();
    void scheduleTimeObserver(TimeObserver& observer);
    // After the rate changed or the time jumped.
    void notifyOutputs();

    std::string path_;
    double durationSeconds_ = 0;
    std::shared_ptr<PcmSource> source_;
    float volume_ = 1.0f;

    float rate_ = 0;
    // The clock: the time at the anchor plus what passed since, counted in
    // device frames (stream) or run-loop seconds.
    mutable double anchorSeconds_ = 0;
    mutable double anchorRunLoopTime_ = 0;
    mutable int64_t anchorStreamFrames_ = 0;
    mutable std::unique_ptr<AudioStream> stream_;
    int64_t nextReadFrame_ = 0;
    uint64_t seekGeneration_ = 0;
    foundation::TimerHandle endTimer_;
    std::unique_ptr<detail::PlayerVideo> video_;
    std::vector<TimeObserver> observers_;
    TimeObserverToken nextObserverToken_ = 1;
    std::vector<std::shared_ptr<PlayerItemVideoOutput>> outputs_;
};

using PlayerPtr = std::shared_ptr<Player>;

}  // namespace media
