#include "YouTubeTestServices.h"
#include "app/share/OnlineConnectHandlers.h"
#include "app/share/YouTubeUploadViewController.h"
#include "components/google/GTLJSONParser.h"
#include "components/google/GTMHTTPFetcher.h"
#include "components/google/GTMOAuth2Keychain.h"
#include "components/google/GTMOAuth2SignIn.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLConnection.h"
#include "platform/security/Digest.h"
#include "platform/ui/controllers/NavigationController.h"
#include "support/TcpRelay.h"
#include "support/TempAppFolders.h"
#include "support/WindowFixture.h"

#include <fstream>
#include <gtest/gtest.h>

using foundation::RunLoop;
using testsupport::HttpReply;
using testsupport::VideoServiceExchange;

namespace {

constexpr uint64_t kMovieLength = 52428800;

// A movie already made: a file of known bytes, handed over at once; or one
// that stays at half way until cancelled.
class ReadyMovie : public YouTubeMovieSource {
public:
    explicit ReadyMovie(std::string path, bool finishes = true) : path_(std::move(path)), finishes_(finishes) {}
    void start(Progress progress, Completion completion) override {
        ++starts;
        progress(0.5);
        if (finishes_) completion(path_, std::nullopt);
    }
    void cancel() override { ++cancels; }
    int starts = 0, cancels = 0;

private:
    std::string path_;
    bool finishes_;
};

class UploadSheetTest : public testsupport::WindowFixture {
protected:
    explicit UploadSheetTest(graphics::Rect frame = graphics::Rect(0, 0, 1024, 768)) : WindowFixture(frame) {
        provider_.reply("POST", "/o/oauth2/token",
                        {200, R"({"access_token":"at","expires_in":3600})", "application/json"});
        videos_.on("POST", "/rpc", [](const VideoServiceExchange& exchange) {
            return HttpReply{
                200,
                YouTubeTestServices::rpcResult(exchange.body, R"({"kind":"youtube#videoCategoryListResponse","items":[
                {"kind":"youtube#videoCategory","id":"1","snippet":{"title":"Film & Animation"}},
                {"kind":"youtube#videoCategory","id":"24","snippet":{"title":"Entertainment"}}]})"),
                "application/json"};
        });
        services_.saveAccount();
    }
    void TearDown() override {
        nav_.reset();
        sheet_.reset();
        WindowFixture::TearDown();
    }

    void show(foundation::Result<YouTubeSettings> settings, std::shared_ptr<YouTubeMovieSource> movie) {
        sheet_ = std::make_shared<YouTubeUploadViewController>(nullptr, std::move(settings), std::move(movie));
        sheet_->regionCode = "DE";
        sheet_->language = "de";
        nav_ = std::make_shared<ui::NavigationController>(sheet_);
        window->setRootViewController(nav_);
        if (sheet_->uploader()) RunLoop::main().runUntil([&] { return !sheet_->categories().empty(); }, 600);
        RunLoop::main().runUntilIdle();
    }
    std::string movieFile(uint64_t length) {
        std::string path = folders_.root() + "/movie.mov";
        std::ofstream out(path, std::ios::binary);
        std::string block(1 << 20, '\0');
        for (uint64_t done = 0; done < length; done += block.size()) {
            for (size_t i = 0; i < block.size(); i += 4096) block[i] = static_cast<char>((done + i) / 4096 % 251);
            out.write(block.data(), static_cast<std::streamsize>(std::min<uint64_t>(block.size(), length - done)));
        }
        return path;
    }
    void waitForUpload() {
        RunLoop::main().runUntil([&] { return !sheet_->uploader()->isUploading(); }, 3600);
        RunLoop::main().runUntilIdle();
    }

    testsupport::TempAppFolders folders_;
    YouTubeTestServices services_{folders_.root()};
    testsupport::LoopbackHttpServer& provider_ = services_.provider;
    testsupport::FakeVideoService& videos_ = services_.videos;
    const YouTubeSettings& settings_ = services_.settings;
    std::shared_ptr<YouTubeUploadViewController> sheet_;
    std::shared_ptr<ui::NavigationController> nav_;
};

class SmallUploadSheetTest : public UploadSheetTest {
protected:
    SmallUploadSheetTest() : UploadSheetTest(graphics::Rect(0, 0, 568, 320)) {}
};

}  // namespace

TEST_F(UploadSheetTest, WithoutAClientItSaysSoAndOffersNothing) {
    show(YouTubeSettings{}, std::make_shared<ReadyMovie>(""));
    EXPECT_EQ(sheet_->messageLabel()->text(), "YouTube is not set up on this computer.");
    EXPECT_FALSE(sheet_->messageLabel()->isHidden());
    EXPECT_TRUE(sheet_->uploadButton()->isHidden());
    EXPECT_EQ(provider_.requestCount() + videos_.requestCount(), 0u);
}

TEST_F(UploadSheetTest, ShowsTheAccountTheCategoriesAndPrivateBeforeAnyChoice) {
    show(settings_, std::make_shared<ReadyMovie>(""));
    EXPECT_EQ(sheet_->accountLabel()->text(), "Account: u@example.test");
    EXPECT_EQ(sheet_->signButton()->currentTitle(), "Sign Out");
    EXPECT_EQ(sheet_->privacyControl()->selectedSegmentIndex(), 2);
    EXPECT_EQ(sheet_->privacyControl()->titleForSegmentAtIndex(2), "Private");
    EXPECT_EQ(sheet_->categoryButton()->currentTitle(), "Film & Animation");
    EXPECT_TRUE(sheet_->uploadButton()->isEnabled());
    sheet_->titleField()->setText("Our first movie");
    savePicture("youtube-upload-form-1024x768");

    // Signing out forgets the account.
    tap(sheet_->signButton());
    EXPECT_EQ(sheet_->accountLabel()->text(), "Not signed in");
    EXPECT_EQ(sheet_->signButton()->currentTitle(), "Sign In");
    EXPECT_FALSE(sheet_->uploadButton()->isEnabled());
    EXPECT_FALSE(google::GTMOAuth2Keychain::authForGoogleFromKeychainForName(YouTubeSettings::kKeychainItemName,
                                                                             "client", "secret")
                     ->canAuthorize());
}

TEST_F(SmallUploadSheetTest, RenderProgressAndCancel) {
    auto movie = std::make_shared<ReadyMovie>("", false);
    show(settings_, movie);
    sheet_->titleField()->setText("Phone");
    tap(sheet_->uploadButton());
    EXPECT_EQ(sheet_->statusLabel()->text(), "Rendering the movie…");
    EXPECT_DOUBLE_EQ(sheet_->progressView()->progress(), 0.5);
    EXPECT_FALSE(sheet_->cancelButton()->isHidden());
    savePicture("youtube-upload-progress-568x320");
    tap(sheet_->cancelButton());
    EXPECT_EQ(movie->cancels, 1);
    EXPECT_EQ(sheet_->statusLabel()->text(), "Cancelled.");
    EXPECT_TRUE(sheet_->uploadButton()->isEnabled());
}

TEST_F(UploadSheetTest, UploadsThroughADroppedConnectionToTheEnd) {
    const std::string path = movieFile(kMovieLength);
    // Upload chunks go through a relay that drops its line 40 % into the movie.
    testsupport::TcpRelay relay(videos_.port(), kMovieLength * 2 / 5, testsupport::TcpRelay::Fault::Cut);
    videos_.setPublicBaseURL(relay.baseURL("https"));
    show(settings_, std::make_shared<ReadyMovie>(path));
    // When each upload request went out, on the virtual clock.
    std::vector<std::pair<double, std::string>> uploadStarts;
    auto observer = foundation::NotificationCenter::defaultCenter().addObserver(
        google::kGTMHTTPFetcherStartedNotification, nullptr, [&](const foundation::Notification& note) {
            auto range = static_cast<const google::GTMHTTPFetcher*>(note.object)
                             ->request()
                             .valueForHTTPHeaderField("Content-Range");
            if (range) uploadStarts.emplace_back(RunLoop::main().now(), *range);
        });
    sheet_->titleField()->setText("Our first movie");
    sheet_->descriptionView()->setText("Made with Tollivar");
    tap(sheet_->uploadButton());
    waitForUpload();

    ASSERT_EQ(sheet_->uploadedVideoID(), "fakevideo1") << sheet_->statusLabel()->text();
    EXPECT_EQ(sheet_->statusLabel()->text(), "Uploaded. Video ID: fakevideo1");
    EXPECT_TRUE(relay.faulted());
    const std::string held = videos_.uploadedBytes();
    std::ifstream source(path, std::ios::binary);
    std::string original((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    EXPECT_EQ(held.size(), kMovieLength);
    EXPECT_TRUE(security::sha256(held) == security::sha256(original)) << "the server holds the movie unchanged";

    std::vector<VideoServiceExchange> sent = videos_.requests();
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
    EXPECT_EQ(resource.get("snippet").asDictionary().get("description").asString(), "Made with Tollivar");
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
    ASSERT_EQ(std::count_if(sent.begin(), sent.end(), isQuery), 1);
    const auto queryAt = std::find_if(sent.begin(), sent.end(), isQuery);
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
    auto queryStart = std::find_if(uploadStarts.begin(), uploadStarts.end(),
                                   [](const auto& s) { return s.second == "bytes */52428800"; });
    ASSERT_NE(queryStart, uploadStarts.end());
    ASSERT_NE(queryStart, uploadStarts.begin());
    EXPECT_EQ((queryStart - 1)->second.rfind("bytes " + std::to_string(cutStart) + "-", 0), 0u);
    const double wait = queryStart->first - (queryStart - 1)->first;
    EXPECT_GE(wait, 1.0);
    EXPECT_LT(wait, 2.1);
    for (auto it = start + 1; it != sent.end(); ++it)
        EXPECT_FALSE(it->header("Authorization")) << it->method << " " << it->target;
    EXPECT_DOUBLE_EQ(sheet_->progressView()->progress(), 1.0);
}

TEST_F(UploadSheetTest, AFailedUploadResumesWhereTheServerStands) {
    const std::string path = movieFile(10 * 1024 * 1024);
    show(settings_, std::make_shared<ReadyMovie>(path));
    sheet_->titleField()->setText("Resumed");
    videos_.failNextChunks(1, 500);
    tap(sheet_->uploadButton());
    waitForUpload();

    EXPECT_FALSE(sheet_->uploadedVideoID());
    EXPECT_EQ(sheet_->statusLabel()->text().rfind("The upload failed: ", 0), 0u) << sheet_->statusLabel()->text();
    ASSERT_FALSE(sheet_->resumeButton()->isHidden());
    savePicture("youtube-upload-failed-1024x768");
    const size_t uploads = videos_.uploadCount();

    tap(sheet_->resumeButton());
    waitForUpload();
    EXPECT_EQ(sheet_->uploadedVideoID(), "fakevideo1") << sheet_->statusLabel()->text();
    EXPECT_EQ(videos_.uploadCount(), uploads) << "resumed at the same location, not started anew";
    EXPECT_EQ(videos_.uploadedBytes().size(), 10u * 1024 * 1024);
    EXPECT_TRUE(sheet_->resumeButton()->isHidden());
}

TEST_F(UploadSheetTest, TheShareEntryOpensTheSheetOnceSetUp) {
    auto entry = std::make_shared<YoutubeConnectHandler>();
    EXPECT_FALSE(entry->activityViewController()) << "not set up: the entry says so instead";
    std::ofstream(foundation::Paths::configDirectory() + "/services.plist")
        << "<plist version=\"1.0\"><dict><key>YouTube</key><dict><key>ClientID</key><string>c</string>"
           "<key>ClientSecret</key><string>s</string></dict></dict></plist>";
    auto screen = std::dynamic_pointer_cast<ui::NavigationController>(entry->activityViewController());
    ASSERT_TRUE(screen);
    ASSERT_EQ(screen->viewControllers().size(), 1u);
    EXPECT_TRUE(std::dynamic_pointer_cast<YouTubeUploadViewController>(screen->viewControllers()[0]));
}

TEST_F(SmallUploadSheetTest, TheFormFitsAPhone) {
    show(settings_, std::make_shared<ReadyMovie>(""));
    sheet_->titleField()->setText("Phone");
    const graphics::Rect area = inWindow(sheet_->view());
    for (ui::View* control : std::initializer_list<ui::View*>{
             sheet_->accountLabel(), sheet_->signButton(), sheet_->titleField(), sheet_->descriptionView(),
             sheet_->categoryButton(), sheet_->privacyControl(), sheet_->uploadButton(), sheet_->statusLabel()}) {
        const graphics::Rect frame = inWindow(control);
        EXPECT_GE(frame.origin.y, area.origin.y);
        EXPECT_LE(frame.origin.y + frame.size.height, area.origin.y + area.size.height + 0.5);
        EXPECT_LE(frame.origin.x + frame.size.width, area.origin.x + area.size.width + 0.5);
    }
    savePicture("youtube-upload-form-568x320");
}
