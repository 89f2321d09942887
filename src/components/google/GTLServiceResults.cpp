// How the API service turns a finished fetch into the caller's callbacks.

#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLJSONParser.h"
#include "components/google/GTLService.h"
#include "components/google/GTLServiceState.h"
#include "platform/foundation/NotificationCenter.h"

#include <strings.h>

namespace google {

namespace {

bool isJSONContentType(const std::string& contentType) {
    return strncasecmp(contentType.c_str(), "application/json", 16) == 0;
}

foundation::Error errorWithFailureReason(const std::string& domain, int64_t code, const std::string& reason) {
    auto userInfo = std::make_shared<Dictionary>();
    userInfo->set("NSLocalizedFailureReason", Value(reason));
    foundation::Error error(domain, code, "The operation couldn\u2019t be completed. " + reason);
    error.userInfo = std::move(userInfo);
    return error;
}

foundation::Error unexpectedReplyError(const std::string& what) {
    return errorWithFailureReason(kGTLServiceErrorDomain, kGTLErrorUnexpectedReply, what);
}

// The structured error of a reply's "error" member.
foundation::Error structuredError(const Value& errorJSON) {
    return GTLErrorObject::objectWithJSON(errorJSON.isDictionary() ? errorJSON.deepCopy() : Value(Dictionary()))
        ->foundationError();
}

}  // namespace

void GTLService::objectFetcherFinished(const std::shared_ptr<FetchState>& state, GTMHTTPFetcher& fetcher,
                                       const foundation::Bytes& data, const std::optional<foundation::Error>& error) {
    const std::string contentType =
        fetcher.responseHeaders() ? fetcher.responseHeaders()->value("Content-Type").value_or("") : "";
    if (error && error->domain == kGTMHTTPStatusDomain && error->code >= 300 && !data.empty()) {
        if (isJSONContentType(contentType)) {
            foundation::Error parseError;
            std::optional<Value> json = GTLJSONParser::objectWithData(data, &parseError);
            if (!json) {
                state->fetchError = parseError;
            } else if (json->isDictionary() && json->asDictionary().contains("error")) {
                state->fetchError = structuredError(json->asDictionary().get("error"));
            } else {
                // A failure reply without a structured error stays the
                // status error: it must never reach the caller as success.
                state->fetchError = error;
            }
        } else {
            state->fetchError =
                errorWithFailureReason(kGTMHTTPStatusDomain, error->code, std::string(data.begin(), data.end()));
        }
        return handleParsedObject(state);
    }
    if (error) {
        state->fetchError = error;
        return handleParsedObject(state);
    }
    if (data.empty()) {
        if (!state->isREST) state->fetchError = unexpectedReplyError("The reply held no JSON-RPC answer.");
        return handleParsedObject(state);
    }

    const GTLServiceTicketPtr& ticket = state->ticket;
    foundation::NotificationCenter::defaultCenter().post(kGTLServiceTicketParsingStartedNotification, ticket.get());
    state->parseNotificationPosted = true;
    if (state->isBatch) {
        if (auto batch = std::dynamic_pointer_cast<GTLBatchQuery>(ticket->executingQuery())) {
            for (const GTLQueryPtr& query : batch->queries()) {
                state->batchClassMap[query->requestID()] = query->expectedObjectClass();
            }
        }
    }
    auto operation = std::make_shared<GTLParseOperation>();
    ticket->setParseOperation(operation);
    auto self = shared_from_this();
    foundation::DispatchQueue::global().async([self, state, operation, body = data, contentType]() mutable {
        self->parseObject(state, std::move(body), contentType);
        if (operation->cancelled) return;
        self->callbackQueue().async([self, state, operation] {
            if (operation->cancelled) return;
            self->handleParsedObject(state);
        });
    });
}

void GTLService::parseObject(const std::shared_ptr<FetchState>& state, foundation::Bytes data,
                             std::string contentType) {
    if (!isJSONContentType(contentType)) {
        // Every JSON-RPC answer is JSON; REST replies are when a class is expected.
        if (!state->isREST || state->objectClass) {
            state->fetchError = unexpectedReplyError(
                "The reply was not JSON (" + (contentType.empty() ? std::string("no type") : contentType) + ").");
        }
        return;
    }
    foundation::Error parseError;
    std::optional<Value> json = GTLJSONParser::objectWithData(data, &parseError);
    if (!json) {
        state->fetchError = parseError;
        return;
    }
    Value objectJSON;
    if (state->isREST) {
        objectJSON = isRESTDataWrapperRequired_ ? json->asDictionary().get("data") : *json;
    } else if (state->isBatch) {
        objectJSON = *json;
    } else if (json->isDictionary() && json->asDictionary().contains("result")) {
        objectJSON = json->asDictionary().get("result");
    } else if (json->isDictionary() && json->asDictionary().contains("error")) {
        state->fetchError = structuredError(json->asDictionary().get("error"));
        return;
    } else {
        state->fetchError = unexpectedReplyError("The reply held neither a result nor an error.");
        return;
    }
    const std::optional<GTLSurrogates>& surrogates = state->ticket->surrogates();
    const GTLClassInfo* objectClass = state->isBatch ? &GTLBatchResult::classInfo() : state->objectClass;
    state->parsedObject = GTLObject::objectForJSON(objectJSON, objectClass, surrogates ? &*surrogates : nullptr,
                                                   state->isBatch ? &state->batchClassMap : nullptr);
}

void GTLService::handleParsedObject(const std::shared_ptr<FetchState>& state) {
    const GTLServiceTicketPtr ticket = state->ticket;
    ticket->setParseOperation(nullptr);

    GTLObjectPtr object = state->parsedObject;
    if (ticket->shouldFetchNextPages() && ticket->fetchedObject() && object && !state->fetchError) {
        object = mergedNewResultObject(object, ticket->fetchedObject(), ticket->executingQuery());
    }
    ticket->setFetchedObject(object);
    ticket->setFetchError(state->fetchError);
    if (state->parseNotificationPosted) {
        foundation::NotificationCenter::defaultCenter().post(kGTLServiceTicketParsingStoppedNotification, ticket.get());
    }

    bool startedNextPage = false;
    if (ticket->shouldFetchNextPages() && !state->fetchError && object) {
        if (std::shared_ptr<GTLQueryProtocol> next = nextPageQueryForQuery(ticket->executingQuery(), object, ticket)) {
            startedNextPage = fetchNextPageWithQuery(next, state->callbacks, ticket);
        }
    }
    // Each page's query goes back to the caller's once its reply is in.
    if (!startedNextPage) ticket->setExecutingQuery(ticket->originalQuery());
    if (!startedNextPage) invokeCallbacks(state);

    if (state->fetcher) state->fetcher->setProperties({});
    state->fetcher.reset();
    state->callbacks = Callbacks{};
    ticket->setRetryBlock(nullptr);
    ticket->setUploadProgressBlock(nullptr);
}

void GTLService::invokeCallbacks(const std::shared_ptr<FetchState>& state) {
    const GTLServiceTicketPtr& ticket = state->ticket;
    const GTLObjectPtr object = ticket->fetchedObject();
    const std::optional<foundation::Error> error = ticket->fetchError();
    const std::shared_ptr<GTLQueryProtocol> original = ticket->originalQuery();
    if (auto batch = std::dynamic_pointer_cast<GTLBatchQuery>(original)) {
        invokeBatchCompletions(ticket, batch, object, error);
    } else if (auto query = std::dynamic_pointer_cast<GTLQuery>(original)) {
        if (GTLServiceCompletionHandler block = query->completionBlock()) block(ticket, object, error);
    }
    if (original) original->executionDidStop();
    Callbacks callbacks = std::move(state->callbacks);
    state->callbacks = Callbacks{};
    if (callbacks.finishedSelector) callbacks.finishedSelector(ticket, object, error);
    if (callbacks.completionHandler) callbacks.completionHandler(ticket, object, error);
    ticket->setHasCalledCallback(true);
}

void GTLService::invokeBatchCompletions(const GTLServiceTicketPtr& ticket, const std::shared_ptr<GTLBatchQuery>& batch,
                                        const GTLObjectPtr& result, const std::optional<foundation::Error>& error) {
    auto batchResult = std::dynamic_pointer_cast<GTLBatchResult>(result);
    for (const GTLQueryPtr& query : batch->queries()) {
        GTLServiceCompletionHandler block = query->completionBlock();
        if (!block) continue;
        if (error) {
            block(ticket, nullptr, error);
            continue;
        }
        const std::string& id = query->requestID();
        if (batchResult && batchResult->failures().count(id)) {
            block(ticket, nullptr, batchResult->failures().at(id)->foundationError());
        } else if (batchResult && batchResult->successes().count(id)) {
            GTLObjectPtr object = batchResult->successes().at(id);
            block(ticket, object == nullMarker<GTLObject>() ? nullptr : object, std::nullopt);
        } else {
            block(ticket, nullptr,
                  errorWithFailureReason(kGTLServiceErrorDomain, kGTLErrorQueryResultMissing,
                                         "Missing result for query " + id + "."));
        }
    }
}

}  // namespace google
