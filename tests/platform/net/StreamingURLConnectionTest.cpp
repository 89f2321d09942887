#include "platform/foundation/DispatchSemaphore.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ThreadPool.h"
#include "platform/net/StreamingURLConnection.h"
#include "platform/net/URLError.h"
#include "support/LoopbackHttpServer.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <thread>

using foundation::Bytes;
using foundation::RunLoop;
using net::HTTPURLResponse;
using net::StreamingURLConnection;
using net::URLRequest;
using testsupport::HttpReply;
using testsupport::LoopbackHttpServer;
using testsupport::ReleasedBody;

namespace {

// Writes down every message as a line, so a whole exchange compares as one list.
class Recorder : public net::StreamingURLConnectionDelegate {
public:
    std::vector<std::string> events;
    std::string body;
    std::optional<HTTPURLResponse> response;
    bool ended = false;
    bool offMainThread = false;
    bool cancelOnResponse = false;
    size_t mostInFlight = 0;  // the connection's backlog, seen at each delivery

    void connectionDidReceiveResponse(StreamingURLConnection& connection, const HTTPURLResponse& head) override {
        note("response " + std::to_string(head.statusCode));
        response = head;
        if (cancelOnResponse) connection.cancel();
    }
    void connectionDidReceiveData(StreamingURLConnection& connection, const Bytes& data) override {
        mostInFlight = std::max(mostInFlight, connection.bytesInFlight());
        body.append(data.begin(), data.end());
        if (events.empty() || events.back() != "data") note("data");
    }
    void connectionDidFinishLoading(StreamingURLConnection&) override {
        note("finish");
        ended = true;
    }
    void connectionDidFailWithError(StreamingURLConnection&, const foundation::Error& error) override {
        note("fail " + std::to_string(error.code));
        ended = true;
    }

private:
    void note(std::string event) {
        if (!RunLoop::isMainThread()) offMainThread = true;
        events.push_back(std::move(event));
    }
};

class StreamingURLConnectionTest : public ::testing::Test {
protected:
    std::shared_ptr<Recorder> load(const std::string& url, std::shared_ptr<StreamingURLConnection>* kept = nullptr) {
        auto recorder = std::make_shared<Recorder>();
        auto connection = StreamingURLConnection::create(URLRequest(url), recorder);
        connection->start();
        if (kept) *kept = connection;
        return recorder;
    }
    bool runUntil(const std::function<bool()>& condition) { return RunLoop::main().runUntil(condition, 60); }

    testsupport::VirtualClockScope clock_;
    LoopbackHttpServer server_;
};

}  // namespace

TEST_F(StreamingURLConnectionTest, EachReleasedPieceArrivesBeforeTheNextIsSent) {
    struct Case {
        const char* name;
        std::optional<uint64_t> declaredLength;
        int64_t expectedLength;
    };
    for (const Case& c :
         {Case{"declared length", 9, 9}, Case{"chunked", std::nullopt, net::kURLResponseUnknownLength}}) {
        SCOPED_TRACE(c.name);
        auto pieces = std::make_shared<ReleasedBody>();
        server_.reply("GET", "/pieces", HttpReply::inPieces(pieces, c.declaredLength, "image/jpeg"));
        auto recorder = load(server_.url("/pieces"));
        for (const char* piece : {"abc", "def", "ghi"}) {
            pieces->release(piece);
            size_t before = recorder->body.size();
            ASSERT_TRUE(runUntil([&] { return recorder->body.size() == before + 3; }));
        }
        EXPECT_EQ(recorder->response->expectedContentLength(), c.expectedLength);
        EXPECT_EQ(recorder->response->valueForHTTPHeaderField("Content-Type"), "image/jpeg");
        if (!c.declaredLength) pieces->finish();
        ASSERT_TRUE(runUntil([&] { return recorder->ended; }));
        EXPECT_EQ(recorder->events, (std::vector<std::string>{"response 200", "data", "finish"}));
        EXPECT_EQ(recorder->body, "abcdefghi");
        EXPECT_FALSE(recorder->offMainThread);
    }
}

TEST_F(StreamingURLConnectionTest, EveryWayALoadEnds) {
    server_.reply("GET", "/missing", HttpReply{404, "no such picture"});
    server_.reply("GET", "/broken", HttpReply{500, "oops"});
    server_.reply("GET", "/cut", HttpReply::cutOff());
    server_.reply("GET", "/moved", HttpReply{302, "moved", "text/plain", {{"Location", "/broken"}}});
    auto huge = std::make_shared<ReleasedBody>();
    huge->release("only this");
    huge->finish();
    server_.reply("GET", "/huge", HttpReply::inPieces(huge, uint64_t(10) << 30));
    const std::string refused = "http://127.0.0.1:" + std::to_string(testsupport::unusedLoopbackPort()) + "/";

    struct Case {
        std::string url;
        std::vector<std::string> events;
        std::string body;
    };
    const std::string lost = "fail " + std::to_string(net::kURLErrorNetworkConnectionLost);
    const Case cases[] = {
        {server_.url("/missing"), {"response 404", "data", "finish"}, "no such picture"},
        {server_.url("/broken"), {"response 500", "data", "finish"}, "oops"},
        // Redirects are followed without a word; only the last answer counts.
        {server_.url("/moved"), {"response 500", "data", "finish"}, "oops"},
        {server_.url("/cut"), {"response 200", lost}, ""},
        // Ten gigabytes promised, nine bytes sent: a failure, and nothing
        // here made room for the promise.
        {server_.url("/huge"), {"response 200", "data", lost}, "only this"},
        {refused, {"fail " + std::to_string(net::kURLErrorCannotConnectToHost)}, ""},
        {"ftp://127.0.0.1/x", {"fail " + std::to_string(net::kURLErrorUnsupportedURL)}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        auto recorder = load(c.url);
        ASSERT_TRUE(runUntil([&] { return recorder->ended; }));
        RunLoop::main().runUntilIdle();
        EXPECT_EQ(recorder->events, c.events);
        EXPECT_EQ(recorder->body, c.body);
    }
}

TEST_F(StreamingURLConnectionTest, CancelInsideAMessageStopsEverythingAndLetsTheDelegateGo) {
    auto pieces = std::make_shared<ReleasedBody>();
    pieces->release("first");
    server_.reply("GET", "/held", HttpReply::inPieces(pieces, 100));
    std::shared_ptr<StreamingURLConnection> connection;
    auto recorder = load(server_.url("/held"), &connection);
    recorder->cancelOnResponse = true;
    std::weak_ptr<Recorder> watched = recorder;
    ASSERT_TRUE(runUntil([&] { return !recorder->events.empty(); }));
    pieces->release("second");
    pieces->finish();
    RunLoop::main().runUntilIdle();

    EXPECT_EQ(recorder->events, (std::vector<std::string>{"response 200"}));
    EXPECT_TRUE(connection->hasEnded());
    recorder.reset();
    EXPECT_TRUE(watched.expired()) << "the connection still holds its delegate after cancel";
    connection->cancel();  // harmless twice
    EXPECT_THROW(connection->start(), std::logic_error);
}

TEST_F(StreamingURLConnectionTest, TheDelegateLivesUntilTheEndAndNoLonger) {
    server_.reply("GET", "/fine", HttpReply{200, "fine"});
    std::shared_ptr<StreamingURLConnection> connection;
    std::weak_ptr<Recorder> watched;
    {
        auto recorder = load(server_.url("/fine"), &connection);
        watched = recorder;
    }
    ASSERT_FALSE(watched.expired()) << "a running connection keeps its delegate";
    ASSERT_TRUE(runUntil([&] { return connection->hasEnded(); }));
    EXPECT_TRUE(watched.expired());
}

TEST_F(StreamingURLConnectionTest, ASlowDelegateQueueHoldsTheTransferBack) {
    auto pieces = std::make_shared<ReleasedBody>();
    const std::string mebibyte(1 << 20, 'm');
    constexpr size_t kPieces = 24;
    for (size_t i = 0; i < kPieces; ++i) pieces->release(mebibyte);
    server_.reply("GET", "/big", HttpReply::inPieces(pieces, kPieces << 20));
    std::shared_ptr<StreamingURLConnection> connection;
    auto recorder = load(server_.url("/big"), &connection);
    // The main loop does not run yet: the transfer fills its allowance and waits.
    while (connection->bytesInFlight() < StreamingURLConnection::kMaximumBytesInFlight) std::this_thread::yield();

    ASSERT_TRUE(runUntil([&] { return recorder->ended; }));
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"response 200", "data", "finish"}));
    EXPECT_EQ(recorder->body.size(), kPieces << 20);
    // One curl write (at most 16 KiB) may go past the allowance; the backlog
    // seen at a delivery no longer counts the piece delivered.
    constexpr size_t kWrite = 16 << 10;
    EXPECT_GE(recorder->mostInFlight, StreamingURLConnection::kMaximumBytesInFlight - kWrite);
    EXPECT_LE(recorder->mostInFlight, StreamingURLConnection::kMaximumBytesInFlight + kWrite);
    EXPECT_EQ(connection->bytesInFlight(), 0u);
}

// Every pool worker is taken by a transfer whose server holds the answer
// back; work queued after them still runs, and the held transfers end on
// cancel.
TEST_F(StreamingURLConnectionTest, HeldTransfersLeaveThePoolToOtherWork) {
    server_.on("GET", "/held", [](const testsupport::HttpExchange&) {
        return HttpReply::inPieces(std::make_shared<ReleasedBody>(), std::nullopt);  // nothing ever released
    });
    const size_t workers = std::max<size_t>(foundation::detail::ThreadPool::shared().threadCount(),
                                            std::max(2u, std::thread::hardware_concurrency()));
    std::vector<std::shared_ptr<StreamingURLConnection>> connections;
    std::vector<std::shared_ptr<Recorder>> recorders;
    for (size_t i = 0; i < workers; ++i) {
        // Longer than any wait below: no transfer gives its thread back by timing out.
        recorders.push_back(std::make_shared<Recorder>());
        connections.push_back(StreamingURLConnection::create(URLRequest(server_.url("/held"), 600), recorders.back()));
        connections.back()->start();
    }

    foundation::DispatchSemaphore ran(0);
    foundation::DispatchQueue::global().async([&] { ran.signal(); });
    EXPECT_TRUE(ran.wait(60)) << "work queued behind " << workers << " held transfers never ran";
    foundation::DispatchQueue serial("held.transfers.test");
    foundation::DispatchSemaphore serialRan(0);
    serial.async([&] { serialRan.signal(); });
    EXPECT_TRUE(serialRan.wait(60));

    // Cancelled, the transfers stop (they count as activity until then) and
    // nothing more reaches their delegates.
    for (auto& connection : connections) connection->cancel();
    RunLoop::main().runUntilIdle();
    for (const auto& recorder : recorders) EXPECT_EQ(recorder->events, std::vector<std::string>{});
}
