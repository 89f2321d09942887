#pragma once

// An HTTP or HTTPS server on 127.0.0.1 with an ephemeral port, running on its
// own threads for one test. It records every request and answers from a
// table of canned replies or handlers; anything else gets 404.
//
//     testsupport::LoopbackHttpServer server;
//     server.reply("POST", "/crash", {200, "ok"});
//     ... request server.url("/crash") ...
//     EXPECT_EQ(server.requests().at(0).body, "...");
//
// A test target that uses it links PkgConfig::HTTPLIB (the packaged
// cpp-httplib library).
//
// Handlers run on the server's threads. A handler may block (to hold a
// response back); whatever releases it must do so before the server is
// destroyed.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace testsupport {

struct HttpExchange {
    std::string method;
    std::string path;    // without the query
    std::string target;  // as sent: path and query
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The first field of that name, compared without regard to case.
    std::optional<std::string> header(std::string_view name) const;
};

// A body that the test hands out piece by piece: the server sends each
// released piece at once and then waits for the next, so a test can look at
// what the client made of the bytes so far. Shared between the test and the
// server's handler; the server cuts off any body still waiting when it stops.
class ReleasedBody {
public:
    void release(std::string piece);
    // Ends the body after the pieces released so far.
    void finish();
    // Drops the connection after the pieces released so far.
    void cutOff();

    // For the server: the next piece, waiting until there is one; nullopt at
    // the end, with `cut` telling whether the body was cut off.
    std::optional<std::string> next(bool& cut);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> pieces_;
    size_t sent_ = 0;
    bool finished_ = false;
    bool cut_ = false;
};

struct HttpReply {
    HttpReply(int status = 200, std::string body = {}, std::string contentType = "text/plain",
              std::vector<std::pair<std::string, std::string>> headers = {})
        : status(status), body(std::move(body)), contentType(std::move(contentType)), headers(std::move(headers)) {}

    // A reply that sends its status line and headers, promises the body and
    // then closes the connection: the client sees the transfer fail.
    static HttpReply cutOff() {
        HttpReply reply{200, "cut off"};
        reply.cutsOff = true;
        return reply;
    }

    // A reply whose body the test releases piece by piece. With
    // `declaredLength` the head promises that many bytes (truthfully or not);
    // without it the body goes in chunked encoding, of no length known ahead.
    static HttpReply inPieces(std::shared_ptr<ReleasedBody> pieces, std::optional<uint64_t> declaredLength,
                              std::string contentType = "application/octet-stream") {
        HttpReply reply{200, {}, std::move(contentType)};
        reply.pieces = std::move(pieces);
        reply.declaredLength = declaredLength;
        return reply;
    }

    int status = 200;
    std::string body;
    std::string contentType = "text/plain";
    std::vector<std::pair<std::string, std::string>> headers;
    bool cutsOff = false;
    std::shared_ptr<ReleasedBody> pieces;
    std::optional<uint64_t> declaredLength;
};

// Files of a throw-away certificate authority and a server certificate it
// signed for 127.0.0.1 and localhost, made with the openssl tool.
struct TestCertificates {
    std::string authorityFile;
    std::string authorityDERFile;  // the authority's certificate alone, DER-encoded
    std::string serverCertificateFile;
    std::string serverKeyFile;

    // Writes the files into `directory` (which must exist); throws
    // std::runtime_error when openssl fails.
    static TestCertificates create(const std::string& directory);
};

// A port on 127.0.0.1 that was free a moment ago: nobody listens there, so a
// connection to it is refused.
int unusedLoopbackPort();

class LoopbackHttpServer {
public:
    using Handler = std::function<HttpReply(const HttpExchange&)>;

    // Plain HTTP.
    LoopbackHttpServer();
    // HTTPS with the given certificate and key files.
    LoopbackHttpServer(const std::string& certificateFile, const std::string& keyFile);
    ~LoopbackHttpServer();

    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int port() const { return port_; }
    bool isSecure() const { return secure_; }
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string url(std::string_view path = "/") const;

    // Off by default: a connection carries one exchange and is closed after
    // the reply ("Connection: close"), so a client that keeps connections
    // for reuse does not make the stopping server wait out its idle time.
    // On, an idle connection waits up to 5 s for the next request (the
    // server then waits as long when it stops). Set before the first
    // request. See HttplibConnections.h.
    void setKeepsConnectionsAlive(bool keep);

    void reply(std::string method, std::string path, HttpReply reply);
    void on(std::string method, std::string path, Handler handler);

    std::vector<HttpExchange> requests() const;
    size_t requestCount() const;
    // Blocks until at least `count` requests have arrived (true) or
    // `timeoutSeconds` of real time have passed (false). For tests that must
    // act while a request is in flight; not a substitute for the run loop.
    bool waitForRequests(size_t count, double timeoutSeconds) const;

private:
    struct Impl;
    void start();
    HttpReply dispatch(const HttpExchange& exchange);

    std::unique_ptr<Impl> impl_;
    bool secure_ = false;
    int port_ = 0;

    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<HttpExchange> requests_;
    std::vector<std::pair<std::pair<std::string, std::string>, Handler>> routes_;
    std::vector<std::weak_ptr<ReleasedBody>> releasedBodies_;
};

}  // namespace testsupport
