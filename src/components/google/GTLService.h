#pragma once

// Runs queries of a web API that speaks JSON-RPC 2.0 over HTTPS (and plain
// REST fetches): builds the request, hands it to a fetcher, parses the reply
// off the main thread into model objects, optionally fetches and joins the
// further pages of a list, and calls back once with the ticket, the object
// and an error. Callbacks run on the delegate queue (the main queue unless
// one is set).

#include "components/google/GTLBatchQuery.h"
#include "components/google/GTLQuery.h"
#include "components/google/GTLServiceTicket.h"
#include "components/google/GTMHTTPFetcher.h"
#include "components/google/GTMHTTPFetcherService.h"
#include "platform/foundation/DispatchQueue.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace google {

inline constexpr const char* kGTLServiceErrorDomain = "com.google.GTLServiceDomain";
// A batch sub-query that got neither a result nor an error.
inline constexpr int64_t kGTLErrorQueryResultMissing = -3000;
// waitForTicket gave up before the ticket called back.
inline constexpr int64_t kGTLErrorWaitTimedOut = -3001;
// A reply that should have carried JSON (a result or an error) did not.
inline constexpr int64_t kGTLErrorUnexpectedReply = -3002;

inline constexpr const char* kGTLServiceTicketParsingStartedNotification =
    "kGTLServiceTicketParsingStartedNotification";
inline constexpr const char* kGTLServiceTicketParsingStoppedNotification =
    "kGTLServiceTicketParsingStoppedNotification";

// The delegate form's finished "selector": (ticket, object, error).
using GTLServiceFinishedSelector = GTLServiceCompletionHandler;

class GTLService : public std::enable_shared_from_this<GTLService> {
public:
    static std::shared_ptr<GTLService> create() { return std::make_shared<GTLService>(); }
    GTLService();
    virtual ~GTLService() = default;
    GTLService(const GTLService&) = delete;
    GTLService& operator=(const GTLService&) = delete;

    // Runs a query (a copy of it); none when it cannot start, and then no
    // callback comes.
    GTLServiceTicketPtr executeQuery(const std::shared_ptr<GTLQueryProtocol>& query,
                                     GTLServiceCompletionHandler completionHandler);
    GTLServiceTicketPtr executeQuery(const std::shared_ptr<GTLQueryProtocol>& query, std::shared_ptr<void> delegate,
                                     GTLServiceFinishedSelector finishedSelector);

    GTLServiceTicketPtr fetchObjectWithMethodNamed(const std::string& methodName, const Value& parameters,
                                                   GTLObjectPtr insertingObject, const GTLClassInfo* objectClass,
                                                   GTLServiceCompletionHandler completionHandler);
    // REST: a GET of the address (authorized unless told otherwise).
    GTLServiceTicketPtr fetchObjectWithURL(const std::string& url, const GTLClassInfo* objectClass, bool mayAuthorize,
                                           GTLServiceCompletionHandler completionHandler);
    // REST: the object sent with "POST" or "PUT", its "etag" as condition.
    GTLServiceTicketPtr fetchObjectByInsertingObject(const GTLObjectPtr& object, const std::string& url,
                                                     GTLServiceCompletionHandler completionHandler);
    GTLServiceTicketPtr fetchObjectByUpdatingObject(const GTLObjectPtr& object, const std::string& url,
                                                    GTLServiceCompletionHandler completionHandler);
    GTLServiceTicketPtr deleteResourceURL(const std::string& url, const std::string& ETag,
                                          GTLServiceCompletionHandler completionHandler);

    // The JSON-RPC body of one call.
    Dictionary rpcPayloadForMethodNamed(const std::string& methodName, const Value& parameters,
                                        const GTLObjectPtr& bodyObject, const std::string& requestID) const;
    net::URLRequest requestForURL(const std::string& url, const std::string& ETag, const std::string& httpMethod) const;
    net::URLRequest objectRequestForURL(const std::string& url, const GTLObjectPtr& object, std::string ETag,
                                        const std::string& httpMethod, bool isREST,
                                        const GTLStringMap& additionalHeaders) const;
    std::string requestUserAgent() const;

    // Settings, defaults for new tickets.
    const std::string& userAgent() const { return userAgent_; }
    // Cleaned to one product token; setExactUserAgent keeps the text as it is.
    void setUserAgent(const std::string& agent);
    void setExactUserAgent(std::string agent) { userAgent_ = std::move(agent); }
    const std::string& userAgentAddition() const { return userAgentAddition_; }
    void setUserAgentAddition(std::string addition) { userAgentAddition_ = std::move(addition); }
    const std::string& APIVersion() const { return apiVersion_; }
    void setAPIVersion(std::string version) { apiVersion_ = std::move(version); }
    const std::string& APIKey() const { return apiKey_; }
    void setAPIKey(std::string key) { apiKey_ = std::move(key); }
    const std::string& rpcURL() const { return rpcURL_; }
    void setRpcURL(std::string url) { rpcURL_ = std::move(url); }
    const std::string& rpcUploadURL() const { return rpcUploadURL_; }
    void setRpcUploadURL(std::string url) { rpcUploadURL_ = std::move(url); }
    const GTLStringMap& urlQueryParameters() const { return urlQueryParameters_; }
    void setURLQueryParameters(GTLStringMap parameters) { urlQueryParameters_ = std::move(parameters); }
    const GTLStringMap& additionalHTTPHeaders() const { return additionalHTTPHeaders_; }
    void setAdditionalHTTPHeaders(GTLStringMap headers) { additionalHTTPHeaders_ = std::move(headers); }
    bool isRESTDataWrapperRequired() const { return isRESTDataWrapperRequired_; }
    void setRESTDataWrapperRequired(bool flag) { isRESTDataWrapperRequired_ = flag; }
    bool allowInsecureQueries() const { return allowInsecureQueries_; }
    void setAllowInsecureQueries(bool flag) { allowInsecureQueries_ = flag; }

    uint64_t serviceUploadChunkSize() const { return uploadChunkSize_; }
    // The largest value stands for the standard 4 MiB.
    void setServiceUploadChunkSize(uint64_t size);
    static uint64_t defaultServiceUploadChunkSize() { return UINT64_MAX; }

    bool isRetryEnabled() const { return isRetryEnabled_; }
    void setRetryEnabled(bool flag) { isRetryEnabled_ = flag; }
    double maxRetryInterval() const { return maxRetryInterval_; }
    void setMaxRetryInterval(double seconds) { maxRetryInterval_ = seconds; }
    bool shouldFetchNextPages() const { return shouldFetchNextPages_; }
    void setShouldFetchNextPages(bool flag) { shouldFetchNextPages_ = flag; }
    const GTLServiceRetryBlock& retryBlock() const { return retryBlock_; }
    void setRetryBlock(GTLServiceRetryBlock block) { retryBlock_ = std::move(block); }
    const GTLServiceRetryBlock& retrySelector() const { return retrySelector_; }
    void setRetrySelector(GTLServiceRetryBlock selector) { retrySelector_ = std::move(selector); }
    const GTLServiceUploadProgressBlock& uploadProgressBlock() const { return uploadProgressBlock_; }
    void setUploadProgressBlock(GTLServiceUploadProgressBlock block) { uploadProgressBlock_ = std::move(block); }
    const GTLServiceUploadProgressBlock& uploadProgressSelector() const { return uploadProgressSelector_; }
    void setUploadProgressSelector(GTLServiceUploadProgressBlock selector) {
        uploadProgressSelector_ = std::move(selector);
    }
    const GTLQueryTestBlock& testBlock() const { return testBlock_; }
    void setTestBlock(GTLQueryTestBlock block) { testBlock_ = std::move(block); }
    const std::optional<GTLSurrogates>& surrogates() const { return surrogates_; }
    void setSurrogates(std::optional<GTLSurrogates> surrogates) { surrogates_ = std::move(surrogates); }

    const Dictionary& serviceProperties() const { return serviceProperties_; }
    void setServiceProperties(const Dictionary& properties) { serviceProperties_ = properties.copy(); }
    void setServiceProperty(Value value, std::string_view key);
    Value servicePropertyForKey(std::string_view key) const { return serviceProperties_.get(key); }
    Value serviceUserData() const { return servicePropertyForKey("_userData"); }
    void setServiceUserData(Value value) { setServiceProperty(std::move(value), "_userData"); }

    // The factory of this service's fetchers, which also holds what every
    // fetcher gets: authorizer, delegate queue, cookie handling.
    const std::shared_ptr<GTMHTTPFetcherService>& fetcherService() const { return fetcherService_; }
    void setFetcherService(std::shared_ptr<GTMHTTPFetcherService> service) { fetcherService_ = std::move(service); }
    const std::shared_ptr<GTMFetcherAuthorizationProtocol>& authorizer() const { return fetcherService_->authorizer(); }
    void setAuthorizer(std::shared_ptr<GTMFetcherAuthorizationProtocol> authorizer) {
        fetcherService_->setAuthorizer(std::move(authorizer));
    }
    const std::optional<foundation::DispatchQueue>& delegateQueue() const { return fetcherService_->delegateQueue(); }
    void setDelegateQueue(std::optional<foundation::DispatchQueue> queue) {
        fetcherService_->setDelegateQueue(std::move(queue));
    }
    int64_t cookieStorageMethod() const { return fetcherService_->cookieStorageMethod(); }
    void setCookieStorageMethod(int64_t method) { fetcherService_->setCookieStorageMethod(method); }
    void setShouldFetchInBackground(bool flag) { fetcherService_->setShouldFetchInBackground(flag); }

    // Paging, batches and the mock service.
    std::shared_ptr<GTLQueryProtocol> nextPageQueryForQuery(const std::shared_ptr<GTLQueryProtocol>& query,
                                                            const GTLObjectPtr& result,
                                                            const GTLServiceTicketPtr& ticket) const;
    GTLObjectPtr mergedNewResultObject(const GTLObjectPtr& newResult, const GTLObjectPtr& oldResult,
                                       const std::shared_ptr<GTLQueryProtocol>& query) const;
    // A service that answers every query at once with the object or error.
    static std::shared_ptr<GTLService> mockServiceWithFakedObject(GTLObjectPtr object,
                                                                  std::optional<foundation::Error> error);
    // Runs the main run loop until the ticket called back or the time-out
    // passed; true when it ended without error.
    static bool waitForTicket(const GTLServiceTicketPtr& ticket, double timeoutSeconds, GTLObjectPtr* fetchedObject,
                              std::optional<foundation::Error>* error);

protected:
    // The fetcher of one request; a resumable upload fetcher for a query
    // that sends media (none when the media cannot be read).
    std::shared_ptr<GTMHTTPFetcher> fetcherWithRequest(const net::URLRequest& request,
                                                       const GTLUploadParametersPtr& upload);

private:
    struct Callbacks {
        std::shared_ptr<void> delegate;
        GTLServiceFinishedSelector finishedSelector;
        GTLServiceCompletionHandler completionHandler;
    };
    // What travels with a fetch until its callbacks ran.
    struct FetchState;

    GTLServiceTicketPtr executeQuery(const std::shared_ptr<GTLQueryProtocol>& query, Callbacks callbacks);
    GTLServiceTicketPtr fetchObjectWithMethodNamed(const std::string& methodName, const GTLClassInfo* objectClass,
                                                   const Value& parameters, const GTLObjectPtr& bodyObject,
                                                   std::string requestID, const GTLStringMap& urlQueryParameters,
                                                   Callbacks callbacks, const std::shared_ptr<GTLQuery>& executingQuery,
                                                   GTLServiceTicketPtr ticket);
    GTLServiceTicketPtr fetchRESTObject(const std::string& url, const GTLClassInfo* objectClass,
                                        const GTLObjectPtr& bodyObject, const std::string& ETag,
                                        const std::string& httpMethod, bool mayAuthorize,
                                        GTLServiceCompletionHandler completionHandler);
    GTLServiceTicketPtr commonFetch(std::string url, const GTLClassInfo* objectClass, const GTLObjectPtr& bodyObject,
                                    std::optional<foundation::Bytes> dataToPost, const std::string& ETag,
                                    const std::string& httpMethod, bool mayAuthorize, bool isREST, Callbacks callbacks,
                                    const std::shared_ptr<GTLQueryProtocol>& executingQuery,
                                    GTLServiceTicketPtr ticket);
    GTLServiceTicketPtr executeBatchQuery(const std::shared_ptr<GTLBatchQuery>& batch, Callbacks callbacks,
                                          GTLServiceTicketPtr ticket);
    bool fetchNextPageWithQuery(const std::shared_ptr<GTLQueryProtocol>& query, Callbacks callbacks,
                                const GTLServiceTicketPtr& ticket);

    // Reply handling.
    void objectFetcherFinished(const std::shared_ptr<FetchState>& state, GTMHTTPFetcher& fetcher,
                               const foundation::Bytes& data, const std::optional<foundation::Error>& error);
    void parseObject(const std::shared_ptr<FetchState>& state, foundation::Bytes data, std::string contentType);
    void handleParsedObject(const std::shared_ptr<FetchState>& state);
    void invokeCallbacks(const std::shared_ptr<FetchState>& state);
    void invokeBatchCompletions(const GTLServiceTicketPtr& ticket, const std::shared_ptr<GTLBatchQuery>& batch,
                                const GTLObjectPtr& result, const std::optional<foundation::Error>& error);
    void simulateFetch(const std::shared_ptr<FetchState>& state, const GTLQueryTestBlock& testBlock,
                       uint64_t uploadLength);
    foundation::DispatchQueue callbackQueue() const;

    std::string userAgent_;
    std::string userAgentAddition_;
    Dictionary serviceProperties_;
    std::optional<GTLSurrogates> surrogates_;
    GTLServiceUploadProgressBlock uploadProgressSelector_;
    GTLServiceRetryBlock retryBlock_;
    GTLServiceUploadProgressBlock uploadProgressBlock_;
    GTLQueryTestBlock testBlock_;
    uint64_t uploadChunkSize_ = 0;
    bool isRetryEnabled_ = false;
    GTLServiceRetryBlock retrySelector_;
    double maxRetryInterval_ = 0;
    bool shouldFetchNextPages_ = false;
    bool allowInsecureQueries_ = false;
    std::string apiKey_;
    bool isRESTDataWrapperRequired_ = false;
    std::string apiVersion_;
    std::string rpcURL_;
    std::string rpcUploadURL_;
    GTLStringMap urlQueryParameters_;
    GTLStringMap additionalHTTPHeaders_;
    std::shared_ptr<GTMHTTPFetcherService> fetcherService_;
};

}  // namespace google
