#include "components/google/signin/GTMOAuth2ViewControllerTouch.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLConnection.h"
#include "platform/security/Keychain.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/host/Application.h"
#include "platform/ui/host/Device.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempAppFolders.h"
#include "support/WallClockScope.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

using foundation::Date;
using foundation::RunLoop;
using google::GTMOAuth2Authentication;
using google::GTMOAuth2PKCE;
using google::GTMOAuth2SignIn;
using google::GTMOAuth2ViewControllerTouch;
using testsupport::HttpExchange;
using testsupport::HttpReply;
using testsupport::LoopbackHttpServer;
using namespace std::string_literals;

namespace {

constexpr const char* kItem = "YouTube: Tollivar";

struct Outcome {
    int calls = 0;
    std::optional<foundation::Error> error;
    google::GTMOAuth2AuthenticationPtr auth;
};

// The keys of a query, in the order they are written.
std::vector<std::string> queryKeys(const std::string& url) {
    std::vector<std::string> keys;
    std::string query = url.substr(url.find('?') + 1);
    size_t start = 0;
    while (start <= query.size()) {
        size_t amp = query.find('&', start);
        std::string piece = query.substr(start, amp == std::string::npos ? std::string::npos : amp - start);
        keys.push_back(piece.substr(0, piece.find('=')));
        if (amp == std::string::npos) break;
        start = amp + 1;
    }
    return keys;
}

std::string queryValue(const std::string& url, const std::string& key) {
    auto dictionary = GTMOAuth2Authentication::dictionaryWithResponseString(url.substr(url.find('?') + 1));
    return dictionary->get(key).asString();
}

class SignInScreenTest : public testsupport::WindowFixture {
protected:
    explicit SignInScreenTest(graphics::Rect frame = graphics::Rect(0, 0, 1024, 768))
        : WindowFixture(frame, 0),
          certificates_(testsupport::TestCertificates::create(folders_.root())),
          server_(certificates_.serverCertificateFile, certificates_.serverKeyFile) {
        net::URLConnection::setAdditionalCertificateAuthorityFile(certificates_.authorityFile);
        GTMOAuth2SignIn::setProvider({server_.url(""), server_.url(""), "127.0.0.1"});
        ui::Application::shared().setURLOpener(
            [this](const std::string& url) {
                opened_.push_back(url);
                return true;
            },
            [](const std::string&) { return true; });
        server_.reply("POST", "/o/oauth2/token",
                      {200, R"({"access_token":"at","refresh_token":"rt","expires_in":3600})", "application/json"});
        server_.reply("GET", "/oauth2/v3/userinfo",
                      {200, R"({"sub":"42","email":"u@example.test","email_verified":true})", "application/json"});
        root_ = std::make_shared<ui::ViewController>();
        root_->setTitle("Share");
        nav_ = std::make_shared<ui::NavigationController>(root_);
        window->setRootViewController(nav_);
    }
    void TearDown() override {
        GTMOAuth2ViewControllerTouch::setSignInClass(google::GTMOAuth2SignInClass::standard());
        ui::Application::shared().setURLOpener(nullptr, nullptr);
        net::URLConnection::setAdditionalCertificateAuthorityFile(std::nullopt);
        GTMOAuth2SignIn::setProvider({});
        WindowFixture::TearDown();
    }

    std::shared_ptr<GTMOAuth2ViewControllerTouch> push(const std::shared_ptr<Outcome>& outcome) {
        auto screen = GTMOAuth2ViewControllerTouch::controllerWithScope(
            GTMOAuth2SignIn::youTubeScope(), "client", "secret", kItem,
            [outcome](GTMOAuth2ViewControllerTouch&, const auto& auth, const auto& error) {
                ++outcome->calls;
                outcome->error = error;
                outcome->auth = auth;
            });
        show(screen);
        return screen;
    }
    void show(const std::shared_ptr<GTMOAuth2ViewControllerTouch>& screen) {
        screen->setNetworkLossTimeoutInterval(0);
        screen->setTitle("Sign in");
        nav_->pushViewController(screen, false);
        RunLoop::main().runUntilIdle();
    }
    // The browser's return to the receiver, as a browser would make it.
    int visit(const GTMOAuth2ViewControllerTouch& screen, const std::string& query) {
        auto result = net::URLConnection::sendSynchronousRequest(
            net::URLRequest(screen.redirectReceiver()->redirectURI() + query), 10);
        return result.response ? result.response->statusCode : -1;
    }

    testsupport::TempAppFolders folders_;
    testsupport::TestCertificates certificates_;
    LoopbackHttpServer server_;
    std::vector<std::string> opened_;
    std::shared_ptr<ui::ViewController> root_;
    std::shared_ptr<ui::NavigationController> nav_;
};

class SmallSignInScreenTest : public SignInScreenTest {
protected:
    SmallSignInScreenTest() : SignInScreenTest(graphics::Rect(0, 0, 568, 320)) {}
};

}  // namespace

TEST_F(SignInScreenTest, SignsInThroughTheBrowserAndKeepsTheAuthorization) {
    auto outcome = std::make_shared<Outcome>();
    auto screen = push(outcome);

    ASSERT_EQ(opened_.size(), 1u);
    const std::string address = opened_[0];
    EXPECT_EQ(address.rfind(GTMOAuth2SignIn::googleAuthorizationURL() + "?", 0), 0u) << address;
    EXPECT_EQ(queryKeys(address), (std::vector<std::string>{"client_id", "code_challenge", "code_challenge_method",
                                                            "redirect_uri", "response_type", "scope", "state"}));
    EXPECT_EQ(queryValue(address, "code_challenge_method"), "S256");
    EXPECT_EQ(queryValue(address, "response_type"), "code");
    EXPECT_EQ(queryValue(address, "redirect_uri"), screen->redirectReceiver()->redirectURI());
    EXPECT_EQ(queryValue(address, "scope"),
              GTMOAuth2SignIn::youTubeScope() + " " + GTMOAuth2SignIn::googleUserEmailScope());
    const std::string verifier = screen->authentication()
                                     ->additionalGrantTypeRequestParameters.at("authorization_code")
                                     .get("code_verifier")
                                     .asString();
    EXPECT_EQ(GTMOAuth2PKCE::challengeForVerifier(verifier), queryValue(address, "code_challenge"));

    const std::string page = screen->webView()->htmlString();
    EXPECT_NE(page.find("Continue in your browser"), std::string::npos);
    std::string joined = page;
    for (size_t at; (at = joined.find("<br>")) != std::string::npos;) joined.erase(at, 4);
    std::string escaped = address;
    for (size_t at = 0; (at = escaped.find('&', at)) != std::string::npos; at += 5) escaped.replace(at, 1, "&amp;");
    EXPECT_NE(joined.find(escaped), std::string::npos) << "the address to copy";
    savePicture("signin-browser-wait-1024x768");

    // Another sign-in's answer never reaches the flow.
    EXPECT_EQ(visit(*screen, "?code=4%2Fevil&state=forged"), 400);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(nav_->topViewController(), screen.get());
    EXPECT_EQ(outcome->calls, 0);

    EXPECT_EQ(visit(*screen, "?code=4%2Fabc&state=" + queryValue(address, "state")), 200);
    RunLoop::main().runUntil([&] { return outcome->calls > 0; }, 600);
    advance(1);  // the pop's animation
    EXPECT_EQ(nav_->topViewController(), root_.get()) << "the screen left as soon as the code was in";
    EXPECT_EQ(outcome->calls, 1);
    ASSERT_FALSE(outcome->error) << outcome->error->description;
    EXPECT_EQ(outcome->auth->userEmail(), "u@example.test");

    std::vector<HttpExchange> sent = server_.requests();
    ASSERT_GE(sent.size(), 1u);
    EXPECT_NE(sent[0].body.find("code=4%2Fabc&code_verifier=" + verifier + "&grant_type=authorization_code"),
              std::string::npos)
        << sent[0].body;
    auto restored = GTMOAuth2ViewControllerTouch::authForGoogleFromKeychainForName(kItem, "client", "secret");
    EXPECT_TRUE(restored->canAuthorize());
    EXPECT_EQ(restored->refreshToken(), "rt");
    EXPECT_FALSE(screen->redirectReceiver()->isListening());
}

TEST_F(SignInScreenTest, WrongClockShowsAPageAndOpensNothing) {
    testsupport::WallClockScope wall(Date::fromUnixTime(1293753600));  // 2010-12-31
    auto outcome = std::make_shared<Outcome>();
    auto screen = push(outcome);
    EXPECT_TRUE(opened_.empty());
    EXPECT_EQ(screen->webView()->htmlString(),
              "<html><body><div align=center><font size='7'>&#x231A; ?<br><i>System Clock Incorrect</i><br>"
              "2010-12-31 00:00:00 +0000</font></div></body></html>");
    savePicture("signin-clock-incorrect-1024x768");
    EXPECT_EQ(outcome->calls, 0);
}

TEST_F(SignInScreenTest, BackEndsTheSignInOnceAndCoveringEndsNothing) {
    auto outcome = std::make_shared<Outcome>();
    auto screen = push(outcome);

    auto cover = std::make_shared<ui::ViewController>();
    nav_->pushViewController(cover, false);
    nav_->popViewController(false);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(outcome->calls, 0) << "covered, not gone";

    nav_->popViewController(false);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(outcome->calls, 1);
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->domain, google::kGTMOAuth2ErrorDomain);
    EXPECT_EQ(outcome->error->code, -1000);
    EXPECT_FALSE(screen->redirectReceiver()->isListening());
    EXPECT_FALSE(GTMOAuth2ViewControllerTouch::authForGoogleFromKeychainForName(kItem, "c", "s")->canAuthorize());
}

TEST_F(SmallSignInScreenTest, WaitsForTheBrowserOnAPhone) {
    auto outcome = std::make_shared<Outcome>();
    auto screen = push(outcome);
    ASSERT_EQ(opened_.size(), 1u);
    savePicture("signin-browser-wait-568x320");
    screen->cancelSigningIn();
    advance(1);
    EXPECT_EQ(nav_->topViewController(), root_.get()) << "cancelling closes the page";
    EXPECT_EQ(outcome->calls, 0) << "a cancelled sign-in calls nobody";
    EXPECT_FALSE(screen->redirectReceiver()->isListening());
}

// A caller's own authorization and page sign in through the browser too,
// with either kind of callback; the caller's token parameters, properties
// and choice of keychain accessibility are kept.
TEST_F(SignInScreenTest, ACallersAuthorizationSignsInThroughTheBrowser) {
    server_.reply("POST", "/example/token", {200, R"({"access_token":"eat","refresh_token":"ert"})", "application/json"});
    for (const bool withDelegate : {true, false}) {
        SCOPED_TRACE(withDelegate ? "delegate" : "completion block");
        opened_.clear();
        auto outcome = std::make_shared<Outcome>();
        std::vector<std::string> namesAtFinish;
        auto finished = [outcome, &namesAtFinish](GTMOAuth2ViewControllerTouch& screen, const auto& auth,
                                                  const auto& error) {
            ++outcome->calls;
            outcome->error = error;
            outcome->auth = auth;
            for (const auto& [name, value] : screen.properties()) namesAtFinish.push_back(name);
        };
        auto auth = GTMOAuth2Authentication::authenticationWithServiceProvider(
            "Example", server_.url("/example/token"), GTMOAuth2SignIn::nativeClientRedirectURI(), "client", "secret");
        auth->setScope("photos");
        auth->additionalGrantTypeRequestParameters["authorization_code"] =
            foundation::Dictionary{{"audience", foundation::Value("tollivar")}};
        const std::string page = server_.url("/example/authorize?prompt=consent");
        auto screen = withDelegate ? GTMOAuth2ViewControllerTouch::controllerWithAuthentication(
                                         auth, page, kItem, std::make_shared<int>(0), finished)
                                   : GTMOAuth2ViewControllerTouch::controllerWithAuthentication(auth, page, kItem, finished);
        screen->setProperty("project", std::string("Movie"));
        screen->setProperty("attempt", 2);
        screen->setProperty("attempt", std::any());
        if (!withDelegate) screen->keychainItemAccessibility = security::kKeychainAccessibleWhenUnlockedThisDeviceOnly;
        show(screen);

        ASSERT_TRUE(screen->redirectReceiver());
        ASSERT_EQ(opened_.size(), 1u);
        const std::string address = opened_[0];
        EXPECT_EQ(address.rfind(page + "&", 0), 0u) << address;
        EXPECT_EQ(queryValue(address, "redirect_uri"), screen->redirectReceiver()->redirectURI());
        EXPECT_EQ(visit(*screen, "?code=4%2Fex&state=" + queryValue(address, "state")), 200);
        RunLoop::main().runUntil([&] { return outcome->calls > 0; }, 600);
        advance(1);
        EXPECT_EQ(nav_->topViewController(), root_.get());
        ASSERT_EQ(outcome->calls, 1);
        ASSERT_FALSE(outcome->error) << outcome->error->description;
        EXPECT_EQ(outcome->auth->accessToken(), "eat");
        EXPECT_EQ(namesAtFinish, std::vector<std::string>{"project"});

        const std::string body = server_.requests().back().body;
        const auto& grant = auth->additionalGrantTypeRequestParameters.at("authorization_code");
        const std::string redirect = screen->redirectReceiver()->redirectURI();
        for (const std::string& field :
             {"audience=tollivar"s, "code=4%2Fex"s, "code_verifier=" + grant.get("code_verifier").asString(),
              "redirect_uri=" + *GTMOAuth2Authentication::encodedOAuthValueForString(redirect)})
            EXPECT_NE(body.find(field), std::string::npos) << field << " in " << body;

        security::KeychainQuery saved = google::GTMOAuth2Keychain::keychainQueryForService(kItem, "OAuth");
        saved.attributes[security::kKeychainAccessible] =
            withDelegate ? security::kKeychainAccessibleAfterFirstUnlockThisDeviceOnly
                         : security::kKeychainAccessibleWhenUnlockedThisDeviceOnly;
        EXPECT_EQ(security::Keychain::standard().find(saved), security::kKeychainSuccess)
            << "the item is kept with the accessibility asked for";
    }
}

// A flow class of the caller's makes every screen's flow and gives the
// addresses of the sign-in, of the restored authorization's refresh and of
// the revocation.
TEST_F(SignInScreenTest, TheSignInClassMakesTheFlowsAndAddresses) {
    int made = 0;
    std::vector<std::string> revoked;
    google::GTMOAuth2SignInClass custom;
    custom.googleAuthorizationURL = [this] { return server_.url("/custom/auth"); };
    custom.googleTokenURL = [this] { return server_.url("/custom/token"); };
    custom.create = [&made](auto auth, auto url, auto delegate, auto webRequest, auto finished) {
        ++made;
        auto flow = GTMOAuth2SignIn::create(auth, url, delegate, webRequest, finished);
        flow->shouldFetchGoogleUserProfile = true;
        return flow;
    };
    custom.revokeTokenForGoogleAuthentication = [&revoked](const auto& auth) { revoked.push_back(auth->clientID); };
    GTMOAuth2ViewControllerTouch::setSignInClass(custom);

    auto screen = push(std::make_shared<Outcome>());
    EXPECT_EQ(made, 1);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0].rfind(server_.url("/custom/auth") + "?", 0), 0u) << opened_[0];
    EXPECT_NE(queryValue(opened_[0], "scope").find(GTMOAuth2SignIn::googleUserProfileScope()), std::string::npos);
    screen->cancelSigningIn();
    advance(1);

    auto restored = GTMOAuth2ViewControllerTouch::authForGoogleFromKeychainForName(kItem, "client", "secret");
    EXPECT_EQ(restored->tokenURL, server_.url("/custom/token"));
    GTMOAuth2ViewControllerTouch::revokeTokenForGoogleAuthentication(restored);
    EXPECT_EQ(revoked, std::vector<std::string>{"client"});
    EXPECT_EQ(GTMOAuth2ViewControllerTouch::signInClass().googleTokenURL(), server_.url("/custom/token"));
    EXPECT_EQ(GTMOAuth2ViewControllerTouch::signInClass().standardGoogleAuthenticationForScope("s", "c", "x")->tokenURL,
              GTMOAuth2SignIn::googleTokenURL())
        << "what the caller left empty stays the standard class's";
}
