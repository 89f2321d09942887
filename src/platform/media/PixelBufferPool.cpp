#include "platform/media/PixelBufferPool.h"

namespace media {

std::shared_ptr<PixelBufferPool> PixelBufferPool::create(size_t keep) {
    return std::shared_ptr<PixelBufferPool>(new PixelBufferPool(keep));
}

std::vector<uint8_t> PixelBufferPool::take() {
    std::lock_guard lock(mutex_);
    if (free_.empty()) return {};
    std::vector<uint8_t> bytes = std::move(free_.back());
    free_.pop_back();
    return bytes;
}

std::shared_ptr<const PixelBuffer> PixelBufferPool::share(PixelBuffer buffer) {
    std::weak_ptr<PixelBufferPool> pool = weak_from_this();
    return std::shared_ptr<const PixelBuffer>(new PixelBuffer(std::move(buffer)), [pool](const PixelBuffer* picture) {
        std::unique_ptr<PixelBuffer> owned(const_cast<PixelBuffer*>(picture));
        if (auto alive = pool.lock()) alive->giveBack(std::move(owned->bytes));
    });
}

size_t PixelBufferPool::waiting() const {
    std::lock_guard lock(mutex_);
    return free_.size();
}

void PixelBufferPool::giveBack(std::vector<uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    if (free_.size() < keep_ && bytes.capacity() > 0) free_.push_back(std::move(bytes));
}

}  // namespace media
