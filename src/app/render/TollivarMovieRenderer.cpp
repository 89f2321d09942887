#include "app/render/TollivarMovieRenderer.h"

#include "app/audio/KWAudioMuxer.h"
#include "app/core/FileUtil.h"
#include "app/render/RenderImageProducer.h"
#include "app/render/RenderOutput.h"
#include "platform/foundation/BoundedQueue.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/AudioMixReader.h"
#include "platform/media/PixelBufferPool.h"
#include "platform/ui/host/Application.h"

#include <atomic>
#include <cstdio>

using foundation::DispatchQueue;
using foundation::Error;

namespace {

// Pictures composed ahead of the encoder: enough to keep it busy, few enough
// for memory to stay flat at 3840×2160.
constexpr size_t kComposedAhead = 2;  // per composer
// Composers decoding and scaling in parallel: a JPEG decode of a large
// picture takes about as long as its encoding, which runs on threads of its own.
// Each composes whole runs of a held frame, so a held picture is decoded once.
// They run as batch work, so that the encoder's threads keep their
// processors: each of those waits on the one before it, and a composer that
// took a processor from one when woken for its next picture held back all.
constexpr size_t kComposers = 3;
// Picture stores waiting between uses: those in the queues, one in each
// composer's hands and one in the encoder's.
constexpr size_t kPooledPictures = kComposers * (kComposedAhead + 1) + 1;
constexpr size_t kAudioChunkFrames = 4096;

struct ComposedFrame {
    int64_t index = 0;
    std::shared_ptr<const media::PixelBuffer> buffer;  // shared by a held picture's repeats
};

}  // namespace

struct TollivarMovieRenderer::Session {
    ExpandedFrames frames;
    int64_t fps = 5;
    int64_t totalFrames = 0;
    graphics::Size size;

    std::shared_ptr<media::AssetWriter> writer;
    std::shared_ptr<media::AssetWriterInput> videoInput;
    std::shared_ptr<media::AssetWriterInput> audioInput;
    std::unique_ptr<media::AudioMixReader> audioReader;
    // One producer per composer (a producer is used by one thread at a time).
    std::vector<std::unique_ptr<RenderImageProducer>> producers;
    // The frames of run r wait in queue r % composers, so the encoder takes
    // them in order.
    std::vector<std::unique_ptr<foundation::BoundedQueue<ComposedFrame>>> composed;
    std::shared_ptr<media::PixelBufferPool> pool = media::PixelBufferPool::create(kPooledPictures);

    int64_t counter = 0;         // video queue only
    size_t counterRun = 0;       // video queue only: the run `counter` lies in
    int64_t audioFrameNext = 0;  // audio queue only
    std::atomic<bool> audioWritingFinished{false};
    std::atomic<bool> videoWritingFinished{false};
    std::atomic<bool> closed{false};

    void closeComposers() {
        for (const auto& queue : composed) queue->close();
    }
    // The last one out: the encoder's and the pictures' memory is free now,
    // and goes back to the system rather than waiting in the allocator.
    ~Session() {
        closeComposers();
        composed.clear();
        producers.clear();
        pool.reset();
        audioReader.reset();
        videoInput.reset();
        audioInput.reset();
        writer.reset();
        foundation::memory::releaseFreedMemory();
    }
};

TollivarMovieRenderer::TollivarMovieRenderer(ProjectModelPtr project) : MovieRenderer(std::move(project)) {}

TollivarMovieRenderer::~TollivarMovieRenderer() {
    if (session_) session_->closeComposers();
}

void TollivarMovieRenderer::exportDidEnd() { session_.reset(); }

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
    if (session_) session_->closeComposers();
    auto session = std::make_shared<Session>();
    session_ = session;
    session->frames = snapshot().frames;
    session->fps = snapshot().pictures.fps;
    session->totalFrames = session->frames.count();

    auto fail = [this](Error error) {
        failWithError(std::move(error));
        completeExportNow();
    };
    auto failAtSetUp = [&fail](int64_t code, const char* text) {
        fail(Error(MovieRenderer::kErrorDomain, code, text));
    };
    if (session->frames.empty())
        return fail(renderoutput::noFramesError(MovieRenderer::kErrorDomain, snapshot().unreadable,
                                                MovieRenderer::kErrorNoFrames));
    if (!storedExportType()) return failAtSetUp(kErrorNoExportType, "No export type found in project.");
    session->size = storedExportType()->size();
    if (static_cast<int64_t>(session->size.width) == 0 || static_cast<int64_t>(session->size.height) == 0)
        return failAtSetUp(kErrorInvalidSize, "Not a valid movie size.");

    const std::string url = exportURLForRender(*storedExportType());
    if (foundation::Status fits = checkMovieFits(*session, url); !fits) {
        failWithError(fits.error());
        return completeExportNow();
    }
    setExportURL(url);

    // The composers start first: the encoder waits for the first pictures,
    // and their decoding runs while it is set up.
    for (size_t worker = 0; worker < kComposers; ++worker) {
        session->producers.push_back(std::make_unique<RenderImageProducer>(project(), snapshot().pictures));
        session->producers.back()->setLeftOutFiles(&leftOutFiles());
        session->composed.push_back(std::make_unique<foundation::BoundedQueue<ComposedFrame>>(kComposedAhead));
    }
    auto self = std::static_pointer_cast<TollivarMovieRenderer>(shared_from_this());
    for (size_t worker = 0; worker < kComposers; ++worker)
        DispatchQueue(kComposerQueueLabel).async([self, session, worker] { self->compose(*session, worker); });

    if (std::optional<Error> failure = openWriterAt(*session, url, session->size)) {
        // Told like a failure while writing: on the main queue, with the
        // writer's own text.
        failWithError(Error(TollivarMovieRenderer::kErrorDomain, kErrorWriting, failure->localizedDescription(),
                            std::make_shared<const Error>(*failure)));
        session->closed = true;
        session->closeComposers();
        if (session->writer) session->writer->cancelWriting();
        return completeExport();
    }
    session->audioInput->requestMediaDataWhenReady(DispatchQueue(kAudioQueueLabel),
                                                   [self, session] { self->audioPump(session); });
    session->videoInput->requestMediaDataWhenReady(DispatchQueue(kVideoQueueLabel),
                                                   [self, session] { self->videoPump(session); });
}

std::optional<Error> TollivarMovieRenderer::openWriterAt(Session& session, const std::string& url,
                                                         graphics::Size withFrameSize) {
    (void)FileUtil::removeItemAtPath(url, nullptr);
    auto writer = media::AssetWriter::create(url, media::AssetWriter::kFileTypeQuickTimeMovie);
    if (!writer) return writer.error();
    session.writer = *writer;

    session.videoInput = media::AssetWriterInput::video(videoSettings(withFrameSize, *storedExportType(), session.fps));
    session.writer->addInput(session.videoInput);

    media::CompositionPtr composition;
    media::AudioMixPtr mix;
    KWAudioMuxer muxer(project());
    muxer.prepareAVMutableComposition(composition, mix);
    // A sound that cannot be read is silence in the movie: the finish says so.
    for (const auto& clip : muxer.unreadableClips()) {
        const Frame* frame = nullptr;
        for (const ExpandedFrames::Run& run : session.frames.runs())
            if (run.frame->getAudio() == clip) {
                frame = run.frame.get();
                break;
            }
        leftOutFiles().addSound(frame, clip->fileName().value_or(clip->name().value_or("")));
    }
    session.audioReader =
        std::make_unique<media::AudioMixReader>(composition ? *composition : media::Composition(), mix.get());
    session.audioInput =
        media::AssetWriterInput::audio({media::AudioMixReader::kSampleRate, media::AudioMixReader::kChannelCount});
    session.writer->addInput(session.audioInput);

    if (!session.writer->startWriting()) return session.writer->error().value_or(Error());
    session.writer->startSessionAtSourceTime(media::MediaTime::zero());
    return std::nullopt;
}

foundation::Status TollivarMovieRenderer::checkMovieFits(const Session& session, const std::string& url) const {
    const int64_t movieEnd = KWAudioMuxer::movieEndMilliseconds(session.totalFrames, session.fps);
    const __int128 soundFrames = (__int128(movieEnd) * media::AudioMixReader::kSampleRate + 999) / 1000;  // rounded up
    // Frame 0 is shown twice.
    const __int128 pictures = __int128(session.totalFrames) + 1;
    if (soundFrames > kMaximumSoundFrames || pictures > kMaximumPictures) {
        // Whole minutes: the movie's rounded up, the limit's down.
        const int64_t movieMinutes = (movieEnd + 59'999) / 60'000;
        const int64_t limitMinutes = kMaximumSoundFrames / media::AudioMixReader::kSampleRate / 60;
        return Error(
            MovieRenderer::kErrorDomain, kErrorMovieTooLong,
            foundation::localizedFormat("This movie is too long for a QuickTime file: it would last %ld hours "
                                        "%ld minutes, and such a file holds at most %ld hours %ld minutes.",
                                        {movieMinutes / 60, movieMinutes % 60, limitMinutes / 60, limitMinutes % 60}));
    }
    const __int128 bytes = soundFrames * media::AudioMixReader::kChannelCount * 2 + pictures * kSmallestPictureBytes;
    return renderoutput::checkSpaceFor(url, uint64_t(bytes), MovieRenderer::kErrorDomain, kErrorNotEnoughSpace);
}

media::PixelBuffer TollivarMovieRenderer::composePicture(RenderImageProducer& producer, const FramePtr& frame,
                                                         int64_t index, int64_t total, graphics::Size size,
                                                         media::PixelBufferPool* pool) {
    auto store = [pool] { return pool ? pool->take() : std::vector<uint8_t>(); };
    if (auto planar = producer.getPlanarFrameAsStored(frame, size, index, total, store())) return std::move(*planar);
    graphics::Image image = producer.getImageRenderingForFrame(frame, size, index, total);
    image = applyPostRenderStep(image, index);
    return media::convertedTo420Planar(pixelBufferFromCGImage(image, int(size.width), int(size.height)), store());
}

void TollivarMovieRenderer::compose(Session& session, size_t worker) {
    const foundation::ScopedBatchScheduling batch;
    RenderImageProducer& producer = *session.producers[worker];
    foundation::BoundedQueue<ComposedFrame>& queue = *session.composed[worker];
    const int64_t total = session.totalFrames;
    const std::vector<ExpandedFrames::Run>& runs = session.frames.runs();
    for (size_t r = worker; r < runs.size(); r += kComposers) {
        // A held frame outside the fades is the same picture at every
        // position of its run: composed once and handed over again.
        std::shared_ptr<const media::PixelBuffer> heldPicture;
        for (int64_t i = runs[r].first; i < runs[r].end; ++i) {
            if (isCancelled()) return queue.close();
            const bool unfaded = producer.calculateAlphaForFadeforFrameAtIndex(i, total) == 0.0f;
            std::shared_ptr<const media::PixelBuffer> picture =
                unfaded && heldPicture ? heldPicture
                                       // Converted here, in parallel, rather than on the encoder's queue.
                                       : session.pool->share(composePicture(producer, runs[r].frame, i, total,
                                                                            session.size, session.pool.get()));
            heldPicture = unfaded ? picture : nullptr;
            if (!queue.push(ComposedFrame{i, std::move(picture)})) return;
        }
    }
    queue.close();
}

void TollivarMovieRenderer::videoPump(const std::shared_ptr<Session>& session) {
    Session& s = *session;
    while (s.videoInput->isReadyForMoreMediaData()) {
        std::optional<ComposedFrame> frame;
        if (s.counter < s.totalFrames && !isCancelled()) {
            const std::vector<ExpandedFrames::Run>& runs = s.frames.runs();
            while (s.counter >= runs[s.counterRun].end) ++s.counterRun;
            frame = s.composed[s.counterRun % kComposers]->pop();
        }
        if (frame) {
            const int64_t i = frame->index;
            setProgress(s.totalFrames < 1 ? 0.0 : double(i) / double(s.totalFrames));
            if (i == 0) (void)s.videoInput->appendPixelBuffer(frame->buffer, media::MediaTime::zero());
            if (!s.videoInput->appendPixelBuffer(frame->buffer,
                                                 media::MediaTime::make(i + 1, static_cast<int32_t>(s.fps))))
                handleErrorDuringRendering(session);
            s.counter = i + 1;
        }
        if (!frame || s.counter >= s.totalFrames || isCancelled()) {
            s.videoInput->markAsFinished();
            s.videoWritingFinished = true;
            checkStatus(session);
            return;
        }
    }
}

void TollivarMovieRenderer::audioPump(const std::shared_ptr<Session>& session) {
    Session& s = *session;
    std::vector<int16_t> samples(kAudioChunkFrames * media::AudioMixReader::kChannelCount);
    while (s.audioInput->isReadyForMoreMediaData()) {
        const int64_t left = s.audioReader->frameCount() - s.audioFrameNext;
        if (left <= 0 || isCancelled()) {
            s.audioInput->markAsFinished();
            s.audioWritingFinished = true;
            checkStatus(session);
            return;
        }
        const size_t frames = static_cast<size_t>(std::min<int64_t>(left, kAudioChunkFrames));
        s.audioReader->read(s.audioFrameNext, samples.data(), frames);
        if (!s.audioInput->appendAudioSamples(
                samples.data(), frames, media::MediaTime::make(s.audioFrameNext, media::AudioMixReader::kSampleRate)))
            handleErrorDuringRendering(session);
        s.audioFrameNext += static_cast<int64_t>(frames);
    }
}

void TollivarMovieRenderer::handleErrorDuringRendering(const std::shared_ptr<Session>& session) {
    if (session->writer->status() != media::AssetWriterStatus::Failed) return;
    failWithError(writingError(*session));
    closeWriter(session);
}

Error TollivarMovieRenderer::writingError(const Session& session) const {
    std::optional<Error> cause = session.writer->error();
    std::string text =
        cause ? cause->localizedDescription() : foundation::localized("Error while appending sample buffer.");
    return Error(kErrorDomain, kErrorWriting, std::move(text), cause ? std::make_shared<const Error>(*cause) : nullptr);
}

void TollivarMovieRenderer::checkStatus(const std::shared_ptr<Session>& session) {
    if (session->audioWritingFinished && session->videoWritingFinished) closeWriter(session);
}

void TollivarMovieRenderer::closeWriter(const std::shared_ptr<Session>& session) {
    // Both pumps and a failed append may get here; the export ends once.
    if (session->closed.exchange(true)) return;
    session->closeComposers();
    if (status() != kStatusFailed && status() != kStatusCancelled) {
        auto self = std::static_pointer_cast<TollivarMovieRenderer>(shared_from_this());
        session->writer->finishWriting(
            [self, session] { DispatchQueue::main().async([self, session] { self->finishOnMainQueue(session); }); });
        return;
    }
    session->writer->cancelWriting();
    completeExport();
}

void TollivarMovieRenderer::finishOnMainQueue(const std::shared_ptr<Session>& session) {
    if (session->writer->status() != media::AssetWriterStatus::Completed) {
        failWithError(writingError(*session));
    } else if (isCancelled()) {
        // Cancelled while the file was being completed: no movie is left behind.
        if (auto url = exportURL()) (void)FileUtil::removeItemAtPath(*url, nullptr);
    } else {
        if (auto meta = project()->getMetaData()) {
            // A movie with holes where files could not be read is made again
            // next time rather than passed on as current.
            meta->set(projectkeys::kNeedsRendering, !leftOutFiles().empty());
            if (foundation::Status saved = project()->saveMetaDataToDisk(); !saved)
                std::fprintf(stderr, "The movie is rendered, but its project could not be saved: %s\n",
                             saved.error().description.c_str());
        }
        markFinished();
    }
    completeExport();
}
