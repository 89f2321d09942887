#pragma once

// An OAuth 1.0 request: address, method and parameters, signed into a
// platform request; the signature parameter; and the holder of a response
// with the OAuth parameters read from it.

#include "components/dropbox/MPURLRequestParameter.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLRequest.h"

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A refusal of the OAuth code: `name` is the kind ("Unsupported Signature
// Method", "UnhandledHTTPMethodException", ...), what() the reason.
class MPOAuthException : public std::runtime_error {
public:
    MPOAuthException(std::string name, const std::string& reason)
        : std::runtime_error(reason), name_(std::move(name)) {}
    const std::string& name() const { return name_; }

private:
    std::string name_;
};

class MPOAuthURLRequest;

class MPOAuthSignatureParameter : public MPURLRequestParameter {
public:
    // "oauth_signature" over `text` (the sorted parameter string) with the
    // signing key: "HMAC-SHA1" or "PLAINTEXT"; any other method throws.
    MPOAuthSignatureParameter(const std::string& text, const std::string& secret, const MPOAuthURLRequest& request,
                              const std::string& method);

    // "METHOD&escaped address&escaped parameter text".
    static std::string signatureBaseStringUsingParameterString(const std::string& text,
                                                               const MPOAuthURLRequest& request);
    // The 20-byte HMAC-SHA1 of `text` under `secret`, in Base64 (28 characters).
    static std::string HMAC_SHA1SignatureForText(const std::string& text, const std::string& secret);
};

class MPOAuthURLRequest {
public:
    MPOAuthURLRequest(std::string url, std::vector<MPURLRequestParameter> parameters = {});
    // The request's address without its query, the query's parameters, its method.
    explicit MPOAuthURLRequest(const net::URLRequest& request);

    const std::string& url() const { return url_; }
    const std::string& HTTPMethod() const { return httpMethod_; }
    void setHTTPMethod(std::string method) { httpMethod_ = std::move(method); }
    const std::vector<MPURLRequestParameter>& parameters() const { return parameters_; }
    void setParameters(std::vector<MPURLRequestParameter> parameters) { parameters_ = std::move(parameters); }
    void addParameters(const std::vector<MPURLRequestParameter>& parameters);
    const std::optional<net::URLRequest>& urlRequest() const { return urlRequest_; }

    // Sorts the parameters, signs them and writes the platform request: GET
    // with the parameters and signature as query, POST as a form body. Other
    // methods, and GET without parameters, throw "UnhandledHTTPMethodException".
    net::URLRequest urlRequestSignedWithSecret(const std::string& secret, const std::string& method);

private:
    std::string url_;
    std::string httpMethod_ = "GET";
    std::optional<net::URLRequest> urlRequest_;
    std::vector<MPURLRequestParameter> parameters_;
};

class MPOAuthURLResponse {
public:
    const std::optional<net::HTTPURLResponse>& urlResponse() const { return urlResponse_; }
    void setUrlResponse(net::HTTPURLResponse response) { urlResponse_ = std::move(response); }
    const std::map<std::string, std::string>& oauthParameters() const { return oauthParameters_; }
    void setOauthParameters(std::map<std::string, std::string> parameters) { oauthParameters_ = std::move(parameters); }

private:
    std::optional<net::HTTPURLResponse> urlResponse_;
    std::map<std::string, std::string> oauthParameters_;
};
