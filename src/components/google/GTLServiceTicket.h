#pragma once

// The handle of one call run by a GTLService: returned by every execute call
// and passed to every callback. Through it the caller follows upload
// progress, cancels the call, and finds the result afterwards. It copies the
// service's defaults when made, so changing a ticket never changes the
// service.

#include "components/google/GTLObject.h"
#include "components/google/GTLQuery.h"
#include "components/google/GTMHTTPFetcher.h"
#include "platform/foundation/Error.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace google {

class GTLService;

// Per-ticket callbacks. The "selector" forms stand for the delegate's
// methods (the delegate is kept by the service while the call runs).
using GTLServiceRetryBlock =
    std::function<bool(const GTLServiceTicketPtr& ticket, bool suggestedWillRetry, const foundation::Error& error)>;
using GTLServiceUploadProgressBlock =
    std::function<void(const GTLServiceTicketPtr& ticket, uint64_t numberOfBytesRead, uint64_t dataLength)>;

// The parse of one reply; cancelling it keeps its result from anyone.
struct GTLParseOperation {
    std::atomic<bool> cancelled{false};
};

class GTLServiceTicket : public std::enable_shared_from_this<GTLServiceTicket> {
public:
    static GTLServiceTicketPtr ticketForService(const std::shared_ptr<GTLService>& service);
    explicit GTLServiceTicket(const std::shared_ptr<GTLService>& service);

    // Stops the call for good: no callback of it reaches the caller.
    void cancelTicket();

    // Forwarded to an upload fetcher; nothing for a plain one.
    void pauseUpload();
    void resumeUpload();
    bool isUploadPaused() const;

    const std::shared_ptr<GTLService>& service() const { return service_; }
    const std::shared_ptr<GTMHTTPFetcher>& objectFetcher() const { return objectFetcher_; }
    void setObjectFetcher(std::shared_ptr<GTMHTTPFetcher> fetcher);
    int statusCode() const { return objectFetcher_ ? objectFetcher_->statusCode() : 0; }

    const GTLServiceUploadProgressBlock& uploadProgressSelector() const { return uploadProgressSelector_; }
    void setUploadProgressSelector(GTLServiceUploadProgressBlock selector);
    const GTLServiceUploadProgressBlock& uploadProgressBlock() const { return uploadProgressBlock_; }
    void setUploadProgressBlock(GTLServiceUploadProgressBlock block);
    const GTLServiceRetryBlock& retrySelector() const { return retrySelector_; }
    void setRetrySelector(GTLServiceRetryBlock selector) { retrySelector_ = std::move(selector); }
    const GTLServiceRetryBlock& retryBlock() const { return retryBlock_; }
    void setRetryBlock(GTLServiceRetryBlock block) { retryBlock_ = std::move(block); }
    // Makes the fetcher report sent bytes exactly when someone listens.
    void updateObjectFetcherProgressCallbacks();

    bool shouldFetchNextPages() const { return shouldFetchNextPages_; }
    void setShouldFetchNextPages(bool flag) { shouldFetchNextPages_ = flag; }
    bool isRetryEnabled() const { return isRetryEnabled_; }
    void setRetryEnabled(bool flag) { isRetryEnabled_ = flag; }
    double maxRetryInterval() const { return maxRetryInterval_; }
    void setMaxRetryInterval(double seconds) { maxRetryInterval_ = seconds; }

    const GTLObjectPtr& postedObject() const { return postedObject_; }
    void setPostedObject(GTLObjectPtr object) { postedObject_ = std::move(object); }
    const GTLObjectPtr& fetchedObject() const { return fetchedObject_; }
    void setFetchedObject(GTLObjectPtr object) { fetchedObject_ = std::move(object); }
    const std::shared_ptr<GTLQueryProtocol>& executingQuery() const { return executingQuery_; }
    void setExecutingQuery(std::shared_ptr<GTLQueryProtocol> query) { executingQuery_ = std::move(query); }
    const std::shared_ptr<GTLQueryProtocol>& originalQuery() const { return originalQuery_; }
    void setOriginalQuery(std::shared_ptr<GTLQueryProtocol> query) { originalQuery_ = std::move(query); }
    const std::optional<foundation::Error>& fetchError() const { return fetchError_; }
    void setFetchError(std::optional<foundation::Error> error) { fetchError_ = std::move(error); }
    bool hasCalledCallback() const { return hasCalledCallback_; }
    void setHasCalledCallback(bool flag) { hasCalledCallback_ = flag; }
    uint64_t pagesFetchedCounter() const { return pagesFetchedCounter_; }
    void setPagesFetchedCounter(uint64_t count) { pagesFetchedCounter_ = count; }
    const std::string& APIKey() const { return apiKey_; }
    bool isREST() const { return isREST_; }
    void setIsREST(bool flag) { isREST_ = flag; }
    const std::optional<GTLSurrogates>& surrogates() const { return surrogates_; }
    void setSurrogates(std::optional<GTLSurrogates> surrogates) { surrogates_ = std::move(surrogates); }
    const std::shared_ptr<GTLParseOperation>& parseOperation() const { return parseOperation_; }
    void setParseOperation(std::shared_ptr<GTLParseOperation> operation) { parseOperation_ = std::move(operation); }

    // For a batch, the sub-query with that request ID.
    GTLQueryPtr queryForRequestID(const std::string& requestID) const;

    Value userData() const { return propertyForKey("_userData"); }
    void setUserData(Value value) { setProperty(std::move(value), "_userData"); }
    const Dictionary& properties() const { return properties_; }
    void setProperties(const Dictionary& properties) { properties_ = properties.copy(); }
    Value propertyForKey(std::string_view key) const { return properties_.get(key); }
    // Null removes the key.
    void setProperty(Value value, std::string_view key);

    std::string description() const;

private:
    std::shared_ptr<GTLService> service_;
    Dictionary properties_;
    std::optional<GTLSurrogates> surrogates_;
    std::shared_ptr<GTMHTTPFetcher> objectFetcher_;
    GTLServiceUploadProgressBlock uploadProgressSelector_;
    bool shouldFetchNextPages_ = false;
    bool isRetryEnabled_ = false;
    GTLServiceRetryBlock retrySelector_;
    double maxRetryInterval_ = 0;
    GTLServiceRetryBlock retryBlock_;
    GTLServiceUploadProgressBlock uploadProgressBlock_;
    GTLObjectPtr postedObject_;
    GTLObjectPtr fetchedObject_;
    std::shared_ptr<GTLQueryProtocol> executingQuery_;
    std::shared_ptr<GTLQueryProtocol> originalQuery_;
    std::optional<foundation::Error> fetchError_;
    bool hasCalledCallback_ = false;
    uint64_t pagesFetchedCounter_ = 0;
    std::string apiKey_;
    bool isREST_ = false;
    std::shared_ptr<GTLParseOperation> parseOperation_;
};

}  // namespace google
