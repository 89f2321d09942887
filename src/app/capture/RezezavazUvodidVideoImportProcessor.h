#pragma once

// Turns a movie into evenly spaced picture frames of a project: asks the
// media layer's image generator for N upright pictures at 0, D/N, ...,
// (N−1)·D/N (each from the nearest frame within half a step), stores each
// as a new frame's three image files and hands the frames over, latest
// first, on the main queue. Inserting them is the caller's work.
//
// All or nothing: when a picture cannot be made (error 69 of this class's
// domain, with the media layer's text) or stored (the capture screen's 623
// or 636), the import fails, every file it stored is removed again and the
// completion gets no frames. cancelImport keeps status 5 for good, removes
// what was stored and reports nothing. An import of no frames completes at
// once, empty.

#include "app/core/Frame.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Progress.h"
#include "platform/media/AssetImageGenerator.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class RezezavazUvodidVideoImportProcessor : public std::enable_shared_from_this<RezezavazUvodidVideoImportProcessor> {
public:
    static constexpr const char* kErrorDomain = "RezezavazUvodidVideoImportProcessor";
    static constexpr int64_t kErrorPictureNotGenerated = 69;

    // The platform's export-session numbering.
    enum Status : int64_t {
        kStatusUnknown = 0,
        kStatusRunning = 2,
        kStatusCompleted = 3,
        kStatusFailed = 4,
        kStatusCancelled = 5,
    };

    using Completion = std::function<void(const std::vector<FramePtr>& frames)>;

    static std::shared_ptr<RezezavazUvodidVideoImportProcessor> create(std::shared_ptr<ProjectModel> project);

    // Starts the import of `withNumberOfFramesToImport` pictures of the movie
    // file at `path` and returns at once (main thread). `completion` runs on
    // the main queue when every picture has been answered and the import did
    // not end cancelled: with the frames (latest first) when it completed,
    // with none when it failed.
    void importVideoAtURL(const std::string& path, int64_t withNumberOfFramesToImport, Completion completion);
    // Stops the import: status 5, no completion.
    void cancelImport();

    // A new picture frame with the picture stored as its files; null when
    // the files could not all be written (none of them stay), with the
    // failure in `storeFailure` when one is given.
    FramePtr createFrameForImage(const graphics::Image& image,
                                 std::optional<foundation::Error>* storeFailure = nullptr);

    std::optional<foundation::Error> error() const;
    int64_t status() const { return status_.load(); }
    // Pictures answered / pictures requested.
    float getProgress() const { return static_cast<float>(progress_.fraction()); }
    const foundation::Progress& progress() const { return progress_; }

private:
    explicit RezezavazUvodidVideoImportProcessor(std::shared_ptr<ProjectModel> project);
    // On the generator's queue, one answer at a time.
    void answered(const graphics::Image& image, media::ImageGeneratorResult result,
                  const std::optional<foundation::Error>& error);
    // Ends a failed run: status 4 unless cancelled, the first error kept.
    void failWith(foundation::Error error);
    void finishOnQueue();

    std::shared_ptr<ProjectModel> project_;
    KWImageProducer imageProducer_;
    std::shared_ptr<media::AssetImageGenerator> assetImageGenerator_;
    foundation::Progress progress_;
    std::atomic<int64_t> status_{kStatusUnknown};
    mutable std::mutex errorMutex_;
    std::optional<foundation::Error> error_;
    // Touched only by the answers, which come one at a time.
    std::vector<FramePtr> frames_;
    int64_t requested_ = 0;
    int64_t answeredCount_ = 0;
};
