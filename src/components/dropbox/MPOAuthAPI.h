#pragma once

// A general OAuth 1.0 client: a credential store, the service's base and
// authentication addresses, the token flow of its authentication method and
// signed requests against the service, asynchronous or synchronous.

#include "components/dropbox/MPOAuthAPIRequestLoader.h"
#include "components/dropbox/MPOAuthAuthenticationMethod.h"

#include <memory>
#include <vector>

class MPOAuthAPI {
public:
    enum SignatureScheme : int32_t { PLAINTEXT = 0, HMAC_SHA1 = 1, RSA_SHA1 = 2 };
    enum AuthenticationState : int32_t { NotAuthenticated = 0, Authenticated = 2 };

    // With `autoStart` it authenticates at once. `configuration` stands in
    // for the packaged resource's entry of the authentication address.
    MPOAuthAPI(MPOAuthCredentials credentials, std::string authenticationURL, std::string baseURL,
               bool autoStart = true, std::optional<foundation::Dictionary> configuration = std::nullopt);
    MPOAuthAPI(MPOAuthCredentials credentials, const std::string& baseURL)
        : MPOAuthAPI(std::move(credentials), baseURL, baseURL) {}
    ~MPOAuthAPI();
    MPOAuthAPI(const MPOAuthAPI&) = delete;
    MPOAuthAPI& operator=(const MPOAuthAPI&) = delete;

    void setSignatureScheme(SignatureScheme scheme);
    SignatureScheme signatureScheme() const { return signatureScheme_; }
    // Throws MPOAuthException without a consumer key.
    void authenticate();
    bool isAuthenticated() const { return authenticationState_ == Authenticated; }
    void setAuthenticationState(AuthenticationState state) { authenticationState_ = state; }

    // Asynchronous signed request of `method` resolved against `url` (or of
    // `url` itself, which then needs a path or a query).
    void performMethod(const std::optional<std::string>& method, const std::string& url,
                       const std::vector<MPURLRequestParameter>& parameters, MPOAuthLoaderTarget target,
                       const std::string& HTTPMethod = "GET");
    void performPOSTMethod(const std::optional<std::string>& method, const std::string& url,
                           const std::vector<MPURLRequestParameter>& parameters, MPOAuthLoaderTarget target) {
        performMethod(method, url, parameters, std::move(target), "POST");
    }
    void performMethod(const std::string& method, MPOAuthLoaderTarget target) {
        performMethod(method, baseURL_, {}, std::move(target));
    }
    void performURLRequest(const net::URLRequest& request, MPOAuthLoaderTarget target);

    // Synchronous signed GET; the body.
    foundation::Bytes dataForURL(const std::string& url, const std::string& method,
                                 const std::vector<MPURLRequestParameter>& parameters = {});
    foundation::Bytes dataForMethod(const std::string& method,
                                    const std::vector<MPURLRequestParameter>& parameters = {}) {
        return dataForURL(baseURL_, method, parameters);
    }

    std::optional<std::string> credentialNamed(const std::string& name) const {
        return credentials_->credentialNamed(name);
    }
    void setCredential(const std::string& value, const std::string& name) { credentials_->setCredential(value, name); }
    void removeCredentialNamed(const std::string& name) { credentials_->removeCredentialNamed(name); }
    void discardCredentials();

    const std::shared_ptr<MPOAuthCredentialConcreteStore>& credentials() const { return credentials_; }
    const std::string& baseURL() const { return baseURL_; }
    const std::string& authenticationURL() const { return authenticationURL_; }
    MPOAuthAuthenticationMethod& authenticationMethod() { return *authenticationMethod_; }
    size_t activeLoaderCount() const { return activeLoaders_.size(); }

    // `method` resolved against `url` as a relative reference.
    static std::string resolve(const std::string& url, const std::string& method);

private:
    void load(MPOAuthURLRequest request, MPOAuthLoaderTarget target);

    std::shared_ptr<MPOAuthCredentialConcreteStore> credentials_;
    std::string baseURL_;
    std::string authenticationURL_;
    std::unique_ptr<MPOAuthAuthenticationMethod> authenticationMethod_;
    SignatureScheme signatureScheme_ = HMAC_SHA1;
    std::vector<std::shared_ptr<MPOAuthAPIRequestLoader>> activeLoaders_;
    AuthenticationState authenticationState_ = NotAuthenticated;
};
