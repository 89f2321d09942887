#include "components/google/GTMOAuth2SignIn.h"

#include "components/google/GTLJSONParser.h"
#include "components/google/GTMHTTPFetcherErrors.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/security/Digest.h"

#include <mutex>

namespace google {

using foundation::Dictionary;
using foundation::Value;

namespace {

std::mutex gProviderMutex;
GTMOAuth2Provider gProvider;

// The parts of an absolute address that the flow looks at.
struct URLParts {
    std::string scheme, host, port, path, query;
};

std::optional<URLParts> partsOf(const std::string& url) {
    size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos) return std::nullopt;
    URLParts parts;
    parts.scheme = url.substr(0, schemeEnd);
    size_t authorityStart = schemeEnd + 3;
    size_t authorityEnd = url.find_first_of("/?#", authorityStart);
    std::string authority = url.substr(authorityStart, authorityEnd - authorityStart);
    if (size_t at = authority.rfind('@'); at != std::string::npos) authority = authority.substr(at + 1);
    size_t colon = authority.rfind(':');
    if (colon != std::string::npos && authority.find(']', colon) == std::string::npos) {
        parts.port = authority.substr(colon + 1);
        authority = authority.substr(0, colon);
    }
    parts.host = authority;
    if (authorityEnd == std::string::npos) return parts;
    size_t fragment = url.find('#', authorityEnd);
    std::string rest =
        url.substr(authorityEnd, fragment == std::string::npos ? std::string::npos : fragment - authorityEnd);
    size_t question = rest.find('?');
    parts.path = rest.substr(0, question);
    if (question != std::string::npos) parts.query = rest.substr(question + 1);
    return parts;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool nonEmpty(const std::optional<std::string>& text) { return text && !text->empty(); }

}  // namespace

// PKCE.

GTMOAuth2PKCE GTMOAuth2PKCE::create() {
    GTMOAuth2PKCE pkce;
    pkce.codeVerifier = GTMOAuth2SignIn::encodeWebSafeBase64(security::randomBytes(32));
    pkce.codeChallenge = challengeForVerifier(pkce.codeVerifier);
    pkce.state = GTMOAuth2SignIn::encodeWebSafeBase64(security::randomBytes(32));
    return pkce;
}

std::string GTMOAuth2PKCE::challengeForVerifier(const std::string& verifier) {
    security::SHA256Digest digest = security::sha256(verifier);
    return GTMOAuth2SignIn::encodeWebSafeBase64(
        std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
}

// Provider.

void GTMOAuth2SignIn::setProvider(GTMOAuth2Provider provider) {
    std::lock_guard lock(gProviderMutex);
    gProvider = std::move(provider);
}

GTMOAuth2Provider GTMOAuth2SignIn::provider() {
    std::lock_guard lock(gProviderMutex);
    return gProvider;
}

std::string GTMOAuth2SignIn::googleAuthorizationURL() { return provider().accountsBaseURL + "/o/oauth2/auth"; }
std::string GTMOAuth2SignIn::googleTokenURL() { return provider().accountsBaseURL + "/o/oauth2/token"; }
std::string GTMOAuth2SignIn::googleRevocationURL() { return provider().accountsBaseURL + "/o/oauth2/revoke"; }
std::string GTMOAuth2SignIn::googleUserInfoURL() { return provider().apiBaseURL + "/oauth2/v3/userinfo"; }
std::string GTMOAuth2SignIn::googleUserEmailScope() { return provider().apiBaseURL + "/auth/userinfo.email"; }
std::string GTMOAuth2SignIn::googleUserProfileScope() { return provider().apiBaseURL + "/auth/userinfo.profile"; }
std::string GTMOAuth2SignIn::youTubeScope() { return provider().apiBaseURL + "/auth/youtube"; }

GTMOAuth2AuthenticationPtr GTMOAuth2SignIn::standardGoogleAuthenticationForScope(
    const std::optional<std::string>& scope, const std::string& clientID, const std::string& clientSecret) {
    auto auth = GTMOAuth2Authentication::authenticationWithServiceProvider(
        "Google", googleTokenURL(), nativeClientRedirectURI(), clientID, clientSecret);
    auth->setScope(scope);
    return auth;
}

// Life.

std::shared_ptr<GTMOAuth2SignIn> GTMOAuth2SignIn::create(GTMOAuth2AuthenticationPtr authentication,
                                                         std::string authorizationURL, std::shared_ptr<void> delegate,
                                                         WebRequestSelector webRequestSelector,
                                                         FinishedSelector finishedSelector) {
    std::shared_ptr<GTMOAuth2SignIn> signIn(new GTMOAuth2SignIn());
    signIn->authentication_ = std::move(authentication);
    signIn->authorizationURL_ = std::move(authorizationURL);
    signIn->delegate_ = std::move(delegate);
    signIn->webRequestSelector_ = std::move(webRequestSelector);
    signIn->finishedSelector_ = std::move(finishedSelector);
    std::optional<URLParts> parts = partsOf(signIn->authorizationURL_);
    const std::string suffix = provider().domainSuffix;
    signIn->shouldFetchGoogleUserEmail = parts && !suffix.empty() && endsWith(parts->host, suffix);
    return signIn;
}

GTMOAuth2SignIn::~GTMOAuth2SignIn() { stopReachabilityCheck(); }

bool GTMOAuth2SignIn::startSigningIn() {
    addScopeForGoogleUserInfo();
    startWebRequest();
    return true;
}

void GTMOAuth2SignIn::cancelSigningIn() {
    if (pendingFetcher_) pendingFetcher_->stopFetching();
    pendingFetcher_.reset();
    authentication_->stopAuthorization();
    closeTheWindow();
    delegate_.reset();
    finishedSelector_ = nullptr;
}

void GTMOAuth2SignIn::addScopeForGoogleUserInfo() {
    auto add = [&](const std::string& extra) {
        std::optional<std::string> scope = authentication_->scope();
        // No scope asks for nothing, and stays so.
        if (!scope || scope->find(extra) != std::string::npos) return;
        authentication_->setScope(scope->empty() ? extra : GTMOAuth2Authentication::scopeWithStrings({*scope, extra}));
    };
    if (shouldFetchGoogleUserEmail) add(googleUserEmailScope());
    if (shouldFetchGoogleUserProfile) add(googleUserProfileScope());
}

// The authorization request.

std::string GTMOAuth2SignIn::parametersForWebRequest() const {
    const GTMOAuth2Authentication& auth = *authentication_;
    if (auth.clientID.empty() || auth.redirectURI.empty()) return {};
    Dictionary parameters{{"response_type", Value("code")}, {"client_id", Value(auth.clientID)}};
    if (nonEmpty(auth.scope())) parameters.set("scope", Value(*auth.scope()));
    parameters.set("redirect_uri", Value(auth.redirectURI));
    for (const auto& [key, value] : additionalAuthorizationParameters) parameters.set(key, value);
    return GTMOAuth2Authentication::encodedQueryParametersForDictionary(parameters);
}

net::URLRequest GTMOAuth2SignIn::mutableURLRequestWithURL(const std::string& url, const std::string& paramString) {
    if (paramString.empty()) return net::URLRequest(url);
    std::optional<URLParts> parts = partsOf(url);
    if (!parts) return net::URLRequest(url + "?" + paramString);
    std::string query = parts->query.empty() ? paramString : parts->query + "&" + paramString;
    return net::URLRequest(parts->scheme + "://" + parts->host + (parts->port.empty() ? "" : ":" + parts->port) +
                           parts->path + "?" + query);
}

void GTMOAuth2SignIn::startWebRequest() {
    net::URLRequest request = mutableURLRequestWithURL(authorizationURL_, parametersForWebRequest());
    if (webRequestSelector_) webRequestSelector_(*this, request);
    startReachabilityCheck();
}

// Page events.

bool GTMOAuth2SignIn::requestRedirectedToRequest(const net::URLRequest& request) {
    const std::string& redirect = authentication_->redirectURI;
    if (redirect.empty() || redirect == nativeClientRedirectURI()) return false;
    std::optional<URLParts> asked = partsOf(request.url);
    std::optional<URLParts> expected = partsOf(redirect);
    bool same;
    if (asked && expected && !asked->host.empty() && !asked->path.empty())
        same = asked->host == expected->host && asked->path == expected->path;
    else
        same = request.url == redirect;
    if (!same) return false;
    if (hasHandledCallback_) return true;
    authentication_->setKeysForResponseString(asked ? asked->query : std::string());
    authCodeObtained();
    return true;
}

bool GTMOAuth2SignIn::titleChanged(const std::string& title) {
    size_t blank = title.rfind(' ');
    if (blank == std::string::npos) return false;
    std::optional<Dictionary> answer = GTMOAuth2Authentication::dictionaryWithResponseString(title.substr(blank + 1));
    auto has = [&](const char* key) {
        const Value& value = answer->get(key);
        return value.isString() && !value.asString().empty();
    };
    if (!answer || (!has("code") && !has("error"))) return false;
    if (hasHandledCallback_) return true;
    authentication_->setKeysForResponseDictionary(answer);
    authCodeObtained();
    return true;
}

bool GTMOAuth2SignIn::loadFailedWithError(const foundation::Error& error,
                                          const std::optional<std::string>& failingURL) {
    std::optional<URLParts> failed = failingURL ? partsOf(*failingURL) : std::nullopt;
    std::optional<URLParts> page = partsOf(authorizationURL_);
    if (!failed || !page || failed->host != page->host || failed->path != page->path) return false;
    closeTheWindow();
    finishSignInWithError(error);
    return true;
}

void GTMOAuth2SignIn::windowWasClosed() {
    stopReachabilityCheck();
    finishSignInWithError(foundation::Error(fetcherError(kGTMOAuth2ErrorDomain, kGTMOAuth2ErrorWindowClosed)));
}

// The code and the token exchange.

void GTMOAuth2SignIn::authCodeObtained() {
    hasHandledCallback_ = true;
    if (webRequestSelector_)
        closeTheWindow();
    else
        addScopeForGoogleUserInfo();

    OptionalError error;
    if (nonEmpty(authentication_->code())) {
        std::weak_ptr<GTMOAuth2SignIn> weak = weak_from_this();
        pendingFetcher_ = authentication_->beginTokenFetchWithDelegate(
            nullptr, [weak](GTMOAuth2Authentication&, GTMHTTPFetcher&, const OptionalError& fetchError) {
                if (auto self = weak.lock()) self->tokenExchangeFinished(fetchError);
            });
        if (!pendingFetcher_) error = fetcherError(kGTMHTTPStatusDomain, -1);
        foundation::NotificationCenter::defaultCenter().post(kGTMOAuth2UserSignedIn, this);
    } else {
        error = fetcherError(kGTMOAuth2ErrorDomain, kGTMOAuth2ErrorAuthorizationFailed);
        if (nonEmpty(authentication_->errorString()))
            error->userInfo = std::make_shared<Dictionary>(
                Dictionary{{kGTMOAuth2ErrorMessageKey, Value(*authentication_->errorString())}});
    }
    if (error) finishSignInWithError(error);
}

void GTMOAuth2SignIn::tokenExchangeFinished(const OptionalError& fetchError) {
    pendingFetcher_.reset();
    OptionalError error = fetchError;
    // A reply that brought no usable token is no sign-in, whatever its status.
    if (!error && !authentication_->canAuthorize())
        error = fetcherError(kGTMOAuth2ErrorDomain, kGTMOAuth2ErrorAuthorizationFailed);
    if (!error && (shouldFetchGoogleUserEmail || shouldFetchGoogleUserProfile) &&
        authentication_->serviceProvider() == "Google") {
        fetchGoogleUserInfo();
        return;
    }
    finishSignInWithError(error);
}

void GTMOAuth2SignIn::fetchGoogleUserInfo() {
    if (!shouldFetchGoogleUserProfile) {
        std::optional<std::string> idToken = authentication_->parameters().get("id_token").stringValue();
        if (idToken && !idToken->empty()) {
            size_t first = idToken->find('.');
            size_t second = first == std::string::npos ? first : idToken->find('.', first + 1);
            bool three = second != std::string::npos && idToken->find('.', second + 1) == std::string::npos;
            if (three && second > first + 1) {
                std::optional<foundation::Bytes> payload =
                    decodeWebSafeBase64(idToken->substr(first + 1, second - first - 1));
                if (payload && !payload->empty()) {
                    updateGoogleUserInfoWithData(*payload);
                    if (nonEmpty(authentication_->userID()) && nonEmpty(authentication_->userEmailIfAny())) {
                        finishSignInWithError(std::nullopt);
                        return;
                    }
                }
            }
        }
    }
    std::shared_ptr<GTMHTTPFetcher> fetcher = userInfoFetcherWithAuth(authentication_);
    std::weak_ptr<GTMOAuth2SignIn> weak = weak_from_this();
    fetcher->beginFetchWithCompletionHandler([weak](const foundation::Bytes& data, const OptionalError& error) {
        if (auto self = weak.lock()) self->infoFetchFinished(data, error);
    });
    pendingFetcher_ = fetcher;
    authentication_->notifyFetchIsRunning(true, fetcher, kGTMOAuth2FetchTypeUserInfo);
}

std::shared_ptr<GTMHTTPFetcher> GTMOAuth2SignIn::userInfoFetcherWithAuth(const GTMOAuth2AuthenticationPtr& auth) {
    net::URLRequest request(googleUserInfoURL());
    request.setValue(GTMOAuth2Authentication::userAgent(), "User-Agent");
    request.setValue("no-cache", "Cache-Control");
    std::shared_ptr<GTMHTTPFetcher> fetcher;
    if (std::shared_ptr<GTMHTTPFetcherServiceProtocol> service = auth->fetcherService())
        fetcher = service->fetcherWithRequest(request);
    else
        fetcher = GTMHTTPFetcher::fetcherWithRequest(request);
    fetcher->setAuthorizer(auth);
    fetcher->setRetryEnabled(true);
    fetcher->setMaxRetryInterval(15.0);
    std::string email = auth->userEmail();
    fetcher->setComment("GTMOAuth2 user info" + (email.empty() ? std::string() : " for \"" + email + "\""));
    return fetcher;
}

void GTMOAuth2SignIn::infoFetchFinished(const foundation::Bytes& data, const OptionalError& error) {
    authentication_->notifyFetchIsRunning(false, pendingFetcher_, std::nullopt);
    pendingFetcher_.reset();
    if (!error) updateGoogleUserInfoWithData(data);
    finishSignInWithError(error);
}

bool GTMOAuth2SignIn::updateGoogleUserInfoWithData(const foundation::Bytes& data) {
    if (data.empty()) return false;
    std::optional<Value> parsed = GTLJSONParser::objectWithData(data, nullptr);
    if (!parsed || !parsed->isDictionary()) return false;
    Dictionary profile = parsed->asDictionary();
    userProfile_ = profile;
    authentication_->setUserID(profile.get("sub").stringValue());
    authentication_->setUserEmail(profile.get("email").stringValue());
    const Value& verified = profile.get("email_verified");
    bool isVerified = verified.isString() ? (verified.asString() == "true" || verified.asString() == "1" ||
                                             verified.asString() == "yes" || verified.asString() == "YES")
                                          : verified.asBool();
    authentication_->setUserEmailIsVerified(isVerified ? "1" : "0");
    return true;
}

void GTMOAuth2SignIn::finishSignInWithError(const OptionalError& error) {
    FinishedSelector selector = std::move(finishedSelector_);
    finishedSelector_ = nullptr;
    std::shared_ptr<void> delegate = std::move(delegate_);
    delegate_.reset();
    auto keepAlive = shared_from_this();
    if (selector) selector(*this, authentication_, error);
}

void GTMOAuth2SignIn::closeTheWindow() {
    stopReachabilityCheck();
    if (webRequestSelector_) webRequestSelector_(*this, std::nullopt);
}

// The network watch.

void GTMOAuth2SignIn::startReachabilityCheck() {
    if (networkLossTimeoutInterval <= 0 || reachability_) return;
    std::optional<URLParts> parts = partsOf(authorizationURL_);
    if (!parts) return;
    std::unique_ptr<net::ReachabilityTarget> target = net::ReachabilityTarget::createWithName(parts->host);
    if (!target) return;
    std::weak_ptr<GTMOAuth2SignIn> weak = weak_from_this();
    if (!target->setCallback([weak](uint32_t flags) {
            if (auto self = weak.lock()) self->reachabilityFlagsChanged(flags);
        }) ||
        !target->scheduleWithRunLoop(foundation::RunLoop::current()))
        return;
    reachability_ = std::move(target);
}

void GTMOAuth2SignIn::stopReachabilityCheck() {
    if (networkLossTimer_) networkLossTimer_->invalidate();
    networkLossTimer_.reset();
    if (reachability_) reachability_->unschedule();
    reachability_.reset();
}

void GTMOAuth2SignIn::reachabilityFlagsChanged(uint32_t flags) {
    bool reachable = (flags & net::kReachabilityFlagReachable) && !(flags & net::kReachabilityFlagConnectionRequired);
    if (!reachable) {
        if (networkLossTimer_ || networkLossTimeoutInterval <= 0 || hasNotifiedNetworkLoss_) return;
        std::weak_ptr<GTMOAuth2SignIn> weak = weak_from_this();
        networkLossTimer_ = foundation::RunLoop::main().performAfter(networkLossTimeoutInterval, [weak] {
            auto self = weak.lock();
            if (!self) return;
            self->networkLossTimer_.reset();
            if (!self->hasNotifiedNetworkLoss_)
                foundation::NotificationCenter::defaultCenter().post(kGTMOAuthNetworkLost, self.get());
            self->hasNotifiedNetworkLoss_ = true;
        });
        return;
    }
    if (networkLossTimer_) networkLossTimer_->invalidate();
    networkLossTimer_.reset();
    if (hasNotifiedNetworkLoss_) {
        foundation::NotificationCenter::defaultCenter().post(kGTMOAuthNetworkFound, this);
        hasNotifiedNetworkLoss_ = false;
    }
}

// Revocation.

void GTMOAuth2SignIn::revokeTokenForGoogleAuthentication(const GTMOAuth2AuthenticationPtr& auth) {
    if (nonEmpty(auth->refreshToken()) && auth->canAuthorize() && auth->serviceProvider() == "Google") {
        net::URLRequest request(googleRevocationURL());
        request.setValue("application/x-www-form-urlencoded", "Content-Type");
        request.setValue(GTMOAuth2Authentication::userAgent(), "User-Agent");
        std::string body = "token=" + *GTMOAuth2Authentication::encodedOAuthValueForString(auth->refreshToken());
        std::shared_ptr<GTMHTTPFetcher> fetcher = auth->fetcherForRequest(request);
        fetcher->setPostData(foundation::Bytes(body.begin(), body.end()));
        fetcher->setComment("GTMOAuth2 revoke token for " + auth->userEmail());
        // The outcome changes nothing: the authorization is forgotten either way.
        fetcher->beginFetchWithCompletionHandler([](const foundation::Bytes&, const OptionalError&) {});
    }
    auth->reset();
}

// URL-safe Base64.

std::optional<foundation::Bytes> GTMOAuth2SignIn::decodeWebSafeBase64(const std::string& text) {
    std::string_view rest = text;
    while (!rest.empty() && rest.back() == '=') rest.remove_suffix(1);
    foundation::Bytes out;
    out.reserve(rest.size() * 3 / 4);
    uint32_t buffer = 0;
    int bits = 0;
    for (char c : rest) {
        int value;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '-')
            value = 62;
        else if (c == '_')
            value = 63;
        else
            return std::nullopt;
        buffer = (buffer << 6) | static_cast<uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<uint8_t>((buffer >> bits) & 0xFF));
        }
    }
    return out;
}

std::string GTMOAuth2SignIn::encodeWebSafeBase64(std::string_view bytes) {
    static const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string out;
    uint32_t buffer = 0;
    int bits = 0;
    for (unsigned char byte : bytes) {
        buffer = (buffer << 8) | byte;
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            out += kAlphabet[(buffer >> bits) & 0x3F];
        }
    }
    if (bits > 0) out += kAlphabet[(buffer << (6 - bits)) & 0x3F];
    return out;
}

}  // namespace google
