#pragma once

// The movie source: reads the pictures of a movie file, decoded by FFmpeg
// to BGRA, uploads each into the output texture and pushes it to the
// targets with its presentation time; the sound goes to the audio encoding
// target (a movie writer) when one is set.
//
// Reading runs on a thread of its own, entering the context queue once per
// picture, so the queue stays free for other sources between frames. It
// reads as fast as it can, at the movie's own pace (playAtActualSpeed), in a
// loop (shouldRepeat), or as a synchronised movie writer pulls it.
//
// A movie over a player instead follows the player's playback: a display
// link on the main run loop asks the player's video output at every screen
// refresh for the picture of the next refresh's item time and pushes it
// with that time. The link sleeps until the output says its pictures are
// about to change (0.1 s ahead) and runs until endProcessing. Start it on
// the main thread, where the player lives.
//
// Make movies with the create functions; the reading keeps the movie alive
// until the end of the file or endProcessing.

#include "components/gpuimage/GPUImageOutput.h"
#include "platform/media/Asset.h"
#include "platform/media/Player.h"
#include "platform/media/PlayerItemVideoOutput.h"
#include "platform/media/SampleBuffers.h"
#include "platform/ui/compositing/DisplayLink.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace gpuimage {

class GPUImageMovieWriter;

// What one reading of a movie goes through: its pictures in display order,
// and its sound when a movie writer takes it.
class GPUImageMovieVideoSource {
public:
    virtual ~GPUImageMovieVideoSource() = default;
    // The next picture; none at the end.
    virtual foundation::Result<std::optional<media::VideoSample>> next() = 0;
};

class GPUImageMovieAudioSource {
public:
    virtual ~GPUImageMovieAudioSource() = default;
    virtual int sampleRate() const = 0;
    virtual int channelCount() const = 0;
    // Up to `frames` interleaved frames; fewer only at the end (0 there).
    virtual foundation::Result<int64_t> read(float* interleaved, int64_t frames) = 0;
};

class GPUImageMovieDelegate {
public:
    virtual ~GPUImageMovieDelegate() = default;
    virtual void didCompletePlayingMovie() {}
};

class GPUImageMovie : public GPUImageOutput, public media::PlayerItemOutputPullDelegate {
public:
    static std::shared_ptr<GPUImageMovie> createWithURL(const std::string& path);
    // The asset's file, read the same way.
    static std::shared_ptr<GPUImageMovie> createWithAsset(const media::Asset& asset);
    // The pictures the player shows as it plays.
    static std::shared_ptr<GPUImageMovie> createWithPlayerItem(media::PlayerPtr playerItem);
    ~GPUImageMovie() override;

    const std::string& url() const { return path_; }
    const media::PlayerPtr& playerItem() const { return playerItem_; }
    // The player path's link and output, once processing started.
    std::shared_ptr<ui::DisplayLink> displayLink() const;
    std::shared_ptr<media::PlayerItemVideoOutput> playerItemOutput() const;

    // Starts reading from the beginning. A file that does not open logs
    // "Error reading from file at URL: ..." and keeps the error; no frames
    // and no completion follow.
    void startProcessing();
    // Stops reading; the targets and the delegate hear of the end once.
    void endProcessing();
    void cancelProcessing() { endProcessing(); }
    // The writer paces the reading through its ready callbacks; it is then
    // not a live writer.
    void enableSynchronizedEncodingUsingMovieWriter(std::shared_ptr<GPUImageMovieWriter> writer);

    // The next picture to the targets (true), or false at the end.
    bool readNextVideoFrame();
    // The next run of sound to the audio encoding target (true), or false
    // at the end.
    bool readNextAudioSample();
    // On the context queue: uploads the picture and serves every target.
    void processMovieFrame(const media::VideoSample& sample);

    // The player path, on the main thread: the picture of the next refresh.
    void displayLinkCallback(ui::DisplayLink& link);
    // From the output, on the context queue: the link wakes up.
    void outputMediaDataWillChange(media::PlayerItemVideoOutput& sender) override;

    bool runBenchmark() const { return runBenchmark_; }
    void setRunBenchmark(bool run) { runBenchmark_ = run; }
    bool playAtActualSpeed() const { return playAtActualSpeed_; }
    void setPlayAtActualSpeed(bool actualSpeed) { playAtActualSpeed_ = actualSpeed; }
    bool shouldRepeat() const { return shouldRepeat_; }
    void setShouldRepeat(bool repeat) { shouldRepeat_ = repeat; }
    void setDelegate(std::weak_ptr<GPUImageMovieDelegate> delegate);

    // Made through createWithURL(); public for std::make_shared.
    explicit GPUImageMovie(std::string path);

protected:
    // Opens the sources of one reading; false (error set) when they do not open.
    virtual bool createAssetReader();
    // The audio encoding target that takes the sound, when there is one; it
    // is told that each run of sound is handed on once.
    std::shared_ptr<GPUImageAudioEncodingTarget> soundTarget();

    std::unique_ptr<GPUImageMovieVideoSource> videoReader_;
    std::unique_ptr<GPUImageMovieAudioSource> audioReader_;

private:
    void processPlayerItem();
    // Lets the player path's link and output go.
    void retirePlayerPath();
    void processAsset();
    void readLoop();
    void paceToActualSpeed(media::MediaTime time);

    const std::string path_;
    media::PlayerPtr playerItem_;
    std::thread readingThread_;
    std::weak_ptr<GPUImageMovieWriter> synchronizedMovieWriter_;

    // Touched by one reading thread or queue at a time.
    int64_t audioFramesRead_ = 0;
    media::MediaTime lastVideoTime_ = media::MediaTime::zero();
    media::MediaTime previousFrameTime_ = media::MediaTime::zero();
    double previousActualFrameTime_ = 0;

    mutable std::mutex mutex_;  // guards the delegate, the reader hand-over and the player path's link and output
    std::weak_ptr<GPUImageMovieDelegate> delegate_;
    std::shared_ptr<ui::DisplayLink> displayLink_;
    std::shared_ptr<media::PlayerItemVideoOutput> playerItemOutput_;
    std::atomic<bool> keepLooping_{false};
    std::atomic<bool> reading_{false};
    std::atomic<bool> videoEncodingIsFinished_{false};
    std::atomic<bool> audioEncodingIsFinished_{true};
    std::atomic<bool> runBenchmark_{false};
    std::atomic<bool> playAtActualSpeed_{false};
    std::atomic<bool> shouldRepeat_{false};
    std::atomic<bool> ended_{false};
    bool textureAnnounced_ = false;  // context queue only
};

}  // namespace gpuimage
