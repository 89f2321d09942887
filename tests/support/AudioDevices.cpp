#include "support/AudioDevices.h"

#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioSession.h"
#include "platform/media/MediaError.h"
#include "support/Process.h"

#include <algorithm>
#include <csignal>
#include <optional>
#include <sstream>
#include <sys/resource.h>

namespace testsupport {

AudioDevicesScope::AudioDevicesScope(std::shared_ptr<media::AudioInput> input) {
    media::AudioOutput::setShared(output_);
    media::AudioInput::setShared(std::move(input));
    media::AudioSession::sharedInstance().resetForTesting();
}

AudioDevicesScope::~AudioDevicesScope() {
    media::AudioOutput::setShared(nullptr);
    media::AudioInput::resetShared();
    media::AudioSession::sharedInstance().resetForTesting();
}

namespace {

class ClockedStream : public media::AudioStream {
public:
    ClockedStream(int sampleRate, std::shared_ptr<ClockedAudioOutput::Device> device)
        : sampleRate_(sampleRate), device_(std::move(device)) {}
    void start() override {
        if (!startedAt_) startedAt_ = now();
    }
    void pause() override {
        playedBefore_ = playedSeconds();
        startedAt_.reset();
    }
    int64_t framesPlayed() const override { return int64_t(playedSeconds() * sampleRate_); }
    int64_t framesQueued() const override {
        return std::min(framesPlayed(), int64_t(device_->latencySeconds * sampleRate_));
    }
    bool failed() const override { return false; }

private:
    static double now() { return foundation::RunLoop::main().now(); }
    double playedSeconds() const { return playedBefore_ + (startedAt_ ? (now() - *startedAt_) * device_->speed : 0.0); }

    int sampleRate_;
    std::shared_ptr<ClockedAudioOutput::Device> device_;
    std::optional<double> startedAt_;
    double playedBefore_ = 0;
};

}  // namespace

namespace {

class MuteCapture : public media::AudioCapture {
public:
    explicit MuteCapture(std::shared_ptr<int> running) : running_(std::move(running)) { ++*running_; }
    ~MuteCapture() override { --*running_; }

private:
    std::shared_ptr<int> running_;
};

}  // namespace

foundation::Result<std::unique_ptr<media::AudioCapture>> MuteAudioInput::start(media::AudioInputFormat format,
                                                                               SamplesHandler, FailureHandler) {
    if (format.sampleRate <= 0 || format.channelCount < 1)
        return foundation::Error(media::kMediaErrorDomain, media::kMediaErrorUnknown, "Unsupported recording format");
    ++started_;
    return std::unique_ptr<media::AudioCapture>(std::make_unique<MuteCapture>(running_));
}

std::unique_ptr<media::AudioStream> ClockedAudioOutput::openDeviceStream(int sampleRate, int, media::PcmPull) {
    ++opened_;
    return std::make_unique<ClockedStream>(sampleRate, device_);
}

bool limitFileSizeInThisProcess(size_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{rlim_t(bytes), RLIM_INFINITY};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

ProbedAudio probeAudio(const std::string& path) {
    const auto result = runProcess({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                                    "stream=codec_name,profile,sample_rate,channels:format=duration", "-of",
                                    "default=noprint_wrappers=1", path});
    ProbedAudio probed;
    if (result.exitCode != 0) return probed;
    std::istringstream lines(result.output);
    std::string line;
    while (std::getline(lines, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == "codec_name") probed.codecName = value;
        if (key == "profile") probed.profile = value;
        if (key == "sample_rate") probed.sampleRate = std::atoi(value.c_str());
        if (key == "channels") probed.channels = std::atoi(value.c_str());
        if (key == "duration") probed.durationSeconds = std::atof(value.c_str());
    }
    return probed;
}

}  // namespace testsupport
