#pragma once

// How an MPOAuthAPI obtains its tokens. The method is chosen per service
// from the packaged configuration "oauthAutoConfig.plist"; the OAuth 1.0
// three-legged flow is the one method there is.

#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Timer.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>

class MPOAuthAPI;
class MPOAuthAPIRequestLoader;

inline constexpr const char* MPOAuthTokenRefreshDateDefaultsKey = "MPOAuthAutomaticTokenRefreshLastExpiryDate";

class MPOAuthAuthenticationMethod {
public:
    virtual ~MPOAuthAuthenticationMethod();

    // The method configured for `url`, made for `api`; `configuration`
    // replaces the packaged resource's entry when given.
    static std::unique_ptr<MPOAuthAuthenticationMethod> create(MPOAuthAPI& api, const std::string& url,
                                                               std::optional<foundation::Dictionary> configuration);
    // The class name and configuration the packaged resource gives `url`.
    static std::string _authorizationMethodClassForURL(const std::string& url,
                                                       std::optional<foundation::Dictionary>& configuration);
    // Replaces the packaged resource (nullopt reads it again).
    static void setConfigurationResource(std::optional<foundation::Dictionary> resource);

    virtual void authenticate();
    // Starts a repeating refresh every `seconds` unless one runs already.
    void setTokenRefreshInterval(double seconds);
    void refreshAccessToken();

    MPOAuthAPI& oauthAPI() const { return api_; }
    const std::string& oauthGetAccessTokenURL() const { return accessTokenURL_; }
    void setOauthGetAccessTokenURL(std::string url) { accessTokenURL_ = std::move(url); }
    bool hasRefreshTimer() const { return refreshTimer_ != nullptr; }

protected:
    MPOAuthAuthenticationMethod(MPOAuthAPI& api, std::string url) : api_(api), url_(std::move(url)) {}

    MPOAuthAPI& api_;
    std::string url_;
    std::string accessTokenURL_;
    foundation::TimerHandle refreshTimer_;
};

class MPOAuthAuthenticationMethodOAuthDelegate {
public:
    virtual ~MPOAuthAuthenticationMethodOAuthDelegate() = default;
    // Each answer of none stands for a delegate that does not answer.
    virtual std::optional<std::string> callbackURLForCompletedUserAuthorization() { return std::nullopt; }
    // false: the delegate shows the authorization address itself.
    virtual std::optional<bool> automaticallyRequestAuthenticationFromURL(const std::string& url,
                                                                          const std::optional<std::string>& callback) {
        (void)url, (void)callback;
        return std::nullopt;
    }
    virtual std::optional<std::string> oauthVerifierForCompletedUserAuthorization() { return std::nullopt; }
    virtual void authenticationDidFailWithError(const foundation::Error&) {}
};

class MPOAuthAuthenticationMethodOAuth : public MPOAuthAuthenticationMethod {
public:
    // Throws MPOAuthException for a configuration of fewer than 3 entries.
    MPOAuthAuthenticationMethodOAuth(MPOAuthAPI& api, std::string url, const foundation::Dictionary& configuration);

    void authenticate() override;

    const std::string& oauthRequestTokenURL() const { return requestTokenURL_; }
    const std::string& oauthAuthorizeTokenURL() const { return authorizeTokenURL_; }
    bool oauth10aModeActive() const { return oauth10aModeActive_; }
    void setDelegate(MPOAuthAuthenticationMethodOAuthDelegate* delegate) { delegate_ = delegate; }

    void loaderDidFailWithError(MPOAuthAPIRequestLoader& loader, const foundation::Error& error);

private:
    void requestRequestToken();
    void requestAccessToken();
    void requestTokenLoaded(MPOAuthAPIRequestLoader& loader);
    void requestTokenReceived(const foundation::Notification& notification);
    void accessTokenReceived(const foundation::Notification& notification);

    std::string requestTokenURL_;
    std::string authorizeTokenURL_;
    bool oauth10aModeActive_ = false;
    MPOAuthAuthenticationMethodOAuthDelegate* delegate_ = nullptr;
    foundation::ObserverToken requestTokenReceivedObserver_;
    foundation::ObserverToken requestTokenRejectedObserver_;
    foundation::ObserverToken accessTokenReceivedObserver_;
};
