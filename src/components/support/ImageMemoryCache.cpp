#include "components/support/ImageMemoryCache.h"

namespace support {

ImageMemoryCache::ImageMemoryCache(std::string name, uint64_t totalCostLimit)
    : name_(std::move(name)), limit_(totalCostLimit) {}

graphics::Image ImageMemoryCache::objectForKey(const std::string& key) {
    std::lock_guard guard(mutex_);
    auto found = index_.find(key);
    if (found == index_.end()) return {};
    order_.splice(order_.begin(), order_, found->second);
    return found->second->image;
}

void ImageMemoryCache::setObject(const std::string& key, graphics::Image image, uint64_t cost) {
    std::lock_guard guard(mutex_);
    auto found = index_.find(key);
    if (found != index_.end()) {
        totalCost_ -= found->second->cost;
        order_.erase(found->second);
        index_.erase(found);
    }
    if (cost > limit_) return;
    order_.push_front(Entry{key, std::move(image), cost});
    index_.emplace(key, order_.begin());
    totalCost_ += cost;
    evictLocked();
}

void ImageMemoryCache::removeObjectForKey(const std::string& key) {
    std::lock_guard guard(mutex_);
    auto found = index_.find(key);
    if (found == index_.end()) return;
    totalCost_ -= found->second->cost;
    order_.erase(found->second);
    index_.erase(found);
}

void ImageMemoryCache::removeAllObjects() {
    Order dropped;
    {
        std::lock_guard guard(mutex_);
        dropped.swap(order_);
        index_.clear();
        totalCost_ = 0;
    }
    // The bitmaps are freed here, outside the lock.
}

uint64_t ImageMemoryCache::totalCostLimit() const {
    std::lock_guard guard(mutex_);
    return limit_;
}

void ImageMemoryCache::setTotalCostLimit(uint64_t limit) {
    std::lock_guard guard(mutex_);
    limit_ = limit;
    evictLocked();
}

uint64_t ImageMemoryCache::totalCost() const {
    std::lock_guard guard(mutex_);
    return totalCost_;
}

size_t ImageMemoryCache::count() const {
    std::lock_guard guard(mutex_);
    return index_.size();
}

void ImageMemoryCache::evictLocked() {
    while (totalCost_ > limit_ && !order_.empty()) {
        Entry& oldest = order_.back();
        totalCost_ -= oldest.cost;
        index_.erase(oldest.key);
        order_.pop_back();
    }
}

}  // namespace support
