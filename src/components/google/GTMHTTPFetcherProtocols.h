#pragma once

// What an HTTP fetcher asks of the objects around it: an authorizer that
// signs requests, a service that may hold fetches back, a fetch history that
// remembers ETags and bodies, and a cookie store.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/net/HTTPCookie.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLRequest.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace google {

class GTMHTTPFetcher;
class GTMHTTPFetcherServiceProtocol;

// Signs requests. The fetcher hands over its own request object; the
// authorizer changes it in place (the "Authorization" header) and then calls
// the handler once, without an error when the request may go out. Requests
// are told apart by identity.
class GTMFetcherAuthorizationProtocol {
public:
    using RequestPtr = std::shared_ptr<net::URLRequest>;
    using AuthorizationHandler =
        std::function<void(const RequestPtr& request, const std::optional<foundation::Error>& error)>;

    virtual ~GTMFetcherAuthorizationProtocol() = default;

    virtual void authorizeRequest(const RequestPtr& request, AuthorizationHandler handler) = 0;
    virtual void stopAuthorization() = 0;
    virtual void stopAuthorizationForRequest(const RequestPtr& request) = 0;
    virtual bool isAuthorizingRequest(const RequestPtr& request) const = 0;
    virtual bool isAuthorizedRequest(const net::URLRequest& request) const = 0;
    virtual std::string userEmail() const = 0;

    // Optional parts. An authorizer that can refresh its credentials answers
    // true to respondsToPrimeForRefresh, and primeForRefresh then makes the
    // next authorization fetch new ones (true when it will).
    virtual bool respondsToPrimeForRefresh() const { return false; }
    virtual bool primeForRefresh() { return false; }
    virtual bool canAuthorize() const { return true; }
    virtual bool shouldAuthorizeAllRequests() const { return false; }
    virtual void setShouldAuthorizeAllRequests(bool) {}
    // The service whose fetchers the authorizer uses for its own requests;
    // an authorizer keeps it weakly, as the service holds its authorizer.
    virtual std::shared_ptr<GTMHTTPFetcherServiceProtocol> fetcherService() const { return nullptr; }
    virtual void setFetcherService(const std::shared_ptr<GTMHTTPFetcherServiceProtocol>&) {}
};

// A service that makes fetchers and may hold some back (per host limits).
class GTMHTTPFetcherServiceProtocol {
public:
    virtual ~GTMHTTPFetcherServiceProtocol() = default;

    // False keeps the fetcher waiting; the service begins it again later.
    virtual bool fetcherShouldBeginFetching(const std::shared_ptr<GTMHTTPFetcher>& fetcher) = 0;
    virtual void fetcherDidStop(const std::shared_ptr<GTMHTTPFetcher>& fetcher) = 0;
    virtual bool isDelayingFetcher(const GTMHTTPFetcher& fetcher) const = 0;
    virtual std::shared_ptr<GTMHTTPFetcher> fetcherWithRequest(const net::URLRequest& request) = 0;
};

// Where cookies are read and stored.
class GTMCookieStorageProtocol {
public:
    virtual ~GTMCookieStorageProtocol() = default;
    virtual std::vector<net::HTTPCookie> cookiesForURL(const std::string& url) = 0;
    virtual void setCookies(const std::vector<net::HTTPCookie>& cookies) = 0;
};

// ETags, cached bodies and cookies shared by the fetchers of one service.
class GTMHTTPFetchHistoryProtocol {
public:
    virtual ~GTMHTTPFetchHistoryProtocol() = default;

    // Adds conditional headers before the request goes out.
    virtual void updateRequest(net::URLRequest& request, bool isHTTPGet) = 0;
    virtual bool shouldCacheETaggedData() const = 0;
    virtual std::optional<foundation::Bytes> cachedDataForRequest(const net::URLRequest& request) = 0;
    virtual void removeCachedDataForRequest(const net::URLRequest& request) = 0;
    virtual void updateFetchHistoryWithRequest(const net::URLRequest& request, const net::HTTPURLResponse& response,
                                               const foundation::Bytes& downloadedData) = 0;
    virtual std::shared_ptr<GTMCookieStorageProtocol> cookieStorage() = 0;
};

}  // namespace google
