#include "DropboxTestServer.h"
#include "components/dropbox/DBConfiguration.h"
#include "components/dropbox/MPOAuthAPI.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/WallClock.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"
#include "support/WallClockScope.h"

#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

namespace {

const char* kNames[] = {MPOAuthNotificationRequestTokenReceived, MPOAuthNotificationRequestTokenRejected,
                        MPOAuthNotificationAccessTokenReceived,  MPOAuthNotificationAccessTokenRejected,
                        MPOAuthNotificationAccessTokenRefreshed, MPOAuthNotificationErrorHasOccurred};

struct NotificationLog {
    std::vector<std::string> names;
    std::vector<foundation::ObserverToken> tokens;
    NotificationLog() {
        for (const char* name : kNames)
            tokens.push_back(foundation::NotificationCenter::defaultCenter().addObserver(
                name, nullptr, [this](const foundation::Notification& n) { names.push_back(n.name); }));
    }
};

foundation::Dictionary configuration(const std::string& base) {
    return {{"MPOAuthRequestTokenURL", base + "request_token"},
            {"MPOAuthUserAuthorizationURL", base + "authorize"},
            {"MPOAuthAccessTokenURL", base + "access_token"}};
}

// A token flow against a loopback service on virtual time, recording the
// notifications and the addresses opened in the browser.
class MPOAuthFlow : public ::testing::Test {
protected:
    MPOAuthFlow() {
        DBConfiguration config;
        config.openURL = dropboxtest::recordingOpener(opened);
        DBConfiguration::setCurrent(config);
    }
    ~MPOAuthFlow() override { DBConfiguration::setCurrent({}); }

    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
    testsupport::WallClockScope wall{foundation::Date::fromUnixTime(1700000000)};
    testsupport::LoopbackHttpServer server;
    NotificationLog log;
    std::vector<std::string> opened;
    foundation::RunLoop& loop = foundation::RunLoop::main();
};

struct FailureRecorder : MPOAuthAuthenticationMethodOAuthDelegate {
    std::vector<foundation::Error> errors;
    void authenticationDidFailWithError(const foundation::Error& error) override { errors.push_back(error); }
};

TEST_F(MPOAuthFlow, TokenFlowPostsInOrderAndRefreshesAfterAnHour) {
    server.reply("GET", "/request_token", {200, "oauth_token=rt&oauth_token_secret=rs&oauth_callback_confirmed=true"});
    int accessAnswers = 0;
    server.on("GET", "/access_token", [&](const testsupport::HttpExchange&) {
        return ++accessAnswers == 1
                   ? testsupport::
                         HttpReply{200,
                                   "oauth_token=at&oauth_token_secret=as&oauth_expires_in=3600&oauth_session_handle=h"}
                   : testsupport::HttpReply{200, "oauth_token=at2&oauth_token_secret=as2"};
    });

    MPOAuthAPI api({{kMPOAuthCredentialConsumerKey, "k3y"}, {kMPOAuthCredentialConsumerSecret, "s3cr3t"}},
                   server.url("/"), server.url("/"), true, configuration(server.url("/")));
    ASSERT_TRUE(loop.runUntil([&] { return !opened.empty(); }, 30));
    auto& method = static_cast<MPOAuthAuthenticationMethodOAuth&>(api.authenticationMethod());
    EXPECT_TRUE(method.oauth10aModeActive());
    // 1.0a: the authorization address carries the token and no callback.
    EXPECT_EQ(opened.at(0), server.url("/authorize") + "?oauth_token=rt");
    EXPECT_EQ(api.credentialNamed(kMPOAuthCredentialRequestToken), "rt");
    EXPECT_EQ(server.requests().at(0).target.find("oauth_callback=oob") != std::string::npos, true);

    api.authenticate();
    ASSERT_TRUE(loop.runUntil([&] { return api.isAuthenticated(); }, 30));
    EXPECT_EQ(api.credentialNamed(kMPOAuthCredentialAccessToken), "at");
    EXPECT_EQ(api.credentialNamed(kMPOAuthCredentialRequestToken), std::nullopt);
    EXPECT_EQ(api.credentialNamed(kMPOAuthCredentialSessionHandle), "h");
    EXPECT_TRUE(method.hasRefreshTimer());
    loop.runUntilIdle();

    loop.advance(3599);
    EXPECT_EQ(accessAnswers, 1);
    loop.advance(1);
    ASSERT_TRUE(loop.runUntil([&] { return api.credentialNamed(kMPOAuthCredentialAccessToken) == "at2"; }, 30));
    EXPECT_NE(server.requests().back().target.find("oauth_session_handle=h"), std::string::npos);
    EXPECT_EQ(log.names,
              (std::vector<std::string>{MPOAuthNotificationRequestTokenReceived, MPOAuthNotificationAccessTokenReceived,
                                        MPOAuthNotificationAccessTokenRefreshed}));
}

TEST_F(MPOAuthFlow, SignedRequestsStayWithinTheirOriginAndFailuresReachTheDelegate) {
    testsupport::LoopbackHttpServer other;
    server.reply("GET", "/request_token", {302, "", "text/plain", {{"Location", other.url("/request_token")}}});
    const MPOAuthCredentials credentials{{kMPOAuthCredentialConsumerKey, "k"}, {kMPOAuthCredentialConsumerSecret, "s"}};
    FailureRecorder delegate;
    MPOAuthAPI redirected(credentials, server.url("/"), server.url("/"), false, configuration(server.url("/")));
    static_cast<MPOAuthAuthenticationMethodOAuth&>(redirected.authenticationMethod()).setDelegate(&delegate);
    redirected.authenticate();
    ASSERT_TRUE(loop.runUntil([&] { return redirected.activeLoaderCount() == 0; }, 30));
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_TRUE(other.requests().empty());
    // An answer without a token opens no authorization page.
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(log.names.empty());

    const std::string closed = "http://127.0.0.1:1/";
    MPOAuthAPI unreachable(credentials, closed, closed, false, configuration(closed));
    static_cast<MPOAuthAuthenticationMethodOAuth&>(unreachable.authenticationMethod()).setDelegate(&delegate);
    unreachable.authenticate();
    ASSERT_TRUE(loop.runUntil([&] { return !delegate.errors.empty(); }, 30));
    EXPECT_EQ(delegate.errors.size(), 1u);
    EXPECT_EQ(unreachable.activeLoaderCount(), 0u);
    EXPECT_TRUE(opened.empty());
}

TEST_F(MPOAuthFlow, AStalledLoadTimesOutOnTheRunLoopsClock) {
    // The server holds the request: only the loader's own limit, on the run
    // loop's clock, can end the load. The transfer keeps the clock from
    // moving on its own, so the test moves it.
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    server.on("GET", "/slow", [&](const testsupport::HttpExchange&) {
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return release; });
        return testsupport::HttpReply{200, "oauth_token=late"};
    });
    auto store =
        std::make_shared<MPOAuthCredentialConcreteStore>(MPOAuthCredentials{{kMPOAuthCredentialConsumerKey, "k"}});
    store->setSignatureMethod("PLAINTEXT");
    auto loader = MPOAuthAPIRequestLoader::createWithURL(server.url("/slow"));
    loader->setCredentials(store);
    std::vector<std::string> failures;
    int finished = 0;
    MPOAuthLoaderTarget target;
    target.didFailWithError = [&](MPOAuthAPIRequestLoader&, const foundation::Error& error) {
        failures.push_back(error.domain + " " + std::to_string(error.code));
    };
    target.internalAction = [&](MPOAuthAPIRequestLoader&, const foundation::Bytes&) { failures.push_back("answered"); };
    loader->setTarget(target);
    loader->setFinishedHandler([&](MPOAuthAPIRequestLoader&) { ++finished; });
    const double start = clock.now();
    loader->loadSynchronously(false);
    ASSERT_TRUE(server.waitForRequests(1, 30));
    const struct {
        double after;
        size_t failures;
    } steps[] = {{MPOAuthAPIRequestLoader::kIdleLimitSeconds - 0.5, 0},
                 {MPOAuthAPIRequestLoader::kIdleLimitSeconds + 0.5, 1}};
    for (const auto& step : steps) {
        clock.clock().advanceTo(start + step.after);
        while (loop.processPending()) {}
        EXPECT_EQ(failures.size(), step.failures) << step.after;
    }
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    loop.runUntilIdle();
    EXPECT_EQ(failures, std::vector<std::string>{"NSURLErrorDomain -1001"}) << "the late answer reaches nobody";
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(store->requestToken());
}

TEST_F(MPOAuthFlow, TokenThatExpiresAtOnceStartsNoTimerAndRefreshesOnTheNextAuthenticate) {
    server.reply("GET", "/access_token", {200, "oauth_token=a&oauth_token_secret=b&oauth_expires_in=0"});
    MPOAuthAPI api({{kMPOAuthCredentialConsumerKey, "k"}, {kMPOAuthCredentialRequestToken, "r"}}, server.url("/"),
                   server.url("/"), true, configuration(server.url("/")));
    ASSERT_TRUE(loop.runUntil([&] { return api.isAuthenticated(); }, 30));
    EXPECT_FALSE(api.authenticationMethod().hasRefreshTimer());
    EXPECT_DOUBLE_EQ(foundation::UserDefaults::standard().doubleForKey(MPOAuthTokenRefreshDateDefaultsKey),
                     foundation::wallClockNow().sinceReferenceDate);
    loop.advance(1);
    api.authenticate();
    ASSERT_TRUE(loop.runUntil([&] { return log.names.size() == 2; }, 30));
    EXPECT_EQ(log.names.back(), MPOAuthNotificationAccessTokenRefreshed);
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST(MPOAuthAPI, ResponsesMoveTokensAsTheySay) {
    struct Case {
        const char* name;
        std::string body;
        int status;
        std::optional<std::string> request, access;  // held before
        std::vector<std::string> posted;
        std::optional<std::string> requestAfter, accessAfter;
    };
    using V = std::vector<std::string>;
    const Case cases[] = {
        {"request token into empty store",
         "oauth_token=r&oauth_token_secret=s&oauth_callback_confirmed=true",
         200,
         {},
         {},
         V{MPOAuthNotificationRequestTokenReceived},
         "r",
         {}},
        {"rejected request token",
         "oauth_problem=token_rejected",
         401,
         "r",
         {},
         V{MPOAuthNotificationRequestTokenRejected, MPOAuthNotificationErrorHasOccurred},
         {},
         {}},
        {"rejected access token",
         "oauth_problem=token_rejected",
         401,
         {},
         "a",
         V{MPOAuthNotificationAccessTokenRejected, MPOAuthNotificationErrorHasOccurred},
         {},
         "a"},
        {"other problem", "oauth_problem=nonce_used", 200, "r", {}, V{MPOAuthNotificationErrorHasOccurred}, "r", {}},
        {"401 without a problem", "oauth_token=x", 401, "r", {}, V{}, "r", {}},
        {"not oauth", "hello=oauth_token", 200, {}, {}, V{}, {}, {}},
        {"too short", "oaut", 200, {}, {}, V{}, {}, {}},
        {"access token",
         "oauth_token=a&oauth_token_secret=b",
         200,
         "r",
         {},
         V{MPOAuthNotificationAccessTokenReceived},
         {},
         "a"},
        {"refresh",
         "oauth_token=a2&oauth_token_secret=b2",
         200,
         {},
         "a",
         V{MPOAuthNotificationAccessTokenRefreshed},
         {},
         "a2"},
        {"both held", "oauth_token=z", 200, "r", "a", V{}, "r", "a"},
    };
    testsupport::LoopbackHttpServer server;
    const Case* current = nullptr;
    server.on("GET", "/x", [&](const testsupport::HttpExchange&) {
        return testsupport::HttpReply{current->status, current->body};
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        current = &c;
        NotificationLog log;
        auto store =
            std::make_shared<MPOAuthCredentialConcreteStore>(MPOAuthCredentials{{kMPOAuthCredentialConsumerKey, "k"}});
        store->setSignatureMethod("PLAINTEXT");
        store->setRequestToken(c.request);
        store->setAccessToken(c.access);
        auto loader = MPOAuthAPIRequestLoader::createWithURL(server.url("/x"));
        loader->setCredentials(store);
        loader->loadSynchronously(true);
        EXPECT_EQ(loader->responseString(), c.body);
        EXPECT_EQ(log.names, c.posted);
        EXPECT_EQ(store->requestToken(), c.requestAfter);
        EXPECT_EQ(store->accessToken(), c.accessAfter);
    }
}

TEST(MPOAuthAPI, ProgrammingErrorsStopWithTheirMessages) {
    testsupport::TempAppFolders folders;
    auto message = [](const std::function<void()>& body) {
        try {
            body();
        } catch (const MPOAuthException& e) {
            return std::string(e.what());
        }
        return std::string("no exception");
    };
    const std::string base = "http://127.0.0.1:9/";
    EXPECT_EQ(message([&] { MPOAuthAPI api({}, base, base, true, configuration(base)); }),
              "A Consumer Key is required for use of OAuth.");
    EXPECT_EQ(message([&] {
                  MPOAuthAPI api({{kMPOAuthCredentialConsumerKey, "k"}}, base, base, false,
                                 foundation::Dictionary{{"MPOAuthRequestTokenURL", "x"}});
              }),
              "Incorrect number of oauth authorization methods");
    MPOAuthAPI api({{kMPOAuthCredentialConsumerKey, "k"}}, base, base, false, configuration(base));
    EXPECT_EQ(message([&] { api.performMethod(std::nullopt, "http://127.0.0.1:9", {}, {}); }),
              "Nil was passed as the method to be performed on http://127.0.0.1:9");
    const struct {
        const char *url, *method, *resolved;
    } resolutions[] = {{"http://h/a/b", "c", "http://h/a/c"},
                       {"http://h/a/b?q=1", "/c", "http://h/c"},
                       {"http://h", "c", "http://h/c"},
                       {"http://h/a/", "https://o/x", "https://o/x"}};
    for (const auto& r : resolutions) EXPECT_EQ(MPOAuthAPI::resolve(r.url, r.method), r.resolved) << r.url;
}

}  // namespace
