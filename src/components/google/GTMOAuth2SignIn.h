#pragma once

// The OAuth 2 authorization-code flow of an installed application, without
// a window of its own: it builds the authorization request and asks its
// delegate (the sign-in screen) to show it, watches the pages the screen
// reports (redirects, titles, load failures) for the code, exchanges the
// code for tokens, fetches the user's identity, and calls the finish
// callback exactly once. While the page is shown it watches the provider's
// host and announces a lost and a regained network.
//
// The provider's addresses are configuration (setProvider); by default they
// are Google's.

#include "components/google/GTMOAuth2Authentication.h"
#include "platform/foundation/Timer.h"
#include "platform/net/ReachabilityTarget.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace google {

inline constexpr const char* kGTMOAuth2UserSignedIn = "kGTMOAuth2UserSignedIn";
inline constexpr const char* kGTMOAuthNetworkLost = "kGTMOAuthNetworkLost";
inline constexpr const char* kGTMOAuthNetworkFound = "kGTMOAuthNetworkFound";

// Where the provider's pages and endpoints live.
struct GTMOAuth2Provider {
    // Scheme, host and port (no path) of the sign-in pages and the token,
    // revocation endpoints, and of the API host (user info, scopes).
    std::string accountsBaseURL = "https://accounts.google.com";
    std::string apiBaseURL = "https://www.googleapis.com";
    // An authorization page on a host ending so is the provider's own, and
    // the flow asks it for the user's e-mail.
    std::string domainSuffix = "google.com";
};

// A PKCE verifier with its S256 challenge and a state value, each 43
// characters of the URL-safe alphabet.
struct GTMOAuth2PKCE {
    std::string codeVerifier;
    std::string codeChallenge;
    std::string state;

    static GTMOAuth2PKCE create();
    static std::string challengeForVerifier(const std::string& verifier);
};

class GTMOAuth2SignIn : public std::enable_shared_from_this<GTMOAuth2SignIn> {
public:
    using OptionalError = std::optional<foundation::Error>;
    // Show this request; none means close the page.
    using WebRequestSelector =
        std::function<void(GTMOAuth2SignIn& signIn, const std::optional<net::URLRequest>& request)>;
    using FinishedSelector = std::function<void(GTMOAuth2SignIn& signIn, const GTMOAuth2AuthenticationPtr& auth,
                                                const OptionalError& error)>;

    static std::shared_ptr<GTMOAuth2SignIn> create(GTMOAuth2AuthenticationPtr authentication,
                                                   std::string authorizationURL, std::shared_ptr<void> delegate,
                                                   WebRequestSelector webRequestSelector,
                                                   FinishedSelector finishedSelector);
    ~GTMOAuth2SignIn();

    // Provider endpoints.
    static void setProvider(GTMOAuth2Provider provider);
    static GTMOAuth2Provider provider();
    static std::string googleAuthorizationURL();
    static std::string googleTokenURL();
    static std::string googleRevocationURL();
    static std::string googleUserInfoURL();
    static std::string googleUserEmailScope();
    static std::string googleUserProfileScope();
    static std::string youTubeScope();
    static const char* nativeClientRedirectURI() { return "urn:ietf:wg:oauth:2.0:oob"; }

    static GTMOAuth2AuthenticationPtr standardGoogleAuthenticationForScope(const std::optional<std::string>& scope,
                                                                           const std::string& clientID,
                                                                           const std::string& clientSecret);

    const GTMOAuth2AuthenticationPtr& authentication() const { return authentication_; }
    const std::string& authorizationURL() const { return authorizationURL_; }
    foundation::Dictionary additionalAuthorizationParameters;
    bool shouldFetchGoogleUserEmail = false;
    bool shouldFetchGoogleUserProfile = false;
    double networkLossTimeoutInterval = 30.0;
    std::any userData;
    bool hasHandledCallback() const { return hasHandledCallback_; }
    bool hasNotifiedNetworkLoss() const { return hasNotifiedNetworkLoss_; }
    const std::shared_ptr<GTMHTTPFetcher>& pendingFetcher() const { return pendingFetcher_; }
    const std::optional<foundation::Dictionary>& userProfile() const { return userProfile_; }
    bool isWatchingReachability() const { return reachability_ != nullptr; }

    // Always true: shows the page and starts the network watch.
    bool startSigningIn();
    // No finish callback follows.
    void cancelSigningIn();

    // Page events from the screen.
    bool requestRedirectedToRequest(const net::URLRequest& request);
    bool titleChanged(const std::string& title);
    bool loadFailedWithError(const foundation::Error& error, const std::optional<std::string>& failingURL);
    bool cookiesChanged() { return false; }
    void windowWasClosed();

    // The reachability callback: the host counts as reachable when the
    // reachable flag is set and the connection-required flag clear.
    void reachabilityFlagsChanged(uint32_t flags);

    static void revokeTokenForGoogleAuthentication(const GTMOAuth2AuthenticationPtr& auth);
    static std::shared_ptr<GTMHTTPFetcher> userInfoFetcherWithAuth(const GTMOAuth2AuthenticationPtr& auth);
    static std::optional<foundation::Bytes> decodeWebSafeBase64(const std::string& text);
    static std::string encodeWebSafeBase64(std::string_view bytes);
    static net::URLRequest mutableURLRequestWithURL(const std::string& url, const std::string& paramString);

    GTMOAuth2SignIn(const GTMOAuth2SignIn&) = delete;
    GTMOAuth2SignIn& operator=(const GTMOAuth2SignIn&) = delete;

private:
    GTMOAuth2SignIn() = default;

    void addScopeForGoogleUserInfo();
    std::string parametersForWebRequest() const;
    void startWebRequest();
    void authCodeObtained();
    void tokenExchangeFinished(const OptionalError& error);
    void fetchGoogleUserInfo();
    void infoFetchFinished(const foundation::Bytes& data, const OptionalError& error);
    bool updateGoogleUserInfoWithData(const foundation::Bytes& data);
    void closeTheWindow();
    void startReachabilityCheck();
    void stopReachabilityCheck();
    void finishSignInWithError(const OptionalError& error);

    GTMOAuth2AuthenticationPtr authentication_;
    std::string authorizationURL_;
    std::shared_ptr<void> delegate_;
    WebRequestSelector webRequestSelector_;
    FinishedSelector finishedSelector_;
    bool hasHandledCallback_ = false;
    bool hasNotifiedNetworkLoss_ = false;
    std::shared_ptr<GTMHTTPFetcher> pendingFetcher_;
    std::optional<foundation::Dictionary> userProfile_;
    std::unique_ptr<net::ReachabilityTarget> reachability_;
    foundation::TimerHandle networkLossTimer_;
};

}  // namespace google
