// Linking Dropbox from the share service: the hand-off address goes to the
// desktop's opener, and only the link this service started takes the
// application's "DropboxLoginNotification" answer.

#include "ShareTestSupport.h"
#include "app/share/DropboxConnectHandler.h"
#include "components/dropbox/DBConfiguration.h"
#include "components/dropbox/DBSession.h"
#include "components/dropbox/DropboxTestServer.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

class DropboxConnectHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        DBSession::setSharedSession(nullptr);
        std::ofstream(foundation::Paths::configDirectory() + "/services.plist")
            << "<plist version=\"1.0\"><dict><key>Dropbox</key><dict><key>AppKey</key><string>appkey</string>"
               "<key>AppSecret</key><string>secret</string></dict></dict></plist>";
        handler->setDelegate(&delegate);
    }
    void TearDown() override {
        DBSession::setSharedSession(nullptr);
        DBConfiguration::setCurrent(DBConfiguration());
    }
    // The desktop routes the application's scheme here (or not); addresses
    // handed to the browser are recorded.
    void desktop(bool claimsScheme) {
        DBConfiguration configuration;
        if (claimsScheme) configuration.claimedSchemes = {"db-appkey"};
        // Nothing listens there: the account request fails at once, offline.
        configuration.apiHost = "127.0.0.1:9";
        configuration.openURL = dropboxtest::recordingOpener(opened);
        DBConfiguration::setCurrent(configuration);
    }
    static void answer(bool linked, std::optional<foundation::Error> error = std::nullopt) {
        foundation::Dictionary info;
        info.set(DropboxConnectHandler::kLoginNotification, foundation::Value(linked));
        if (error) info.set(DropboxConnectHandler::kLoginErrorKey, foundation::Value::object(*error));
        foundation::NotificationCenter::defaultCenter().post(DropboxConnectHandler::kLoginNotification, nullptr, info);
    }

    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
    std::shared_ptr<DropboxConnectHandler> handler = std::make_shared<DropboxConnectHandler>();
    sharetest::RecordingDelegate delegate;
    std::vector<std::string> opened;
};

TEST_F(DropboxConnectHandlerTest, OnlyTheLinkThisServiceStartedTakesTheAnswer) {
    desktop(true);
    EXPECT_TRUE(handler->isConfigured());
    EXPECT_FALSE(handler->isLoggedIn());
    answer(true);  // nobody asked: nothing happens
    EXPECT_EQ(delegate.logins, 0);

    handler->login();
    EXPECT_TRUE(handler->isWaitingForLogin());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].rfind("https://www.dropbox.com/1/connect_login?k=appkey&s=", 0), 0u) << opened[0];
    answer(false);
    EXPECT_FALSE(handler->isWaitingForLogin());
    ASSERT_EQ(delegate.failedLogins.size(), 1u);
    EXPECT_FALSE(delegate.failedLogins[0].has_value()) << "NO ends the sign-in as cancelled";
    answer(true);
    EXPECT_EQ(delegate.logins, 0) << "the cancelled link is over";

    handler->login();
    DropboxConnectHandler::session()->setAccessToken("token", "secret", "42");
    answer(true);
    // Signed in: the screen hears once the account's name is known (none here).
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return delegate.logins == 1; }, 60));
    EXPECT_TRUE(handler->isLoggedIn());
    EXPECT_EQ(handler->accountName(), "");
    EXPECT_EQ(delegate.failedLogins.size(), 1u);
    EXPECT_TRUE(delegate.progress.empty());
}

// A link the session refused for what it carried ends the sign-in with that
// error for the screen to show, not as a cancel.
TEST_F(DropboxConnectHandlerTest, ARefusedLinkFailsTheSignInWithItsError) {
    desktop(true);
    handler->login();
    answer(false,
           foundation::Error(DBSession::kErrorDomain, DBSession::kErrorUnstorableLink, DBSession::kUnstorableLinkText));
    EXPECT_FALSE(handler->isWaitingForLogin());
    EXPECT_FALSE(handler->isLoggedIn());
    ASSERT_EQ(delegate.failedLogins.size(), 1u);
    ASSERT_TRUE(delegate.failedLogins[0].has_value());
    EXPECT_EQ(delegate.failedLogins[0]->domain, DBSession::kErrorDomain);
    EXPECT_EQ(delegate.failedLogins[0]->description, DBSession::kUnstorableLinkText);
    EXPECT_EQ(delegate.logins, 0);
}

TEST_F(DropboxConnectHandlerTest, WithoutTheSchemeNoBrowserOpens) {
    desktop(false);
    handler->login();
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(handler->isWaitingForLogin());
    ASSERT_EQ(delegate.failedLogins.size(), 1u);
    ASSERT_TRUE(delegate.failedLogins[0].has_value());
    EXPECT_EQ(delegate.failedLogins[0]->description,
              "Linking Dropbox needs the application installed on this desktop (see the README).");
}

TEST_F(DropboxConnectHandlerTest, TitlesGoToTheAppFolderAndTheSessionIsTheSandbox) {
    auto session = DropboxConnectHandler::session();
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->root(), "sandbox");
    EXPECT_EQ(session->appKey(), "appkey");
    EXPECT_EQ(DropboxConnectHandler::session(), session) << "installed once";
    EXPECT_EQ(handler->getSupportedUTIs().size(), 3u);
    DBSession::setSharedSession(nullptr);
    std::ofstream(foundation::Paths::configDirectory() + "/services.plist") << "<plist><dict/></plist>";
    EXPECT_EQ(DropboxConnectHandler::session(), nullptr);
    EXPECT_FALSE(handler->isConfigured());
    EXPECT_EQ(handler->notSetUpText(), "Dropbox is not set up on this computer.");
}

}  // namespace
