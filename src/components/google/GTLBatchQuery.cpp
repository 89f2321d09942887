#include "components/google/GTLBatchQuery.h"

#include <cstdio>
#include <set>

namespace google {

namespace {

std::string address(const void* pointer) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", pointer);
    return text;
}

}  // namespace

GTLBatchQueryPtr GTLBatchQuery::batchQueryWithQueries(std::vector<GTLQueryPtr> queries) {
    auto batch = batchQuery();
    batch->setQueries(std::move(queries));
    return batch;
}

void GTLBatchQuery::setQueries(std::vector<GTLQueryPtr> queries) {
    queries_ = std::move(queries);
    requestIDMap_.clear();
}

void GTLBatchQuery::addQuery(GTLQueryPtr query) {
    if (query) queries_.push_back(std::move(query));
}

GTLQueryPtr GTLBatchQuery::queryForRequestID(const std::string& requestID) {
    auto found = requestIDMap_.find(requestID);
    if (found == requestIDMap_.end()) {
        requestIDMap_.clear();
        for (const GTLQueryPtr& query : queries_) requestIDMap_.emplace(query->requestID(), query);
        found = requestIDMap_.find(requestID);
    }
    return found == requestIDMap_.end() ? nullptr : found->second;
}

void GTLBatchQuery::executionDidStop() {
    for (const GTLQueryPtr& query : queries_) query->executionDidStop();
}

GTLBatchQueryPtr GTLBatchQuery::copy() const {
    auto batch = batchQuery();
    for (const GTLQueryPtr& query : queries_) batch->queries_.push_back(query->copy());
    batch->shouldSkipAuthorization_ = shouldSkipAuthorization_;
    batch->additionalHTTPHeaders_ = additionalHTTPHeaders_;
    batch->urlQueryParameters_ = urlQueryParameters_;
    batch->testBlock_ = testBlock_;
    return batch;
}

std::string GTLBatchQuery::description() const {
    std::set<std::string> seen;
    std::string methods;
    for (const GTLQueryPtr& query : queries_) {
        if (!seen.insert(query->methodName()).second) continue;
        methods += (methods.empty() ? "" : ",") + query->methodName();
    }
    return "GTLBatchQuery " + address(this) + " (queries:" + std::to_string(queries_.size()) + " methods:" + methods +
           ")";
}

GTL_DEFINE_CLASS(GTLBatchResult, GTLObject, )

void GTLBatchResult::createItemsWithClassMap(const std::map<std::string, const GTLClassInfo*>& classMap) {
    if (!JSON().isArray()) return;
    for (const Value& response : JSON().asArray()) {
        if (!response.isDictionary()) continue;
        const Dictionary reply = response.asDictionary();
        const Value& id = reply.get("id");
        const std::string requestID = id.isString() ? id.asString() : id.description();
        if (reply.contains("error")) {
            auto failure = GTLErrorObject::objectWithJSON(reply.get("error"));
            failures_[requestID] = failure;
            continue;
        }
        const auto expected = classMap.find(requestID);
        GTLObjectPtr result = GTLObject::objectForJSON(
            reply.get("result"), expected == classMap.end() ? nullptr : expected->second, surrogates(), nullptr);
        successes_[requestID] = result ? result : nullMarker<GTLObject>();
    }
}

GTLObjectPtr GTLBatchResult::copy() const {
    auto result = std::static_pointer_cast<GTLBatchResult>(GTLObject::copy());
    result->successes_ = successes_;
    result->failures_ = failures_;
    return result;
}

std::string GTLBatchResult::description() const {
    return "GTLBatchResult " + address(this) + " (successes:" + std::to_string(successes_.size()) +
           " failures:" + std::to_string(failures_.size()) + ")";
}

}  // namespace google
