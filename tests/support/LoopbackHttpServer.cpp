// The packaged cpp-httplib is a compiled library built with these options;
// its classes change layout without them, so they must match its pkg-config
// flags here, where the header is read.
#define CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_ZLIB_SUPPORT
#define CPPHTTPLIB_BROTLI_SUPPORT
#include "support/LoopbackHttpServer.h"

#include "platform/foundation/FileDescriptor.h"
#include "support/HttplibConnections.h"
#include "support/Process.h"

#include <chrono>
#include <httplib.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>

namespace testsupport {

using foundation::FileDescriptor;

namespace {

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::optional<std::string> HttpExchange::header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (sameName(key, name)) return value;
    return std::nullopt;
}

void ReleasedBody::release(std::string piece) {
    {
        std::lock_guard lock(mutex_);
        pieces_.push_back(std::move(piece));
    }
    changed_.notify_all();
}

void ReleasedBody::finish() {
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
}

void ReleasedBody::cutOff() {
    {
        std::lock_guard lock(mutex_);
        cut_ = true;
    }
    changed_.notify_all();
}

std::optional<std::string> ReleasedBody::next(bool& cut) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return sent_ < pieces_.size() || finished_ || cut_; });
    cut = cut_;
    if (sent_ < pieces_.size() && !cut_) return pieces_[sent_++];
    return std::nullopt;
}

TestCertificates TestCertificates::create(const std::string& directory) {
    TestCertificates files{directory + "/ca.pem", directory + "/ca.der", directory + "/server.pem",
                           directory + "/server.key"};
    const std::string caKey = directory + "/ca.key", request = directory + "/server.csr",
                      extensions = directory + "/server.ext";
    auto run = [](const std::vector<std::string>& argv) {
        ProcessResult result = runProcess(argv);
        if (result.exitCode != 0) throw std::runtime_error("openssl failed: " + result.output);
    };
    run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", caKey, "-out", files.authorityFile,
         "-days", "2", "-subj", "/CN=Tollivar Test Authority"});
    run({"openssl", "x509", "-in", files.authorityFile, "-outform", "DER", "-out", files.authorityDERFile});
    run({"openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", files.serverKeyFile, "-out", request, "-subj",
         "/CN=127.0.0.1"});
    run({"sh", "-c", "printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\\n' > '" + extensions + "'"});
    run({"openssl", "x509", "-req", "-in", request, "-CA", files.authorityFile, "-CAkey", caKey, "-CAcreateserial",
         "-out", files.serverCertificateFile, "-days", "2", "-extfile", extensions});
    return files;
}

int unusedLoopbackPort() {
    FileDescriptor probe(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(probe.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot bind a probe socket to 127.0.0.1");
    socklen_t length = sizeof address;
    ::getsockname(probe.get(), reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

struct LoopbackHttpServer::Impl {
    std::unique_ptr<httplib::Server> server;
    std::thread thread;
};

LoopbackHttpServer::LoopbackHttpServer() : impl_(std::make_unique<Impl>()) {
    impl_->server = std::make_unique<httplib::Server>();
    start();
}

LoopbackHttpServer::LoopbackHttpServer(const std::string& certificateFile, const std::string& keyFile)
    : impl_(std::make_unique<Impl>()), secure_(true) {
    impl_->server = std::make_unique<httplib::SSLServer>(certificateFile.c_str(), keyFile.c_str());
    if (!impl_->server->is_valid()) throw std::runtime_error("LoopbackHttpServer: cannot load " + certificateFile);
    start();
}

void LoopbackHttpServer::start() {
    httplib::Server& server = *impl_->server;
    auto handle = [this](const httplib::Request& request, httplib::Response& response) {
        HttpExchange exchange{request.method, request.path, request.target, {}, request.body};
        for (const auto& [name, value] : request.headers) exchange.headers.emplace_back(name, value);
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(exchange);
        }
        arrived_.notify_all();
        HttpReply reply = dispatch(exchange);
        response.status = reply.status;
        for (const auto& [name, value] : reply.headers) response.set_header(name, value);
        if (reply.pieces) {
            {
                std::lock_guard lock(mutex_);
                releasedBodies_.push_back(reply.pieces);
            }
            auto pieces = reply.pieces;
            // Writes one released piece per call; false (a dropped
            // connection) once the body is cut off or ends short of its
            // declared length.
            auto sendNext = [pieces](httplib::DataSink& sink, bool chunked) {
                bool cut = false;
                std::optional<std::string> piece = pieces->next(cut);
                if (piece) return piece->empty() || sink.write(piece->data(), piece->size());
                if (cut || !chunked) return false;
                sink.done();
                return true;
            };
            if (reply.declaredLength) {
                response.set_content_provider(
                    *reply.declaredLength, reply.contentType,
                    [sendNext](size_t, size_t, httplib::DataSink& sink) { return sendNext(sink, false); });
            } else {
                response.set_chunked_content_provider(
                    reply.contentType, [sendNext](size_t, httplib::DataSink& sink) { return sendNext(sink, true); });
            }
            return;
        }
        if (reply.cutsOff) {
            // A provider that fails makes the server drop the connection
            // after the headers, with the promised length unsent.
            response.set_content_provider(reply.body.size() + 1, reply.contentType,
                                          [](size_t, size_t, httplib::DataSink&) { return false; });
            return;
        }
        response.set_content(reply.body, reply.contentType);
    };
    // Without it every kept-alive reply waits for the client's delayed ACK.
    server.set_tcp_nodelay(true);
    testsupport::setKeepsConnectionsAlive(server, false);
    const std::string everything = ".*";
    server.Get(everything, handle);
    server.Post(everything, handle);
    server.Put(everything, handle);
    server.Patch(everything, handle);
    server.Delete(everything, handle);
    server.Options(everything, handle);
    port_ = server.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("LoopbackHttpServer: cannot bind to 127.0.0.1");
    impl_->thread = std::thread([&server] { server.listen_after_bind(); });
    // stop() only takes effect on a server that is already listening; a test
    // that ends at once would otherwise leave the accept loop running forever.
    while (!server.is_running()) std::this_thread::yield();
}

LoopbackHttpServer::~LoopbackHttpServer() {
    {
        // A body still waiting for its next piece would hold the server's
        // thread, and with it the stop, forever.
        std::lock_guard lock(mutex_);
        for (const auto& weak : releasedBodies_)
            if (auto body = weak.lock()) body->cutOff();
    }
    impl_->server->stop();
    if (impl_->thread.joinable()) impl_->thread.join();
}

void LoopbackHttpServer::setKeepsConnectionsAlive(bool keep) {
    testsupport::setKeepsConnectionsAlive(*impl_->server, keep);
}

std::string LoopbackHttpServer::url(std::string_view path) const {
    return std::string(secure_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void LoopbackHttpServer::reply(std::string method, std::string path, HttpReply reply) {
    on(std::move(method), std::move(path), [reply = std::move(reply)](const HttpExchange&) { return reply; });
}

void LoopbackHttpServer::on(std::string method, std::string path, Handler handler) {
    std::lock_guard lock(mutex_);
    for (auto& route : routes_) {
        if (route.first == std::pair(method, path)) {
            route.second = std::move(handler);
            return;
        }
    }
    routes_.push_back({{std::move(method), std::move(path)}, std::move(handler)});
}

HttpReply LoopbackHttpServer::dispatch(const HttpExchange& exchange) {
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        // A HEAD is answered as its GET would be; the server drops the body.
        std::string method = exchange.method == "HEAD" ? "GET" : exchange.method;
        for (const auto& route : routes_)
            if (route.first.first == method && route.first.second == exchange.path) handler = route.second;
    }
    if (!handler) return HttpReply{404, "not found"};
    return handler(exchange);
}

std::vector<HttpExchange> LoopbackHttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

size_t LoopbackHttpServer::requestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

bool LoopbackHttpServer::waitForRequests(size_t count, double timeoutSeconds) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::duration<double>(timeoutSeconds),
                             [&] { return requests_.size() >= count; });
}

}  // namespace testsupport
