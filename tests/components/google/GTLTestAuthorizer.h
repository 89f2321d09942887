#pragma once

// Signs every request with a fixed bearer token, a run-loop turn later, as
// an authorizer that already holds a valid token does.

#include "components/google/GTMHTTPFetcherProtocols.h"
#include "platform/foundation/RunLoop.h"

#include <string>

namespace gtltest {

class BearerAuthorizer : public google::GTMFetcherAuthorizationProtocol {
public:
    explicit BearerAuthorizer(std::string token) : token_(std::move(token)) {}

    void authorizeRequest(const RequestPtr& request, AuthorizationHandler handler) override {
        request->setValue("Bearer " + token_, "Authorization");
        foundation::RunLoop::main().post([request, handler] { handler(request, std::nullopt); });
    }
    void stopAuthorization() override {}
    void stopAuthorizationForRequest(const RequestPtr&) override {}
    bool isAuthorizingRequest(const RequestPtr&) const override { return false; }
    bool isAuthorizedRequest(const net::URLRequest& request) const override {
        return request.valueForHTTPHeaderField("Authorization").has_value();
    }
    std::string userEmail() const override { return "u@example.test"; }

protected:
    std::string token_;
};

}  // namespace gtltest
