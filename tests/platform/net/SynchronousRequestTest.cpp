#include "platform/foundation/RunLoop.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"
#include "support/FakeRemoteCamera.h"
#include "support/LoopbackHttpServer.h"

#include <chrono>
#include <gtest/gtest.h>

using net::URLConnection;
using net::URLRequest;
using testsupport::HttpReply;
using testsupport::LoopbackHttpServer;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST(SynchronousRequest, AnswersOnTheCallingThreadAndFollowsRedirects) {
    LoopbackHttpServer server;
    server.reply("GET", "/old", HttpReply{302, "", "text/plain", {{"Location", "/new"}}});
    server.reply("GET", "/new", HttpReply{200, "here", "text/plain"});
    server.reply("GET", "/missing", HttpReply{404, "nope"});

    struct Case {
        const char* path;
        int status;
        const char* body;
    };
    for (const Case& c : {Case{"/old", 200, "here"}, Case{"/missing", 404, "nope"}}) {
        net::URLLoadResult result = URLConnection::sendSynchronousRequest(URLRequest(server.url(c.path)), 3.0);
        ASSERT_FALSE(result.error) << c.path << ": " << result.error->description;
        ASSERT_TRUE(result.response) << c.path;
        EXPECT_EQ(result.response->statusCode, c.status) << c.path;
        EXPECT_EQ(std::string(result.data.begin(), result.data.end()), c.body) << c.path;
    }
    // Nothing went through the run loop.
    EXPECT_EQ(foundation::RunLoop::main().pendingTaskCount(), 0u);
}

TEST(SynchronousRequest, BrokenRepliesAndBadAddressesAreErrors) {
    LoopbackHttpServer server;
    server.reply("GET", "/broken", HttpReply::cutOff());
    struct Case {
        std::string url;
        int64_t code;
    };
    for (const Case& c :
         {Case{server.url("/broken"), net::kURLErrorNetworkConnectionLost},
          Case{"ftp://127.0.0.1/x", net::kURLErrorUnsupportedURL}, Case{"http://", net::kURLErrorBadURL}}) {
        net::URLLoadResult result = URLConnection::sendSynchronousRequest(URLRequest(c.url), 3.0);
        ASSERT_TRUE(result.error) << c.url;
        EXPECT_EQ(result.error->code, c.code) << c.url << ": " << result.error->description;
        EXPECT_FALSE(result.response) << c.url;
        EXPECT_TRUE(result.data.empty()) << c.url;
    }
}

// A peer that accepts the request and never answers must not hold the caller
// longer than its whole-request limit, although the line's idle timeout
// (a minute) is far away.
TEST(SynchronousRequest, AStalledPeerEndsAtTheWholeRequestLimit) {
    testsupport::FakeRemoteCamera camera;
    camera.stall("status");
    for (double limit : {0.25, 0.6}) {
        auto start = std::chrono::steady_clock::now();
        net::URLLoadResult result =
            URLConnection::sendSynchronousRequest(URLRequest(camera.baseURL("/status"), 60.0), limit);
        double took = secondsSince(start);
        ASSERT_TRUE(result.error) << limit;
        EXPECT_EQ(result.error->code, net::kURLErrorTimedOut);
        EXPECT_GE(took, limit);
        EXPECT_LT(took, limit + 0.5);
    }
    EXPECT_EQ(camera.requestCount("status"), 2u);
}
