// The API service's further pages, batches and the mock service for tests.

#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLJSONParser.h"
#include "components/google/GTLService.h"
#include "components/google/GTLServiceState.h"
#include "components/google/GTLUtilities.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace google {

namespace {

// Once this many further pages were started, one more may follow: 27 pages in all.
constexpr uint64_t kMaximumNextPages = 25;

bool declares(const GTLQuery& query, const std::string& property) {
    const std::vector<std::string> names = query.objectClass().allDeclaredProperties();
    return std::find(names.begin(), names.end(), property) != names.end();
}

GTLQueryPtr nextPageOfQuery(const GTLQueryPtr& query, const GTLObjectPtr& result) {
    auto collection = std::dynamic_pointer_cast<GTLCollectionObject>(result);
    if (!query || !collection) return nullptr;  // only results that have items page
    std::optional<Value> token = collection->JSONValueForKey("nextPageToken");
    if (token && token->isString() && !token->asString().empty() && declares(*query, "pageToken")) {
        GTLQueryPtr next = query->copy();
        next->setCustomParameter(*token, "pageToken");
        return next;
    }
    std::optional<Value> index = collection->JSONValueForKey("nextStartIndex");
    if (index && !index->isNull() && declares(*query, "startIndex")) {
        GTLQueryPtr next = query->copy();
        next->setCustomParameter(*index, "startIndex");
        return next;
    }
    return nullptr;
}

GTLObjectPtr mergedItems(const GTLObjectPtr& newResult, const GTLObjectPtr& oldResult) {
    auto newer = std::dynamic_pointer_cast<GTLCollectionObject>(newResult);
    auto older = std::dynamic_pointer_cast<GTLCollectionObject>(oldResult);
    if (!newer || !older) return newResult;
    std::vector<GTLObjectPtr> items = older->collectionItems();
    for (const GTLObjectPtr& item : newer->collectionItems()) items.push_back(item);
    newer->setCollectionItems(std::move(items));
    newer->resetIdentifierMap();
    return newer;
}

}  // namespace

std::shared_ptr<GTLQueryProtocol> GTLService::nextPageQueryForQuery(const std::shared_ptr<GTLQueryProtocol>& query,
                                                                    const GTLObjectPtr& result,
                                                                    const GTLServiceTicketPtr& ticket) const {
    if (auto batch = std::dynamic_pointer_cast<GTLBatchQuery>(query)) {
        auto batchResult = std::dynamic_pointer_cast<GTLBatchResult>(result);
        if (!batchResult) return nullptr;
        auto nextBatch = GTLBatchQuery::batchQuery();
        for (const auto& [requestID, success] : batchResult->successes()) {
            GTLQueryPtr subQuery = ticket ? ticket->queryForRequestID(requestID) : nullptr;
            if (!subQuery) subQuery = batch->queryForRequestID(requestID);
            if (GTLQueryPtr next = nextPageOfQuery(subQuery, success)) nextBatch->addQuery(next);
        }
        if (nextBatch->queries().empty()) return nullptr;
        return nextBatch;
    }
    return nextPageOfQuery(std::dynamic_pointer_cast<GTLQuery>(query), result);
}

GTLObjectPtr GTLService::mergedNewResultObject(const GTLObjectPtr& newResult, const GTLObjectPtr& oldResult,
                                               const std::shared_ptr<GTLQueryProtocol>& query) const {
    if (!query || !query->isBatchQuery()) return mergedItems(newResult, oldResult);
    auto newer = std::dynamic_pointer_cast<GTLBatchResult>(newResult);
    auto older = std::dynamic_pointer_cast<GTLBatchResult>(oldResult);
    if (!newer || !older) return newResult;
    for (const auto& [requestID, success] : newer->successes()) {
        const auto previous = older->successes().find(requestID);
        older->successes()[requestID] =
            previous == older->successes().end() ? success : mergedItems(success, previous->second);
    }
    for (const auto& [requestID, failure] : newer->failures()) {
        older->failures()[requestID] = failure;
        older->successes().erase(requestID);
    }
    return older;
}

bool GTLService::fetchNextPageWithQuery(const std::shared_ptr<GTLQueryProtocol>& query, Callbacks callbacks,
                                        const GTLServiceTicketPtr& ticket) {
    if (ticket->pagesFetchedCounter() > kMaximumNextPages) return false;
    ticket->setPagesFetchedCounter(ticket->pagesFetchedCounter() + 1);
    GTLServiceTicketPtr started;
    if (auto batch = std::dynamic_pointer_cast<GTLBatchQuery>(query)) {
        started = executeBatchQuery(batch, std::move(callbacks), ticket);
    } else if (auto single = std::dynamic_pointer_cast<GTLQuery>(query)) {
        started = fetchObjectWithMethodNamed(single->methodName(), single->expectedObjectClass(), single->JSON(),
                                             single->bodyObject(), single->requestID(), single->urlQueryParameters(),
                                             std::move(callbacks), single, ticket);
    }
    return started == ticket;
}

GTLServiceTicketPtr GTLService::executeBatchQuery(const std::shared_ptr<GTLBatchQuery>& batchQuery, Callbacks callbacks,
                                                  GTLServiceTicketPtr ticket) {
    GTLBatchQueryPtr batch = batchQuery->copy();
    if (batch->queries().empty()) return nullptr;
    Array payloads;
    std::set<std::string> requestIDs;
    for (const GTLQueryPtr& query : batch->queries()) {
        if (query->methodName().empty() || query->requestID().empty()) return nullptr;
        if (!requestIDs.insert(query->requestID()).second) return nullptr;
        payloads.push_back(Value(
            rpcPayloadForMethodNamed(query->methodName(), query->JSON(), query->bodyObject(), query->requestID())));
    }
    std::optional<foundation::Bytes> data = GTLJSONParser::dataWithObject(Value(payloads), false, nullptr);
    if (!data) return nullptr;
    std::optional<std::string> url = rpcURL_;
    if (!batch->urlQueryParameters().empty()) url = GTLUtilities::URLWithString(rpcURL_, batch->urlQueryParameters());
    if (!url) return nullptr;
    return commonFetch(*url, &GTLBatchResult::classInfo(), nullptr, std::move(data), "", "POST",
                       !batch->shouldSkipAuthorization(), false, std::move(callbacks), batch, std::move(ticket));
}

// The mock service -----------------------------------------------------------

std::shared_ptr<GTLService> GTLService::mockServiceWithFakedObject(GTLObjectPtr object,
                                                                   std::optional<foundation::Error> error) {
    auto service = create();
    service->setRpcURL("https://mock.invalid/rpc?prettyPrint=false");
    service->setRpcUploadURL("https://mock.invalid/upload/rpc?uploadType=resumable&prettyPrint=false");
    service->setTestBlock(
        [object, error](const GTLServiceTicketPtr&, GTLQueryResponseBlock response) { response(object, error); });
    return service;
}

void GTLService::simulateFetch(const std::shared_ptr<FetchState>& state, const GTLQueryTestBlock& testBlock,
                               uint64_t uploadLength) {
    const GTLServiceTicketPtr ticket = state->ticket;
    ticket->setExecutingQuery(ticket->originalQuery());
    if (const GTLUploadParametersPtr upload =
            ticket->originalQuery() ? ticket->originalQuery()->uploadParameters() : nullptr;
        upload && !upload->data()) {
        struct stat status {};
        if (upload->fileURL() && ::stat(upload->fileURL()->c_str(), &status) == 0) {
            uploadLength += static_cast<uint64_t>(status.st_size);
        } else if (upload->fileHandle() && upload->fileHandle()->valid()) {
            const off_t end = ::lseek(upload->fileHandle()->get(), 0, SEEK_END);
            if (end > 0) uploadLength += static_cast<uint64_t>(end);
        }
    }
    auto self = shared_from_this();
    testBlock(ticket, [self, state, uploadLength](GTLObjectPtr object, std::optional<foundation::Error> error) {
        self->callbackQueue().async([self, state, uploadLength, object, error] {
            const GTLServiceTicketPtr& owner = state->ticket;
            if (owner->hasCalledCallback() || !owner->service()) return;  // answered already, or cancelled
            if (error) {
                GTLServiceRetryBlock selector = owner->retrySelector();
                GTLServiceRetryBlock block = owner->retryBlock();
                if (selector) selector(owner, false, *error);
                if (block) block(owner, false, *error);
            } else if (owner->uploadProgressSelector() || owner->uploadProgressBlock()) {
                const uint64_t step = uploadLength / 3 + 1;
                uint64_t sent = 0;
                while (sent < uploadLength) {
                    sent += std::min(step, uploadLength - sent);
                    if (GTLServiceUploadProgressBlock selector = owner->uploadProgressSelector()) {
                        selector(owner, sent, uploadLength);
                    }
                    if (GTLServiceUploadProgressBlock block = owner->uploadProgressBlock()) {
                        block(owner, sent, uploadLength);
                    }
                }
            }
            owner->setFetchedObject(object);
            owner->setFetchError(error);
            self->invokeCallbacks(state);
        });
    });
}

bool GTLService::waitForTicket(const GTLServiceTicketPtr& ticket, double timeoutSeconds, GTLObjectPtr* fetchedObject,
                               std::optional<foundation::Error>* error) {
    if (!ticket) return false;
    foundation::RunLoop::main().runUntil([&] { return ticket->hasCalledCallback(); }, timeoutSeconds);
    std::optional<foundation::Error> outcome = ticket->fetchError();
    if (!ticket->hasCalledCallback() && !outcome) {
        outcome = foundation::Error(kGTLServiceErrorDomain, kGTLErrorWaitTimedOut,
                                    "The operation couldn\u2019t be completed. (Timed out waiting for the ticket.)");
    }
    if (fetchedObject) *fetchedObject = ticket->fetchedObject();
    if (error) *error = outcome;
    return !outcome.has_value();
}

}  // namespace google
