#pragma once

// How the test servers built on httplib treat their connections.
//
// httplib waits for each request of a connection, its first one included,
// only as long as the keep-alive time. A time of zero, meant to close idle
// connections at once, also drops every connection whose first request is
// not there within about 10 ms of the accept (or of the TLS handshake): a
// client thread that a loaded machine holds back that long sees its
// connection lost before the server has read anything.

#include <httplib.h>

namespace testsupport {

// Off: every connection carries one exchange and is closed after the reply,
// which says "Connection: close", so a client that keeps connections for
// reuse never holds a server thread, nor makes a stopping server wait. The
// first request may take up to kFirstRequestSeconds to arrive. On: an idle
// connection waits up to kKeptAliveSeconds for its next request, as a real
// server's does (a stopping server waits as long). Set before the first
// request.
inline constexpr time_t kFirstRequestSeconds = 10;
inline constexpr time_t kKeptAliveSeconds = 5;

inline void setKeepsConnectionsAlive(httplib::Server& server, bool keep) {
    server.set_keep_alive_max_count(keep ? 1000000 : 1);
    server.set_keep_alive_timeout(keep ? kKeptAliveSeconds : kFirstRequestSeconds);
}

}  // namespace testsupport
