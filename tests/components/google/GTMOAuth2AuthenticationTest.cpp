#include "components/google/GTMOAuth2Authentication.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/WallClock.h"
#include "platform/net/URLConnection.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"
#include "support/WallClockScope.h"

#include <gtest/gtest.h>

using foundation::Date;
using foundation::Dictionary;
using foundation::RunLoop;
using foundation::Value;
using google::GTMOAuth2Authentication;
using testsupport::HttpExchange;
using testsupport::HttpReply;
using testsupport::LoopbackHttpServer;

namespace {

const Date kStart = Date::fromUnixTime(1700000000);

std::shared_ptr<net::URLRequest> requestFor(const std::string& url) { return std::make_shared<net::URLRequest>(url); }

// Counts notifications of one name sent by one authorization.
struct Counter {
    Counter(const char* name, const void* sender) {
        token = foundation::NotificationCenter::defaultCenter().addObserver(
            name, sender, [this](const foundation::Notification& note) {
                ++count;
                last = note.userInfo;
            });
    }
    int count = 0;
    Dictionary last;
    foundation::ObserverToken token;
};

}  // namespace

TEST(GTMOAuth2Encoding, EncodesAndDecodesFormText) {
    struct Case {
        std::string text;
        std::string encoded;
    };
    const Case cases[] = {
        {"a b/c~", "a%20b%2Fc~"},
        {"AZaz09-._~", "AZaz09-._~"},
        {"u@example.test", "u%40example.test"},
        {"1/ä+=&", "1%2F%C3%A4%2B%3D%26"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GTMOAuth2Authentication::encodedOAuthValueForString(c.text), c.encoded) << c.text;
        EXPECT_EQ(GTMOAuth2Authentication::unencodedOAuthParameterForString(c.encoded), c.text) << c.encoded;
    }
    EXPECT_EQ(GTMOAuth2Authentication::encodedOAuthValueForString(std::nullopt), std::nullopt);
    for (std::string broken : {"%", "%4", "%G0", "a%2"})
        EXPECT_EQ(GTMOAuth2Authentication::unencodedOAuthParameterForString(broken), std::nullopt) << broken;

    Dictionary form{{"b", Value("2")}, {"A", Value("1 1")}, {"c", Value::integer(3)}};
    EXPECT_EQ(GTMOAuth2Authentication::encodedQueryParametersForDictionary(form), "A=1%201&b=2&c=3");
    EXPECT_EQ(GTMOAuth2Authentication::encodedQueryParametersForDictionary(Dictionary()), "");
    EXPECT_EQ(GTMOAuth2Authentication::scopeWithStrings({"x", "y"}), "x y");
    EXPECT_EQ(GTMOAuth2Authentication::scopeWithStrings({}), "");
}

TEST(GTMOAuth2Encoding, ReadsResponseText) {
    struct Case {
        std::string text;
        std::vector<std::pair<std::string, std::string>> entries;
    };
    const Case cases[] = {
        {"a=1&b&a=2", {{"a", "2"}, {"b", ""}}},
        {"code=4%2Fabc&state=x%20y", {{"code", "4/abc"}, {"state", "x y"}}},
        {"k=a=b", {{"k", "a=b"}}},
        // A broken escape or an empty key makes no entry.
        {"bad=%ZZ&=v&ok=1", {{"ok", "1"}}},
        {"", {}},
    };
    for (const Case& c : cases) {
        std::optional<Dictionary> parsed = GTMOAuth2Authentication::dictionaryWithResponseString(c.text);
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_EQ(parsed->size(), c.entries.size()) << c.text;
        for (const auto& [key, value] : c.entries) EXPECT_EQ(parsed->get(key).asString(), value) << c.text;
    }
    EXPECT_FALSE(GTMOAuth2Authentication::dictionaryWithResponseString(std::nullopt));
    EXPECT_FALSE(GTMOAuth2Authentication::dictionaryWithJSONData(foundation::Bytes{'[', '1', ']'}));
    std::string json = R"({"access_token":"t","expires_in":3600})";
    auto parsed = GTMOAuth2Authentication::dictionaryWithJSONData(foundation::Bytes(json.begin(), json.end()));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->get("expires_in").asInt(), 3600);
}

TEST(GTMOAuth2Authentication, MergesResponsesAndKeepsOnlyWhatIsNeeded) {
    testsupport::VirtualClockScope clock;
    testsupport::WallClockScope wall(kStart);
    auto auth = GTMOAuth2Authentication::authenticationWithServiceProvider("Google", "https://p/token", "r", "id", "s");
    Counter changed(google::kGTMOAuth2RefreshTokenChanged, auth.get());

    auth->setKeysForResponseString("access_token=a1&refresh_token=r1&expires_in=3600&scope=s1");
    EXPECT_EQ(changed.count, 1);
    ASSERT_TRUE(auth->expirationDate());
    EXPECT_DOUBLE_EQ(auth->expirationDate()->unixTime(), kStart.unixTime() + 3600);

    // No refresh token in the reply: the stored one stays and nothing is posted.
    auth->setKeysForResponseString("access_token=a2");
    EXPECT_EQ(auth->refreshToken(), "r1");
    EXPECT_EQ(changed.count, 1);
    EXPECT_FALSE(auth->expirationDate()) << "a new token drops the old expiry";
    auth->setKeysForResponseString("refresh_token=r1");
    EXPECT_EQ(changed.count, 1);
    auth->setKeysForResponseString("refresh_token=r2");
    EXPECT_EQ(changed.count, 2);

    auth->setUserEmail("u@example.test");
    auth->setUserEmailIsVerified("1");
    auth->setUserID("1234");
    EXPECT_EQ(auth->persistenceResponseString(),
              "email=u%40example.test&isVerified=1&refresh_token=r2&scope=s1&serviceProvider=Google&userID=1234");

    auto restored = GTMOAuth2Authentication::create();
    restored->setKeysForPersistenceResponseString(auth->persistenceResponseString());
    EXPECT_EQ(restored->userEmail(), "u@example.test");
    EXPECT_TRUE(restored->canAuthorize());
    EXPECT_TRUE(restored->shouldRefreshAccessToken()) << "no access token after a restore";

    auth->setRefreshToken(std::nullopt);
    EXPECT_EQ(auth->persistenceResponseString(),
              "access_token=a2&email=u%40example.test&isVerified=1&scope=s1&serviceProvider=Google&userID=1234");

    const std::string description = auth->description();
    EXPECT_EQ(description.find("a2"), std::string::npos);
    EXPECT_NE(description.find("accessToken=\"_snip_\""), std::string::npos) << description;

    auth->reset();
    EXPECT_FALSE(auth->canAuthorize());
    EXPECT_EQ(auth->scope(), "s1");
    EXPECT_EQ(auth->userEmail(), "");
}

TEST(GTMOAuth2Authentication, DescribesAnExpiryBeyondTheCalendarAsItsLastSecond) {
    testsupport::WallClockScope wall(kStart);
    auto auth = GTMOAuth2Authentication::create();
    const std::string answer = R"({"access_token": "a", "expires_in": 3.6e26})";
    auth->setKeysForResponseJSONData(foundation::Bytes(answer.begin(), answer.end()));
    ASSERT_TRUE(auth->expirationDate());
    const std::string description = auth->description();
    EXPECT_NE(description.find("expirationDate=\"9999-12-31 23:59:59 +0000\""), std::string::npos) << description;
}

TEST(GTMOAuth2Authentication, DecidesWhenToRefresh) {
    testsupport::VirtualClockScope clock;
    testsupport::WallClockScope wall(kStart);
    struct Case {
        const char* response;
        bool refresh;
    };
    const Case cases[] = {
        {"refresh_token=r&access_token=a&expires_in=59", true},
        {"refresh_token=r&access_token=a&expires_in=61", false},
        {"refresh_token=r&access_token=a", true},
        {"refresh_token=r", true},
        {"code=c&access_token=a&expires_in=3600", false},
        {"assertion=j", true},
        {"access_token=a&expires_in=10", false},  // nothing to refresh with
        {"", false},
    };
    for (const Case& c : cases) {
        auto auth = GTMOAuth2Authentication::create();
        auth->setKeysForResponseString(std::string(c.response));
        EXPECT_EQ(auth->shouldRefreshAccessToken(), c.refresh) << c.response;
    }

    auto auth = GTMOAuth2Authentication::create();
    auth->setKeysForResponseString("refresh_token=r&access_token=a&expires_in=120");
    EXPECT_FALSE(auth->shouldRefreshAccessToken());
    RunLoop::main().advance(61);
    EXPECT_TRUE(auth->shouldRefreshAccessToken()) << "59 s left after a minute";
    EXPECT_TRUE(auth->primeForRefresh());
    EXPECT_EQ(auth->accessToken(), std::nullopt);
    EXPECT_EQ(auth->refreshToken(), "r");
    auto bare = GTMOAuth2Authentication::create();
    bare->setAccessToken("a");
    EXPECT_FALSE(bare->primeForRefresh());
    EXPECT_EQ(bare->accessToken(), "a");
}

TEST(GTMOAuth2Authentication, AuthorizesOnlySecureRequestsAtOnce) {
    struct Case {
        std::string url;
        bool all;
        std::optional<int64_t> code;
        std::string token = "tok";
    };
    const Case cases[] = {
        {"https://api.example.test/x", false, std::nullopt},
        // A token from a broken answer that no header can carry is refused, not thrown.
        {"https://api.example.test/x", false, google::kGTMOAuth2ErrorAuthorizationFailed, "abc\nX-Injected: 1"},
        {"HTTPS://api.example.test/x", false, std::nullopt},
        {"file:///tmp/x", false, std::nullopt},
        {"http://api.example.test/x", false, google::kGTMOAuth2ErrorUnauthorizableRequest},
        {"http://api.example.test/x", true, std::nullopt},
    };
    for (const Case& c : cases) {
        auto auth = GTMOAuth2Authentication::create();
        auth->setAccessToken(c.token);
        auth->setShouldAuthorizeAllRequests(c.all);
        auto request = requestFor(c.url);
        std::optional<foundation::Error> outcome;
        int calls = 0;
        auth->authorizeRequestWithCompletionHandler(request, [&](const auto& error) {
            ++calls;
            outcome = error;
        });
        EXPECT_EQ(calls, 1) << c.url;
        EXPECT_EQ(outcome ? std::optional(outcome->code) : std::nullopt, c.code) << c.url;
        if (c.code) {
            EXPECT_EQ(outcome->domain, google::kGTMOAuth2ErrorDomain);
            EXPECT_FALSE(request->valueForHTTPHeaderField("Authorization")) << c.url;
        } else {
            EXPECT_EQ(request->valueForHTTPHeaderField("Authorization"), "Bearer tok") << c.url;
            EXPECT_TRUE(auth->isAuthorizedRequest(*request));
        }
    }

    auto empty = GTMOAuth2Authentication::create();
    std::optional<foundation::Error> outcome;
    empty->authorizeRequestWithCompletionHandler(requestFor("https://x/"), [&](const auto& error) { outcome = error; });
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->code, google::kGTMOAuth2ErrorAuthorizationFailed);

    // The synchronous form signs with an expired token and never refreshes.
    testsupport::VirtualClockScope clock;
    testsupport::WallClockScope wall(kStart);
    auto expired = GTMOAuth2Authentication::create();
    expired->setKeysForResponseString("refresh_token=r&access_token=old&expires_in=1");
    net::URLRequest request("https://x/");
    EXPECT_TRUE(expired->authorizeRequest(request));
    EXPECT_EQ(request.valueForHTTPHeaderField("Authorization"), "Bearer old");
    EXPECT_FALSE(expired->refreshFetcher());
}

namespace {

// A token endpoint on an HTTPS loopback server trusted through the test CA.
class TokenEndpointTest : public ::testing::Test {
protected:
    TokenEndpointTest()
        : certificates_(testsupport::TestCertificates::create(folders_.root())),
          server_(certificates_.serverCertificateFile, certificates_.serverKeyFile) {
        net::URLConnection::setAdditionalCertificateAuthorityFile(certificates_.authorityFile);
    }
    ~TokenEndpointTest() override { net::URLConnection::setAdditionalCertificateAuthorityFile(std::nullopt); }

    std::shared_ptr<GTMOAuth2Authentication> restored(const std::string& response) {
        auto auth = GTMOAuth2Authentication::authenticationWithServiceProvider("Google", server_.url("/token"), "r",
                                                                               "client", "secret");
        auth->setKeysForResponseString(response);
        return auth;
    }

    testsupport::VirtualClockScope clock_;
    testsupport::WallClockScope wall_{kStart};
    testsupport::TempAppFolders folders_;
    testsupport::TestCertificates certificates_;
    LoopbackHttpServer server_;
};

}  // namespace

TEST_F(TokenEndpointTest, RefreshesOnceForQueuedRequestsInOrder) {
    server_.reply("POST", "/token",
                  {200, R"({"access_token":"fresh","expires_in":"3600","token_type":"Bearer"})", "application/json"});
    auto auth = restored("refresh_token=r%2F1&scope=s");
    auth->additionalGrantTypeRequestParameters["refresh_token"] = Dictionary{{"extra", Value("e")}};
    Counter started(google::kGTMOAuth2FetchStarted, auth.get());
    Counter refreshed(google::kGTMOAuth2AccessTokenRefreshed, auth.get());

    std::vector<std::string> order;
    auto first = requestFor("https://api.example.test/1");
    auto second = requestFor("https://api.example.test/2");
    auth->authorizeRequest(first, [&](const auto& request, const auto& error) {
        EXPECT_FALSE(error);
        order.push_back(request->url);
    });
    auth->authorizeRequest(second, [&](const auto& request, const auto& error) {
        EXPECT_FALSE(error);
        order.push_back(request->url);
    });
    EXPECT_TRUE(auth->isAuthorizingRequest(first));
    EXPECT_EQ(started.count, 1);
    EXPECT_EQ(started.last.get(google::kGTMOAuth2FetchTypeKey).asString(), "refresh");
    RunLoop::main().runUntil([&] { return order.size() == 2; }, 600);

    EXPECT_EQ(order, (std::vector<std::string>{first->url, second->url}));
    EXPECT_EQ(first->valueForHTTPHeaderField("Authorization"), "Bearer fresh");
    EXPECT_EQ(second->valueForHTTPHeaderField("Authorization"), "Bearer fresh");
    EXPECT_EQ(refreshed.count, 1);
    ASSERT_EQ(server_.requestCount(), 1u);
    const HttpExchange sent = server_.requests().at(0);
    EXPECT_EQ(sent.body, "client_id=client&client_secret=secret&extra=e&grant_type=refresh_token&refresh_token=r%2F1");
    EXPECT_EQ(sent.header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(sent.header("Authorization"), std::nullopt);
    ASSERT_TRUE(auth->expirationDate());
    EXPECT_NEAR(auth->expirationDate()->unixTime() - foundation::wallClockNow().unixTime(), 3600, 1);
    EXPECT_FALSE(auth->shouldRefreshAccessToken());
}

TEST_F(TokenEndpointTest, RevokedRefreshTokenFailsTheQueuedRequests) {
    server_.reply("POST", "/token", {400, R"({"error":"invalid_grant"})", "application/json"});
    auto auth = restored("refresh_token=gone");
    Counter failed(google::kGTMOAuth2AccessTokenRefreshFailed, auth.get());

    std::optional<foundation::Error> outcome;
    bool called = false;
    auto request = requestFor("https://api.example.test/1");
    auth->authorizeRequestWithCompletionHandler(request, [&](const auto& error) {
        called = true;
        outcome = error;
    });
    RunLoop::main().runUntil([&] { return called; }, 600);

    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->domain, google::kGTMHTTPStatusDomain);
    EXPECT_EQ(outcome->code, 400);
    ASSERT_TRUE(outcome->userInfo);
    EXPECT_EQ(outcome->userInfo->get("json").asDictionary().get("error").asString(), "invalid_grant");
    EXPECT_FALSE(request->valueForHTTPHeaderField("Authorization"));
    EXPECT_EQ(failed.count, 1);
    EXPECT_EQ(failed.last.get("error").asString(), "invalid_grant");
    EXPECT_EQ(auth->refreshToken(), "gone") << "the stored tokens stay";
    EXPECT_EQ(server_.requestCount(), 1u) << "400 is not retried";
}

TEST_F(TokenEndpointTest, ExchangesACodeAndReadsFormReplies) {
    server_.reply("POST", "/token", {200, "access_token=a&refresh_token=r&expires_in=60", "text/plain"});
    auto auth = restored("code=4%2Fabc&scope=s%20t");
    std::optional<foundation::Error> outcome;
    bool called = false;
    auto fetcher = auth->beginTokenFetchWithDelegate(nullptr, [&](auto&, auto&, const auto& error) {
        called = true;
        outcome = error;
    });
    ASSERT_TRUE(fetcher);
    EXPECT_EQ(fetcher->comment(), "GTMOAuth2 token fetch to 127.0.0.1");
    RunLoop::main().runUntil([&] { return called; }, 600);
    EXPECT_FALSE(outcome);
    EXPECT_EQ(auth->accessToken(), "a");
    EXPECT_EQ(auth->refreshToken(), "r");
    EXPECT_EQ(server_.requests().at(0).body,
              "client_id=client&client_secret=secret&code=4%2Fabc&grant_type=authorization_code&redirect_uri=r&"
              "scope=s%20t");

    EXPECT_FALSE(GTMOAuth2Authentication::create()->beginTokenFetchWithDelegate(nullptr, nullptr))
        << "nothing to exchange, nothing sent";
    EXPECT_EQ(server_.requestCount(), 1u);
}

TEST_F(TokenEndpointTest, StoppingDropsTheWaitingRequestsWithoutCallbacks) {
    auto release = std::make_shared<testsupport::ReleasedBody>();
    server_.reply("POST", "/token", HttpReply::inPieces(release, std::nullopt, "application/json"));
    auto auth = restored("refresh_token=r");
    int calls = 0;
    auto request = requestFor("https://api.example.test/1");
    auth->authorizeRequest(request, [&](const auto&, const auto&) { ++calls; });
    ASSERT_TRUE(auth->refreshFetcher());
    auth->stopAuthorizationForRequest(request);
    EXPECT_FALSE(auth->refreshFetcher()) << "the last waiting request stops the refresh";
    EXPECT_FALSE(auth->isAuthorizingRequest(request));
    release->finish();
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(calls, 0);
}

TEST_F(TokenEndpointTest, FetcherAnswersA401WithOneRefreshAndOneRetry) {
    server_.reply("POST", "/token", {200, R"({"access_token":"fresh","expires_in":3600})", "application/json"});
    server_.on("GET", "/me", [](const HttpExchange& exchange) {
        return exchange.header("Authorization") == "Bearer fresh" ? HttpReply{200, "me"} : HttpReply{401, "no"};
    });
    // Valid for an hour by its own account, but the server has revoked it.
    auto auth = restored("refresh_token=r&access_token=stale&expires_in=3600");
    auto fetcher = google::GTMHTTPFetcher::fetcherWithURLString(server_.url("/me"));
    fetcher->setAuthorizer(auth);
    std::optional<foundation::Error> outcome;
    std::string body;
    bool done = false;
    fetcher->beginFetchWithCompletionHandler([&](const foundation::Bytes& data, const auto& error) {
        done = true;
        outcome = error;
        body.assign(data.begin(), data.end());
    });
    RunLoop::main().runUntil([&] { return done; }, 600);

    EXPECT_FALSE(outcome);
    EXPECT_EQ(body, "me");
    std::vector<std::string> seen;
    for (const HttpExchange& exchange : server_.requests())
        seen.push_back(exchange.path + " " + exchange.header("Authorization").value_or("-"));
    EXPECT_EQ(seen, (std::vector<std::string>{"/me Bearer stale", "/token -", "/me Bearer fresh"}));
}
