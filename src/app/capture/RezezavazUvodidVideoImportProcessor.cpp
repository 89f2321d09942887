#include "app/capture/RezezavazUvodidVideoImportProcessor.h"

#include "app/capture/CaptureStoreError.h"
#include "app/core/MovieResolution.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/media/MediaError.h"

std::shared_ptr<RezezavazUvodidVideoImportProcessor> RezezavazUvodidVideoImportProcessor::create(
    std::shared_ptr<ProjectModel> project) {
    return std::shared_ptr<RezezavazUvodidVideoImportProcessor>(
        new RezezavazUvodidVideoImportProcessor(std::move(project)));
}

RezezavazUvodidVideoImportProcessor::RezezavazUvodidVideoImportProcessor(std::shared_ptr<ProjectModel> project)
    : project_(project), imageProducer_(std::move(project)) {}

std::optional<foundation::Error> RezezavazUvodidVideoImportProcessor::error() const {
    std::lock_guard guard(errorMutex_);
    return error_;
}

void RezezavazUvodidVideoImportProcessor::importVideoAtURL(const std::string& path, int64_t withNumberOfFramesToImport,
                                                           Completion completion) {
    status_ = kStatusRunning;
    requested_ = std::max<int64_t>(withNumberOfFramesToImport, 0);
    frames_.clear();
    frames_.reserve(static_cast<size_t>(requested_));
    answeredCount_ = 0;

    auto self = shared_from_this();
    progress_.setCompletionHandler([self, completion](const foundation::Progress::Result& result) {
        if (result.outcome == foundation::Progress::Outcome::Cancelled || !completion) return;
        completion(result.outcome == foundation::Progress::Outcome::Finished ? self->frames_ : std::vector<FramePtr>());
    });

    // Nothing to take (a movie under a second): done at once, empty.
    if (requested_ == 0) {
        status_ = kStatusCompleted;
        progress_.finish();
        return;
    }
    auto asset = media::Asset::open(path);
    if (!asset) {
        failWith(asset.error());
        progress_.fail(*error());
        return;
    }
    const float duration = static_cast<float>(asset->durationSeconds());
    const float step = duration / static_cast<float>(requested_);
    assetImageGenerator_ = media::AssetImageGenerator::create(std::move(*asset));
    assetImageGenerator_->appliesPreferredTrackTransform = true;
    assetImageGenerator_->requestedTimeToleranceBefore = assetImageGenerator_->requestedTimeToleranceAfter =
        media::MediaTime::fromSeconds(step * 0.5f, 30);
    assetImageGenerator_->maximumSize = MovieResolution::getMaximumResolutionAvailable();

    // Latest first: the frames arrive in that order and the caller turns them round.
    std::vector<media::MediaTime> times;
    for (int64_t i = requested_ - 1; i >= 0; --i) {
        const float seconds = step * static_cast<float>(i);
        times.push_back(media::MediaTime::fromSeconds(static_cast<double>(seconds), 30));
    }
    assetImageGenerator_->generateImagesAsynchronously(
        std::move(times),
        [self](media::MediaTime, const graphics::Image& image, media::MediaTime, media::ImageGeneratorResult result,
               const std::optional<foundation::Error>& error) { self->answered(image, result, error); });
}

void RezezavazUvodidVideoImportProcessor::answered(const graphics::Image& image, media::ImageGeneratorResult result,
                                                   const std::optional<foundation::Error>& error) {
    if (status_ == kStatusRunning) {
        if (result == media::ImageGeneratorResult::Succeeded) {
            std::optional<foundation::Error> storeFailure;
            if (FramePtr frame = createFrameForImage(image, &storeFailure))
                frames_.push_back(std::move(frame));
            else
                failWith(captureStoreError(storeFailure));
        } else {
            failWith(error ? *error
                           : foundation::Error(media::kMediaErrorDomain, media::kMediaErrorUnknown,
                                               "The video picture was not generated."));
        }
    }
    ++answeredCount_;
    progress_.setCompletedUnits(answeredCount_, requested_);
    if (answeredCount_ == requested_) finishOnQueue();
}

void RezezavazUvodidVideoImportProcessor::failWith(foundation::Error error) {
    {
        std::lock_guard guard(errorMutex_);
        if (!error_) {
            // The media layer's text stays readable; a store failure keeps the
            // capture screen's own error.
            if (error.domain == kCaptureViewControllerErrorDomain)
                error_ = std::move(error);
            else
                error_ = foundation::Error(kErrorDomain, kErrorPictureNotGenerated, error.description,
                                           std::make_shared<foundation::Error>(error));
        }
    }
    int64_t running = kStatusRunning;
    status_.compare_exchange_strong(running, kStatusFailed);
    // One failure fails the whole import: the other pictures need not be made.
    if (assetImageGenerator_) assetImageGenerator_->cancelAllImageGeneration();
}

void RezezavazUvodidVideoImportProcessor::finishOnQueue() {
    int64_t running = kStatusRunning;
    if (status_.compare_exchange_strong(running, kStatusCompleted)) {
        progress_.finish();
        return;
    }
    // Failed or cancelled: nothing of this import stays in the project.
    std::vector<std::string> stored;
    for (const FramePtr& frame : frames_) stored.push_back(frame->frameID());
    removeStoredFrameFiles(*project_, stored);
    frames_.clear();
    if (status_ == kStatusFailed)
        progress_.fail(*error());
    else
        progress_.finish();  // after a cancel the progress reports Cancelled
}

void RezezavazUvodidVideoImportProcessor::cancelImport() {
    // Too late once the import has ended; before that the cancel sticks.
    int64_t current = status_.load();
    while ((current == kStatusUnknown || current == kStatusRunning) &&
           !status_.compare_exchange_weak(current, kStatusCancelled)) {}
    progress_.cancel();
    if (assetImageGenerator_) assetImageGenerator_->cancelAllImageGeneration();
}

FramePtr RezezavazUvodidVideoImportProcessor::createFrameForImage(const graphics::Image& image,
                                                                  std::optional<foundation::Error>* storeFailure) {
    FramePtr frame = Frame::create(Frame::kTypePicture);
    // A failed store leaves none of the frame's files behind.
    foundation::Status stored = imageProducer_.storeImage(image, frame->frameID());
    if (stored) return frame;
    if (storeFailure) *storeFailure = stored.error();
    return nullptr;
}
