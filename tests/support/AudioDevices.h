#pragma once

// Puts the sound devices of one test in place: a null output (players keep
// time on the run loop's clock) and the given microphone (null: none), with
// a fresh audio session. Everything is put back on destruction.
//
//     testsupport::AudioDevicesScope audio(media::SyntheticAudioInput::squareWave(0.1f));

#include "platform/media/AudioInput.h"
#include "platform/media/AudioOutput.h"

#include <cstddef>
#include <memory>
#include <string>

namespace testsupport {

class AudioDevicesScope {
public:
    explicit AudioDevicesScope(std::shared_ptr<media::AudioInput> input);
    ~AudioDevicesScope();
    AudioDevicesScope(const AudioDevicesScope&) = delete;
    AudioDevicesScope& operator=(const AudioDevicesScope&) = delete;

    media::NullAudioOutput& output() { return *output_; }

private:
    std::shared_ptr<media::NullAudioOutput> output_ = std::make_shared<media::NullAudioOutput>();
};

// A microphone that opens and then never delivers a sample, as one muted by
// a privacy switch or stalled behind its sound server does: captures start
// and run, and stop when they are let go.
class MuteAudioInput : public media::AudioInput {
public:
    std::string name() const override { return "Mute microphone"; }
    foundation::Result<std::unique_ptr<media::AudioCapture>> start(media::AudioInputFormat format,
                                                                   SamplesHandler samples,
                                                                   FailureHandler failure) override;
    // How many captures were started and are running now.
    int capturesStarted() const { return started_; }
    int capturesRunning() const { return *running_; }

private:
    int started_ = 0;
    std::shared_ptr<int> running_ = std::make_shared<int>(0);
};

// An output whose streams play on the main run loop's clock as a device
// would, silently: what a test uses to see the streams that open and close.
// Its interface sounds go through the output's own decoding and closing.
class ClockedAudioOutput : public media::AudioOutput {
public:
    // Seconds of sound a stream plays per second of the clock (0: a stalled device).
    void setSpeed(double speed) { device_->speed = speed; }
    // How long after a stream takes its samples they are heard, as behind a
    // sound server's buffer.
    void setLatencySeconds(double seconds) { device_->latencySeconds = seconds; }
    int streamsOpened() const { return opened_; }

    struct Device {
        double speed = 1.0;
        double latencySeconds = 0;
    };

protected:
    std::unique_ptr<media::AudioStream> openDeviceStream(int sampleRate, int channelCount,
                                                         media::PcmPull pull) override;

private:
    std::shared_ptr<Device> device_ = std::make_shared<Device>();
    int opened_ = 0;
};

// Lets this process write files of at most `bytes` bytes, as a full disk
// would: larger writes fail with EFBIG instead of a signal. Process-wide, so
// for forked children (ChildProcess::forked) only; false when refused.
bool limitFileSizeInThisProcess(size_t bytes);

// ffprobe's view of a sound file's first audio stream.
struct ProbedAudio {
    std::string codecName;
    std::string profile;
    int sampleRate = 0;
    int channels = 0;
    double durationSeconds = 0;
};
// Empty codec name when ffprobe cannot read the file.
ProbedAudio probeAudio(const std::string& path);

}  // namespace testsupport
