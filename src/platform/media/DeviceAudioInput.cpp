// The machine's microphone through Qt Multimedia: a QAudioSource in push
// mode on the main thread (the thread of Qt's event loop, which drives the
// main run loop), so captured sound reaches its handler there directly.

#include "platform/media/AudioInput.h"
#include "platform/media/MediaError.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QIODevice>
#include <QMediaDevices>
#include <QObject>
#include <memory>
#include <vector>

namespace media {

namespace {

class DeviceCapture : public AudioCapture {
public:
    DeviceCapture(const QAudioDevice& device, const QAudioFormat& format, AudioInput::SamplesHandler samples,
                  AudioInput::FailureHandler failure)
        : device_(device),
          format_(format),
          source_(device, format),
          samples_(std::move(samples)),
          failure_(std::move(failure)) {}
    ~DeviceCapture() override {
        QObject::disconnect(context_.get(), nullptr, nullptr, nullptr);
        source_.stop();
    }

    bool start() {
        io_ = source_.start();
        if (!io_) return false;
        QObject::connect(io_, &QIODevice::readyRead, context_.get(), [this] { readAvailable(); });
        QObject::connect(&source_, &QAudioSource::stateChanged, context_.get(), [this](QAudio::State) {
            const auto error = source_.error();
            if (error == QAudio::OpenError || error == QAudio::IOError || error == QAudio::FatalError) lose();
        });
        QObject::connect(&devices_, &QMediaDevices::audioInputsChanged, context_.get(), [this] {
            for (const auto& present : QMediaDevices::audioInputs())
                if (present.id() == device_.id()) return;
            lose();
        });
        return true;
    }

private:
    void readAvailable() {
        if (lost_) return;
        const QByteArray bytes = io_->readAll();
        const int channels = format_.channelCount();
        const qsizetype frameBytes = format_.bytesPerFrame();
        const size_t frames = size_t(bytes.size() / frameBytes);
        if (frames == 0) return;
        floats_.resize(frames * size_t(channels));
        for (size_t i = 0; i < floats_.size(); ++i)
            floats_[i] = format_.normalizedSampleValue(bytes.constData() + qsizetype(i) * format_.bytesPerSample());
        if (samples_) samples_(floats_.data(), frames);
    }
    void lose() {
        if (lost_) return;
        lost_ = true;
        auto failure = failure_;
        if (failure) failure(deviceDisconnectedError(device_.description().toStdString()));
    }

    QAudioDevice device_;
    QAudioFormat format_;
    QAudioSource source_;
    QMediaDevices devices_;
    std::unique_ptr<QObject> context_ = std::make_unique<QObject>();
    QIODevice* io_ = nullptr;
    AudioInput::SamplesHandler samples_;
    AudioInput::FailureHandler failure_;
    std::vector<float> floats_;
    bool lost_ = false;
};

class DeviceAudioInput : public AudioInput {
public:
    explicit DeviceAudioInput(QAudioDevice device) : device_(std::move(device)) {}
    std::string name() const override { return device_.description().toStdString(); }

    foundation::Result<std::unique_ptr<AudioCapture>> start(AudioInputFormat wanted, SamplesHandler samples,
                                                            FailureHandler failure) override {
        bool present = false;
        for (const auto& device : QMediaDevices::audioInputs()) present = present || device.id() == device_.id();
        if (!present)
            return foundation::Error(kMediaErrorDomain, kMediaErrorDeviceNotConnected,
                                     "The microphone is not connected: " + name());
        QAudioFormat format;
        format.setSampleRate(wanted.sampleRate);
        format.setChannelCount(wanted.channelCount);
        format.setSampleFormat(QAudioFormat::Float);
        if (!device_.isFormatSupported(format)) format.setSampleFormat(QAudioFormat::Int16);
        if (!device_.isFormatSupported(format))
            return foundation::Error(kMediaErrorDomain, kMediaErrorUnknown,
                                     "The microphone cannot record " + std::to_string(wanted.channelCount) +
                                         " channel(s) at " + std::to_string(wanted.sampleRate) + " Hz");
        auto capture = std::make_unique<DeviceCapture>(device_, format, std::move(samples), std::move(failure));
        if (!capture->start())
            return foundation::Error(kMediaErrorDomain, kMediaErrorDeviceNotConnected,
                                     "The microphone cannot be opened: " + name());
        return std::unique_ptr<AudioCapture>(std::move(capture));
    }

private:
    QAudioDevice device_;
};

}  // namespace

std::shared_ptr<AudioInput> makeDeviceAudioInput() {
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull()) return nullptr;
    return std::make_shared<DeviceAudioInput>(device);
}

}  // namespace media
