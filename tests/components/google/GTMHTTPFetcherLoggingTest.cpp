#include "components/google/GTMHTTPFetcher.h"
#include "components/google/GTMHTTPFetcherLogging.h"
#include "components/google/GTMMIMEDocument.h"
#include "platform/foundation/RunLoop.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace logging = google::GTMHTTPFetcherLogging;
using foundation::Bytes;
using namespace std::string_literals;

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
        {R"({"items":[{"client_secret":"shh","name":"n"}],"data":{"access_token":"deep"}})",
         "application/json",
         {"_snip_", "\"n\""},
         {"shh", "deep"}},
        // A multipart body with a picture: the text part as text, the
        // picture as its headers and size.
        {"\r\n--END_OF_PART\r\nContent-Type: application/json\r\n\r\n{\"title\":\"t\"}"
         "\r\n--END_OF_PART\r\nContent-Type: image/png\r\n\r\n\x89PNG\x00\xff"
         "\r\n--END_OF_PART--\r\n"s,
         "multipart/related; boundary=END_OF_PART",
         {"\r\n--END_OF_PART\r\nContent-Type: application/json\r\n\r\n{\"title\":\"t\"}\r\n",
          "--END_OF_PART\r\nContent-Type: image/png\r\n\r\n<<6 bytes>>\r\n--END_OF_PART--\r\n"},
         {"PNG"}},
    };
    for (const Case& c : cases) {
        std::string text = logging::stringFromStreamData(bytes(c.body), c.type);
        for (const std::string& kept : c.kept) EXPECT_NE(text.find(kept), std::string::npos) << kept << " in " << text;
        for (const std::string& gone : c.gone) EXPECT_EQ(text.find(gone), std::string::npos) << gone << " in " << text;
    }
    EXPECT_EQ(logging::headersStringForHeaders({{"X-B", "2"}, {"Authorization", "Bearer ya29.token"}}),
              "  Authorization: Bearer _snip_\n  X-B: 2\n");
    EXPECT_EQ(logging::snipSubstringOfString(std::string("a=1&b=2"), "a=", "&"), "a=_snip_&b=2");
    EXPECT_EQ(logging::snipSubstringOfString(std::nullopt, "a=", "&"), std::nullopt);
    EXPECT_EQ(logging::snipSubstringOfString(std::string("none"), "a=", "&"), "none");
    EXPECT_EQ(logging::formattedStringFromData(bytes("access_token=ya29.form&expires_in=3600"), "text/plain"),
              "access_token=_snip_&expires_in=3600")
        << "a form-encoded token answer";
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

// The index shows a JSON error's code and message and a thumbnail of each
// picture (kept in memory or downloaded to a file); a streamed multipart
// body is logged part by part; no token reaches any file.
TEST(FetcherLogging, RecordsErrorsPicturesAndStreamedBodies) {
    testsupport::VirtualClockScope clock;
    testsupport::TempAppFolders folders;
    testsupport::LoopbackHttpServer server;
    const std::string picture("\x89PNG\r\n\x1a\n\x00\x01\xfe\xff", 12);
    server.reply("POST", "/upload",
                 {400, R"({"error":{"code":400,"message":"Title <b>too</b> long"}})", "application/json"});
    server.reply("GET", "/picture.png", {200, picture, "image/png"});
    server.reply("POST", "/token", {200, "access_token=ya29.form&refresh_token=1%2Fform", "text/plain"});
    const std::string directory = folders.root() + "/logs";
    logging::setLoggingDirectory(directory);
    logging::setLoggingProcessName("tollivar");
    logging::setLoggingDateStamp("1-02_03-04-05AM");

    auto fetch = [&](const std::string& method, const std::string& path,
                     const std::function<void(google::GTMHTTPFetcher&)>& setUp) {
        auto fetcher = google::GTMHTTPFetcher::fetcherWithURLString(server.url(path));
        fetcher->setAllowLocalhostRequest(true);
        fetcher->mutableRequest().httpMethod = method;
        fetcher->mutableRequest().setValue("Bearer ya29.header", "Authorization");
        setUp(*fetcher);
        bool done = false;
        fetcher->beginFetchWithCompletionHandler([&](const Bytes&, const auto&) { done = true; });
        foundation::RunLoop::main().runUntil([&] { return done; }, 60);
        return fetcher;
    };
    const std::string video("\x00\x00\x00\x18" "ftypmp42\xff\xfe", 14);
    auto upload = [&](google::GTMHTTPFetcher& fetcher) {
        auto document = google::GTMMIMEDocument::MIMEDocument();
        document->addPartWithHeaders({{"Content-Type", "application/json"}}, bytes(R"({"title":"t"})"));
        document->addPartWithHeaders({{"Content-Type", "video/mp4"}}, bytes(video));
        std::shared_ptr<google::GTMGatherInputStream> stream;
        std::string boundary;
        document->generateInputStream(&stream, nullptr, &boundary);
        fetcher.mutableRequest().setValue("multipart/related; boundary=" + boundary, "Content-Type");
        fetcher.setPostStream(stream);
    };

    EXPECT_FALSE(fetch("POST", "/upload", upload)->loggedStreamData()) << "nothing is captured while logging is off";

    logging::setLoggingEnabled(true);
    auto uploaded = fetch("POST", "/upload", upload);
    fetch("GET", "/picture.png", [](auto&) {});
    fetch("GET", "/picture.png", [&](auto& fetcher) { fetcher.setDownloadPath(folders.root() + "/picture.png"); });
    fetch("POST", "/token", [](auto& fetcher) { fetcher.setPostData(bytes("grant_type=refresh_token")); });
    logging::setLoggingEnabled(false);

    const std::string log = uploaded->log();
    EXPECT_NE(log.find("Request body: (" + std::to_string(server.requests().at(1).body.size()) + " bytes)"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("{\"title\":\"t\"}\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Content-Type: video/mp4\r\n\r\n<<14 bytes>>\r\n"), std::string::npos) << log;

    const std::string run = directory + "/tollivar_log_1-02_03-04-05AM";
    const std::string index = readFile(run + "/" + logging::htmlFileName());
    EXPECT_NE(index.find("status <b style=\"color:red\">400</b>&nbsp;&nbsp;<i>error 400: Title &lt;b&gt;too&lt;/b&gt; "
                         "long</i><br>"),
              std::string::npos)
        << index;
    int pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(run)) {
        const std::string name = entry.path().filename();
        const std::string content = readFile(entry.path());
        for (const char* secret : {"ya29", "1/form", "1%2Fform"})
            EXPECT_EQ(content.find(secret), std::string::npos) << secret << " in " << name;
        if (!name.ends_with("_response.png")) continue;
        ++pictures;
        EXPECT_EQ(content, picture);
        EXPECT_NE(index.find("<a href=\"" + name + "\"><img src=\"" + name + "\""), std::string::npos) << name;
    }
    EXPECT_EQ(pictures, 2) << "one kept in memory, one downloaded to a file";
}
