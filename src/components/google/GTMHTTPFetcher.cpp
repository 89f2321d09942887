#include "components/google/GTMHTTPFetcher.h"

#include "components/google/GTMCookieStorage.h"
#include "components/google/GTMHTTPFetcherErrors.h"
#include "components/google/GTMHTTPFetcherLogging.h"
#include "components/google/GTMLog.h"
#include "components/google/GTMProperties.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLParsing.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sstream>
#include <unistd.h>

namespace google {

namespace {

std::string lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The scheme of an address as written ("" when it has none).
std::string schemeOfURL(const std::string& url) {
    size_t colon = url.find(':');
    if (colon == std::string::npos) return {};
    return url.substr(0, colon);
}

uint32_t random32() {
    static std::mt19937 generator{std::random_device{}()};
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    return static_cast<uint32_t>(generator());
}

}  // namespace

// Forwards the connection's events to the fetcher that started it, and
// keeps that fetcher alive while the connection runs.
class GTMHTTPFetcher::ConnectionEvents : public net::StreamingURLConnectionDelegate {
public:
    explicit ConnectionEvents(std::shared_ptr<GTMHTTPFetcher> fetcher) : fetcher_(std::move(fetcher)) {}

    bool connectionHandlesRedirects() const override { return true; }
    std::optional<net::URLRequest> connectionWillSendRequest(net::StreamingURLConnection& connection,
                                                             const net::URLRequest& proposed,
                                                             const net::HTTPURLResponse& redirect) override {
        if (!isCurrent(connection)) return std::nullopt;
        fetcher_->noteConnectionActivity();
        return fetcher_->connectionWillSendRequest(proposed, redirect);
    }
    void connectionDidReceiveResponse(net::StreamingURLConnection& connection,
                                      const net::HTTPURLResponse& response) override {
        if (!isCurrent(connection)) return;
        fetcher_->noteConnectionActivity();
        fetcher_->connectionDidReceiveResponse(response);
    }
    void connectionDidReceiveData(net::StreamingURLConnection& connection, const Bytes& data) override {
        if (!isCurrent(connection)) return;
        fetcher_->noteConnectionActivity();
        fetcher_->connectionDidReceiveData(data);
    }
    void connectionDidSendBodyData(net::StreamingURLConnection& connection, int64_t written, int64_t total,
                                   int64_t expected) override {
        if (!isCurrent(connection)) return;
        fetcher_->noteConnectionActivity();
        fetcher_->connectionDidSendBodyData(written, total, expected);
    }
    void connectionDidFinishLoading(net::StreamingURLConnection& connection) override {
        if (!isCurrent(connection)) return;
        fetcher_->destroyIdleTimer();
        fetcher_->connectionDidFinishLoading();
    }
    void connectionDidFailWithError(net::StreamingURLConnection& connection, const foundation::Error& error) override {
        if (!isCurrent(connection)) return;
        fetcher_->destroyIdleTimer();
        fetcher_->connectionDidFailWithError(error);
    }

private:
    bool isCurrent(net::StreamingURLConnection& connection) const {
        std::lock_guard lock(fetcher_->mutex_);
        return fetcher_->connection_.get() == &connection;
    }
    std::shared_ptr<GTMHTTPFetcher> fetcher_;
};

std::shared_ptr<GTMHTTPFetcher> GTMHTTPFetcher::fetcherWithRequest(const net::URLRequest& request) {
    return std::shared_ptr<GTMHTTPFetcher>(new GTMHTTPFetcher(request));
}

std::shared_ptr<GTMHTTPFetcher> GTMHTTPFetcher::fetcherWithURLString(const std::string& url) {
    return fetcherWithRequest(net::URLRequest(url));
}

GTMHTTPFetcher::GTMHTTPFetcher(const net::URLRequest& request) : request_(std::make_shared<net::URLRequest>(request)) {
    cookieStorageMethod_ = staticCookieStorage() ? kGTMCookieMethodStatic : kGTMCookieMethodSystemDefault;
    setCookieStorageMethod(cookieStorageMethod_);
}

GTMHTTPFetcher::~GTMHTTPFetcher() {
    destroyRetryTimer();
    destroyIdleTimer();
    if (downloadFile_) downloadFile_.reset();
    if (temporaryDownloadPath_) ::unlink(temporaryDownloadPath_->c_str());
}

std::string GTMHTTPFetcher::description() const {
    std::ostringstream out;
    out << "GTMHTTPFetcher " << static_cast<const void*>(this) << " (" << (request_ ? request_->url : "") << ")";
    return out.str();
}

bool GTMHTTPFetcher::beginFetchWithDelegate(std::shared_ptr<void> delegate, FinishedSelector finishedSelector) {
    {
        std::lock_guard lock(mutex_);
        delegate_ = std::move(delegate);
        finishedSel_ = std::move(finishedSelector);
    }
    return beginFetchMayDelay(true, true);
}

bool GTMHTTPFetcher::beginFetchWithCompletionHandler(CompletionHandler handler) {
    {
        std::lock_guard lock(mutex_);
        completionBlock_ = std::move(handler);
        finishedSel_ = nullptr;
    }
    return beginFetchMayDelay(true, true);
}

bool GTMHTTPFetcher::beginFetchMayDelay(bool mayDelay, bool mayAuthorize) {
    std::unique_lock lock(mutex_);
    if (connection_ || !request_ || request_->url.empty()) {
        lock.unlock();
        failToBeginFetchWithError(std::nullopt);
        return false;
    }
    const std::string& url = request_->url;
    if (lowercase(schemeOfURL(url)) != "https") {
        foundation::Result<net::URLOrigin> origin = net::originOfURL(url);
        std::string host = origin ? origin->host : std::string();
        bool isLocalhost = host == "localhost" || host == "::1" || host == "[::1]" || host == "127.0.0.1";
        bool allowed = false;
        if (isLocalhost) {
            allowed = allowLocalhostRequest_;
            if (!allowed) GTMLog("Localhost fetch disallowed for " + url);
        } else {
            std::string scheme = lowercase(schemeOfURL(url));
            for (const std::string& permitted : allowedInsecureSchemes_)
                if (lowercase(permitted) == scheme) allowed = true;
            if (!allowed) GTMLog("Fetch disallowed for " + url);
        }
        if (!allowed) {
            lock.unlock();
            failToBeginFetchWithError(std::nullopt);
            return false;
        }
    }

    downloadedData_.clear();
    downloadedLength_ = 0;

    if (mayDelay && service_) {
        auto service = service_;
        lock.unlock();
        if (!service->fetcherShouldBeginFetching(shared_from_this())) return true;
        lock.lock();
    }

    std::string effectiveMethod =
        request_->valueForHTTPHeaderField("X-HTTP-Method-Override").value_or(request_->httpMethod);
    bool isGet = effectiveMethod.empty() || effectiveMethod == "GET";
    if (postData_ || postFile_ || postStream_) {
        if (isGet) request_->httpMethod = "POST";
        if (!postData_ && !postFile_ && !streamBody_) {
            GTMHTTPFetcherLogging::setupStreamLogging(*this);
            postStream_->open();
            streamBody_ = postStream_->readToEnd();
            postStream_->close();
        }
        if (postData_ || (!postFile_ && streamBody_)) {
            request_->httpBody = postData_ ? *postData_ : *streamBody_;
            request_->httpBodyFile.reset();
        } else {
            request_->httpBody.clear();
            request_->httpBodyFile = postFile_;
        }
        isGet = false;
    }

    if (mayAuthorize && authorizer_ && !authorizer_->isAuthorizedRequest(*request_)) {
        lock.unlock();
        return authorizeRequest();
    }

    if (fetchHistory_) fetchHistory_->updateRequest(*request_, isGet);
    if (isRetryEnabled_ && maxRetryInterval_ <= -1.0)
        maxRetryInterval_ =
            isGet || effectiveMethod == "HEAD" ? kDefaultMaxRetryIntervalForGet : kDefaultMaxRetryInterval;
    addCookiesToRequest(*request_);

    if (downloadPath_) {
        foundation::Error error;
        if (!openTemporaryDownloadFile(error)) {
            lock.unlock();
            failToBeginFetchWithError(error);
            return false;
        }
    }
    if (!downloadFile_) downloadedData_.clear();
    hasConnectionEnded_ = false;
    hasLoggedError_ = false;

    startConnection();

    if (!initialRequestDate_) initialRequestDate_ = foundation::RunLoop::main().now();
    isStopNotificationNeeded_ = true;
    lock.unlock();
    postNotification(kGTMHTTPFetcherStartedNotification);
    return true;
}

void GTMHTTPFetcher::startConnection() {
    connection_ = net::StreamingURLConnection::create(transportRequest(*request_),
                                                      std::make_shared<ConnectionEvents>(shared_from_this()));
    connection_->start(callbackQueue());
    startIdleTimer();
}

void GTMHTTPFetcher::logNow(const OptionalError& error) {
    if (GTMHTTPFetcherLogging::isLoggingEnabled()) GTMHTTPFetcherLogging::logFetchWithError(*this, error);
}

net::URLRequest GTMHTTPFetcher::request() const {
    std::lock_guard lock(mutex_);
    return *request_;
}

void GTMHTTPFetcher::setLogRequestBody(std::optional<std::string> text) {
    std::lock_guard lock(mutex_);
    logRequestBody_ = std::move(text);
}

std::optional<std::string> GTMHTTPFetcher::logRequestBody() const {
    std::lock_guard lock(mutex_);
    return logRequestBody_;
}

void GTMHTTPFetcher::setLogResponseBody(std::optional<std::string> text) {
    std::lock_guard lock(mutex_);
    logResponseBody_ = std::move(text);
}

std::optional<std::string> GTMHTTPFetcher::logResponseBody() const {
    std::lock_guard lock(mutex_);
    return logResponseBody_;
}

std::optional<foundation::Bytes> GTMHTTPFetcher::loggedStreamData() const {
    std::lock_guard lock(mutex_);
    return loggedStreamData_;
}

void GTMHTTPFetcher::setLoggedStreamData(std::optional<Bytes> data) {
    std::lock_guard lock(mutex_);
    loggedStreamData_ = std::move(data);
}

void GTMHTTPFetcher::appendLoggedStreamData(const uint8_t* bytes, size_t length) {
    std::lock_guard lock(mutex_);
    if (!loggedStreamData_) loggedStreamData_.emplace();
    loggedStreamData_->insert(loggedStreamData_->end(), bytes, bytes + length);
}

void GTMHTTPFetcher::setShouldDeferResponseBodyLogging(bool flag) {
    bool logNowNeeded;
    {
        std::lock_guard lock(mutex_);
        logNowNeeded = shouldDeferResponseBodyLogging_ && !flag && !hasLoggedError_;
        shouldDeferResponseBodyLogging_ = flag;
    }
    if (logNowNeeded) {
        foundation::RunLoop::main().post([self = shared_from_this()] {
            std::lock_guard lock(self->mutex_);
            if (self->hasLoggedError_) return;
            self->logNow(std::nullopt);
            self->hasLoggedError_ = true;
        });
    }
}

bool GTMHTTPFetcher::shouldDeferResponseBodyLogging() const {
    std::lock_guard lock(mutex_);
    return shouldDeferResponseBodyLogging_;
}

foundation::DispatchQueue GTMHTTPFetcher::callbackQueue() const {
    return delegateQueue_ ? *delegateQueue_ : foundation::DispatchQueue::main();
}

bool GTMHTTPFetcher::authorizeRequest() {
    std::shared_ptr<GTMFetcherAuthorizationProtocol> authorizer;
    RequestPtr request;
    {
        std::lock_guard lock(mutex_);
        authorizer = authorizer_;
        request = request_;
    }
    std::weak_ptr<GTMHTTPFetcher> weak = weak_from_this();
    // The pending authorization keeps the fetcher alive, as a running
    // connection does.
    authorizer->authorizeRequest(
        request, [self = shared_from_this()](const RequestPtr& signedRequest, const OptionalError& error) {
            self->authorizerFinished(signedRequest, error);
        });
    return true;
}

void GTMHTTPFetcher::authorizerFinished(const RequestPtr& request, const OptionalError& error) {
    {
        std::lock_guard lock(mutex_);
        // A fetch stopped meanwhile, or a request replaced since, is not begun.
        if (request != request_ || connection_) return;
    }
    if (error)
        failToBeginFetchWithError(error);
    else
        beginFetchMayDelay(false, false);
}

bool GTMHTTPFetcher::openTemporaryDownloadFile(foundation::Error& error) {
    deleteTemporaryDownloadFile();
    std::string folder = ".";
    size_t slash = downloadPath_->rfind('/');
    if (slash != std::string::npos) folder = slash == 0 ? "/" : downloadPath_->substr(0, slash);
    // Beside the final file, so the finished download moves into place with
    // one rename; mkstemp makes it ours alone (0600, never an existing file).
    std::string pattern = folder + "/.gtmhttpfetcher_" + std::to_string(random32()) + "_XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error = foundation::Error::posix(errno, pattern);
        return false;
    }
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    downloadFile_ = foundation::FileDescriptor(fd);
    temporaryDownloadPath_ = pattern;
    return true;
}

void GTMHTTPFetcher::deleteTemporaryDownloadFile() {
    std::lock_guard lock(mutex_);
    downloadFile_.reset();
    if (temporaryDownloadPath_) {
        ::unlink(temporaryDownloadPath_->c_str());
        temporaryDownloadPath_.reset();
    }
}

void GTMHTTPFetcher::failToBeginFetchWithError(OptionalError error) {
    auto self = shared_from_this();
    auto handle = [self, error]() {
        foundation::Error failure =
            error ? *error : fetcherError(kGTMFetcherErrorDomain, kGTMHTTPFetcherErrorDownloadFailed);
        self->invokeFetchCallbacks({}, failure);
        std::shared_ptr<GTMHTTPFetcherServiceProtocol> service;
        {
            std::lock_guard lock(self->mutex_);
            self->releaseCallbacks();
            service = self->service_;
            self->authorizer_.reset();
        }
        if (service) service->fetcherDidStop(self);
        self->deleteTemporaryDownloadFile();
    };
    // The caller's begin call returns false before any callback runs.
    if (delegateQueue_)
        delegateQueue_->async(handle);
    else
        foundation::RunLoop::current().post(handle);
}

void GTMHTTPFetcher::stopFetching() { stopFetchReleasingCallbacks(true); }

void GTMHTTPFetcher::stopFetchReleasingCallbacks(bool shouldReleaseCallbacks) {
    std::shared_ptr<GTMHTTPFetcher> keep = weak_from_this().lock();
    destroyRetryTimer();
    destroyIdleTimer();
    std::shared_ptr<GTMHTTPFetcherServiceProtocol> service;
    {
        std::lock_guard lock(mutex_);
        service = service_;
        if (connection_) {
            auto connection = std::move(connection_);
            connection_.reset();
            if (!hasConnectionEnded_) connection->cancel();
        }
    }
    sendStopNotificationIfNeeded();
    {
        std::lock_guard lock(mutex_);
        if (authorizer_) authorizer_->stopAuthorizationForRequest(request_);
        if (shouldReleaseCallbacks) {
            releaseCallbacks();
            authorizer_.reset();
        }
    }
    deleteTemporaryDownloadFile();
    if (service && keep) service->fetcherDidStop(keep);
}

void GTMHTTPFetcher::releaseCallbacks() {
    std::lock_guard lock(mutex_);
    delegate_.reset();
    delegateQueue_.reset();
    completionBlock_ = nullptr;
    sentDataBlock_ = nullptr;
    receivedDataBlock_ = nullptr;
    retryBlock_ = nullptr;
}

bool GTMHTTPFetcher::isFetching() const {
    std::shared_ptr<GTMFetcherAuthorizationProtocol> authorizer;
    std::shared_ptr<GTMHTTPFetcherServiceProtocol> service;
    RequestPtr request;
    {
        std::lock_guard lock(mutex_);
        if (connection_ || retryTimer_) return true;
        authorizer = authorizer_;
        service = service_;
        request = request_;
    }
    if (authorizer && authorizer->isAuthorizingRequest(request)) return true;
    return service && service->isDelayingFetcher(*this);
}

void GTMHTTPFetcher::waitForCompletionWithTimeout(double timeoutSeconds) {
    foundation::RunLoop::main().runUntil(
        [this] {
            std::lock_guard lock(mutex_);
            return (!connection_ || hasConnectionEnded_) && !retryTimer_ && !completionBlock_ && !delegate_;
        },
        timeoutSeconds);
}

void GTMHTTPFetcher::invokeFetchCallbacks(const Bytes& data, const OptionalError& error) {
    std::shared_ptr<void> delegate;
    FinishedSelector selector;
    CompletionHandler block;
    {
        std::lock_guard lock(mutex_);
        delegate = delegate_;
        selector = finishedSel_;
        block = completionBlock_;
    }
    if (delegate && selector) selector(*this, data, error);
    if (block) block(data, error);
}

void GTMHTTPFetcher::postNotification(const char* name) {
    foundation::NotificationCenter::defaultCenter().post(name, this);
}

void GTMHTTPFetcher::sendStopNotificationIfNeeded() {
    {
        std::lock_guard lock(mutex_);
        if (!isStopNotificationNeeded_) return;
        isStopNotificationNeeded_ = false;
    }
    postNotification(kGTMHTTPFetcherStoppedNotification);
}

void GTMHTTPFetcher::backgroundFetchExpired() {
    invokeFetchCallbacks({}, fetcherError(kGTMFetcherErrorDomain, kGTMHTTPFetcherErrorBackgroundExpiration));
    stopFetchReleasingCallbacks(false);
    std::lock_guard lock(mutex_);
    releaseCallbacks();
    authorizer_.reset();
}

// Results.

int GTMHTTPFetcher::statusCode() const {
    std::lock_guard lock(mutex_);
    return response_ ? response_->statusCode : 0;
}

std::optional<net::HTTPHeaders> GTMHTTPFetcher::responseHeaders() const {
    std::lock_guard lock(mutex_);
    if (!response_) return std::nullopt;
    return response_->allHeaderFields;
}

std::optional<net::HTTPURLResponse> GTMHTTPFetcher::response() const {
    std::lock_guard lock(mutex_);
    return response_;
}

GTMHTTPFetcher::Bytes GTMHTTPFetcher::downloadedData() const {
    std::lock_guard lock(mutex_);
    return downloadedData_;
}

uint64_t GTMHTTPFetcher::downloadedLength() const {
    std::lock_guard lock(mutex_);
    return downloadedLength_;
}

uint64_t GTMHTTPFetcher::retryCount() const {
    std::lock_guard lock(mutex_);
    return retryCount_;
}

// Configuration with rules.

void GTMHTTPFetcher::setCookieStorageMethod(int64_t method) {
    std::lock_guard lock(mutex_);
    cookieStorageMethod_ = method;
    switch (method) {
        case kGTMCookieMethodStatic:
            cookieStorage_ = staticCookieStorage();
            break;
        case kGTMCookieMethodFetchHistory:
            cookieStorage_ = fetchHistory_ ? fetchHistory_->cookieStorage() : nullptr;
            break;
        default:
            cookieStorage_.reset();
            break;
    }
}

void GTMHTTPFetcher::setFetchHistory(std::shared_ptr<GTMHTTPFetchHistoryProtocol> history) {
    bool wasHistoryMethod = cookieStorageMethod_ == kGTMCookieMethodFetchHistory;
    fetchHistory_ = std::move(history);
    if (fetchHistory_ || wasHistoryMethod)
        setCookieStorageMethod(fetchHistory_ ? kGTMCookieMethodFetchHistory : kGTMCookieMethodStatic);
}

void GTMHTTPFetcher::setUserData(std::any data) {
    std::lock_guard lock(mutex_);
    userData_ = std::move(data);
}

std::any GTMHTTPFetcher::userData() const {
    std::lock_guard lock(mutex_);
    return userData_;
}

void GTMHTTPFetcher::setProperties(std::map<std::string, std::any> properties) {
    std::lock_guard lock(mutex_);
    properties_ = std::move(properties);
}

std::map<std::string, std::any> GTMHTTPFetcher::properties() const {
    std::lock_guard lock(mutex_);
    return properties_;
}

void GTMHTTPFetcher::setProperty(const std::string& key, std::any value) {
    std::lock_guard lock(mutex_);
    setPropertyInMap(properties_, key, std::move(value));
}

std::any GTMHTTPFetcher::propertyForKey(const std::string& key) const {
    std::lock_guard lock(mutex_);
    return propertyInMap(properties_, key);
}

void GTMHTTPFetcher::addPropertiesFromDictionary(const std::map<std::string, std::any>& properties) {
    std::lock_guard lock(mutex_);
    for (const auto& [key, value] : properties) properties_[key] = value;
}

// Cookies.

void GTMHTTPFetcher::addCookiesToRequest(net::URLRequest& request) {
    if (cookieStorageMethod_ == kGTMCookieMethodSystemDefault || cookieStorageMethod_ == kGTMCookieMethodNone) return;
    if (!cookieStorage_) return;
    std::vector<net::HTTPCookie> cookies = cookieStorage_->cookiesForURL(request.url);
    if (cookies.empty()) return;
    std::string existing = request.valueForHTTPHeaderField("Cookie").value_or("");
    std::string value = existing;
    for (const net::HTTPCookie& cookie : cookies) {
        std::string pair = cookie.name + "=" + cookie.value;
        // A retry sends the same request again: no cookie twice.
        if (("; " + existing + ";").find("; " + pair + ";") != std::string::npos) continue;
        if (!value.empty()) value += "; ";
        value += pair;
    }
    request.setValue(value, "Cookie");
}

void GTMHTTPFetcher::handleCookiesForResponse(const net::HTTPURLResponse& response) {
    if (cookieStorageMethod_ == kGTMCookieMethodSystemDefault || cookieStorageMethod_ == kGTMCookieMethodNone) return;
    if (!cookieStorage_ || response.allHeaderFields.empty()) return;
    std::vector<net::HTTPCookie> cookies = net::HTTPCookie::cookiesWithResponseHeaderFields(
        response.allHeaderFields, response.url, foundation::Date::now().unixTime());
    if (!cookies.empty()) cookieStorage_->setCookies(cookies);
}

std::shared_ptr<GTMCookieStorageProtocol> GTMHTTPFetcher::staticCookieStorage() {
    static const std::shared_ptr<GTMCookieStorageProtocol> storage = std::make_shared<GTMCookieStorage>();
    return storage;
}

}  // namespace google
