#pragma once

// A thread-safe memory cache of images by key with a total cost limit: when
// the entries' costs add up to more than the limit, the least recently used
// entries go first. A lookup counts as a use.

#include "platform/graphics/Image.h"

#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>

namespace support {

class ImageMemoryCache {
public:
    explicit ImageMemoryCache(std::string name, uint64_t totalCostLimit = kDefaultTotalCostLimit);

    // Pixels (as area in points times scale) kept before the oldest go: about
    // 64 MB of 32-bit pixels.
    static constexpr uint64_t kDefaultTotalCostLimit = uint64_t(16) << 20;

    const std::string& name() const { return name_; }

    // A null image when the key has no entry.
    graphics::Image objectForKey(const std::string& key);
    // Replaces an entry of the same key. An entry that alone costs more than
    // the limit is not kept (it would push out everything else and then go).
    void setObject(const std::string& key, graphics::Image image, uint64_t cost);
    void removeObjectForKey(const std::string& key);
    void removeAllObjects();

    uint64_t totalCostLimit() const;
    // Lowering the limit evicts at once.
    void setTotalCostLimit(uint64_t limit);
    uint64_t totalCost() const;
    size_t count() const;

private:
    struct Entry {
        std::string key;
        graphics::Image image;
        uint64_t cost = 0;
    };
    using Order = std::list<Entry>;  // most recently used first

    void evictLocked();

    const std::string name_;
    mutable std::mutex mutex_;
    Order order_;
    std::unordered_map<std::string, Order::iterator> index_;
    uint64_t totalCost_ = 0;
    uint64_t limit_;
};

}  // namespace support
