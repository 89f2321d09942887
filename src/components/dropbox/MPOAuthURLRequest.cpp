#include "components/dropbox/MPOAuthURLRequest.h"

#include "components/dropbox/DBBase64.h"
#include "components/dropbox/MPURLEscapingAdditions.h"
#include "platform/security/Digest.h"

using MPURLEscapingAdditions::stringByAddingURIPercentEscapes;

MPOAuthSignatureParameter::MPOAuthSignatureParameter(const std::string& text, const std::string& secret,
                                                     const MPOAuthURLRequest& request, const std::string& method) {
    setName("oauth_signature");
    if (method == "HMAC-SHA1") {
        setValue(HMAC_SHA1SignatureForText(signatureBaseStringUsingParameterString(text, request), secret));
    } else if (method == "PLAINTEXT") {
        setValue(secret);
    } else {
        throw MPOAuthException("Unsupported Signature Method",
                               "The signature method \"" + method + "\" is not currently support by MPOAuthConnection");
    }
}

std::string MPOAuthSignatureParameter::signatureBaseStringUsingParameterString(const std::string& text,
                                                                               const MPOAuthURLRequest& request) {
    return request.HTTPMethod() + "&" +
           stringByAddingURIPercentEscapes(MPURLParameterAdditions::absoluteNormalizedString(request.url())) + "&" +
           stringByAddingURIPercentEscapes(text);
}

std::string MPOAuthSignatureParameter::HMAC_SHA1SignatureForText(const std::string& text, const std::string& secret) {
    security::SHA1Digest digest = security::hmacSHA1(secret, text);
    return base64EncodedString(digest.data(), digest.size());
}

MPOAuthURLRequest::MPOAuthURLRequest(std::string url, std::vector<MPURLRequestParameter> parameters)
    : url_(std::move(url)), parameters_(std::move(parameters)) {}

MPOAuthURLRequest::MPOAuthURLRequest(const net::URLRequest& request)
    : url_(MPURLParameterAdditions::urlByRemovingQuery(request.url)),
      httpMethod_(request.httpMethod),
      parameters_(MPURLRequestParameter::parametersFromString(MPURLParameterAdditions::queryOf(request.url))) {}

void MPOAuthURLRequest::addParameters(const std::vector<MPURLRequestParameter>& parameters) {
    parameters_.insert(parameters_.end(), parameters.begin(), parameters.end());
}

net::URLRequest MPOAuthURLRequest::urlRequestSignedWithSecret(const std::string& secret, const std::string& method) {
    const bool get = httpMethod_ == "GET" && !parameters_.empty();
    if (!get && httpMethod_ != "POST")
        throw MPOAuthException("UnhandledHTTPMethodException",
                               "The requested HTTP method, " + httpMethod_ + ", is not supported");
    MPURLRequestParameter::sortParameters(parameters_);
    std::string text = MPURLRequestParameter::parameterStringForParameters(parameters_);
    MPOAuthSignatureParameter signature(text, secret, *this, method);
    text += (text.empty() ? "" : "&") + signature.URLEncodedParameterString();

    net::URLRequest request(url_);
    request.httpMethod = httpMethod_;
    if (get) {
        request.url = url_ + "?" + text;
    } else {
        request.setHTTPBody(text);
        request.setValue(std::to_string(text.size()), "Content-Length");
        request.setValue("application/x-www-form-urlencoded", "Content-Type");
    }
    urlRequest_ = request;
    return request;
}
