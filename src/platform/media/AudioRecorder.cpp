#include "platform/media/AudioRecorder.h"

#include "platform/foundation/FileManager.h"
#include "platform/media/AudioFileWriter.h"
#include "platform/media/AudioInput.h"
#include "platform/media/MediaError.h"

#include <cerrno>
#include <cmath>
#include <unistd.h>

namespace media {

namespace {

// Bit rate for the quality 0..127: from 32 kbit/s up to 128 kbit/s per channel.
int64_t bitRateFor(const AudioRecorderSettings& settings) {
    const int quality = std::clamp(settings.encoderAudioQuality, 0, 127);
    const int64_t perChannel = 32'000 + int64_t(quality) * 96'000 / 127;
    return perChannel * settings.numberOfChannels;
}

}  // namespace

foundation::Error diskFullOr(foundation::Error error) {
    if (!foundation::isOutOfSpaceError(error)) return error;
    auto underlying = std::make_shared<foundation::Error>(error);
    return foundation::Error(kMediaErrorDomain, kMediaErrorDiskFull, "The disk is full.", std::move(underlying));
}

AudioRecorder::AudioRecorder(std::string path, AudioRecorderSettings settings)
    : path_(std::move(path)),
      settings_(settings),
      window_(size_t(settings.numberOfChannels)),
      averagePower_(size_t(settings.numberOfChannels), kMinimumPower) {}

AudioRecorder::~AudioRecorder() {
    capture_.reset();
    // An unfinished recording takes its temporary file with it.
    writer_.reset();
}

foundation::Result<std::shared_ptr<AudioRecorder>> AudioRecorder::create(std::string path,
                                                                         AudioRecorderSettings settings) {
    if (settings.formatID != kAudioFormatMPEG4AAC)
        return foundation::Error(kMediaErrorDomain, kMediaErrorUnknown, "Recordings are made in AAC only");
    if (!(settings.sampleRate >= 8000 && settings.sampleRate <= 96000) || settings.numberOfChannels < 1 ||
        settings.numberOfChannels > 2)
        return foundation::Error(kMediaErrorDomain, kMediaErrorUnknown, "Unsupported recording format");
    return std::shared_ptr<AudioRecorder>(new AudioRecorder(std::move(path), settings));
}

bool AudioRecorder::prepareToRecord() {
    if (writer_) return true;
    auto writer =
        AudioFileWriter::create(path_, int(settings_.sampleRate), settings_.numberOfChannels, bitRateFor(settings_));
    if (!writer) {
        lastError_ = diskFullOr(writer.error());
        return false;
    }
    writer_ = std::move(*writer);
    return true;
}

bool AudioRecorder::record() {
    if (capture_) return true;
    auto input = AudioInput::shared();
    if (!input) {
        lastError_ = foundation::Error(kMediaErrorDomain, kMediaErrorDeviceNotConnected, "No microphone found.");
        return false;
    }
    if (!prepareToRecord()) return false;
    framesCaptured_ = 0;
    for (auto& channel : window_) channel.clear();
    auto weak = weak_from_this();
    auto capture = input->start(
        {int(settings_.sampleRate), settings_.numberOfChannels},
        [weak](const float* interleaved, size_t frames) {
            if (auto self = weak.lock()) self->receive(interleaved, frames);
        },
        [weak](const foundation::Error& error) {
            if (auto self = weak.lock()) self->failWhileRecording(error, true);
        });
    if (!capture) {
        lastError_ = capture.error();
        return false;
    }
    capture_ = std::move(*capture);
    return true;
}

void AudioRecorder::receive(const float* interleaved, size_t frames) {
    if (!capture_ || !writer_) return;
    framesCaptured_ += int64_t(frames);
    const size_t channels = window_.size();
    const auto windowFrames = size_t(std::lround(kMeteringWindowSeconds * settings_.sampleRate));
    for (size_t c = 0; c < channels; ++c) {
        auto& window = window_[c];
        const size_t from = frames > windowFrames ? frames - windowFrames : 0;
        for (size_t f = from; f < frames; ++f) window.push_back(interleaved[f * channels + c]);
        while (window.size() > windowFrames) window.pop_front();
    }
    if (auto written = writer_->append(interleaved, frames); !written)
        failWhileRecording(diskFullOr(written.error()), false);
}

double AudioRecorder::currentTime() const { return capture_ ? double(framesCaptured_) / settings_.sampleRate : 0.0; }

bool AudioRecorder::finishFile() {
    if (!writer_) return false;
    auto writer = std::move(writer_);
    if (auto finished = writer->finish(); !finished) {
        lastError_ = diskFullOr(finished.error());
        return false;
    }
    return true;
}

void AudioRecorder::stop() {
    if (!capture_) return;
    capture_.reset();
    const bool complete = finishFile();
    auto self = shared_from_this();  // the handler may let go of this recorder
    if (!complete && lastError_ && encodeErrorDidOccur) encodeErrorDidOccur(*this, *lastError_);
    if (didFinishRecording) didFinishRecording(*this, complete);
}

void AudioRecorder::failWhileRecording(foundation::Error error, bool keepFile) {
    if (!capture_) return;
    capture_.reset();
    lastError_ = error;
    bool complete = false;
    if (keepFile) {
        complete = finishFile();
    } else if (writer_) {
        writer_->cancel();
        writer_.reset();
    }
    auto self = shared_from_this();
    if (encodeErrorDidOccur) encodeErrorDidOccur(*this, error);
    if (didFinishRecording) didFinishRecording(*this, complete);
}

bool AudioRecorder::deleteRecording() {
    if (capture_) return false;
    if (writer_) {
        writer_->cancel();
        writer_.reset();
    }
    return ::unlink(path_.c_str()) == 0;
}

void AudioRecorder::updateMeters() {
    for (size_t c = 0; c < window_.size(); ++c) {
        const auto& window = window_[c];
        double sum = 0;
        for (float sample : window) sum += double(sample) * sample;
        const double rms = window.empty() ? 0.0 : std::sqrt(sum / double(window.size()));
        averagePower_[c] = rms > 0 ? std::max(kMinimumPower, float(20.0 * std::log10(rms))) : kMinimumPower;
    }
}

float AudioRecorder::averagePowerForChannel(int channel) const {
    if (!meteringEnabled_ || channel < 0 || size_t(channel) >= averagePower_.size()) return kMinimumPower;
    return averagePower_[size_t(channel)];
}

}  // namespace media
