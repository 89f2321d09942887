#include "components/google/GTLService.h"

#include "components/google/GTLJSONParser.h"
#include "components/google/GTLServiceState.h"
#include "components/google/GTLUtilities.h"
#include "components/google/GTMHTTPFetcherUserAgent.h"
#include "components/google/GTMHTTPUploadFetcher.h"

#include <algorithm>
#include <fcntl.h>
#include <strings.h>

namespace google {

namespace {

constexpr uint64_t kStandardUploadChunkSize = 4194304;
constexpr uint64_t kMinimumUploadChunkSize = 50000;
constexpr const char* kLibraryToken = "tollivar-google-api-client";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

GTLService::GTLService() : fetcherService_(GTMHTTPFetcherService::create()) {
    setServiceUploadChunkSize(defaultServiceUploadChunkSize());
}

void GTLService::setUserAgent(const std::string& agent) { userAgent_ = GTMCleanUserAgentToken(agent).value_or(""); }

void GTLService::setServiceUploadChunkSize(uint64_t size) {
    uploadChunkSize_ = size == UINT64_MAX ? kStandardUploadChunkSize : size;
}

void GTLService::setServiceProperty(Value value, std::string_view key) {
    if (value.isNull()) {
        serviceProperties_.remove(key);
    } else {
        serviceProperties_.set(std::string(key), std::move(value));
    }
}

std::string GTLService::requestUserAgent() const {
    std::string agent = userAgent_.empty() ? GTMApplicationUserAgentID() : userAgent_;
    std::string lower = agent;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.find(kLibraryToken) != std::string::npos) return agent;
    return agent + " " + kLibraryToken + "/2.0 " + GTMDeviceUserAgentString() +
           (userAgentAddition_.empty() ? "" : " " + userAgentAddition_) + " (gzip)";
}

// Requests -----------------------------------------------------------------

net::URLRequest GTLService::requestForURL(const std::string& url, const std::string& ETag,
                                          const std::string& httpMethod) const {
    net::URLRequest request(url, 60.0);
    request.setValue(requestUserAgent(), "User-Agent");
    if (!httpMethod.empty()) request.httpMethod = httpMethod;
    if (!ETag.empty()) {
        const bool weak = ETag.rfind("W/", 0) == 0;
        if (httpMethod.empty() || equalsIgnoringCase(httpMethod, "GET")) {
            request.setValue(ETag, "If-None-Match");
        } else if ((equalsIgnoringCase(httpMethod, "PUT") || equalsIgnoringCase(httpMethod, "DELETE") ||
                    equalsIgnoringCase(httpMethod, "PATCH")) &&
                   !weak) {
            request.setValue(ETag, "If-Match");
        }
    }
    return request;
}

net::URLRequest GTLService::objectRequestForURL(const std::string& url, const GTLObjectPtr& object, std::string ETag,
                                                const std::string& httpMethod, bool isREST,
                                                const GTLStringMap& additionalHeaders) const {
    if (ETag.empty() && object) {
        std::optional<Value> etag = object->JSONValueForKey("etag");
        if (etag && etag->isString()) ETag = etag->asString();
    }
    net::URLRequest request = requestForURL(url, ETag, httpMethod);
    request.setValue(isREST ? "application/json" : "application/json-rpc", "Accept");
    request.setValue(isREST ? "application/json; charset=utf-8" : "application/json-rpc; charset=utf-8",
                     "Content-Type");
    request.setValue("no-cache", "Cache-Control");
    for (const auto& [name, value] : additionalHTTPHeaders_) request.setValue(value, name);
    for (const auto& [name, value] : additionalHeaders) request.setValue(value, name);
    return request;
}

Dictionary GTLService::rpcPayloadForMethodNamed(const std::string& methodName, const Value& parameters,
                                                const GTLObjectPtr& bodyObject, const std::string& requestID) const {
    Dictionary payload{{"jsonrpc", Value("2.0")}, {"method", Value(methodName)}, {"id", Value(requestID)}};
    if (!apiVersion_.empty()) payload.set("apiVersion", Value(apiVersion_));
    Dictionary params = parameters.isDictionary() ? parameters.deepCopy().asDictionary() : Dictionary();
    if (!apiKey_.empty() && !params.contains("key")) params.set("key", Value(apiKey_));
    if (bodyObject) {
        if (bodyObject->JSON().isNull()) bodyObject->setJSON(Dictionary());
        params.set("resource", bodyObject->JSON());
    }
    if (!params.empty()) payload.set("params", Value(params));
    return payload;
}

// Starting calls -----------------------------------------------------------

GTLServiceTicketPtr GTLService::executeQuery(const std::shared_ptr<GTLQueryProtocol>& query,
                                             GTLServiceCompletionHandler completionHandler) {
    return executeQuery(query, Callbacks{nullptr, nullptr, std::move(completionHandler)});
}

GTLServiceTicketPtr GTLService::executeQuery(const std::shared_ptr<GTLQueryProtocol>& query,
                                             std::shared_ptr<void> delegate,
                                             GTLServiceFinishedSelector finishedSelector) {
    return executeQuery(query, Callbacks{std::move(delegate), std::move(finishedSelector), nullptr});
}

GTLServiceTicketPtr GTLService::executeQuery(const std::shared_ptr<GTLQueryProtocol>& query, Callbacks callbacks) {
    if (!query) return nullptr;
    if (auto batch = std::dynamic_pointer_cast<GTLBatchQuery>(query)) {
        return executeBatchQuery(batch, std::move(callbacks), nullptr);
    }
    auto single = std::dynamic_pointer_cast<GTLQuery>(query);
    if (!single) return nullptr;
    GTLQueryPtr executing = single->copy();
    return fetchObjectWithMethodNamed(executing->methodName(), executing->expectedObjectClass(), executing->JSON(),
                                      executing->bodyObject(), executing->requestID(), executing->urlQueryParameters(),
                                      std::move(callbacks), executing, nullptr);
}

GTLServiceTicketPtr GTLService::fetchObjectWithMethodNamed(const std::string& methodName, const Value& parameters,
                                                           GTLObjectPtr insertingObject,
                                                           const GTLClassInfo* objectClass,
                                                           GTLServiceCompletionHandler completionHandler) {
    return fetchObjectWithMethodNamed(methodName, objectClass, parameters, insertingObject, {}, {},
                                      Callbacks{nullptr, nullptr, std::move(completionHandler)}, nullptr, nullptr);
}

GTLServiceTicketPtr GTLService::fetchObjectWithMethodNamed(const std::string& methodName,
                                                           const GTLClassInfo* objectClass, const Value& parameters,
                                                           const GTLObjectPtr& bodyObject, std::string requestID,
                                                           const GTLStringMap& urlQueryParameters, Callbacks callbacks,
                                                           const std::shared_ptr<GTLQuery>& executingQuery,
                                                           GTLServiceTicketPtr ticket) {
    if (methodName.empty()) return nullptr;
    if (requestID.empty()) requestID = GTLQuery::nextRequestID();
    const GTLUploadParametersPtr upload = executingQuery ? executingQuery->uploadParameters() : nullptr;

    std::optional<foundation::Bytes> data;
    if (!(upload && upload->shouldSendUploadOnly())) {
        data = GTLJSONParser::dataWithObject(
            Value(rpcPayloadForMethodNamed(methodName, parameters, bodyObject, requestID)), false, nullptr);
        if (!data) return nullptr;
    }
    std::optional<std::string> url = upload ? rpcUploadURL_ : rpcURL_;
    if (!urlQueryParameters.empty()) url = GTLUtilities::URLWithString(*url, urlQueryParameters);
    if (!url) return nullptr;
    const bool mayAuthorize = !(executingQuery && executingQuery->shouldSkipAuthorization());

    const bool isNextPage = ticket != nullptr;
    GTLServiceTicketPtr started = commonFetch(*url, objectClass, bodyObject, std::move(data), "", "POST", mayAuthorize,
                                              false, std::move(callbacks), executingQuery, std::move(ticket));
    if (started && started->objectFetcher()) {
        started->objectFetcher()->setComment(isNextPage ? methodName + " (page " +
                                                              std::to_string(started->pagesFetchedCounter() + 1) + ")"
                                                        : methodName);
    }
    return started;
}

GTLServiceTicketPtr GTLService::fetchRESTObject(const std::string& url, const GTLClassInfo* objectClass,
                                                const GTLObjectPtr& bodyObject, const std::string& ETag,
                                                const std::string& httpMethod, bool mayAuthorize,
                                                GTLServiceCompletionHandler completionHandler) {
    if (url.empty()) return nullptr;
    std::optional<foundation::Bytes> data;
    if (bodyObject) {
        if (bodyObject->JSON().isNull()) bodyObject->setJSON(Dictionary());
        Value json = isRESTDataWrapperRequired_ ? Value(Dictionary{{"data", bodyObject->JSON()}}) : bodyObject->JSON();
        data = GTLJSONParser::dataWithObject(json, false, nullptr);
        if (!data) return nullptr;
    }
    return commonFetch(url, objectClass, bodyObject, std::move(data), ETag, httpMethod, mayAuthorize, true,
                       Callbacks{nullptr, nullptr, std::move(completionHandler)}, nullptr, nullptr);
}

GTLServiceTicketPtr GTLService::fetchObjectWithURL(const std::string& url, const GTLClassInfo* objectClass,
                                                   bool mayAuthorize, GTLServiceCompletionHandler completionHandler) {
    return fetchRESTObject(url, objectClass, nullptr, "", "", mayAuthorize, std::move(completionHandler));
}

GTLServiceTicketPtr GTLService::fetchObjectByInsertingObject(const GTLObjectPtr& object, const std::string& url,
                                                             GTLServiceCompletionHandler completionHandler) {
    if (!object) return nullptr;
    return fetchRESTObject(url, &object->objectClass(), object, "", "POST", true, std::move(completionHandler));
}

GTLServiceTicketPtr GTLService::fetchObjectByUpdatingObject(const GTLObjectPtr& object, const std::string& url,
                                                            GTLServiceCompletionHandler completionHandler) {
    if (!object) return nullptr;
    return fetchRESTObject(url, &object->objectClass(), object, "", "PUT", true, std::move(completionHandler));
}

GTLServiceTicketPtr GTLService::deleteResourceURL(const std::string& url, const std::string& ETag,
                                                  GTLServiceCompletionHandler completionHandler) {
    return fetchRESTObject(url, nullptr, nullptr, ETag, "DELETE", true, std::move(completionHandler));
}

std::shared_ptr<GTMHTTPFetcher> GTLService::fetcherWithRequest(const net::URLRequest& request,
                                                               const GTLUploadParametersPtr& upload) {
    if (!upload) return fetcherService_->fetcherWithRequest(request);
    const uint64_t chunkSize = std::max(serviceUploadChunkSize(), kMinimumUploadChunkSize);
    net::URLRequest first = request;
    if (upload->slug() && !upload->slug()->empty()) first.setValue(*upload->slug(), "Slug");
    if (upload->data() && !upload->uploadLocationURL()) {
        return GTMHTTPUploadFetcher::uploadFetcherWithRequest(first, *upload->data(), upload->MIMEType(), chunkSize,
                                                              fetcherService_);
    }
    GTMFileHandle file = upload->fileHandle();
    if (!file && upload->fileURL()) {
        auto opened = std::make_shared<foundation::FileDescriptor>(
            foundation::FileDescriptor::open(*upload->fileURL(), O_RDONLY));
        if (opened->valid()) file = opened;
    }
    if (!file) return nullptr;
    if (upload->uploadLocationURL()) {
        return GTMHTTPUploadFetcher::uploadFetcherWithLocation(*upload->uploadLocationURL(), file, upload->MIMEType(),
                                                               chunkSize, fetcherService_);
    }
    return GTMHTTPUploadFetcher::uploadFetcherWithRequest(first, file, upload->MIMEType(), chunkSize, fetcherService_);
}

GTLServiceTicketPtr GTLService::commonFetch(std::string url, const GTLClassInfo* objectClass,
                                            const GTLObjectPtr& bodyObject, std::optional<foundation::Bytes> dataToPost,
                                            const std::string& ETag, const std::string& httpMethod, bool mayAuthorize,
                                            bool isREST, Callbacks callbacks,
                                            const std::shared_ptr<GTLQueryProtocol>& executingQuery,
                                            GTLServiceTicketPtr ticket) {
    if (url.empty()) return nullptr;
    if (!ticket) ticket = GTLServiceTicket::ticketForService(shared_from_this());
    ticket->setIsREST(isREST);

    GTLStringMap parameters = urlQueryParameters_;
    if (isREST && !apiKey_.empty()) parameters["key"] = apiKey_;
    if (!parameters.empty()) url = GTLUtilities::URLWithString(url, parameters).value_or(url);

    net::URLRequest request =
        objectRequestForURL(url, bodyObject, ETag, httpMethod, isREST,
                            executingQuery ? executingQuery->additionalHTTPHeaders() : GTLStringMap{});
    ticket->setPostedObject(bodyObject);
    ticket->setExecutingQuery(executingQuery);
    if (!ticket->originalQuery()) ticket->setOriginalQuery(executingQuery);

    auto state = std::make_shared<FetchState>();
    state->ticket = ticket;
    state->objectClass = objectClass;
    state->callbacks = std::move(callbacks);
    state->isREST = isREST;
    state->isBatch = executingQuery && executingQuery->isBatchQuery();

    GTLQueryTestBlock testBlock;
    if (auto original = std::dynamic_pointer_cast<GTLQuery>(ticket->originalQuery())) testBlock = original->testBlock();
    if (auto original = std::dynamic_pointer_cast<GTLBatchQuery>(ticket->originalQuery())) {
        testBlock = original->testBlock();
    }
    if (!testBlock) testBlock = testBlock_;
    const GTLUploadParametersPtr upload = executingQuery ? executingQuery->uploadParameters() : nullptr;
    if (testBlock) {
        uint64_t uploadLength = dataToPost ? dataToPost->size() : 0;
        if (upload && upload->data()) uploadLength += upload->data()->size();
        simulateFetch(state, testBlock, uploadLength);
        return ticket;
    }

    std::shared_ptr<GTMHTTPFetcher> fetcher = fetcherWithRequest(request, upload);
    if (!fetcher) return nullptr;
    state->fetcher = fetcher;
    if (allowInsecureQueries_) {
        fetcher->setAllowLocalhostRequest(true);
        fetcher->setAllowedInsecureSchemes({"http"});
    }
    if (!mayAuthorize) fetcher->setAuthorizer(nullptr);
    if (ticket->isRetryEnabled()) fetcher->setRetryEnabled(true);
    if (ticket->maxRetryInterval() > 0) fetcher->setMaxRetryInterval(ticket->maxRetryInterval());
    if (ticket->retrySelector() || ticket->retryBlock()) {
        std::weak_ptr<FetchState> weakState = state;
        fetcher->setRetrySelector([weakState](GTMHTTPFetcher&, bool suggested, const foundation::Error& error) {
            std::shared_ptr<FetchState> current = weakState.lock();
            if (!current) return suggested;
            GTLServiceTicketPtr owner = current->ticket;
            GTLServiceRetryBlock selector = owner->retrySelector();
            GTLServiceRetryBlock block = owner->retryBlock();
            bool willRetry = suggested;
            if (selector) willRetry = selector(owner, willRetry, error);
            if (block) willRetry = block(owner, willRetry, error);
            return willRetry;
        });
    }
    ticket->setObjectFetcher(fetcher);
    fetcher->setProperty("_ticket", ticket);
    if (dataToPost) fetcher->setPostData(std::move(dataToPost));

    // The fetcher keeps its delegate (the state, and through its ticket this
    // service) until the fetch ends, but keeps its selector for good: the
    // selector holds nothing strongly, or ticket and fetcher would keep each
    // other alive.
    std::weak_ptr<GTLService> weakSelf = weak_from_this();
    std::weak_ptr<FetchState> weakState = state;
    const bool begun = fetcher->beginFetchWithDelegate(
        state, [weakSelf, weakState](GTMHTTPFetcher& finished, const foundation::Bytes& data,
                                     const std::optional<foundation::Error>& error) {
            std::shared_ptr<GTLService> self = weakSelf.lock();
            std::shared_ptr<FetchState> current = weakState.lock();
            if (self && current) self->objectFetcherFinished(current, finished, data, error);
        });
    if (begun && !ticket->hasCalledCallback()) return ticket;
    fetcher->setProperties({});
    state->callbacks = Callbacks{};
    return nullptr;
}

foundation::DispatchQueue GTLService::callbackQueue() const {
    return delegateQueue() ? *delegateQueue() : foundation::DispatchQueue::main();
}

}  // namespace google
