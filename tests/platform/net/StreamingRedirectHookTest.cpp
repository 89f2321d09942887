#include "platform/foundation/RunLoop.h"
#include "platform/net/StreamingURLConnection.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <fstream>
#include <gtest/gtest.h>

using foundation::RunLoop;
using net::HTTPURLResponse;
using net::StreamingURLConnection;
using net::URLRequest;
using testsupport::HttpExchange;
using testsupport::HttpReply;
using testsupport::LoopbackHttpServer;

namespace {

// Takes redirects over: notes each, and answers them as told.
class Hook : public net::StreamingURLConnectionDelegate {
public:
    bool refuse = false;
    std::vector<std::string> redirects;  // "<status> <proposed method> <proposed url>"
    int status = 0;
    std::string body;
    int64_t sent = 0, expected = 0;
    bool ended = false;

    bool connectionHandlesRedirects() const override { return true; }
    std::optional<URLRequest> connectionWillSendRequest(StreamingURLConnection&, const URLRequest& proposed,
                                                        const HTTPURLResponse& response) override {
        redirects.push_back(std::to_string(response.statusCode) + " " + proposed.httpMethod + " " + proposed.url);
        if (refuse) return std::nullopt;
        URLRequest next = proposed;
        next.setValue("yes", "X-Hooked");
        return next;
    }
    void connectionDidReceiveResponse(StreamingURLConnection&, const HTTPURLResponse& response) override {
        status = response.statusCode;
    }
    void connectionDidReceiveData(StreamingURLConnection&, const foundation::Bytes& data) override {
        body.append(data.begin(), data.end());
    }
    void connectionDidSendBodyData(StreamingURLConnection&, int64_t written, int64_t total, int64_t all) override {
        EXPECT_GT(written, 0);
        sent = total;
        expected = all;
    }
    void connectionDidFinishLoading(StreamingURLConnection&) override { ended = true; }
    void connectionDidFailWithError(StreamingURLConnection&, const foundation::Error& error) override {
        ADD_FAILURE() << error.description;
        ended = true;
    }
};

}  // namespace

TEST(StreamingRedirectHook, RedirectsGoToTheDelegateAnd308IsFinal) {
    testsupport::VirtualClockScope clock;
    LoopbackHttpServer server;
    server.reply("POST", "/see-other", {303, "", "text/plain", {{"Location", "/end"}}});
    server.reply("POST", "/temporary", {307, "", "text/plain", {{"Location", "/end"}}});
    server.reply("POST", "/incomplete", {308, "", "text/plain", {{"Range", "bytes=0-9"}, {"Location", "/end"}}});
    server.on("GET", "/end", [](const HttpExchange& e) {
        return HttpReply{200, "got " + e.header("X-Hooked").value_or("")};
    });
    server.on("POST", "/end", [](const HttpExchange& e) { return HttpReply{200, "post " + e.body}; });
    struct Case {
        const char* path;
        bool refuse;
        std::vector<std::string> redirects;
        int status;
        std::string body;
    };
    const std::string end = server.url("/end");
    const std::vector<Case> cases = {
        {"/see-other", false, {"303 GET " + end}, 200, "got yes"},
        {"/temporary", false, {"307 POST " + end}, 200, "post 0123456789"},
        {"/temporary", true, {"307 POST " + end}, 307, ""},
        {"/incomplete", false, {}, 308, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto hook = std::make_shared<Hook>();
        hook->refuse = c.refuse;
        URLRequest request(server.url(c.path));
        request.httpMethod = "POST";
        request.setHTTPBody(std::string_view("0123456789"));
        StreamingURLConnection::create(request, hook)->start();
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return hook->ended; }, 60));
        EXPECT_EQ(hook->redirects, c.redirects);
        EXPECT_EQ(hook->status, c.status);
        EXPECT_EQ(hook->body, c.body);
    }
}

TEST(StreamingRedirectHook, SendsAFileRangeAndReportsItsProgress) {
    testsupport::VirtualClockScope clock;
    testsupport::TempAppFolders folders;
    LoopbackHttpServer server;
    server.on("PUT", "/chunk", [](const HttpExchange& e) {
        return HttpReply{200, std::to_string(e.body.size()) + ":" + e.body.substr(0, 4)};
    });
    std::string content(3 << 20, 'x');
    for (size_t i = 0; i < content.size(); ++i) content[i] = char('a' + i % 26);
    const std::string path = folders.root() + "/source";
    std::ofstream(path, std::ios::binary) << content;

    auto hook = std::make_shared<Hook>();
    URLRequest request(server.url("/chunk"));
    request.httpMethod = "PUT";
    request.httpBodyFile = net::URLRequestBodyFile{path, 1000003, 2000000};
    StreamingURLConnection::create(request, hook)->start();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return hook->ended; }, 60));
    EXPECT_EQ(hook->status, 200);
    EXPECT_EQ(hook->body, "2000000:" + content.substr(1000003, 4));
    EXPECT_EQ(hook->sent, 2000000);
    EXPECT_EQ(hook->expected, 2000000);
}
