#pragma once

// A TCP relay on 127.0.0.1 in front of a loopback server, for tests of
// dropped and stalled connections. Bytes pass through unchanged (TLS
// included) until clients have sent `afterBytes` upstream in all; then the
// connection that reached that count is cut (both sides closed) or stalls
// (nothing more passes until the relay is destroyed or released). Other
// connections, and all after the fault, pass untouched.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class TcpRelay {
public:
    enum class Fault { Cut, Stall };

    TcpRelay(int targetPort, uint64_t afterBytes, Fault fault);
    ~TcpRelay();
    TcpRelay(const TcpRelay&) = delete;
    TcpRelay& operator=(const TcpRelay&) = delete;

    int port() const { return port_; }
    // "<scheme>://127.0.0.1:<relay port>".
    std::string baseURL(const std::string& scheme) const;
    // Whether the fault has happened; when it does, the main run loop is
    // woken, so a runUntil on it sees the change.
    bool faulted() const { return faulted_; }
    // Bytes clients sent upstream.
    uint64_t forwardedUpstream() const { return forwarded_; }
    // Ends a stall: the stalled connection is closed.
    void release();

private:
    void acceptLoop();
    void pump(int client);

    int targetPort_;
    uint64_t afterBytes_;
    Fault fault_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> faulted_{false};
    std::atomic<uint64_t> forwarded_{0};
    std::thread acceptor_;
    std::mutex countMutex_;  // one pump at a time moves the count towards the fault
    std::mutex mutex_;
    std::condition_variable released_;
    bool isReleased_ = false;
    std::vector<std::thread> pumps_;
};

}  // namespace testsupport
