// The packaged cpp-httplib's build options, as in LoopbackHttpServer.cpp.
#define CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_ZLIB_SUPPORT
#define CPPHTTPLIB_BROTLI_SUPPORT
#include "support/FakeVideoService.h"

#include "support/HttplibConnections.h"

#include <charconv>
#include <httplib.h>
#include <map>
#include <regex>
#include <stdexcept>
#include <thread>

namespace testsupport {

namespace {

bool namesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

struct Upload {
    std::string bytes;
    uint64_t held = 0;
    std::optional<uint64_t> length;  // announced by the first request
    std::string callId;
};

// "bytes A-B/F" or "bytes */F".
struct ContentRange {
    std::optional<uint64_t> first;
    uint64_t full = 0;
};

std::optional<ContentRange> parseContentRange(const std::string& text) {
    std::smatch match;
    static const std::regex span(R"(bytes (\d+)-(\d+)/(\d+))");
    static const std::regex query(R"(bytes \*/(\d+))");
    if (std::regex_match(text, match, span)) return ContentRange{std::stoull(match[1]), std::stoull(match[3])};
    if (std::regex_match(text, match, query)) return ContentRange{std::nullopt, std::stoull(match[1])};
    return std::nullopt;
}

}  // namespace

std::optional<std::string> VideoServiceExchange::header(std::string_view name) const {
    for (const auto& [field, value] : headers)
        if (namesEqual(field, name)) return value;
    return std::nullopt;
}

struct FakeVideoService::Impl {
    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    mutable std::mutex mutex;
    std::mutex chunkMutex;
    std::string publicBase;
    std::vector<VideoServiceExchange> requests;
    std::vector<std::pair<std::pair<std::string, std::string>, Handler>> routes;
    std::map<std::string, Upload> uploads;  // by session path
    std::string lastSession;
    std::optional<std::string> completionBody;
    bool keepsBytes = true;
    int failuresLeft = 0;
    int failureStatus = 0;

    VideoServiceExchange record(const httplib::Request& request, std::string body, uint64_t length, bool cut,
                                size_t* index = nullptr) {
        VideoServiceExchange exchange{request.method, request.target, {}, length, std::move(body), cut, 0, {}};
        for (const auto& [name, value] : request.headers) exchange.headers.emplace_back(name, value);
        std::lock_guard lock(mutex);
        if (index) *index = requests.size();
        requests.push_back(exchange);
        return exchange;
    }

    // Answers a recorded upload request and notes the answer beside it.
    // Called with the mutex held.
    void answerChunk(size_t index, httplib::Response& response, const HttpReply& reply) {
        answer(response, reply);
        requests[index].replyStatus = reply.status;
        for (const auto& [name, value] : reply.headers)
            if (name == "Range") requests[index].replyRange = value;
    }

    static void answer(httplib::Response& response, const HttpReply& reply) {
        response.status = reply.status;
        for (const auto& [name, value] : reply.headers) response.set_header(name, value);
        response.set_content(reply.body, reply.contentType);
    }

    // The 308 that tells what the server holds.
    static HttpReply incomplete(const Upload& upload) {
        HttpReply reply{308, "", "text/plain"};
        if (upload.held > 0) reply.headers.emplace_back("Range", "bytes=0-" + std::to_string(upload.held - 1));
        return reply;
    }

    HttpReply completed(const Upload& upload) const {
        if (completionBody) return HttpReply{200, *completionBody, "application/json"};
        return HttpReply{
            200,
            R"({"jsonrpc":"2.0","id":")" + upload.callId + R"(","result":{"kind":"youtube#video","id":"fakevideo1"}})",
            "application/json"};
    }
};

FakeVideoService::FakeVideoService() : impl_(std::make_unique<Impl>()) {
    impl_->server = std::make_unique<httplib::Server>();
    start();
}

FakeVideoService::FakeVideoService(const std::string& certificateFile, const std::string& keyFile)
    : impl_(std::make_unique<Impl>()), secure_(true) {
    impl_->server = std::make_unique<httplib::SSLServer>(certificateFile.c_str(), keyFile.c_str());
    if (!impl_->server->is_valid()) throw std::runtime_error("FakeVideoService: cannot load " + certificateFile);
    start();
}

FakeVideoService::~FakeVideoService() {
    impl_->server->stop();
    if (impl_->thread.joinable()) impl_->thread.join();
}

void FakeVideoService::start() {
    httplib::Server& server = *impl_->server;
    Impl& impl = *impl_;

    auto plain = [&impl](const httplib::Request& request, httplib::Response& response,
                         const httplib::ContentReader& reader) {
        // A route's body is counted only when bytes are not kept; the call
        // that starts an upload is always read, for its "id".
        bool keepsBody = request.path == "/upload/rpc";
        {
            std::lock_guard lock(impl.mutex);
            keepsBody = keepsBody || impl.keepsBytes;
        }
        std::string body;
        uint64_t received = 0;
        bool complete = reader([&](const char* data, size_t length) {
            if (keepsBody) body.append(data, length);
            received += length;
            return true;
        });
        VideoServiceExchange exchange = impl.record(request, body, received, !complete);
        if (request.method == "POST" && request.path == "/upload/rpc") {
            std::lock_guard lock(impl.mutex);
            std::string session = "/upload/session/" + std::to_string(impl.uploads.size() + 1);
            Upload upload;
            if (auto length = exchange.header("X-Upload-Content-Length")) upload.length = std::stoull(*length);
            std::smatch match;
            static const std::regex id(R"re("id"\s*:\s*"([^"]*)")re");
            if (std::regex_search(body, match, id)) upload.callId = match[1];
            impl.uploads[session] = std::move(upload);
            impl.lastSession = session;
            std::string base = impl.publicBase;
            Impl::answer(response, HttpReply{200, "", "text/plain", {{"Location", base + session}}});
            return;
        }
        Handler handler;
        {
            std::lock_guard lock(impl.mutex);
            for (const auto& [key, candidate] : impl.routes)
                if (key.first == request.method && key.second == request.path) handler = candidate;
        }
        Impl::answer(response, handler ? handler(exchange) : HttpReply{404, "not found"});
    };

    auto chunk = [&impl](const httplib::Request& request, httplib::Response& response,
                         const httplib::ContentReader& reader) {
        // One chunk at a time, body and all: a query that follows a cut
        // chunk sees what the server kept of it, as a real server's would
        // once it noticed the cut.
        std::lock_guard serial(impl.chunkMutex);
        bool keepsBytes;
        {
            std::lock_guard lock(impl.mutex);
            keepsBytes = impl.keepsBytes;
        }
        std::string body;
        uint64_t received = 0;
        bool complete = reader([&](const char* data, size_t length) {
            if (keepsBytes) body.append(data, length);
            received += length;
            return true;
        });
        size_t index = 0;
        impl.record(request, {}, received, !complete, &index);
        std::lock_guard lock(impl.mutex);
        if (impl.failuresLeft > 0) {
            --impl.failuresLeft;
            impl.answerChunk(index, response, HttpReply{impl.failureStatus, "failed on purpose"});
            return;
        }
        auto found = impl.uploads.find(request.path);
        std::optional<ContentRange> range = parseContentRange(request.get_header_value("Content-Range"));
        if (found == impl.uploads.end() || !range) {
            impl.answerChunk(index, response, HttpReply{404, "no such upload"});
            return;
        }
        Upload& upload = found->second;
        if (range->first) {
            if (*range->first != upload.held) {
                // Not where the server stands: it says where that is.
                impl.answerChunk(index, response, Impl::incomplete(upload));
                return;
            }
            // A body cut off in transit is kept in whole steps only.
            uint64_t kept = complete ? received : received / kKeepStep * kKeepStep;
            if (keepsBytes) upload.bytes.append(body, 0, size_t(kept));
            upload.held += kept;
        }
        if (!complete) return;  // nobody is there to hear an answer
        bool done = upload.held == range->full && (!upload.length || *upload.length == range->full);
        impl.answerChunk(index, response, done ? impl.completed(upload) : Impl::incomplete(upload));
    };

    server.set_tcp_nodelay(true);
    testsupport::setKeepsConnectionsAlive(server, false);
    server.Put("/upload/session/.*", chunk);
    // A plain PUT whose body is read and dropped, for outside clients to
    // compare against (curl -T).
    server.Put("/sink", [](const httplib::Request&, httplib::Response& response, const httplib::ContentReader& reader) {
        uint64_t length = 0;
        reader([&](const char*, size_t size) {
            length += size;
            return true;
        });
        response.set_content(std::to_string(length), "text/plain");
    });
    server.Post(".*", plain);
    server.Put(".*", plain);
    server.Get(".*", [plain](const httplib::Request& request, httplib::Response& response) {
        httplib::ContentReader none([](httplib::ContentReceiver) { return true; },
                                    [](httplib::MultipartContentHeader, httplib::ContentReceiver) { return true; });
        plain(request, response, none);
    });
    port_ = server.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("FakeVideoService: cannot bind to 127.0.0.1");
    impl_->publicBase = url("");
    impl_->thread = std::thread([&server] { server.listen_after_bind(); });
    while (!server.is_running()) std::this_thread::yield();
}

std::string FakeVideoService::url(std::string_view path) const {
    return std::string(secure_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void FakeVideoService::setPublicBaseURL(std::string base) {
    std::lock_guard lock(impl_->mutex);
    impl_->publicBase = std::move(base);
}

void FakeVideoService::on(std::string method, std::string path, Handler handler) {
    std::lock_guard lock(impl_->mutex);
    impl_->routes.push_back({{std::move(method), std::move(path)}, std::move(handler)});
}

void FakeVideoService::setCompletionBody(std::string body) {
    std::lock_guard lock(impl_->mutex);
    impl_->completionBody = std::move(body);
}

void FakeVideoService::setKeepsBytes(bool keep) {
    std::lock_guard lock(impl_->mutex);
    impl_->keepsBytes = keep;
}

void FakeVideoService::setKeepsConnectionsAlive(bool keep) {
    testsupport::setKeepsConnectionsAlive(*impl_->server, keep);
}

uint64_t FakeVideoService::uploadedLength() const {
    std::lock_guard lock(impl_->mutex);
    auto found = impl_->uploads.find(impl_->lastSession);
    return found == impl_->uploads.end() ? 0 : found->second.held;
}

void FakeVideoService::failNextChunks(int count, int status) {
    std::lock_guard lock(impl_->mutex);
    impl_->failuresLeft = count;
    impl_->failureStatus = status;
}

std::vector<VideoServiceExchange> FakeVideoService::requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

size_t FakeVideoService::requestCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests.size();
}

std::string FakeVideoService::uploadedBytes() const {
    std::lock_guard lock(impl_->mutex);
    auto found = impl_->uploads.find(impl_->lastSession);
    return found == impl_->uploads.end() ? std::string() : found->second.bytes;
}

size_t FakeVideoService::uploadCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->uploads.size();
}

}  // namespace testsupport
