// Token fetches and request authorizing of GTMOAuth2Authentication.

#include "components/google/GTMHTTPFetcherErrors.h"
#include "components/google/GTMOAuth2Authentication.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/net/URLParsing.h"

#include <algorithm>
#include <stdexcept>

namespace google {

using foundation::Dictionary;
using foundation::Value;

namespace {

constexpr const char* kDelegateProperty = "delegate";
constexpr const char* kSelectorProperty = "sel";

foundation::Error oauthError(int64_t code, const GTMOAuth2AuthorizationArgs::RequestPtr& request) {
    foundation::Error error = fetcherError(kGTMOAuth2ErrorDomain, code);
    if (request) {
        auto info = std::make_shared<Dictionary>();
        info->set(kGTMOAuth2ErrorRequestKey, Value::object(request));
        error.userInfo = info;
    }
    return error;
}

std::string schemeOf(const std::string& url) {
    size_t colon = url.find(':');
    if (colon == std::string::npos) return {};
    std::string scheme = url.substr(0, colon);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
    return scheme;
}

}  // namespace

std::shared_ptr<GTMOAuth2AuthorizationArgs> GTMOAuth2AuthorizationArgs::argsWithRequest(
    RequestPtr request, std::shared_ptr<void> delegate, Selector selector, CompletionHandler completionHandler,
    std::thread::id thread) {
    auto args = std::make_shared<GTMOAuth2AuthorizationArgs>();
    args->request = std::move(request);
    args->delegate = std::move(delegate);
    args->selector = std::move(selector);
    args->completionHandler = std::move(completionHandler);
    args->thread = thread;
    return args;
}

// Token fetch.

std::shared_ptr<GTMHTTPFetcher> GTMOAuth2Authentication::fetcherForRequest(const net::URLRequest& request) const {
    if (std::shared_ptr<GTMHTTPFetcherServiceProtocol> service = fetcherService()) {
        std::shared_ptr<GTMHTTPFetcher> fetcher = service->fetcherWithRequest(request);
        // A token request must not wait for the token it fetches.
        fetcher->setAuthorizer(nullptr);
        return fetcher;
    }
    return GTMHTTPFetcher::fetcherWithRequest(request);
}

std::shared_ptr<GTMHTTPFetcher> GTMOAuth2Authentication::beginTokenFetchWithDelegate(std::shared_ptr<void> delegate,
                                                                                     TokenFetchSelector selector) {
    Dictionary form;
    std::string grantType;
    std::string fetchType;
    auto nonEmpty = [](const std::optional<std::string>& text) { return text && !text->empty(); };
    if (nonEmpty(refreshToken())) {
        form.set("refresh_token", Value(*refreshToken()));
        if (nonEmpty(refreshScope())) form.set("scope", Value(*refreshScope()));
        grantType = "refresh_token";
        fetchType = kGTMOAuth2FetchTypeRefresh;
    } else if (nonEmpty(code())) {
        form.set("code", Value(*code()));
        if (!redirectURI.empty()) form.set("redirect_uri", Value(redirectURI));
        if (nonEmpty(scope())) form.set("scope", Value(*scope()));
        grantType = "authorization_code";
        fetchType = kGTMOAuth2FetchTypeToken;
    } else if (nonEmpty(assertion())) {
        form.set("assertion", Value(*assertion()));
        grantType = kGTMOAuth2AssertionGrantType;
        fetchType = kGTMOAuth2FetchTypeAssertion;
    } else {
        return nullptr;
    }
    form.set("grant_type", Value(grantType));
    if (!clientID.empty()) form.set("client_id", Value(clientID));
    if (!clientSecret.empty()) form.set("client_secret", Value(clientSecret));
    for (const auto& entry : additionalTokenRequestParameters) form.set(entry.first, entry.second);
    if (auto extra = additionalGrantTypeRequestParameters.find(grantType);
        extra != additionalGrantTypeRequestParameters.end())
        for (const auto& entry : extra->second) form.set(entry.first, entry.second);

    std::string body = encodedQueryParametersForDictionary(form);
    net::URLRequest request(tokenURL);
    request.setValue("application/x-www-form-urlencoded", "Content-Type");
    request.setValue(userAgent(), "User-Agent");

    std::shared_ptr<GTMHTTPFetcher> fetcher = fetcherForRequest(request);
    fetcher->setPostData(foundation::Bytes(body.begin(), body.end()));
    std::string host;
    if (foundation::Result<net::URLOrigin> origin = net::originOfURL(tokenURL)) host = origin->host;
    std::string email = userEmail();
    fetcher->setComment("GTMOAuth2 " + fetchType + " fetch to " + host +
                        (email.empty() ? std::string() : " for \"" + email + "\""));
    fetcher->setRetryEnabled(true);
    fetcher->setMaxRetryInterval(15.0);
    fetcher->setProperty(kDelegateProperty, std::move(delegate));
    fetcher->setProperty(kSelectorProperty, std::move(selector));

    std::weak_ptr<GTMOAuth2Authentication> weak = weak_from_this();
    bool begun = fetcher->beginFetchWithDelegate(
        shared_from_this(),
        [weak](GTMHTTPFetcher& finished, const foundation::Bytes& data, const OptionalError& error) {
            if (auto self = weak.lock()) self->tokenFetcherFinished(finished, data, error);
        });
    if (!begun) {
        // Its failure is reported by the caller; the late callback finds no selector.
        fetcher->setProperty(kSelectorProperty, std::any());
        fetcher->setProperty(kDelegateProperty, std::any());
        return nullptr;
    }
    notifyFetchIsRunning(true, fetcher, fetchType);
    return fetcher;
}

void GTMOAuth2Authentication::tokenFetcherFinished(GTMHTTPFetcher& fetcher, const foundation::Bytes& data,
                                                   const OptionalError& fetchError) {
    std::any selectorValue = fetcher.propertyForKey(kSelectorProperty);
    const TokenFetchSelector* selector = std::any_cast<TokenFetchSelector>(&selectorValue);
    if (!selector || !*selector) return;
    notifyFetchIsRunning(false, fetcher.shared_from_this(), std::nullopt);

    std::optional<net::HTTPHeaders> headers = fetcher.responseHeaders();
    std::string contentType = headers ? headers->value("Content-Type").value_or("") : "";
    bool isJSON = contentType.rfind("application/json", 0) == 0;

    OptionalError error = fetchError;
    if (!error) {
        if (!data.empty()) {
            if (isJSON)
                setKeysForResponseJSONData(data);
            else
                setKeysForResponseString(std::string(data.begin(), data.end()));
        }
    } else if (isJSON && !data.empty()) {
        std::optional<Dictionary> json = dictionaryWithJSONData(data);
        if (json && !json->empty()) {
            auto info = std::make_shared<Dictionary>();
            info->set(kGTMOAuth2ErrorJSONKey, Value(*json));
            if (error->userInfo)
                for (const auto& entry : *error->userInfo) info->set(entry.first, entry.second);
            error->userInfo = info;
        }
    }
    TokenFetchSelector call = *selector;
    // The delegate stays alive through its callback.
    std::any keptDelegate = fetcher.propertyForKey(kDelegateProperty);
    call(*this, fetcher, error);
    fetcher.setProperty(kDelegateProperty, std::any());
    fetcher.setProperty(kSelectorProperty, std::any());
}

void GTMOAuth2Authentication::notifyFetchIsRunning(bool isStarting, const std::shared_ptr<GTMHTTPFetcher>& fetcher,
                                                   const std::optional<std::string>& type) {
    Dictionary info;
    if (fetcher) info.set(kGTMOAuth2FetcherKey, Value::object(fetcher));
    if (isStarting && type) info.set(kGTMOAuth2FetchTypeKey, Value(*type));
    foundation::NotificationCenter::defaultCenter().post(isStarting ? kGTMOAuth2FetchStarted : kGTMOAuth2FetchStopped,
                                                         this, info);
}

// Authorizing.

void GTMOAuth2Authentication::authorizeRequest(const RequestPtr& request, AuthorizationHandler handler) {
    authorizeRequestArgs(GTMOAuth2AuthorizationArgs::argsWithRequest(
        request, nullptr, nullptr,
        [request, handler](const OptionalError& error) {
            if (handler) handler(request, error);
        },
        std::this_thread::get_id()));
}

void GTMOAuth2Authentication::authorizeRequestWithDelegate(const RequestPtr& request, std::shared_ptr<void> delegate,
                                                           GTMOAuth2AuthorizationArgs::Selector selector) {
    authorizeRequestArgs(GTMOAuth2AuthorizationArgs::argsWithRequest(request, std::move(delegate), std::move(selector),
                                                                     nullptr, std::this_thread::get_id()));
}

void GTMOAuth2Authentication::authorizeRequestWithCompletionHandler(
    const RequestPtr& request, GTMOAuth2AuthorizationArgs::CompletionHandler handler) {
    authorizeRequestArgs(GTMOAuth2AuthorizationArgs::argsWithRequest(request, nullptr, nullptr, std::move(handler),
                                                                     std::this_thread::get_id()));
}

bool GTMOAuth2Authentication::authorizeRequest(net::URLRequest& request) {
    // The args own a copy; the header is copied back when it was set.
    auto copy = std::make_shared<net::URLRequest>(request);
    auto args =
        GTMOAuth2AuthorizationArgs::argsWithRequest(copy, nullptr, nullptr, nullptr, std::this_thread::get_id());
    bool authorized = authorizeRequestImmediateArgs(args);
    if (authorized) request.headers = copy->headers;
    return authorized;
}

bool GTMOAuth2Authentication::authorizeRequestArgs(const ArgsPtr& args) {
    std::unique_lock lock(queueMutex_);
    if (shouldRefreshAccessToken()) {
        if (refreshFetcher_) {
            authorizationQueue_.push_back(args);
        } else {
            std::weak_ptr<GTMOAuth2Authentication> weak = weak_from_this();
            std::shared_ptr<GTMHTTPFetcher> fetcher = beginTokenFetchWithDelegate(
                nullptr, [](GTMOAuth2Authentication& auth, GTMHTTPFetcher& finished, const OptionalError& error) {
                    if (auth.refreshFetcher().get() == &finished) auth.finishedRefresh(error);
                });
            if (fetcher) {
                refreshFetcher_ = fetcher;
                authorizationQueue_.push_back(args);
            }
        }
        if (refreshFetcher_) return true;
    }
    lock.unlock();
    return authorizeRequestImmediateArgs(args);
}

std::shared_ptr<GTMHTTPFetcher> GTMOAuth2Authentication::refreshFetcher() const {
    std::lock_guard lock(queueMutex_);
    return refreshFetcher_;
}

void GTMOAuth2Authentication::finishedRefresh(const OptionalError& error) {
    std::deque<ArgsPtr> waiting;
    {
        std::lock_guard lock(queueMutex_);
        refreshFetcher_.reset();
        waiting.swap(authorizationQueue_);
    }
    std::optional<std::string> token = accessToken();
    bool hasToken = token && !token->empty();
    auto& center = foundation::NotificationCenter::defaultCenter();
    if (!hasToken || error) {
        Dictionary info;
        if (error) {
            info.set(kGTMOAuth2ErrorObjectKey, Value::object(*error));
            if (error->code == 400 && error->userInfo) {
                const Value& json = error->userInfo->get(kGTMOAuth2ErrorJSONKey);
                if (json.isDictionary()) {
                    const Value& message = json.asDictionary().get("error");
                    if (!message.isNull()) info.set(kGTMOAuth2ErrorMessageKey, message);
                }
            }
        }
        center.post(kGTMOAuth2AccessTokenRefreshFailed, this, info);
    } else {
        center.post(kGTMOAuth2AccessTokenRefreshed, this);
    }
    for (const ArgsPtr& args : waiting) {
        if (!hasToken && !args->error && error) args->error = error;
        authorizeRequestImmediateArgs(args);
    }
}

bool GTMOAuth2Authentication::authorizeRequestImmediateArgs(const ArgsPtr& args) {
    std::optional<int64_t> refusal;
    std::string scheme = args->request ? schemeOf(args->request->url) : std::string();
    if (!shouldAuthorizeAllRequests_ && scheme != "https" && scheme != "file") {
        refusal = kGTMOAuth2ErrorUnauthorizableRequest;
    } else {
        std::optional<std::string> token = authorizationToken();
        if (token && !token->empty()) {
            try {
                if (args->request) args->request->setValue("Bearer " + *token, "Authorization");
                args->error.reset();
            } catch (const std::invalid_argument&) {
                // A token with a line break or other control character, from a
                // broken or hostile answer, cannot stand in a header.
                refusal = kGTMOAuth2ErrorAuthorizationFailed;
            }
        } else {
            refusal = kGTMOAuth2ErrorAuthorizationFailed;
        }
    }
    if (refusal && !args->error) args->error = oauthError(*refusal, args->request);

    bool succeeded = !args->error.has_value();
    if (!args->selector && !args->completionHandler) return succeeded;
    if (args->thread == std::this_thread::get_id()) {
        invokeCallbackArgs(args);
    } else {
        auto self = shared_from_this();
        foundation::DispatchQueue::main().async([self, args] { self->invokeCallbackArgs(args); });
    }
    return succeeded;
}

void GTMOAuth2Authentication::invokeCallbackArgs(const ArgsPtr& args) {
    if (args->delegate && args->selector) args->selector(*this, args->request, args->error);
    if (args->completionHandler) args->completionHandler(args->error);
}

bool GTMOAuth2Authentication::isAuthorizingRequest(const RequestPtr& request) const {
    std::lock_guard lock(queueMutex_);
    return std::any_of(authorizationQueue_.begin(), authorizationQueue_.end(),
                       [&](const ArgsPtr& args) { return args->request == request; });
}

bool GTMOAuth2Authentication::isAuthorizedRequest(const net::URLRequest& request) const {
    std::optional<std::string> value = request.valueForHTTPHeaderField("Authorization");
    return value && !value->empty();
}

void GTMOAuth2Authentication::stopAuthorization() {
    std::shared_ptr<GTMHTTPFetcher> fetcher;
    {
        std::lock_guard lock(queueMutex_);
        authorizationQueue_.clear();
        fetcher = std::move(refreshFetcher_);
        refreshFetcher_.reset();
    }
    if (fetcher) fetcher->stopFetching();
}

void GTMOAuth2Authentication::stopAuthorizationForRequest(const RequestPtr& request) {
    bool nowEmpty = false;
    {
        std::lock_guard lock(queueMutex_);
        auto found = std::find_if(authorizationQueue_.begin(), authorizationQueue_.end(),
                                  [&](const ArgsPtr& args) { return args->request == request; });
        if (found == authorizationQueue_.end()) return;
        authorizationQueue_.erase(found);
        nowEmpty = authorizationQueue_.empty();
    }
    if (nowEmpty) stopAuthorization();
}

void GTMOAuth2Authentication::waitForCompletionWithTimeout(double seconds) {
    if (std::shared_ptr<GTMHTTPFetcher> fetcher = refreshFetcher()) fetcher->waitForCompletionWithTimeout(seconds);
}

}  // namespace google
