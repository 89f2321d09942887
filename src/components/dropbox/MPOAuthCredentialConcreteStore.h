#pragma once

// The OAuth 1.0 credentials of one client and user: consumer key and secret,
// request and access tokens with their secrets, the signature method. It
// makes the OAuth parameters of each request and the signing key.
//
// A store that knows its service's base and authentication addresses mirrors
// its named credentials into the keychain (internet-password items of type
// 'oaut'). A store without addresses keeps no mirror: its items would be
// shared by every store of every user.

#include "components/dropbox/MPURLRequestParameter.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* kMPOAuthCredentialConsumerKey = "kMPOAuthCredentialConsumerKey";
inline constexpr const char* kMPOAuthCredentialConsumerSecret = "kMPOAuthCredentialConsumerSecret";
inline constexpr const char* kMPOAuthCredentialUsername = "kMPOAuthCredentialUsername";
inline constexpr const char* kMPOAuthCredentialPassword = "kMPOAuthCredentialPassword";
inline constexpr const char* kMPOAuthCredentialRequestToken = "kMPOAuthCredentialRequestToken";
inline constexpr const char* kMPOAuthCredentialRequestTokenSecret = "kMPOAuthCredentialRequestTokenSecret";
inline constexpr const char* kMPOAuthCredentialAccessToken = "kMPOAuthCredentialAccessToken";
inline constexpr const char* kMPOAuthCredentialAccessTokenSecret = "kMPOAuthCredentialAccessTokenSecret";
inline constexpr const char* kMPOAuthCredentialSessionHandle = "kMPOAuthCredentialSessionHandle";
inline constexpr const char* kMPOAuthSignatureMethod = "kMPOAuthSignatureMethod";

using MPOAuthCredentials = std::map<std::string, std::string>;

class MPOAuthCredentialConcreteStore {
public:
    explicit MPOAuthCredentialConcreteStore(MPOAuthCredentials credentials, std::string baseURL = {},
                                            std::optional<std::string> authenticationURL = std::nullopt);

    std::optional<std::string> credentialNamed(const std::string& name) const;
    void setCredential(const std::string& value, const std::string& name);
    void removeCredentialNamed(const std::string& name);
    // A value is stored; none removes it (here and from the mirror).
    void setCredentialOrRemove(const std::optional<std::string>& value, const std::string& name);

    std::string consumerKey() const { return valueOr(kMPOAuthCredentialConsumerKey); }
    std::string consumerSecret() const { return valueOr(kMPOAuthCredentialConsumerSecret); }
    std::optional<std::string> username() const { return credentialNamed(kMPOAuthCredentialUsername); }
    std::optional<std::string> password() const { return credentialNamed(kMPOAuthCredentialPassword); }
    std::optional<std::string> requestToken() const { return credentialNamed(kMPOAuthCredentialRequestToken); }
    std::optional<std::string> requestTokenSecret() const {
        return credentialNamed(kMPOAuthCredentialRequestTokenSecret);
    }
    std::optional<std::string> accessToken() const { return credentialNamed(kMPOAuthCredentialAccessToken); }
    std::optional<std::string> accessTokenSecret() const {
        return credentialNamed(kMPOAuthCredentialAccessTokenSecret);
    }
    std::optional<std::string> sessionHandle() const { return credentialNamed(kMPOAuthCredentialSessionHandle); }
    std::string signatureMethod() const { return valueOr(kMPOAuthSignatureMethod); }

    void setRequestToken(const std::optional<std::string>& v) {
        setCredentialOrRemove(v, kMPOAuthCredentialRequestToken);
    }
    void setRequestTokenSecret(const std::optional<std::string>& v) {
        setCredentialOrRemove(v, kMPOAuthCredentialRequestTokenSecret);
    }
    void setAccessToken(const std::optional<std::string>& v) {
        setCredentialOrRemove(v, kMPOAuthCredentialAccessToken);
    }
    void setAccessTokenSecret(const std::optional<std::string>& v) {
        setCredentialOrRemove(v, kMPOAuthCredentialAccessTokenSecret);
    }
    void setSessionHandle(const std::optional<std::string>& v) {
        setCredentialOrRemove(v, kMPOAuthCredentialSessionHandle);
    }
    void setSignatureMethod(const std::string& method) { store_[kMPOAuthSignatureMethod] = method; }
    // Used instead of the default "oauth_version" parameter.
    void setVersionParameter(std::optional<MPURLRequestParameter> parameter) {
        versionParameter_ = std::move(parameter);
    }

    void discardOAuthCredentials();

    // The access token's secret when there is an access token, else the
    // request token's, else empty.
    std::string tokenSecret() const;
    // The escaped consumer secret and token secret joined by "&"; made on
    // each call and never kept.
    std::string signingKey() const;
    // Whole seconds since 1970 (64-bit, so it does not end in 2038).
    static std::string timestamp();

    // A fresh list per call: consumer key, token (when any), signature
    // method, timestamp, a new nonce, version.
    std::vector<MPURLRequestParameter> oauthParameters() const;
    MPURLRequestParameter oauthConsumerKeyParameter() const;
    std::optional<MPURLRequestParameter> oauthTokenParameter() const;
    MPURLRequestParameter oauthSignatureMethodParameter() const;
    MPURLRequestParameter oauthTimestampParameter() const;
    MPURLRequestParameter oauthNonceParameter() const;
    MPURLRequestParameter oauthVersionParameter() const;

    const MPOAuthCredentials& store() const { return store_; }
    const std::string& baseURL() const { return baseURL_; }
    const std::string& authenticationURL() const { return authenticationURL_; }
    void setBaseURL(std::string url) { baseURL_ = std::move(url); }
    void setAuthenticationURL(std::string url) { authenticationURL_ = std::move(url); }

    // The keychain mirror; all do nothing without addresses.
    void addToKeychainUsingName(const std::string& name, const std::string& value) const;
    std::optional<std::string> findValueFromKeychainUsingName(const std::string& name) const;
    void removeValueFromKeychainUsingName(const std::string& name) const;

private:
    std::string valueOr(const char* name) const;
    bool mirrors() const;

    MPOAuthCredentials store_;
    std::string baseURL_;
    std::string authenticationURL_;
    std::optional<MPURLRequestParameter> versionParameter_;
};
