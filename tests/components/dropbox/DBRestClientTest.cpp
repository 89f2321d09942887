#include "DropboxTestServer.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"

#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

using dropboxtest::DropboxServiceTest;
using testsupport::HttpReply;

TEST_F(DropboxServiceTest, AccountInfoIsAPlaintextSignedGetWithLocaleAndUserAgent) {
    server_.reply("GET", "/1/account/info",
                  {200, R"({"uid": 12345678901, "display_name": "Ann", "country": "NZ",
                           "quota_info": {"normal": 5, "shared": 7, "quota": 100}})",
                   "application/json"});
    client_->loadAccountInfo();
    ASSERT_TRUE(runUntilEvents(1));
    EXPECT_EQ(recorder_.events, (std::vector<std::string>{"account 12345678901"}));
    EXPECT_EQ(recorder_.account->displayName, "Ann");
    EXPECT_EQ(recorder_.account->quota->totalConsumedBytes(), 12);
    const auto sent = server_.requests().at(0);
    EXPECT_TRUE(std::regex_match(
        sent.target,
        std::regex("/1/account/info\\?locale=en&oauth_consumer_key=k3y&oauth_nonce=[0-9A-F-]{36}&"
                   "oauth_signature_method=PLAINTEXT&oauth_timestamp=[0-9]+&oauth_token=t0ken&oauth_version=1\\.0&"
                   "oauth_signature=s3cr3t%26t0ken%2520s3cret%252F%252B")))
        << sent.target;
    EXPECT_EQ(sent.header("User-Agent"), DBRestClient::userAgent());
    EXPECT_TRUE(DBRestClient::userAgent().ends_with(" OfficialDropboxIosSdk/1.3.11"));
    EXPECT_EQ(client_->requestCount(), 0u);
}

TEST_F(DropboxServiceTest, EveryEndpointAsksForItsPathMethodAndParameters) {
    struct Case {
        std::function<void(DBRestClient&)> call;
        const char* method;
        const char* path;
        std::vector<std::string> parameters;  // "name=value" of the query or form body, besides OAuth's
    };
    const std::vector<Case> cases = {
        {[](DBRestClient& c) { c.loadMetadata("/Movies"); }, "GET", "/1/metadata/sandbox/Movies", {"locale=en"}},
        {[](DBRestClient& c) { c.loadMetadataWithHash("/a b", "h1"); }, "GET", "/1/metadata/sandbox/a b", {"hash=h1"}},
        {[](DBRestClient& c) { c.loadDelta("cur"); }, "POST", "/1/delta", {"cursor=cur"}},
        {[](DBRestClient& c) { c.loadFile("/f.mov", "r1", "/dev/null"); }, "GET", "/1/files/sandbox/f.mov", {"rev=r1"}},
        {[](DBRestClient& c) { c.loadThumbnail("/p.Gif", "m", "/dev/null"); },
         "GET",
         "/1/thumbnails/sandbox/p.Gif",
         {"format=PNG", "size=m"}},
        {[](DBRestClient& c) { c.loadThumbnail("/p.jpg", "", "/dev/null"); },
         "GET",
         "/1/thumbnails/sandbox/p.jpg",
         {"format=JPEG"}},
        {[](DBRestClient& c) { c.loadRevisionsForFile("/f"); }, "GET", "/1/revisions/sandbox/f", {"rev_limit=10"}},
        {[](DBRestClient& c) { c.restoreFile("/f", "r2"); }, "GET", "/1/restore/sandbox/f", {"rev=r2"}},
        {[](DBRestClient& c) { c.moveFrom("/a", "/b"); },
         "POST",
         "/1/fileops/move",
         {"from_path=%2Fa", "root=sandbox", "to_path=%2Fb"}},
        {[](DBRestClient& c) { c.copyFrom("/a", "/b"); }, "POST", "/1/fileops/copy", {"from_path=%2Fa"}},
        {[](DBRestClient& c) { c.createCopyRef("/a"); }, "POST", "/1/copy_ref/sandbox/a", {"locale=en"}},
        {[](DBRestClient& c) { c.copyFromRef("ref", "/b"); }, "POST", "/1/fileops/copy/", {"from_copy_ref=ref"}},
        {[](DBRestClient& c) { c.deletePath("/a"); }, "POST", "/1/fileops/delete", {"path=%2Fa"}},
        {[](DBRestClient& c) { c.createFolder("/new"); }, "POST", "/1/fileops/create_folder", {"path=%2Fnew"}},
        {[](DBRestClient& c) { c.searchPath("/", "k w"); }, "GET", "/1/search/sandbox/", {"query=k%20w"}},
        {[](DBRestClient& c) { c.loadSharableLinkForFile("/a"); }, "GET", "/1/shares/sandbox/a", {"short_url=true"}},
        {[](DBRestClient& c) { c.loadStreamableURLForFile("/a"); }, "GET", "/1/media/sandbox/a", {"locale=en"}},
        {[](DBRestClient& c) { c.uploadFile("n.mov", "/", "/dev/null"); },
         "POST",
         "/1/files_put/sandbox/n.mov",
         {"oauth_version=1.0"}},
        {[](DBRestClient& c) { c.uploadFileChunk(std::nullopt, 0, "/dev/null"); },
         "POST",
         "/1/chunked_upload",
         {"offset=0"}},
        {[](DBRestClient& c) { c.uploadFileFromUploadId("n.mov", "/Movies", std::nullopt, "u1"); },
         "POST",
         "/1/commit_chunked_upload/sandbox/Movies/n.mov",
         {"upload_id=u1", "overwrite=false"}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        cases[i].call(*client_);
        ASSERT_TRUE(server_.waitForRequests(i + 1, 30)) << cases[i].path;
        const auto sent = server_.requests().at(i);
        EXPECT_EQ(sent.method, cases[i].method) << cases[i].path;
        EXPECT_EQ(sent.path, cases[i].path);
        EXPECT_EQ(sent.target.substr(0, sent.target.find('?')), DBRestClient::escapePath(cases[i].path));
        std::string query = sent.method == "GET" ? sent.target.substr(sent.target.find('?') + 1) : sent.body;
        if (sent.path == "/1/chunked_upload" || sent.path.starts_with("/1/files_put")) {
            query = sent.target.substr(sent.target.find('?') + 1);
            EXPECT_EQ(query.find("overwrite"), std::string::npos) << "no parameters of its own";
        }
        if (sent.path == "/1/chunked_upload") query = sent.target.substr(sent.target.find('?') + 1);
        for (const std::string& parameter : cases[i].parameters)
            EXPECT_NE(("&" + query + "&").find("&" + parameter + "&"), std::string::npos)
                << cases[i].path << " lacks " << parameter << " in " << query;
        EXPECT_TRUE(query.find("oauth_signature=s3cr3t%26t0ken%2520s3cret%252F%252B") != std::string::npos) << query;
    }
    foundation::RunLoop::main().runUntil([&] { return client_->requestCount() == 0; }, 60);
    EXPECT_EQ(client_->requestCount(), 0u);
}

TEST_F(DropboxServiceTest, UploadStreamsTheFileWithProgressAndNoLocale) {
    std::string movie(3 << 20, '\0');
    for (size_t i = 0; i < movie.size(); ++i) movie[i] = static_cast<char>(i * 7 + i / 4096);
    const std::string source = folders_.root() + "/render.mov";
    testsupport::writeFileBytes(source, movie);
    server_.on("POST", "/1/files_put/sandbox/Movies/My Movie.mov", [&](const testsupport::HttpExchange& e) {
        EXPECT_EQ(e.body == movie, true);
        return HttpReply{200, R"({"path": "/Movies/My Movie.mov", "rev": "9", "bytes": 3145728})", "text/javascript"};
    });
    client_->uploadFile("My Movie.mov", "/Movies", std::nullopt, source);
    EXPECT_EQ(client_->requestCount(), 1u);
    ASSERT_TRUE(runUntilEvents(1));
    ASSERT_EQ(recorder_.events, (std::vector<std::string>{"uploaded /Movies/My Movie.mov"}));
    EXPECT_EQ(recorder_.lastMetadata->rev, "9");
    ASSERT_FALSE(recorder_.uploadProgress.empty());
    EXPECT_DOUBLE_EQ(recorder_.uploadProgress.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(recorder_.uploadProgress.begin(), recorder_.uploadProgress.end()));
    const auto sent = server_.requests().at(0);
    EXPECT_EQ(sent.header("Content-Length"), std::to_string(movie.size()));
    EXPECT_EQ(sent.header("Content-Type"), "application/octet-stream");
    EXPECT_EQ(sent.header("User-Agent"), std::nullopt);
    EXPECT_EQ(sent.target.find("locale="), std::string::npos);
    EXPECT_TRUE(sent.target.starts_with("/1/files_put/sandbox/Movies/My%20Movie.mov?oauth_consumer_key=k3y&"));
    EXPECT_TRUE(std::regex_search(sent.target, std::regex("oauth_version=1\\.0&overwrite=false&oauth_signature=")));
}

TEST_F(DropboxServiceTest, LocalChecksAndRefusedPathsMakeNoRequest) {
    const std::string missing = folders_.root() + "/missing.mov";
    client_->uploadFile("a.mov", "/Movies", std::nullopt, folders_.root());
    client_->uploadFile("a.mov", "/Movies", std::nullopt, missing);
    client_->uploadFile("a.mov", "/../etc", std::nullopt, "/dev/null");
    client_->loadMetadata("/a/./b");
    client_->loadFile("/x\x01y", std::nullopt, folders_.root() + "/x");
    EXPECT_EQ(recorder_.events,
              (std::vector<std::string>{"upload failed 1003", "upload failed 1001", "upload failed -1000",
                                        "metadata failed -1000", "load failed -1000"}));
    EXPECT_EQ(client_->requestCount(), 0u);
    EXPECT_EQ(server_.requestCount(), 0u);
}

TEST_F(DropboxServiceTest, ServerErrorsReachTheDelegateOnceWithTheirFields) {
    struct Case {
        HttpReply reply;
        std::string event;
        std::string field;
        std::string value;
    };
    const std::vector<Case> cases = {
        {{404, R"({"error": "Path not found", "path": "server's"})", "application/json"},
         "account failed 404",
         "error",
         "Path not found"},
        {{500, "<html>oops</html>", "text/html"}, "account failed 500", "errorMessage", "<html>oops</html>"},
        {{200, "[1, 2]", "application/json"}, "account failed 1004", "root", "sandbox"},
        {{200, std::string(1000000, '['), "application/json"}, "account failed 1004", "root", "sandbox"},
        {{404, R"({"root": "theirs"})", "application/json"}, "account failed 404", "root", "sandbox"},
    };
    for (const Case& c : cases) {
        recorder_.events.clear();
        server_.reply("GET", "/1/account/info", c.reply);
        client_->loadAccountInfo();
        ASSERT_TRUE(runUntilEvents(1)) << c.event;
        foundation::RunLoop::main().runUntilIdle();
        EXPECT_EQ(recorder_.events, std::vector<std::string>{c.event});
        EXPECT_EQ(DBErrorUserInfo(*recorder_.lastError).get(c.field).asString(), c.value) << c.event;
    }
}

TEST_F(DropboxServiceTest, UnauthorizedIsReportedOnceAndARelinkSignsWithTheNewToken) {
    server_.reply("GET", "/1/account/info", {401, R"({"error": "Unauthorized"})", "application/json"});
    client_->loadAccountInfo();
    ASSERT_TRUE(runUntilEvents(2));
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(recorder_.events, (std::vector<std::string>{"authorization failure 1234", "account failed 401"}));
    EXPECT_TRUE(session_->isLinked());

    session_->updateAccessToken("n3w", "n3w secret", "1234");
    client_->loadAccountInfo();
    ASSERT_TRUE(server_.waitForRequests(2, 30));
    EXPECT_NE(server_.requests().at(1).target.find("oauth_token=n3w&"), std::string::npos);
    ASSERT_TRUE(runUntilEvents(4));
}

TEST_F(DropboxServiceTest, MetadataUnchangedAndDownloadsLandOnlyAtTheCallersPath) {
    server_.reply("GET", "/1/metadata/sandbox/Movies", {304, ""});
    client_->loadMetadataWithHash("/Movies", "h");
    ASSERT_TRUE(runUntilEvents(1));
    EXPECT_EQ(recorder_.events.back(), "unchanged /Movies");

    const std::string destination = folders_.root() + "/downloads/got.mov";
    ::mkdir((folders_.root() + "/downloads").c_str(), 0700);
    server_.reply("GET", "/1/files/sandbox/etc/passwd",
                  {200,
                   "file body",
                   "video/quicktime",
                   {{"X-Dropbox-Metadata", R"({"path": "../../x", "bytes": 9, "rev": "3"})"}}});
    client_->loadFile("/etc/passwd", std::nullopt, destination);
    ASSERT_TRUE(runUntilEvents(2));
    EXPECT_EQ(recorder_.events.back(), "loaded " + destination + " video/quicktime");
    EXPECT_EQ(recorder_.lastMetadata->rev, "3");
    EXPECT_EQ(testsupport::readFileBytes(destination), "file body");
    EXPECT_EQ(testsupport::namesInFolder(folders_.root() + "/downloads"), std::vector<std::string>{"got.mov"});

    server_.reply("GET", "/1/files/sandbox/gone", {404, R"({"error": "gone"})", "application/json"});
    client_->loadFile("/gone", std::nullopt, folders_.root() + "/downloads/gone.mov");
    ASSERT_TRUE(runUntilEvents(3));
    EXPECT_EQ(recorder_.events.back(), "load failed 404");
    EXPECT_EQ(DBErrorUserInfo(*recorder_.lastError).get("error").asString(), "gone");
    EXPECT_EQ(testsupport::namesInFolder(folders_.root() + "/downloads"), std::vector<std::string>{"got.mov"});
}

TEST_F(DropboxServiceTest, StallsCutsAndCancelsEndAsTheySay) {
    // A server that never answers: the request fails after 20 s of run-loop
    // time, an upload after 60 s. The transfer keeps the virtual clock from
    // moving on its own, so the test moves it.
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    auto hold = [&](const testsupport::HttpExchange&) {
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return release; });
        return HttpReply{500, "late"};
    };
    server_.on("GET", "/1/account/info", hold);
    server_.on("POST", "/1/files_put/sandbox/slow.mov", hold);
    const std::string slow = folders_.root() + "/slow.mov";
    testsupport::writeFileBytes(slow, "slow");
    client_->loadAccountInfo();
    client_->uploadFile("slow.mov", "/", std::nullopt, slow);
    ASSERT_TRUE(server_.waitForRequests(2, 30));
    auto& loop = foundation::RunLoop::main();
    clock_.clock().advanceTo(clock_.now() + 19.5);
    loop.processPending();
    EXPECT_TRUE(recorder_.events.empty());
    clock_.clock().advanceTo(clock_.now() + 1);
    loop.processPending();
    EXPECT_EQ(recorder_.events, std::vector<std::string>{"account failed " + std::to_string(net::kURLErrorTimedOut)});
    clock_.clock().advanceTo(clock_.now() + 60);
    loop.processPending();
    EXPECT_EQ(recorder_.events.back(), "upload failed " + std::to_string(net::kURLErrorTimedOut));
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    recorder_.events.clear();
    recorder_.events.push_back("stalled");

    // A cut answer: one -1005 with the upload's paths, nothing tracked.
    const std::string source = folders_.root() + "/m.mov";
    testsupport::writeFileBytes(source, std::string(1 << 20, 'm'));
    server_.reply("POST", "/1/files_put/sandbox/m.mov", HttpReply::cutOff());
    client_->uploadFile("m.mov", "/", std::nullopt, source);
    ASSERT_TRUE(runUntilEvents(2));
    EXPECT_EQ(recorder_.events.back(), "upload failed " + std::to_string(net::kURLErrorNetworkConnectionLost));
    EXPECT_EQ(DBErrorUserInfo(*recorder_.lastError).get("sourcePath").asString(), source);
    EXPECT_EQ(DBErrorUserInfo(*recorder_.lastError).get("destinationPath").asString(), "/m.mov");
    EXPECT_EQ(client_->requestCount(), 0u);

    // Cancelled requests call nobody.
    auto held = std::make_shared<testsupport::ReleasedBody>();
    server_.reply("GET", "/1/metadata/sandbox/x", HttpReply::inPieces(held, 10));
    client_->loadMetadata("/x");
    client_->loadAccountInfo();
    EXPECT_EQ(client_->requestCount(), 2u);
    client_->cancelAllRequests();
    EXPECT_EQ(client_->requestCount(), 0u);
    held->cutOff();
    foundation::RunLoop::main().runFor(30);
    EXPECT_EQ(recorder_.events.size(), 2u);
}

TEST_F(DropboxServiceTest, OnlyTheConfiguredRootsAreTrusted) {
    // The test authority is trusted by the system-wide hook but not named as
    // a root: the chain is refused.
    net::URLConnection::setAdditionalCertificateAuthorityFile(certificates_.authorityFile);
    ::mkdir((folders_.root() + "/other").c_str(), 0700);
    auto other = testsupport::TestCertificates::create(folders_.root() + "/other");
    DBConfiguration configuration = DBConfiguration::current();
    configuration.rootCertificates = {dropboxtest::rootOf(other)};
    DBConfiguration::setCurrent(configuration);
    server_.reply("GET", "/1/account/info", {200, "{}", "application/json"});
    client_->loadAccountInfo();
    ASSERT_TRUE(runUntilEvents(1));
    net::URLConnection::setAdditionalCertificateAuthorityFile(std::nullopt);
    EXPECT_EQ(recorder_.events.back(), "account failed " + std::to_string(net::kURLErrorServerCertificateUntrusted));
    EXPECT_EQ(server_.requestCount(), 0u);
}

TEST_F(DropboxServiceTest, OversizedAnswersAndBadHeadersAreRefusedBeforeAnyBodyIsKept) {
    // A JSON answer that announces 10 GB is refused at its head.
    auto huge = std::make_shared<testsupport::ReleasedBody>();
    server_.reply("GET", "/1/account/info", HttpReply::inPieces(huge, uint64_t(10) << 30));
    client_->loadAccountInfo();
    ASSERT_TRUE(runUntilEvents(1));
    EXPECT_EQ(recorder_.events.back(), "account failed " + std::to_string(net::kURLErrorDataLengthExceedsMaximum));
    huge->cutOff();

    // A download larger than the free space fails with 1002 before writing.
    const std::string folder = folders_.root() + "/downloads";
    ::mkdir(folder.c_str(), 0700);
    auto vast = std::make_shared<testsupport::ReleasedBody>();
    server_.reply("GET", "/1/files/sandbox/vast.mov", HttpReply::inPieces(vast, uint64_t(1) << 50));
    client_->loadFile("/vast.mov", std::nullopt, folder + "/vast.mov");
    ASSERT_TRUE(runUntilEvents(2));
    EXPECT_EQ(recorder_.events.back(), "load failed 1002");
    ASSERT_TRUE(recorder_.lastError->underlying);
    EXPECT_EQ(recorder_.lastError->underlying->code, ENOSPC);
    EXPECT_TRUE(testsupport::namesInFolder(folder).empty());
    vast->cutOff();

    // A metadata header that is no JSON object gives no metadata, the file still lands.
    server_.reply("GET", "/1/files/sandbox/a.txt", {200, "abc", "text/plain", {{"X-Dropbox-Metadata", "{not json"}}});
    client_->loadFile("/a.txt", std::nullopt, folder + "/a.txt");
    ASSERT_TRUE(runUntilEvents(3));
    EXPECT_EQ(recorder_.events.back(), "loaded " + folder + "/a.txt text/plain");
    EXPECT_EQ(recorder_.lastMetadata, nullptr);
    EXPECT_EQ(testsupport::readFileBytes(folder + "/a.txt"), "abc");
}

TEST_F(DropboxServiceTest, AnUploadCutAfterAMebibyteSucceedsOnRetry) {
    std::string movie(3 << 20, '\0');
    for (size_t i = 0; i < movie.size(); ++i) movie[i] = static_cast<char>(i % 251);
    const std::string source = folders_.root() + "/movie.mov";
    testsupport::writeFileBytes(source, movie);
    int attempts = 0;
    std::string received;
    server_.on("POST", "/1/files_put/sandbox/movie.mov", [&](const testsupport::HttpExchange& e) {
        if (++attempts == 1) return HttpReply::cutOff();
        received = e.body;
        return HttpReply{200, R"({"path": "/movie.mov", "rev": "1"})", "application/json"};
    });
    client_->uploadFile("movie.mov", "/", std::nullopt, source);
    ASSERT_TRUE(runUntilEvents(1));
    EXPECT_EQ(recorder_.events.back(), "upload failed " + std::to_string(net::kURLErrorNetworkConnectionLost));
    EXPECT_EQ(client_->requestCount(), 0u);
    // The retry reads the file held open, from its start, though its name is
    // gone and its position moved.
    auto opened = std::make_shared<foundation::FileDescriptor>(foundation::FileDescriptor::open(source, O_RDONLY));
    ::lseek(opened->get(), 12345, SEEK_SET);
    ::unlink(source.c_str());
    client_->uploadFile("movie.mov", "/", std::nullopt, source, opened);
    ASSERT_TRUE(runUntilEvents(2));
    EXPECT_EQ(recorder_.events.back(), "uploaded /movie.mov");
    EXPECT_TRUE(received == movie);
    EXPECT_DOUBLE_EQ(recorder_.uploadProgress.back(), 1.0);
}
