#include "platform/media/FramePictureJobs.h"

#include "platform/foundation/DispatchQueue.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace media::detail {

struct FramePictureJobs::Job {
    enum class State { Waiting, Running, Done };
    DecodedFramePtr frame;
    int pixelWidth = 0, pixelHeight = 0;
    graphics::ImageOrientation orientation = graphics::ImageOrientation::Up;
    State state = State::Waiting;  // guarded by Shared::mutex
    std::optional<foundation::Result<graphics::Image>> picture;
};

// What the jobs share with the pool's tasks, which may outlive the jobs'
// owner: the converters, kept for reuse (each works for one job at a time).
struct FramePictureJobs::Shared {
    std::string path;
    mutable std::mutex mutex;
    std::condition_variable done;
    std::vector<ScaleContextPtr> scalers;

    // Makes the picture of a job this thread has taken.
    void run(Job& job) {
        ScaleContextPtr scaler;
        {
            std::lock_guard guard(mutex);
            if (!scalers.empty()) {
                scaler = std::move(scalers.back());
                scalers.pop_back();
            }
        }
        auto picture = pictureOfFrame(*job.frame->frame, job.pixelWidth, job.pixelHeight, job.orientation, scaler, path);
        {
            std::lock_guard guard(mutex);
            if (scaler) scalers.push_back(std::move(scaler));
            job.frame.reset();
            job.picture = std::move(picture);
            job.state = Job::State::Done;
        }
        done.notify_all();
    }

    // Takes a job no thread has taken yet.
    bool take(Job& job) {
        std::lock_guard guard(mutex);
        if (job.state != Job::State::Waiting) return false;
        job.state = Job::State::Running;
        return true;
    }
};

FramePictureJobs::FramePictureJobs(std::string path) : shared_(std::make_shared<Shared>()) {
    shared_->path = std::move(path);
}

std::shared_ptr<FramePictureJobs::Job> FramePictureJobs::start(DecodedFramePtr frame, int pixelWidth, int pixelHeight,
                                                               graphics::ImageOrientation orientation,
                                                               bool inBackground) {
    auto job = std::make_shared<Job>();
    job->frame = std::move(frame);
    job->pixelWidth = pixelWidth;
    job->pixelHeight = pixelHeight;
    job->orientation = orientation;
    if (inBackground)
        foundation::DispatchQueue::global().async([shared = shared_, job] {
            if (shared->take(*job)) shared->run(*job);
        });
    return job;
}

bool FramePictureJobs::isDone(const Job& job) const {
    std::lock_guard guard(shared_->mutex);
    return job.state == Job::State::Done;
}

foundation::Result<graphics::Image> FramePictureJobs::finish(Job& job) {
    if (shared_->take(job)) shared_->run(job);
    std::unique_lock lock(shared_->mutex);
    shared_->done.wait(lock, [&] { return job.state == Job::State::Done; });
    return std::move(*job.picture);
}

void FramePictureJobs::drop(Job& job) {
    std::lock_guard guard(shared_->mutex);
    if (job.state != Job::State::Waiting) return;
    job.state = Job::State::Done;
    job.frame.reset();
}

}  // namespace media::detail
