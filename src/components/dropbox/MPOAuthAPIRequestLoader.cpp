#include "components/dropbox/MPOAuthAPIRequestLoader.h"

#include "components/dropbox/MPURLEscapingAdditions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"

namespace {

bool beginsWith(const std::string& text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// "scheme://host:port" of an absolute address, compared as written.
std::string originOf(const std::string& url) {
    size_t start = url.find("://");
    if (start == std::string::npos) return {};
    size_t end = url.find_first_of("/?#", start + 3);
    return url.substr(0, end);
}

// A day: the transport's wall-clock idle limit never decides before the
// loader's own on the run loop's clock.
constexpr double kTransportIdleLimitSeconds = 24.0 * 3600;

void postNotification(const char* name, const std::map<std::string, std::string>& parameters) {
    foundation::Dictionary userInfo;
    for (const auto& [key, value] : parameters) userInfo.set(key, value);
    foundation::NotificationCenter::defaultCenter().post(name, nullptr, userInfo);
}

}  // namespace

std::shared_ptr<MPOAuthAPIRequestLoader> MPOAuthAPIRequestLoader::create(MPOAuthURLRequest request) {
    return std::shared_ptr<MPOAuthAPIRequestLoader>(new MPOAuthAPIRequestLoader(std::move(request)));
}

std::shared_ptr<MPOAuthAPIRequestLoader> MPOAuthAPIRequestLoader::createWithURL(const std::string& url) {
    return create(MPOAuthURLRequest(url));
}

const std::string& MPOAuthAPIRequestLoader::responseString() {
    if (!responseString_) responseString_ = std::string(data_.begin(), data_.end());
    return *responseString_;
}

void MPOAuthAPIRequestLoader::loadSynchronously(bool synchronously) {
    if (!credentials_)
        throw MPOAuthException("NSInternalInconsistencyException", "Unable to load without valid credentials");
    if (credentials_->consumerKey().empty())
        throw MPOAuthException("NSInternalInconsistencyException",
                               "Unable to load, credentials contain no consumer key");
    if (synchronously) {
        std::optional<foundation::Error> error;
        data_ = MPOAuthConnection::sendSynchronousRequest(oauthRequest_, *credentials_, oauthResponse_, error);
        responseString_.reset();
        inspectResponse(oauthResponse_.urlResponse() ? oauthResponse_.urlResponse()->statusCode : 0);
        return;
    }
    connection_ = MPOAuthConnection::connectionWithRequest(oauthRequest_, shared_from_this(), *credentials_);
    connection_->start();
    restartIdleTimer();
}

void MPOAuthAPIRequestLoader::restartIdleTimer() {
    stopIdleTimer();
    std::weak_ptr<MPOAuthAPIRequestLoader> weak = weak_from_this();
    idleTimer_ = foundation::RunLoop::main().scheduleTimer(kIdleLimitSeconds, false, [weak](foundation::Timer&) {
        auto self = weak.lock();
        if (!self || !self->connection_) return;
        self->idleTimer_.reset();
        self->connection_->cancel();
        self->connectionDidFailWithError(
            *self->connection_,
            net::urlError(net::kURLErrorTimedOut, MPURLParameterAdditions::hostOf(self->oauthRequest_.url())));
    });
}

void MPOAuthAPIRequestLoader::stopIdleTimer() {
    if (auto timer = std::exchange(idleTimer_, nullptr)) timer->invalidate();
}

void MPOAuthAPIRequestLoader::cancel() {
    if (connection_) connection_->cancel();
    end();
}

void MPOAuthAPIRequestLoader::end() {
    stopIdleTimer();
    connection_.reset();
    if (auto finished = std::move(finished_)) finished(*this);
}

void MPOAuthAPIRequestLoader::connectionDidReceiveResponse(net::StreamingURLConnection&,
                                                           const net::HTTPURLResponse& response) {
    restartIdleTimer();
    oauthResponse_.setUrlResponse(response);
}

void MPOAuthAPIRequestLoader::connectionDidReceiveData(net::StreamingURLConnection&, const foundation::Bytes& data) {
    restartIdleTimer();
    data_.insert(data_.end(), data.begin(), data.end());
    responseString_.reset();
}

std::optional<net::URLRequest> MPOAuthAPIRequestLoader::connectionWillSendRequest(net::StreamingURLConnection&,
                                                                                  const net::URLRequest& proposed,
                                                                                  const net::HTTPURLResponse&) {
    // The signed query carries the token (and with PLAINTEXT both secrets):
    // it may follow a redirect only within its own origin.
    if (originOf(proposed.url) != originOf(oauthRequest_.url())) return std::nullopt;
    restartIdleTimer();
    return proposed;
}

void MPOAuthAPIRequestLoader::connectionDidFailWithError(net::StreamingURLConnection&, const foundation::Error& error) {
    auto keep = shared_from_this();
    if (target_.didFailWithError) target_.didFailWithError(*this, error);
    end();
}

void MPOAuthAPIRequestLoader::connectionDidFinishLoading(net::StreamingURLConnection&) {
    auto keep = shared_from_this();
    inspectResponse(oauthResponse_.urlResponse() ? oauthResponse_.urlResponse()->statusCode : 0);
    if (target_.internalAction)
        target_.internalAction(*this, data_);
    else if (target_.action)
        target_.action(oauthRequest_.url(), responseString());
    end();
}

void MPOAuthAPIRequestLoader::inspectResponse(int statusCode) {
    const std::string& text = responseString();
    if (!beginsWith(text, "oauth") || !credentials_) return;
    auto parameters = MPURLRequestParameter::parameterDictionaryFromString(text);
    oauthResponse_.setOauthParameters(parameters);
    MPOAuthCredentialConcreteStore& store = *credentials_;
    const bool hasRequest = store.requestToken().has_value();
    const bool hasAccess = store.accessToken().has_value();
    auto value = [&](const char* name) -> std::optional<std::string> {
        auto found = parameters.find(name);
        return found == parameters.end() ? std::nullopt : std::optional(found->second);
    };

    if (statusCode == 401 || beginsWith(text, "oauth_problem")) {
        auto problem = value("oauth_problem");
        if (!problem) return;
        if (*problem == "token_rejected") {
            if (hasRequest && !hasAccess) {
                store.setRequestToken(std::nullopt);
                store.setRequestTokenSecret(std::nullopt);
                postNotification(MPOAuthNotificationRequestTokenRejected, parameters);
            } else if (hasAccess && !hasRequest) {
                postNotification(MPOAuthNotificationAccessTokenRejected, parameters);
            }
        }
        postNotification(MPOAuthNotificationErrorHasOccurred, parameters);
        return;
    }
    if (!beginsWith(text, "oauth_token") || !value("oauth_token")) return;
    if (!hasRequest && !hasAccess) {
        store.setRequestToken(value("oauth_token"));
        store.setRequestTokenSecret(value("oauth_token_secret"));
        postNotification(MPOAuthNotificationRequestTokenReceived, parameters);
    } else if (hasRequest && !hasAccess) {
        store.setRequestToken(std::nullopt);
        store.setRequestTokenSecret(std::nullopt);
        store.setAccessToken(value("oauth_token"));
        store.setAccessTokenSecret(value("oauth_token_secret"));
        postNotification(MPOAuthNotificationAccessTokenReceived, parameters);
    } else if (hasAccess && !hasRequest) {
        store.setAccessToken(value("oauth_token"));
        store.setAccessTokenSecret(value("oauth_token_secret"));
        postNotification(MPOAuthNotificationAccessTokenRefreshed, parameters);
    }
}

net::URLRequest MPOAuthConnection::signedRequest(MPOAuthURLRequest& request,
                                                 const MPOAuthCredentialConcreteStore& credentials) {
    request.addParameters(credentials.oauthParameters());
    return request.urlRequestSignedWithSecret(credentials.signingKey(), credentials.signatureMethod());
}

std::shared_ptr<net::StreamingURLConnection> MPOAuthConnection::connectionWithRequest(
    MPOAuthURLRequest& request, std::shared_ptr<net::StreamingURLConnectionDelegate> delegate,
    const MPOAuthCredentialConcreteStore& credentials) {
    net::URLRequest signedURLRequest = signedRequest(request, credentials);
    signedURLRequest.timeoutInterval = kTransportIdleLimitSeconds;
    return net::StreamingURLConnection::create(std::move(signedURLRequest), std::move(delegate));
}

foundation::Bytes MPOAuthConnection::sendSynchronousRequest(MPOAuthURLRequest& request,
                                                            const MPOAuthCredentialConcreteStore& credentials,
                                                            MPOAuthURLResponse& response,
                                                            std::optional<foundation::Error>& error) {
    net::URLLoadResult result =
        net::URLConnection::sendSynchronousRequest(signedRequest(request, credentials), kSynchronousLimitSeconds);
    error = result.error;
    if (result.response) response.setUrlResponse(*result.response);
    return std::move(result.data);
}
