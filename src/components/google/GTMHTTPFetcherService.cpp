#include "components/google/GTMHTTPFetcherService.h"

#include "platform/foundation/RunLoop.h"
#include "platform/net/URLParsing.h"

#include <algorithm>

namespace google {

std::shared_ptr<GTMHTTPFetcherService> GTMHTTPFetcherService::create() {
    return std::shared_ptr<GTMHTTPFetcherService>(new GTMHTTPFetcherService());
}

GTMHTTPFetcherService::~GTMHTTPFetcherService() {
    // The authorizer may outlive us; it must not point back.
    if (authorizer_ && !authorizer_->fetcherService()) authorizer_->setFetcherService(nullptr);
}

void GTMHTTPFetcherService::configureFetcher(GTMHTTPFetcher& fetcher) {
    fetcher.setFetchHistory(fetchHistory_);
    fetcher.setDelegateQueue(delegateQueue_);
    fetcher.setCookieStorageMethod(cookieStorageMethod_);
    fetcher.setCredential(credential_);
    fetcher.setShouldFetchInBackground(shouldFetchInBackground_);
    fetcher.setAllowedInsecureSchemes(allowedInsecureSchemes_);
    fetcher.setAllowLocalhostRequest(allowLocalhostRequest_);
    fetcher.setAuthorizer(authorizer_);
    fetcher.setService(shared_from_this());
    net::URLRequest& request = fetcher.mutableRequest();
    if (!userAgent_.empty() && !request.valueForHTTPHeaderField("User-Agent"))
        request.setValue(userAgent_, "User-Agent");
    if (timeout_ > 0) request.timeoutInterval = timeout_;
}

std::shared_ptr<GTMHTTPFetcher> GTMHTTPFetcherService::fetcherWithRequest(const net::URLRequest& request) {
    auto fetcher = GTMHTTPFetcher::fetcherWithRequest(request);
    configureFetcher(*fetcher);
    return fetcher;
}

std::shared_ptr<GTMHTTPFetcher> GTMHTTPFetcherService::fetcherWithURLString(const std::string& url) {
    return fetcherWithRequest(net::URLRequest(url));
}

std::string GTMHTTPFetcherService::hostOfFetcher(const GTMHTTPFetcher& fetcher) {
    foundation::Result<net::URLOrigin> origin =
        net::originOfURL(const_cast<GTMHTTPFetcher&>(fetcher).mutableRequest().url);
    return origin ? origin->host : std::string();
}

bool GTMHTTPFetcherService::fetcherShouldBeginFetching(const std::shared_ptr<GTMHTTPFetcher>& fetcher) {
    std::lock_guard lock(mutex_);
    std::string host = hostOfFetcher(*fetcher);
    if (host.empty()) return true;
    FetcherList& running = runningHosts_[host];
    if (std::find(running.begin(), running.end(), fetcher) != running.end()) return true;
    fetcher->setServiceHost(host);
    fetcher->setThread(std::this_thread::get_id());
    if (maxRunningFetchersPerHost_ > 0 && running.size() >= maxRunningFetchersPerHost_) {
        delayedHosts_[host].push_back(fetcher);
        return false;
    }
    running.push_back(fetcher);
    return true;
}

void GTMHTTPFetcherService::fetcherDidStop(const std::shared_ptr<GTMHTTPFetcher>& fetcher) {
    std::vector<std::shared_ptr<GTMHTTPFetcher>> toStart;
    {
        std::lock_guard lock(mutex_);
        std::string host = fetcher->serviceHost();
        if (host.empty()) return;
        FetcherList& running = runningHosts_[host];
        FetcherList& delayed = delayedHosts_[host];
        std::erase(running, fetcher);
        std::erase(delayed, fetcher);
        while (!delayed.empty() && (maxRunningFetchersPerHost_ == 0 || running.size() < maxRunningFetchersPerHost_)) {
            auto next = std::min_element(delayed.begin(), delayed.end(), [](const auto& a, const auto& b) {
                return a->servicePriority() < b->servicePriority();
            });
            running.push_back(*next);
            toStart.push_back(*next);
            delayed.erase(next);
        }
        if (running.empty()) runningHosts_.erase(host);
        if (delayed.empty()) delayedHosts_.erase(host);
        fetcher->setServiceHost({});
        fetcher->setThread(std::nullopt);
    }
    for (const auto& next : toStart) startFetcher(next);
}

void GTMHTTPFetcherService::startFetcher(const std::shared_ptr<GTMHTTPFetcher>& fetcher) {
    std::optional<std::thread::id> thread = fetcher->thread();
    if (fetcher->delegateQueue() || !thread || *thread == std::this_thread::get_id()) {
        fetcher->beginFetchMayDelay(false, true);
        return;
    }
    // Fetches begin on the main thread; hand it back there.
    foundation::RunLoop::main().post([fetcher] { fetcher->beginFetchMayDelay(false, true); });
}

bool GTMHTTPFetcherService::isDelayingFetcher(const GTMHTTPFetcher& fetcher) const {
    std::lock_guard lock(mutex_);
    auto found = delayedHosts_.find(hostOfFetcher(fetcher));
    if (found == delayedHosts_.end()) return false;
    return std::any_of(found->second.begin(), found->second.end(),
                       [&](const auto& delayed) { return delayed.get() == &fetcher; });
}

size_t GTMHTTPFetcherService::numberOfRunningFetchers() const {
    std::lock_guard lock(mutex_);
    size_t count = 0;
    for (const auto& [host, list] : runningHosts_) count += list.size();
    return count;
}

size_t GTMHTTPFetcherService::numberOfDelayedFetchers() const {
    std::lock_guard lock(mutex_);
    size_t count = 0;
    for (const auto& [host, list] : delayedHosts_) count += list.size();
    return count;
}

GTMHTTPFetcherService::FetcherList GTMHTTPFetcherService::issuedFetchersWithRequestURL(const std::string& url) const {
    std::lock_guard lock(mutex_);
    FetcherList found;
    foundation::Result<net::URLOrigin> origin = net::originOfURL(url);
    if (!origin) return found;
    std::string wanted = net::resolveURL(url, url).value_or(url);
    for (const auto* table : {&runningHosts_, &delayedHosts_}) {
        auto list = table->find(origin->host);
        if (list == table->end()) continue;
        for (const auto& fetcher : list->second) {
            const std::string& own = fetcher->mutableRequest().url;
            if (net::resolveURL(own, own).value_or(own) == wanted) found.push_back(fetcher);
        }
    }
    return found;
}

void GTMHTTPFetcherService::stopAllFetchers() {
    std::lock_guard lock(mutex_);
    auto delayed = std::move(delayedHosts_);
    delayedHosts_.clear();
    for (auto& [host, list] : delayed)
        for (auto& fetcher : list) fetcher->stopFetching();
    auto running = std::move(runningHosts_);
    runningHosts_.clear();
    for (auto& [host, list] : running)
        for (auto& fetcher : list) fetcher->stopFetching();
}

void GTMHTTPFetcherService::waitForCompletionOfAllFetchersWithTimeout(double seconds) {
    foundation::RunLoop::main().runUntil([this] { return numberOfFetchers() == 0; }, seconds);
}

void GTMHTTPFetcherService::setAuthorizer(std::shared_ptr<GTMFetcherAuthorizationProtocol> authorizer) {
    if (authorizer == authorizer_) return;
    if (authorizer_ && authorizer_->fetcherService().get() == this) authorizer_->setFetcherService(nullptr);
    authorizer_ = std::move(authorizer);
    if (authorizer_) authorizer_->setFetcherService(shared_from_this());
}

}  // namespace google
