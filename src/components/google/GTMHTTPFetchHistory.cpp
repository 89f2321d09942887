#include "components/google/GTMHTTPFetchHistory.h"

#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <vector>

namespace google {

namespace {

double now() { return foundation::RunLoop::main().now(); }

}  // namespace

void GTMURLCache::storeCachedResponse(GTMCachedURLResponse response, const net::URLRequest& request) {
    removeCachedResponseForRequest(request);
    uint64_t length = response.data ? response.data->size() : 0;
    if (length >= memoryCapacity_) return;
    response.useDate = now();
    responses_[request.url] = std::move(response);
    totalDataSize_ += length;
    pruneCache();
}

GTMCachedURLResponse* GTMURLCache::cachedResponseForRequest(const net::URLRequest& request) {
    auto found = responses_.find(request.url);
    if (found == responses_.end()) return nullptr;
    found->second.useDate = now();
    return &found->second;
}

void GTMURLCache::removeCachedResponseForRequest(const net::URLRequest& request) {
    auto found = responses_.find(request.url);
    if (found == responses_.end()) return;
    totalDataSize_ -= found->second.data ? found->second.data->size() : 0;
    responses_.erase(found);
}

void GTMURLCache::removeAllCachedResponses() {
    responses_.clear();
    totalDataSize_ = 0;
}

void GTMURLCache::setMemoryCapacity(uint64_t capacity) {
    bool shrinks = capacity < memoryCapacity_;
    memoryCapacity_ = capacity;
    if (shrinks) pruneCache();
}

void GTMURLCache::pruneCache() {
    if (totalDataSize_ <= memoryCapacity_) return;
    std::vector<std::map<std::string, GTMCachedURLResponse>::iterator> byAge;
    for (auto it = responses_.begin(); it != responses_.end(); ++it) byAge.push_back(it);
    std::stable_sort(byAge.begin(), byAge.end(),
                     [](const auto& a, const auto& b) { return a->second.useDate < b->second.useDate; });
    double time = now();
    for (auto it : byAge) {
        const GTMCachedURLResponse& entry = it->second;
        // A reply whose ETag a conditional request in flight relies on stays.
        if (entry.reservationDate && time - *entry.reservationDate < reservationInterval_) continue;
        totalDataSize_ -= entry.data ? entry.data->size() : 0;
        responses_.erase(it);
        if (totalDataSize_ <= memoryCapacity_) break;
    }
}

GTMHTTPFetchHistory::GTMHTTPFetchHistory(uint64_t memoryCapacity, bool shouldRememberETags, bool shouldCacheETaggedData)
    : cache_(memoryCapacity),
      shouldRememberETags_(shouldRememberETags || shouldCacheETaggedData),
      shouldCacheETaggedData_(shouldCacheETaggedData) {}

void GTMHTTPFetchHistory::updateRequest(net::URLRequest& request, bool isHTTPGet) {
    std::lock_guard lock(mutex_);
    if (!shouldRememberETags_ || !isHTTPGet) return;
    if (request.valueForHTTPHeaderField("If-None-Match")) {
        // The caller manages the condition itself.
        cache_.removeCachedResponseForRequest(request);
        return;
    }
    if (std::optional<std::string> etag = cachedETagForRequest(request)) request.setValue(*etag, "If-None-Match");
}

bool GTMHTTPFetchHistory::shouldCacheETaggedData() const {
    std::lock_guard lock(mutex_);
    return shouldCacheETaggedData_;
}

std::optional<foundation::Bytes> GTMHTTPFetchHistory::cachedDataForRequest(const net::URLRequest& request) {
    std::lock_guard lock(mutex_);
    GTMCachedURLResponse* entry = cache_.cachedResponseForRequest(request);
    if (!entry) return std::nullopt;
    entry->reservationDate.reset();
    return entry->data;
}

void GTMHTTPFetchHistory::removeCachedDataForRequest(const net::URLRequest& request) {
    std::lock_guard lock(mutex_);
    cache_.removeCachedResponseForRequest(request);
}

void GTMHTTPFetchHistory::updateFetchHistoryWithRequest(const net::URLRequest& request,
                                                        const net::HTTPURLResponse& response,
                                                        const foundation::Bytes& downloadedData) {
    std::lock_guard lock(mutex_);
    if (!shouldRememberETags_ || response.statusCode == 304) return;
    std::optional<std::string> etag = response.valueForHTTPHeaderField("Etag");
    if (!etag || response.statusCode >= 300) {
        cache_.removeCachedResponseForRequest(request);
        return;
    }
    GTMCachedURLResponse entry{response, std::nullopt, 0, std::nullopt};
    if (shouldCacheETaggedData_) entry.data = downloadedData;
    cache_.storeCachedResponse(std::move(entry), request);
}

std::optional<std::string> GTMHTTPFetchHistory::cachedETagForRequest(const net::URLRequest& request) {
    std::lock_guard lock(mutex_);
    GTMCachedURLResponse* entry = cache_.cachedResponseForRequest(request);
    if (!entry) return std::nullopt;
    std::optional<std::string> etag = entry->response.valueForHTTPHeaderField("Etag");
    if (etag) entry->reservationDate = now();
    return etag;
}

void GTMHTTPFetchHistory::clearETaggedDataCache() {
    std::lock_guard lock(mutex_);
    cache_.removeAllCachedResponses();
}

void GTMHTTPFetchHistory::clearHistory() {
    clearETaggedDataCache();
    removeAllCookies();
}

uint64_t GTMHTTPFetchHistory::memoryCapacity() const {
    std::lock_guard lock(mutex_);
    return cache_.memoryCapacity();
}

void GTMHTTPFetchHistory::setMemoryCapacity(uint64_t capacity) {
    std::lock_guard lock(mutex_);
    cache_.setMemoryCapacity(capacity);
}

bool GTMHTTPFetchHistory::shouldRememberETags() const {
    std::lock_guard lock(mutex_);
    return shouldRememberETags_;
}

void GTMHTTPFetchHistory::setShouldRememberETags(bool flag) {
    std::lock_guard lock(mutex_);
    bool wasRemembering = shouldRememberETags_;
    shouldRememberETags_ = flag;
    if (wasRemembering && !flag) cache_.removeAllCachedResponses();
}

void GTMHTTPFetchHistory::setShouldCacheETaggedData(bool flag) {
    std::lock_guard lock(mutex_);
    bool wasCaching = shouldCacheETaggedData_;
    shouldCacheETaggedData_ = flag;
    if (flag) shouldRememberETags_ = true;
    if (wasCaching && !flag) cache_.removeAllCachedResponses();
}

}  // namespace google
