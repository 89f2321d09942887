#pragma once

// Loads one signed OAuth request and reads the token answers of an OAuth
// service: request and access tokens are stored in the credential store and
// announced on the default notification centre as they arrive.

#include "components/dropbox/MPOAuthCredentialConcreteStore.h"
#include "components/dropbox/MPOAuthURLRequest.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Timer.h"
#include "platform/net/StreamingURLConnection.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

inline constexpr const char* MPOAuthNotificationRequestTokenReceived = "MPOAuthNotificationRequestTokenReceived";
inline constexpr const char* MPOAuthNotificationRequestTokenRejected = "MPOAuthNotificationRequestTokenRejected";
inline constexpr const char* MPOAuthNotificationAccessTokenReceived = "MPOAuthNotificationAccessTokenReceived";
inline constexpr const char* MPOAuthNotificationAccessTokenRejected = "MPOAuthNotificationAccessTokenRejected";
inline constexpr const char* MPOAuthNotificationAccessTokenRefreshed = "MPOAuthNotificationAccessTokenRefreshed";
inline constexpr const char* MPOAuthNotificationErrorHasOccurred = "MPOAuthNotificationErrorHasOccurred";

class MPOAuthAPIRequestLoader;

// Who hears of a finished load. An internal client (one of the OAuth classes)
// gets the loader and the body; any other target the request's address and
// the body text. Without an action the result reaches nobody.
struct MPOAuthLoaderTarget {
    std::function<void(MPOAuthAPIRequestLoader&, const foundation::Bytes&)> internalAction;
    std::function<void(const std::string& url, const std::string& responseString)> action;
    std::function<void(MPOAuthAPIRequestLoader&, const foundation::Error&)> didFailWithError;
};

class MPOAuthAPIRequestLoader : public net::StreamingURLConnectionDelegate,
                                public std::enable_shared_from_this<MPOAuthAPIRequestLoader> {
public:
    static std::shared_ptr<MPOAuthAPIRequestLoader> create(MPOAuthURLRequest request);
    // A request for the address without parameters.
    static std::shared_ptr<MPOAuthAPIRequestLoader> createWithURL(const std::string& url);

    // An asynchronous load that makes no progress for this long on the run
    // loop's clock fails as timed out.
    static constexpr double kIdleLimitSeconds = 60;

    // Throws MPOAuthException without a store or a consumer key in it. A
    // synchronous load calls no target; an asynchronous one keeps the loader
    // alive until its connection ends.
    void loadSynchronously(bool synchronously);
    void cancel();

    const std::shared_ptr<MPOAuthCredentialConcreteStore>& credentials() const { return credentials_; }
    void setCredentials(std::shared_ptr<MPOAuthCredentialConcreteStore> credentials) {
        credentials_ = std::move(credentials);
    }
    MPOAuthURLRequest& oauthRequest() { return oauthRequest_; }
    MPOAuthURLResponse& oauthResponse() { return oauthResponse_; }
    const foundation::Bytes& data() const { return data_; }
    // The body as text, made once.
    const std::string& responseString();
    void setTarget(MPOAuthLoaderTarget target) { target_ = std::move(target); }
    void setFinishedHandler(std::function<void(MPOAuthAPIRequestLoader&)> handler) { finished_ = std::move(handler); }

    // Reads the OAuth parameters of the finished answer and moves the
    // store's tokens as they say, posting the matching notifications.
    void inspectResponse(int statusCode);

    void connectionDidReceiveResponse(net::StreamingURLConnection&, const net::HTTPURLResponse&) override;
    void connectionDidReceiveData(net::StreamingURLConnection&, const foundation::Bytes&) override;
    void connectionDidFinishLoading(net::StreamingURLConnection&) override;
    void connectionDidFailWithError(net::StreamingURLConnection&, const foundation::Error&) override;
    bool connectionHandlesRedirects() const override { return true; }
    std::optional<net::URLRequest> connectionWillSendRequest(net::StreamingURLConnection&,
                                                             const net::URLRequest& proposed,
                                                             const net::HTTPURLResponse&) override;

private:
    explicit MPOAuthAPIRequestLoader(MPOAuthURLRequest request) : oauthRequest_(std::move(request)) {}
    void end();
    void restartIdleTimer();
    void stopIdleTimer();

    std::shared_ptr<MPOAuthCredentialConcreteStore> credentials_;
    MPOAuthURLRequest oauthRequest_;
    MPOAuthURLResponse oauthResponse_;
    foundation::Bytes data_;
    std::optional<std::string> responseString_;
    MPOAuthLoaderTarget target_;
    std::function<void(MPOAuthAPIRequestLoader&)> finished_;
    std::shared_ptr<net::StreamingURLConnection> connection_;
    foundation::TimerHandle idleTimer_;
};

// Signs a request with a store's OAuth parameters and sends it.
class MPOAuthConnection {
public:
    // The transport's own wall-clock idle limit is kept out of the way: the
    // caller times the connection on the run loop's clock.
    static std::shared_ptr<net::StreamingURLConnection> connectionWithRequest(
        MPOAuthURLRequest& request, std::shared_ptr<net::StreamingURLConnectionDelegate> delegate,
        const MPOAuthCredentialConcreteStore& credentials);
    static foundation::Bytes sendSynchronousRequest(MPOAuthURLRequest& request,
                                                    const MPOAuthCredentialConcreteStore& credentials,
                                                    MPOAuthURLResponse& response,
                                                    std::optional<foundation::Error>& error);
    // Seconds a synchronous load may take in all.
    static constexpr double kSynchronousLimitSeconds = 60;

private:
    static net::URLRequest signedRequest(MPOAuthURLRequest& request, const MPOAuthCredentialConcreteStore& credentials);
};
