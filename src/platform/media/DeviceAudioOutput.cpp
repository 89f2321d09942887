// The audio device through Qt Multimedia: every stream goes out through a
// QAudioSink that pulls on the main thread (the thread of Qt's event loop,
// which drives the main run loop), from its opening until it is destroyed.
// Qt's media player is not used, since its back end needs plug-ins a machine
// may lack.

#include "platform/media/AudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>
#include <memory>

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
          frameBytes_(format.bytesPerFrame()),
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
    // What the sink handed on and the sound server has not played: its
    // buffer less the part that is free.
    int64_t framesQueued() const override {
        if (!started_) return 0;
        const qsizetype queued = sink_.bufferSize() - sink_.bytesFree();
        return queued > 0 ? int64_t(queued) / frameBytes_ : 0;
    }
    bool failed() const override {
        const auto error = sink_.error();
        return error == QAudio::OpenError || error == QAudio::IOError || error == QAudio::FatalError;
    }

private:
    int64_t sampleRate_;
    int64_t frameBytes_;
    PullDevice pullDevice_;
    QAudioSink sink_;
    bool started_ = false;
};

class DeviceAudioOutput : public AudioOutput {
protected:
    std::unique_ptr<AudioStream> openDeviceStream(int sampleRate, int channelCount, PcmPull pull) override {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) return nullptr;
        QAudioFormat format;
        format.setSampleRate(sampleRate);
        format.setChannelCount(channelCount);
        format.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(format)) return nullptr;
        return std::make_unique<DeviceAudioStream>(device, format, std::move(pull));
    }
};

}  // namespace

std::shared_ptr<AudioOutput> makeDeviceAudioOutput() { return std::make_shared<DeviceAudioOutput>(); }

}  // namespace media
