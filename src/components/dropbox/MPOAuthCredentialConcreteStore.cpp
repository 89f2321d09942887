#include "components/dropbox/MPOAuthCredentialConcreteStore.h"

#include "components/dropbox/MPURLEscapingAdditions.h"
#include "platform/foundation/Uuid.h"
#include "platform/security/Keychain.h"

#include <chrono>

namespace {

security::KeychainQuery mirrorQuery(const std::string& baseURL, const std::string& authenticationURL,
                                    const std::string& name) {
    return {security::KeychainItemClass::InternetPassword,
            {{security::kKeychainSecurityDomain, MPURLParameterAdditions::hostOf(authenticationURL)},
             {security::kKeychainServer, MPURLParameterAdditions::hostOf(baseURL)},
             {security::kKeychainAccount, name},
             {security::kKeychainItemType, "oaut"}}};
}

}  // namespace

MPOAuthCredentialConcreteStore::MPOAuthCredentialConcreteStore(MPOAuthCredentials credentials, std::string baseURL,
                                                               std::optional<std::string> authenticationURL)
    : store_(std::move(credentials)),
      baseURL_(std::move(baseURL)),
      authenticationURL_(authenticationURL ? std::move(*authenticationURL) : baseURL_) {}

std::string MPOAuthCredentialConcreteStore::valueOr(const char* name) const {
    auto found = store_.find(name);
    return found == store_.end() ? std::string() : found->second;
}

std::optional<std::string> MPOAuthCredentialConcreteStore::credentialNamed(const std::string& name) const {
    auto found = store_.find(name);
    if (found == store_.end()) return std::nullopt;
    return found->second;
}

void MPOAuthCredentialConcreteStore::setCredential(const std::string& value, const std::string& name) {
    store_[name] = value;
    addToKeychainUsingName(name, value);
}

void MPOAuthCredentialConcreteStore::removeCredentialNamed(const std::string& name) {
    store_.erase(name);
    removeValueFromKeychainUsingName(name);
}

void MPOAuthCredentialConcreteStore::setCredentialOrRemove(const std::optional<std::string>& value,
                                                           const std::string& name) {
    if (value)
        setCredential(*value, name);
    else
        removeCredentialNamed(name);
}

void MPOAuthCredentialConcreteStore::discardOAuthCredentials() {
    setRequestToken(std::nullopt);
    setRequestTokenSecret(std::nullopt);
    setAccessToken(std::nullopt);
    setAccessTokenSecret(std::nullopt);
    setSessionHandle(std::nullopt);
}

std::string MPOAuthCredentialConcreteStore::tokenSecret() const {
    if (accessToken()) return accessTokenSecret().value_or("");
    if (requestToken()) return requestTokenSecret().value_or("");
    return {};
}

std::string MPOAuthCredentialConcreteStore::signingKey() const {
    return MPURLEscapingAdditions::stringByAddingURIPercentEscapes(consumerSecret()) + "&" +
           MPURLEscapingAdditions::stringByAddingURIPercentEscapes(tokenSecret());
}

std::string MPOAuthCredentialConcreteStore::timestamp() {
    using namespace std::chrono;
    int64_t seconds = duration_cast<std::chrono::seconds>(system_clock::now().time_since_epoch()).count();
    return std::to_string(seconds);
}

MPURLRequestParameter MPOAuthCredentialConcreteStore::oauthConsumerKeyParameter() const {
    return {"oauth_consumer_key", consumerKey()};
}

std::optional<MPURLRequestParameter> MPOAuthCredentialConcreteStore::oauthTokenParameter() const {
    if (auto token = accessToken()) return MPURLRequestParameter("oauth_token", *token);
    if (auto token = requestToken()) return MPURLRequestParameter("oauth_token", *token);
    return std::nullopt;
}

MPURLRequestParameter MPOAuthCredentialConcreteStore::oauthSignatureMethodParameter() const {
    return {"oauth_signature_method", signatureMethod()};
}

MPURLRequestParameter MPOAuthCredentialConcreteStore::oauthTimestampParameter() const {
    return {"oauth_timestamp", timestamp()};
}

MPURLRequestParameter MPOAuthCredentialConcreteStore::oauthNonceParameter() const {
    return {"oauth_nonce", foundation::makeUuidString()};
}

MPURLRequestParameter MPOAuthCredentialConcreteStore::oauthVersionParameter() const {
    return versionParameter_ ? *versionParameter_ : MPURLRequestParameter("oauth_version", "1.0");
}

std::vector<MPURLRequestParameter> MPOAuthCredentialConcreteStore::oauthParameters() const {
    std::vector<MPURLRequestParameter> parameters{oauthConsumerKeyParameter()};
    if (auto token = oauthTokenParameter()) parameters.push_back(*token);
    parameters.push_back(oauthSignatureMethodParameter());
    parameters.push_back(oauthTimestampParameter());
    parameters.push_back(oauthNonceParameter());
    parameters.push_back(oauthVersionParameter());
    return parameters;
}

bool MPOAuthCredentialConcreteStore::mirrors() const {
    return !MPURLParameterAdditions::hostOf(baseURL_).empty() &&
           !MPURLParameterAdditions::hostOf(authenticationURL_).empty();
}

void MPOAuthCredentialConcreteStore::addToKeychainUsingName(const std::string& name, const std::string& value) const {
    if (!mirrors()) return;
    security::Keychain::standard().set(mirrorQuery(baseURL_, authenticationURL_, name),
                                       foundation::Bytes(value.begin(), value.end()));
}

std::optional<std::string> MPOAuthCredentialConcreteStore::findValueFromKeychainUsingName(
    const std::string& name) const {
    if (!mirrors()) return std::nullopt;
    foundation::Bytes data;
    if (security::Keychain::standard().find(mirrorQuery(baseURL_, authenticationURL_, name), &data) !=
        security::kKeychainSuccess)
        return std::nullopt;
    return std::string(data.begin(), data.end());
}

void MPOAuthCredentialConcreteStore::removeValueFromKeychainUsingName(const std::string& name) const {
    if (!mirrors()) return;
    security::Keychain::standard().remove(mirrorQuery(baseURL_, authenticationURL_, name));
}
