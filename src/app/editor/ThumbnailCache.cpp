#include "app/editor/ThumbnailCache.h"

#include "app/core/KWImageProducer.h"
#include "app/preview/ScaledPicture.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// Decodes running at once: half the processors, at most four. Thumbnails are
// small; more decoders barely shorten a burst, cost more CPU for each picture,
// and leave less room for the preview pane's and the player's decoding.
const size_t kRunners = std::clamp<size_t>(std::thread::hardware_concurrency() / 2, 1, 4);
// The pictures a decoding task hands over at a time (fewer when the requests run out).
constexpr size_t kGroup = 8;

size_t bytesOf(const graphics::Image& image) {
    return static_cast<size_t>(image.pixelWidth()) * static_cast<size_t>(image.pixelHeight()) * 4u;
}

}  // namespace

// What the decoding threads share with the cache. Decodes asked for wait in
// one list, taken one after another by a few pool tasks (not a task each);
// the pictures go back in small groups, taken on the main thread in one go
// by the task that the first group queued: a burst of requests wakes the
// main thread a few times, not once for every picture.
struct ThumbnailCache::Shared {
    struct Job {
        Key key;
        std::optional<std::string> path;
        int pixelWidth = 0, pixelHeight = 0;
        uint64_t generation = 0;
    };
    struct Decoded {
        Key key;
        graphics::Image image;
        uint64_t generation;
    };
    ThumbnailCache* owner;  // main thread only; null once the cache is gone
    std::mutex mutex;
    std::deque<Job> jobs;
    size_t runners = 0;  // pool tasks taking jobs: never none while there are jobs
    std::vector<Decoded> decoded;

    // Queues a decode, and a pool task to take it unless enough run.
    static void queue(const std::shared_ptr<Shared>& shared, Job job) {
        {
            std::lock_guard guard(shared->mutex);
            shared->jobs.push_back(std::move(job));
            if (shared->runners >= kRunners) return;
            ++shared->runners;
        }
        foundation::DispatchQueue::global().async([weak = std::weak_ptr<Shared>(shared)] { run(weak); });
    }

    // A pool task: decodes queued jobs until none is left or the cache went,
    // handing the pictures over a group at a time and the rest at the end.
    static void run(const std::weak_ptr<Shared>& weak) {
        std::vector<Decoded> group;
        for (;;) {
            Job job;
            {
                auto shared = weak.lock();
                if (!shared) return;
                std::unique_lock lock(shared->mutex);
                if (shared->jobs.empty()) {
                    --shared->runners;
                    lock.unlock();
                    handOver(*shared, weak, std::move(group));
                    return;
                }
                job = std::move(shared->jobs.front());
                shared->jobs.pop_front();
            }
            graphics::Image image =
                decodeScaledPicture(job.path, job.pixelWidth, job.pixelHeight, std::get<3>(job.key));
            group.push_back({std::move(job.key), std::move(image), job.generation});
            if (group.size() >= kGroup) {
                auto shared = weak.lock();
                if (!shared) return;
                handOver(*shared, weak, std::move(group));
                group.clear();
            }
        }
    }

    // Hands decoded pictures over; the first of a burst queues the taking.
    static void handOver(Shared& shared, const std::weak_ptr<Shared>& weak, std::vector<Decoded> pictures) {
        if (pictures.empty()) return;
        bool first = false;
        {
            std::lock_guard guard(shared.mutex);
            first = shared.decoded.empty();
            for (Decoded& picture : pictures) shared.decoded.push_back(std::move(picture));
        }
        if (first)
            foundation::DispatchQueue::main().async([weak] {
                if (auto taking = weak.lock()) takeAll(*taking);
            });
    }

    // On the main thread: finishes every decode handed over so far. A
    // delivery may destroy the cache; the rest then go undelivered.
    static void takeAll(Shared& shared) {
        std::vector<Decoded> taken;
        {
            std::lock_guard guard(shared.mutex);
            taken.swap(shared.decoded);
        }
        for (const Decoded& picture : taken)
            if (shared.owner) shared.owner->finish(picture.key, picture.image, picture.generation);
    }
};

size_t ThumbnailCache::decodersAtOnce() { return kRunners; }

ThumbnailCache::ThumbnailCache(ProjectModelPtr project, size_t byteLimit)
    : project_(std::move(project)), byteLimit_(byteLimit), shared_(std::make_shared<Shared>()) {
    shared_->owner = this;
}

ThumbnailCache::~ThumbnailCache() { shared_->owner = nullptr; }

int32_t ThumbnailCache::movieEffect() const { return project_ ? movieEffectOfProject(*project_) : 0; }

ThumbnailCache::Key ThumbnailCache::keyFor(const FramePtr& frame, int pixelWidth, int pixelHeight) const {
    return Key{frame->frameID(), pixelWidth, pixelHeight, movieEffect()};
}

std::optional<graphics::Image> ThumbnailCache::cachedImage(const FramePtr& frame, int pixelWidth, int pixelHeight) {
    if (!frame) return std::nullopt;
    return cachedImage(keyFor(frame, pixelWidth, pixelHeight));
}

std::optional<graphics::Image> ThumbnailCache::cachedImage(const Key& key) {
    const auto found = entries_.find(key);
    if (found == entries_.end()) return std::nullopt;
    recency_.splice(recency_.begin(), recency_, found->second.recency);
    return found->second.image;
}

void ThumbnailCache::requestImage(const FramePtr& frame, int pixelWidth, int pixelHeight, Delivery delivery) {
    if (!frame || !delivery) return;
    const Key key = keyFor(frame, pixelWidth, pixelHeight);
    std::weak_ptr<Shared> weak = shared_;
    if (auto cached = cachedImage(key)) {
        foundation::DispatchQueue::main().async([weak, delivery = std::move(delivery), image = *cached] {
            if (weak.lock()) delivery(image);
        });
        return;
    }
    auto& waiting = pending_[{key, generation_}];
    waiting.push_back(std::move(delivery));
    if (waiting.size() > 1) return;  // a decode of this picture is on its way

    std::optional<std::string> path;
    if (auto folder = project_ ? project_->getProjectPath() : std::nullopt)
        path = *folder + "/" + KWImageProducer::thumbnailFileName(frame->frameID());
    Shared::queue(shared_, {key, std::move(path), pixelWidth, pixelHeight, generation_});
}

void ThumbnailCache::finish(const Key& key, const graphics::Image& image, uint64_t generation) {
    auto waiting = pending_.find({key, generation});
    if (waiting == pending_.end()) return;
    std::vector<Delivery> deliveries = std::move(waiting->second);
    pending_.erase(waiting);
    // A decode started before its files changed is shown once but not kept.
    if (generation == generation_ && !image.isNull()) store(key, image);
    for (auto& delivery : deliveries) delivery(image);
}

void ThumbnailCache::store(const Key& key, const graphics::Image& image) {
    const size_t bytes = bytesOf(image);
    if (bytes > byteLimit_) return;
    if (auto old = entries_.find(key); old != entries_.end()) {
        byteCount_ -= old->second.bytes;
        recency_.erase(old->second.recency);
        entries_.erase(old);
    }
    while (byteCount_ + bytes > byteLimit_ && !recency_.empty()) {
        const auto oldest = entries_.find(recency_.back());
        byteCount_ -= oldest->second.bytes;
        entries_.erase(oldest);
        recency_.pop_back();
    }
    recency_.push_front(key);
    entries_.emplace(key, Entry{image, bytes, recency_.begin()});
    byteCount_ += bytes;
}

void ThumbnailCache::invalidate(const FramePtr& frame) {
    if (!frame) return;
    ++generation_;
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (std::get<0>(it->first) == frame->frameID()) {
            byteCount_ -= it->second.bytes;
            recency_.erase(it->second.recency);
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

void ThumbnailCache::invalidateAll() {
    ++generation_;
    entries_.clear();
    recency_.clear();
    byteCount_ = 0;
}
