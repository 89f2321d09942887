#pragma once

// Several JSON-RPC calls in one request, and the split of their answers.

#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLQuery.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace google {

class GTLBatchQuery;
using GTLBatchQueryPtr = std::shared_ptr<GTLBatchQuery>;

class GTLBatchQuery : public GTLQueryProtocol {
public:
    static GTLBatchQueryPtr batchQuery() { return std::make_shared<GTLBatchQuery>(); }
    static GTLBatchQueryPtr batchQueryWithQueries(std::vector<GTLQueryPtr> queries);

    const std::vector<GTLQueryPtr>& queries() const { return queries_; }
    void setQueries(std::vector<GTLQueryPtr> queries);
    void addQuery(GTLQueryPtr query);
    // Looks the ID up, rebuilding the map from every query on a miss.
    GTLQueryPtr queryForRequestID(const std::string& requestID);

    bool isBatchQuery() const override { return true; }
    bool shouldSkipAuthorization() const override { return shouldSkipAuthorization_; }
    void setShouldSkipAuthorization(bool skip) { shouldSkipAuthorization_ = skip; }
    void executionDidStop() override;
    const GTLStringMap& additionalHTTPHeaders() const override { return additionalHTTPHeaders_; }
    void setAdditionalHTTPHeaders(GTLStringMap headers) { additionalHTTPHeaders_ = std::move(headers); }
    const GTLStringMap& urlQueryParameters() const override { return urlQueryParameters_; }
    void setURLQueryParameters(GTLStringMap parameters) { urlQueryParameters_ = std::move(parameters); }
    GTLUploadParametersPtr uploadParameters() const override { return nullptr; }
    const GTLQueryTestBlock& testBlock() const { return testBlock_; }
    void setTestBlock(GTLQueryTestBlock block) { testBlock_ = std::move(block); }

    // Each query copied; the skip flag, headers and test block carried over.
    GTLBatchQueryPtr copy() const;
    std::shared_ptr<GTLQueryProtocol> copyQuery() const override { return copy(); }
    std::string description() const override;

private:
    std::vector<GTLQueryPtr> queries_;
    std::map<std::string, GTLQueryPtr> requestIDMap_;
    bool shouldSkipAuthorization_ = false;
    GTLStringMap additionalHTTPHeaders_;
    GTLStringMap urlQueryParameters_;
    GTLQueryTestBlock testBlock_;
};

// The answer of a batch: results and structured errors by request ID.
class GTLBatchResult : public GTLObject {
    GTL_OBJECT_CLASS(GTLBatchResult)

public:
    // A result that made no object is the null marker.
    std::map<std::string, GTLObjectPtr>& successes() { return successes_; }
    std::map<std::string, std::shared_ptr<GTLErrorObject>>& failures() { return failures_; }

    void createItemsWithClassMap(const std::map<std::string, const GTLClassInfo*>& classMap) override;
    bool createsItemsWithClassMap() const override { return true; }
    // The object copy plus copies of both maps.
    GTLObjectPtr copy() const override;
    std::string description() const override;

private:
    std::map<std::string, GTLObjectPtr> successes_;
    std::map<std::string, std::shared_ptr<GTLErrorObject>> failures_;
};

}  // namespace google
