#include "platform/media/AudioInput.h"

#include "platform/foundation/Lifetime.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioPcmReader.h"
#include "platform/media/MediaError.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace media {

namespace {

struct Installed {
    bool chosen = false;
    std::shared_ptr<AudioInput> input;
};

Installed& installed() {
    static Installed state;
    return state;
}

// Delivers the synthetic sound on a repeating run-loop timer.
class SyntheticCapture : public AudioCapture {
public:
    SyntheticCapture(AudioInputFormat format, float amplitude, double frequency, std::vector<float> recorded,
                     double failAfterSeconds, AudioInput::SamplesHandler samples, AudioInput::FailureHandler failure)
        : format_(format),
          recorded_(std::move(recorded)),
          amplitude_(amplitude),
          framesPerHalfPeriod_(frequency > 0 ? format.sampleRate / (2.0 * frequency) : 0),
          failAfterSeconds_(failAfterSeconds),
          samples_(std::move(samples)),
          failure_(std::move(failure)),
          start_(foundation::RunLoop::main().now()) {
        timer_ = foundation::RunLoop::main().scheduleTimer(SyntheticAudioInput::kTickSeconds, true,
                                                           [this](foundation::Timer&) { tick(); });
    }
    ~SyntheticCapture() override { timer_->invalidate(); }

private:
    void tick() {
        double elapsed = foundation::RunLoop::main().now() - start_;
        const bool fails = failAfterSeconds_ >= 0 && elapsed >= failAfterSeconds_;
        if (fails) elapsed = failAfterSeconds_;
        const auto due = int64_t(std::floor(elapsed * format_.sampleRate + 1e-6));
        // The handlers may destroy this capture.
        const auto alive = life_.observer();
        if (due > delivered_) deliver(due - delivered_);
        if (!alive) return;
        if (fails) {
            timer_->invalidate();
            // The handler may destroy this capture: copy what it needs first.
            auto failure = failure_;
            if (failure) failure(deviceDisconnectedError("Synthetic microphone"));
        }
    }
    void deliver(int64_t frames) {
        buffer_.resize(size_t(frames) * size_t(format_.channelCount));
        if (!recorded_.empty()) {
            // The file's sound, then silence.
            const size_t channels = size_t(format_.channelCount);
            for (size_t i = 0; i < buffer_.size(); ++i) {
                const size_t at = size_t(delivered_) * channels + i;
                buffer_[i] = at < recorded_.size() ? recorded_[at] : 0.0f;
            }
            delivered_ += frames;
            if (samples_) samples_(buffer_.data(), size_t(frames));
            return;
        }
        for (int64_t f = 0; f < frames; ++f) {
            const int64_t index = delivered_ + f;
            float value = 0;
            if (framesPerHalfPeriod_ > 0)
                value = (int64_t(std::floor(double(index) / framesPerHalfPeriod_)) % 2 == 0) ? amplitude_ : -amplitude_;
            for (int c = 0; c < format_.channelCount; ++c)
                buffer_[size_t(f) * size_t(format_.channelCount) + size_t(c)] = value;
        }
        delivered_ += frames;
        if (samples_) samples_(buffer_.data(), size_t(frames));
    }

    AudioInputFormat format_;
    std::vector<float> recorded_;  // interleaved, from a file
    float amplitude_;
    double framesPerHalfPeriod_;
    double failAfterSeconds_;
    AudioInput::SamplesHandler samples_;
    AudioInput::FailureHandler failure_;
    double start_;
    int64_t delivered_ = 0;
    std::vector<float> buffer_;
    foundation::TimerHandle timer_;
    foundation::LifeToken life_;
};

}  // namespace

std::shared_ptr<AudioInput> AudioInput::shared() {
    auto& state = installed();
    if (!state.chosen) {
        state.chosen = true;
        const char* choice = std::getenv("TOLLIVAR_AUDIO");
        state.input = (choice && std::string_view(choice) == "null") ? nullptr : makeDeviceAudioInput();
    }
    return state.input;
}

void AudioInput::setShared(std::shared_ptr<AudioInput> input) {
    installed().chosen = true;
    installed().input = std::move(input);
}

void AudioInput::resetShared() { installed() = Installed{}; }

foundation::Error deviceDisconnectedError(const std::string& deviceName) {
    return foundation::Error(kMediaErrorDomain, kMediaErrorDeviceWasDisconnected,
                             "The microphone was disconnected: " + deviceName);
}

std::shared_ptr<SyntheticAudioInput> SyntheticAudioInput::squareWave(float amplitude, double frequency) {
    return std::shared_ptr<SyntheticAudioInput>(new SyntheticAudioInput(amplitude, frequency));
}

std::shared_ptr<SyntheticAudioInput> SyntheticAudioInput::silence() {
    return std::shared_ptr<SyntheticAudioInput>(new SyntheticAudioInput(0, 0));
}

std::shared_ptr<SyntheticAudioInput> SyntheticAudioInput::file(std::string path) {
    return std::shared_ptr<SyntheticAudioInput>(new SyntheticAudioInput(0, 0, std::move(path)));
}

foundation::Result<std::unique_ptr<AudioCapture>> SyntheticAudioInput::start(AudioInputFormat format,
                                                                             SamplesHandler samples,
                                                                             FailureHandler failure) {
    if (format.sampleRate <= 0 || format.channelCount < 1)
        return foundation::Error(kMediaErrorDomain, kMediaErrorUnknown, "Unsupported recording format");
    std::vector<float> recorded;
    if (!path_.empty()) {
        auto reader = AudioPcmReader::open(path_, format.sampleRate, format.channelCount);
        if (!reader) return reader.error();
        std::vector<float> chunk(size_t(4096 * format.channelCount));
        while (true) {
            auto read = (*reader)->read(chunk.data(), 4096);
            if (!read) return read.error();
            if (*read == 0) break;
            recorded.insert(recorded.end(), chunk.begin(), chunk.begin() + std::ptrdiff_t(*read * format.channelCount));
        }
    }
    ++capturesStarted_;
    return std::unique_ptr<AudioCapture>(new SyntheticCapture(format, amplitude_, frequency_, std::move(recorded),
                                                              failAfterSeconds_, std::move(samples),
                                                              std::move(failure)));
}

}  // namespace media
