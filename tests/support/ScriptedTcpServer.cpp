#include "support/ScriptedTcpServer.h"

#include "support/LoopbackSocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

ScriptedTcpServer::ScriptedTcpServer(std::vector<Reply> script) : script_(std::move(script)) {
    listener_ = listenOnLoopback(port_);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

ScriptedTcpServer::~ScriptedTcpServer() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    ::close(listener_);
    for (std::thread& server : servers_) server.join();
}

std::string ScriptedTcpServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

bool ScriptedTcpServer::takeReply(Reply& reply) {
    std::lock_guard lock(mutex_);
    if (nextReply_ >= script_.size()) return false;
    reply = script_[nextReply_++];
    return true;
}

void ScriptedTcpServer::acceptLoop() {
    while (!stopping_) {
        int client = acceptWithin(listener_, 20);
        if (client < 0) continue;
        ++connections_;
        servers_.emplace_back([this, client] { serve(client); });
    }
}

void ScriptedTcpServer::serve(int client) {
    std::string received;
    char buffer[4096];
    while (!stopping_) {
        const size_t headEnd = received.find("\r\n\r\n");
        if (headEnd != std::string::npos) {
            received.erase(0, headEnd + 4);
            ++requests_;
            Reply reply;
            if (!takeReply(reply) || !sendAll(client, reply.bytes.data(), reply.bytes.size()) || reply.closesConnection)
                break;
            continue;
        }
        pollfd waiting{client, POLLIN, 0};
        if (::poll(&waiting, 1, 20) <= 0) continue;
        ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        received.append(buffer, size_t(got));
    }
    ::close(client);
}

}  // namespace testsupport
