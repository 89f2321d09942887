#pragma once

// Warms the image cache with a list of addresses, a few requests at a time
// through the image manager. Main thread only.

#include "components/support/SDWebImageManager.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace support {

class SDWebImagePrefetcher : public SDWebImageManagerDelegate,
                             public std::enable_shared_from_this<SDWebImagePrefetcher> {
public:
    // Over the shared manager, three at a time, low priority; created on first call.
    static SDWebImagePrefetcher& sharedImagePrefetcher();
    static std::shared_ptr<SDWebImagePrefetcher> create(SDWebImageManager& manager);

    // Cancels a prefetch in progress, then requests the addresses in order
    // while fewer than maxConcurrentDownloads are outstanding.
    void prefetchURLs(std::vector<std::string> urls);
    // Drops the list, zeroes the counts and cancels the outstanding requests.
    void cancelPrefetching();

    const std::vector<std::string>& prefetchURLs() const { return prefetchURLs_; }
    uint64_t maxConcurrentDownloads() const { return maxConcurrentDownloads_; }
    void setMaxConcurrentDownloads(uint64_t count) { maxConcurrentDownloads_ = count; }
    int32_t options() const { return options_; }
    void setOptions(int32_t options) { options_ = options; }

    // Requests made, answered, and answered without a picture (failures and
    // requests the manager dropped without an answer).
    uint64_t requestedCount() const { return requestedCount_; }
    uint64_t finishedCount() const { return finishedCount_; }
    uint64_t skippedCount() const { return skippedCount_; }
    bool isFinished() const { return !prefetchURLs_.empty() && finishedCount_ == prefetchURLs_.size(); }
    // When the current list started, on the main run loop's clock.
    double startedTime() const { return startedTime_; }

    void webImageManagerDidFinishWithImage(SDWebImageManager& manager, const graphics::Image& image) override;
    void webImageManagerDidFailWithError(SDWebImageManager& manager,
                                         const std::optional<foundation::Error>& error) override;

private:
    explicit SDWebImagePrefetcher(SDWebImageManager& manager) : manager_(manager) {}
    // Starts requests while any are left and a slot is free. An answer that
    // arrives inside a request call (a memory hit) only counts; the loop
    // already running starts what follows.
    void fill();
    void answered(bool skipped);

    SDWebImageManager& manager_;
    std::vector<std::string> prefetchURLs_;
    uint64_t skippedCount_ = 0;
    uint64_t finishedCount_ = 0;
    uint64_t requestedCount_ = 0;
    double startedTime_ = 0;
    int32_t options_ = SDWebImageLowPriority;
    uint64_t maxConcurrentDownloads_ = 3;
    bool filling_ = false;
};

}  // namespace support
