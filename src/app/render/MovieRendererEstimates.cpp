// The renderers' size estimates as screens ask for them: one queue measures
// them one after the other, away from the main thread; what a screen reads
// of its project is read once for all of its types; estimates measured
// before are kept by the project's state; and every estimate stops at its
// next picture when cancelled, by its screen or by the application's end.

#include "app/render/MovieRenderer.h"
#include "app/render/RenderImageProducer.h"

#include <cmath>
#include <deque>
#include <functional>
#include <sys/stat.h>
#include <unordered_map>

namespace {

constexpr const char* kEstimateQueueLabel = "com.marrowick.estimatequeue";

// One estimate at a time: an encoder at 3840×2160 holds much memory, and a
// screen asks for every size at once.
const foundation::DispatchQueue& estimateQueue() {
    static const auto* queue = new foundation::DispatchQueue(kEstimateQueueLabel);
    return *queue;
}

// Estimates measured before, by what decides them: a screen opened again
// for an unchanged project shows its sizes at once.
class EstimateCache {
public:
    static EstimateCache& shared() {
        static auto* cache = new EstimateCache();
        return *cache;
    }
    std::optional<int64_t> find(size_t key) const {
        std::lock_guard lock(mutex_);
        auto found = kilobytes_.find(key);
        return found == kilobytes_.end() ? std::nullopt : std::optional<int64_t>(found->second);
    }
    void remember(size_t key, int64_t kilobytes) {
        std::lock_guard lock(mutex_);
        if (kilobytes_.emplace(key, kilobytes).second) order_.push_back(key);
        if (order_.size() > kEntries) {
            kilobytes_.erase(order_.front());
            order_.pop_front();
        }
    }

private:
    static constexpr size_t kEntries = 64;
    mutable std::mutex mutex_;
    std::unordered_map<size_t, int64_t> kilobytes_;
    std::deque<size_t> order_;
};

// The estimates under way or waiting, for a cancel of them all.
class RunningEstimates {
public:
    static RunningEstimates& shared() {
        static auto* running = new RunningEstimates();
        return *running;
    }
    void add(const foundation::Progress& progress) {
        std::lock_guard lock(mutex_);
        progresses_.push_back(progress);
    }
    void remove(const foundation::Progress& progress) {
        std::lock_guard lock(mutex_);
        std::erase(progresses_, progress);
    }
    void cancelAll() {
        std::lock_guard lock(mutex_);
        for (const foundation::Progress& progress : progresses_) progress.cancel();
    }

private:
    std::mutex mutex_;
    std::vector<foundation::Progress> progresses_;
};

// The key of an estimate of `type` on a basis; none when it is not kept.
std::optional<size_t> estimateKey(const MovieRenderer::EstimateBasis& basis, const MovieExportType& type) {
    const std::optional<size_t> state = basis.state();
    if (!state) return std::nullopt;
    return std::hash<std::string>()(std::to_string(*state) + "|" + type.UTI() + "|" + type.size().toString());
}

}  // namespace

MovieRenderer::EstimateBasis::EstimateBasis(const ProjectModelPtr& project)
    : project_(project),
      snapshot_(project ? RenderSnapshot::ofProject(*project) : RenderSnapshot{}),
      folder_(project ? project->getProjectPath() : std::nullopt) {}

std::optional<size_t> MovieRenderer::EstimateBasis::state() const {
    std::call_once(stateRead_, [this] {
        if (!folder_) return;
        auto stamp = [&](const std::string& file) {
            struct stat info {};
            const std::optional<std::string> path = project_->pathForFile(file);
            if (!path || ::stat(path->c_str(), &info) != 0) return std::string("-");
            return std::to_string(info.st_size) + "@" + std::to_string(info.st_mtim.tv_sec) + "." +
                   std::to_string(info.st_mtim.tv_nsec);
        };
        const KWImageProducer::PictureSettings& settings = snapshot_.pictures;
        std::string what = *folder_ + "|" + std::to_string(settings.fps) + "|" + std::to_string(settings.movieEffect) +
                           std::to_string(settings.fadeIn) + std::to_string(settings.fadeOut) +
                           std::to_string(settings.foreground) + "|" + stamp(RenderImageProducer::kForegroundFile);
        for (const ExpandedFrames::Run& run : snapshot_.frames.runs())
            what += "|" + run.frame->frameID() + ":" + std::to_string(run.end - run.first) + ":" +
                    stamp(KWImageProducer::frameFileName(run.frame->frameID()));
        state_ = std::hash<std::string>()(what);
    });
    return state_;
}

MovieRenderer::EstimateBasisPtr MovieRenderer::estimateBasisOf(const ProjectModelPtr& project) {
    return std::make_shared<const EstimateBasis>(project);
}

int64_t MovieRenderer::estimateOnBasis(const EstimateBasis& basis, const MovieExportType& type,
                                       const foundation::Progress& progress) {
    const std::optional<size_t> key = estimateFollowsPictures() ? estimateKey(basis, type) : std::nullopt;
    if (!key) return kilobytesEstimate(estimatedBytes(basis, type, progress));
    if (std::optional<int64_t> known = EstimateCache::shared().find(*key)) return *known;
    const int64_t measured = kilobytesEstimate(estimatedBytes(basis, type, progress));
    if (!progress.isCancelled()) EstimateCache::shared().remember(*key, measured);
    return measured;
}

int64_t MovieRenderer::getEstimatedFileSizeAfterExportforType(const MovieExportType& type) {
    return estimateOnBasis(*estimateBasisOf(project_), type, foundation::Progress());
}

foundation::Progress MovieRenderer::estimateFileSizeAfterExportForType(const MovieExportType& type,
                                                                       EstimateHandler completion,
                                                                       EstimateBasisPtr basis) {
    foundation::Progress progress;
    auto kilobytes = std::make_shared<std::atomic<int64_t>>(kNoEstimate);
    progress.setCompletionHandler(
        [kilobytes, completion = std::move(completion)](const foundation::Progress::Result& result) {
            if (result.outcome == foundation::Progress::Outcome::Finished && completion) completion(kilobytes->load());
        });
    if (!basis) basis = estimateBasisOf(project_);
    RunningEstimates::shared().add(progress);
    estimateQueue().async([self = shared_from_this(), basis, type, progress, kilobytes] {
        // Work for no one waiting on it: the screen and a render come first.
        const foundation::ScopedBatchScheduling batch;
        if (!progress.isCancelled()) {
            kilobytes->store(self->estimateOnBasis(*basis, type, progress));
            // What the measuring took (a few hundred megabytes at 3840×2160)
            // goes back to the system rather than waiting in the allocator.
            foundation::memory::releaseFreedMemory();
        }
        RunningEstimates::shared().remove(progress);
        progress.finish();
    });
    return progress;
}

void MovieRenderer::cancelEstimates() { RunningEstimates::shared().cancelAll(); }

std::optional<double> MovieRenderer::estimatedBytes(const EstimateBasis&, const MovieExportType&,
                                                    const foundation::Progress&) {
    return std::nullopt;
}

int64_t MovieRenderer::kilobytesEstimate(double bytes) {
    const double kilobytes = std::ceil(bytes / 1024);
    return kilobytes >= 0 && kilobytes < 9e18 ? static_cast<int64_t>(kilobytes) : kNoEstimate;
}

int64_t MovieRenderer::kilobytesEstimate(std::optional<double> bytes) {
    return bytes ? kilobytesEstimate(*bytes) : kNoEstimate;
}
