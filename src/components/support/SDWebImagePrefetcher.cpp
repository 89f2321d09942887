#include "components/support/SDWebImagePrefetcher.h"

#include "platform/foundation/RunLoop.h"

namespace support {

SDWebImagePrefetcher& SDWebImagePrefetcher::sharedImagePrefetcher() {
    static std::shared_ptr<SDWebImagePrefetcher> instance = create(SDWebImageManager::sharedManager());
    return *instance;
}

std::shared_ptr<SDWebImagePrefetcher> SDWebImagePrefetcher::create(SDWebImageManager& manager) {
    return std::shared_ptr<SDWebImagePrefetcher>(new SDWebImagePrefetcher(manager));
}

void SDWebImagePrefetcher::prefetchURLs(std::vector<std::string> urls) {
    cancelPrefetching();
    startedTime_ = foundation::RunLoop::main().now();
    prefetchURLs_ = std::move(urls);
    fill();
}

void SDWebImagePrefetcher::cancelPrefetching() {
    prefetchURLs_.clear();
    skippedCount_ = finishedCount_ = requestedCount_ = 0;
    manager_.cancelForDelegate(this);
}

void SDWebImagePrefetcher::fill() {
    if (filling_) return;
    filling_ = true;
    while (requestedCount_ < prefetchURLs_.size() && requestedCount_ - finishedCount_ < maxConcurrentDownloads_) {
        const std::string& url = prefetchURLs_[requestedCount_++];
        // An address the manager drops (malformed, or known to make no
        // picture) gets no answer: it counts as skipped at once.
        if (!manager_.downloadWithURL(url, shared_from_this(), options_)) {
            ++skippedCount_;
            ++finishedCount_;
        }
    }
    filling_ = false;
}

void SDWebImagePrefetcher::answered(bool skipped) {
    if (skipped) ++skippedCount_;
    ++finishedCount_;
    fill();
}

void SDWebImagePrefetcher::webImageManagerDidFinishWithImage(SDWebImageManager&, const graphics::Image&) {
    answered(false);
}

void SDWebImagePrefetcher::webImageManagerDidFailWithError(SDWebImageManager&,
                                                           const std::optional<foundation::Error>&) {
    answered(true);
}

}  // namespace support
