#include "app/render/MovieRenderer.h"

#include "app/core/MovieResolution.h"
#include "app/render/TollivarMovieRenderer.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/TemporaryClaim.h"
#include "platform/media/ExportPresets.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

MovieRenderer::MovieRenderer(ProjectModelPtr project) : project_(std::move(project)) {}

void MovieRenderer::exportProjectWithExportType(std::optional<MovieExportType> exportType,
                                                CompletionHandler asynchronouslyWithCompletionHandler) {
    prepareExport(std::move(exportType), std::move(asynchronouslyWithCompletionHandler));
    renderQueue_.emplace(kRenderQueueLabel);
    // The render holds its renderer: the files it writes must be closed even
    // when the caller lets go of the renderer meanwhile.
    renderQueue_->async([self = shared_from_this()] {
        self->renderMovie();
        self->completeExport();
    });
}

void MovieRenderer::prepareExport(std::optional<MovieExportType> exportType, CompletionHandler handler) {
    exportType_ = std::move(exportType);
    snapshot_ = RenderSnapshot::ofProject(*project_);
    leftOut_.clear();
    completionHandler_ = std::move(handler);
    handlerRun_ = false;
    foundation::Progress progress;
    {
        std::lock_guard lock(mutex_);
        // A cancel that came before this export must still end it.
        if (!progress_.isCancelled() || progress_.isEnded()) progress_ = foundation::Progress();
        progress = progress_;
    }
    progress.setCompletionHandler([weak = foundation::weakFrom(this)](const foundation::Progress::Result&) {
        if (auto self = weak.lock()) self->runStoredHandler();
    });
}

void MovieRenderer::runStoredHandler() {
    if (handlerRun_.exchange(true)) return;
    // Run once and let go: a caller's handler often holds this renderer, and
    // kept here it would keep the renderer, its writer and its pictures alive.
    CompletionHandler handler = std::move(completionHandler_);
    completionHandler_ = nullptr;
    // The render is done with it; a later render takes its own.
    snapshot_.reset();
    exportDidEnd();
    if (handler) handler();
}

void MovieRenderer::cancelExport() {
    int64_t current = status_.load();
    // An export that has ended keeps its outcome.
    while ((current == kStatusNotStarted || current == kStatusRendering) &&
           !status_.compare_exchange_weak(current, kStatusCancelled)) {}
    currentProgress().cancel();
}

bool MovieRenderer::beginRendering() {
    int64_t current = status_.load();
    while (current != kStatusCancelled) {
        if (status_.compare_exchange_weak(current, kStatusRendering)) return true;
    }
    return false;
}

void MovieRenderer::failWithError(foundation::Error error) {
    int64_t current = status_.load();
    while (current == kStatusRendering || current == kStatusNotStarted) {
        if (status_.compare_exchange_weak(current, kStatusFailed)) {
            std::lock_guard lock(mutex_);
            error_ = std::move(error);
            return;
        }
    }
}

void MovieRenderer::markFinished() {
    int64_t current = kStatusRendering;
    status_.compare_exchange_strong(current, kStatusFinished);
}

void MovieRenderer::completeExport() {
    foundation::Progress progress = currentProgress();
    if (status() == kStatusFailed) {
        progress.fail(error().value_or(foundation::Error()));
    } else {
        progress.finish();
    }
}

void MovieRenderer::completeExportNow() {
    runStoredHandler();
    completeExport();
}

foundation::Progress MovieRenderer::currentProgress() const {
    std::lock_guard lock(mutex_);
    return progress_;
}

std::optional<foundation::Error> MovieRenderer::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

std::optional<std::string> MovieRenderer::exportURL() const {
    std::lock_guard lock(mutex_);
    return exportURL_;
}

void MovieRenderer::setExportURL(std::optional<std::string> url) {
    std::lock_guard lock(mutex_);
    exportURL_ = std::move(url);
}

std::optional<std::string> MovieRenderer::getPreparedMovieForExportType(const MovieExportType&) { return std::nullopt; }

std::string MovieRenderer::getExportURLForExportType(const MovieExportType& type) {
    return exportURLNamed(type, RenderSnapshot::outputNameOf(*project_));
}

const RenderSnapshot& MovieRenderer::snapshot() {
    if (!snapshot_) snapshot_ = RenderSnapshot::ofProject(*project_);
    return *snapshot_;
}

std::optional<std::string> MovieRenderer::leftOutText() { return leftOut_.text(snapshot().frames); }

std::string MovieRenderer::exportURLForRender(const MovieExportType& type) {
    return exportURLNamed(type, snapshot().outputName);
}

std::string MovieRenderer::exportURLNamed(const MovieExportType& type, const std::string& name) const {
    std::string folder = renderCachePathForProject(*project_).value_or(
        foundation::path::appending(foundation::Paths::cachesDirectory(), kRenderCacheFolder));
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored)) std::filesystem::create_directories(folder, ignored);
    // What a killed render left in the folder goes before the next one.
    (void)foundation::removeAbandonedTemporaries(folder);
    return foundation::path::appending(folder, name + "." + type.extension());
}

graphics::Size MovieRenderer::getMaximumResolutionAvailable() {
    return MovieResolution::getMaximumResolutionAvailable();
}

bool MovieRenderer::isResolutionAvailable(graphics::Size size) { return MovieResolution::isResolutionAvailable(size); }

std::optional<std::string> MovieRenderer::getAVAssetExportPresetForSize(graphics::Size size) {
    struct Entry {
        graphics::Size size;
        const char* preset;
    };
    static const Entry entries[] = {
        {{1920, 1080}, media::kExportPreset1920x1080}, {{1280, 720}, media::kExportPreset1280x720},
        {{640, 640}, media::kExportPreset1280x720},    {{960, 540}, media::kExportPreset960x540},
        {{640, 360}, media::kExportPresetLowQuality},  {{640, 480}, media::kExportPreset640x480},
    };
    for (const Entry& entry : entries)
        if (entry.size == size) return entry.preset;
    return std::nullopt;
}

std::optional<std::string> MovieRenderer::renderCachePathForProject(const ProjectModel& project) {
    std::optional<std::string> projectPath = project.getProjectPath();
    if (!projectPath) return std::nullopt;
    std::string name = foundation::path::lastComponent(*projectPath);
    // A path like "/" has no folder name of its own; naming the whole cache
    // instead would wipe every project's renders.
    if (name.empty() || name == "/" || name == "." || name == "..") return std::nullopt;
    std::string cache = foundation::path::appending(foundation::Paths::cachesDirectory(), kRenderCacheFolder);
    return foundation::path::appending(cache, name);
}

void MovieRenderer::cleanRenderCacheForProject(const std::shared_ptr<ProjectModel>& project) {
    if (!project) return;
    std::optional<std::string> folder = renderCachePathForProject(*project);
    if (!folder) return;
    (void)foundation::FileManager::defaultManager().removeItem(*folder);
}

size_t MovieRenderer::removeAbandonedRenderFiles(const std::string& cachesDirectory) {
    const std::string cache = foundation::path::appending(cachesDirectory, kRenderCacheFolder);
    size_t removed = foundation::removeAbandonedTemporaries(cache).size();
    auto folders = foundation::FileManager::defaultManager().contentsOfDirectory(cache);
    for (const std::string& name : folders ? *folders : std::vector<std::string>{}) {
        const std::string folder = foundation::path::appending(cache, name);
        std::error_code ignored;
        if (std::filesystem::symlink_status(folder, ignored).type() == std::filesystem::file_type::directory)
            removed += foundation::removeAbandonedTemporaries(folder).size();
    }
    return removed;
}

bool MovieRenderer::isVideoAtPath(const std::string& directory, graphics::Size preparedAtResolution) {
    bool needsRendering = false;
    if (auto bytes = foundation::readRegularFile(foundation::path::appending(directory, projectkeys::kMetaDataFile),
                                                 projectkeys::kMaximumListBytes))
        if (auto meta = foundation::plist::parse(*bytes))
            needsRendering = meta->asDictionary().get(projectkeys::kNeedsRendering).asBool(false);
    return TollivarMovieRenderer::isMovieCurrent(foundation::path::appending(directory, "kelbrin.mov"),
                                                 preparedAtResolution, needsRendering);
}

ExpandedFrames MovieRenderer::expandedFrames() const {
    return project_ ? RenderSnapshot::framesOf(*project_) : ExpandedFrames();
}
