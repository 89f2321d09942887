#include "components/google/GTMHTTPFetcherService.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "support/LoopbackHttpServer.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

using foundation::Bytes;
using foundation::RunLoop;
using google::GTMHTTPFetcher;
using google::GTMHTTPFetcherService;
using testsupport::HttpExchange;
using testsupport::HttpReply;
using testsupport::LoopbackHttpServer;
using testsupport::ReleasedBody;

namespace {

class ServiceTest : public ::testing::Test {
protected:
    std::shared_ptr<GTMHTTPFetcherService> service_ = GTMHTTPFetcherService::create();
    testsupport::VirtualClockScope clock_;
    LoopbackHttpServer server_;

    void SetUp() override { service_->setAllowLocalhostRequest(true); }
};

}  // namespace

TEST_F(ServiceTest, HoldsFetchersBeyondTheHostLimitAndStartsTheLowestPriorityFirst) {
    struct Case {
        uint64_t limit;
        std::vector<int64_t> priorities;
        std::vector<std::string> order;  // paths in the order they reached the server
        size_t delayedAtFirst;
    };
    const std::vector<Case> cases = {
        {1, {0, 5, 1, 3}, {"/0", "/2", "/3", "/1"}, 3},
        {2, {0, 0, 9, 4}, {"/0", "/1", "/3", "/2"}, 2},
        {0, {0, 0, 0}, {}, 0},  // no limit: all at once, in any order
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        LoopbackHttpServer server;
        std::vector<std::shared_ptr<ReleasedBody>> bodies;
        std::vector<std::shared_ptr<GTMHTTPFetcher>> fetchers;
        int finished = 0;
        // The order in which fetches really began (arrivals at the server may race).
        std::vector<std::string> started;
        auto observer = foundation::NotificationCenter::defaultCenter().addObserver(
            google::kGTMHTTPFetcherStartedNotification, nullptr, [&](const foundation::Notification& note) {
                for (size_t i = 0; i < fetchers.size(); ++i)
                    if (fetchers[i].get() == note.object) started.push_back("/" + std::to_string(i));
            });
        service_->setMaxRunningFetchersPerHost(c.limit);
        for (size_t i = 0; i < c.priorities.size(); ++i) {
            bodies.push_back(std::make_shared<ReleasedBody>());
            server.reply("GET", "/" + std::to_string(i), HttpReply::inPieces(bodies.back(), 2));
            auto fetcher = service_->fetcherWithURLString(server.url("/" + std::to_string(i)));
            fetcher->setServicePriority(c.priorities[i]);
            fetchers.push_back(fetcher);
            EXPECT_TRUE(fetcher->beginFetchWithCompletionHandler([&](const Bytes&, const auto&) { ++finished; }));
        }
        EXPECT_EQ(service_->numberOfDelayedFetchers(), c.delayedAtFirst);
        EXPECT_EQ(service_->numberOfFetchers(), c.priorities.size());
        for (const auto& fetcher : fetchers) EXPECT_TRUE(fetcher->isFetching());
        // Finish whatever runs, one at a time, in the order it arrived.
        for (size_t done = 0; done < c.priorities.size(); ++done) {
            ASSERT_TRUE(server.waitForRequests(done + 1, 60));
            if (c.limit == 0) {
                // Nothing was held back; the transfers need not wait for each other.
                for (auto& body : bodies) body->release("ok"), body->finish();
                break;
            }
            std::string path = server.requests()[done].path;
            bodies[std::stoul(path.substr(1))]->release("ok");
            bodies[std::stoul(path.substr(1))]->finish();
            RunLoop::main().runUntil([&] { return finished == int(done + 1); }, 60);
        }
        RunLoop::main().runUntil([&] { return finished == int(c.priorities.size()); }, 60);
        EXPECT_EQ(service_->numberOfFetchers(), 0u);
        if (!c.order.empty()) {
            EXPECT_EQ(started, c.order);
        }
    }
}

TEST_F(ServiceTest, ConditionalGetDeliversTheCachedBody) {
    int served = 0;
    server_.on("GET", "/doc", [&](const HttpExchange& exchange) {
        ++served;
        if (exchange.header("If-None-Match") == "\"v1\"") return HttpReply{304, ""};
        return HttpReply{200, "first body", "text/plain", {{"ETag", "\"v1\""}, {"Set-Cookie", "s=1; Path=/"}}};
    });
    service_->setShouldCacheETaggedData(true);
    std::vector<std::string> bodies;
    std::vector<int> statuses;
    for (int i = 0; i < 2; ++i) {
        auto fetcher = service_->fetcherWithURLString(server_.url("/doc"));
        bool done = false;
        fetcher->beginFetchWithCompletionHandler([&](const Bytes& data, const auto& error) {
            EXPECT_FALSE(error);
            bodies.emplace_back(data.begin(), data.end());
            done = true;
        });
        RunLoop::main().runUntil([&] { return done; }, 60);
        statuses.push_back(fetcher->statusCode());
    }
    EXPECT_EQ(served, 2);
    EXPECT_EQ(bodies, (std::vector<std::string>{"first body", "first body"}));
    EXPECT_EQ(statuses, (std::vector<int>{200, 200}));
    EXPECT_EQ(server_.requests()[1].header("Cookie"), "s=1") << "the history's cookies go along";
    EXPECT_FALSE(server_.requests()[0].header("Cookie"));
}

TEST(URLCache, CapacityAndReservations) {
    testsupport::VirtualClockScope clock;
    google::GTMURLCache cache(10);
    auto entry = [](size_t length) {
        return google::GTMCachedURLResponse{net::HTTPURLResponse{}, Bytes(length, 'x'), 0, std::nullopt};
    };
    cache.storeCachedResponse(entry(10), net::URLRequest("https://h/full"));
    EXPECT_EQ(cache.count(), 0u) << "a body of the whole capacity is not kept";
    cache.storeCachedResponse(entry(4), net::URLRequest("https://h/a"));
    RunLoop::main().advance(1);
    cache.storeCachedResponse(entry(4), net::URLRequest("https://h/b"));
    cache.cachedResponseForRequest(net::URLRequest("https://h/a"))->reservationDate = RunLoop::main().now();
    RunLoop::main().advance(1);
    cache.storeCachedResponse(entry(4), net::URLRequest("https://h/c"));
    EXPECT_TRUE(cache.cachedResponseForRequest(net::URLRequest("https://h/a"))) << "reserved, so kept";
    EXPECT_FALSE(cache.cachedResponseForRequest(net::URLRequest("https://h/b")));
    EXPECT_EQ(cache.totalDataSize(), 8u);
}
