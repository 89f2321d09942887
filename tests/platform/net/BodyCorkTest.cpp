// A large request body goes out through a corked socket, and its kept-alive
// connection goes back uncorked, so the next request on it is not held back.

#include "platform/net/SocketCork.h"
#include "platform/net/URLConnection.h"
#include "support/LoopbackSocket.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using net::URLConnection;
using net::URLRequest;

namespace {

std::optional<bool> isCorked(int fd) {
    int corked = 0;
    socklen_t length = sizeof corked;
    if (getsockopt(fd, IPPROTO_TCP, TCP_CORK, &corked, &length) != 0) return std::nullopt;
    return corked != 0;
}

// Whether the socket of this process that is the client end of `accepted`
// (a connection the test server took) is corked; nullopt when none is found.
std::optional<bool> clientEndIsCorked(int accepted) {
    const net::detail::ConnectionEnds server = net::detail::endsOfSocket(accepted);
    if (server.localPort == 0) return std::nullopt;
    const net::detail::ConnectionEnds client{server.peerAddress, server.peerPort, server.localAddress,
                                             server.localPort};
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const int fd = std::stoi(entry.path().filename().string());
        if (net::detail::endsOfSocket(fd) == client) return isCorked(fd);
    }
    return std::nullopt;
}

// Reads up to and including the blank line that ends a request head.
bool readHead(int fd) {
    std::string seen;
    for (char byte; !seen.ends_with("\r\n\r\n"); seen += byte)
        if (::recv(fd, &byte, 1, 0) != 1) return false;
    return true;
}

bool discard(int fd, size_t length) {
    std::string buffer(1 << 16, '\0');
    while (length > 0) {
        ssize_t got = ::recv(fd, buffer.data(), std::min(buffer.size(), length), 0);
        if (got <= 0) return false;
        length -= size_t(got);
    }
    return true;
}

}  // namespace

TEST(BodyCork, ALargeBodyLeavesCorkedAndItsConnectionComesBackUncorked) {
    // More than the loopback socket buffers hold, so the client is still
    // writing while the server looks.
    const std::string body(32 << 20, 'x');
    int port = 0;
    const int listener = testsupport::listenOnLoopback(port);
    std::optional<bool> corkedInBody, corkedAfterwards, serverEndCorked;
    std::thread server([&] {
        const int connection = testsupport::acceptWithin(listener, 10000);
        const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
        // The client has begun the body, and most of it is still to come.
        if (connection < 0 || !readHead(connection) || !discard(connection, 1 << 20)) return;
        corkedInBody = clientEndIsCorked(connection);
        serverEndCorked = isCorked(connection);
        if (!discard(connection, body.size() - (1 << 20)) || !testsupport::sendAll(connection, ok.data(), ok.size()))
            return;
        // The next request, on the same connection.
        if (!readHead(connection)) return;
        corkedAfterwards = clientEndIsCorked(connection);
        testsupport::sendAll(connection, ok.data(), ok.size());
        ::close(connection);
    });

    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/upload";
    URLRequest upload(url);
    upload.httpMethod = "PUT";
    upload.setHTTPBody(body);
    net::URLLoadResult sent = URLConnection::sendSynchronousRequest(upload, 60.0);
    net::URLLoadResult next = URLConnection::sendSynchronousRequest(URLRequest(url), 60.0);
    server.join();
    ::close(listener);

    ASSERT_FALSE(sent.error) << sent.error->description;
    ASSERT_FALSE(next.error) << next.error->description;
    EXPECT_EQ(std::string(next.data.begin(), next.data.end()), "ok");
    EXPECT_EQ(corkedInBody, std::optional(true));
    EXPECT_EQ(corkedAfterwards, std::optional(false));
    EXPECT_EQ(serverEndCorked, std::optional(false));
}
