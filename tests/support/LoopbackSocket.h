#pragma once

// Plain TCP sockets on 127.0.0.1 for test servers that speak raw bytes.

#include <cstddef>

namespace testsupport {

// A listening socket on 127.0.0.1 with an ephemeral port, which goes to
// `port`; throws std::runtime_error when none can be made.
int listenOnLoopback(int& port);
// A connection accepted on the listener within the time (with close-on-exec
// set), or -1 when none came.
int acceptWithin(int listener, int milliseconds);
// Sends every byte or fails (the peer went away).
bool sendAll(int fd, const char* data, size_t length);

}  // namespace testsupport
