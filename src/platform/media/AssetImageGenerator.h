#pragma once

// Pictures of a movie at given times, as the platform's asset image
// generator makes them: each from the frame nearest the requested time
// within the tolerances, turned upright by the track's display matrix when
// asked, no larger than a maximum size.
//
// Asynchronous requests run on the generator's own serial queue; their
// answers come on that queue, one per requested time, in the order the
// times were given. Frames are decoded forward from a keyframe and shared
// between requests, so a batch in any order costs about one pass over the
// part of the movie it covers. Cancelling answers every outstanding time
// with Cancelled.

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/media/Asset.h"
#include "platform/media/MediaTime.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace media {

namespace detail {
class VideoFrameDecoder;
}

enum class ImageGeneratorResult { Succeeded = 0, Failed = 1, Cancelled = 2 };

class AssetImageGenerator : public std::enable_shared_from_this<AssetImageGenerator> {
public:
    using CompletionHandler =
        std::function<void(MediaTime requestedTime, const graphics::Image& image, MediaTime actualTime,
                           ImageGeneratorResult result, const std::optional<foundation::Error>& error)>;

    static std::shared_ptr<AssetImageGenerator> create(Asset asset);
    ~AssetImageGenerator();
    AssetImageGenerator(const AssetImageGenerator&) = delete;
    AssetImageGenerator& operator=(const AssetImageGenerator&) = delete;

    const Asset& asset() const { return asset_; }

    // Set these before asking for pictures.
    // Turn pictures by the video track's display matrix (false: as stored).
    bool appliesPreferredTrackTransform = false;
    // Pixels the upright picture must fit in, aspect kept; a zero edge
    // leaves that direction unlimited.
    graphics::Size maximumSize;
    // How far before and after the requested time the frame may lie.
    MediaTime requestedTimeToleranceBefore = MediaTime::positiveInfinity();
    MediaTime requestedTimeToleranceAfter = MediaTime::positiveInfinity();

    // Queues the times; `handler` is called once per time, in this order,
    // on the generator's queue.
    void generateImagesAsynchronously(std::vector<MediaTime> requestedTimes, CompletionHandler handler);
    // Every time not yet answered is answered with Cancelled (no error).
    void cancelAllImageGeneration();
    // One picture, made on the calling thread.
    foundation::Result<graphics::Image> copyImageAtTime(MediaTime requestedTime, MediaTime* actualTime = nullptr);

    // The queue the answers come on.
    const foundation::DispatchQueue& queue() const { return queue_; }

private:
    struct Request;
    struct Settings;
    class Engine;
    explicit AssetImageGenerator(Asset asset);
    Settings currentSettings() const;

    Asset asset_;
    foundation::DispatchQueue queue_;
    // Decoder state, used by one batch at a time.
    std::mutex engineMutex_;
    std::unique_ptr<Engine> engine_;
    // Raised by every cancel; a batch queued before it answers Cancelled.
    std::shared_ptr<std::atomic<uint64_t>> generation_;
};

// One upright picture near the start of a movie no larger than `maximumSize`
// (the photo library's thumbnails of videos); a null image when the file
// has no picture to give.
graphics::Image posterImageOfMovie(const std::string& path, graphics::Size maximumSize);

}  // namespace media
