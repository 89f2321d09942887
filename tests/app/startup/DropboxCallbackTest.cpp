#include "LaunchFixture.h"
#include "components/dropbox/DBSession.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"

namespace startuptest {
namespace {

// The login callback of the browser starts the application with its address:
// the session installed at launch takes it, and the share service hears of
// the link through "DropboxLoginNotification".
TEST_F(LaunchTest, ADropboxCallbackThatStartsTheApplicationLinksTheUser) {
    using foundation::Dictionary;
    using foundation::Value;
    ASSERT_TRUE(foundation::plist::writeFile(
        Dictionary{{"Dropbox", Dictionary{{"AppKey", "k3y"}, {"AppSecret", "s3cr3t"}}}},
        foundation::path::appending(foundation::Paths::configDirectory(), "services.plist")));
    foundation::UserDefaults::standard().setObject(Value("N1"), "dropbox.sync.nonce");
    std::vector<Value> posted;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        "DropboxLoginNotification", nullptr, [&](const foundation::Notification& notification) {
            posted.push_back(notification.userInfo.get("DropboxLoginNotification"));
        });

    Dictionary options;
    options.set(ui::Application::LaunchOptionsURLKey,
                Value("db-k3y://1/connect?oauth_token=t0ken&oauth_token_secret=s%2B&uid=42&state=N1"));
    launch(options);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_TRUE(posted[0].asBool());
    ASSERT_TRUE(DBSession::sharedSession());
    EXPECT_EQ(DBSession::sharedSession()->userIds(), std::vector<std::string>{"42"});
    EXPECT_EQ(DBSession::sharedSession()->credentialStoreForUserId(std::string("42"))->accessTokenSecret(), "s+");

    // Another application's callback is not ours.
    EXPECT_FALSE(ui::Application::shared().handleIncomingURL("db-other://1/connect?state=N1"));
    EXPECT_EQ(posted.size(), 1u);
    DBSession::setSharedSession(nullptr);
}

}  // namespace
}  // namespace startuptest
