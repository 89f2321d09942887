// YouTube on the one share screen against a loopback HTTPS provider and
// video service: the account and its sign-out, the region's categories,
// Private unless changed, the upload through a dropped connection and the
// resume after a failure, all on the panel every service shares.

#include "ShareSheetTest.h"
#include "YouTubeTestServices.h"
#include "app/share/InternetReachability.h"
#include "app/share/YoutubeConnectHandler.h"
#include "components/google/GTLJSONParser.h"
#include "components/google/GTMHTTPFetcher.h"
#include "components/google/GTMOAuth2Keychain.h"
#include "components/google/signin/GTMOAuth2ViewControllerTouch.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/security/Digest.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/SegmentedControl.h"
#include "platform/ui/text/TextField.h"
#include "support/TcpRelay.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using foundation::RunLoop;
using testsupport::HttpReply;
using testsupport::VideoServiceExchange;

namespace {

constexpr uint64_t kMovieLength = 52428800;

class YouTubeShareTest : public sharetest::ShareSheetTest {
protected:
    explicit YouTubeShareTest(graphics::Rect frame = graphics::Rect(0, 0, 1024, 768)) : ShareSheetTest(frame) {}

    void SetUp() override {
        ShareSheetTest::SetUp();
        InternetReachability::setStatusProvider([] { return 1; });
        services_.emplace(folders.root());
        services_->answerAccountCalls();
        services_->writeServicesFile();
    }
    void TearDown() override {
        youtube_.reset();
        ShareSheetTest::TearDown();
        services_.reset();
    }

    // The service chosen on the sheet with the saved account, its categories loaded.
    ShareViewController* chooseSignedIn() {
        services_->saveAccount();
        youtube_ = std::make_shared<YoutubeConnectHandler>();
        youtube_->regionCode = "DE";
        youtube_->language = "de";
        ShareViewController* screen = choose(youtube_);
        if (!screen) return nullptr;
        RunLoop::main().runUntil([&] { return !youtube_->getCategories().empty(); }, 600);
        advance(1);
        window->layoutIfNeeded();
        return screen;
    }
    std::string movieFile(uint64_t length) {
        std::string path = folders.root() + "/movie.mov";
        std::ofstream out(path, std::ios::binary);
        std::string block(1 << 20, '\0');
        for (uint64_t done = 0; done < length; done += block.size()) {
            for (size_t i = 0; i < block.size(); i += 4096) block[i] = static_cast<char>((done + i) / 4096 % 251);
            out.write(block.data(), static_cast<std::streamsize>(std::min<uint64_t>(block.size(), length - done)));
        }
        return path;
    }
    void waitForUpload() {
        RunLoop::main().runUntil([&] { return !youtube_->uploader()->isUploading(); }, 3600);
        advance(1);
        window->layoutIfNeeded();
    }

    std::optional<YouTubeTestServices> services_;
    std::shared_ptr<YoutubeConnectHandler> youtube_;
};

class SmallYouTubeShareTest : public YouTubeShareTest {
protected:
    SmallYouTubeShareTest() : YouTubeShareTest(graphics::Rect(0, 0, 568, 320)) {}
};

}  // namespace

TEST_F(YouTubeShareTest, ShowsTheAccountTheCategoriesAndPrivateBeforeAnyChoice) {
    ShareViewController* screen = chooseSignedIn();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->accountLabel()->text(), "YouTube – u@example.test");
    EXPECT_EQ(screen->signButton()->currentTitle(), "Sign Out");
    EXPECT_EQ(screen->privacyControl()->selectedSegmentIndex(), 2);
    EXPECT_EQ(screen->privacyControl()->titleForSegmentAtIndex(2), "Private");
    EXPECT_EQ(screen->categoryButton()->currentTitle(), "Film & Animation");
    EXPECT_EQ(screen->captionField()->placeholder(), "Description");
    ASSERT_FALSE(screen->typeButtons().empty());
    EXPECT_TRUE(screen->typeButtons()[0]->isEnabled());
    // The category list asked for the region's assignable categories.
    const auto calls = services_->videos.requests();
    ASSERT_FALSE(calls.empty());
    EXPECT_NE(calls.front().body.find("\"regionCode\":\"DE\""), std::string::npos) << calls.front().body;
    savePicture("youtube-upload-form-1024x768");

    // Another category from the sheet.
    tap(screen->categoryButton());
    ASSERT_FALSE(ui::ActionSheet::visibleSheets().empty());
    auto sheet = ui::ActionSheet::visibleSheets().back();
    tap(sheet->buttonViewAtIndex(sheet->firstOtherButtonIndex() + 1));
    advance(1);
    EXPECT_EQ(screen->categoryButton()->currentTitle(), "Entertainment");
    EXPECT_EQ(youtube_->chosenCategory(), std::optional<size_t>(1));

    // Signing out forgets the account, and nothing can be sent.
    tap(screen->signButton());
    EXPECT_EQ(screen->accountLabel()->text(), "YouTube – Not signed in");
    EXPECT_EQ(screen->signButton()->currentTitle(), "Sign In");
    EXPECT_FALSE(screen->typeButtons()[0]->isEnabled());
    EXPECT_FALSE(screen->categoryButton()->isEnabled());
    EXPECT_FALSE(google::GTMOAuth2Keychain::authForGoogleFromKeychainForName(YouTubeSettings::kKeychainItemName,
                                                                             "client", "secret")
                     ->canAuthorize());
    screen->chooseExportType(0);
    EXPECT_FALSE(screen->panel()) << "no render without an account";

    // Signing in again pushes the sign-in screen over the form.
    tap(screen->signButton());
    advance(1);
    auto* navigation = screen->navigationController();
    ASSERT_NE(navigation, nullptr);
    EXPECT_TRUE(dynamic_cast<google::GTMOAuth2ViewControllerTouch*>(navigation->topViewController()));
}

TEST_F(YouTubeShareTest, WithoutAnAccountTheSignInComesFirstAndClosingItEndsTheShare) {
    youtube_ = std::make_shared<YoutubeConnectHandler>();
    EXPECT_EQ(choose(youtube_), nullptr) << "the sign-in screen is on top";
    auto* navigation = dynamic_cast<ui::NavigationController*>(sheet->presentedViewController());
    ASSERT_NE(navigation, nullptr);
    ASSERT_EQ(navigation->viewControllers().size(), 2u);
    EXPECT_TRUE(std::dynamic_pointer_cast<ShareViewController>(navigation->viewControllers()[0]));
    auto* signIn = dynamic_cast<google::GTMOAuth2ViewControllerTouch*>(navigation->topViewController());
    ASSERT_NE(signIn, nullptr);
    EXPECT_EQ(services_->videos.requestCount(), 0u);
    // Back from the sign-in screen.
    navigation->popViewController(false);
    advance(1);
    EXPECT_EQ(completed, std::optional<bool>(false));
    EXPECT_EQ(services_->videos.requestCount(), 0u);
}

TEST_F(SmallYouTubeShareTest, RenderThenUploadProgressOnThePanelAndCancel) {
    // The upload's line stalls after its first bytes, so the panel stays at work.
    testsupport::TcpRelay relay(services_->videos.port(), 100000, testsupport::TcpRelay::Fault::Stall);
    services_->videos.setPublicBaseURL(relay.baseURL("https"));
    ShareViewController* screen = chooseSignedIn();
    ASSERT_NE(screen, nullptr);
    screen->titleField()->setText("Phone");
    tap(screen->typeButtons()[0].get());
    ASSERT_TRUE(screen->panel());
    EXPECT_EQ(screen->panel()->infoText(), "Please wait while your video is being prepared.");
    ASSERT_TRUE(waitForInfo(*screen, "Uploading to YouTube…"));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return relay.faulted(); }, 60));
    // The stalled chunk keeps the clock from moving on its own; a second of
    // it is far below the chunk's idle limit.
    clock.clock().advanceTo(clock.now() + 1);
    while (RunLoop::main().processPending()) {}
    window->layoutIfNeeded();
    EXPECT_TRUE(youtube_->uploader()->isUploading());
    savePicture("youtube-upload-progress-568x320");
    screen->panel()->actionCancel();
    advance(1);
    EXPECT_EQ(completed, std::optional<bool>(false));
    EXPECT_FALSE(youtube_->uploader()->isUploading());
    EXPECT_FALSE(youtube_->uploadedVideoID());
}

TEST_F(YouTubeShareTest, UploadsThroughADroppedConnectionToTheEnd) {
    const std::string path = movieFile(kMovieLength);
    // Upload chunks go through a relay that drops its line 40 % into the movie.
    testsupport::TcpRelay relay(services_->videos.port(), kMovieLength * 2 / 5, testsupport::TcpRelay::Fault::Cut);
    services_->videos.setPublicBaseURL(relay.baseURL("https"));
    ShareViewController* screen = chooseSignedIn();
    ASSERT_NE(screen, nullptr);
    // When each upload request went out, on the virtual clock.
    std::vector<std::pair<double, std::string>> uploadStarts;
    auto observer = foundation::NotificationCenter::defaultCenter().addObserver(
        google::kGTMHTTPFetcherStartedNotification, nullptr, [&](const foundation::Notification& note) {
            auto range = static_cast<const google::GTMHTTPFetcher*>(note.object)
                             ->request()
                             .valueForHTTPHeaderField("Content-Range");
            if (range) uploadStarts.emplace_back(RunLoop::main().now(), *range);
        });
    screen->titleField()->setText("Our first movie");
    screen->captionField()->setText("A walk in the park");
    screen->shareFile(screen->exportTypes()[0], path);
    EXPECT_EQ(screen->panel()->infoText(), "Uploading to YouTube…");
    waitForUpload();

    ASSERT_EQ(youtube_->uploadedVideoID(), "fakevideo1") << screen->panel()->infoText();
    EXPECT_EQ(screen->panel()->infoText(), "Your movie was uploaded to YouTube. Video ID: fakevideo1");
    EXPECT_TRUE(relay.faulted());
    const std::string held = services_->videos.uploadedBytes();
    std::ifstream source(path, std::ios::binary);
    std::string original((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    EXPECT_EQ(held.size(), kMovieLength);
    EXPECT_TRUE(security::sha256(held) == security::sha256(original)) << "the server holds the movie unchanged";

    std::vector<VideoServiceExchange> sent = services_->videos.requests();
    auto start = std::find_if(sent.begin(), sent.end(),
                              [](const auto& e) { return e.method == "POST" && e.target.rfind("/upload", 0) == 0; });
    ASSERT_NE(start, sent.end());
    EXPECT_EQ(start->target, "/upload/rpc?uploadType=resumable&prettyPrint=false");
    EXPECT_EQ(start->header("Authorization"), "Bearer at");
    EXPECT_EQ(start->header("X-Upload-Content-Length"), "52428800");
    EXPECT_EQ(start->header("X-Upload-Content-Type"), "video/quicktime");
    auto call = google::GTLJSONParser::objectWithString(start->body, nullptr);
    ASSERT_TRUE(call);
    auto json = call->asDictionary();
    EXPECT_EQ(json.get("jsonrpc").asString(), "2.0");
    EXPECT_EQ(json.get("method").asString(), "youtube.videos.insert");
    EXPECT_EQ(json.get("apiVersion").asString(), "v3");
    EXPECT_EQ(json.get("id").asString().rfind("gtl_", 0), 0u);
    auto params = json.get("params").asDictionary();
    EXPECT_EQ(params.get("part").asString(), "snippet,status");
    auto resource = params.get("resource").asDictionary();
    EXPECT_EQ(resource.get("snippet").asDictionary().get("title").asString(), "Our first movie");
    const std::string description = resource.get("snippet").asDictionary().get("description").asString();
    EXPECT_EQ(description.rfind("A walk in the park", 0), 0u) << description;
    EXPECT_TRUE(description.ends_with("Made with Tollivar")) << description;
    EXPECT_EQ(resource.get("snippet").asDictionary().get("categoryId").asString(), "1");
    EXPECT_EQ(resource.get("status").asDictionary().get("privacyStatus").asString(), "private");

    // Chunks carry no token. The chunk cut on its kept-alive connection is
    // not sent again blindly: after the retry delay a status query asks what
    // arrived, the server answers with whole 256 KiB steps below the cut, and
    // the next chunk starts right behind them.
    auto startOf = [](const VideoServiceExchange& e) {
        std::string range = e.header("Content-Range").value_or("");
        return range.rfind("bytes ", 0) == 0 && range[6] != '*' ? std::stoull(range.substr(6)) : UINT64_MAX;
    };
    auto cut = std::find_if(start + 1, sent.end(), [](const auto& e) { return e.cut; });
    ASSERT_NE(cut, sent.end());
    ASSERT_EQ(std::count_if(sent.begin(), sent.end(), [](const auto& e) { return e.cut; }), 1);
    const uint64_t cutStart = startOf(*cut);
    EXPECT_LT(cutStart, kMovieLength * 2 / 5);
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(), [&](const auto& e) { return startOf(e) == cutStart; }), 1)
        << "the cut chunk was sent again as it was";
    auto isQuery = [](const auto& e) { return e.header("Content-Range") == "bytes */52428800"; };
    auto uploadLog = [&] {
        std::string log;
        for (const auto& e : sent)
            log += e.method + " " + e.header("Content-Range").value_or("-") + " -> " + std::to_string(e.replyStatus) +
                   (e.cut ? " cut" : "") + "\n";
        return log;
    };
    // The cut chunk is followed by a query. Chunk idle limits run on the run
    // loop's clock, so no chunk times out however slow the machine; but the
    // fake server closes a kept-alive line on its own real-time clock, and a
    // chunk a loaded machine sends into that close fails before the server
    // reads it and is asked after the same way. Every query is answered with
    // what the server holds.
    for (const auto& e : sent) {
        if (isQuery(e)) {
            EXPECT_EQ(e.replyStatus, 308) << uploadLog();
        }
    }
    const auto queryAt = cut + 1;
    ASSERT_NE(queryAt, sent.end());
    ASSERT_TRUE(isQuery(*queryAt)) << uploadLog();
    const VideoServiceExchange& query = *queryAt;
    EXPECT_EQ(query.method, "PUT");
    EXPECT_EQ(query.target, cut->target);
    EXPECT_EQ(query.header("Content-Range"), "bytes */52428800");
    EXPECT_EQ(query.header("Content-Length"), "0");
    EXPECT_EQ(query.bodyLength, 0u);
    EXPECT_EQ(query.replyStatus, 308);
    ASSERT_TRUE(query.replyRange);
    unsigned long long kept = 0;
    ASSERT_EQ(std::sscanf(query.replyRange->c_str(), "bytes=0-%llu", &kept), 1) << *query.replyRange;
    ++kept;
    EXPECT_GT(kept, cutStart) << "the part of the cut chunk that arrived is kept";
    EXPECT_LE(kept, cutStart + cut->bodyLength);
    EXPECT_LT(kept, kMovieLength * 2 / 5);
    EXPECT_EQ(kept % testsupport::FakeVideoService::kKeepStep, 0u);
    auto next = std::find_if(queryAt + 1, sent.end(), [&](const auto& e) { return startOf(e) != UINT64_MAX; });
    ASSERT_NE(next, sent.end());
    EXPECT_EQ(startOf(*next), kept) << next->header("Content-Range").value_or("");
    // The query waited the first retry interval after the cut chunk began.
    auto cutStarted = std::find_if(uploadStarts.begin(), uploadStarts.end(), [&](const auto& s) {
        return s.second.rfind("bytes " + std::to_string(cutStart) + "-", 0) == 0;
    });
    ASSERT_NE(cutStarted, uploadStarts.end());
    ASSERT_NE(cutStarted + 1, uploadStarts.end());
    EXPECT_EQ((cutStarted + 1)->second, "bytes */52428800");
    const double wait = (cutStarted + 1)->first - cutStarted->first;
    EXPECT_GE(wait, 1.0);
    EXPECT_LT(wait, 2.1);
    for (auto it = start + 1; it != sent.end(); ++it)
        EXPECT_FALSE(it->header("Authorization")) << it->method << " " << it->target;
    EXPECT_FLOAT_EQ(screen->panel()->progress(), 1.0f);
    finishWithDone(*screen);
}

TEST_F(YouTubeShareTest, AFailedUploadResumesWhereTheServerStands) {
    const std::string path = movieFile(10 * 1024 * 1024);
    ShareViewController* screen = chooseSignedIn();
    ASSERT_NE(screen, nullptr);
    screen->titleField()->setText("Resumed");
    services_->videos.failNextChunks(1, 500);
    screen->shareFile(screen->exportTypes()[0], path);
    waitForUpload();

    EXPECT_FALSE(youtube_->uploadedVideoID());
    auto panel = screen->panel();
    EXPECT_NE(panel->infoText().find("500"), std::string::npos) << panel->infoText();
    auto resume = panel->navigationItem().rightBarButtonItem();
    ASSERT_TRUE(resume);
    EXPECT_EQ(resume->title(), "Resume");
    savePicture("youtube-upload-failed-1024x768");
    const size_t uploads = services_->videos.uploadCount();

    resume->action()(*resume);
    EXPECT_EQ(panel->infoText(), "Uploading to YouTube…");
    EXPECT_FALSE(panel->navigationItem().rightBarButtonItem());
    waitForUpload();
    EXPECT_EQ(youtube_->uploadedVideoID(), "fakevideo1") << panel->infoText();
    EXPECT_EQ(services_->videos.uploadCount(), uploads) << "resumed at the same location, not started anew";
    EXPECT_EQ(services_->videos.uploadedBytes().size(), 10u * 1024 * 1024);
    finishWithDone(*screen);
}

TEST_F(YouTubeShareTest, TheShareEntryOpensTheOneShareScreenOnceSetUp) {
    std::filesystem::remove(foundation::Paths::configDirectory() + "/services.plist");
    auto entry = std::make_shared<YoutubeConnectHandler>();
    EXPECT_FALSE(entry->activityViewController()) << "not set up: the entry says so instead";
    EXPECT_EQ(entry->notSetUpText(), "YouTube is not set up on this computer.");
    std::ofstream(foundation::Paths::configDirectory() + "/services.plist")
        << "<plist version=\"1.0\"><dict><key>YouTube</key><dict><key>ClientID</key><string>c</string>"
           "<key>ClientSecret</key><string>s</string></dict></dict></plist>";
    entry = std::make_shared<YoutubeConnectHandler>();
    entry->setProject(project);
    auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(entry->activityViewController());
    ASSERT_TRUE(navigation);
    ASSERT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_TRUE(std::dynamic_pointer_cast<ShareViewController>(navigation->viewControllers()[0]));
}

TEST_F(SmallYouTubeShareTest, TheFormFitsAPhone) {
    ShareViewController* screen = chooseSignedIn();
    ASSERT_NE(screen, nullptr);
    screen->titleField()->setText("Phone");
    const graphics::Rect area = inWindow(screen->view());
    std::vector<ui::View*> controls{screen->accountLabel(), screen->signButton(),     screen->titleField(),
                                    screen->captionField(), screen->categoryButton(), screen->privacyControl()};
    for (const auto& button : screen->typeButtons()) controls.push_back(button.get());
    for (ui::View* control : controls) {
        const graphics::Rect frame = inWindow(control);
        EXPECT_GE(frame.origin.y, area.origin.y);
        EXPECT_LE(frame.origin.y + frame.size.height, area.origin.y + area.size.height + 0.5);
        EXPECT_LE(frame.origin.x + frame.size.width, area.origin.x + area.size.width + 0.5);
    }
    savePicture("youtube-upload-form-568x320");
}
