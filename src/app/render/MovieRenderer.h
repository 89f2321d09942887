#pragma once

// The family of renderers that make an output from a project (a QuickTime
// movie, an animated GIF, a folder of JPEG images, a project archive), and
// their shared class operations: the movie sizes this machine can export and
// the per-project render cache ("rendercache" in the caches folder, one
// folder per project named as the project's folder), which holds every
// output of every renderer of that project.
//
// A caller gets a renderer from MovieRendererSources, starts one export,
// polls status() and progress() from the main thread and reads exportURL()
// when the completion handler runs (on the main queue, once per export).
// Status values: 0 not started, 2 rendering, 3 finished, 4 failed (error()
// says why), 5 cancelled. A cancel sticks: a cancel that comes before the
// render has begun still ends the export as cancelled.

#include "app/core/ExpandedFrames.h"
#include "app/core/ProjectModel.h"
#include "app/render/LeftOutFiles.h"
#include "app/render/MovieExportType.h"
#include "app/render/RenderSnapshot.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Memory.h"
#include "platform/foundation/Progress.h"
#include "platform/graphics/Geometry.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class MovieRenderer : public std::enable_shared_from_this<MovieRenderer> {
public:
    static inline const char* kRenderCacheFolder = "rendercache";
    static inline const char* kRenderQueueLabel = "com.marrowick.renderqueue";

    static constexpr int64_t kStatusNotStarted = 0;
    static constexpr int64_t kStatusRendering = 2;
    static constexpr int64_t kStatusFinished = 3;
    static constexpr int64_t kStatusFailed = 4;
    static constexpr int64_t kStatusCancelled = 5;

    // The size estimate that stands for "no estimate".
    static constexpr int64_t kNoEstimate = std::numeric_limits<int64_t>::max();

    // Set-up failures shared by the renderers.
    static inline const char* kErrorDomain = "MovieRenderer";
    static constexpr int64_t kErrorNoFrames = 238;
    static constexpr int64_t kErrorNoExportType = 392;
    static constexpr int64_t kErrorInvalidSize = 403;

    using CompletionHandler = std::function<void()>;
    // Kilobytes, or kNoEstimate.
    using EstimateHandler = std::function<void(int64_t kilobytes)>;

    explicit MovieRenderer(ProjectModelPtr project);
    virtual ~MovieRenderer() = default;
    MovieRenderer(const MovieRenderer&) = delete;
    MovieRenderer& operator=(const MovieRenderer&) = delete;

    const ProjectModelPtr& project() const { return project_; }

    // Stores the type and the handler and runs renderMovie on a new serial
    // queue; returns at once. The handler runs once on the main queue when
    // the export has ended, whatever its status. Called on the main thread.
    virtual void exportProjectWithExportType(std::optional<MovieExportType> exportType,
                                             CompletionHandler asynchronouslyWithCompletionHandler);
    // Does the work; the base does nothing.
    virtual void renderMovie() {}
    // Sets the status to 5; the running render stops at its next frame.
    virtual void cancelExport();

    // The one type identifier this renderer writes; none in the base.
    virtual std::optional<std::string> getSupportedUTI() const { return std::nullopt; }
    // The types to offer, in order; none in the base.
    virtual std::vector<MovieExportType> getSupportedExportTypes() const { return {}; }

    // ---- size estimates (MovieRendererEstimates.cpp) ----
    // What the size estimates of a screen read of its project, taken once
    // on the main thread for all of the screen's types: the snapshot a
    // render would take and the project's folder. The stamp of the
    // project's state that keys the estimates kept is read from the files
    // once, on the estimate queue.
    class EstimateBasis;
    using EstimateBasisPtr = std::shared_ptr<const EstimateBasis>;
    // Main thread.
    static EstimateBasisPtr estimateBasisOf(const ProjectModelPtr& project);

    // Kilobytes, measured now on this thread; kNoEstimate when there is no
    // estimate (the base). An estimate of the unchanged project is known at
    // once. Main thread.
    virtual int64_t getEstimatedFileSizeAfterExportforType(const MovieExportType& type);
    // The estimate as a screen shows it: `completion` runs once on the main
    // queue with the kilobytes, unless the returned progress is cancelled
    // first (a screen that goes cancels it). Every estimate is measured on
    // one queue, away from the main thread, one at a time (an encoder at
    // 3840×2160 holds much memory), and stops at its next picture once
    // cancelled. `basis` is the screen's (estimateBasisOf), or taken now
    // when none. Main thread.
    foundation::Progress estimateFileSizeAfterExportForType(const MovieExportType& type, EstimateHandler completion,
                                                            EstimateBasisPtr basis = nullptr);
    // Cancels every estimate under way or waiting: the application quits,
    // and they must not hold its exit. Any thread.
    static void cancelEstimates();
    // An estimate of `bytes` in whole kilobytes, rounded up; kNoEstimate for
    // a size no file reaches (holds of billions) or none at all.
    static int64_t kilobytesEstimate(double bytes);
    static int64_t kilobytesEstimate(std::optional<double> bytes);
    // The path of an earlier output that is still current; none in the base.
    virtual std::optional<std::string> getPreparedMovieForExportType(const MovieExportType& type);
    bool getNeedsAudioMixing() const { return false; }

    // The output's path: the project's cache folder (created when missing;
    // a failure shows when the output is written) and the project's
    // sanitised name, or "My_Stop_Ziruru_Movie" when it has none that
    // survives sanitising, with the type's extension. Main thread.
    std::string getExportURLForExportType(const MovieExportType& type);

    int64_t status() const { return status_.load(); }
    std::optional<foundation::Error> error() const;
    float progress() const { return static_cast<float>(currentProgress().fraction()); }
    std::optional<std::string> exportURL() const;
    void setExportURL(std::optional<std::string> url);
    const std::optional<MovieExportType>& exportType() const { return exportType_; }
    // What the last export could not read and went on without, in the
    // user's words (LeftOutFiles::text); none when it left nothing out.
    // Main thread, once the export has ended.
    std::optional<std::string> leftOutText();

    // The largest movie size this machine exports; (0, 0) when none.
    static graphics::Size getMaximumResolutionAvailable();
    // Whether a movie of that pixel size can be exported.
    static bool isResolutionAvailable(graphics::Size size);
    // The export preset of a movie size; none for sizes without one.
    static std::optional<std::string> getAVAssetExportPresetForSize(graphics::Size size);

    // The project's folder in the render cache; none for a project that has
    // no folder of its own yet (it cannot have rendered anything).
    static std::optional<std::string> renderCachePathForProject(const ProjectModel& project);
    // Removes the project's render-cache folder with everything in it; a
    // failure, or nothing to remove, is ignored.
    static void cleanRenderCacheForProject(const std::shared_ptr<ProjectModel>& project);
    // Removes from every folder of the render cache (in `cachesDirectory`,
    // as Paths tells it) what killed renders left: their temporaries that no
    // render holds (an export under way, in this process or another, keeps
    // its own). Returns how many went.
    static size_t removeAbandonedRenderFiles(const std::string& cachesDirectory);
    // Whether "kelbrin.mov" in a project folder is a current movie of that
    // size, by the movie renderer's test and the folder's "kelbrin.meta".
    static bool isVideoAtPath(const std::string& directory, graphics::Size preparedAtResolution);
    static bool isFileAtPath(const std::string&, const MovieExportType&) { return false; }

protected:
    // The start of a render: status 2, unless a cancel came first; false then
    // (the render must end without doing anything).
    bool beginRendering();
    bool isCancelled() const { return status_.load() == kStatusCancelled; }
    void setProgress(double fraction) { currentProgress().setFraction(fraction); }
    // Status 4 with the error, unless the export has ended or was cancelled.
    void failWithError(foundation::Error error);
    // Status 3, unless the export failed or was cancelled meanwhile.
    void markFinished();

    // Ends the export: the handler runs once, on the main queue.
    void completeExport();
    // Ends the export at set-up: the handler runs at once on this thread.
    void completeExportNow();

    const std::optional<MovieExportType>& storedExportType() const { return exportType_; }
    // Where the running export notes what it could not read; any thread.
    LeftOutFiles& leftOutFiles() { return leftOut_; }

    // The project's movie by position, as it is now; none for a frame list
    // that cannot be read. Main thread.
    ExpandedFrames expandedFrames() const;
    // The project as the running export saw it when it started; what a
    // render reads of its project on its queues. A render called without
    // an export (on the main thread) takes it then.
    const RenderSnapshot& snapshot();
    // getExportURLForExportType with the name of the snapshot; any thread.
    std::string exportURLForRender(const MovieExportType& type);

    // Starts a new export: stores type and handler, with a fresh progress
    // (unless a cancel is waiting on the current one).
    void prepareExport(std::optional<MovieExportType> exportType, CompletionHandler handler);

    // The bytes of the output of `type` for the project as `basis` shows it;
    // none when there is no estimate or `progress` was cancelled (checked
    // at least at every picture). Any thread; none in the base.
    virtual std::optional<double> estimatedBytes(const EstimateBasis& basis, const MovieExportType& type,
                                                 const foundation::Progress& progress);
    // Whether the estimate follows from what the basis's stamp covers (the
    // movie's frames, their stored pictures and the picture settings), so
    // that one measured before stands while they are unchanged.
    virtual bool estimateFollowsPictures() const { return true; }

    // On the main queue when an export has ended, before its handler runs:
    // a renderer lets go of what only the export needed. The base gives the
    // freed memory back to the system.
    virtual void exportDidEnd() { foundation::memory::releaseFreedMemory(); }

private:
    // The estimate's kilobytes: kept from before, or measured now.
    int64_t estimateOnBasis(const EstimateBasis& basis, const MovieExportType& type,
                            const foundation::Progress& progress);
    foundation::Progress currentProgress() const;
    void runStoredHandler();
    std::string exportURLNamed(const MovieExportType& type, const std::string& name) const;

    ProjectModelPtr project_;
    std::optional<MovieExportType> exportType_;
    std::optional<RenderSnapshot> snapshot_;
    CompletionHandler completionHandler_;
    std::optional<foundation::DispatchQueue> renderQueue_;
    std::atomic<int64_t> status_{kStatusNotStarted};
    std::atomic<bool> handlerRun_{false};
    mutable std::mutex mutex_;  // guards the fields below
    foundation::Progress progress_;
    std::optional<foundation::Error> error_;
    std::optional<std::string> exportURL_;
    LeftOutFiles leftOut_;
};

class MovieRenderer::EstimateBasis {
public:
    // Main thread.
    explicit EstimateBasis(const ProjectModelPtr& project);

    const RenderSnapshot& snapshot() const { return snapshot_; }
    // None for a project without a folder of its own.
    const std::optional<std::string>& folder() const { return folder_; }
    // The stamp of the project's state: its folder, the picture settings,
    // the foreground picture, and every frame of the movie by identifier,
    // hold and the length and time of change of its stored picture (so a
    // painted or replaced picture makes another movie). None for a project
    // without a folder. Read from the files at the first call; any thread.
    std::optional<size_t> state() const;

private:
    ProjectModelPtr project_;
    RenderSnapshot snapshot_;
    std::optional<std::string> folder_;
    mutable std::once_flag stateRead_;
    mutable std::optional<size_t> state_;
};

using MovieRendererPtr = std::shared_ptr<MovieRenderer>;
