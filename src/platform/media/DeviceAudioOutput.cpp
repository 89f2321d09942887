// The audio device through Qt Multimedia: every sound goes out through a
// QAudioSink that pulls on the main thread (the thread of Qt's event loop,
// which drives the main run loop). Interface sounds are decoded once by our
// own reader and kept, so a repeated one starts at once; Qt's media player is
// not used, since its back end needs plug-ins a machine may lack.

#include "platform/media/AudioMixReader.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/AudioPcmReader.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace media {

namespace {

// The sink reads the player's samples through this device.
class PullDevice : public QIODevice {
public:
    PullDevice(PcmPull pull, int channelCount) : pull_(std::move(pull)), channelCount_(channelCount) {
        open(QIODevice::ReadOnly);
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 frameBytes = qint64(sizeof(int16_t)) * channelCount_;
        const size_t frames = size_t(maxSize / frameBytes);
        if (frames == 0) return 0;
        const size_t filled = pull_(reinterpret_cast<int16_t*>(data), frames);
        // Past the end the device hears silence, so it drains instead of
        // stopping with an underrun error the player would take for a loss.
        std::fill(data + filled * frameBytes, data + frames * frameBytes, char(0));
        return qint64(frames) * frameBytes;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
    qint64 bytesAvailable() const override { return 1 << 16; }

private:
    PcmPull pull_;
    int channelCount_;
};

class DeviceAudioStream : public AudioStream {
public:
    DeviceAudioStream(const QAudioDevice& device, const QAudioFormat& format, PcmPull pull)
        : sampleRate_(format.sampleRate()),
          pullDevice_(std::move(pull), format.channelCount()),
          sink_(device, format) {}
    ~DeviceAudioStream() override { sink_.stop(); }

    void start() override {
        if (!started_) {
            sink_.start(&pullDevice_);
            started_ = true;
        } else {
            sink_.resume();
        }
    }
    void pause() override {
        if (started_) sink_.suspend();
    }
    int64_t framesPlayed() const override { return sink_.processedUSecs() * sampleRate_ / 1'000'000; }
    bool failed() const override {
        const auto error = sink_.error();
        return error == QAudio::OpenError || error == QAudio::IOError || error == QAudio::FatalError;
    }

private:
    int64_t sampleRate_;
    PullDevice pullDevice_;
    QAudioSink sink_;
    bool started_ = false;
};

class DeviceAudioOutput : public AudioOutput {
public:
    bool play(const std::string& path, double, float volume) override {
        const std::shared_ptr<const Samples> samples = samplesFor(path);
        if (!samples) return false;
        auto playing = std::make_shared<Playing>();
        playing->samples = samples;
        playing->volume = std::clamp(volume, 0.0f, 1.0f);
        // The pull runs while the stream lives; the stream is owned by the
        // entry below, so the shared state outlives every pull.
        auto stream = openStream(kSoundRate, kSoundChannels,
                                 [playing](int16_t* out, size_t frames) { return playing->pull(out, frames); });
        if (!stream) return false;
        playing->stream = std::move(stream);
        playing->stream->start();
        playing_[path] = std::move(playing);
        return true;
    }
    void stop(const std::string& path) override { playing_.erase(path); }
    bool isPlaying(const std::string& path) const override {
        auto found = playing_.find(path);
        if (found == playing_.end()) return false;
        const Playing& playing = *found->second;
        return !playing.stream->failed() && playing.stream->framesPlayed() < playing.frameCount();
    }
    std::unique_ptr<AudioStream> openStream(int sampleRate, int channelCount, PcmPull pull) override {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) return nullptr;
        QAudioFormat format;
        format.setSampleRate(sampleRate);
        format.setChannelCount(channelCount);
        format.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(format)) return nullptr;
        return std::make_unique<DeviceAudioStream>(device, format, std::move(pull));
    }

private:
    static constexpr int kSoundRate = 44100;
    static constexpr int kSoundChannels = 2;
    // Interface sounds are short: each is decoded once, through the same
    // reader as every other sound, and kept.
    static constexpr int64_t kLongestSoundFrames = int64_t(kSoundRate) * 60;
    using Samples = std::vector<int16_t>;

    struct Playing {
        std::shared_ptr<const Samples> samples;
        float volume = 1.0f;
        size_t nextFrame = 0;
        std::unique_ptr<AudioStream> stream;

        int64_t frameCount() const { return int64_t(samples->size() / kSoundChannels); }
        size_t pull(int16_t* out, size_t frames) {
            const size_t available = size_t(frameCount()) - std::min(nextFrame, size_t(frameCount()));
            const size_t filled = std::min(frames, available);
            const int16_t* from = samples->data() + nextFrame * kSoundChannels;
            for (size_t i = 0; i < filled * kSoundChannels; ++i) out[i] = int16_t(float(from[i]) * volume);
            nextFrame += filled;
            return filled;
        }
    };

    std::shared_ptr<const Samples> samplesFor(const std::string& path) {
        auto found = decoded_.find(path);
        if (found != decoded_.end()) return found->second;
        auto reader = AudioPcmReader::open(path, kSoundRate, kSoundChannels);
        if (!reader) return nullptr;
        auto samples = std::make_shared<Samples>();
        std::vector<float> chunk(4096 * kSoundChannels);
        for (;;) {
            auto frames = (*reader)->read(chunk.data(), 4096);
            if (!frames) return nullptr;
            if (*frames == 0) break;
            for (int64_t i = 0; i < *frames * kSoundChannels; ++i)
                samples->push_back(saturatedSample(chunk[size_t(i)]));
            if (int64_t(samples->size()) / kSoundChannels > kLongestSoundFrames) break;
        }
        decoded_[path] = samples;
        return samples;
    }

    std::map<std::string, std::shared_ptr<const Samples>> decoded_;
    std::map<std::string, std::shared_ptr<Playing>> playing_;
};

}  // namespace

std::shared_ptr<AudioOutput> makeDeviceAudioOutput() { return std::make_shared<DeviceAudioOutput>(); }

}  // namespace media
