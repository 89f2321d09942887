#include "platform/foundation/RunLoop.h"
#include "platform/net/LoopbackRedirectReceiver.h"
#include "platform/net/URLConnection.h"
#include "support/VirtualClock.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using foundation::RunLoop;
using net::LoopbackRedirectReceiver;
using net::URLConnection;
using net::URLRequest;

namespace {

struct Visits {
    std::vector<std::string> urls;
};

std::shared_ptr<LoopbackRedirectReceiver> started(Visits& visits, std::map<std::string, std::string> required = {}) {
    auto receiver = LoopbackRedirectReceiver::start(
        "/", [&visits](const std::string& url) { visits.urls.push_back(url); }, std::move(required));
    EXPECT_TRUE(receiver.ok());
    return receiver.ok() ? *receiver : nullptr;
}

// Sends raw bytes and returns the whole answer (the receiver closes).
std::string rawExchange(int port, const std::string& bytes) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return "refused";
    }
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    std::string answer;
    char buffer[4096];
    ssize_t n;
    while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) answer.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    return answer;
}

int statusOf(const std::string& url) {
    net::URLLoadResult result = URLConnection::sendSynchronousRequest(URLRequest(url), 10);
    return result.response ? result.response->statusCode : -1;
}

}  // namespace

TEST(LoopbackRedirectReceiver, TakesOneVisitThatCarriesTheRequiredState) {
    testsupport::VirtualClockScope clock;
    Visits visits;
    auto receiver = started(visits, {{"state", "s 1"}});
    ASSERT_TRUE(receiver);
    EXPECT_EQ(receiver->redirectURI(), "http://127.0.0.1:" + std::to_string(receiver->port()) + "/");
    const std::string base = receiver->redirectURI();

    struct Case {
        std::string target;
        int status;
    };
    const Case refused[] = {
        {"?code=4/abc", 400},                      // no state
        {"?code=4/abc&state=other", 400},          // someone else's sign-in
        {"?code=4/abc&state=s+1&state=s+1", 400},  // ambiguous
        {"favicon.ico", 404},
        {"x/?code=4/abc&state=s%201", 404},
    };
    for (const Case& c : refused) {
        EXPECT_EQ(statusOf(base + c.target), c.status) << c.target;
        RunLoop::main().runUntilIdle();
        EXPECT_TRUE(visits.urls.empty()) << c.target;
        EXPECT_TRUE(receiver->isListening()) << c.target;
    }
    std::string post = rawExchange(receiver->port(), "POST /?state=s%201 HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(post.rfind("HTTP/1.1 405 ", 0), 0u) << post;
    std::string big =
        rawExchange(receiver->port(), "GET /?state=s%201 HTTP/1.1\r\nX-Pad: " + std::string(9000, 'a') + "\r\n\r\n");
    EXPECT_EQ(big.rfind("HTTP/1.1 431 ", 0), 0u) << big.substr(0, 40);
    std::string garbage = rawExchange(receiver->port(), "hello\r\n\r\n");
    EXPECT_EQ(garbage.rfind("HTTP/1.1 400 ", 0), 0u);

    net::URLLoadResult visit =
        URLConnection::sendSynchronousRequest(URLRequest(base + "?code=4%2Fabc&state=s%201"), 10);
    ASSERT_TRUE(visit.response);
    EXPECT_EQ(visit.response->statusCode, 200);
    EXPECT_EQ(std::string(visit.data.begin(), visit.data.end()), LoopbackRedirectReceiver::successPage());
    EXPECT_EQ(visit.response->valueForHTTPHeaderField("Cache-Control"), "no-store");
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(visits.urls, std::vector<std::string>{base + "?code=4%2Fabc&state=s%201"});

    // One visit only: the port is closed afterwards.
    EXPECT_FALSE(receiver->isListening());
    EXPECT_EQ(statusOf(base + "?code=again&state=s%201"), -1);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(visits.urls.size(), 1u);
}

TEST(LoopbackRedirectReceiver, StopsWithoutCallingBack) {
    testsupport::VirtualClockScope clock;
    Visits visits;
    auto receiver = started(visits);
    ASSERT_TRUE(receiver);
    const std::string base = receiver->redirectURI();
    EXPECT_EQ(statusOf(base + "?code=1"), 200);
    // Stopped before the main queue delivered the visit: nothing arrives.
    receiver->stop();
    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(visits.urls.empty());

    auto idle = started(visits);
    ASSERT_TRUE(idle);
    int port = idle->port();
    idle.reset();
    EXPECT_EQ(rawExchange(port, "GET / HTTP/1.1\r\n\r\n"), "refused");
}
