#include "components/gpuimage/GPUImageMovie.h"

#include "components/gpuimage/GPUImageLog.h"
#include "components/gpuimage/GPUImageMovieWriter.h"
#include "platform/foundation/BackgroundActivity.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioPcmReader.h"
#include "platform/media/VideoSampleReader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace gpuimage {

using media::MediaTime;

namespace {

// Sound is handed on in runs of this many frames.
constexpr int64_t kAudioRunFrames = 1024;
// Sound is read this far past the last picture, so a writer's tracks stay level.
constexpr double kAudioLeadSeconds = 0.1;
// The player path's link wakes this far ahead of the pictures' next change.
constexpr double kMediaDataChangeAdvanceSeconds = 0.1;

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Ends a thread that is done or about to be; never the calling thread itself.
void retire(std::thread& thread) {
    if (!thread.joinable()) return;
    if (thread.get_id() == std::this_thread::get_id())
        thread.detach();
    else
        thread.join();
}

}  // namespace

GPUImageMovie::GPUImageMovie(std::string path) : path_(std::move(path)) {
    runSynchronouslyOnContextQueue([&] {
        if (GPUImageContext::useImageProcessingContext())
            initializeOutputTextureIfNeeded();
        else if (auto failure = GPUImageContext::contextError())
            setError(*failure);
    });
}

std::shared_ptr<GPUImageMovie> GPUImageMovie::createWithURL(const std::string& path) {
    return std::make_shared<GPUImageMovie>(path);
}

std::shared_ptr<GPUImageMovie> GPUImageMovie::createWithAsset(const media::Asset& asset) {
    return createWithURL(asset.path());
}

std::shared_ptr<GPUImageMovie> GPUImageMovie::createWithPlayerItem(media::PlayerPtr playerItem) {
    auto movie = std::make_shared<GPUImageMovie>(std::string());
    movie->playerItem_ = std::move(playerItem);
    return movie;
}

GPUImageMovie::~GPUImageMovie() {
    reading_ = false;
    retire(readingThread_);
    retirePlayerPath();
}

std::shared_ptr<ui::DisplayLink> GPUImageMovie::displayLink() const {
    std::lock_guard lock(mutex_);
    return displayLink_;
}

std::shared_ptr<media::PlayerItemVideoOutput> GPUImageMovie::playerItemOutput() const {
    std::lock_guard lock(mutex_);
    return playerItemOutput_;
}

void GPUImageMovie::setDelegate(std::weak_ptr<GPUImageMovieDelegate> delegate) {
    std::lock_guard lock(mutex_);
    delegate_ = std::move(delegate);
}

void GPUImageMovie::enableSynchronizedEncodingUsingMovieWriter(std::shared_ptr<GPUImageMovieWriter> writer) {
    if (writer) writer->setEncodingLiveVideo(false);
    synchronizedMovieWriter_ = writer;
}

void GPUImageMovie::startProcessing() {
    if (playerItem_) {
        processPlayerItem();
        return;
    }
    if (shouldRepeat_) keepLooping_ = true;
    previousFrameTime_ = MediaTime::zero();
    previousActualFrameTime_ = steadySeconds();
    processAsset();
}

namespace {

class FileVideoSource : public GPUImageMovieVideoSource {
public:
    explicit FileVideoSource(std::unique_ptr<media::VideoSampleReader> reader) : reader_(std::move(reader)) {}
    foundation::Result<std::optional<media::VideoSample>> next() override { return reader_->next(); }

private:
    std::unique_ptr<media::VideoSampleReader> reader_;
};

class FileAudioSource : public GPUImageMovieAudioSource {
public:
    explicit FileAudioSource(std::unique_ptr<media::AudioPcmReader> reader) : reader_(std::move(reader)) {}
    int sampleRate() const override { return reader_->sampleRate(); }
    int channelCount() const override { return reader_->channelCount(); }
    foundation::Result<int64_t> read(float* interleaved, int64_t frames) override {
        return reader_->read(interleaved, frames);
    }

private:
    std::unique_ptr<media::AudioPcmReader> reader_;
};

}  // namespace

std::shared_ptr<GPUImageAudioEncodingTarget> GPUImageMovie::soundTarget() {
    auto target = audioEncodingTarget();
    if (target) target->setShouldInvalidateAudioSampleWhenDone(true);
    return target;
}

bool GPUImageMovie::createAssetReader() {
    auto video = media::VideoSampleReader::open(path_);
    if (!video) {
        setError(video.error());
        return false;
    }
    videoReader_ = std::make_unique<FileVideoSource>(std::move(*video));
    audioReader_.reset();
    if (!audioEncodingTarget()) return true;
    auto asset = media::Asset::open(path_);
    if (!asset) return true;
    auto tracks = asset->tracksWithMediaType(media::MediaType::Audio);
    if (tracks.empty()) return true;
    auto writer = soundTarget();
    auto audio =
        media::AudioPcmReader::open(path_, writer->audioSampleRate(), std::clamp(tracks.front().channelCount, 1, 2));
    if (audio) audioReader_ = std::make_unique<FileAudioSource>(std::move(*audio));
    return true;
}

void GPUImageMovie::processAsset() {
    // An earlier reading of this movie ends before a new one starts.
    reading_ = false;
    retire(readingThread_);
    audioFramesRead_ = 0;
    lastVideoTime_ = MediaTime::zero();
    if (!createAssetReader()) {
        gpuLog("Error reading from file at URL: " + path_);
        return;
    }
    ended_ = false;
    videoEncodingIsFinished_ = false;
    audioEncodingIsFinished_ = !audioReader_;
    reading_ = true;
    auto self = std::static_pointer_cast<GPUImageMovie>(shared_from_this());
    if (auto writer = synchronizedMovieWriter_.lock()) {
        std::weak_ptr<GPUImageMovie> weak = self;
        writer->setVideoInputReadyCallback([weak] {
            auto movie = weak.lock();
            return movie && movie->readNextVideoFrame();
        });
        if (audioReader_)
            writer->setAudioInputReadyCallback([weak] {
                auto movie = weak.lock();
                return movie && movie->readNextAudioSample();
            });
        writer->enableSynchronizationCallbacks();
        return;
    }
    readingThread_ = std::thread([self] {
        foundation::ScopedBackgroundActivity activity;
        self->readLoop();
    });
}

void GPUImageMovie::readLoop() {
    while (reading_ && !videoEncodingIsFinished_) {
        if (!readNextVideoFrame()) break;
        const double until = lastVideoTime_.seconds() + kAudioLeadSeconds;
        while (reading_ && audioReader_ && !audioEncodingIsFinished_ &&
               double(audioFramesRead_) / audioReader_->sampleRate() < until)
            if (!readNextAudioSample()) break;
    }
    // The sound after the last picture.
    while (reading_ && audioReader_ && !audioEncodingIsFinished_)
        if (!readNextAudioSample()) break;
    if (!reading_) return;
    if (keepLooping_) {
        // From the start again, as a new reading begun on the main queue.
        reading_ = false;
        foundation::DispatchQueue::main().async([self = std::static_pointer_cast<GPUImageMovie>(shared_from_this())] {
            if (self->keepLooping_) self->startProcessing();
        });
        return;
    }
    endProcessing();
}

void GPUImageMovie::paceToActualSpeed(MediaTime time) {
    const double mediaInterval = (time - previousFrameTime_).seconds();
    const double actualInterval = steadySeconds() - previousActualFrameTime_;
    if (mediaInterval > actualInterval)
        std::this_thread::sleep_for(std::chrono::duration<double>(mediaInterval - actualInterval));
    previousFrameTime_ = time;
    previousActualFrameTime_ = steadySeconds();
}

bool GPUImageMovie::readNextVideoFrame() {
    if (!reading_ || videoEncodingIsFinished_ || !videoReader_) {
        if (!synchronizedMovieWriter_.expired() && videoEncodingIsFinished_ && audioEncodingIsFinished_)
            endProcessing();
        return false;
    }
    auto sample = videoReader_->next();
    if (!sample) {
        // A picture that does not decode ends the movie where it is.
        setError(sample.error());
        gpuLog("Error reading from file at URL: " + path_ + ": " + sample.error().description);
    } else if (*sample) {
        const MediaTime time = (*sample)->presentationTime;
        if (playAtActualSpeed_) paceToActualSpeed(time);
        lastVideoTime_ = time;
        runSynchronouslyOnContextQueue([&] { processMovieFrame(**sample); });
        return true;
    }
    if (!keepLooping_) {
        videoEncodingIsFinished_ = true;
        if (audioEncodingIsFinished_) endProcessing();
    }
    return false;
}

bool GPUImageMovie::readNextAudioSample() {
    if (!reading_ || audioEncodingIsFinished_ || !audioReader_) {
        if (!synchronizedMovieWriter_.expired() && videoEncodingIsFinished_ && audioEncodingIsFinished_)
            endProcessing();
        return false;
    }
    media::AudioSampleBuffer buffer;
    buffer.sampleRate = audioReader_->sampleRate();
    buffer.channelCount = audioReader_->channelCount();
    buffer.presentationTime = MediaTime::make(audioFramesRead_, buffer.sampleRate);
    buffer.samples.resize(size_t(kAudioRunFrames) * size_t(buffer.channelCount));
    auto frames = audioReader_->read(buffer.samples.data(), kAudioRunFrames);
    if (frames && *frames > 0) {
        buffer.samples.resize(size_t(*frames) * size_t(buffer.channelCount));
        audioFramesRead_ += *frames;
        if (auto target = audioEncodingTarget()) target->processAudioBuffer(buffer);
        return true;
    }
    if (keepLooping_) return false;
    audioEncodingIsFinished_ = true;
    if (videoEncodingIsFinished_) endProcessing();
    return false;
}

void GPUImageMovie::processMovieFrame(const media::VideoSample& sample) {
    const double started = steadySeconds();
    const bool made = outputTexture() == 0;
    const media::PixelBuffer& pixels = sample.pixels;
    const GPUTextureOptions& options = outputTextureOptions();
    if (!uploadToOutputTexture(pixels.width, pixels.height, static_cast<GLint>(options.internalFormat), options.format,
                               options.type, pixels.bytes.data()))
        return;
    if (made) notifyTargetsAboutNewOutputTexture();
    const graphics::Size size{double(pixels.width), double(pixels.height)};
    for (const TargetEntry& entry : targetEntries()) {
        entry.target->setInputSize(size, entry.textureIndex);
        entry.target->setInputTexture(outputTexture(), entry.textureIndex);
        entry.target->newFrameReadyAtTime(sample.presentationTime, entry.textureIndex);
    }
    if (runBenchmark_) {
        char line[64];
        std::snprintf(line, sizeof line, "Current frame time : %f ms", (steadySeconds() - started) * 1000.0);
        gpuLog(line);
    }
}

void GPUImageMovie::processPlayerItem() {
    retirePlayerPath();
    ended_ = false;
    auto self = std::static_pointer_cast<GPUImageMovie>(shared_from_this());
    auto link = ui::DisplayLink::create([weak = std::weak_ptr<GPUImageMovie>(self)](ui::DisplayLink& link) {
        if (auto movie = weak.lock()) movie->displayLinkCallback(link);
    });
    // The link sleeps until the output's pictures are about to change. It
    // goes on the main run loop: the context queue's thread runs none.
    link->setPaused(true);
    link->addToRunLoop(foundation::RunLoop::main());
    auto output = media::PlayerItemVideoOutput::create();
    output->setDelegate(std::weak_ptr<media::PlayerItemOutputPullDelegate>(self), GPUImageContext::sharedContextQueue());
    {
        std::lock_guard lock(mutex_);
        displayLink_ = link;
        playerItemOutput_ = output;
    }
    playerItem_->addOutput(output);
    output->requestNotificationOfMediaDataChangeWithAdvanceInterval(kMediaDataChangeAdvanceSeconds);
}

void GPUImageMovie::retirePlayerPath() {
    std::shared_ptr<ui::DisplayLink> link;
    std::shared_ptr<media::PlayerItemVideoOutput> output;
    {
        std::lock_guard lock(mutex_);
        link = std::move(displayLink_);
        output = std::move(playerItemOutput_);
    }
    if (link) link->invalidate();
    if (!output || !playerItem_) return;
    // The player lives on the main thread; the last owner of a movie may be
    // another one.
    if (foundation::RunLoop::isMainThread())
        playerItem_->removeOutput(output);
    else
        foundation::DispatchQueue::main().async([player = playerItem_, output] { player->removeOutput(output); });
}

void GPUImageMovie::displayLinkCallback(ui::DisplayLink& link) {
    auto output = playerItemOutput();
    if (!output) return;
    const MediaTime itemTime = output->itemTimeForHostTime(link.targetTimestamp());
    if (!output->hasNewPixelBufferForItemTime(itemTime)) return;
    auto pixels = output->copyPixelBufferForItemTime(itemTime);
    if (!pixels) return;
    const media::VideoSample sample{std::move(*pixels), itemTime};
    runSynchronouslyOnContextQueue([&] { processMovieFrame(sample); });
}

void GPUImageMovie::outputMediaDataWillChange(media::PlayerItemVideoOutput&) {
    // A notice that comes after the end wakes nothing.
    std::lock_guard lock(mutex_);
    if (!ended_ && displayLink_) displayLink_->setPaused(false);
}

void GPUImageMovie::endProcessing() {
    keepLooping_ = false;
    reading_ = false;
    const bool alreadyEnded = ended_.exchange(true);
    {
        std::lock_guard lock(mutex_);
        if (displayLink_) displayLink_->setPaused(true);
    }
    if (alreadyEnded) return;
    runSynchronouslyOnContextQueue([&] {
        for (const TargetEntry& entry : targetEntries()) entry.target->endProcessing();
    });
    if (auto writer = synchronizedMovieWriter_.lock()) {
        // Nothing more is coming.
        writer->setVideoInputReadyCallback([] { return false; });
        writer->setAudioInputReadyCallback([] { return false; });
    }
    std::shared_ptr<GPUImageMovieDelegate> delegate;
    {
        std::lock_guard lock(mutex_);
        delegate = delegate_.lock();
        delegate_.reset();
    }
    if (delegate) delegate->didCompletePlayingMovie();
}

}  // namespace gpuimage
