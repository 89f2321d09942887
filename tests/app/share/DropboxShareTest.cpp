// Dropbox from the share sheet against a loopback HTTPS Dropbox: the
// account's name, a rendered movie uploaded into the app folder under the
// title, and an expired link asked for again before the upload is resent.

#include "DropboxTestServices.h"
#include "ShareSheetTest.h"
#include "ShareTestSupport.h"
#include "app/share/DropboxConnectHandler.h"
#include "app/share/DropboxUploadQueue.h"
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

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <mutex>

namespace {

namespace fs = std::filesystem;
using foundation::RunLoop;
using testsupport::HttpReply;

class DropboxShareTest : public sharetest::ShareSheetTest {
protected:
    DropboxShareTest() : server(dropbox.server), opened(dropbox.opened) {}

    void SetUp() override {
        ShareSheetTest::SetUp();
        InternetReachability::setStatusProvider([] { return 1; });
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

    DropboxTestServices dropbox{folders.root()};
    testsupport::LoopbackHttpServer& server;
    std::vector<std::string>& opened;
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
    EXPECT_TRUE(sharetest::outboxEmptyOnceSettled()) << "the link goes with the answer";
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

// An upload the last run left waiting (its card long closed, the render
// cache wiped) goes out at the next start, from its Outbox link.
TEST_F(DropboxShareTest, AnUploadLeftWaitingAtQuitIsSentAtTheNextStart) {
    struct Unanswered : DropboxUploadQueue::Transport {
        void upload(const std::string&, std::shared_ptr<const foundation::FileDescriptor>, const std::string&,
                    Progress, Completion) override {}
        void cancel() override {}
    };
    const std::string movie = folders.root() + "/rendered.mov";
    std::ofstream(movie, std::ios::binary) << "the movie's bytes";
    {
        DropboxUploadQueue lastRun(true);
        lastRun.setTransport(std::make_shared<Unanswered>());
        ASSERT_TRUE(lastRun.enqueue(movie, "/Left_Over.mov", {}, {}).ok());
    }
    fs::remove(movie);
    server.reply("POST", "/1/files_put/sandbox/Left_Over.mov",
                 {200, R"({"path": "/Left_Over.mov", "rev": "1", "bytes": 17})", "text/javascript"});

    ASSERT_EQ(DropboxConnectHandler::resumeUploads().size(), 1u);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return DropboxUploadQueue::shared().count() == 0; }, 60));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].target.starts_with("/1/files_put/sandbox/Left_Over.mov?")) << requests[0].target;
    EXPECT_EQ(requests[0].body, "the movie's bytes");
    EXPECT_TRUE(sharetest::outboxEmptyOnceSettled()) << "the link and the list go with the answer";
}

// Holds a server's answer until the test lets it go; let go at the latest
// when it goes, so the server can stop.
class AnswerGate {
public:
    ~AnswerGate() { open(); }
    void wait() {
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [&] { return isOpen_; });
    }
    void open() {
        std::lock_guard lock(mutex_);
        isOpen_ = true;
        opened_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool isOpen_ = false;
};

// While an answer is held the transfer waiting for it is background work, and
// the virtual clock does not move until it ends: every step taken meanwhile
// runs the loop until a state is reached, never for a stretch of time.
TEST_F(DropboxShareTest, TwoProjectsSharedBackToBackArriveOneAfterTheOther) {
    AnswerGate firstAnswer;
    std::atomic<bool> firstArrived = false, firstAnswered = false, secondArrived = false;
    std::atomic<bool> secondCameBeforeFirstAnswer = false;
    server.on("POST", "/1/files_put/sandbox/My_Movie.mov", [&](const testsupport::HttpExchange&) {
        firstArrived = true;
        // A posted task, not a bare wake-up: a loop waiting on background
        // work only looks at its predicate again once something ran.
        RunLoop::main().post([] {});
        firstAnswer.wait();
        firstAnswered = true;
        return HttpReply{200, R"({"path": "/My_Movie.mov", "rev": "1", "bytes": 1})", "text/javascript"};
    });
    server.on("POST", "/1/files_put/sandbox/Second_Movie.mov", [&](const testsupport::HttpExchange&) {
        secondCameBeforeFirstAnswer = !firstAnswered;
        secondArrived = true;
        return HttpReply{200, R"({"path": "/Second_Movie.mov", "rev": "1", "bytes": 1})", "text/javascript"};
    });
    const ProjectModelPtr first = project;

    // The first project's upload starts, and its answer is held back.
    ShareViewController* screen = choose();
    ASSERT_NE(screen, nullptr);
    tap(screen->typeButtons()[typeTitled(*screen, "HD - 720p")].get());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return firstArrived.load(); }, 600));
    const auto firstRendered = screen->renderer()->exportURL();
    ASSERT_TRUE(firstRendered);
    const std::string firstBytes = fileBytes(*firstRendered);
    ASSERT_FALSE(firstBytes.empty());

    // Its card closes meanwhile: the render cache goes, and the sheet with it.
    MovieRenderer::cleanRenderCacheForProject(first);
    EXPECT_FALSE(fs::exists(*firstRendered)) << "the card took its render away";
    root->dismissViewController(false);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return root->presentedViewController() == nullptr; }, 60));
    sheet.reset();
    service.reset();

    // The second project is shared while the first still waits for its answer.
    ASSERT_NO_FATAL_FAILURE(makeProject("Second Movie"));
    presentSheet(std::make_shared<DropboxConnectHandler>());
    sheet->chooseActivityAtIndex(0);
    ui::NavigationController* navigation = nullptr;
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return (navigation = dynamic_cast<ui::NavigationController*>(sheet->presentedViewController())); }, 60));
    window->layoutIfNeeded();
    screen = dynamic_cast<ShareViewController*>(navigation->topViewController());
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !screen->typeButtons().empty(); }, 60));
    // A synthetic touch takes time to press and lift: the button's action instead.
    screen->typeButtons()[typeTitled(*screen, "HD - 720p")]->sendActionsForControlEvents(ui::ControlEventTouchUpInside);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return DropboxUploadQueue::shared().count() == 2; }, 600));
    EXPECT_EQ(screen->panel()->infoText(), "Uploading to Dropbox…");
    EXPECT_FALSE(secondArrived) << "the second upload waits for the first's answer";

    firstAnswer.open();
    ASSERT_TRUE(waitForInfo(*screen, "Your movie was uploaded to Dropbox."));
    EXPECT_TRUE(secondArrived);
    EXPECT_FALSE(secondCameBeforeFirstAnswer);
    const auto secondRendered = screen->renderer()->exportURL();
    ASSERT_TRUE(secondRendered);

    // Both arrived whole, and nothing is left in the Outbox.
    std::map<std::string, std::string> arrived;
    for (const auto& request : server.requests())
        if (request.path.starts_with("/1/files_put/")) arrived[request.path] = request.body;
    ASSERT_EQ(arrived.size(), 2u);
    EXPECT_TRUE(arrived["/1/files_put/sandbox/My_Movie.mov"] == firstBytes);
    EXPECT_TRUE(arrived["/1/files_put/sandbox/Second_Movie.mov"] == fileBytes(*secondRendered));
    EXPECT_EQ(DropboxUploadQueue::shared().count(), 0u);
    EXPECT_TRUE(sharetest::outboxEmptyOnceSettled());
    finishWithDone(*screen);
}

}  // namespace
