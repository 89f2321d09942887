#include "platform/foundation/FileDescriptor.h"
#include "support/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

using testsupport::HttpReply;
using testsupport::LoopbackHttpServer;

namespace {

foundation::FileDescriptor connectTo(int port) {
    foundation::FileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return {};
    return socket;
}

// Sends one GET and reads its whole reply (it has a Content-Length).
std::string exchange(int socket) {
    const std::string request = "GET /ping HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    if (::send(socket, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size())) return "send failed";
    std::string reply;
    char buffer[4096];
    while (reply.find("\r\n\r\npong") == std::string::npos) {
        ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
        if (got <= 0) return reply + "<closed>";
        reply.append(buffer, static_cast<size_t>(got));
    }
    return reply;
}

}  // namespace

// By default a connection carries one exchange and says so, so a client that
// keeps connections for reuse never holds the server's threads; kept alive,
// the same connection carries the next request.
TEST(LoopbackServerConnections, OneExchangePerConnectionUnlessKeptAlive) {
    for (bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "kept alive" : "default");
        LoopbackHttpServer server;
        server.setKeepsConnectionsAlive(keep);
        server.reply("GET", "/ping", HttpReply{200, "pong", "text/plain"});
        foundation::FileDescriptor socket = connectTo(server.port());
        ASSERT_TRUE(socket);
        std::string first = exchange(socket.get());
        ASSERT_TRUE(first.starts_with("HTTP/1.1 200 OK\r\n")) << first;
        EXPECT_EQ(first.find("Connection: close\r\n") != std::string::npos, !keep) << first;
        std::string second = exchange(socket.get());
        if (keep) {
            EXPECT_TRUE(second.starts_with("HTTP/1.1 200 OK\r\n")) << second;
        } else {
            EXPECT_TRUE(second.ends_with("<closed>")) << second;
        }
        EXPECT_EQ(server.requestCount(), keep ? 2u : 1u);
    }
}
