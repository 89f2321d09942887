#pragma once

// Picture stores handed round again: a render composes pictures of one size
// over and over, and a fresh store of megabytes costs the kernel a page
// clearing and the allocator a mapping each time. A picture shared through
// the pool gives its store back when its last owner lets it go (the encoder
// included); take() hands such a store out again, with its size and bytes
// as they were, so a producer that overwrites every byte clears nothing.
// Any thread.

#include "platform/media/PixelBuffer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace media {

class PixelBufferPool : public std::enable_shared_from_this<PixelBufferPool> {
public:
    // Keeps at most `keep` stores between uses; more given back are freed.
    static std::shared_ptr<PixelBufferPool> create(size_t keep);

    // A store given back earlier, or an empty one when none waits.
    std::vector<uint8_t> take();
    // The picture, owned from now on by whoever holds the pointer; its store
    // comes back here when the last of them lets go (freed if the pool is gone).
    std::shared_ptr<const PixelBuffer> share(PixelBuffer buffer);

    size_t waiting() const;

private:
    explicit PixelBufferPool(size_t keep) : keep_(keep) {}
    void giveBack(std::vector<uint8_t> bytes);

    const size_t keep_;
    mutable std::mutex mutex_;
    std::vector<std::vector<uint8_t>> free_;
};

}  // namespace media
