#pragma once

// What a fetcher service remembers between fetches: the ETags of earlier
// GET replies (and, when asked, their bodies) so repeated GETs become
// conditional requests, and the cookies of its fetchers.

#include "components/google/GTMCookieStorage.h"
#include "components/google/GTMHTTPFetcherProtocols.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace google {

// One remembered reply; its use date orders pruning, and a reservation
// keeps it while a conditional request that relies on it is in flight.
struct GTMCachedURLResponse {
    net::HTTPURLResponse response;
    std::optional<foundation::Bytes> data;
    double useDate = 0;  // run-loop clock seconds
    std::optional<double> reservationDate;
};

// Replies by request address, within a memory capacity for their bodies.
class GTMURLCache {
public:
    static constexpr uint64_t kDefaultMemoryCapacity = 1048576;
    static constexpr double kDefaultReservationInterval = 60;

    explicit GTMURLCache(uint64_t memoryCapacity = kDefaultMemoryCapacity) : memoryCapacity_(memoryCapacity) {}

    void storeCachedResponse(GTMCachedURLResponse response, const net::URLRequest& request);
    // The entry (its use date renewed), or nullptr.
    GTMCachedURLResponse* cachedResponseForRequest(const net::URLRequest& request);
    void removeCachedResponseForRequest(const net::URLRequest& request);
    void removeAllCachedResponses();

    uint64_t memoryCapacity() const { return memoryCapacity_; }
    void setMemoryCapacity(uint64_t capacity);
    void setReservationInterval(double seconds) { reservationInterval_ = seconds; }
    uint64_t totalDataSize() const { return totalDataSize_; }
    size_t count() const { return responses_.size(); }

private:
    void pruneCache();

    std::map<std::string, GTMCachedURLResponse> responses_;
    uint64_t memoryCapacity_;
    uint64_t totalDataSize_ = 0;
    double reservationInterval_ = kDefaultReservationInterval;
};

class GTMHTTPFetchHistory : public GTMHTTPFetchHistoryProtocol {
public:
    explicit GTMHTTPFetchHistory(uint64_t memoryCapacity = GTMURLCache::kDefaultMemoryCapacity,
                                 bool shouldRememberETags = false, bool shouldCacheETaggedData = false);

    void updateRequest(net::URLRequest& request, bool isHTTPGet) override;
    bool shouldCacheETaggedData() const override;
    std::optional<foundation::Bytes> cachedDataForRequest(const net::URLRequest& request) override;
    void removeCachedDataForRequest(const net::URLRequest& request) override;
    void updateFetchHistoryWithRequest(const net::URLRequest& request, const net::HTTPURLResponse& response,
                                       const foundation::Bytes& downloadedData) override;
    std::shared_ptr<GTMCookieStorageProtocol> cookieStorage() override { return cookieStorage_; }

    // The ETag remembered for the request; handing it out reserves the entry.
    std::optional<std::string> cachedETagForRequest(const net::URLRequest& request);
    void clearETaggedDataCache();
    void clearHistory();
    void removeAllCookies() { cookieStorage_->removeAllCookies(); }

    uint64_t memoryCapacity() const;
    void setMemoryCapacity(uint64_t capacity);
    bool shouldRememberETags() const;
    void setShouldRememberETags(bool flag);
    void setShouldCacheETaggedData(bool flag);
    const GTMURLCache& cache() const { return cache_; }

private:
    mutable std::recursive_mutex mutex_;
    GTMURLCache cache_;
    bool shouldRememberETags_;
    bool shouldCacheETaggedData_;
    std::shared_ptr<GTMCookieStorage> cookieStorage_ = std::make_shared<GTMCookieStorage>();
};

}  // namespace google
