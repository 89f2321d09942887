// Dropbox from the share sheet against a loopback HTTPS Dropbox: the
// account's name, a rendered movie uploaded into the app folder under the
// title, and an expired link asked for again before the upload is resent.

#include "ShareSheetTest.h"
#include "app/share/DropboxConnectHandler.h"
#include "app/share/InternetReachability.h"
#include "app/share/ShareViewController.h"
#include "components/dropbox/DropboxTestServer.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/library/ActivityViewController.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "support/MovieFacts.h"
#include "support/Pictures.h"
#include "support/WindowFixture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using foundation::RunLoop;
using testsupport::HttpReply;

class DropboxShareTest : public sharetest::ShareSheetTest {
protected:
    DropboxShareTest()
        : certificates(testsupport::TestCertificates::create(folders.root())),
          server(certificates.serverCertificateFile, certificates.serverKeyFile) {}

    void SetUp() override {
        ShareSheetTest::SetUp();
        InternetReachability::setStatusProvider([] { return 1; });
        std::ofstream(foundation::Paths::configDirectory() + "/services.plist")
            << "<plist version=\"1.0\"><dict><key>Dropbox</key><dict><key>AppKey</key><string>k3y</string>"
               "<key>AppSecret</key><string>s3cr3t</string></dict></dict></plist>";
        DBConfiguration configuration;
        configuration.apiHost = "127.0.0.1:" + std::to_string(server.port());
        configuration.contentHost = configuration.apiHost;
        configuration.webHost = configuration.apiHost;
        configuration.rootCertificates = {dropboxtest::derOfPEMFile(certificates.authorityFile)};
        configuration.claimedSchemes = {"db-k3y"};
        configuration.openURL = [this](const std::string& url) {
            opened.push_back(url);
            return true;
        };
        DBConfiguration::setCurrent(configuration);
        DBSession::setSharedSession(nullptr);
        DropboxConnectHandler::session()->setAccessToken("t0ken", "s3cret", "1234");
        server.reply("GET", "/1/account/info",
                     {200, R"({"uid": 1234, "display_name": "Test User", "country": "NZ"})", "application/json"});
    }
    void TearDown() override {
        ShareSheetTest::TearDown();
        DBSession::setSharedSession(nullptr);
        DBConfiguration::setCurrent(DBConfiguration());
    }

    ShareViewController* choose() { return ShareSheetTest::choose(std::make_shared<DropboxConnectHandler>()); }
    size_t typeTitled(const ShareViewController& screen, const std::string& title) {
        for (size_t i = 0; i < screen.exportTypes().size(); ++i)
            if (screen.exportTypes()[i].title() == title) return i;
        return 0;
    }
    static std::string fileBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    testsupport::TestCertificates certificates;
    testsupport::LoopbackHttpServer server;
    std::vector<std::string> opened;
};

TEST_F(DropboxShareTest, ARenderedMovieGoesToTheAppFolderUnderItsTitle) {
    server.reply("POST", "/1/files_put/sandbox/My_Movie.mov",
                 {200, R"({"path": "/My_Movie.mov", "rev": "1", "bytes": 1})", "text/javascript"});
    ShareViewController* screen = choose();
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return screen->accountLabel()->text() == "Dropbox – Test User"; }, 60));
    const size_t index = typeTitled(*screen, "HD - 720p");
    ASSERT_EQ(screen->exportTypes()[index].title(), "HD - 720p");
    savePicture("share_dropbox_sheet.png");

    tap(screen->typeButtons()[index].get());
    EXPECT_EQ(screen->panel()->infoText(), "Please wait while your video is being prepared.");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return screen->panel()->infoText() == "Uploading to Dropbox…"; }, 600));
    advance(1);
    savePicture("share_dropbox_uploading.png");
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return screen->panel()->infoText() == "Your movie was uploaded to Dropbox."; }, 600));

    ASSERT_EQ(server.requests().size(), 2u);
    const auto sent = server.requests().at(1);
    EXPECT_TRUE(sent.target.starts_with("/1/files_put/sandbox/My_Movie.mov?")) << sent.target;
    EXPECT_NE(sent.target.find("overwrite=false"), std::string::npos);
    const auto rendered = screen->renderer()->exportURL();
    ASSERT_TRUE(rendered);
    EXPECT_TRUE(sent.body == fileBytes(*rendered)) << "the rendered movie, byte for byte";
    const std::string received = folders.root() + "/received.mov";
    std::ofstream(received, std::ios::binary) << sent.body;
    auto facts = testsupport::probeMovieFacts(received);
    EXPECT_TRUE(facts.readable);
    EXPECT_EQ(facts.width, 1280);
    const std::string outbox = foundation::Paths::cachesDirectory() + "/Outbox";
    EXPECT_TRUE(!fs::exists(outbox) || fs::is_empty(outbox)) << "the link goes with the answer";
    finishWithDone(*screen);
}

TEST_F(DropboxShareTest, AnExpiredLinkIsAskedForAgainAndTheUploadResent) {
    int puts = 0;
    server.on("POST", "/1/files_put/sandbox/My_Movie.mov", [&](const testsupport::HttpExchange&) {
        return ++puts == 1 ? HttpReply{401, R"({"error": "expired access token"})", "text/javascript"}
                           : HttpReply{200, R"({"path": "/My_Movie.mov", "rev": "2", "bytes": 1})", "text/javascript"};
    });
    ShareViewController* screen = choose();
    ASSERT_NE(screen, nullptr);
    tap(screen->typeButtons()[typeTitled(*screen, "HD - 720p")].get());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !alertMessages().empty(); }, 600));
    EXPECT_EQ(alertMessages(), std::vector<std::string>{"Your Dropbox link has expired. Link your account again?"});
    EXPECT_FALSE(DropboxConnectHandler::session()->isLinked()) << "the expired user is unlinked";
    advance(1);
    savePicture("share_dropbox_relink.png");
    auto alert = ui::AlertView::visibleAlerts().front();
    tap(alert->buttonViewAtIndex(1));  // "Link"
    advance(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_NE(opened[0].find("/1/connect_login?k=k3y"), std::string::npos);

    // The browser comes back: the application stores the new tokens and posts the answer.
    DropboxConnectHandler::session()->setAccessToken("n3w", "s3cret", "1234");
    foundation::Dictionary info;
    info.set(DropboxConnectHandler::kLoginNotification, foundation::Value(true));
    foundation::NotificationCenter::defaultCenter().post(DropboxConnectHandler::kLoginNotification, nullptr, info);
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return screen->panel()->infoText() == "Your movie was uploaded to Dropbox."; }, 600));
    EXPECT_EQ(puts, 2);
    const auto requests = server.requests();
    EXPECT_NE(requests.back().target.find("oauth_token=n3w"), std::string::npos) << requests.back().target;
    finishWithDone(*screen);
}

}  // namespace
