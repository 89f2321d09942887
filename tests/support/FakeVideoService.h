#pragma once

// The video service's API host on 127.0.0.1 for tests, HTTP or HTTPS:
// resumable uploads ("/upload/rpc" starts one, its upload location takes
// PUT chunks and status queries) and plain routes a test adds (the JSON-RPC
// calls). Its own threads answer; the test reads what arrived.
//
// Uploads behave as the real protocol says: a chunk must start where the
// server stands, a "bytes */F" query answers 308 with "Range: bytes=0-N"
// (no Range before the first byte) until all F bytes are in, and the last
// chunk answers 200 with the completion body. A chunk body cut off in
// transit keeps only whole 256 KiB steps of what arrived. PUT "/sink"
// reads a body of any size, drops it and answers its length.

#include "support/LoopbackHttpServer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct VideoServiceExchange {
    std::string method;
    std::string target;  // path and query
    std::vector<std::pair<std::string, std::string>> headers;
    uint64_t bodyLength = 0;
    std::string body;  // kept for everything but upload chunks
    bool cut = false;  // the body ended short of its length
    // What an upload location answered a chunk or a status query: the
    // status (0 when nobody was left to hear it) and the "Range" field.
    int replyStatus = 0;
    std::optional<std::string> replyRange;

    std::optional<std::string> header(std::string_view name) const;
};

class FakeVideoService {
public:
    static constexpr uint64_t kKeepStep = 256 * 1024;
    using Handler = std::function<HttpReply(const VideoServiceExchange&)>;

    // Plain HTTP, or HTTPS with the certificate files.
    FakeVideoService();
    FakeVideoService(const std::string& certificateFile, const std::string& keyFile);
    ~FakeVideoService();
    FakeVideoService(const FakeVideoService&) = delete;
    FakeVideoService& operator=(const FakeVideoService&) = delete;

    int port() const { return port_; }
    std::string url(std::string_view path = "/") const;
    // The address upload locations are given under (a relay in front of
    // this server, say); this server's own by default.
    void setPublicBaseURL(std::string base);

    // A route for anything that is not an upload (POST "/rpc", ...).
    void on(std::string method, std::string path, Handler handler);
    // The body of the final 200; by default a JSON-RPC result naming the
    // call's "id" and a video "fakevideo1".
    void setCompletionBody(std::string body);
    // Off: uploads and the bodies of added routes only count what arrives
    // (uploadedBytes() and an exchange's body stay empty, uploadedLength()
    // and bodyLength tell), for uploads too large to hold in memory.
    void setKeepsBytes(bool keep);
    // On: idle connections wait 5 s for the next request, as a real server's
    // do; off (the default) each connection closes after one exchange, so
    // stopping never waits. See HttplibConnections.h.
    void setKeepsConnectionsAlive(bool keep);
    // The next `count` chunk requests (PUT) are answered with `status`
    // without looking at them.
    void failNextChunks(int count, int status);

    std::vector<VideoServiceExchange> requests() const;
    size_t requestCount() const;
    // Bytes the server holds of the upload that began last.
    std::string uploadedBytes() const;
    uint64_t uploadedLength() const;
    size_t uploadCount() const;

private:
    struct Impl;
    void start();

    std::unique_ptr<Impl> impl_;
    bool secure_ = false;
    int port_ = 0;
};

}  // namespace testsupport
