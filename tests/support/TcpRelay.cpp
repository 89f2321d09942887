#include "support/TcpRelay.h"

#include "platform/foundation/RunLoop.h"
#include "support/LoopbackSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

namespace {

int connectTo(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (fd >= 0) ::close(fd);
        return -1;
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

}  // namespace

TcpRelay::TcpRelay(int targetPort, uint64_t afterBytes, Fault fault)
    : targetPort_(targetPort), afterBytes_(afterBytes), fault_(fault) {
    listener_ = listenOnLoopback(port_);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

TcpRelay::~TcpRelay() {
    stopping_ = true;
    release();
    ::shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    ::close(listener_);
    for (std::thread& pump : pumps_) pump.join();
}

std::string TcpRelay::baseURL(const std::string& scheme) const {
    return scheme + "://127.0.0.1:" + std::to_string(port_);
}

void TcpRelay::release() {
    {
        std::lock_guard lock(mutex_);
        isReleased_ = true;
    }
    released_.notify_all();
}

void TcpRelay::acceptLoop() {
    while (!stopping_) {
        int client = acceptWithin(listener_, 20);
        if (client < 0) continue;
        int one = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        pumps_.emplace_back([this, client] { pump(client); });
    }
}

void TcpRelay::pump(int client) {
    int server = connectTo(targetPort_);
    if (server < 0) {
        ::close(client);
        return;
    }
    char buffer[64 * 1024];
    bool open = true;
    while (open && !stopping_) {
        pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (::poll(fds, 2, 20) <= 0) continue;
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            size_t room = sizeof buffer;
            bool hit = false;
            {
                std::lock_guard counting(countMutex_);
                if (!faulted_) room = size_t(std::min<uint64_t>(room, afterBytes_ - forwarded_));
            }
            ssize_t got = ::recv(client, buffer, room, 0);
            if (got <= 0) break;
            {
                std::lock_guard counting(countMutex_);
                forwarded_ += uint64_t(got);
                if (!faulted_ && forwarded_ >= afterBytes_) hit = true, faulted_ = true;
            }
            if (!sendAll(server, buffer, size_t(got))) break;
            if (hit) {
                // A run of the main loop waiting for faulted() re-checks now:
                // a stalled line may post nothing more that would wake it.
                foundation::RunLoop::main().wakeUp();
                if (fault_ == Fault::Stall) {
                    std::unique_lock lock(mutex_);
                    released_.wait(lock, [this] { return isReleased_; });
                }
                break;
            }
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            ssize_t got = ::recv(server, buffer, sizeof buffer, 0);
            if (got <= 0 || !sendAll(client, buffer, size_t(got))) open = false;
        }
    }
    ::close(client);
    ::close(server);
}

}  // namespace testsupport
