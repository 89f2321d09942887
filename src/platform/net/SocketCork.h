#pragma once

// Holds back the partial segments of a TCP connection while curl writes a
// large request body into it. Over TLS every record of 16 KiB is a write of
// its own, and on a connection the peer keeps up with, each write left as a
// segment of its own: four times the segments of a full-sized one on
// loopback, and a short segment behind every record on a real network.
// Corked, the records leave in full segments. The cork is on only while curl
// writes (one pass of its transfer loop) and comes off before the transfer
// waits for anything, so no byte is ever held back while the peer waits for
// it: not the end of the body, nor what HTTP/2 flow control waits on.
//
// curl owns the socket and never tells a running transfer which one it is,
// so the cork is put on one of the sockets curl opened (as curl reports
// them when it opens them) only when that socket's two ends are the ones
// curl reports for the transfer's connection.

#include <array>
#include <string>

namespace net::detail {

// The two ends of a connection, as curl reports them ("127.0.0.1", 443).
struct ConnectionEnds {
    std::string localAddress;
    int localPort = 0;
    std::string peerAddress;
    int peerPort = 0;

    bool operator==(const ConnectionEnds&) const = default;
};

// The ends of a connected socket; nothing matches a socket that has none.
ConnectionEnds endsOfSocket(int socket);

// The sockets most recently opened for one line of connections, newest first
// (curl may race two addresses of a host and keep either).
class OpenedSockets {
public:
    static constexpr size_t kKept = 4;

    OpenedSockets() { recent_.fill(-1); }
    void note(int socket);
    const std::array<int, kKept>& recent() const { return recent_; }

private:
    std::array<int, kKept> recent_;
};

class SocketCork {
public:
    SocketCork() = default;
    SocketCork(const SocketCork&) = delete;
    SocketCork& operator=(const SocketCork&) = delete;
    ~SocketCork() { detach(); }

    // Takes the one of `sockets` whose ends are `ends` and corks it; false
    // when none is (or it cannot be corked).
    bool attach(const OpenedSockets& sockets, const ConnectionEnds& ends);
    // Corks the attached socket again; nothing when none is attached.
    void hold();
    // Lets the held-back segments go at once; the socket stays attached.
    void release();
    // Releases the socket and lets go of it.
    void detach();
    bool isAttached() const { return socket_ >= 0; }
    bool isHeld() const { return held_; }

private:
    int socket_ = -1;
    bool held_ = false;
};

}  // namespace net::detail
