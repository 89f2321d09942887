// The fetcher's side of a running connection: redirects, the answer and
// its body, challenges, the end of the transfer, and retries.

#include "components/google/GTMHTTPFetcher.h"
#include "components/google/GTMHTTPFetcherErrors.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLError.h"
#include "platform/net/URLParsing.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <unistd.h>

namespace google {

namespace {

constexpr const char* kCredentialFields[] = {"Authorization", "Cookie", "Proxy-Authorization"};

// The transport's own idle limit runs on wall-clock time; a day keeps it from
// ever deciding before the fetcher's limit on the run loop's clock does.
constexpr double kTransportIdleLimitSeconds = 24.0 * 3600;
constexpr double kIdleCheckMarginSeconds = 1e-6;

std::string base64(std::string_view text) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < text.size(); i += 3) {
        uint32_t n = (uint8_t(text[i]) << 16) | (uint8_t(text[i + 1]) << 8) | uint8_t(text[i + 2]);
        for (int shift : {18, 12, 6, 0}) out += kAlphabet[(n >> shift) & 63];
    }
    if (size_t left = text.size() - i) {
        uint32_t n = uint8_t(text[i]) << 16;
        if (left == 2) n |= uint8_t(text[i + 1]) << 8;
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
        out += left == 2 ? kAlphabet[(n >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

// The scheme of a 401's challenge that the connection answers with a
// credential ("basic", "digest"); empty for any other (a Bearer token's 401
// is the server's verdict, passed on as a status).
std::string challengeScheme(const net::HTTPURLResponse& response) {
    if (response.statusCode != 401) return {};
    std::string value = response.valueForHTTPHeaderField("WWW-Authenticate").value_or("");
    std::string scheme = value.substr(0, value.find_first_of(" ,"));
    for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scheme == "basic" || scheme == "digest" ? scheme : std::string();
}

foundation::Error statusError(int status, const foundation::Bytes& data) {
    (void)data;  // the body travels to the callbacks as their data
    return fetcherError(kGTMHTTPStatusDomain, status);
}

}  // namespace

foundation::Error fetcherError(const std::string& domain, int64_t code) {
    return foundation::Error(
        domain, code, "The operation couldn’t be completed. (" + domain + " error " + std::to_string(code) + ".)");
}

bool isRetryableFetchError(const foundation::Error& error) {
    if (error.domain == kGTMHTTPStatusDomain) return error.code == 408 || error.code == 503 || error.code == 504;
    if (error.domain == net::kURLErrorDomain)
        return error.code == net::kURLErrorTimedOut || error.code == net::kURLErrorNetworkConnectionLost;
    return false;
}

std::optional<net::URLRequest> GTMHTTPFetcher::connectionWillSendRequest(const net::URLRequest& proposed,
                                                                         const net::HTTPURLResponse& redirectResponse) {
    std::lock_guard lock(mutex_);
    handleCookiesForResponse(redirectResponse);
    net::URLRequest next = *request_;
    // Never from https down to http; from http up to https gladly.
    std::string scheme = next.url.substr(0, next.url.find(':'));
    std::string redirectScheme = proposed.url.substr(0, proposed.url.find(':'));
    if (scheme == "http" && redirectScheme == "https") scheme = "https";
    next.url = scheme + proposed.url.substr(proposed.url.find(':'));
    for (const auto& [name, value] : proposed.headers.fields()) next.headers.set(name, value);
    // Credentials meant for one server stay with it: a redirect to another
    // scheme, host or port sends neither the caller's authorization nor its
    // cookies (the store adds those that belong to the new address).
    auto from = net::originOfURL(request_->url);
    auto to = net::originOfURL(next.url);
    if (!from || !to || !(*from == *to)) {
        for (const char* field : kCredentialFields) next.headers.remove(field);
        next.digestCredential.reset();
    }
    next.httpMethod = proposed.httpMethod;
    next.httpBody = proposed.httpBody;
    next.httpBodyFile = proposed.httpBodyFile;
    if (!proposed.hasBody()) {
        for (const char* field : {"Content-Type", "Content-Length"}) next.headers.remove(field);
    }
    addCookiesToRequest(next);
    response_ = redirectResponse;
    logNow(std::nullopt);
    request_ = std::make_shared<net::URLRequest>(next);
    return transportRequest(std::move(next));
}

void GTMHTTPFetcher::connectionDidReceiveResponse(const net::HTTPURLResponse& response) {
    std::unique_lock lock(mutex_);
    std::string scheme = challengeScheme(response);
    if (!scheme.empty()) {
        // Answered with the credential up to three times (a Digest one by
        // the transport, which knows the handshake); without a credential,
        // or after that, the challenge ends the fetch.
        bool answer = credential_ && challengeFailures_ < 3;
        auto connection = std::move(connection_);
        connection_.reset();
        connection->cancel();
        response_ = response;
        if (answer) {
            ++challengeFailures_;
            if (scheme == "basic")
                request_->setValue("Basic " + base64(credential_->user + ":" + credential_->password), "Authorization");
            else
                request_->digestCredential = net::URLCredential{credential_->user, credential_->password};
            startConnection();
            return;
        }
        hasConnectionEnded_ = true;
        lock.unlock();
        connectionDidFailWithError(
            fetcherError(kGTMFetcherErrorDomain, kGTMHTTPFetcherErrorAuthenticationChallengeFailed));
        return;
    }
    downloadedData_.clear();
    if (downloadFile_) {
        if (::ftruncate(downloadFile_.get(), 0) == 0) ::lseek(downloadFile_.get(), 0, SEEK_SET);
    }
    downloadedLength_ = 0;
    response_ = response;
    handleCookiesForResponse(response);
    // A body that would have to fit in memory and cannot is refused before
    // a byte of it arrives.
    int64_t expected = response.expectedContentLength();
    if (!downloadFile_ && expected > 0 && uint64_t(expected) > kMaximumInMemoryBodyLength) {
        std::string host = net::originOfURL(response.url) ? net::originOfURL(response.url)->host : "";
        lock.unlock();
        failConnection(net::urlError(net::kURLErrorDataLengthExceedsMaximum, host));
    }
}

void GTMHTTPFetcher::failConnection(const foundation::Error& error) {
    {
        std::lock_guard lock(mutex_);
        if (connection_ && !hasConnectionEnded_) connection_->cancel();
    }
    connectionDidFailWithError(error);
}

void GTMHTTPFetcher::connectionDidReceiveData(const Bytes& data) {
    std::unique_lock lock(mutex_);
    if (hasConnectionEnded_) return;
    if (downloadFile_) {
        if (!foundation::writeAll(downloadFile_.get(), data.data(), data.size())) {
            foundation::Error error(kGTMHTTPStatusDomain, kGTMHTTPFetcherErrorFileHandleException,
                                    std::strerror(errno));
            lock.unlock();
            failConnection(error);
            return;
        }
        off_t offset = ::lseek(downloadFile_.get(), 0, SEEK_CUR);
        downloadedLength_ = offset < 0 ? downloadedLength_ + data.size() : uint64_t(offset);
    } else {
        if (downloadedData_.size() + data.size() > kMaximumInMemoryBodyLength) {
            std::string host =
                response_ && net::originOfURL(response_->url) ? net::originOfURL(response_->url)->host : "";
            lock.unlock();
            failConnection(net::urlError(net::kURLErrorDataLengthExceedsMaximum, host));
            return;
        }
        downloadedData_.insert(downloadedData_.end(), data.begin(), data.end());
        downloadedLength_ = downloadedData_.size();
    }
    auto selector = receivedDataSel_;
    auto block = receivedDataBlock_;
    bool toFile = bool(downloadFile_);
    Bytes soFar = (selector || block) && !toFile ? downloadedData_ : Bytes();
    bool hasDelegate = bool(delegate_);
    lock.unlock();
    if (hasDelegate && selector) selector(*this, soFar);
    if (block) block(soFar);
}

void GTMHTTPFetcher::connectionDidSendBodyData(int64_t bytesWritten, int64_t totalBytesWritten,
                                               int64_t totalBytesExpectedToWrite) {
    std::lock_guard lock(mutex_);
    if (delegate_ && sentDataSel_) sentDataSel_(*this, bytesWritten, totalBytesWritten, totalBytesExpectedToWrite);
    if (sentDataBlock_) sentDataBlock_(bytesWritten, totalBytesWritten, totalBytesExpectedToWrite);
}

void GTMHTTPFetcher::finishDownloadToFile(OptionalError& error) {
    int closeError = downloadFile_.close();
    if (closeError) {
        error = foundation::Error::posix(closeError, *temporaryDownloadPath_);
        return;
    }
    if (std::rename(temporaryDownloadPath_->c_str(), downloadPath_->c_str()) != 0) {
        error = foundation::Error::posix(errno, *downloadPath_);
        return;
    }
    temporaryDownloadPath_.reset();
}

void GTMHTTPFetcher::connectionDidFinishLoading() {
    bool shouldRetry = false;
    OptionalError error;
    Bytes data;
    {
        std::lock_guard lock(mutex_);
        hasConnectionEnded_ = true;
        if (fetchHistory_) {
            if (downloadFile_)
                fetchHistory_->removeCachedDataForRequest(*request_);
            else if (response_)
                fetchHistory_->updateFetchHistoryWithRequest(*request_, *response_, downloadedData_);
        }
        int status = response_ ? response_->statusCode : 0;
        if (status == 304 && fetchHistory_ && fetchHistory_->shouldCacheETaggedData()) {
            if (std::optional<Bytes> cached = fetchHistory_->cachedDataForRequest(*request_)) {
                logNow(std::nullopt);
                hasLoggedError_ = true;
                if (downloadFile_) {
                    bool written = ::ftruncate(downloadFile_.get(), 0) == 0 &&
                                   ::lseek(downloadFile_.get(), 0, SEEK_SET) == 0 &&
                                   foundation::writeAll(downloadFile_.get(), cached->data(), cached->size());
                    downloadedLength_ = written ? cached->size() : 0;
                    status = written ? 200 : int(kGTMHTTPFetcherErrorFileHandleException);
                } else {
                    downloadedData_ = *cached;
                    downloadedLength_ = cached->size();
                    status = 200;
                }
                if (response_) response_->statusCode = status;
            }
        }
        if (status >= 0 && status < 300) {
            if (downloadPath_ && temporaryDownloadPath_) finishDownloadToFile(error);
        } else {
            if (!hasLoggedError_) {
                logNow(std::nullopt);
                hasLoggedError_ = true;
            }
            if (shouldRetryNowForStatus(status, std::nullopt))
                shouldRetry = true;
            else
                error = statusError(status, downloadedData_);
        }
        data = downloadedData_;
    }
    if (shouldRetry) beginRetryTimer();
    sendStopNotificationIfNeeded();
    if (!shouldRetry) {
        invokeFetchCallbacks(data, error);
        if (shouldReleaseCallbacksUponCompletion()) stopFetchReleasingCallbacks(true);
    }
    if (!shouldDeferResponseBodyLogging_ && !hasLoggedError_) logNow(error);
}

void GTMHTTPFetcher::connectionDidFailWithError(const foundation::Error& error) {
    {
        std::lock_guard lock(mutex_);
        if (!connection_ && !hasConnectionEnded_) return;
        hasConnectionEnded_ = true;
    }
    logNow(error);
    sendStopNotificationIfNeeded();
    if (shouldRetryNowForStatus(0, error)) {
        beginRetryTimer();
        return;
    }
    invokeFetchCallbacks({}, error);
    stopFetchReleasingCallbacks(true);
}

// The idle limit.

net::URLRequest GTMHTTPFetcher::transportRequest(net::URLRequest request) {
    request.timeoutInterval = kTransportIdleLimitSeconds;
    return request;
}

void GTMHTTPFetcher::startIdleTimer() {
    std::lock_guard lock(mutex_);
    destroyIdleTimer();
    idleLimitSeconds_ =
        request_->timeoutInterval > 0 ? request_->timeoutInterval : net::URLRequest::kDefaultTimeoutInterval;
    lastConnectionActivity_ = foundation::RunLoop::main().now();
    scheduleIdleCheck(idleLimitSeconds_);
}

void GTMHTTPFetcher::noteConnectionActivity() {
    std::lock_guard lock(mutex_);
    lastConnectionActivity_ = foundation::RunLoop::main().now();
}

void GTMHTTPFetcher::destroyIdleTimer() {
    foundation::TimerHandle timer;
    {
        std::lock_guard lock(mutex_);
        timer = std::move(idleTimer_);
        idleTimer_.reset();
    }
    if (timer) timer->invalidate();
}

// One timer per connection, moved on when it finds progress since it was
// set, rather than one per progress report.
void GTMHTTPFetcher::scheduleIdleCheck(double delaySeconds) {
    std::weak_ptr<GTMHTTPFetcher> weak = weak_from_this();
    std::weak_ptr<net::StreamingURLConnection> connection = connection_;
    idleTimer_ = foundation::RunLoop::main().scheduleTimer(delaySeconds, false, [weak, connection](foundation::Timer&) {
        auto self = weak.lock();
        if (!self) return;
        // Connection events run on the callback queue; so does their end.
        self->callbackQueue().async([self, connection] { self->checkIdle(connection); });
    });
}

void GTMHTTPFetcher::checkIdle(const std::weak_ptr<net::StreamingURLConnection>& connection) {
    std::unique_lock lock(mutex_);
    if (!connection_ || connection_ != connection.lock() || hasConnectionEnded_) return;
    const double left = idleLimitSeconds_ - (foundation::RunLoop::main().now() - lastConnectionActivity_);
    // A margin for rounding: a check due "now" must not come back for ever.
    if (left > kIdleCheckMarginSeconds) {
        scheduleIdleCheck(left);
        return;
    }
    idleTimer_.reset();
    auto origin = net::originOfURL(request_->url);
    std::string host = origin ? origin->host : std::string();
    lock.unlock();
    failConnection(net::urlError(net::kURLErrorTimedOut, host));
}

// Retries.

void GTMHTTPFetcher::setRetryEnabled(bool enabled) {
    if (enabled && !isRetryEnabled_) {
        setMinRetryInterval(0);
        maxRetryInterval_ = -1.0;
        retryFactor_ = 2.0;
        lastRetryInterval_ = 0;
    }
    isRetryEnabled_ = enabled;
}

void GTMHTTPFetcher::setMaxRetryInterval(double seconds) { maxRetryInterval_ = seconds > 0 ? seconds : -1.0; }

void GTMHTTPFetcher::setMinRetryInterval(double seconds) {
    if (seconds > 0) {
        minRetryInterval_ = seconds;
        return;
    }
    // Random, so that many clients that failed together do not come back together.
    static std::random_device source;
    uint32_t r = source();
    minRetryInterval_ = 1.0 + double(r & 0xFFFF) / 65535.0;
}

double GTMHTTPFetcher::nextRetryInterval() const {
    std::lock_guard lock(mutex_);
    return std::max(minRetryInterval_, std::min(lastRetryInterval_ * retryFactor_, maxRetryInterval_));
}

bool GTMHTTPFetcher::shouldRetryNowForStatus(int status, const OptionalError& givenError) {
    bool forced = false;
    if (authorizer_ && !hasAttemptedAuthRefresh_ && status == 401 && authorizer_->respondsToPrimeForRefresh() &&
        authorizer_->primeForRefresh()) {
        hasAttemptedAuthRefresh_ = true;
        request_->headers.remove("Authorization");
        forced = true;
    }
    if (!forced) {
        if (!isRetryEnabled_) return false;
        if (nextRetryInterval() >= maxRetryInterval_) return false;
        double elapsed =
            foundation::RunLoop::main().now() - initialRequestDate_.value_or(foundation::RunLoop::main().now());
        if (maxRetryInterval_ > -1.0 && elapsed > 3 * maxRetryInterval_) return false;
    }
    foundation::Error error = givenError ? *givenError : statusError(status, downloadedData_);
    bool willRetry = forced || isRetryableFetchError(error);
    if (delegate_ && retrySel_) willRetry = retrySel_(*this, willRetry, error);
    if (retryBlock_) willRetry = retryBlock_(willRetry, error);
    return willRetry;
}

void GTMHTTPFetcher::beginRetryTimer() {
    double interval;
    {
        std::lock_guard lock(mutex_);
        interval = std::max(0.0, std::min(nextRetryInterval(), maxRetryInterval_ > 0 ? maxRetryInterval_ : 0.0));
    }
    destroyRetryTimer();
    {
        std::lock_guard lock(mutex_);
        lastRetryInterval_ = interval;
        std::weak_ptr<GTMHTTPFetcher> weak = weak_from_this();
        // The timer keeps the fetcher alive until it fires or is destroyed.
        retryTimer_ = foundation::RunLoop::main().scheduleTimer(
            interval, false, [self = shared_from_this()](foundation::Timer&) { self->retryTimerFired(); });
    }
    postNotification(kGTMHTTPFetcherRetryDelayStartedNotification);
}

void GTMHTTPFetcher::destroyRetryTimer() {
    foundation::TimerHandle timer;
    {
        std::lock_guard lock(mutex_);
        timer = std::move(retryTimer_);
        retryTimer_.reset();
    }
    if (!timer) return;
    timer->invalidate();
    postNotification(kGTMHTTPFetcherRetryDelayStoppedNotification);
}

void GTMHTTPFetcher::retryTimerFired() {
    auto retry = [self = shared_from_this()] {
        self->destroyRetryTimer();
        {
            std::lock_guard lock(self->mutex_);
            ++self->retryCount_;
        }
        self->stopFetchReleasingCallbacks(false);
        self->beginFetchMayDelay(true, true);
    };
    if (delegateQueue_)
        delegateQueue_->async(retry);
    else
        retry();
}

}  // namespace google
