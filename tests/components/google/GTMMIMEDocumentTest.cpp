#include "components/google/GTMHTTPFetcher.h"
#include "components/google/GTMMIMEDocument.h"
#include "platform/foundation/RunLoop.h"
#include "support/LoopbackHttpServer.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <thread>

using foundation::Bytes;
using google::GTMGatherInputStream;
using google::GTMMIMEDocument;

namespace {

Bytes bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string readAll(google::GTMInputStream& stream) {
    Bytes all = stream.readToEnd();
    return std::string(all.begin(), all.end());
}

}  // namespace

TEST(GatherStream, ReadsAcrossBlocksAndSkipsEmptyOnes) {
    auto stream = GTMGatherInputStream::streamWithArray({bytes("ab"), Bytes(), bytes("cde")});
    stream->open();
    std::vector<std::string> reads;
    uint8_t buffer[2];
    EXPECT_EQ(stream->read(buffer, 0), 0);
    for (int64_t got; (got = stream->read(buffer, 2)) > 0;) reads.emplace_back(buffer, buffer + got);
    EXPECT_EQ(reads, (std::vector<std::string>{"ab", "cd", "e"}));
    EXPECT_EQ(stream->streamStatus(), google::GTMStreamStatus::AtEnd);
    stream->close();
    EXPECT_EQ(stream->read(buffer, 2), 0);
}

TEST(ReadMonitor, ReportsOnTheMakingThreadAtOnceOrLater) {
    testsupport::VirtualClockScope clock;
    auto monitor = google::GTMReadMonitorInputStream::inputStreamWithStream(
        GTMGatherInputStream::streamWithArray({bytes("hello"), bytes(" world")}));
    auto delegate = std::make_shared<int>(0);
    std::string seen;
    std::vector<bool> onMain;
    monitor->setReadDelegate(delegate);
    monitor->setReadSelector([&](auto&, const uint8_t* data, uint64_t length) {
        seen.append(data, data + length);
        onMain.push_back(foundation::RunLoop::isMainThread());
    });
    uint8_t buffer[5];
    ASSERT_EQ(monitor->read(buffer, 5), 5);
    EXPECT_EQ(seen, "hello") << "reported before the read returned";
    std::thread([&] { monitor->read(buffer, 5); }).join();
    EXPECT_EQ(seen, "hello");
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(seen, "hello worl");
    EXPECT_EQ(onMain, (std::vector<bool>{true, true}));
}

TEST(MIMEDocument, BoundariesAndLayout) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::map<std::string, std::string>, std::string>> parts;
        uint32_t seed;
        std::string boundary;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"no parts", {}, 0, "END_OF_PART", "\r\n--END_OF_PART--\r\n"},
        {"headers sorted without case",
         {{{{"b", "2"}, {"A", "1"}}, "body"}},
         0,
         "END_OF_PART",
         "\r\n--END_OF_PART\r\nA: 1\r\nb: 2\r\n\r\nbody\r\n--END_OF_PART--\r\n"},
        {"collision takes a numbered boundary",
         {{{}, "x END_OF_PART y"}},
         1,
         "END_OF_PART_00000001",
         "\r\n--END_OF_PART_00000001\r\n\r\nx END_OF_PART y\r\n--END_OF_PART_00000001--\r\n"},
        {"numbered candidates go on counting",
         {{{}, "END_OF_PART END_OF_PART_00000005"}},
         5,
         "END_OF_PART_00000006",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto document = GTMMIMEDocument::MIMEDocument();
        for (const auto& [headers, body] : c.parts) document->addPartWithHeaders(headers, bytes(body));
        document->seedRandomWith(c.seed);
        std::shared_ptr<GTMGatherInputStream> stream;
        uint64_t length = 0;
        std::string boundary;
        document->generateInputStream(&stream, &length, &boundary);
        EXPECT_EQ(boundary, c.boundary);
        std::string body = readAll(*stream);
        EXPECT_EQ(length, body.size());
        if (!c.body.empty()) {
            EXPECT_EQ(body, c.body);
        }
    }
    // All ten candidates taken: two random numbers around "_Fenwold_".
    auto crowded = GTMMIMEDocument::MIMEDocument();
    std::string everything = "END_OF_PART";
    for (uint32_t n = 1; n <= 9; ++n) everything += " END_OF_PART_0000000" + std::to_string(n);
    crowded->addPartWithHeaders({}, bytes(everything));
    crowded->seedRandomWith(1);
    std::string boundary;
    crowded->generateInputStream(nullptr, nullptr, &boundary);
    EXPECT_EQ(boundary, "0000000a_Fenwold_0000000b");
}

TEST(MIMEDocument, GoesOutAsAFetchBody) {
    testsupport::VirtualClockScope clock;
    testsupport::LoopbackHttpServer server;
    server.reply("POST", "/batch", {200, "ok"});
    auto document = GTMMIMEDocument::MIMEDocument();
    document->addPartWithHeaders({{"Content-Type", "application/json"}}, bytes("{}"));
    std::shared_ptr<GTMGatherInputStream> stream;
    uint64_t length = 0;
    document->generateInputStream(&stream, &length, nullptr);
    auto fetcher = google::GTMHTTPFetcher::fetcherWithURLString(server.url("/batch"));
    fetcher->setAllowLocalhostRequest(true);
    fetcher->mutableRequest().setValue("multipart/mixed; boundary=END_OF_PART", "Content-Type");
    fetcher->setPostStream(stream);
    bool done = false;
    fetcher->beginFetchWithCompletionHandler([&](const Bytes&, const auto& error) {
        EXPECT_FALSE(error);
        done = true;
    });
    foundation::RunLoop::main().runUntil([&] { return done; }, 60);
    ASSERT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(server.requests()[0].body,
              "\r\n--END_OF_PART\r\nContent-Type: application/json\r\n\r\n{}\r\n--END_OF_PART--\r\n");
    EXPECT_EQ(server.requests()[0].body.size(), length);
}
