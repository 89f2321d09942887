#pragma once

// A server on 127.0.0.1 that answers each request head it reads (up to the
// blank line; requests carry no body) with the next reply of its script,
// sent byte for byte as written: for answers that no HTTP library would
// write, such as folded field lines. Connections stay open between replies
// unless a reply closes its connection; once the script is used up, every
// further request has its connection closed unanswered.
//
//     testsupport::ScriptedTcpServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"}});
//     ... request server.url("/x") ...
//     EXPECT_EQ(server.connectionCount(), 1u);

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class ScriptedTcpServer {
public:
    struct Reply {
        std::string bytes;
        bool closesConnection = false;
    };

    explicit ScriptedTcpServer(std::vector<Reply> script);
    ~ScriptedTcpServer();
    ScriptedTcpServer(const ScriptedTcpServer&) = delete;
    ScriptedTcpServer& operator=(const ScriptedTcpServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:<port>" and the path.
    std::string url(const std::string& path) const;
    // Connections accepted and request heads read so far.
    size_t connectionCount() const { return connections_; }
    size_t requestCount() const { return requests_; }

private:
    void acceptLoop();
    void serve(int client);
    // The next reply of the script, or none when it is used up.
    bool takeReply(Reply& reply);

    std::vector<Reply> script_;
    size_t nextReply_ = 0;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<size_t> connections_{0};
    std::atomic<size_t> requests_{0};
    std::mutex mutex_;
    std::thread acceptor_;
    std::vector<std::thread> servers_;
};

}  // namespace testsupport
