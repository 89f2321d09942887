#include "platform/net/SocketCork.h"

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace net::detail {

namespace {

// The numeric address and port of a socket address, as curl writes them;
// nothing for a family other than IPv4 and IPv6.
bool describe(const sockaddr_storage& address, std::string& text, int& port) {
    char buffer[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        if (!inet_ntop(AF_INET, &v4.sin_addr, buffer, sizeof buffer)) return false;
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        if (!inet_ntop(AF_INET6, &v6.sin6_addr, buffer, sizeof buffer)) return false;
        port = ntohs(v6.sin6_port);
    } else {
        return false;
    }
    text = buffer;
    return true;
}

}  // namespace

ConnectionEnds endsOfSocket(int socket) {
    ConnectionEnds ends;
    sockaddr_storage local{}, peer{};
    socklen_t localLength = sizeof local, peerLength = sizeof peer;
    if (socket < 0 || getsockname(socket, reinterpret_cast<sockaddr*>(&local), &localLength) != 0 ||
        getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0 ||
        !describe(local, ends.localAddress, ends.localPort) || !describe(peer, ends.peerAddress, ends.peerPort))
        return {};
    return ends;
}

void OpenedSockets::note(int socket) {
    std::move_backward(recent_.begin(), recent_.end() - 1, recent_.end());
    recent_[0] = socket;
}

bool SocketCork::attach(const OpenedSockets& sockets, const ConnectionEnds& ends) {
    detach();
    if (ends.localPort == 0 || ends.peerPort == 0) return false;
    for (int socket : sockets.recent()) {
        if (socket < 0 || endsOfSocket(socket) != ends) continue;
        socket_ = socket;
        hold();
        if (!held_) socket_ = -1;
        return held_;
    }
    return false;
}

void SocketCork::hold() {
    if (socket_ < 0 || held_) return;
    const int on = 1;
    held_ = setsockopt(socket_, IPPROTO_TCP, TCP_CORK, &on, sizeof on) == 0;
}

void SocketCork::release() {
    if (!held_) return;
    // Taking the cork off sends what it held back at once.
    const int off = 0;
    setsockopt(socket_, IPPROTO_TCP, TCP_CORK, &off, sizeof off);
    held_ = false;
}

void SocketCork::detach() {
    release();
    socket_ = -1;
}

}  // namespace net::detail
