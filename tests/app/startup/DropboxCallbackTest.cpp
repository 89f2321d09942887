#include "LaunchFixture.h"
#include "components/dropbox/DBSession.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"

namespace startuptest {
namespace {

// Dropbox set up with the key "k3y", as a desktop's services.plist does.
bool writeDropboxServices() {
    using foundation::Dictionary;
    return foundation::plist::writeFile(
               Dictionary{{"Dropbox", Dictionary{{"AppKey", "k3y"}, {"AppSecret", "s3cr3t"}}}},
               foundation::path::appending(foundation::Paths::configDirectory(), "services.plist"))
        .ok();
}

// The answers "DropboxLoginNotification" carried: "true", "false" or "none",
// then ": " and the text of an error that came with it.
struct LoginAnswers {
    std::vector<std::string> posted;
    foundation::ObserverToken token = foundation::NotificationCenter::defaultCenter().addObserver(
        "DropboxLoginNotification", nullptr, [this](const foundation::Notification& notification) {
            foundation::Value linked = notification.userInfo.get("DropboxLoginNotification");
            std::string answer = !linked.isBool() ? "none" : linked.asBool() ? "true" : "false";
            if (auto* error = notification.userInfo.get("ERROR").objectAs<foundation::Error>())
                answer += ": " + error->description;
            posted.push_back(answer);
        });
};

// The login callback of the browser starts the application with its address:
// the session installed at launch takes it, and the share service hears of
// the link through "DropboxLoginNotification".
TEST_F(LaunchTest, ADropboxCallbackThatStartsTheApplicationLinksTheUser) {
    using foundation::Value;
    ASSERT_TRUE(writeDropboxServices());
    foundation::UserDefaults::standard().setObject(Value("N1"), "dropbox.sync.nonce");
    LoginAnswers answers;

    foundation::Dictionary options;
    options.set(ui::Application::LaunchOptionsURLKey,
                Value("db-k3y://1/connect?oauth_token=t0ken&oauth_token_secret=s%2B&uid=42&state=N1"));
    launch(options);
    EXPECT_EQ(answers.posted, std::vector<std::string>{"true"});
    ASSERT_TRUE(DBSession::sharedSession());
    EXPECT_EQ(DBSession::sharedSession()->userIds(), std::vector<std::string>{"42"});
    EXPECT_EQ(DBSession::sharedSession()->credentialStoreForUserId(std::string("42"))->accessTokenSecret(), "s+");

    // Another application's callback is not ours.
    EXPECT_FALSE(ui::Application::shared().handleIncomingURL("db-other://1/connect?state=N1"));
    EXPECT_EQ(answers.posted.size(), 1u);
    DBSession::setSharedSession(nullptr);
}

// Every answer of the browser for our scheme ends the login the share screen
// waits for; only an accepted connect callback says linked. The session's own
// answer is what the application returns. Cases run in order on one launch:
// an account linked by the first stays linked for the rest.
TEST_F(LaunchTest, EveryDropboxCallbackOfOurSchemeAnswersTheWaitingLogin) {
    ASSERT_TRUE(writeDropboxServices());
    launch();
    ASSERT_TRUE(DBSession::sharedSession());
    LoginAnswers answers;
    struct Case {
        const char* url;
        bool handled;
        std::vector<std::string> posted;
    };
    const std::string unstorable = std::string("false: ") + DBSession::kUnstorableLinkText;
    const Case cases[] = {
        {"db-k3y://1/connect?oauth_token=t0ken&oauth_token_secret=s&uid=42&state=N1", true, {"true"}},
        // Tokens that are no text would be linked for this run only.
        {"db-k3y://1/connect?oauth_token=t%FF&oauth_token_secret=s&uid=7&state=N1", false, {unstorable}},
        {"db-k3y://1/connect?oauth_token=t0ken&oauth_token_secret=s&uid=7&state=OLD", false, {"false"}},
        {"db-k3y://1/connect?oauth_token=t0ken&oauth_token_secret=s&uid=7", false, {"false"}},
        {"db-k3y://1/connect?oauth_token_secret=s&uid=7&state=N1", false, {unstorable}},
        {"db-k3y://1/connect?oauth_token=t0ken&oauth_token_secret=s&uid=&state=N1", false, {unstorable}},
        {"db-k3y://1/connect", false, {"false"}},
        {"db-k3y://1/cancel", true, {"false"}},
        {"db-k3y://1/connected?oauth_token=t0ken&oauth_token_secret=s&uid=7&state=N1", true, {"false"}},
        {"db-k3y://2/connect?oauth_token=t0ken&oauth_token_secret=s&uid=7&state=N1", false, {"false"}},
        {"DB-K3Y://1/cancel", false, {"false"}},
        {"db-k3yz://1/connect?oauth_token=t0ken&oauth_token_secret=s&uid=7&state=N1", false, {}},
        {"db-other://1/cancel", false, {}},
        {"db-k3y", false, {}},
        {"https://www.dropbox.com/1/connect", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        foundation::UserDefaults::standard().setObject(foundation::Value("N1"), "dropbox.sync.nonce");
        answers.posted.clear();
        EXPECT_EQ(ui::Application::shared().handleIncomingURL(c.url), c.handled);
        EXPECT_EQ(answers.posted, c.posted);
    }
    // No refused callback linked anyone or dropped the account linked first.
    EXPECT_EQ(DBSession::sharedSession()->userIds(), std::vector<std::string>{"42"});
    DBSession::setSharedSession(nullptr);
}

}  // namespace
}  // namespace startuptest
