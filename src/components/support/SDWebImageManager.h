#pragma once

// The one entry point for showing the picture at a web address: the image
// cache is asked first; on a miss one download per address is started or
// joined, its picture handed to every requester of that address, stored in
// the cache, and addresses whose data made no picture are remembered and not
// fetched again (unless a request asks to retry).
//
// Requesters are objects answering SDWebImageManagerDelegate, identified by
// the object itself; each request may add success and failure closures.
// Main thread only: a memory hit is answered inside the request call, disk
// hits and download answers arrive on the main run loop.

#include "components/support/SDImageCache.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace support {

class SDWebImageManager;

enum SDWebImageOptions : int32_t {
    SDWebImageRetryFailed = 1,          // fetched even when on the failed list, and never put on it
    SDWebImageLowPriority = 2,          // the download pauses while the user scrolls
    SDWebImageCacheMemoryOnly = 4,      // a downloaded picture is kept in memory only
    SDWebImageProgressiveDownload = 8,  // partial pictures while the bytes arrive
};

using SDWebImageSuccessBlock = std::function<void(const graphics::Image& image, bool cached)>;
using SDWebImageFailureBlock = std::function<void(const std::optional<foundation::Error>& error)>;

// Every answer has a default that does nothing; the manager sends every form,
// in the order listed, so a requester overrides the ones it wants. userInfo is
// the request's (empty when it had none).
class SDWebImageManagerDelegate {
public:
    virtual ~SDWebImageManagerDelegate() = default;
    virtual void webImageManagerDidProgressWithPartialImageForURL(SDWebImageManager& manager,
                                                                  const graphics::Image& image, const std::string& url);
    virtual void webImageManagerDidProgressWithPartialImageForURLUserInfo(SDWebImageManager& manager,
                                                                          const graphics::Image& image,
                                                                          const std::string& url,
                                                                          const std::any& userInfo);
    virtual void webImageManagerDidFinishWithImage(SDWebImageManager& manager, const graphics::Image& image);
    virtual void webImageManagerDidFinishWithImageForURL(SDWebImageManager& manager, const graphics::Image& image,
                                                         const std::string& url);
    virtual void webImageManagerDidFinishWithImageForURLUserInfo(SDWebImageManager& manager,
                                                                 const graphics::Image& image, const std::string& url,
                                                                 const std::any& userInfo);
    virtual void webImageManagerDidFailWithError(SDWebImageManager& manager,
                                                 const std::optional<foundation::Error>& error);
    virtual void webImageManagerDidFailWithErrorForURL(SDWebImageManager& manager,
                                                       const std::optional<foundation::Error>& error,
                                                       const std::string& url);
    virtual void webImageManagerDidFailWithErrorForURLUserInfo(SDWebImageManager& manager,
                                                               const std::optional<foundation::Error>& error,
                                                               const std::string& url, const std::any& userInfo);
};

// What the manager uses of a running download. The download answers through
// the manager's imageDownloader… calls on the main run loop; a cancelled
// download answers nothing.
class WebImageDownload {
public:
    virtual ~WebImageDownload() = default;
    virtual const std::string& url() const = 0;
    // The userInfo it was started with: the record of the request that started it.
    virtual const std::any& userInfo() const = 0;
    virtual bool progressive() const = 0;
    virtual void setProgressive(bool progressive) = 0;
    virtual void setLowPriority(bool lowPriority) = 0;
    // The body as received.
    virtual const foundation::Bytes& imageData() const = 0;
    virtual void cancel() = 0;
};

// Starts a download of `url` that answers `manager`.
using WebImageDownloadStarter = std::function<std::shared_ptr<WebImageDownload>(
    const std::string& url, std::any userInfo, bool lowPriority, std::weak_ptr<SDWebImageManager> manager)>;

class SDWebImageManager : public SDImageCacheDelegate, public std::enable_shared_from_this<SDWebImageManager> {
public:
    // Over the shared image cache and real downloads; created on first call.
    static SDWebImageManager& sharedManager();
    // Puts another manager in the shared one's place (tests); null restores
    // the default.
    static void setSharedManager(std::shared_ptr<SDWebImageManager> manager);
    // Over another cache and another way of downloading (tests); the real
    // downloads are startManagedImageDownload (ManagedImageDownload.h).
    static std::shared_ptr<SDWebImageManager> create(SDImageCache& cache, WebImageDownloadStarter startDownload);

    // The cache key of an address: the filter's result when one is set, else the address.
    std::string cacheKeyForURL(const std::string& url) const;
    void setCacheKeyFilter(std::function<std::string(const std::string& url)> filter) {
        cacheKeyFilter_ = std::move(filter);
    }
    // The cached picture of an address, memory then disk, on the calling thread.
    graphics::Image imageWithURL(const std::string& url);

    // Starts a request. Returns false when it ends silently, without any
    // answer: no address (empty or malformed), no requester, or an address
    // on the failed list without SDWebImageRetryFailed.
    bool downloadWithURL(const std::string& url, const std::shared_ptr<SDWebImageManagerDelegate>& delegate,
                         int32_t options = 0, std::any userInfo = {}, SDWebImageSuccessBlock success = nullptr,
                         SDWebImageFailureBlock failure = nullptr);
    bool downloadWithURL(const std::string& url, const std::shared_ptr<SDWebImageManagerDelegate>& delegate,
                         int32_t options, SDWebImageSuccessBlock success, SDWebImageFailureBlock failure) {
        return downloadWithURL(url, delegate, options, {}, std::move(success), std::move(failure));
    }
    bool downloadWithURLRetryFailed(const std::string& url, const std::shared_ptr<SDWebImageManagerDelegate>& delegate,
                                    bool retryFailed, bool lowPriority = false) {
        return downloadWithURL(url, delegate,
                               (retryFailed ? SDWebImageRetryFailed : 0) | (lowPriority ? SDWebImageLowPriority : 0));
    }

    // Ends every request of the requester without an answer; a download
    // that no other request waits on is cancelled.
    void cancelForDelegate(const SDWebImageManagerDelegate* delegate);
    // Cancels every download and forgets every request; the failed list stays.
    void cancelAll();

    bool isFailedURL(const std::string& url) const { return failedURLs_.count(url) != 0; }
    // Downloads running now (one per address).
    size_t downloadCount() const { return downloaderForURL_.size(); }
    // Requests waiting on a download now.
    size_t waitingRequestCount() const { return downloaders_.size(); }

    // Answers of a download (main thread).
    void imageDownloaderDidUpdatePartialImage(WebImageDownload& downloader, const graphics::Image& image);
    void imageDownloaderDidFinishWithImage(WebImageDownload& downloader, const graphics::Image& image);
    void imageDownloaderDidFailWithError(WebImageDownload& downloader, const std::optional<foundation::Error>& error);

    // Answers of the cache.
    void imageCacheDidFindImage(SDImageCache& cache, const graphics::Image& image, const std::string& key,
                                const std::any& userInfo) override;
    void imageCacheDidNotFindImageForKey(SDImageCache& cache, const std::string& key,
                                         const std::any& userInfo) override;

    // One request, as it travels through the cache and the download.
    struct Request {
        std::shared_ptr<SDWebImageManagerDelegate> delegate;
        std::string url;
        int32_t options = 0;
        std::any userInfo;
        SDWebImageSuccessBlock success;
        SDWebImageFailureBlock failure;
    };

private:
    SDWebImageManager(SDImageCache& cache, WebImageDownloadStarter startDownload);
    std::optional<size_t> cacheIndexOf(const SDWebImageManagerDelegate* delegate, const std::string& url) const;
    void removeDownloadIndex(size_t index);
    // Takes the requests that wait on a download out of the lists, the most
    // recent first, so that answering them may start or cancel requests.
    std::vector<std::shared_ptr<Request>> takeRequestsOf(const WebImageDownload& downloader);
    void forgetDownload(const WebImageDownload& downloader);
    // The download's owning pointer, so it outlives its own answer.
    std::shared_ptr<WebImageDownload> retain(const WebImageDownload& downloader) const;
    void sendFinish(const Request& request, const graphics::Image& image, bool cached);
    void sendFailure(const Request& request, const std::optional<foundation::Error>& error);

    SDImageCache& cache_;
    WebImageDownloadStarter startDownload_;
    // Requests waiting on a download: record, requester and download at one index.
    std::vector<std::shared_ptr<Request>> downloadInfo_;
    std::vector<std::shared_ptr<SDWebImageManagerDelegate>> downloadDelegates_;
    std::vector<std::shared_ptr<WebImageDownload>> downloaders_;
    // Requests waiting on the cache: requester and address at one index.
    std::vector<std::shared_ptr<SDWebImageManagerDelegate>> cacheDelegates_;
    std::vector<std::string> cacheURLs_;
    std::map<std::string, std::shared_ptr<WebImageDownload>> downloaderForURL_;
    std::set<std::string> failedURLs_;
    std::function<std::string(const std::string&)> cacheKeyFilter_;
};

}  // namespace support
