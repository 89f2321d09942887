#include "app/editor/ThumbnailCache.h"

#include "app/core/KWImageProducer.h"
#include "app/editor/preview/ScaledPicture.h"

#include <mutex>

namespace {

size_t bytesOf(const graphics::Image& image) {
    return static_cast<size_t>(image.pixelWidth()) * static_cast<size_t>(image.pixelHeight()) * 4u;
}

}  // namespace

// What the decoding threads share with the cache: the pictures they decoded,
// taken on the main thread in one go by the task that the first of them
// queued (one hand-over for a burst of decodes, not one each).
struct ThumbnailCache::Shared {
    struct Decoded {
        Key key;
        graphics::Image image;
        uint64_t generation;
    };
    ThumbnailCache* owner;  // main thread only; null once the cache is gone
    std::mutex mutex;
    std::vector<Decoded> decoded;

    // Hands a decoded picture over; the first of a burst queues the taking.
    static void handOver(const std::weak_ptr<Shared>& weak, Decoded picture) {
        auto shared = weak.lock();
        if (!shared) return;
        bool first = false;
        {
            std::lock_guard guard(shared->mutex);
            shared->decoded.push_back(std::move(picture));
            first = shared->decoded.size() == 1;
        }
        if (first) foundation::DispatchQueue::main().async([weak] {
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
    const uint64_t generation = generation_;
    foundation::DispatchQueue::global().async([weak, key, path, pixelWidth, pixelHeight, generation] {
        Shared::handOver(weak,
                         {key, decodeScaledPicture(path, pixelWidth, pixelHeight, std::get<3>(key)), generation});
    });
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
