#pragma once

// One call of a JSON-RPC method: its name, its parameters (a JSON dictionary
// that query classes fill through typed properties), an optional resource
// sent as the body, an optional upload and per-call options.

#include "components/google/GTLObject.h"
#include "components/google/GTLUploadParameters.h"
#include "platform/foundation/Error.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace google {

class GTLServiceTicket;
using GTLServiceTicketPtr = std::shared_ptr<GTLServiceTicket>;
class GTLQuery;
using GTLQueryPtr = std::shared_ptr<GTLQuery>;

using GTLServiceCompletionHandler = std::function<void(const GTLServiceTicketPtr& ticket, const GTLObjectPtr& object,
                                                       const std::optional<foundation::Error>& error)>;
// Answers a call instead of the network: the test hands the ticket's result
// to the response block.
using GTLQueryResponseBlock = std::function<void(GTLObjectPtr object, std::optional<foundation::Error> error)>;
using GTLQueryTestBlock = std::function<void(const GTLServiceTicketPtr& ticket, GTLQueryResponseBlock response)>;
using GTLStringMap = std::map<std::string, std::string>;

// What single and batch queries share.
class GTLQueryProtocol {
public:
    virtual ~GTLQueryProtocol() = default;
    virtual bool isBatchQuery() const = 0;
    virtual bool shouldSkipAuthorization() const = 0;
    // Drops the completion and test blocks when the call ends, so they
    // cannot keep the objects they hold alive.
    virtual void executionDidStop() = 0;
    virtual const GTLStringMap& additionalHTTPHeaders() const = 0;
    virtual const GTLStringMap& urlQueryParameters() const = 0;
    virtual GTLUploadParametersPtr uploadParameters() const = 0;
    virtual std::shared_ptr<GTLQueryProtocol> copyQuery() const = 0;
    virtual std::string description() const = 0;
};

class GTLQuery : public GTLRuntimeCommon, public GTLQueryProtocol, public std::enable_shared_from_this<GTLQuery> {
public:
    static const GTLClassInfo& classInfo();
    const GTLClassInfo& objectClass() const override { return classInfo(); }

    // A query with a fresh request ID; none for an empty method name.
    static GTLQueryPtr queryWithMethodName(const std::string& methodName);
    // "gtl_1", "gtl_2", ... for the process.
    static std::string nextRequestID();

    explicit GTLQuery(std::string methodName) : methodName_(std::move(methodName)) {}

    const std::string& methodName() const { return methodName_; }
    // The parameters: a dictionary, or null before the first one.
    const Value& JSON() const { return JSON_; }
    void setJSON(Value json);
    // Sets a parameter by its JSON name; none removes it.
    void setCustomParameter(std::optional<Value> value, std::string_view key) { setJSONValue(key, std::move(value)); }

    const GTLObjectPtr& bodyObject() const { return bodyObject_; }
    void setBodyObject(GTLObjectPtr object) { bodyObject_ = std::move(object); }
    const std::string& requestID() const { return requestID_; }
    void setRequestID(std::string requestID) { requestID_ = std::move(requestID); }
    GTLUploadParametersPtr uploadParameters() const override { return uploadParameters_; }
    void setUploadParameters(const GTLUploadParametersPtr& parameters) {
        uploadParameters_ = parameters ? parameters->copy() : nullptr;
    }
    const GTLStringMap& urlQueryParameters() const override { return urlQueryParameters_; }
    void setURLQueryParameters(GTLStringMap parameters) { urlQueryParameters_ = std::move(parameters); }
    const GTLStringMap& additionalHTTPHeaders() const override { return additionalHTTPHeaders_; }
    void setAdditionalHTTPHeaders(GTLStringMap headers) { additionalHTTPHeaders_ = std::move(headers); }
    const GTLClassInfo* expectedObjectClass() const { return expectedObjectClass_; }
    void setExpectedObjectClass(const GTLClassInfo* objectClass) { expectedObjectClass_ = objectClass; }
    bool shouldSkipAuthorization() const override { return shouldSkipAuthorization_; }
    void setShouldSkipAuthorization(bool skip) { shouldSkipAuthorization_ = skip; }
    const GTLServiceCompletionHandler& completionBlock() const { return completionBlock_; }
    void setCompletionBlock(GTLServiceCompletionHandler block) { completionBlock_ = std::move(block); }
    const GTLQueryTestBlock& testBlock() const { return testBlock_; }
    void setTestBlock(GTLQueryTestBlock block) { testBlock_ = std::move(block); }

    bool isBatchQuery() const override { return false; }
    void executionDidStop() override;

    // Same class, method and request ID, a deep copy of the parameters, and
    // the same body, upload, options and blocks.
    GTLQueryPtr copy() const;
    std::shared_ptr<GTLQueryProtocol> copyQuery() const override { return copy(); }
    std::string description() const override;

protected:
    // An empty query of the receiver's own class (copies keep the class).
    virtual GTLQueryPtr makeQuery(std::string methodName) const { return std::make_shared<GTLQuery>(methodName); }

    // For subclasses' constructors: a query of class Q with a fresh request ID.
    template <class Q>
    static std::shared_ptr<Q> makeWithMethodName(const std::string& methodName) {
        if (methodName.empty()) return nullptr;
        auto query = std::make_shared<Q>(methodName);
        query->setRequestID(nextRequestID());
        return query;
    }

private:
    std::string methodName_;
    GTLObjectPtr bodyObject_;
    std::string requestID_;
    GTLUploadParametersPtr uploadParameters_;
    GTLStringMap urlQueryParameters_;
    GTLStringMap additionalHTTPHeaders_;
    const GTLClassInfo* expectedObjectClass_ = nullptr;
    bool shouldSkipAuthorization_ = false;
    GTLServiceCompletionHandler completionBlock_;
    GTLQueryTestBlock testBlock_;
};

// List methods page with a token or a start index.
class GTLQueryCollectionImpl : public GTLQuery {
public:
    static const GTLClassInfo& classInfo();
    const GTLClassInfo& objectClass() const override { return classInfo(); }
    using GTLQuery::GTLQuery;

    GTL_STRING_PROPERTY(pageToken, PageToken, "pageToken")
    GTL_NUMBER_PROPERTY(startIndex, StartIndex, "startIndex")

protected:
    GTLQueryPtr makeQuery(std::string methodName) const override {
        return std::make_shared<GTLQueryCollectionImpl>(methodName);
    }
};

}  // namespace google
