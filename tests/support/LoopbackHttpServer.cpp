// The packaged cpp-httplib is a compiled library built with these options;
// its classes change layout without them, so they must match its pkg-config
// flags here, where the header is read.
#define CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_ZLIB_SUPPORT
#define CPPHTTPLIB_BROTLI_SUPPORT
#include "support/LoopbackHttpServer.h"

#include "support/Process.h"

#include <chrono>
#include <httplib.h>
#include <stdexcept>
#include <thread>

namespace testsupport {

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

TestCertificates TestCertificates::create(const std::string& directory) {
    TestCertificates files{directory + "/ca.pem", directory + "/server.pem", directory + "/server.key"};
    const std::string caKey = directory + "/ca.key", request = directory + "/server.csr",
                      extensions = directory + "/server.ext";
    auto run = [](const std::vector<std::string>& argv) {
        ProcessResult result = runProcess(argv);
        if (result.exitCode != 0) throw std::runtime_error("openssl failed: " + result.output);
    };
    run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", caKey, "-out", files.authorityFile,
         "-days", "2", "-subj", "/CN=Tollivar Test Authority"});
    run({"openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", files.serverKeyFile, "-out", request, "-subj",
         "/CN=127.0.0.1"});
    run({"sh", "-c", "printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\\n' > '" + extensions + "'"});
    run({"openssl", "x509", "-req", "-in", request, "-CA", files.authorityFile, "-CAkey", caKey, "-CAcreateserial",
         "-out", files.serverCertificateFile, "-days", "2", "-extfile", extensions});
    return files;
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
        if (reply.cutsOff) {
            // A provider that fails makes the server drop the connection
            // after the headers, with the promised length unsent.
            response.set_content_provider(reply.body.size() + 1, reply.contentType,
                                          [](size_t, size_t, httplib::DataSink&) { return false; });
            return;
        }
        response.set_content(reply.body, reply.contentType);
    };
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
    impl_->server->stop();
    if (impl_->thread.joinable()) impl_->thread.join();
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
