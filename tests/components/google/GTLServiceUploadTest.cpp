#include "GTLTestAuthorizer.h"
#include "components/google/GTLJSONParser.h"
#include "components/google/GTLQueryYouTube.h"
#include "components/google/GTLServiceYouTube.h"
#include "components/google/GTLYouTubeObjects.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLConnection.h"
#include "support/FakeVideoService.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>

using foundation::Error;
using foundation::RunLoop;
using foundation::Value;
using namespace google;
using testsupport::FakeVideoService;

namespace {

// The video service on HTTPS loopback, trusted through the test CA.
class UploadRoadTest : public ::testing::Test {
protected:
    UploadRoadTest()
        : certificates_(testsupport::TestCertificates::create(folders_.root())),
          server_(certificates_.serverCertificateFile, certificates_.serverKeyFile) {
        net::URLConnection::setAdditionalCertificateAuthorityFile(certificates_.authorityFile);
        service_ = GTLServiceYouTube::create("127.0.0.1:" + std::to_string(server_.port()));
        service_->setAuthorizer(std::make_shared<gtltest::BearerAuthorizer>("upload-token"));
        service_->setRetryEnabled(true);
    }
    ~UploadRoadTest() override { net::URLConnection::setAdditionalCertificateAuthorityFile(std::nullopt); }

    std::string movie(size_t length) {
        std::string bytes(length, '\0');
        for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 7919) >> 5);
        const std::string path = folders_.root() + "/movie.mov";
        std::ofstream(path, std::ios::binary) << bytes;
        return bytes;
    }

    GTLQueryYouTubePtr insertQuery(GTLUploadParametersPtr upload) {
        auto snippet = GTLYouTubeVideoSnippet::object();
        snippet->setTitle("Clay");
        snippet->setDescriptionProperty("A short film");
        snippet->setCategoryId("1");
        auto status = GTLYouTubeVideoStatus::object();
        status->setPrivacyStatus("private");
        auto video = GTLYouTubeVideo::object();
        video->setSnippet(snippet);
        video->setStatus(status);
        return GTLQueryYouTube::queryForVideosInsertWithObjectPartUploadParameters(video, "snippet,status", upload);
    }

    testsupport::VirtualClockScope clock_;
    testsupport::TempAppFolders folders_;
    testsupport::TestCertificates certificates_;
    FakeVideoService server_;
    std::shared_ptr<GTLServiceYouTube> service_;
};

}  // namespace

TEST_F(UploadRoadTest, MovieGoesUpInChunksAndTheInsertedVideoComesBack) {
    const std::string bytes = movie(120000);
    auto file = std::make_shared<foundation::FileDescriptor>(
        foundation::FileDescriptor::open(folders_.root() + "/movie.mov", O_RDONLY));
    ASSERT_TRUE(file->valid());
    service_->setServiceUploadChunkSize(1000);  // raised to the 50,000 minimum
    auto query = insertQuery(GTLUploadParameters::uploadParametersWithFileHandle(file, "video/quicktime"));

    std::vector<std::pair<uint64_t, uint64_t>> progress;
    int calls = 0;
    GTLObjectPtr result;
    std::optional<Error> failure;
    auto ticket = service_->executeQuery(
        query, [&](const GTLServiceTicketPtr&, const GTLObjectPtr& object, const std::optional<Error>& error) {
            ++calls;
            result = object;
            failure = error;
        });
    ASSERT_TRUE(ticket);
    ticket->setUploadProgressBlock(
        [&](const GTLServiceTicketPtr&, uint64_t sent, uint64_t total) { progress.emplace_back(sent, total); });
    RunLoop::main().runUntil([&] { return calls > 0; }, 600);
    RunLoop::main().runUntilIdle();

    ASSERT_EQ(calls, 1);
    ASSERT_FALSE(failure) << failure->description;
    auto video = std::dynamic_pointer_cast<GTLYouTubeVideo>(result);
    ASSERT_TRUE(video);
    EXPECT_EQ(video->identifier(), "fakevideo1");
    EXPECT_EQ(server_.uploadedBytes(), bytes);

    const auto requests = server_.requests();
    ASSERT_EQ(requests.size(), 4u) << "the call and three chunks of 50,000, 50,000 and 20,000 bytes";
    const auto& first = requests[0];
    EXPECT_EQ(first.method, "POST");
    EXPECT_EQ(first.target, "/upload/rpc?uploadType=resumable&prettyPrint=false");
    EXPECT_EQ(first.header("Authorization"), "Bearer upload-token");
    EXPECT_EQ(first.header("X-Upload-Content-Length"), "120000");
    EXPECT_EQ(first.header("X-Upload-Content-Type"), "video/quicktime");
    EXPECT_EQ(
        first.body,
        R"({"jsonrpc":"2.0","method":"youtube.videos.insert","id":")" + query->requestID() +
            R"(","apiVersion":"v3","params":{"part":"snippet,status","resource":{"snippet":{"title":"Clay","description":"A short film","categoryId":"1"},"status":{"privacyStatus":"private"}}}})");
    for (size_t i = 1; i < requests.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(requests[i].method, "PUT");
        EXPECT_FALSE(requests[i].header("Authorization")) << "chunks go to the upload location unsigned";
    }
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().first, first.body.size() + bytes.size());
    EXPECT_EQ(progress.back().second, first.body.size() + bytes.size());
    EXPECT_FALSE(ticket->isUploadPaused());
}

TEST_F(UploadRoadTest, UploadOnlyAndUnreadableMedia) {
    movie(60000);
    auto upload = GTLUploadParameters::uploadParametersWithFileURL(folders_.root() + "/movie.mov", "video/quicktime");
    upload->setShouldSendUploadOnly(true);
    upload->setSlug("movie.mov");
    int calls = 0;
    std::optional<Error> failure;
    auto ticket = service_->executeQuery(insertQuery(upload), [&](const auto&, const auto&, const auto& error) {
        ++calls;
        failure = error;
    });
    ASSERT_TRUE(ticket);
    RunLoop::main().runUntil([&] { return calls > 0; }, 600);
    ASSERT_FALSE(failure) << failure->description;
    const auto first = server_.requests().at(0);
    EXPECT_EQ(first.body, "") << "no JSON-RPC body when only the media is sent";
    EXPECT_EQ(first.header("Slug"), "movie.mov");

    auto missing = GTLUploadParameters::uploadParametersWithFileURL(folders_.root() + "/absent.mov", "video/quicktime");
    EXPECT_FALSE(service_->executeQuery(insertQuery(missing), nullptr)) << "nothing to read: no call";
}

TEST_F(UploadRoadTest, CancelDuringTheUploadEndsItQuietly) {
    movie(150000);
    service_->setServiceUploadChunkSize(50000);
    auto query = insertQuery(
        GTLUploadParameters::uploadParametersWithFileURL(folders_.root() + "/movie.mov", "video/quicktime"));
    int calls = 0;
    auto ticket = service_->executeQuery(query, [&](const auto&, const auto&, const auto&) { ++calls; });
    ASSERT_TRUE(ticket);
    bool cancelled = false;
    ticket->setUploadProgressBlock([&](const GTLServiceTicketPtr& progressing, uint64_t sent, uint64_t total) {
        // Once the first chunk is out, the user cancels.
        if (!cancelled && sent >= total - 100000) {
            cancelled = true;
            progressing->cancelTicket();
        }
    });
    RunLoop::main().runUntil([&] { return cancelled; }, 600);
    ASSERT_TRUE(cancelled);
    RunLoop::main().runFor(120);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(calls, 0);
    EXPECT_LE(server_.requestCount(), 2u) << "the call and at most the chunk under way";
    EXPECT_LT(server_.uploadedBytes().size(), 150000u);
    EXPECT_FALSE(ticket->objectFetcher());
}
