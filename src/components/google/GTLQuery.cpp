#include "components/google/GTLQuery.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace google {

const GTLClassInfo& GTLQuery::classInfo() {
    static const GTLClassInfo info("GTLQuery", nullptr, nullptr);
    return info;
}

const GTLClassInfo& GTLQueryCollectionImpl::classInfo() {
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLQueryCollectionImpl", &GTLQuery::classInfo(), nullptr);
        made.declaredProperties = {"pageToken", "startIndex"};
        return made;
    }();
    return info;
}

GTLQueryPtr GTLQuery::queryWithMethodName(const std::string& methodName) {
    return makeWithMethodName<GTLQuery>(methodName);
}

std::string GTLQuery::nextRequestID() {
    static std::atomic<uint64_t> counter{0};
    return "gtl_" + std::to_string(++counter);
}

void GTLQuery::setJSON(Value json) {
    JSON_ = std::move(json);
    childCache_.clear();
}

void GTLQuery::executionDidStop() {
    completionBlock_ = nullptr;
    testBlock_ = nullptr;
}

GTLQueryPtr GTLQuery::copy() const {
    GTLQueryPtr query = makeQuery(methodName_);
    query->requestID_ = requestID_;
    if (JSON_.isDictionary() && !JSON_.asDictionary().empty()) query->JSON_ = JSON_.deepCopy();
    query->bodyObject_ = bodyObject_;
    query->uploadParameters_ = uploadParameters_;
    query->urlQueryParameters_ = urlQueryParameters_;
    query->additionalHTTPHeaders_ = additionalHTTPHeaders_;
    query->expectedObjectClass_ = expectedObjectClass_;
    query->shouldSkipAuthorization_ = shouldSkipAuthorization_;
    query->completionBlock_ = completionBlock_;
    query->testBlock_ = testBlock_;
    return query;
}

std::string GTLQuery::description() const {
    auto joinedKeys = [](std::vector<std::string> keys) {
        std::sort(keys.begin(), keys.end());
        std::string joined;
        for (size_t i = 0; i < keys.size(); ++i) joined += (i ? "," : "") + keys[i];
        return joined;
    };
    std::string text = methodName_;
    if (JSON_.isDictionary() && !JSON_.asDictionary().empty()) {
        text += " params:(" + joinedKeys(JSON_.asDictionary().keys()) + ")";
    }
    if (!urlQueryParameters_.empty()) {
        std::vector<std::string> names;
        for (const auto& entry : urlQueryParameters_) names.push_back(entry.first);
        text += " urlQParams:(" + joinedKeys(names) + ")";
    }
    if (bodyObject_) text += " bodyObject:" + bodyObject_->objectClass().name;
    if (uploadParameters_) text += " " + uploadParameters_->description();
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    return objectClass().name + " " + address + ": {method:" + text + "}";
}

}  // namespace google
