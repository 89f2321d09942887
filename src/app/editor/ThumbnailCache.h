#pragma once

// Decoded frame thumbnails for the strip and the timeline, bounded in bytes.
//
// A miss never decodes on the main thread: the stored thumbnail file is read
// and decoded on a background queue at the smallest decoder scale that still
// covers the asked pixel size, the movie effect applied there, and the
// picture handed back on the main queue. Whoever asked decides there whether
// the picture is still wanted (the item may show another frame by then).
//
// Main thread only, apart from the background decoding it runs itself.

#include "app/core/Frame.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

class ThumbnailCache {
public:
    static constexpr size_t kDefaultByteLimit = 16u << 20;

    using Delivery = std::function<void(const graphics::Image&)>;

    explicit ThumbnailCache(ProjectModelPtr project, size_t byteLimit = kDefaultByteLimit);
    ~ThumbnailCache();
    ThumbnailCache(const ThumbnailCache&) = delete;
    ThumbnailCache& operator=(const ThumbnailCache&) = delete;

    // The picture of a picture frame at (at least) that many pixels, when it
    // was decoded already.
    std::optional<graphics::Image> cachedImage(const FramePtr& frame, int pixelWidth, int pixelHeight);
    // Delivers the picture on the main queue once decoded: at once when
    // cached, else after the background decode (a missing or unreadable file
    // gives the placeholder picture). Requests for the same picture share
    // one decode. A cache destroyed first delivers nothing.
    void requestImage(const FramePtr& frame, int pixelWidth, int pixelHeight, Delivery delivery);

    // Forgets the pictures of a frame (its files changed), or all of them.
    void invalidate(const FramePtr& frame);
    void invalidateAll();

    // How many decodes run at once, at most.
    static size_t decodersAtOnce();

    size_t byteCount() const { return byteCount_; }
    size_t byteLimit() const { return byteLimit_; }
    size_t imageCount() const { return entries_.size(); }
    // Decodes started and not yet handed back.
    size_t pendingCount() const { return pending_.size(); }

private:
    // frameID, pixel width, pixel height, movie effect
    using Key = std::tuple<std::string, int, int, int32_t>;
    struct Entry {
        graphics::Image image;
        size_t bytes = 0;
        std::list<Key>::iterator recency;
    };
    struct Shared;

    Key keyFor(const FramePtr& frame, int pixelWidth, int pixelHeight) const;
    std::optional<graphics::Image> cachedImage(const Key& key);
    int32_t movieEffect() const;
    void store(const Key& key, const graphics::Image& image);
    void finish(const Key& key, const graphics::Image& image, uint64_t generation);

    ProjectModelPtr project_;
    size_t byteLimit_;
    size_t byteCount_ = 0;
    uint64_t generation_ = 0;  // raised by invalidation: older decodes are delivered, not kept
    std::map<Key, Entry> entries_;
    std::list<Key> recency_;  // most recent first
    // Waiting deliveries by picture and by the generation their decode started in.
    std::map<std::pair<Key, uint64_t>, std::vector<Delivery>> pending_;
    std::shared_ptr<Shared> shared_;
};
