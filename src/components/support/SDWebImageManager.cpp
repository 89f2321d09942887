#include "components/support/SDWebImageManager.h"

#include "components/support/ManagedImageDownload.h"

#include <QUrl>
#include <algorithm>

namespace support {

namespace {

bool isWebAddress(const std::string& url) {
    if (url.empty()) return false;
    QUrl parsed = QUrl::fromEncoded(QByteArray::fromStdString(url), QUrl::StrictMode);
    return parsed.isValid() && !parsed.isRelative();
}

const SDWebImageManager::Request* requestIn(const std::any& userInfo) {
    auto request = std::any_cast<std::shared_ptr<SDWebImageManager::Request>>(&userInfo);
    return request ? request->get() : nullptr;
}

}  // namespace

void SDWebImageManagerDelegate::webImageManagerDidProgressWithPartialImageForURL(SDWebImageManager&,
                                                                                 const graphics::Image&,
                                                                                 const std::string&) {}
void SDWebImageManagerDelegate::webImageManagerDidProgressWithPartialImageForURLUserInfo(SDWebImageManager&,
                                                                                         const graphics::Image&,
                                                                                         const std::string&,
                                                                                         const std::any&) {}
void SDWebImageManagerDelegate::webImageManagerDidFinishWithImage(SDWebImageManager&, const graphics::Image&) {}
void SDWebImageManagerDelegate::webImageManagerDidFinishWithImageForURL(SDWebImageManager&, const graphics::Image&,
                                                                        const std::string&) {}
void SDWebImageManagerDelegate::webImageManagerDidFinishWithImageForURLUserInfo(SDWebImageManager&,
                                                                                const graphics::Image&,
                                                                                const std::string&, const std::any&) {}
void SDWebImageManagerDelegate::webImageManagerDidFailWithError(SDWebImageManager&,
                                                                const std::optional<foundation::Error>&) {}
void SDWebImageManagerDelegate::webImageManagerDidFailWithErrorForURL(SDWebImageManager&,
                                                                      const std::optional<foundation::Error>&,
                                                                      const std::string&) {}
void SDWebImageManagerDelegate::webImageManagerDidFailWithErrorForURLUserInfo(SDWebImageManager&,
                                                                              const std::optional<foundation::Error>&,
                                                                              const std::string&, const std::any&) {}

SDWebImageManager::SDWebImageManager(SDImageCache& cache, WebImageDownloadStarter startDownload)
    : cache_(cache), startDownload_(std::move(startDownload)) {}

std::shared_ptr<SDWebImageManager> SDWebImageManager::create(SDImageCache& cache,
                                                             WebImageDownloadStarter startDownload) {
    return std::shared_ptr<SDWebImageManager>(new SDWebImageManager(cache, std::move(startDownload)));
}

std::string SDWebImageManager::cacheKeyForURL(const std::string& url) const {
    return cacheKeyFilter_ ? cacheKeyFilter_(url) : url;
}

graphics::Image SDWebImageManager::imageWithURL(const std::string& url) {
    return cache_.imageFromKey(cacheKeyForURL(url));
}

bool SDWebImageManager::downloadWithURL(const std::string& url,
                                        const std::shared_ptr<SDWebImageManagerDelegate>& delegate, int32_t options,
                                        std::any userInfo, SDWebImageSuccessBlock success,
                                        SDWebImageFailureBlock failure) {
    if (!delegate || !isWebAddress(url)) return false;
    if (!(options & SDWebImageRetryFailed) && isFailedURL(url)) return false;
    cacheDelegates_.push_back(delegate);
    cacheURLs_.push_back(url);
    auto request = std::make_shared<Request>(
        Request{delegate, url, options, std::move(userInfo), std::move(success), std::move(failure)});
    cache_.queryDiskCacheForKey(cacheKeyForURL(url), shared_from_this(), request);
    return true;
}

std::optional<size_t> SDWebImageManager::cacheIndexOf(const SDWebImageManagerDelegate* delegate,
                                                      const std::string& url) const {
    for (size_t i = 0; i < cacheDelegates_.size(); ++i)
        if (cacheDelegates_[i].get() == delegate && cacheURLs_[i] == url) return i;
    return std::nullopt;
}

void SDWebImageManager::imageCacheDidFindImage(SDImageCache&, const graphics::Image& image, const std::string&,
                                               const std::any& userInfo) {
    const Request* request = requestIn(userInfo);
    if (!request) return;
    auto index = cacheIndexOf(request->delegate.get(), request->url);
    if (!index) return;  // cancelled meanwhile
    // Out of the waiting lists before answering, so the answer may make new requests.
    cacheDelegates_.erase(cacheDelegates_.begin() + std::ptrdiff_t(*index));
    cacheURLs_.erase(cacheURLs_.begin() + std::ptrdiff_t(*index));
    sendFinish(*request, image, true);
}

void SDWebImageManager::imageCacheDidNotFindImageForKey(SDImageCache&, const std::string&, const std::any& userInfo) {
    auto shared = std::any_cast<std::shared_ptr<Request>>(&userInfo);
    if (!shared || !*shared) return;
    std::shared_ptr<Request> request = *shared;
    auto index = cacheIndexOf(request->delegate.get(), request->url);
    if (!index) return;
    cacheDelegates_.erase(cacheDelegates_.begin() + std::ptrdiff_t(*index));
    cacheURLs_.erase(cacheURLs_.begin() + std::ptrdiff_t(*index));

    bool lowPriority = request->options & SDWebImageLowPriority;
    std::shared_ptr<WebImageDownload> downloader;
    if (auto running = downloaderForURL_.find(request->url); running != downloaderForURL_.end()) {
        downloader = running->second;
        downloader->setLowPriority(lowPriority);
    } else {
        if (startDownload_) downloader = startDownload_(request->url, request, lowPriority, weak_from_this());
        if (!downloader) {
            // No download could be made: a failure without an error, as a
            // connection that cannot be created reports.
            sendFailure(*request, std::nullopt);
            return;
        }
        downloaderForURL_[request->url] = downloader;
    }
    if ((request->options & SDWebImageProgressiveDownload) && !downloader->progressive())
        downloader->setProgressive(true);
    downloadInfo_.push_back(request);
    downloadDelegates_.push_back(request->delegate);
    downloaders_.push_back(std::move(downloader));
}

void SDWebImageManager::removeDownloadIndex(size_t index) {
    downloadInfo_.erase(downloadInfo_.begin() + std::ptrdiff_t(index));
    downloadDelegates_.erase(downloadDelegates_.begin() + std::ptrdiff_t(index));
    downloaders_.erase(downloaders_.begin() + std::ptrdiff_t(index));
}

std::vector<std::shared_ptr<SDWebImageManager::Request>> SDWebImageManager::takeRequestsOf(
    const WebImageDownload& downloader) {
    std::vector<std::shared_ptr<Request>> served;
    for (size_t i = downloaders_.size(); i-- > 0;) {
        if (downloaders_[i].get() != &downloader) continue;
        served.push_back(downloadInfo_[i]);
        removeDownloadIndex(i);
    }
    return served;
}

void SDWebImageManager::forgetDownload(const WebImageDownload& downloader) {
    auto entry = downloaderForURL_.find(downloader.url());
    if (entry != downloaderForURL_.end() && entry->second.get() == &downloader) downloaderForURL_.erase(entry);
}

std::shared_ptr<WebImageDownload> SDWebImageManager::retain(const WebImageDownload& downloader) const {
    for (const auto& waiting : downloaders_)
        if (waiting.get() == &downloader) return waiting;
    auto entry = downloaderForURL_.find(downloader.url());
    return entry != downloaderForURL_.end() && entry->second.get() == &downloader ? entry->second : nullptr;
}

void SDWebImageManager::imageDownloaderDidUpdatePartialImage(WebImageDownload& downloader,
                                                             const graphics::Image& image) {
    std::vector<std::shared_ptr<Request>> waiting;
    for (size_t i = downloaders_.size(); i-- > 0;)
        if (downloaders_[i].get() == &downloader) waiting.push_back(downloadInfo_[i]);
    for (const auto& request : waiting) {
        request->delegate->webImageManagerDidProgressWithPartialImageForURL(*this, image, downloader.url());
        request->delegate->webImageManagerDidProgressWithPartialImageForURLUserInfo(*this, image, downloader.url(),
                                                                                    request->userInfo);
    }
}

void SDWebImageManager::imageDownloaderDidFinishWithImage(WebImageDownload& downloader, const graphics::Image& image) {
    auto keepAlive = retain(downloader);
    if (!keepAlive) return;  // a download no request waits on any more
    const Request* starter = requestIn(downloader.userInfo());
    int32_t options = starter ? starter->options : 0;
    std::vector<std::shared_ptr<Request>> served = takeRequestsOf(downloader);
    // The picture is stored and the download forgotten before anyone is told,
    // so a requester that asks again from its answer finds it in memory.
    forgetDownload(downloader);
    if (!image.isNull())
        cache_.storeImage(image, downloader.imageData(), cacheKeyForURL(downloader.url()),
                          !(options & SDWebImageCacheMemoryOnly));
    else if (!(options & SDWebImageRetryFailed))
        failedURLs_.insert(downloader.url());
    for (const auto& request : served) {
        if (!image.isNull())
            sendFinish(*request, image, false);
        else
            sendFailure(*request, std::nullopt);
    }
}

void SDWebImageManager::imageDownloaderDidFailWithError(WebImageDownload& downloader,
                                                        const std::optional<foundation::Error>& error) {
    auto keepAlive = retain(downloader);
    if (!keepAlive) return;
    std::vector<std::shared_ptr<Request>> served = takeRequestsOf(downloader);
    forgetDownload(downloader);
    for (const auto& request : served) sendFailure(*request, error);
}

void SDWebImageManager::sendFinish(const Request& request, const graphics::Image& image, bool cached) {
    auto& delegate = *request.delegate;
    delegate.webImageManagerDidFinishWithImage(*this, image);
    delegate.webImageManagerDidFinishWithImageForURL(*this, image, request.url);
    delegate.webImageManagerDidFinishWithImageForURLUserInfo(*this, image, request.url, request.userInfo);
    if (request.success) request.success(image, cached);
}

void SDWebImageManager::sendFailure(const Request& request, const std::optional<foundation::Error>& error) {
    auto& delegate = *request.delegate;
    delegate.webImageManagerDidFailWithError(*this, error);
    delegate.webImageManagerDidFailWithErrorForURL(*this, error, request.url);
    delegate.webImageManagerDidFailWithErrorForURLUserInfo(*this, error, request.url, request.userInfo);
    if (request.failure) request.failure(error);
}

void SDWebImageManager::cancelForDelegate(const SDWebImageManagerDelegate* delegate) {
    if (!delegate) return;
    for (size_t i = cacheDelegates_.size(); i-- > 0;) {
        if (cacheDelegates_[i].get() != delegate) continue;
        cacheDelegates_.erase(cacheDelegates_.begin() + std::ptrdiff_t(i));
        cacheURLs_.erase(cacheURLs_.begin() + std::ptrdiff_t(i));
    }
    std::vector<std::shared_ptr<WebImageDownload>> released;
    for (size_t i = downloadDelegates_.size(); i-- > 0;) {
        if (downloadDelegates_[i].get() != delegate) continue;
        released.push_back(downloaders_[i]);
        removeDownloadIndex(i);
    }
    std::sort(released.begin(), released.end());
    released.erase(std::unique(released.begin(), released.end()), released.end());
    for (const auto& downloader : released) {
        // A download that other requests still wait on keeps running.
        if (std::find(downloaders_.begin(), downloaders_.end(), downloader) != downloaders_.end()) continue;
        forgetDownload(*downloader);
        downloader->cancel();
    }
}

void SDWebImageManager::cancelAll() {
    std::vector<std::shared_ptr<WebImageDownload>> running = downloaders_;
    downloadInfo_.clear();
    downloadDelegates_.clear();
    downloaders_.clear();
    cacheDelegates_.clear();
    cacheURLs_.clear();
    downloaderForURL_.clear();
    std::sort(running.begin(), running.end());
    running.erase(std::unique(running.begin(), running.end()), running.end());
    for (const auto& downloader : running) downloader->cancel();
}

namespace {
std::shared_ptr<SDWebImageManager>& sharedSlot() {
    static std::shared_ptr<SDWebImageManager> instance;
    return instance;
}
}  // namespace

SDWebImageManager& SDWebImageManager::sharedManager() {
    auto& instance = sharedSlot();
    if (!instance) instance = create(SDImageCache::sharedImageCache(), startManagedImageDownload);
    return *instance;
}

void SDWebImageManager::setSharedManager(std::shared_ptr<SDWebImageManager> manager) {
    sharedSlot() = std::move(manager);
}

}  // namespace support
