#include "components/gpuimage/GPUImageMovieWriter.h"

#include "components/gpuimage/GPUImageLog.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace gpuimage {

using foundation::Dictionary;
using foundation::Error;
using media::AssetWriterStatus;
using media::MediaTime;

namespace {

// How long an offline append waits for its input before it gives up.
constexpr auto kOfflineWaitLimit = std::chrono::seconds(30);
constexpr auto kOfflineWaitStep = std::chrono::milliseconds(1);
// Frame times are kept in QuickTime's usual 1/600 s.
constexpr int32_t kMovieTimescale = 600;

std::string describe(MediaTime time) {
    if (!time.isValid()) return "{INVALID}";
    return "{" + std::to_string(time.value) + "/" + std::to_string(time.timescale) + " = " +
           std::to_string(time.seconds()) + "}";
}

}  // namespace

GPUImageMovieWriter::GPUImageMovieWriter(std::string path, graphics::Size size)
    : path_(std::move(path)), videoSize_(size), movieWritingQueue_(kGPUImageMovieWritingQueueLabel) {}

std::shared_ptr<GPUImageMovieWriter> GPUImageMovieWriter::create(const std::string& path, graphics::Size size,
                                                                 const std::string& fileType,
                                                                 const std::optional<Dictionary>& outputSettings) {
    auto writer = std::make_shared<GPUImageMovieWriter>(path, size);
    if (outputSettings && (*outputSettings)[kGPUImageEncodingLiveVideoKey].isNumber())
        writer->encodingLiveVideo_ = (*outputSettings)[kGPUImageEncodingLiveVideoKey].asBool();
    writer->setUpProgram();
    writer->initializeMovie(fileType, outputSettings);
    return writer;
}

GPUImageMovieWriter::~GPUImageMovieWriter() { destroyDataFBO(); }

void GPUImageMovieWriter::reportFailure(const Error& error) {
    gpuLog("Error: " + error.description);
    std::function<void(const Error&)> failure;
    std::shared_ptr<GPUImageMovieWriterDelegate> delegate;
    {
        std::lock_guard lock(mutex_);
        error_ = error;
        failure = failureBlock_;
        delegate = delegate_.lock();
    }
    if (failure)
        failure(error);
    else if (delegate)
        delegate->movieRecordingFailedWithError(error);
}

void GPUImageMovieWriter::initializeMovie(const std::string& fileType, const std::optional<Dictionary>& settings) {
    isRecording_ = false;
    enabled_ = true;
    auto created = media::AssetWriter::create(path_, fileType);
    if (!created) {
        reportFailure(created.error());
        return;
    }
    assetWriter_ = *created;
    media::VideoSettings video;
    video.width = static_cast<int>(videoSize_.width);
    video.height = static_cast<int>(videoSize_.height);
    if (settings) {
        // The live flag is ours, not the encoder's; it was read above.
        Dictionary copy = settings->copy();
        copy.remove(kGPUImageEncodingLiveVideoKey);
        if (!copy[kGPUImageVideoCodecKey].isString() || !copy[kGPUImageVideoWidthKey].isNumber() ||
            !copy[kGPUImageVideoHeightKey].isNumber()) {
            reportFailure(Error{kGPUImageErrorDomain, kGPUImageErrorMissingSettings, kGPUImageMissingSettingsText});
            assetWriter_.reset();
            return;
        }
        video.width = static_cast<int>(copy[kGPUImageVideoWidthKey].asInt());
        video.height = static_cast<int>(copy[kGPUImageVideoHeightKey].asInt());
        averageBitRate_ = copy[kGPUImageVideoAverageBitRateKey].asInt();
        frameRate_ = static_cast<int>(copy[kGPUImageVideoFrameRateKey].asInt(frameRate_));
        if (frameRate_ <= 0) frameRate_ = 30;
    }
    // Without a given rate about a sixth of a bit a pixel and frame: clean
    // pictures at the sizes a phone records.
    video.averageBitRate = averageBitRate_ > 0
                               ? averageBitRate_
                               : int64_t(std::llround(double(video.width) * video.height * frameRate_ / 6));
    video.frameRate = frameRate_;
    video.timescale = kMovieTimescale;
    videoInput_ = media::AssetWriterInput::video(video);
    assetWriter_->addInput(videoInput_);
}

void GPUImageMovieWriter::setHasAudioTrack(bool hasAudioTrack, const std::optional<Dictionary>& audioSettings) {
    hasAudioTrack_ = hasAudioTrack;
    if (!hasAudioTrack || !assetWriter_ || audioInput_) return;
    const Dictionary settings = audioSettings.value_or(Dictionary());
    const int sampleRate = static_cast<int>(settings[kGPUImageAudioSampleRateKey].asInt(kGPUImageHardwareSampleRate));
    const int channels = static_cast<int>(settings[kGPUImageAudioChannelsKey].asInt(1));
    if (shouldPassthroughAudio_)
        audioInput_ = media::AssetWriterInput::audio({sampleRate, channels});
    else
        audioInput_ =
            media::AssetWriterInput::aacAudio({sampleRate, channels, settings[kGPUImageAudioBitRateKey].asInt(64000)});
    if (!assetWriter_->canAddInput(*audioInput_)) {
        // Recording has begun: the track can no longer be added.
        audioInput_.reset();
        hasAudioTrack_ = false;
        return;
    }
    assetWriter_->addInput(audioInput_);
}

void GPUImageMovieWriter::startRecording() {
    alreadyFinishedRecording_ = false;
    isRecording_ = true;
    {
        std::lock_guard lock(mutex_);
        startTime_ = MediaTime::invalid();
    }
    movieWritingQueue_.sync([&] {
        bool pulledAudio;
        {
            std::lock_guard lock(mutex_);
            pulledAudio = static_cast<bool>(audioInputReadyCallback_);
        }
        if (assetWriter_ && !pulledAudio && assetWriter_->status() == AssetWriterStatus::Unknown &&
            !assetWriter_->startWriting())
            reportFailure(*assetWriter_->error());
    });
}

void GPUImageMovieWriter::startRecordingInOrientation(const graphics::AffineTransform& transform) {
    setTransform(transform);
    startRecording();
}

std::vector<media::MetadataItem> GPUImageMovieWriter::metaData() const {
    return assetWriter_ ? assetWriter_->metadata() : std::vector<media::MetadataItem>();
}

foundation::Status GPUImageMovieWriter::setMetaData(std::vector<media::MetadataItem> metaData) {
    if (!assetWriter_)
        return error().value_or(Error(media::kMediaErrorDomain, media::kMediaErrorUnknown, "There is no movie to write"));
    return assetWriter_->setMetadata(std::move(metaData));
}

graphics::AffineTransform GPUImageMovieWriter::transform() const {
    return videoInput_ ? videoInput_->videoSettings().transform : graphics::AffineTransform{0, 0, 0, 0, 0, 0};
}

void GPUImageMovieWriter::setTransform(const graphics::AffineTransform& transform) {
    if (videoInput_) videoInput_->setTransform(transform);
}

void GPUImageMovieWriter::startSessionIfNeeded(MediaTime time, bool video) {
    {
        std::lock_guard lock(mutex_);
        if (startTime_.isValid()) return;
    }
    movieWritingQueue_.sync([&] {
        std::lock_guard lock(mutex_);
        if (startTime_.isValid() || !assetWriter_) return;
        const bool pulled =
            video ? static_cast<bool>(videoInputReadyCallback_) : static_cast<bool>(audioInputReadyCallback_);
        if (!pulled && assetWriter_->status() == AssetWriterStatus::Unknown && !assetWriter_->startWriting()) {
            error_ = assetWriter_->error();
            return;
        }
        assetWriter_->startSessionAtSourceTime(time);
        startTime_ = time;
    });
}

bool GPUImageMovieWriter::waitUntilReady(const media::AssetWriterInput& input,
                                         const std::atomic<bool>& finished) const {
    const auto deadline = std::chrono::steady_clock::now() + kOfflineWaitLimit;
    while (!input.isReadyForMoreMediaData() && !finished.load() &&
           assetWriter_->status() == AssetWriterStatus::Writing && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(kOfflineWaitStep);
    return input.isReadyForMoreMediaData();
}

void GPUImageMovieWriter::newFrameReadyAtTime(FrameTime frameTime, int) {
    if (!isRecording_ || !assetWriter_ || !frameTime.isValid() || frameTime.isPositiveInfinity) return;
    {
        std::lock_guard lock(mutex_);
        // Two frames at one time (in the movie's time units) would fail the writer.
        if (previousFrameTime_.isValid() &&
            frameTime.convertScale(kMovieTimescale).value <= previousFrameTime_.convertScale(kMovieTimescale).value)
            return;
    }
    startSessionIfNeeded(frameTime, true);
    if (!videoInput_->isReadyForMoreMediaData() && encodingLiveVideo_) {
        gpuLog("1: Had to drop a video frame: " + describe(frameTime));
        return;
    }
    std::shared_ptr<media::PixelBuffer> buffer = takePixelBuffer();
    if (!renderAndReadBack(*buffer)) return;
    {
        std::lock_guard lock(mutex_);
        previousFrameTime_ = frameTime;
    }
    if (encodingLiveVideo_) {
        movieWritingQueue_.async(
            [self = shared_from_this(), buffer, frameTime] { self->writeVideo(buffer, frameTime); });
        return;
    }
    // Offline frames are never dropped: the next frame draws while this one
    // encodes, but no more than a few wait for the encoder.
    offlineFramesInFlight_.wait();
    movieWritingQueue_.async([self = shared_from_this(), buffer, frameTime] {
        self->writeVideo(buffer, frameTime);
        self->offlineFramesInFlight_.signal();
    });
}

void GPUImageMovieWriter::writeVideo(std::shared_ptr<media::PixelBuffer> buffer, MediaTime time) {
    if (!encodingLiveVideo_) waitUntilReady(*videoInput_, videoEncodingIsFinished_);
    if (videoInput_->isReadyForMoreMediaData()) {
        if (!videoInput_->appendPixelBuffer(*buffer, time))
            gpuLog("Problem appending pixel buffer at time: " + describe(time));
    } else {
        gpuLog("2: Had to drop a video frame: " + describe(time));
    }
    returnPixelBuffer(std::move(buffer));
}

namespace {

// The buffer's sound in `channels` channels: mono is the mean of the
// buffer's channels, more channels repeat mono or take the first ones.
std::vector<float> matchedChannels(const media::AudioSampleBuffer& buffer, int channels) {
    if (buffer.channelCount == channels) return buffer.samples;
    const size_t frames = buffer.frameCount();
    std::vector<float> out(frames * size_t(channels));
    for (size_t f = 0; f < frames; ++f) {
        const float* in = &buffer.samples[f * size_t(buffer.channelCount)];
        float mean = 0;
        for (int c = 0; c < buffer.channelCount; ++c) mean += in[c];
        mean /= float(buffer.channelCount);
        for (int c = 0; c < channels; ++c)
            out[f * size_t(channels) + size_t(c)] =
                channels == 1 || buffer.channelCount == 1 ? mean : in[std::min(c, buffer.channelCount - 1)];
    }
    return out;
}

}  // namespace

void GPUImageMovieWriter::processAudioBuffer(const media::AudioSampleBuffer& buffer) {
    if (!isRecording_ || !hasAudioTrack_ || !audioInput_ || buffer.channelCount <= 0) return;
    const MediaTime time = buffer.presentationTime;
    startSessionIfNeeded(time, false);
    if (!audioInput_->isReadyForMoreMediaData() && encodingLiveVideo_) {
        gpuLog("1: Had to drop an audio frame: " + describe(time));
        return;
    }
    {
        std::lock_guard lock(mutex_);
        previousAudioTime_ = time;
    }
    if (encodingLiveVideo_)
        movieWritingQueue_.async([self = shared_from_this(), buffer] { self->writeAudio(buffer); });
    else
        writeAudio(buffer);
}

void GPUImageMovieWriter::writeAudio(const media::AudioSampleBuffer& buffer) {
    const MediaTime time = buffer.presentationTime;
    if (!encodingLiveVideo_) waitUntilReady(*audioInput_, audioEncodingIsFinished_);
    if (!audioInput_->isReadyForMoreMediaData()) {
        gpuLog("2: Had to drop an audio frame " + describe(time));
        return;
    }
    const media::PcmAudioSettings& format = audioInput_->audioSettings();
    const std::vector<float> samples = matchedChannels(buffer, format.channelCount);
    if (buffer.sampleRate != format.sampleRate ||
        !audioInput_->appendAudioSamples(samples.data(), buffer.frameCount(), time))
        gpuLog("Problem appending audio buffer at time: " + describe(time));
}

void GPUImageMovieWriter::markVideoFinished() {
    if (!videoEncodingIsFinished_.exchange(true) && videoInput_) videoInput_->markAsFinished();
}

void GPUImageMovieWriter::markAudioFinished() {
    if (!audioEncodingIsFinished_.exchange(true) && audioInput_) audioInput_->markAsFinished();
}

void GPUImageMovieWriter::enableSynchronizationCallbacks() {
    ReadyCallback video, audio;
    {
        std::lock_guard lock(mutex_);
        video = videoInputReadyCallback_;
        audio = audioInputReadyCallback_;
    }
    if (!assetWriter_) return;
    if ((video || audio) && assetWriter_->status() == AssetWriterStatus::Unknown && !assetWriter_->startWriting()) {
        reportFailure(*assetWriter_->error());
        return;
    }
    // The session starts with the first pulled sample; until then the
    // writer's inputs take their times from zero.
    std::weak_ptr<GPUImageMovieWriter> weak = weak_from_this();
    auto pull = [weak](bool isVideo) {
        auto self = weak.lock();
        if (!self) return;
        auto& input = isVideo ? self->videoInput_ : self->audioInput_;
        auto& finished = isVideo ? self->videoEncodingIsFinished_ : self->audioEncodingIsFinished_;
        ReadyCallback callback;
        {
            std::lock_guard lock(self->mutex_);
            callback = isVideo ? self->videoInputReadyCallback_ : self->audioInputReadyCallback_;
        }
        if (self->paused_) {
            // Asked again while the input stays ready; a short pause keeps
            // that from spinning.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return;
        }
        while (input->isReadyForMoreMediaData() && !self->paused_) {
            if (callback && callback()) continue;
            if (!finished.load())
                self->movieWritingQueue_.async([self, isVideo] {
                    if (self->assetWriter_->status() != AssetWriterStatus::Writing) return;
                    isVideo ? self->markVideoFinished() : self->markAudioFinished();
                });
            return;
        }
    };
    if (video) {
        videoQueue_.emplace(kGPUImageVideoReadingQueueLabel);
        videoInput_->requestMediaDataWhenReady(*videoQueue_, [pull] { pull(true); });
    }
    if (audio && audioInput_) {
        audioQueue_.emplace(kGPUImageAudioReadingQueueLabel);
        audioInput_->requestMediaDataWhenReady(*audioQueue_, [pull] { pull(false); });
    }
}

void GPUImageMovieWriter::finishRecordingWithCompletionHandler(std::function<void()> handler) {
    runSynchronouslyOnContextQueue([&] {
        movieWritingQueue_.sync([&] {
            isRecording_ = false;
            const AssetWriterStatus status = assetWriter_ ? assetWriter_->status() : AssetWriterStatus::Unknown;
            if (status == AssetWriterStatus::Completed || status == AssetWriterStatus::Cancelled ||
                status == AssetWriterStatus::Unknown) {
                if (handler) runAsynchronouslyOnContextQueue(handler);
                return;
            }
            if (status == AssetWriterStatus::Writing) {
                markVideoFinished();
                markAudioFinished();
            }
            assetWriter_->finishWriting(handler ? handler : [] {});
        });
    });
}

void GPUImageMovieWriter::cancelRecording() {
    if (!assetWriter_ || assetWriter_->status() == AssetWriterStatus::Completed) return;
    isRecording_ = false;
    movieWritingQueue_.sync([&] {
        alreadyFinishedRecording_ = true;
        if (assetWriter_->status() == AssetWriterStatus::Writing) {
            markVideoFinished();
            markAudioFinished();
        }
        assetWriter_->cancelWriting();
    });
}

void GPUImageMovieWriter::endProcessing() {
    std::function<void()> completion;
    std::shared_ptr<GPUImageMovieWriterDelegate> delegate;
    {
        std::lock_guard lock(mutex_);
        completion = completionBlock_;
        delegate = delegate_.lock();
    }
    if (completion) {
        if (!alreadyFinishedRecording_.exchange(true)) completion();
    } else if (delegate) {
        delegate->movieRecordingCompleted();
    }
}

MediaTime GPUImageMovieWriter::duration() const {
    std::lock_guard lock(mutex_);
    if (!startTime_.isValid()) return MediaTime::zero();
    if (previousFrameTime_.isValid()) return previousFrameTime_ - startTime_;
    if (previousAudioTime_.isValid()) return previousAudioTime_ - startTime_;
    return MediaTime::zero();
}

std::optional<Error> GPUImageMovieWriter::error() const {
    std::lock_guard lock(mutex_);
    if (error_) return error_;
    if (assetWriter_) return assetWriter_->error();
    return std::nullopt;
}

void GPUImageMovieWriter::setCompletionBlock(std::function<void()> block) {
    std::lock_guard lock(mutex_);
    completionBlock_ = std::move(block);
}

void GPUImageMovieWriter::setFailureBlock(std::function<void(const Error&)> block) {
    std::lock_guard lock(mutex_);
    failureBlock_ = std::move(block);
}

void GPUImageMovieWriter::setVideoInputReadyCallback(ReadyCallback callback) {
    std::lock_guard lock(mutex_);
    videoInputReadyCallback_ = std::move(callback);
}

void GPUImageMovieWriter::setAudioInputReadyCallback(ReadyCallback callback) {
    std::lock_guard lock(mutex_);
    audioInputReadyCallback_ = std::move(callback);
}

void GPUImageMovieWriter::setDelegate(std::weak_ptr<GPUImageMovieWriterDelegate> delegate) {
    std::lock_guard lock(mutex_);
    delegate_ = std::move(delegate);
}

}  // namespace gpuimage
