#pragma once

// Makes the fetchers of one client with common settings, and schedules
// them: at most maxRunningFetchersPerHost run against one host at once; the
// others wait and start, lowest servicePriority first, as running ones stop.

#include "components/google/GTMHTTPFetchHistory.h"
#include "components/google/GTMHTTPFetcher.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace google {

class GTMHTTPFetcherService : public GTMHTTPFetcherServiceProtocol,
                              public std::enable_shared_from_this<GTMHTTPFetcherService> {
public:
    using FetcherList = std::vector<std::shared_ptr<GTMHTTPFetcher>>;

    static std::shared_ptr<GTMHTTPFetcherService> create();
    ~GTMHTTPFetcherService() override;

    // Gives `fetcher` the service's settings and the service itself; the
    // way to make fetchers of another class (the upload fetcher).
    void configureFetcher(GTMHTTPFetcher& fetcher);
    std::shared_ptr<GTMHTTPFetcher> fetcherWithRequest(const net::URLRequest& request) override;
    std::shared_ptr<GTMHTTPFetcher> fetcherWithURLString(const std::string& url);

    bool fetcherShouldBeginFetching(const std::shared_ptr<GTMHTTPFetcher>& fetcher) override;
    void fetcherDidStop(const std::shared_ptr<GTMHTTPFetcher>& fetcher) override;
    bool isDelayingFetcher(const GTMHTTPFetcher& fetcher) const override;

    size_t numberOfRunningFetchers() const;
    size_t numberOfDelayedFetchers() const;
    size_t numberOfFetchers() const { return numberOfRunningFetchers() + numberOfDelayedFetchers(); }
    // Running, then delayed fetchers of that address's host asking for it.
    FetcherList issuedFetchersWithRequestURL(const std::string& url) const;
    void stopAllFetchers();
    // Runs the main run loop until no fetcher is left or the time is up.
    void waitForCompletionOfAllFetchersWithTimeout(double seconds);

    void setMaxRunningFetchersPerHost(uint64_t count) { maxRunningFetchersPerHost_ = count; }
    uint64_t maxRunningFetchersPerHost() const { return maxRunningFetchersPerHost_; }
    void setUserAgent(std::string agent) { userAgent_ = std::move(agent); }
    const std::string& userAgent() const { return userAgent_; }
    void setTimeout(double seconds) { timeout_ = seconds; }
    double timeout() const { return timeout_; }
    void setCredential(std::optional<GTMURLCredential> credential) { credential_ = std::move(credential); }
    void setCookieStorageMethod(int64_t method) { cookieStorageMethod_ = method; }
    int64_t cookieStorageMethod() const { return cookieStorageMethod_; }
    void setAllowedInsecureSchemes(std::vector<std::string> schemes) { allowedInsecureSchemes_ = std::move(schemes); }
    void setAllowLocalhostRequest(bool allow) { allowLocalhostRequest_ = allow; }
    bool allowLocalhostRequest() const { return allowLocalhostRequest_; }
    void setShouldFetchInBackground(bool flag) { shouldFetchInBackground_ = flag; }
    void setDelegateQueue(std::optional<foundation::DispatchQueue> queue) { delegateQueue_ = std::move(queue); }
    const std::optional<foundation::DispatchQueue>& delegateQueue() const { return delegateQueue_; }
    void setAuthorizer(std::shared_ptr<GTMFetcherAuthorizationProtocol> authorizer);
    const std::shared_ptr<GTMFetcherAuthorizationProtocol>& authorizer() const { return authorizer_; }
    const std::shared_ptr<GTMHTTPFetchHistory>& fetchHistory() const { return fetchHistory_; }

    // Forwarded to the fetch history.
    bool shouldRememberETags() const { return fetchHistory_->shouldRememberETags(); }
    void setShouldRememberETags(bool flag) { fetchHistory_->setShouldRememberETags(flag); }
    bool shouldCacheETaggedData() const { return fetchHistory_->shouldCacheETaggedData(); }
    void setShouldCacheETaggedData(bool flag) { fetchHistory_->setShouldCacheETaggedData(flag); }
    uint64_t ETaggedDataCacheCapacity() const { return fetchHistory_->memoryCapacity(); }
    void setETaggedDataCacheCapacity(uint64_t capacity) { fetchHistory_->setMemoryCapacity(capacity); }
    void clearETaggedDataCache() { fetchHistory_->clearETaggedDataCache(); }
    void clearHistory() { fetchHistory_->clearHistory(); }

private:
    GTMHTTPFetcherService() = default;
    // Begins a held-back fetcher on its own thread's loop (or at once).
    void startFetcher(const std::shared_ptr<GTMHTTPFetcher>& fetcher);
    static std::string hostOfFetcher(const GTMHTTPFetcher& fetcher);

    mutable std::recursive_mutex mutex_;
    std::map<std::string, FetcherList> delayedHosts_;
    std::map<std::string, FetcherList> runningHosts_;
    uint64_t maxRunningFetchersPerHost_ = 10;
    std::shared_ptr<GTMHTTPFetchHistory> fetchHistory_ = std::make_shared<GTMHTTPFetchHistory>();
    std::optional<foundation::DispatchQueue> delegateQueue_;
    std::string userAgent_;
    double timeout_ = 0;
    std::optional<GTMURLCredential> credential_;
    int64_t cookieStorageMethod_ = kGTMCookieMethodFetchHistory;
    std::vector<std::string> allowedInsecureSchemes_;
    bool allowLocalhostRequest_ = false;
    bool shouldFetchInBackground_ = false;
    std::shared_ptr<GTMFetcherAuthorizationProtocol> authorizer_;
};

}  // namespace google
