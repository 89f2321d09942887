#include "YouTubeTestServices.h"
#include "app/share/YouTubeUploader.h"
#include "components/google/GTLJSONParser.h"
#include "components/google/GTLYouTubeVideoObjects.h"
#include "components/google/GTMOAuth2Keychain.h"
#include "components/google/GTMOAuth2SignIn.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLConnection.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <fstream>
#include <gtest/gtest.h>

using foundation::RunLoop;
using foundation::Value;
using testsupport::HttpExchange;
using testsupport::HttpReply;

namespace {

// The services, with an account in the keychain.
class UploaderTest : public ::testing::Test {
protected:
    UploaderTest() { services_.saveAccount(); }

    testsupport::VirtualClockScope clock_;
    testsupport::TempAppFolders folders_;
    YouTubeTestServices services_{folders_.root()};
    testsupport::LoopbackHttpServer& provider_ = services_.provider;
    testsupport::FakeVideoService& videos_ = services_.videos;
    const YouTubeSettings& settings_ = services_.settings;
};

}  // namespace

TEST_F(UploaderTest, ListsTheRegionsCategoriesAfterRefreshingTheRestoredAccount) {
    provider_.reply("POST", "/o/oauth2/token", {200, R"({"access_token":"at","expires_in":3600})", "application/json"});
    videos_.on("POST", "/rpc", [](const testsupport::VideoServiceExchange& exchange) {
        return HttpReply{
            200, YouTubeTestServices::rpcResult(exchange.body, R"({"kind":"youtube#videoCategoryListResponse","items":[
                            {"kind":"youtube#videoCategory","id":"1","snippet":{"title":"Film & Animation","assignable":true}},
                            {"kind":"youtube#videoCategory","id":"18","snippet":{"title":"Short Movies","assignable":false}},
                            {"kind":"youtube#videoCategory","id":"22","snippet":{"title":"People & Blogs"}}]})"),
            "application/json"};
    });
    auto uploader = YouTubeUploader::create(settings_);
    EXPECT_TRUE(uploader->isSignedIn());
    EXPECT_EQ(uploader->accountName(), "u@example.test");

    std::vector<YouTubeUploader::Category> categories;
    bool done = false;
    uploader->loadCategories("DE", "de", [&](auto found, const auto& error) {
        EXPECT_FALSE(error);
        categories = std::move(found);
        done = true;
    });
    RunLoop::main().runUntil([&] { return done; }, 600);

    EXPECT_EQ(categories,
              (std::vector<YouTubeUploader::Category>{{"1", "Film & Animation"}, {"22", "People & Blogs"}}));
    ASSERT_EQ(provider_.requestCount(), 1u) << "the restored account refreshes first";
    auto calls = videos_.requests();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].target, "/rpc?prettyPrint=false");
    EXPECT_EQ(calls[0].header("Authorization"), "Bearer at");
    auto body = google::GTLJSONParser::objectWithString(calls[0].body, nullptr);
    ASSERT_TRUE(body);
    EXPECT_EQ(body->asDictionary().get("method").asString(), "youtube.videoCategories.list");
    auto params = body->asDictionary().get("params").asDictionary();
    EXPECT_EQ(params.get("part").asString(), "id, snippet");
    EXPECT_EQ(params.get("regionCode").asString(), "DE");
    EXPECT_EQ(params.get("hl").asString(), "de");
}

TEST_F(UploaderTest, ARevokedAccountIsSignedOut) {
    provider_.reply("POST", "/o/oauth2/token", {400, R"({"error":"invalid_grant"})", "application/json"});
    auto uploader = YouTubeUploader::create(settings_);
    int signedOut = 0;
    uploader->onSignedOut = [&] { ++signedOut; };
    std::optional<foundation::Error> failure;
    bool done = false;
    uploader->loadCategories("US", "en", [&](auto, const auto& error) {
        failure = error;
        done = true;
    });
    RunLoop::main().runUntil([&] { return done; }, 600);

    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->code, 400);
    EXPECT_EQ(signedOut, 1);
    EXPECT_FALSE(uploader->isSignedIn());
    EXPECT_EQ(videos_.requestCount(), 0u) << "nothing unsigned goes out";
    EXPECT_FALSE(google::GTMOAuth2Keychain::authForGoogleFromKeychainForName(YouTubeSettings::kKeychainItemName,
                                                                             "client", "secret")
                     ->canAuthorize());
}

TEST(YouTubeUploaderVideo, SendsSnippetAndStatus) {
    struct Case {
        YouTubeUploader::VideoDetails details;
        std::string json;
    };
    const Case cases[] = {
        {{"My movie", "", "", "private"}, R"({"snippet":{"title":"My movie"},"status":{"privacyStatus":"private"}})"},
        {{"T", "About", "1", "public"},
         R"({"snippet":{"categoryId":"1","description":"About","title":"T"},"status":{"privacyStatus":"public"}})"},
        {{"T", "", "", ""}, R"({"snippet":{"title":"T"},"status":{}})"},
    };
    for (const Case& c : cases) {
        auto video = YouTubeUploader::videoObject(c.details);
        auto text = google::GTLJSONParser::stringWithObject(Value(video->JSON()), false, nullptr);
        ASSERT_TRUE(text);
        // Key order is the writer's; compare parsed values.
        EXPECT_EQ(google::GTLJSONParser::objectWithString(*text, nullptr),
                  google::GTLJSONParser::objectWithString(c.json, nullptr))
            << *text;
    }
    EXPECT_EQ(YouTubeUploader::privacyStatuses().at(YouTubeUploader::kDefaultPrivacyIndex), "private");

    struct Locale {
        const char* name;
        std::pair<std::string, std::string> codes;
    };
    const Locale locales[] = {{"C", {"US", "en"}}, {"de_DE", {"DE", "de"}}, {"pt_BR", {"BR", "pt"}}};
    for (const Locale& l : locales) EXPECT_EQ(YouTubeUploader::regionAndLanguage(QLocale(l.name)), l.codes) << l.name;
}

TEST_F(UploaderTest, LastProgressCountsTheCallAndTheWholeMovie) {
    provider_.reply("POST", "/o/oauth2/token", {200, R"({"access_token":"at","expires_in":3600})", "application/json"});
    const std::string path = folders_.root() + "/movie.mov";
    const std::string movie(3 * 1024 * 1024 + 17, 'm');
    std::ofstream(path, std::ios::binary) << movie;
    auto uploader = YouTubeUploader::create(settings_);
    std::vector<std::pair<uint64_t, uint64_t>> reports;
    std::optional<std::string> videoID;
    bool done = false;
    uploader->upload(
        path, {"T", "", "", "private"}, [&](uint64_t sent, uint64_t total) { reports.emplace_back(sent, total); },
        [&](auto identifier, const auto& error) {
            EXPECT_FALSE(error);
            videoID = identifier;
            done = true;
        });
    RunLoop::main().runUntil([&] { return done; }, 600);

    EXPECT_EQ(videoID, "fakevideo1");
    auto start = videos_.requests().at(0);
    ASSERT_EQ(start.target, "/upload/rpc?uploadType=resumable&prettyPrint=false");
    ASSERT_FALSE(reports.empty());
    const uint64_t whole = start.body.size() + movie.size();
    EXPECT_EQ(reports.back(), std::make_pair(whole, whole));
    for (size_t i = 1; i < reports.size(); ++i) EXPECT_GE(reports[i].first, reports[i - 1].first);
    EXPECT_EQ(videos_.uploadedBytes(), movie);
    EXPECT_FALSE(uploader->canResume());
}
