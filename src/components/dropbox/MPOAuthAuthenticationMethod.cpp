#include "components/dropbox/MPOAuthAuthenticationMethod.h"

#include "components/dropbox/DBConfiguration.h"
#include "components/dropbox/MPOAuthAPI.h"
#include "components/dropbox/MPURLEscapingAdditions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/WallClock.h"

namespace {

constexpr const char* kOAuthMethodClass = "MPOAuthAuthenticationMethodOAuth";

std::optional<foundation::Dictionary>& resourceOverride() {
    static std::optional<foundation::Dictionary> resource;
    return resource;
}

foundation::Dictionary configurationResource() {
    if (resourceOverride()) return *resourceOverride();
    auto path = foundation::Bundle::main().pathForResource("oauthAutoConfig", "plist");
    if (!path) return {};
    auto read = foundation::plist::readFile(*path);
    return read.ok() ? read.value().asDictionary() : foundation::Dictionary{};
}

std::optional<std::string> parameter(const foundation::Notification& notification, const char* name) {
    return notification.userInfo.get(name).stringValue();
}

}  // namespace

MPOAuthAuthenticationMethod::~MPOAuthAuthenticationMethod() {
    if (refreshTimer_) refreshTimer_->invalidate();
}

void MPOAuthAuthenticationMethod::setConfigurationResource(std::optional<foundation::Dictionary> resource) {
    resourceOverride() = std::move(resource);
}

std::string MPOAuthAuthenticationMethod::_authorizationMethodClassForURL(
    const std::string& url, std::optional<foundation::Dictionary>& configuration) {
    for (const auto& [domain, entryValue] : configurationResource()) {
        if (!MPURLParameterAdditions::domainMatches(url, domain)) continue;
        foundation::Dictionary entry = entryValue.asDictionary();
        foundation::Array preferred = entry.get("MPOAuthAuthenticationPreferredMethods").asArray();
        if (preferred.size() == 0) {
            configuration = entry;
            return kOAuthMethodClass;
        }
        const std::string& name = preferred[0].asString();
        configuration = entry.get(name).asDictionary();
        // The OAuth method is the only class there is.
        return kOAuthMethodClass;
    }
    configuration.reset();
    return kOAuthMethodClass;
}

std::unique_ptr<MPOAuthAuthenticationMethod> MPOAuthAuthenticationMethod::create(
    MPOAuthAPI& api, const std::string& url, std::optional<foundation::Dictionary> configuration) {
    if (!configuration) _authorizationMethodClassForURL(url, configuration);
    return std::make_unique<MPOAuthAuthenticationMethodOAuth>(api, url,
                                                              configuration.value_or(foundation::Dictionary{}));
}

void MPOAuthAuthenticationMethod::authenticate() {
    throw MPOAuthException("Not Implemented",
                           "All subclasses of MPOAuthAuthenticationMethod are required to implement -authenticate");
}

void MPOAuthAuthenticationMethod::setTokenRefreshInterval(double seconds) {
    if (refreshTimer_ || seconds <= 0) return;
    refreshTimer_ =
        foundation::RunLoop::main().scheduleTimer(seconds, true, [this](foundation::Timer&) { refreshAccessToken(); });
}

void MPOAuthAuthenticationMethod::refreshAccessToken() {
    if (accessTokenURL_.empty()) return;
    std::vector<MPURLRequestParameter> parameters;
    if (auto handle = api_.credentials()->sessionHandle()) parameters.emplace_back("oauth_session_handle", *handle);
    api_.performMethod(std::nullopt, accessTokenURL_, parameters, {});
}

MPOAuthAuthenticationMethodOAuth::MPOAuthAuthenticationMethodOAuth(MPOAuthAPI& api, std::string url,
                                                                   const foundation::Dictionary& configuration)
    : MPOAuthAuthenticationMethod(api, std::move(url)) {
    if (configuration.size() < 3)
        throw MPOAuthException("NSInternalInconsistencyException", "Incorrect number of oauth authorization methods");
    requestTokenURL_ = configuration.get("MPOAuthRequestTokenURL").asString();
    authorizeTokenURL_ = configuration.get("MPOAuthUserAuthorizationURL").asString();
    accessTokenURL_ = configuration.get("MPOAuthAccessTokenURL").asString();
    auto& center = foundation::NotificationCenter::defaultCenter();
    requestTokenReceivedObserver_ = center.addObserver(
        MPOAuthNotificationRequestTokenReceived, nullptr,
        [this](const foundation::Notification& notification) { requestTokenReceived(notification); });
    // A rejected request token needs nothing here: the loader has cleared it.
    requestTokenRejectedObserver_ =
        center.addObserver(MPOAuthNotificationRequestTokenRejected, nullptr, [](const foundation::Notification&) {});
    accessTokenReceivedObserver_ =
        center.addObserver(MPOAuthNotificationAccessTokenReceived, nullptr,
                           [this](const foundation::Notification& notification) { accessTokenReceived(notification); });
}

void MPOAuthAuthenticationMethodOAuth::authenticate() {
    auto& store = *api_.credentials();
    const bool hasAccess = store.accessToken().has_value();
    const bool hasRequest = store.requestToken().has_value();
    if (!hasAccess && !hasRequest) {
        requestRequestToken();
    } else if (hasAccess) {
        foundation::Value expiry =
            foundation::UserDefaults::standard().objectForKey(MPOAuthTokenRefreshDateDefaultsKey);
        if (expiry.isNumber() && expiry.asDouble() < foundation::wallClockNow().sinceReferenceDate)
            refreshAccessToken();
    } else {
        requestAccessToken();
    }
}

void MPOAuthAuthenticationMethodOAuth::requestRequestToken() {
    if (requestTokenURL_.empty()) return;
    std::optional<std::string> callback =
        delegate_ ? delegate_->callbackURLForCompletedUserAuthorization() : std::nullopt;
    MPOAuthLoaderTarget target;
    target.internalAction = [this](MPOAuthAPIRequestLoader& loader, const foundation::Bytes&) {
        requestTokenLoaded(loader);
    };
    target.didFailWithError = [this](MPOAuthAPIRequestLoader& loader, const foundation::Error& error) {
        loaderDidFailWithError(loader, error);
    };
    api_.performMethod(std::nullopt, requestTokenURL_, {{"oauth_callback", callback.value_or("oob")}},
                       std::move(target));
}

void MPOAuthAuthenticationMethodOAuth::requestTokenLoaded(MPOAuthAPIRequestLoader& loader) {
    const auto& parameters = loader.oauthResponse().oauthParameters();
    // An answer without a token (an error page, a refused redirect) leaves
    // nothing for the user to authorize.
    if (!parameters.contains("oauth_token")) return;
    auto found = parameters.find("xoauth_request_auth_url");
    std::string address = found != parameters.end() ? found->second : authorizeTokenURL_;
    std::optional<std::string> callback;
    if (!oauth10aModeActive_ && delegate_) callback = delegate_->callbackURLForCompletedUserAuthorization();
    std::map<std::string, std::string> added;
    added["oauth_token"] = parameters.at("oauth_token");
    if (callback) added["oauth_callback"] = *callback;
    address = MPURLParameterAdditions::urlByAddingParameterDictionary(address, added);
    if (delegate_) {
        auto automatic = delegate_->automaticallyRequestAuthenticationFromURL(address, callback);
        if (automatic && !*automatic) return;
    }
    DBConfiguration::current().openURL(address);
}

void MPOAuthAuthenticationMethodOAuth::requestAccessToken() {
    if (accessTokenURL_.empty()) return;
    std::vector<MPURLRequestParameter> parameters;
    if (delegate_) {
        if (auto verifier = delegate_->oauthVerifierForCompletedUserAuthorization())
            parameters.emplace_back("oauth_verifier", *verifier);
    }
    MPOAuthLoaderTarget target;
    target.didFailWithError = [this](MPOAuthAPIRequestLoader& loader, const foundation::Error& error) {
        loaderDidFailWithError(loader, error);
    };
    api_.performMethod(std::nullopt, accessTokenURL_, parameters, std::move(target));
}

void MPOAuthAuthenticationMethodOAuth::loaderDidFailWithError(MPOAuthAPIRequestLoader&,
                                                              const foundation::Error& error) {
    if (delegate_) delegate_->authenticationDidFailWithError(error);
}

void MPOAuthAuthenticationMethodOAuth::requestTokenReceived(const foundation::Notification& notification) {
    if (notification.userInfo.contains("oauth_callback_confirmed")) oauth10aModeActive_ = true;
    auto& store = *api_.credentials();
    if (auto token = parameter(notification, "oauth_token"))
        store.setCredential(*token, kMPOAuthCredentialRequestToken);
    if (auto secret = parameter(notification, "oauth_token_secret"))
        store.setCredential(*secret, kMPOAuthCredentialRequestTokenSecret);
}

void MPOAuthAuthenticationMethodOAuth::accessTokenReceived(const foundation::Notification& notification) {
    auto& store = *api_.credentials();
    if (auto token = parameter(notification, "oauth_token")) store.setCredential(*token, kMPOAuthCredentialAccessToken);
    if (auto secret = parameter(notification, "oauth_token_secret"))
        store.setCredential(*secret, kMPOAuthCredentialAccessTokenSecret);
    if (auto handle = parameter(notification, "oauth_session_handle"))
        store.setCredential(*handle, kMPOAuthCredentialSessionHandle);
    api_.setAuthenticationState(MPOAuthAPI::Authenticated);
    auto& defaults = foundation::UserDefaults::standard();
    auto expiresIn = parameter(notification, "oauth_expires_in");
    if (!expiresIn) {
        defaults.removeObjectForKey(MPOAuthTokenRefreshDateDefaultsKey);
        return;
    }
    const int64_t seconds = foundation::Value(*expiresIn).asInt();
    defaults.setDouble(foundation::wallClockNow().sinceReferenceDate + double(seconds),
                       MPOAuthTokenRefreshDateDefaultsKey);
    if (seconds >= 1) setTokenRefreshInterval(double(seconds));
}
