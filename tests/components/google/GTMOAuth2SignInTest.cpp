#include "components/google/GTMOAuth2SignIn.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/LoopbackRedirectReceiver.h"
#include "platform/net/URLConnection.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

using foundation::Bytes;
using foundation::Dictionary;
using foundation::RunLoop;
using foundation::Value;
using google::GTMOAuth2Authentication;
using google::GTMOAuth2PKCE;
using google::GTMOAuth2SignIn;
using testsupport::HttpExchange;
using testsupport::HttpReply;
using testsupport::LoopbackHttpServer;

namespace {

std::string text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// What the flow asked of its delegate.
struct Screen {
    std::vector<std::optional<std::string>> shown;  // none: closed
    int finishes = 0;
    std::optional<foundation::Error> error;
    google::GTMOAuth2AuthenticationPtr auth;
};

std::shared_ptr<GTMOAuth2SignIn> flowFor(const google::GTMOAuth2AuthenticationPtr& auth, const std::string& page,
                                         const std::shared_ptr<Screen>& screen) {
    return GTMOAuth2SignIn::create(
        auth, page, screen,
        [screen](GTMOAuth2SignIn&, const std::optional<net::URLRequest>& request) {
            screen->shown.push_back(request ? std::optional(request->url) : std::nullopt);
        },
        [screen](GTMOAuth2SignIn&, const google::GTMOAuth2AuthenticationPtr& auth, const auto& error) {
            ++screen->finishes;
            screen->error = error;
            screen->auth = auth;
        });
}

// A provider on an HTTPS loopback server: token and user-info endpoints.
class SignInTest : public ::testing::Test {
protected:
    SignInTest()
        : certificates_(testsupport::TestCertificates::create(folders_.root())),
          server_(certificates_.serverCertificateFile, certificates_.serverKeyFile) {
        net::URLConnection::setAdditionalCertificateAuthorityFile(certificates_.authorityFile);
        GTMOAuth2SignIn::setProvider({server_.url(""), server_.url(""), "127.0.0.1"});
    }
    ~SignInTest() override {
        net::URLConnection::setAdditionalCertificateAuthorityFile(std::nullopt);
        GTMOAuth2SignIn::setProvider({});
    }

    void replyTokens(const std::string& json = R"({"access_token":"at","refresh_token":"rt","expires_in":3600})") {
        server_.reply("POST", "/o/oauth2/token", {200, json, "application/json"});
    }
    void replyUserInfo() {
        server_.reply("GET", "/oauth2/v3/userinfo",
                      {200, R"({"sub":"1234","email":"u@example.test","email_verified":true})", "application/json"});
    }
    std::vector<HttpExchange> requestsTo(const std::string& path) {
        std::vector<HttpExchange> found;
        for (const HttpExchange& exchange : server_.requests())
            if (exchange.path == path) found.push_back(exchange);
        return found;
    }
    void runUntilFinished(const Screen& screen) {
        RunLoop::main().runUntil([&] { return screen.finishes > 0; }, 600);
        RunLoop::main().runUntilIdle();
    }

    testsupport::VirtualClockScope clock_;
    testsupport::TempAppFolders folders_;
    testsupport::TestCertificates certificates_;
    LoopbackHttpServer server_;
};

}  // namespace

TEST(GTMOAuth2SignInParts, BuildsAuthorizationRequests) {
    struct Case {
        std::string url;
        std::string params;
        std::string built;
    };
    const Case cases[] = {
        {"https://a.test/o/oauth2/auth", "", "https://a.test/o/oauth2/auth"},
        {"https://a.test/auth", "x=1", "https://a.test/auth?x=1"},
        {"https://a.test:8443/auth?hl=en", "x=1", "https://a.test:8443/auth?hl=en&x=1"},
        {"https://user@a.test/auth?hl=en#frag", "x=1", "https://a.test/auth?hl=en&x=1"},
    };
    for (const Case& c : cases) EXPECT_EQ(GTMOAuth2SignIn::mutableURLRequestWithURL(c.url, c.params).url, c.built);

    struct Scope {
        std::optional<std::string> given;
        std::optional<std::string> result;
    };
    const std::string email = GTMOAuth2SignIn::googleUserEmailScope();
    const std::string youtube = GTMOAuth2SignIn::youTubeScope();
    const Scope scopes[] = {
        {youtube, youtube + " " + email},
        {youtube + " " + email, youtube + " " + email},
        {std::nullopt, std::nullopt},
    };
    for (const Scope& s : scopes) {
        auto auth = GTMOAuth2SignIn::standardGoogleAuthenticationForScope(s.given, "id", "secret");
        auto screen = std::make_shared<Screen>();
        auto flow = flowFor(auth, GTMOAuth2SignIn::googleAuthorizationURL(), screen);
        flow->networkLossTimeoutInterval = 0;
        EXPECT_TRUE(flow->shouldFetchGoogleUserEmail);
        EXPECT_TRUE(flow->startSigningIn());
        EXPECT_EQ(auth->scope(), s.result);
        EXPECT_FALSE(flow->isWatchingReachability()) << "a zero interval watches nothing";
    }
}

TEST(GTMOAuth2SignInParts, WebSafeBase64AndPKCE) {
    struct Case {
        std::string text;
        std::optional<std::string> bytes;
    };
    const Case cases[] = {
        {"", ""},        {"YQ", "a"},         {"YQ==", "a"},          {"YWI", "ab"},
        {"YWJj", "abc"}, {"-_8", "\xfb\xff"}, {"+/8=", std::nullopt}, {"a b", std::nullopt},
    };
    for (const Case& c : cases) {
        std::optional<Bytes> decoded = GTMOAuth2SignIn::decodeWebSafeBase64(c.text);
        EXPECT_EQ(decoded ? std::optional(text(*decoded)) : std::nullopt, c.bytes) << c.text;
        if (c.bytes && c.text.find('=') == std::string::npos) {
            EXPECT_EQ(GTMOAuth2SignIn::encodeWebSafeBase64(*c.bytes), c.text);
        }
    }
    // SHA-256 of "abc", in the URL-safe alphabet without padding.
    EXPECT_EQ(GTMOAuth2PKCE::challengeForVerifier("abc"), "ungWv48Bz-pBQUDeXa4iI7ADYaOWF3qctBD_YfIAFa0");
    GTMOAuth2PKCE one = GTMOAuth2PKCE::create(), two = GTMOAuth2PKCE::create();
    EXPECT_EQ(one.codeVerifier.size(), 43u);
    EXPECT_EQ(one.state.size(), 43u);
    EXPECT_EQ(one.codeChallenge, GTMOAuth2PKCE::challengeForVerifier(one.codeVerifier));
    EXPECT_NE(one.codeVerifier, two.codeVerifier);
    EXPECT_NE(one.state, two.state);
}

TEST_F(SignInTest, TitleCarriesTheCodeToTheExchangeAndTheUserInfo) {
    replyTokens();
    replyUserInfo();
    auto auth = GTMOAuth2SignIn::standardGoogleAuthenticationForScope(GTMOAuth2SignIn::youTubeScope(), "id", "sec");
    auto screen = std::make_shared<Screen>();
    auto flow = flowFor(auth, GTMOAuth2SignIn::googleAuthorizationURL(), screen);
    flow->networkLossTimeoutInterval = 0;
    flow->startSigningIn();
    ASSERT_EQ(screen->shown.size(), 1u);

    net::URLRequest redirect(std::string(GTMOAuth2SignIn::nativeClientRedirectURI()) + "?code=x");
    EXPECT_FALSE(flow->requestRedirectedToRequest(redirect)) << "the out-of-band redirect is never taken over";
    EXPECT_FALSE(flow->titleChanged("Success"));
    EXPECT_FALSE(flow->titleChanged("Sign in state=1"));
    EXPECT_TRUE(flow->titleChanged("Success code=4/abc"));
    EXPECT_EQ(auth->code(), "4/abc");
    EXPECT_TRUE(flow->titleChanged("Success code=4/other")) << "answered, but taken once only";
    EXPECT_EQ(auth->code(), "4/abc");
    ASSERT_EQ(screen->shown.size(), 2u);
    EXPECT_FALSE(screen->shown.back()) << "the page is closed as soon as the code is in";

    runUntilFinished(*screen);
    EXPECT_EQ(screen->finishes, 1);
    EXPECT_FALSE(screen->error);
    EXPECT_EQ(auth->accessToken(), "at");
    EXPECT_EQ(auth->userEmail(), "u@example.test");
    EXPECT_EQ(auth->userEmailIsVerified(), "1");
    EXPECT_EQ(auth->userID(), "1234");
    ASSERT_EQ(requestsTo("/o/oauth2/token").size(), 1u);
    EXPECT_NE(requestsTo("/o/oauth2/token")[0].body.find("code=4%2Fabc"), std::string::npos);
    ASSERT_EQ(requestsTo("/oauth2/v3/userinfo").size(), 1u);
    EXPECT_EQ(requestsTo("/oauth2/v3/userinfo")[0].header("Authorization"), "Bearer at");
}

TEST_F(SignInTest, LoopbackRedirectWithPKCEAndState) {
    replyTokens();
    replyUserInfo();
    GTMOAuth2PKCE pkce = GTMOAuth2PKCE::create();
    auto auth = GTMOAuth2SignIn::standardGoogleAuthenticationForScope(GTMOAuth2SignIn::youTubeScope(), "id", "sec");
    std::shared_ptr<GTMOAuth2SignIn> flow;
    auto receiver = net::LoopbackRedirectReceiver::start(
        "/", [&](const std::string& url) { flow->requestRedirectedToRequest(net::URLRequest(url)); },
        {{"state", pkce.state}});
    ASSERT_TRUE(receiver.ok());
    auth->redirectURI = (*receiver)->redirectURI();
    auth->additionalGrantTypeRequestParameters["authorization_code"] =
        Dictionary{{"code_verifier", Value(pkce.codeVerifier)}};
    auto screen = std::make_shared<Screen>();
    flow = flowFor(auth, GTMOAuth2SignIn::googleAuthorizationURL(), screen);
    flow->networkLossTimeoutInterval = 0;
    flow->additionalAuthorizationParameters = Dictionary{{"code_challenge", Value(pkce.codeChallenge)},
                                                         {"code_challenge_method", Value("S256")},
                                                         {"state", Value(pkce.state)}};
    flow->startSigningIn();
    ASSERT_EQ(screen->shown.size(), 1u);
    auto enc = [](const std::string& s) { return *GTMOAuth2Authentication::encodedOAuthValueForString(s); };
    EXPECT_EQ(*screen->shown[0], GTMOAuth2SignIn::googleAuthorizationURL() +
                                     "?client_id=id&code_challenge=" + pkce.codeChallenge +
                                     "&code_challenge_method=S256&redirect_uri=" + enc(auth->redirectURI) +
                                     "&response_type=code&scope=" + enc(*auth->scope()) + "&state=" + pkce.state);

    // The browser comes back, first with someone else's state.
    auto visit = [&](const std::string& query) {
        return net::URLConnection::sendSynchronousRequest(net::URLRequest(auth->redirectURI + query), 10);
    };
    EXPECT_EQ(visit("?code=4%2Fevil&state=wrong").response->statusCode, 400);
    RunLoop::main().runUntilIdle();
    EXPECT_FALSE(flow->hasHandledCallback());
    EXPECT_EQ(visit("?code=4%2Fabc&state=" + pkce.state).response->statusCode, 200);
    runUntilFinished(*screen);

    EXPECT_FALSE(screen->error);
    EXPECT_EQ(auth->refreshToken(), "rt");
    const std::string body = requestsTo("/o/oauth2/token").at(0).body;
    EXPECT_NE(body.find("code=4%2Fabc&code_verifier=" + pkce.codeVerifier + "&grant_type=authorization_code"),
              std::string::npos)
        << body;
}

TEST_F(SignInTest, OutcomesWithoutASignIn) {
    struct Case {
        const char* name;
        std::string tokenReply;  // empty: the page gives no code
        std::string title;
        std::string domain;
        int64_t code;
        std::string providerError;
    };
    const Case cases[] = {
        {"refused", "", "Denied error=access_denied", google::kGTMOAuth2ErrorDomain, -1001, "access_denied"},
        {"no token in reply", R"({"token_type":"Bearer"})", "Success code=4/abc", google::kGTMOAuth2ErrorDomain, -1001,
         ""},
        {"token endpoint fails", "500", "Success code=4/abc", google::kGTMHTTPStatusDomain, 500, ""},
    };
    for (const Case& c : cases) {
        if (c.tokenReply == "500")
            server_.reply("POST", "/o/oauth2/token", {500, "<html>broken</html>", "text/html"});
        else if (!c.tokenReply.empty())
            replyTokens(c.tokenReply);
        auto auth = GTMOAuth2SignIn::standardGoogleAuthenticationForScope("s", "id", "sec");
        auto screen = std::make_shared<Screen>();
        auto flow = flowFor(auth, GTMOAuth2SignIn::googleAuthorizationURL(), screen);
        flow->networkLossTimeoutInterval = 0;
        flow->startSigningIn();
        EXPECT_TRUE(flow->titleChanged(c.title)) << c.name;
        runUntilFinished(*screen);
        EXPECT_EQ(screen->finishes, 1) << c.name;
        ASSERT_TRUE(screen->error) << c.name;
        EXPECT_EQ(screen->error->domain, c.domain) << c.name;
        EXPECT_EQ(screen->error->code, c.code) << c.name;
        if (!c.providerError.empty()) {
            EXPECT_EQ(screen->error->userInfo->get("error").asString(), c.providerError);
        }
        EXPECT_FALSE(auth->canAuthorize()) << c.name;
    }
    EXPECT_TRUE(requestsTo("/oauth2/v3/userinfo").empty());
}

TEST_F(SignInTest, IdTokenSparesTheUserInfoRequest) {
    const std::string payload =
        GTMOAuth2SignIn::encodeWebSafeBase64(R"({"sub":"77","email":"id@example.test","email_verified":"true"})");
    struct Case {
        std::string idToken;
        size_t userInfoRequests;
        std::string email;
    };
    const Case cases[] = {
        {"h." + payload + ".sig", 0, "id@example.test"},
        {"h." + payload, 1, "u@example.test"},
        {"h..sig", 1, "u@example.test"},
    };
    replyUserInfo();
    for (const Case& c : cases) {
        replyTokens(R"({"access_token":"at","refresh_token":"rt","id_token":")" + c.idToken + R"("})");
        size_t before = requestsTo("/oauth2/v3/userinfo").size();
        auto auth = GTMOAuth2SignIn::standardGoogleAuthenticationForScope("s", "id", "sec");
        auto screen = std::make_shared<Screen>();
        auto flow = flowFor(auth, GTMOAuth2SignIn::googleAuthorizationURL(), screen);
        flow->networkLossTimeoutInterval = 0;
        flow->startSigningIn();
        flow->titleChanged("Success code=c");
        runUntilFinished(*screen);
        EXPECT_FALSE(screen->error) << c.idToken;
        EXPECT_EQ(requestsTo("/oauth2/v3/userinfo").size() - before, c.userInfoRequests) << c.idToken;
        EXPECT_EQ(auth->userEmail(), c.email) << c.idToken;
    }
}

TEST_F(SignInTest, LeavingOrCancellingEndsOnce) {
    auto auth = GTMOAuth2SignIn::standardGoogleAuthenticationForScope("s", "id", "sec");
    auto screen = std::make_shared<Screen>();
    auto flow = flowFor(auth, GTMOAuth2SignIn::googleAuthorizationURL(), screen);
    flow->networkLossTimeoutInterval = 0;
    flow->startSigningIn();
    flow->windowWasClosed();
    flow->windowWasClosed();
    EXPECT_EQ(screen->finishes, 1);
    ASSERT_TRUE(screen->error);
    EXPECT_EQ(screen->error->code, google::kGTMOAuth2ErrorWindowClosed);
    EXPECT_FALSE(screen->error->userInfo);

    // Cancelled while the code is exchanged: the fetch stops, nothing is called.
    auto held = std::make_shared<testsupport::ReleasedBody>();
    server_.reply("POST", "/o/oauth2/token", HttpReply::inPieces(held, std::nullopt, "application/json"));
    auto second = std::make_shared<Screen>();
    auto cancelled = flowFor(GTMOAuth2SignIn::standardGoogleAuthenticationForScope("s", "id", "sec"),
                             GTMOAuth2SignIn::googleAuthorizationURL(), second);
    cancelled->networkLossTimeoutInterval = 0;
    cancelled->startSigningIn();
    cancelled->titleChanged("Success code=c");
    ASSERT_TRUE(cancelled->pendingFetcher());
    cancelled->cancelSigningIn();
    EXPECT_FALSE(cancelled->pendingFetcher());
    held->release(R"({"access_token":"late"})");
    held->finish();
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(second->finishes, 0);

    // A page that fails to load other than the authorization page ends nothing.
    auto third = std::make_shared<Screen>();
    auto failing = flowFor(GTMOAuth2SignIn::standardGoogleAuthenticationForScope("s", "id", "sec"),
                           GTMOAuth2SignIn::googleAuthorizationURL(), third);
    failing->networkLossTimeoutInterval = 0;
    failing->startSigningIn();
    foundation::Error offline("NSURLErrorDomain", -1009, "offline");
    EXPECT_FALSE(failing->loadFailedWithError(offline, "https://elsewhere.test/help"));
    EXPECT_TRUE(failing->loadFailedWithError(offline, GTMOAuth2SignIn::googleAuthorizationURL() + "?x=1"));
    EXPECT_EQ(third->finishes, 1);
    EXPECT_EQ(third->error->code, -1009);
}

TEST(GTMOAuth2SignInNetwork, AnnouncesALossThatLastsAndTheRecovery) {
    testsupport::VirtualClockScope clock;
    auto screen = std::make_shared<Screen>();
    auto flow = flowFor(GTMOAuth2Authentication::create(), "https://accounts.example.test/o/oauth2/auth", screen);
    int lost = 0, found = 0;
    auto& center = foundation::NotificationCenter::defaultCenter();
    auto lostToken = center.addObserver(google::kGTMOAuthNetworkLost, flow.get(), [&](const auto&) { ++lost; });
    auto foundToken = center.addObserver(google::kGTMOAuthNetworkFound, flow.get(), [&](const auto&) { ++found; });
    const uint32_t up = net::kReachabilityFlagReachable;
    const uint32_t down = 0;

    flow->reachabilityFlagsChanged(down);
    RunLoop::main().advance(29);
    flow->reachabilityFlagsChanged(up);
    RunLoop::main().advance(60);
    EXPECT_EQ(lost + found, 0) << "a short loss is not announced";

    flow->reachabilityFlagsChanged(down);
    flow->reachabilityFlagsChanged(net::kReachabilityFlagReachable | net::kReachabilityFlagConnectionRequired);
    RunLoop::main().advance(31);
    flow->reachabilityFlagsChanged(down);
    RunLoop::main().advance(60);
    EXPECT_EQ(lost, 1);
    EXPECT_TRUE(flow->hasNotifiedNetworkLoss());
    flow->reachabilityFlagsChanged(up);
    flow->reachabilityFlagsChanged(up);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(lost, 1);
}
