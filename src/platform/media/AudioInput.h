#pragma once

// Where recordings get their sound: the machine's microphone through Qt
// Multimedia, or a synthetic input for tests and machines without one.
// Captured samples reach the handler on the main run loop as 32-bit floats,
// interleaved, at the format asked for; a lost device reaches the failure
// handler once, after which nothing more arrives.
//
//     auto input = media::AudioInput::shared();          // null: no microphone
//     auto capture = input->start({44100, 1}, onSamples, onFailure);
//     ...                                                // capture runs while it lives
//
// Main thread only.

#include "platform/foundation/Error.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace media {

struct AudioInputFormat {
    int sampleRate = 44100;
    int channelCount = 1;
};

// A running capture; destroying it stops the capture.
class AudioCapture {
public:
    virtual ~AudioCapture() = default;
};

class AudioInput {
public:
    using SamplesHandler = std::function<void(const float* interleaved, size_t frames)>;
    using FailureHandler = std::function<void(const foundation::Error& error)>;

    virtual ~AudioInput() = default;
    virtual std::string name() const = 0;
    // Starts capturing; an error when the device refuses the format or is gone.
    virtual foundation::Result<std::unique_ptr<AudioCapture>> start(AudioInputFormat format, SamplesHandler samples,
                                                                    FailureHandler failure) = 0;

    // The input recordings use: the machine's default microphone unless
    // another was installed; null when there is none. TOLLIVAR_AUDIO=null
    // chooses none.
    static std::shared_ptr<AudioInput> shared();
    // Installs the input (null: no microphone) until resetShared().
    static void setShared(std::shared_ptr<AudioInput> input);
    static void resetShared();
};

// The error of a device that went away while it was capturing.
foundation::Error deviceDisconnectedError(const std::string& deviceName);

// The machine's default microphone (Qt Multimedia); null when there is none.
std::shared_ptr<AudioInput> makeDeviceAudioInput();

// A stand-in microphone that makes its sound from the run loop's clock: at
// every tick it delivers the frames that the time passed since start() is
// worth, so a capture of 3 seconds of virtual time yields 3 × rate frames.
class SyntheticAudioInput : public AudioInput {
public:
    // A square wave of the amplitude (0..1): every sample is +amplitude or
    // -amplitude, half a period each.
    static std::shared_ptr<SyntheticAudioInput> squareWave(float amplitude, double frequency = 441.0);
    static std::shared_ptr<SyntheticAudioInput> silence();
    // The sound of a file (anything the PCM reader decodes), converted to
    // the format each capture asks for, then silence; a capture of a file
    // that cannot be read fails to start.
    static std::shared_ptr<SyntheticAudioInput> file(std::string path);

    std::string name() const override { return "Synthetic microphone"; }
    foundation::Result<std::unique_ptr<AudioCapture>> start(AudioInputFormat format, SamplesHandler samples,
                                                            FailureHandler failure) override;

    // Each capture started from now on loses the device this many seconds
    // after its start (the frames up to then arrive first).
    void setFailAfterSeconds(double seconds) { failAfterSeconds_ = seconds; }
    // How many captures were started.
    int capturesStarted() const { return capturesStarted_; }
    // The interval at which captured sound is handed over.
    static constexpr double kTickSeconds = 0.02;

private:
    SyntheticAudioInput(float amplitude, double frequency, std::string path = {})
        : amplitude_(amplitude), frequency_(frequency), path_(std::move(path)) {}
    float amplitude_;
    double frequency_;
    std::string path_;
    double failAfterSeconds_ = -1;
    int capturesStarted_ = 0;
};

}  // namespace media
