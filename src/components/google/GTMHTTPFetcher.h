#pragma once

// One HTTP request with retry: every request of the Google API client goes
// through a fetcher.
//
//     auto fetcher = google::GTMHTTPFetcher::fetcherWithURLString("https://host/path");
//     fetcher->beginFetchWithCompletionHandler([](const foundation::Bytes& data,
//                                                 const std::optional<foundation::Error>& error) { ... });
//
// The fetch runs on the streaming connection; its events and every callback
// come back on the delegate queue (the main queue unless one is set). A fetch
// ends in exactly one of: callbacks with data, callbacks with an error, or a
// stop by the caller (no callback). Until then the connection, the retry
// timer or the authorizer keeps the fetcher alive, so a caller need not.
//
// Plain-text addresses are refused unless the caller allowed the scheme (or
// the local host); an answer outside 0..299 is an error of kGTMHTTPStatusDomain
// whose code is the status, and the body still goes to the callbacks as data.

#include "components/google/GTMHTTPFetcherProtocols.h"
#include "components/google/GTMInputStreams.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Timer.h"
#include "platform/foundation/Value.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/StreamingURLConnection.h"
#include "platform/net/URLRequest.h"

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace google {

inline constexpr const char* kGTMFetcherErrorDomain = "com.tollivar.google.HTTPFetcher";
inline constexpr const char* kGTMHTTPStatusDomain = "com.tollivar.google.HTTPStatus";

inline constexpr int64_t kGTMHTTPFetcherErrorDownloadFailed = -1;
inline constexpr int64_t kGTMHTTPFetcherErrorAuthenticationChallengeFailed = -2;
inline constexpr int64_t kGTMHTTPFetcherErrorChunkUploadFailed = -3;
inline constexpr int64_t kGTMHTTPFetcherErrorFileHandleException = -4;
inline constexpr int64_t kGTMHTTPFetcherErrorBackgroundExpiration = -6;

inline constexpr const char* kGTMHTTPFetcherStartedNotification = "kGTMHTTPFetcherStartedNotification";
inline constexpr const char* kGTMHTTPFetcherStoppedNotification = "kGTMHTTPFetcherStoppedNotification";
inline constexpr const char* kGTMHTTPFetcherRetryDelayStartedNotification =
    "kGTMHTTPFetcherRetryDelayStartedNotification";
inline constexpr const char* kGTMHTTPFetcherRetryDelayStoppedNotification =
    "kGTMHTTPFetcherRetryDelayStoppedNotification";

enum GTMCookieStorageMethod : int64_t {
    kGTMCookieMethodStatic = 0,
    kGTMCookieMethodFetchHistory = 1,
    kGTMCookieMethodSystemDefault = 2,
    kGTMCookieMethodNone = 3,
};

// A user name and password answered to a server's Basic or Digest challenge.
struct GTMURLCredential {
    std::string user;
    std::string password;
};

class GTMHTTPFetcher : public std::enable_shared_from_this<GTMHTTPFetcher> {
public:
    using Bytes = foundation::Bytes;
    using OptionalError = std::optional<foundation::Error>;
    using RequestPtr = std::shared_ptr<net::URLRequest>;

    // The delegate's "selectors": the fetcher comes first, as the delegate's
    // methods receive it.
    using FinishedSelector =
        std::function<void(GTMHTTPFetcher& fetcher, const Bytes& data, const OptionalError& error)>;
    using SentDataSelector = std::function<void(GTMHTTPFetcher& fetcher, int64_t bytesWritten,
                                                int64_t totalBytesWritten, int64_t totalBytesExpectedToWrite)>;
    using ReceivedDataSelector = std::function<void(GTMHTTPFetcher& fetcher, const Bytes& dataReceivedSoFar)>;
    using RetrySelector =
        std::function<bool(GTMHTTPFetcher& fetcher, bool suggestedWillRetry, const foundation::Error& error)>;

    using CompletionHandler = std::function<void(const Bytes& data, const OptionalError& error)>;
    using SentDataBlock =
        std::function<void(int64_t bytesWritten, int64_t totalBytesWritten, int64_t totalBytesExpectedToWrite)>;
    // Receives the body so far, or empty data while downloading to a file.
    using ReceivedDataBlock = std::function<void(const Bytes& dataReceivedSoFar)>;
    using RetryBlock = std::function<bool(bool suggestedWillRetry, const foundation::Error& error)>;

    // A body held in memory above this size fails the fetch with
    // kURLErrorDataLengthExceedsMaximum; larger downloads go to a file.
    static constexpr uint64_t kMaximumInMemoryBodyLength = uint64_t(64) << 20;
    // The retry back-off's cap when none is set: a GET or HEAD, anything else.
    static constexpr double kDefaultMaxRetryIntervalForGet = 60.0;
    static constexpr double kDefaultMaxRetryInterval = 600.0;

    static std::shared_ptr<GTMHTTPFetcher> fetcherWithRequest(const net::URLRequest& request);
    static std::shared_ptr<GTMHTTPFetcher> fetcherWithURLString(const std::string& url);
    virtual ~GTMHTTPFetcher();

    GTMHTTPFetcher(const GTMHTTPFetcher&) = delete;
    GTMHTTPFetcher& operator=(const GTMHTTPFetcher&) = delete;

    // "GTMHTTPFetcher 0x… (url)".
    virtual std::string description() const;

    // Starting and stopping. The delegate is kept alive until the fetch ends.
    virtual bool beginFetchWithDelegate(std::shared_ptr<void> delegate, FinishedSelector finishedSelector);
    virtual bool beginFetchWithCompletionHandler(CompletionHandler handler);
    // Stops the fetch; no callback runs for it.
    virtual void stopFetching();
    bool isFetching() const;
    // Runs the main run loop until the fetch has ended and its callbacks are
    // released, or `timeoutSeconds` have passed. Main thread only.
    void waitForCompletionWithTimeout(double timeoutSeconds);

    // Results.
    virtual int statusCode() const;
    virtual std::optional<net::HTTPHeaders> responseHeaders() const;
    std::optional<net::HTTPURLResponse> response() const;
    Bytes downloadedData() const;
    uint64_t downloadedLength() const;
    uint64_t retryCount() const;
    double nextRetryInterval() const;

    // The request; changes go out with the next attempt.
    net::URLRequest& mutableRequest() { return *request_; }
    const RequestPtr& requestPointer() const { return request_; }

    void setAllowedInsecureSchemes(std::vector<std::string> schemes) { allowedInsecureSchemes_ = std::move(schemes); }
    const std::vector<std::string>& allowedInsecureSchemes() const { return allowedInsecureSchemes_; }
    void setAllowLocalhostRequest(bool allow) { allowLocalhostRequest_ = allow; }
    bool allowLocalhostRequest() const { return allowLocalhostRequest_; }
    void setCredential(std::optional<GTMURLCredential> credential) { credential_ = std::move(credential); }
    const std::optional<GTMURLCredential>& credential() const { return credential_; }

    // The request body as bytes, or as a file range sent while it is read.
    void setPostData(std::optional<Bytes> data) { postData_ = std::move(data); }
    const std::optional<Bytes>& postData() const { return postData_; }
    void setBodyData(std::optional<Bytes> data) { setPostData(std::move(data)); }
    const std::optional<Bytes>& bodyData() const { return postData(); }
    void setPostFile(std::optional<net::URLRequestBodyFile> file) { postFile_ = std::move(file); }
    // A body stream (a multipart document, say), used when no bytes are set.
    // It is read once, when the fetch first begins; retries send the same bytes.
    void setPostStream(std::shared_ptr<GTMInputStream> stream) { postStream_ = std::move(stream); }
    const std::shared_ptr<GTMInputStream>& postStream() const { return postStream_; }
    const std::optional<net::URLRequestBodyFile>& postFile() const { return postFile_; }

    void setDelegate(std::shared_ptr<void> delegate) { delegate_ = std::move(delegate); }
    const std::shared_ptr<void>& delegate() const { return delegate_; }
    void setAuthorizer(std::shared_ptr<GTMFetcherAuthorizationProtocol> authorizer) {
        authorizer_ = std::move(authorizer);
    }
    const std::shared_ptr<GTMFetcherAuthorizationProtocol>& authorizer() const { return authorizer_; }
    void setService(std::shared_ptr<GTMHTTPFetcherServiceProtocol> service) { service_ = std::move(service); }
    const std::shared_ptr<GTMHTTPFetcherServiceProtocol>& service() const { return service_; }
    void setServiceHost(std::string host) { serviceHost_ = std::move(host); }
    const std::string& serviceHost() const { return serviceHost_; }
    // The thread that began the fetch, as the service saw it.
    void setThread(std::optional<std::thread::id> thread) { thread_ = thread; }
    std::optional<std::thread::id> thread() const { return thread_; }
    void setServicePriority(int64_t priority) { servicePriority_ = priority; }
    int64_t servicePriority() const { return servicePriority_; }
    void setShouldFetchInBackground(bool flag) { shouldFetchInBackground_ = flag; }
    bool shouldFetchInBackground() const { return shouldFetchInBackground_; }

    void setSentDataSelector(SentDataSelector selector) { sentDataSel_ = std::move(selector); }
    void setReceivedDataSelector(ReceivedDataSelector selector) { receivedDataSel_ = std::move(selector); }
    void setRetrySelector(RetrySelector selector) { retrySel_ = std::move(selector); }
    void setSentDataBlock(SentDataBlock block) { sentDataBlock_ = std::move(block); }
    void setReceivedDataBlock(ReceivedDataBlock block) { receivedDataBlock_ = std::move(block); }
    void setRetryBlock(RetryBlock block) { retryBlock_ = std::move(block); }
    void setCompletionBlock(CompletionHandler block) { completionBlock_ = std::move(block); }
    const CompletionHandler& completionBlock() const { return completionBlock_; }

    // Retry policy. Turning retries on resets the back-off to its defaults:
    // a random first interval of 1 to 2 s, doubling, capped by the method.
    void setRetryEnabled(bool enabled);
    bool isRetryEnabled() const { return isRetryEnabled_; }
    void setMaxRetryInterval(double seconds);
    double maxRetryInterval() const { return maxRetryInterval_; }
    void setMinRetryInterval(double seconds);
    double minRetryInterval() const { return minRetryInterval_; }
    void setRetryFactor(double factor) { retryFactor_ = factor; }
    double retryFactor() const { return retryFactor_; }

    void setCookieStorageMethod(int64_t method);
    int64_t cookieStorageMethod() const { return cookieStorageMethod_; }
    void setCookieStorage(std::shared_ptr<GTMCookieStorageProtocol> storage) { cookieStorage_ = std::move(storage); }
    const std::shared_ptr<GTMCookieStorageProtocol>& cookieStorage() const { return cookieStorage_; }
    void setFetchHistory(std::shared_ptr<GTMHTTPFetchHistoryProtocol> history);
    const std::shared_ptr<GTMHTTPFetchHistoryProtocol>& fetchHistory() const { return fetchHistory_; }

    // Download to a file: the body goes to a temporary file beside it and is
    // moved into place when the fetch succeeds.
    void setDownloadPath(std::optional<std::string> path) { downloadPath_ = std::move(path); }
    const std::optional<std::string>& downloadPath() const { return downloadPath_; }
    const std::optional<std::string>& temporaryDownloadPath() const { return temporaryDownloadPath_; }

    void setDelegateQueue(std::optional<foundation::DispatchQueue> queue) { delegateQueue_ = std::move(queue); }
    const std::optional<foundation::DispatchQueue>& delegateQueue() const { return delegateQueue_; }

    // A copy of the request as it stands.
    net::URLRequest request() const;

    // Logging (GTMHTTPFetcherLogging.h): texts that stand in for the real
    // bodies in the log, and a response body the client will log itself.
    void setLogRequestBody(std::optional<std::string> text);
    std::optional<std::string> logRequestBody() const;
    void setLogResponseBody(std::optional<std::string> text);
    std::optional<std::string> logResponseBody() const;
    // Clearing the flag on a fetch not yet logged logs it now.
    void setShouldDeferResponseBodyLogging(bool flag);
    bool shouldDeferResponseBodyLogging() const;
    // The streamed request body as it was read, kept for the log when
    // logging captures it (setupStreamLogging).
    std::optional<Bytes> loggedStreamData() const;
    void setLoggedStreamData(std::optional<Bytes> data);
    void appendLoggedStreamData(const uint8_t* bytes, size_t length);
    const std::optional<std::string>& redirectedFromURL() const { return redirectedFromURL_; }
    void setRedirectedFromURL(std::optional<std::string> url) { redirectedFromURL_ = std::move(url); }

    void setComment(std::string comment) { comment_ = std::move(comment); }
    const std::string& comment() const { return comment_; }
    void setLog(std::string log) { log_ = std::move(log); }
    const std::string& log() const { return log_; }

    void setUserData(std::any data);
    std::any userData() const;
    void setProperties(std::map<std::string, std::any> properties);
    std::map<std::string, std::any> properties() const;
    // A value without content removes the key.
    void setProperty(const std::string& key, std::any value);
    std::any propertyForKey(const std::string& key) const;
    void addPropertiesFromDictionary(const std::map<std::string, std::any>& properties);

    // The store cookie method 0 uses: one for the process.
    static std::shared_ptr<GTMCookieStorageProtocol> staticCookieStorage();

    // Ends the fetch as when the system takes the background time away:
    // callbacks with error -6.
    void backgroundFetchExpired();

    // Retry decision for an answer with `status` (0 for a transport error).
    bool shouldRetryNowForStatus(int status, const OptionalError& error);

protected:
    explicit GTMHTTPFetcher(const net::URLRequest& request);

public:
    // For the fetcher service, which starts a fetcher it held back.
    bool beginFetchMayDelay(bool mayDelay, bool mayAuthorize);

protected:
    void stopFetchReleasingCallbacks(bool shouldReleaseCallbacks);
    // The upload fetcher keeps its callbacks after each chunk.
    virtual bool shouldReleaseCallbacksUponCompletion() const { return true; }
    // Calls the delegate's finished selector and then the completion block.
    virtual void invokeFetchCallbacks(const Bytes& data, const OptionalError& error);
    void releaseCallbacks();
    void failToBeginFetchWithError(OptionalError error);

    // Connection events, on the delegate queue.
    virtual std::optional<net::URLRequest> connectionWillSendRequest(const net::URLRequest& proposed,
                                                                     const net::HTTPURLResponse& redirectResponse);
    virtual void connectionDidReceiveResponse(const net::HTTPURLResponse& response);
    virtual void connectionDidReceiveData(const Bytes& data);
    virtual void connectionDidSendBodyData(int64_t bytesWritten, int64_t totalBytesWritten,
                                           int64_t totalBytesExpectedToWrite);
    virtual void connectionDidFinishLoading();
    virtual void connectionDidFailWithError(const foundation::Error& error);

    // The idle limit of the running connection (the request's
    // timeoutInterval), timed on the main run loop's clock: a connection that
    // makes no progress for that long fails as timed out. Under the lock.
    void startIdleTimer();
    void noteConnectionActivity();
    void destroyIdleTimer();

    // Retry timing.
    void beginRetryTimer();
    void destroyRetryTimer();
    void retryTimerFired();

    void addCookiesToRequest(net::URLRequest& request);
    void handleCookiesForResponse(const net::HTTPURLResponse& response);
    void postNotification(const char* name);
    void sendStopNotificationIfNeeded();
    foundation::DispatchQueue callbackQueue() const;
    void deleteTemporaryDownloadFile();
    void logNow(const OptionalError& error);

    mutable std::recursive_mutex mutex_;

    RequestPtr request_;
    std::shared_ptr<net::StreamingURLConnection> connection_;
    Bytes downloadedData_;
    std::optional<std::string> downloadPath_;
    std::optional<std::string> temporaryDownloadPath_;
    foundation::FileDescriptor downloadFile_;
    uint64_t downloadedLength_ = 0;
    std::vector<std::string> allowedInsecureSchemes_;
    bool allowLocalhostRequest_ = false;
    std::optional<GTMURLCredential> credential_;
    std::optional<Bytes> postData_;
    std::optional<net::URLRequestBodyFile> postFile_;
    std::shared_ptr<GTMInputStream> postStream_;
    std::optional<Bytes> streamBody_;  // what postStream_ gave
    std::optional<Bytes> loggedStreamData_;
    std::optional<net::HTTPURLResponse> response_;
    std::shared_ptr<void> delegate_;
    FinishedSelector finishedSel_;
    SentDataSelector sentDataSel_;
    ReceivedDataSelector receivedDataSel_;
    RetrySelector retrySel_;
    CompletionHandler completionBlock_;
    ReceivedDataBlock receivedDataBlock_;
    SentDataBlock sentDataBlock_;
    RetryBlock retryBlock_;
    bool hasConnectionEnded_ = false;
    bool isStopNotificationNeeded_ = false;
    bool shouldFetchInBackground_ = false;
    std::any userData_;
    std::map<std::string, std::any> properties_;
    std::optional<foundation::DispatchQueue> delegateQueue_;
    std::shared_ptr<GTMHTTPFetchHistoryProtocol> fetchHistory_;
    int64_t cookieStorageMethod_ = kGTMCookieMethodStatic;
    std::shared_ptr<GTMCookieStorageProtocol> cookieStorage_;
    std::shared_ptr<GTMFetcherAuthorizationProtocol> authorizer_;
    std::shared_ptr<GTMHTTPFetcherServiceProtocol> service_;
    std::string serviceHost_;
    std::optional<std::thread::id> thread_;
    int64_t servicePriority_ = 0;
    bool isRetryEnabled_ = false;
    foundation::TimerHandle retryTimer_;
    foundation::TimerHandle idleTimer_;
    double idleLimitSeconds_ = 0;
    double lastConnectionActivity_ = 0;  // run-loop clock seconds
    uint64_t retryCount_ = 0;
    double maxRetryInterval_ = -1.0;
    double minRetryInterval_ = 0;
    double retryFactor_ = 2.0;
    double lastRetryInterval_ = 0;
    std::optional<double> initialRequestDate_;  // run-loop clock seconds
    bool hasAttemptedAuthRefresh_ = false;
    int challengeFailures_ = 0;
    std::string comment_ = "(No fetcher comment set)";
    std::string log_;
    std::optional<std::string> redirectedFromURL_;
    std::optional<std::string> logRequestBody_;
    std::optional<std::string> logResponseBody_;
    bool hasLoggedError_ = false;
    bool shouldDeferResponseBodyLogging_ = false;

private:
    class ConnectionEvents;
    friend class ConnectionEvents;
    bool authorizeRequest();
    // Under the lock: a new connection for the current request, started.
    void startConnection();
    void authorizerFinished(const RequestPtr& request, const OptionalError& error);
    bool openTemporaryDownloadFile(foundation::Error& error);
    void finishDownloadToFile(OptionalError& error);
    void failConnection(const foundation::Error& error);
    // The request as handed to the transport, whose own wall-clock idle
    // limit is kept out of the way of the run loop's (startIdleTimer).
    static net::URLRequest transportRequest(net::URLRequest request);
    void scheduleIdleCheck(double delaySeconds);
    void checkIdle(const std::weak_ptr<net::StreamingURLConnection>& connection);
};

}  // namespace google
