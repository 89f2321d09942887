#pragma once

// One OAuth 2 authorization: the client's credentials, the provider's token
// endpoint, the tokens with their expiry and the signed-in user's identity.
// It fetches tokens (code exchange, refresh, assertion grant) and signs the
// requests a fetcher hands it with "Authorization: Bearer <token>",
// refreshing first when the token is missing or expires within a minute and
// holding the requests that arrive while a refresh runs.
//
//     auto auth = GTMOAuth2Authentication::authenticationWithServiceProvider(
//         "Google", tokenURL, redirectURI, clientID, clientSecret);
//     auth->setKeysForResponseString(keychainText);   // restore
//     fetcher->setAuthorizer(auth);
//
// Tokens never appear in a description, a log or an error text.

#include "components/google/GTMHTTPFetcher.h"
#include "components/google/GTMHTTPFetcherProtocols.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <any>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace google {

inline constexpr const char* kGTMOAuth2ErrorDomain = "com.tollivar.google.OAuth2";

inline constexpr int64_t kGTMOAuth2ErrorWindowClosed = -1000;
inline constexpr int64_t kGTMOAuth2ErrorAuthorizationFailed = -1001;
inline constexpr int64_t kGTMOAuth2ErrorTokenUnavailable = -1003;
inline constexpr int64_t kGTMOAuth2ErrorUnauthorizableRequest = -1004;

inline constexpr const char* kGTMOAuth2FetchStarted = "kGTMOAuth2FetchStarted";
inline constexpr const char* kGTMOAuth2FetchStopped = "kGTMOAuth2FetchStopped";
inline constexpr const char* kGTMOAuth2RefreshTokenChanged = "kGTMOAuth2RefreshTokenChanged";
inline constexpr const char* kGTMOAuth2AccessTokenRefreshed = "kGTMOAuth2AccessTokenRefreshed";
inline constexpr const char* kGTMOAuth2AccessTokenRefreshFailed = "kGTMOAuth2AccessTokenRefreshFailed";
// User-info keys of the notifications.
inline constexpr const char* kGTMOAuth2FetcherKey = "fetcher";
inline constexpr const char* kGTMOAuth2FetchTypeKey = "FetchType";
inline constexpr const char* kGTMOAuth2ErrorObjectKey = "kGTMOAuth2ErrorObjectKey";
inline constexpr const char* kGTMOAuth2ErrorMessageKey = "error";
inline constexpr const char* kGTMOAuth2ErrorJSONKey = "json";
inline constexpr const char* kGTMOAuth2ErrorRequestKey = "request";

inline constexpr const char* kGTMOAuth2FetchTypeToken = "token";
inline constexpr const char* kGTMOAuth2FetchTypeRefresh = "refresh";
inline constexpr const char* kGTMOAuth2FetchTypeAssertion = "assertion";
inline constexpr const char* kGTMOAuth2FetchTypeUserInfo = "userInfo";

// The grant type of a signed assertion (JWT bearer) exchange.
inline constexpr const char* kGTMOAuth2AssertionGrantType = "http://oauth.net/grant_type/jwt/1.0/bearer";

class GTMOAuth2Authentication;
using GTMOAuth2AuthenticationPtr = std::shared_ptr<GTMOAuth2Authentication>;

// One request waiting to be authorized.
struct GTMOAuth2AuthorizationArgs {
    using RequestPtr = std::shared_ptr<net::URLRequest>;
    using Selector = std::function<void(GTMOAuth2Authentication& auth, const RequestPtr& request,
                                        const std::optional<foundation::Error>& error)>;
    using CompletionHandler = std::function<void(const std::optional<foundation::Error>& error)>;

    RequestPtr request;
    std::shared_ptr<void> delegate;
    Selector selector;
    CompletionHandler completionHandler;
    std::thread::id thread;
    std::optional<foundation::Error> error;

    static std::shared_ptr<GTMOAuth2AuthorizationArgs> argsWithRequest(RequestPtr request,
                                                                       std::shared_ptr<void> delegate,
                                                                       Selector selector,
                                                                       CompletionHandler completionHandler,
                                                                       std::thread::id thread);
};

class GTMOAuth2Authentication : public GTMFetcherAuthorizationProtocol,
                                public std::enable_shared_from_this<GTMOAuth2Authentication> {
public:
    using RequestPtr = std::shared_ptr<net::URLRequest>;
    using OptionalError = std::optional<foundation::Error>;
    using TokenFetchSelector =
        std::function<void(GTMOAuth2Authentication& auth, GTMHTTPFetcher& fetcher, const OptionalError& error)>;

    static GTMOAuth2AuthenticationPtr create();
    static GTMOAuth2AuthenticationPtr authenticationWithServiceProvider(const std::string& serviceProvider,
                                                                        const std::string& tokenURL,
                                                                        const std::string& redirectURI,
                                                                        const std::string& clientID,
                                                                        const std::string& clientSecret);

    // Credentials and endpoints.
    std::string clientID, clientSecret, redirectURI, tokenURL;
    // When set, requests carry the value of `parameters` under this key.
    std::optional<std::string> authorizationTokenKey;
    foundation::Dictionary additionalTokenRequestParameters;
    // Grant type → extra form fields for that grant.
    std::map<std::string, foundation::Dictionary> additionalGrantTypeRequestParameters;
    std::any userData;

    // The token state; the accessors below read and write its keys.
    foundation::Dictionary& parameters() { return parameters_; }
    const foundation::Dictionary& parameters() const { return parameters_; }

    std::optional<std::string> accessToken() const { return stringParameter("access_token"); }
    void setAccessToken(std::optional<std::string> value) { setStringParameter("access_token", std::move(value)); }
    std::optional<std::string> refreshToken() const { return stringParameter("refresh_token"); }
    void setRefreshToken(std::optional<std::string> value) { setStringParameter("refresh_token", std::move(value)); }
    std::optional<std::string> code() const { return stringParameter("code"); }
    void setCode(std::optional<std::string> value) { setStringParameter("code", std::move(value)); }
    std::optional<std::string> assertion() const { return stringParameter("assertion"); }
    void setAssertion(std::optional<std::string> value) { setStringParameter("assertion", std::move(value)); }
    std::optional<std::string> refreshScope() const { return stringParameter("refreshScope"); }
    void setRefreshScope(std::optional<std::string> value) { setStringParameter("refreshScope", std::move(value)); }
    std::optional<std::string> errorString() const { return stringParameter("error"); }
    void setErrorString(std::optional<std::string> value) { setStringParameter("error", std::move(value)); }
    std::optional<std::string> tokenType() const { return stringParameter("token_type"); }
    void setTokenType(std::optional<std::string> value) { setStringParameter("token_type", std::move(value)); }
    std::optional<std::string> scope() const { return stringParameter("scope"); }
    void setScope(std::optional<std::string> value) { setStringParameter("scope", std::move(value)); }
    std::optional<std::string> serviceProvider() const { return stringParameter("serviceProvider"); }
    void setServiceProvider(std::optional<std::string> value) {
        setStringParameter("serviceProvider", std::move(value));
    }
    std::optional<std::string> userID() const { return stringParameter("userID"); }
    void setUserID(std::optional<std::string> value) { setStringParameter("userID", std::move(value)); }
    std::optional<std::string> userEmailIfAny() const { return stringParameter("email"); }
    void setUserEmail(std::optional<std::string> value) { setStringParameter("email", std::move(value)); }
    std::optional<std::string> userEmailIsVerified() const { return stringParameter("isVerified"); }
    void setUserEmailIsVerified(std::optional<std::string> value) {
        setStringParameter("isVerified", std::move(value));
    }
    // Seconds; a string value is read as its integer. Setting it also
    // recomputes the expiration date.
    std::optional<int64_t> expiresIn() const;
    void setExpiresIn(std::optional<int64_t> seconds);
    std::optional<foundation::Date> expirationDate() const { return expirationDate_; }
    void setExpirationDate(std::optional<foundation::Date> date) { expirationDate_ = date; }
    std::optional<std::string> authorizationToken() const;

    // Merging a token response (form text, JSON object or dictionary).
    void setKeysForResponseDictionary(const std::optional<foundation::Dictionary>& dictionary);
    void setKeysForResponseString(const std::optional<std::string>& text);
    void setKeysForResponseJSONData(const foundation::Bytes& data);
    void setKeysForPersistenceResponseString(const std::optional<std::string>& text) { setKeysForResponseString(text); }
    // What the keychain keeps: the refresh token (or, without one, the
    // access token) and the identity, form-encoded.
    std::string persistenceResponseString() const;

    void reset();
    bool canAuthorize() const override;
    bool shouldRefreshAccessToken() const;
    bool respondsToPrimeForRefresh() const override { return true; }
    bool primeForRefresh() override;

    void setProperty(const std::string& key, std::any value);
    std::any propertyForKey(const std::string& key) const;

    // "GTMOAuth2Authentication 0x…: {accessToken="_snip_", …}": the set
    // fields among the tokens, code, assertion, expiry and error, tokens
    // snipped.
    std::string description() const;

    // Authorizing.
    void authorizeRequest(const RequestPtr& request, AuthorizationHandler handler) override;
    void authorizeRequestWithDelegate(const RequestPtr& request, std::shared_ptr<void> delegate,
                                      GTMOAuth2AuthorizationArgs::Selector selector);
    void authorizeRequestWithCompletionHandler(const RequestPtr& request,
                                               GTMOAuth2AuthorizationArgs::CompletionHandler handler);
    // With the current token, no refresh, no callback; true when the header
    // was set.
    bool authorizeRequest(net::URLRequest& request);
    bool isAuthorizingRequest(const RequestPtr& request) const override;
    bool isAuthorizedRequest(const net::URLRequest& request) const override;
    void stopAuthorization() override;
    void stopAuthorizationForRequest(const RequestPtr& request) override;
    std::string userEmail() const override { return userEmailIfAny().value_or(""); }
    bool shouldAuthorizeAllRequests() const override { return shouldAuthorizeAllRequests_; }
    void setShouldAuthorizeAllRequests(bool flag) override { shouldAuthorizeAllRequests_ = flag; }
    std::shared_ptr<GTMHTTPFetcherServiceProtocol> fetcherService() const override { return fetcherService_.lock(); }
    void setFetcherService(const std::shared_ptr<GTMHTTPFetcherServiceProtocol>& service) override {
        fetcherService_ = service;
    }
    void waitForCompletionWithTimeout(double seconds);
    std::shared_ptr<GTMHTTPFetcher> refreshFetcher() const;

    // Token fetch: null when there is nothing to exchange. The selector runs
    // with (this, the fetcher, the error) when the fetch ends.
    std::shared_ptr<GTMHTTPFetcher> beginTokenFetchWithDelegate(std::shared_ptr<void> delegate,
                                                                TokenFetchSelector selector);
    static std::string userAgent();

    // A new fetcher for `request`: from the fetcher service when there is
    // one (its authorizer cleared), else a plain one. Local addresses are
    // allowed, so a provider on this machine can be used.
    std::shared_ptr<GTMHTTPFetcher> fetcherForRequest(const net::URLRequest& request) const;
    // Posts kGTMOAuth2FetchStarted or kGTMOAuth2FetchStopped.
    void notifyFetchIsRunning(bool isStarting, const std::shared_ptr<GTMHTTPFetcher>& fetcher,
                              const std::optional<std::string>& type);

    // Form encoding.
    static std::optional<std::string> encodedOAuthValueForString(const std::optional<std::string>& text);
    static std::string encodedQueryParametersForDictionary(const foundation::Dictionary& dictionary);
    static std::optional<std::string> unencodedOAuthParameterForString(std::string_view text);
    static std::optional<foundation::Dictionary> dictionaryWithResponseString(const std::optional<std::string>& text);
    static std::optional<foundation::Dictionary> dictionaryWithResponseData(const foundation::Bytes& data);
    static std::optional<foundation::Dictionary> dictionaryWithJSONData(const foundation::Bytes& data);
    static std::string scopeWithStrings(const std::vector<std::string>& scopes);

    GTMOAuth2Authentication(const GTMOAuth2Authentication&) = delete;
    GTMOAuth2Authentication& operator=(const GTMOAuth2Authentication&) = delete;

protected:
    GTMOAuth2Authentication() = default;

private:
    using ArgsPtr = std::shared_ptr<GTMOAuth2AuthorizationArgs>;

    std::optional<std::string> stringParameter(std::string_view key) const;
    void setStringParameter(const std::string& key, std::optional<std::string> value);
    void updateExpirationDate();

    bool authorizeRequestArgs(const ArgsPtr& args);
    bool authorizeRequestImmediateArgs(const ArgsPtr& args);
    void invokeCallbackArgs(const ArgsPtr& args);
    void finishedRefresh(const OptionalError& error);
    void tokenFetcherFinished(GTMHTTPFetcher& fetcher, const foundation::Bytes& data, const OptionalError& error);

    foundation::Dictionary parameters_;
    std::optional<foundation::Date> expirationDate_;
    std::map<std::string, std::any> properties_;
    bool shouldAuthorizeAllRequests_ = false;
    std::weak_ptr<GTMHTTPFetcherServiceProtocol> fetcherService_;

    // Guards the queue and the refresh fetcher.
    mutable std::recursive_mutex queueMutex_;
    std::deque<ArgsPtr> authorizationQueue_;
    std::shared_ptr<GTMHTTPFetcher> refreshFetcher_;
};

}  // namespace google
