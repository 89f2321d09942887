#include "app/render/TollivarMovieRenderer.h"

#include "app/audio/KWAudioMuxer.h"
#include "app/core/FileUtil.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/host/Application.h"

#include <cstdio>

using foundation::DispatchQueue;
using foundation::Error;

namespace {

// Pictures composed ahead of the encoder: enough to keep it busy, few enough
// for memory to stay flat at 3840×2160.
constexpr size_t kComposedAhead = 2;  // per composer
// Composers decoding and scaling in parallel: a JPEG decode of a large
// picture takes about as long as its encoding, which runs on threads of its own.
constexpr size_t kComposers = 3;
constexpr size_t kAudioChunkFrames = 4096;

}  // namespace

TollivarMovieRenderer::TollivarMovieRenderer(ProjectModelPtr project) : MovieRenderer(std::move(project)) {}

TollivarMovieRenderer::~TollivarMovieRenderer() { closeComposers(); }

void TollivarMovieRenderer::closeComposers() {
    for (const auto& queue : composed_) queue->close();
}

void TollivarMovieRenderer::exportProjectWithExportType(std::optional<MovieExportType> exportType,
                                                        CompletionHandler asynchronouslyWithCompletionHandler) {
    prepareExport(std::move(exportType), std::move(asynchronouslyWithCompletionHandler));
    beginRendering();
    ui::Application::shared().setIdleTimerDisabled(true);
    renderMovie();
    ui::Application::shared().setIdleTimerDisabled(false);
}

void TollivarMovieRenderer::renderMovie() {
    // A cancel before the render began ends it here, once, on the main queue.
    if (!beginRendering()) return completeExport();
    auto list = project()->getFrameList();
    frames_ = list ? list->getExpandedFrameList() : std::vector<FramePtr>{};
    fps_ = project()->getFPS();
    while (imageProducers_.size() < kComposers)
        imageProducers_.push_back(std::make_shared<RenderImageProducer>(project()));
    totalFrames_ = static_cast<int64_t>(frames_.size());
    counter_ = 0;
    audioFrameNext_ = 0;
    audioWritingFinished_ = false;
    videoWritingFinished_ = false;
    closed_ = false;

    auto failAtSetUp = [this](int64_t code, const char* text) {
        failWithError(Error(MovieRenderer::kErrorDomain, code, text));
        completeExportNow();
    };
    if (frames_.empty()) return failAtSetUp(kErrorNoFrames, "No frames found in project.");
    if (!storedExportType()) return failAtSetUp(kErrorNoExportType, "No export type found in project.");
    size_ = storedExportType()->size();
    if (static_cast<int64_t>(size_.width) == 0 || static_cast<int64_t>(size_.height) == 0)
        return failAtSetUp(kErrorInvalidSize, "Not a valid movie size.");

    const std::string url = getExportURLForExportType(*storedExportType());
    setExportURL(url);
    if (std::optional<Error> failure = openWriterAt(url, size_)) {
        // Told like a failure while writing: on the main queue, with the
        // writer's own text.
        failWithError(Error(TollivarMovieRenderer::kErrorDomain, kErrorWriting, failure->localizedDescription(),
                            std::make_shared<const Error>(*failure)));
        closed_ = true;
        if (videoWriter_) videoWriter_->cancelWriting();
        return completeExport();
    }

    composed_.clear();
    auto self = std::static_pointer_cast<TollivarMovieRenderer>(shared_from_this());
    // Every queue exists before any composer starts: a composer reads its
    // queue from composed_, which must not grow under it.
    for (size_t worker = 0; worker < kComposers; ++worker)
        composed_.push_back(std::make_shared<foundation::BoundedQueue<ComposedFrame>>(kComposedAhead));
    for (size_t worker = 0; worker < kComposers; ++worker)
        DispatchQueue(kComposerQueueLabel).async([self, worker] { self->compose(worker); });
    audioWriterInput_->requestMediaDataWhenReady(DispatchQueue(kAudioQueueLabel), [self] { self->audioPump(); });
    videoWriterInput_->requestMediaDataWhenReady(DispatchQueue(kVideoQueueLabel), [self] { self->videoPump(); });
}

std::optional<Error> TollivarMovieRenderer::openWriterAt(const std::string& url, graphics::Size withFrameSize) {
    (void)FileUtil::removeItemAtPath(url, nullptr);
    auto writer = media::AssetWriter::create(url, media::AssetWriter::kFileTypeQuickTimeMovie);
    if (!writer) return writer.error();
    videoWriter_ = *writer;

    const int width = static_cast<int>(withFrameSize.width);
    const int height = static_cast<int>(withFrameSize.height);
    const int64_t typeHeight = static_cast<int64_t>(storedExportType()->size().height);
    videoWriterInput_ =
        media::AssetWriterInput::video({width, height, averageBitRateForHeight(typeHeight), static_cast<int>(fps_)});
    videoWriter_->addInput(videoWriterInput_);

    media::CompositionPtr composition;
    media::AudioMixPtr mix;
    KWAudioMuxer(project()).prepareAVMutableComposition(composition, mix);
    audioReader_ =
        std::make_unique<media::AudioMixReader>(composition ? *composition : media::Composition(), mix.get());
    audioWriterInput_ =
        media::AssetWriterInput::audio({media::AudioMixReader::kSampleRate, media::AudioMixReader::kChannelCount});
    videoWriter_->addInput(audioWriterInput_);

    if (!videoWriter_->startWriting()) return videoWriter_->error().value_or(Error());
    videoWriter_->startSessionAtSourceTime(media::MediaTime::zero());
    return std::nullopt;
}

void TollivarMovieRenderer::compose(size_t worker) {
    RenderImageProducer& producer = *imageProducers_[worker];
    foundation::BoundedQueue<ComposedFrame>& queue = *composed_[worker];
    for (auto i = int64_t(worker); i < totalFrames_ && !isCancelled(); i += int64_t(kComposers)) {
        // Converted here, in parallel, rather than on the encoder's queue.
        ComposedFrame frame{i, {}};
        if (auto planar = producer.getPlanarFrameAsStored(frames_[size_t(i)], size_, i, totalFrames_)) {
            frame.buffer = std::move(*planar);
        } else {
            graphics::Image image = producer.getImageRenderingForFrame(frames_[size_t(i)], size_, i, totalFrames_);
            image = applyPostRenderStep(image, i);
            frame.buffer =
                media::convertedTo420Planar(pixelBufferFromCGImage(image, int(size_.width), int(size_.height)));
        }
        if (!queue.push(std::move(frame))) return;
    }
    queue.close();
}

void TollivarMovieRenderer::videoPump() {
    while (videoWriterInput_->isReadyForMoreMediaData()) {
        std::optional<ComposedFrame> frame;
        if (counter_ < totalFrames_ && !isCancelled()) frame = composed_[size_t(counter_) % kComposers]->pop();
        if (frame) {
            const int64_t i = frame->index;
            setProgress(totalFrames_ < 1 ? 0.0 : double(i) / double(totalFrames_));
            if (i == 0) (void)videoWriterInput_->appendPixelBuffer(frame->buffer, media::MediaTime::zero());
            if (!videoWriterInput_->appendPixelBuffer(frame->buffer,
                                                      media::MediaTime::make(i + 1, static_cast<int32_t>(fps_))))
                handleErrorDuringRendering();
            counter_ = i + 1;
        }
        if (!frame || counter_ >= totalFrames_ || isCancelled()) {
            videoWriterInput_->markAsFinished();
            videoWritingFinished_ = true;
            checkStatus();
            return;
        }
    }
}

void TollivarMovieRenderer::audioPump() {
    std::vector<int16_t> samples(kAudioChunkFrames * media::AudioMixReader::kChannelCount);
    while (audioWriterInput_->isReadyForMoreMediaData()) {
        const int64_t left = audioReader_->frameCount() - audioFrameNext_;
        if (left <= 0 || isCancelled()) {
            audioWriterInput_->markAsFinished();
            audioWritingFinished_ = true;
            checkStatus();
            return;
        }
        const size_t frames = static_cast<size_t>(std::min<int64_t>(left, kAudioChunkFrames));
        audioReader_->read(audioFrameNext_, samples.data(), frames);
        if (!audioWriterInput_->appendAudioSamples(
                samples.data(), frames, media::MediaTime::make(audioFrameNext_, media::AudioMixReader::kSampleRate)))
            handleErrorDuringRendering();
        audioFrameNext_ += static_cast<int64_t>(frames);
    }
}

void TollivarMovieRenderer::handleErrorDuringRendering() {
    if (videoWriter_->status() != media::AssetWriterStatus::Failed) return;
    failWithError(writingError());
    closeWriter();
}

Error TollivarMovieRenderer::writingError() const {
    std::optional<Error> cause = videoWriter_->error();
    std::string text =
        cause ? cause->localizedDescription() : foundation::localized("Error while appending sample buffer.");
    return Error(kErrorDomain, kErrorWriting, std::move(text), cause ? std::make_shared<const Error>(*cause) : nullptr);
}

void TollivarMovieRenderer::checkStatus() {
    if (audioWritingFinished_ && videoWritingFinished_) closeWriter();
}

void TollivarMovieRenderer::closeWriter() {
    // Both pumps and a failed append may get here; the export ends once.
    if (closed_.exchange(true)) return;
    closeComposers();
    if (status() != kStatusFailed && status() != kStatusCancelled) {
        auto self = std::static_pointer_cast<TollivarMovieRenderer>(shared_from_this());
        videoWriter_->finishWriting([self] { DispatchQueue::main().async([self] { self->finishOnMainQueue(); }); });
        return;
    }
    videoWriter_->cancelWriting();
    completeExport();
}

void TollivarMovieRenderer::finishOnMainQueue() {
    if (videoWriter_->status() != media::AssetWriterStatus::Completed) {
        failWithError(writingError());
    } else if (isCancelled()) {
        // Cancelled while the file was being completed: no movie is left behind.
        if (auto url = exportURL()) (void)FileUtil::removeItemAtPath(*url, nullptr);
    } else {
        if (auto meta = project()->getMetaData()) {
            meta->set(projectkeys::kNeedsRendering, false);
            if (foundation::Status saved = project()->saveMetaDataToDisk(); !saved)
                std::fprintf(stderr, "The movie is rendered, but its project could not be saved: %s\n",
                             saved.error().description.c_str());
        }
        markFinished();
    }
    completeExport();
}
