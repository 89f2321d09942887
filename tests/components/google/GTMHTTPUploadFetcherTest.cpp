#include "components/google/GTMHTTPUploadFetcher.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"
#include "platform/security/Digest.h"
#include "support/FakeVideoService.h"
#include "support/LoopbackHttpServer.h"
#include "support/TcpRelay.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>

using foundation::Bytes;
using foundation::RunLoop;
using google::GTMHTTPUploadFetcher;
using testsupport::FakeVideoService;
using testsupport::HttpExchange;
using testsupport::HttpReply;

namespace {

constexpr uint64_t kMiB = 1 << 20;
const std::string kCall = R"({"jsonrpc":"2.0","method":"youtube.videos.insert","id":"gtl_1"})";

std::string pattern(size_t length) {
    std::string bytes(length, 0);
    for (size_t i = 0; i < length; ++i) bytes[i] = char((i * 131 + i / 4096) & 0xFF);
    return bytes;
}

struct Outcome {
    int calls = 0;
    std::string data;
    std::optional<foundation::Error> error;
    int64_t lastTotal = 0, lastExpected = 0;
};

class UploadTest : public ::testing::Test {
protected:
    // An upload of `source` to `service`, from memory or from a file.
    std::shared_ptr<GTMHTTPUploadFetcher> upload(FakeVideoService& service, const std::string& source, uint64_t chunk,
                                                 bool fromFile) {
        net::URLRequest request(service.url("/upload/rpc?uploadType=resumable&prettyPrint=false"));
        request.setValue("Bearer token", "Authorization");
        request.setValue("application/json-rpc", "Content-Type");
        std::shared_ptr<GTMHTTPUploadFetcher> fetcher;
        if (fromFile) {
            const std::string path = folders_.root() + "/movie.mov";
            std::ofstream(path, std::ios::binary | std::ios::trunc) << source;
            auto handle =
                std::make_shared<foundation::FileDescriptor>(foundation::FileDescriptor::open(path, O_RDONLY));
            fetcher =
                GTMHTTPUploadFetcher::uploadFetcherWithRequest(request, handle, "video/quicktime", chunk, nullptr);
        } else {
            fetcher = GTMHTTPUploadFetcher::uploadFetcherWithRequest(request, Bytes(source.begin(), source.end()),
                                                                     "video/quicktime", chunk, nullptr);
        }
        fetcher->setPostData(Bytes(kCall.begin(), kCall.end()));
        fetcher->setAllowLocalhostRequest(true);
        return fetcher;
    }

    std::shared_ptr<Outcome> run(const std::shared_ptr<GTMHTTPUploadFetcher>& fetcher) {
        auto outcome = std::make_shared<Outcome>();
        fetcher->setSentDataBlock([outcome](int64_t, int64_t total, int64_t expected) {
            outcome->lastTotal = total;
            outcome->lastExpected = expected;
        });
        fetcher->beginFetchWithCompletionHandler([outcome](const Bytes& data, const auto& error) {
            ++outcome->calls;
            outcome->data.assign(data.begin(), data.end());
            outcome->error = error;
        });
        RunLoop::main().runUntil([&] { return outcome->calls > 0; }, 3600);
        RunLoop::main().runUntilIdle();
        return outcome;
    }

    static std::vector<std::string> chunkRanges(const std::vector<testsupport::VideoServiceExchange>& exchanges) {
        std::vector<std::string> ranges;
        for (const auto& exchange : exchanges)
            if (exchange.method == "PUT")
                ranges.push_back(exchange.header("Content-Range").value_or("?") + " " +
                                 exchange.header("Content-Length").value_or("?"));
        return ranges;
    }

    testsupport::VirtualClockScope clock_;
    testsupport::TempAppFolders folders_;
};

}  // namespace

TEST_F(UploadTest, ChunksFollowTheSizeAndTheTailRule) {
    struct Case {
        const char* name;
        uint64_t length;
        uint64_t chunk;
        bool fromFile;
        std::vector<std::string> ranges;
    };
    const std::vector<Case> cases = {
        {"empty", 0, 4 * kMiB, false, {"bytes */0 0"}},
        {"tail of 2000 rides along", 4 * kMiB + 2000, 4 * kMiB, true, {"bytes 0-4196303/4196304 4196304"}},
        {"tail of 3000 goes alone",
         4 * kMiB + 3000,
         4 * kMiB,
         true,
         {"bytes 0-4194303/4197304 4194304", "bytes 4194304-4197303/4197304 3000"}},
        {"standard chunk size is everything",
         100000,
         GTMHTTPUploadFetcher::kGTMHTTPUploadFetcherStandardChunkSize,
         false,
         {"bytes 0-99999/100000 100000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeVideoService service;
        const std::string source = pattern(c.length);
        auto fetcher = upload(service, source, c.chunk, c.fromFile);
        auto outcome = run(fetcher);
        EXPECT_EQ(outcome->calls, 1);
        ASSERT_FALSE(outcome->error) << outcome->error->description;
        EXPECT_NE(outcome->data.find("\"fakevideo1\""), std::string::npos);
        EXPECT_TRUE(service.uploadedBytes() == source);
        auto exchanges = service.requests();
        EXPECT_EQ(chunkRanges(exchanges), c.ranges);
        ASSERT_FALSE(exchanges.empty());
        EXPECT_EQ(exchanges[0].header("X-Upload-Content-Length"), std::to_string(c.length));
        EXPECT_EQ(exchanges[0].header("X-Upload-Content-Type"), "video/quicktime");
        EXPECT_EQ(exchanges[0].body, kCall);
        for (size_t i = 1; i < exchanges.size(); ++i) {
            EXPECT_FALSE(exchanges[i].header("Authorization")) << "the upload location is the credential";
            EXPECT_EQ(exchanges[i].header("Content-Type"), "video/quicktime");
        }
        if (c.length > 0) {
            EXPECT_EQ(outcome->lastTotal, int64_t(kCall.size() + c.length));
            EXPECT_EQ(outcome->lastExpected, int64_t(kCall.size() + c.length));
        }
        EXPECT_FALSE(fetcher->locationURL()) << "a finished upload forgets its location";
    }
}

TEST_F(UploadTest, IncompleteAnswerMovesTheNextChunk) {
    struct Case {
        std::optional<std::string> range;
        std::string next;
    };
    const std::vector<Case> cases = {
        {"bytes=0-999", "bytes 1000-4999/5000 4000"},
        {std::nullopt, "bytes 0-4999/5000 5000"},
        {"bytes=0-x", "bytes 0-4999/5000 5000"},
        {"bytes=0-99999999", "bytes */5000 0"},  // more than the whole upload: ask, never send nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range.value_or("no range"));
        testsupport::LoopbackHttpServer server;
        server.reply("POST", "/start", {200, "", "text/plain", {{"Location", server.url("/session")}}});
        int puts = 0;
        server.on("PUT", "/session", [&](const HttpExchange&) {
            if (++puts > 1) return HttpReply{200, R"({"ok":1})", "application/json"};
            HttpReply reply{308, ""};
            if (c.range) reply.headers.emplace_back("Range", *c.range);
            return reply;
        });
        const std::string source = pattern(5000);
        net::URLRequest start(server.url("/start"));
        start.httpMethod = "POST";
        auto fetcher = GTMHTTPUploadFetcher::uploadFetcherWithRequest(start, Bytes(source.begin(), source.end()),
                                                                      "video/mp4", 4096, nullptr);
        fetcher->setAllowLocalhostRequest(true);
        auto outcome = run(fetcher);
        EXPECT_EQ(outcome->calls, 1);
        EXPECT_EQ(outcome->data, R"({"ok":1})");
        auto requests = server.requests();
        ASSERT_EQ(requests.size(), 3u);
        EXPECT_EQ(*requests[1].header("Content-Range"), "bytes 0-4999/5000") << "under 2500 left: one chunk";
        EXPECT_EQ(*requests[2].header("Content-Range") + " " + *requests[2].header("Content-Length"), c.next);
    }
}

TEST_F(UploadTest, FirstRequestFailuresReportOnce) {
    struct Case {
        HttpReply reply;
        int64_t code;
    };
    for (const Case& c : std::vector<Case>{
             {{400, R"({"error":"bad"})", "application/json"}, 400}, {{200, "surprise body"}, 501}, {{200, ""}, 501}}) {
        SCOPED_TRACE(c.code);
        testsupport::LoopbackHttpServer server;
        server.reply("POST", "/start", c.reply);
        net::URLRequest start(server.url("/start"));
        start.httpMethod = "POST";
        auto fetcher =
            GTMHTTPUploadFetcher::uploadFetcherWithRequest(start, Bytes{1, 2, 3}, "video/mp4", 4096, nullptr);
        fetcher->setAllowLocalhostRequest(true);
        auto outcome = run(fetcher);
        EXPECT_EQ(outcome->calls, 1);
        ASSERT_TRUE(outcome->error);
        EXPECT_EQ(outcome->error->domain, google::kGTMHTTPStatusDomain);
        EXPECT_EQ(outcome->error->code, c.code);
        EXPECT_EQ(outcome->data, c.reply.body);
        EXPECT_EQ(server.requestCount(), 1u);
    }
}

TEST_F(UploadTest, FailedChunkIsRetriedAsAStatusQuery) {
    FakeVideoService service;
    const std::string source = pattern(3 * 256 * 1024);
    auto fetcher = upload(service, source, 256 * 1024, true);
    fetcher->setRetryEnabled(true);
    // The first chunk meets a busy server once.
    auto outcome = std::make_shared<Outcome>();
    fetcher->setLocationChangeBlock([&](const std::optional<std::string>& location) {
        if (location) service.failNextChunks(1, 503);
    });
    fetcher->beginFetchWithCompletionHandler([outcome](const Bytes& data, const auto& error) {
        ++outcome->calls;
        outcome->data.assign(data.begin(), data.end());
        outcome->error = error;
    });
    RunLoop::main().runUntil([&] { return outcome->calls > 0; }, 3600);
    EXPECT_EQ(outcome->calls, 1);
    EXPECT_FALSE(outcome->error);
    EXPECT_TRUE(service.uploadedBytes() == source);
    const std::string full = std::to_string(source.size());
    EXPECT_EQ(chunkRanges(service.requests()),
              (std::vector<std::string>{"bytes 0-262143/" + full + " 262144", "bytes */" + full + " 0",
                                        "bytes 0-262143/" + full + " 262144", "bytes 262144-524287/" + full + " 262144",
                                        "bytes 524288-786431/" + full + " 262144"}));
}

TEST_F(UploadTest, StoppingBetweenChunksCallsNothingAndSendsNothingMore) {
    FakeVideoService service;
    const std::string source = pattern(1 * kMiB);
    auto fetcher = upload(service, source, 256 * 1024, false);
    int calls = 0;
    size_t requestsAtStop = 0;
    bool stopped = false;
    // A chunk's fetcher says it stopped just before the next chunk would begin.
    auto observer = foundation::NotificationCenter::defaultCenter().addObserver(
        google::kGTMHTTPFetcherStoppedNotification, nullptr, [&](const foundation::Notification& note) {
            if (stopped || note.object == fetcher.get() || !fetcher->chunkFetcher()) return;
            stopped = true;
            requestsAtStop = service.requestCount();
            fetcher->stopFetching();
        });
    fetcher->beginFetchWithCompletionHandler([&](const Bytes&, const auto&) { ++calls; });
    RunLoop::main().runUntil([&] { return stopped; }, 3600);
    RunLoop::main().runFor(30);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(requestsAtStop, 2u) << "the first request and one chunk";
    EXPECT_EQ(service.requestCount(), requestsAtStop) << "no request after the stop";
    EXPECT_EQ(service.uploadedBytes().size(), 256u * 1024);
    EXPECT_FALSE(fetcher->isFetching());
}

TEST_F(UploadTest, CutMidChunkResumesFromWhatTheServerKept) {
    const std::string source = pattern(10 * kMiB);
    struct Case {
        bool retry;
    };
    for (const Case& c : {Case{false}, Case{true}}) {
        SCOPED_TRACE(c.retry);
        FakeVideoService service;
        // Cut the upload 40 % into the file, inside its first chunk (so on a
        // fresh connection, which the transport does not silently retry).
        testsupport::TcpRelay relay(service.port(), 4 * kMiB + 200000, testsupport::TcpRelay::Fault::Cut);
        service.setPublicBaseURL(relay.baseURL("http"));
        if (c.retry) {
            auto fetcher = upload(service, source, 8 * kMiB, true);
            fetcher->setRetryEnabled(true);
            auto outcome = run(fetcher);
            EXPECT_EQ(outcome->calls, 1);
            ASSERT_FALSE(outcome->error) << outcome->error->description;
            EXPECT_TRUE(service.uploadedBytes() == source);
            auto ranges = chunkRanges(service.requests());
            const std::string full = std::to_string(source.size());
            // After the cut: a status query, then a chunk from behind what the server kept.
            auto query = std::find(ranges.begin(), ranges.end(), "bytes */" + full + " 0");
            ASSERT_NE(query, ranges.end());
            ASSERT_NE(query + 1, ranges.end());
            uint64_t kept = 0;
            std::sscanf((query + 1)->c_str(), "bytes %llu-", reinterpret_cast<unsigned long long*>(&kept));
            EXPECT_EQ(kept % FakeVideoService::kKeepStep, 0u);
            EXPECT_GE(kept, 4 * kMiB) << "whole steps below the cut";
            EXPECT_LT(kept, 4 * kMiB + 200000);
            EXPECT_NE(outcome->data.find("gtl_1"), std::string::npos);
        } else {
            // Without retries the dropped line is the error, in its own domain,
            // and the location stays for a later resume.
            auto fetcher = upload(service, source, 8 * kMiB, true);
            auto outcome = run(fetcher);
            ASSERT_TRUE(outcome->error);
            EXPECT_EQ(outcome->error->domain, net::kURLErrorDomain);
            EXPECT_EQ(outcome->error->code, net::kURLErrorNetworkConnectionLost);
            ASSERT_TRUE(fetcher->locationURL());
            EXPECT_EQ(fetcher->locationURL()->rfind(relay.baseURL("http"), 0), 0u);
        }
    }
}

TEST_F(UploadTest, RestartedUploadBeginsWithAStatusQuery) {
    FakeVideoService service;
    const std::string source = pattern(600 * 1024);
    // Start an upload and give up after the first chunk.
    auto first = upload(service, source, 256 * 1024, true);
    std::optional<std::string> location;
    first->setLocationChangeBlock([&](const std::optional<std::string>& url) {
        if (url) location = url;
    });
    first->beginFetchWithCompletionHandler([](const Bytes&, const auto&) {});
    RunLoop::main().runUntil([&] { return service.uploadedBytes().size() >= 256 * 1024; }, 3600);
    first->stopFetching();
    RunLoop::main().runUntilIdle();
    ASSERT_TRUE(location);
    size_t before = service.requestCount();
    size_t held = service.uploadedBytes().size();

    auto handle = std::make_shared<foundation::FileDescriptor>(
        foundation::FileDescriptor::open(folders_.root() + "/movie.mov", O_RDONLY));
    auto resumed =
        GTMHTTPUploadFetcher::uploadFetcherWithLocation(*location, handle, "video/quicktime", 256 * 1024, nullptr);
    resumed->setAllowLocalhostRequest(true);
    auto outcome = run(resumed);
    EXPECT_FALSE(outcome->error);
    EXPECT_TRUE(service.uploadedBytes() == source);
    auto ranges = chunkRanges(service.requests());
    ASSERT_GT(ranges.size(), before);
    EXPECT_EQ(ranges[before - 1], "bytes */" + std::to_string(source.size()) + " 0");
    EXPECT_EQ(ranges[before].substr(0, ranges[before].find('-')), "bytes " + std::to_string(held));
}

TEST_F(UploadTest, PlainTextUploadLocationIsRefusedBeforeAnyByte) {
    testsupport::LoopbackHttpServer server;
    server.reply("POST", "/start", {200, "", "text/plain", {{"Location", "http://198.51.100.1/upload/session/1"}}});
    net::URLRequest start(server.url("/start"));
    start.httpMethod = "POST";
    auto fetcher = GTMHTTPUploadFetcher::uploadFetcherWithRequest(start, Bytes(5000, 'v'), "video/mp4", 4096, nullptr);
    fetcher->setAllowLocalhostRequest(true);
    auto outcome = run(fetcher);
    EXPECT_EQ(outcome->calls, 1);
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->domain, google::kGTMFetcherErrorDomain);
    EXPECT_EQ(outcome->error->code, -3);
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_FALSE(fetcher->locationURL());
}

TEST_F(UploadTest, FiftyMegabytesOverHTTPSThroughALineCutAtFortyPercent) {
    const auto certificates = testsupport::TestCertificates::create(folders_.root());
    net::URLConnection::setAdditionalCertificateAuthorityFile(certificates.authorityFile);
    FakeVideoService service(certificates.serverCertificateFile, certificates.serverKeyFile);
    const uint64_t length = 52'428'800;
    const std::string source = pattern(length);
    // 40 % of the upload's bytes on the wire, inside the fifth chunk.
    testsupport::TcpRelay relay(service.port(), length * 4 / 10, testsupport::TcpRelay::Fault::Cut);
    service.setPublicBaseURL(relay.baseURL("https"));

    auto fetcher = upload(service, source, 4 * kMiB, true);
    fetcher->setRetryEnabled(true);
    std::vector<double> chunkStarts;
    auto observer = foundation::NotificationCenter::defaultCenter().addObserver(
        google::kGTMHTTPFetcherStartedNotification, nullptr,
        [&](const foundation::Notification&) { chunkStarts.push_back(RunLoop::main().now()); });
    auto outcome = run(fetcher);
    net::URLConnection::setAdditionalCertificateAuthorityFile(std::nullopt);

    ASSERT_FALSE(outcome->error) << outcome->error->description;
    EXPECT_TRUE(relay.faulted());
    EXPECT_EQ(security::sha256(service.uploadedBytes()), security::sha256(source));
    EXPECT_EQ(outcome->lastTotal, int64_t(kCall.size() + length));
    const auto exchanges = service.requests();
    EXPECT_EQ(exchanges[0].target, "/upload/rpc?uploadType=resumable&prettyPrint=false");
    EXPECT_EQ(exchanges[0].header("Authorization"), "Bearer token");
    EXPECT_EQ(exchanges[0].header("X-Upload-Content-Length"), "52428800");
    // The cut chunk, then a status query after the retry delay, answered with
    // what the server kept below the cut, then the rest from behind that.
    auto ranges = chunkRanges(exchanges);
    auto query = std::find(ranges.begin(), ranges.end(), "bytes */52428800 0");
    ASSERT_NE(query, ranges.end());
    ASSERT_NE(query + 1, ranges.end());
    EXPECT_EQ(*(query - 1), "bytes 16777216-20971519/52428800 4194304");
    unsigned long long next = 0;
    std::sscanf((query + 1)->c_str(), "bytes %llu-", &next);
    EXPECT_GT(next, 16777216u);
    EXPECT_LT(next, length * 4 / 10);
    EXPECT_EQ(next % FakeVideoService::kKeepStep, 0u);
    EXPECT_NE(ranges.back().find("-52428799/52428800 "), std::string::npos) << ranges.back();
    // The wait before the query was the first retry interval, 1 to 2 s.
    ASSERT_GE(chunkStarts.size(), 2u);
    const size_t queryStart = size_t(query - ranges.begin()) + 1;  // the first request started first
    ASSERT_LT(queryStart, chunkStarts.size());
    double wait = chunkStarts[queryStart] - chunkStarts[queryStart - 1];
    EXPECT_GE(wait, 1.0);
    EXPECT_LT(wait, 2.1);
}
