#include "components/google/GTMHTTPFetcher.h"
#include "components/google/GTMHTTPFetcherLogging.h"
#include "platform/foundation/RunLoop.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace logging = google::GTMHTTPFetcherLogging;
using foundation::Bytes;

namespace {

Bytes bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

unsigned modeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

}  // namespace

TEST(FetcherLogging, SecretsAreCutOut) {
    struct Case {
        std::string body;
        std::string type;
        std::vector<std::string> kept;
        std::vector<std::string> gone;
    };
    const std::vector<Case> cases = {
        {R"({"access_token":"ya29.secret","refresh_token":"1/also","expires_in":3600})",
         "application/json; charset=utf-8",
         {"_snip_", "3600"},
         {"ya29.secret", "1/also"}},
        {"grant_type=authorization_code&code=4/"
         "abc&code_verifier=v3r1f&client_secret=shh&redirect_uri=http%3A%2F%2F127.0.0.1",
         "application/x-www-form-urlencoded",
         {"grant_type=authorization_code", "code=_snip_", "code_verifier=_snip_", "client_secret=_snip_",
          "redirect_uri="},
         {"4/abc", "v3r1f", "shh"}},
        {"assertion=jwt.value&access_token=tok&zipcode=123",
         "application/x-www-form-urlencoded",
         {"assertion=_snip_", "access_token=_snip_", "zipcode=123"},
         {"jwt.value", "=tok"}},
        {std::string("\x00\xff\x01", 3), "application/octet-stream", {"<<3 bytes>>"}, {}},
    };
    for (const Case& c : cases) {
        std::string text = logging::stringFromRequestBody(bytes(c.body), c.type);
        for (const std::string& kept : c.kept) EXPECT_NE(text.find(kept), std::string::npos) << kept << " in " << text;
        for (const std::string& gone : c.gone) EXPECT_EQ(text.find(gone), std::string::npos) << gone << " in " << text;
    }
    EXPECT_EQ(logging::headersStringForHeaders({{"X-B", "2"}, {"Authorization", "Bearer ya29.token"}}),
              "  Authorization: Bearer _snip_\n  X-B: 2\n");
    EXPECT_EQ(logging::snipSubstringOfString(std::string("a=1&b=2"), "a=", "&"), "a=_snip_&b=2");
    EXPECT_EQ(logging::snipSubstringOfString(std::nullopt, "a=", "&"), std::nullopt);
    EXPECT_EQ(logging::snipSubstringOfString(std::string("none"), "a=", "&"), "none");
}

TEST(FetcherLogging, WritesPrivateRecordsOnlyWhenSwitchedOn) {
    testsupport::VirtualClockScope clock;
    testsupport::TempAppFolders folders;
    testsupport::LoopbackHttpServer server;
    server.reply("POST", "/token",
                 {200, R"({"access_token":"ya29.secret","token_type":"Bearer"})", "application/json"});
    const std::string directory = folders.root() + "/logs";
    logging::setLoggingDirectory(directory);
    logging::setLoggingProcessName("tollivar test");
    logging::setLoggingDateStamp("12-07_03-04-05PM");
    ASSERT_TRUE(std::filesystem::create_directories(directory + "/tollivar test_log_12-07_03-04-05PM"));

    auto fetch = [&] {
        auto fetcher = google::GTMHTTPFetcher::fetcherWithURLString(server.url("/token"));
        fetcher->setAllowLocalhostRequest(true);
        fetcher->mutableRequest().setValue("Bearer ya29.header", "Authorization");
        fetcher->setPostData(bytes("grant_type=refresh_token&refresh_token=1/refresh"));
        fetcher->setComment("token refresh");
        bool done = false;
        fetcher->beginFetchWithCompletionHandler([&](const Bytes&, const auto&) { done = true; });
        foundation::RunLoop::main().runUntil([&] { return done; }, 60);
        return fetcher->log();
    };

    EXPECT_EQ(fetch(), "") << "off by default";
    EXPECT_FALSE(std::filesystem::exists(directory + "/tollivar test_log_12-07_03-04-05PM_2"));

    ::umask(0);
    logging::setLoggingEnabled(true);
    std::string log = fetch();
    logging::setLoggingEnabled(false);
    ::umask(022);
    const std::string run = directory + "/tollivar test_log_12-07_03-04-05PM_2";
    EXPECT_EQ(modeOf(run), 0700u) << "a run folder that existed gets the next number";
    for (const char* secret : {"ya29.secret", "ya29.header", "1/refresh"})
        EXPECT_EQ(log.find(secret), std::string::npos);
    EXPECT_NE(log.find("Authorization: Bearer _snip_"), std::string::npos) << log;
    EXPECT_NE(log.find("Request: POST " + server.url("/token")), std::string::npos);
    EXPECT_NE(log.find("Response: status 200"), std::string::npos);
    std::string text;
    for (const auto& entry : std::filesystem::directory_iterator(run)) {
        EXPECT_EQ(modeOf(entry.path()), 0600u) << entry.path();
        if (entry.path().extension() == ".txt") text = readFile(entry.path());
    }
    EXPECT_EQ(text, log + std::string(59, '-') + "\n");
    EXPECT_NE(readFile(run + "/" + logging::htmlFileName()).find("request/response log"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_symlink(directory + "/tollivar test_log_newest.html"));
}
