// A large request body is written through a corked socket, the cork goes on
// the transfer's own connection only, and nothing stays corked while the
// transfer waits or after it.

#include "platform/net/SocketCork.h"
#include "platform/net/URLConnection.h"
#include "support/LoopbackSocket.h"

#include <chrono>
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
using net::detail::ConnectionEnds;
using net::detail::endsOfSocket;

namespace {

std::optional<bool> isCorked(int fd) {
    int corked = 0;
    socklen_t length = sizeof corked;
    if (getsockopt(fd, IPPROTO_TCP, TCP_CORK, &corked, &length) != 0) return std::nullopt;
    return corked != 0;
}

ConnectionEnds reversed(const ConnectionEnds& ends) {
    return {ends.peerAddress, ends.peerPort, ends.localAddress, ends.localPort};
}

// The socket of this process that is the client end of `accepted` (a
// connection the test server took); -1 when none is found.
int clientEndOf(int accepted) {
    const ConnectionEnds client = reversed(endsOfSocket(accepted));
    if (client.localPort == 0) return -1;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const int fd = std::stoi(entry.path().filename().string());
        if (endsOfSocket(fd) == client) return fd;
    }
    return -1;
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

TEST(BodyCork, TakesTheSocketWithTheConnectionsEndsAndLetsGoOfIt) {
    int port = 0;
    const int listener = testsupport::listenOnLoopback(port);
    const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const int server = testsupport::acceptWithin(listener, 10000);
    ASSERT_GE(server, 0);
    const ConnectionEnds ends = endsOfSocket(client);
    ASSERT_EQ(ends.peerPort, port);
    EXPECT_EQ(reversed(endsOfSocket(server)), ends);

    // What curl opened: the client end (and a socket that failed), never
    // the server's end of the same connection.
    net::detail::OpenedSockets opened;
    for (int fd : {client, -1}) opened.note(fd);
    // The ends the other way round, another port, nothing known.
    for (ConnectionEnds other :
         {reversed(ends), ConnectionEnds{ends.localAddress, ends.localPort + 1, ends.peerAddress, ends.peerPort},
          ConnectionEnds{}}) {
        net::detail::SocketCork cork;
        EXPECT_FALSE(cork.attach(opened, other)) << other.localPort;
        EXPECT_EQ(isCorked(client), std::optional(false));
        EXPECT_EQ(isCorked(server), std::optional(false));
    }

    {
        net::detail::SocketCork cork;
        ASSERT_TRUE(cork.attach(opened, ends));
        EXPECT_EQ(isCorked(client), std::optional(true));
        EXPECT_EQ(isCorked(server), std::optional(false));
        cork.release();
        EXPECT_EQ(isCorked(client), std::optional(false));
        cork.hold();
        EXPECT_EQ(isCorked(client), std::optional(true));
    }
    EXPECT_EQ(isCorked(client), std::optional(false));  // let go of on the way out
    for (int fd : {client, server, listener}) ::close(fd);
}

TEST(BodyCork, NothingStaysCorkedWhileATransferWaitsNorAfterIt) {
    // More than the loopback socket buffers hold, so the client has to wait
    // for the server in the middle of the body.
    const std::string body(32 << 20, 'x');
    int port = 0;
    const int listener = testsupport::listenOnLoopback(port);
    std::optional<bool> corkedWhileWaiting, corkedAfterwards;
    std::thread server([&] {
        const int connection = testsupport::acceptWithin(listener, 10000);
        const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
        if (connection < 0 || !readHead(connection) || !discard(connection, 1 << 20)) return;
        // The server reads no more for now: the client fills what the
        // sockets hold and waits, uncorked. The reading that ends the wait
        // is the one kept: the client may still cork each pass that writes
        // into room the server's read made.
        const int client = clientEndOf(connection);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while ((corkedWhileWaiting = isCorked(client)) == std::optional(true) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        if (!discard(connection, body.size() - (1 << 20)) || !testsupport::sendAll(connection, ok.data(), ok.size()))
            return;
        // The next request, on the same connection.
        if (!readHead(connection)) return;
        corkedAfterwards = isCorked(client);
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
    EXPECT_EQ(corkedWhileWaiting, std::optional(false));
    EXPECT_EQ(corkedAfterwards, std::optional(false));
}
