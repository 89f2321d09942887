#include "DropboxTestServer.h"
#include "components/dropbox/DBConnectController.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/controls/Button.h"
#include "support/WindowFixture.h"

namespace {

using testsupport::HttpReply;

// The login page over a window, with a recording URL opener instead of a browser.
class DBConnectControllerTest : public testsupport::WindowFixture {
protected:
    void configure(const std::string& webHost, std::vector<foundation::Bytes> roots) {
        DBConfiguration configuration;
        configuration.webHost = webHost;
        configuration.rootCertificates = std::move(roots);
        configuration.claimedSchemes = {"tollivar", "db-k3y"};
        configuration.openURL = dropboxtest::recordingOpener(opened);
        DBConfiguration::setCurrent(configuration);
        session = std::make_shared<DBSession>("k3y", "s3cr3t", "sandbox");
        root = showFillingRoot(std::make_shared<ui::ViewController>());
    }
    void TearDown() override {
        DBConfiguration::setCurrent(DBConfiguration());
        testsupport::WindowFixture::TearDown();
    }
    bool runUntil(const std::function<bool()>& condition) {
        return foundation::RunLoop::main().runUntil(condition, 60);
    }

    testsupport::TempAppFolders folders;
    std::vector<std::string> opened;
    std::shared_ptr<DBSession> session;
    std::shared_ptr<ui::ViewController> root;
};

}  // namespace

TEST_F(DBConnectControllerTest, AReachablePageOpensInTheBrowserAndTheCallbackLinks) {
    auto certificates = testsupport::TestCertificates::create(folders.root());
    testsupport::LoopbackHttpServer server(certificates.serverCertificateFile, certificates.serverKeyFile);
    server.reply("GET", "/1/connect_login", {200, "<html>login</html>", "text/html"});
    configure("127.0.0.1:" + std::to_string(server.port()), {dropboxtest::rootOf(certificates)});

    session->linkFromController(root.get());
    DBConnectController* page = DBConnectController::current();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->title, "Dropbox");
    ASSERT_TRUE(runUntil([&] { return !opened.empty(); }));
    const std::string nonce = *foundation::UserDefaults::standard().stringForKey("dropbox.sync.nonce");
    EXPECT_EQ(opened.at(0), "https://127.0.0.1:" + std::to_string(server.port()) + "/1/connect_login?k=k3y&s=" +
                                DBSession::checkValueForSecret("s3cr3t") + "&state=" + nonce + "&easl=1");
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(page->statusText(), "Continue in your browser to link your Dropbox account.");
    EXPECT_TRUE(page->hasLoaded());
    advance(1);
    savePicture("dropbox_login_page");
    tap(page->openBrowserAgainButton());
    EXPECT_EQ(opened.size(), 2u);

    EXPECT_TRUE(session->handleOpenURL("db-k3y://1/connect?oauth_token=t&oauth_token_secret=s&uid=7&state=" + nonce));
    EXPECT_TRUE(session->isLinked());
    advance(1);
    EXPECT_EQ(root->presentedViewController(), nullptr);  // the callback closed the page
}

TEST_F(DBConnectControllerTest, AFailedFetchOffersRetryAndCancelReportsThroughTheAppScheme) {
    configure("127.0.0.1:" + std::to_string(testsupport::unusedLoopbackPort()), {});
    session->linkFromController(root.get());
    ASSERT_TRUE(runUntil([&] { return !alertMessages().empty(); }));
    auto alert = ui::AlertView::visibleAlerts().back();
    EXPECT_EQ(alert->title(), "Internet connection lost");
    EXPECT_EQ(alert->message(), "Please try again.");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Cancel");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Retry");
    EXPECT_TRUE(opened.empty());
    advance(1);
    savePicture("dropbox_login_connection_lost");

    alert->clickButtonAtIndex(1);  // Retry: one more attempt, one more alert
    ASSERT_TRUE(runUntil(
        [&] { return ui::AlertView::visibleAlerts().size() == 1 && ui::AlertView::visibleAlerts().back() != alert; }));
    ui::AlertView::visibleAlerts().back()->clickButtonAtIndex(0);  // Cancel
    advance(1);                                                    // the alert and the page finish going away
    EXPECT_EQ(opened, std::vector<std::string>{"db-k3y://1/cancel"});
    EXPECT_TRUE(session->handleOpenURL(opened.back()));
    EXPECT_FALSE(session->isLinked());
}
