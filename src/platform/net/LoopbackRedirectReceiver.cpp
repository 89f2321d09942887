#include "platform/net/LoopbackRedirectReceiver.h"

#include "platform/foundation/BackgroundActivity.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/net/URLParsing.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace net {

using foundation::FileDescriptor;

struct LoopbackRedirectReceiver::State {
    FileDescriptor listener;
    FileDescriptor wakeRead, wakeWrite;
    std::string path;
    std::map<std::string, std::string> required;
    int port = 0;
    std::atomic<bool> stopped{false};
    std::atomic<bool> listening{true};
    std::mutex handlerMutex;
    VisitHandler handler;
    std::thread thread;
};

namespace {

const char* kSuccessPage =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Signed in</title></head>"
    "<body><p>You are signed in. You can close this page and return to Tollivar.</p></body></html>";

std::map<std::string, std::string> queryParameters(std::string_view query) {
    std::map<std::string, std::string> result;
    while (!query.empty()) {
        size_t amp = query.find('&');
        std::string_view piece = query.substr(0, amp);
        size_t equals = piece.find('=');
        auto key = percentDecoded(piece.substr(0, equals), true);
        auto value =
            percentDecoded(equals == std::string_view::npos ? std::string_view() : piece.substr(equals + 1), true);
        // A parameter given twice is ambiguous: keep none of it.
        if (key && value) {
            if (result.count(*key))
                result[*key] = std::string(1, '\0');
            else
                result[*key] = *value;
        }
        if (amp == std::string_view::npos) break;
        query = query.substr(amp + 1);
    }
    return result;
}

void sendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

void reply(int fd, int status, const char* reason, const std::string& html) {
    std::string response =
        "HTTP/1.1 " + std::to_string(status) + " " + reason +
        "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " + std::to_string(html.size()) +
        "\r\nCache-Control: no-store\r\nReferrer-Policy: no-referrer\r\nConnection: close\r\n\r\n" + html;
    sendAll(fd, response);
}

std::string errorPage(const char* text) {
    return std::string("<!DOCTYPE html><html><body><p>") + text + "</p></body></html>";
}

enum class Read { Complete, TooLarge, Failed };

// Reads the request head (up to the blank line) within the idle limit.
Read readHead(int fd, std::string& head) {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::duration<double>(LoopbackRedirectReceiver::kIdleLimitSeconds);
    char buffer[2048];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (head.size() > LoopbackRedirectReceiver::kMaximumRequestLength) return Read::TooLarge;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return Read::Failed;
        pollfd entry{fd, POLLIN, 0};
        int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return Read::Failed;
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Read::Failed;
        head.append(buffer, static_cast<size_t>(n));
    }
    return head.find("\r\n\r\n") + 4 > LoopbackRedirectReceiver::kMaximumRequestLength ? Read::TooLarge
                                                                                       : Read::Complete;
}

// Answers one connection; true when it was the visit.
bool serveConnection(const std::shared_ptr<LoopbackRedirectReceiver::State>& state, int fd) {
    std::string head;
    Read read = readHead(fd, head);
    if (read == Read::TooLarge) {
        reply(fd, 431, "Request Header Fields Too Large", errorPage("The request is too large."));
        return false;
    }
    if (read == Read::Failed) return false;

    std::string_view line(head.data(), head.find("\r\n"));
    size_t firstSpace = line.find(' ');
    size_t secondSpace = firstSpace == std::string_view::npos ? firstSpace : line.find(' ', firstSpace + 1);
    if (secondSpace == std::string_view::npos) {
        reply(fd, 400, "Bad Request", errorPage("The request is malformed."));
        return false;
    }
    std::string_view method = line.substr(0, firstSpace);
    std::string target(line.substr(firstSpace + 1, secondSpace - firstSpace - 1));
    size_t question = target.find('?');
    std::string_view path = std::string_view(target).substr(0, question);
    std::string_view query =
        question == std::string::npos ? std::string_view() : std::string_view(target).substr(question + 1);

    if (path != state->path) {
        reply(fd, 404, "Not Found", errorPage("Nothing is here."));
        return false;
    }
    if (method != "GET") {
        reply(fd, 405, "Method Not Allowed", errorPage("Only the browser's return is received here."));
        return false;
    }
    std::map<std::string, std::string> parameters = queryParameters(query);
    for (const auto& [key, value] : state->required) {
        auto found = parameters.find(key);
        if (found == parameters.end() || found->second != value) {
            reply(fd, 400, "Bad Request", errorPage("This answer does not belong to the sign-in that is waiting."));
            return false;
        }
    }

    // The caller hears of the visit before the browser gets its page, so
    // whoever waits on the browser's side finds the handler call queued.
    std::string url = "http://127.0.0.1:" + std::to_string(state->port) + target;
    state->listening = false;
    foundation::DispatchQueue::main().async([state, url] {
        LoopbackRedirectReceiver::VisitHandler handler;
        {
            std::lock_guard lock(state->handlerMutex);
            if (state->stopped) return;
            handler = std::move(state->handler);
            state->handler = nullptr;
        }
        if (handler) handler(url);
    });
    reply(fd, 200, "OK", kSuccessPage);
    return true;
}

void serve(const std::shared_ptr<LoopbackRedirectReceiver::State>& state) {
    while (!state->stopped) {
        pollfd entries[2] = {{state->listener.get(), POLLIN, 0}, {state->wakeRead.get(), POLLIN, 0}};
        int ready = ::poll(entries, 2, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (entries[1].revents & POLLIN)) break;
        if (!(entries[0].revents & POLLIN)) continue;
        FileDescriptor connection(::accept4(state->listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!connection) continue;
        foundation::ScopedBackgroundActivity activity;
        if (serveConnection(state, connection.get())) break;
    }
    state->listening = false;
    state->listener.reset();
}

}  // namespace

const char* LoopbackRedirectReceiver::successPage() { return kSuccessPage; }

foundation::Result<std::shared_ptr<LoopbackRedirectReceiver>> LoopbackRedirectReceiver::start(
    std::string path, VisitHandler handler, std::map<std::string, std::string> requiredParameters) {
    auto state = std::make_shared<State>();
    state->listener = FileDescriptor(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!state->listener) return foundation::Error::posix(errno, "socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(state->listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return foundation::Error::posix(errno, "bind 127.0.0.1");
    if (::listen(state->listener.get(), 8) != 0) return foundation::Error::posix(errno, "listen");
    socklen_t length = sizeof address;
    if (::getsockname(state->listener.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return foundation::Error::posix(errno, "getsockname");
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return foundation::Error::posix(errno, "pipe");
    state->wakeRead = FileDescriptor(pipeEnds[0]);
    state->wakeWrite = FileDescriptor(pipeEnds[1]);
    state->port = ntohs(address.sin_port);
    state->path = path.empty() ? "/" : path;
    state->required = std::move(requiredParameters);
    state->handler = std::move(handler);
    state->thread = std::thread([state] { serve(state); });
    return std::shared_ptr<LoopbackRedirectReceiver>(new LoopbackRedirectReceiver(state, state->port, state->path));
}

LoopbackRedirectReceiver::LoopbackRedirectReceiver(std::shared_ptr<State> state, int port, std::string path)
    : state_(std::move(state)), port_(port), path_(std::move(path)) {}

LoopbackRedirectReceiver::~LoopbackRedirectReceiver() { stop(); }

std::string LoopbackRedirectReceiver::redirectURI() const {
    return "http://127.0.0.1:" + std::to_string(port_) + path_;
}

bool LoopbackRedirectReceiver::isListening() const { return state_->listening && !state_->stopped; }

void LoopbackRedirectReceiver::stop() {
    {
        std::lock_guard lock(state_->handlerMutex);
        if (state_->stopped.exchange(true)) return;
        state_->handler = nullptr;
    }
    char wake = 1;
    [[maybe_unused]] ssize_t written = ::write(state_->wakeWrite.get(), &wake, 1);
    if (state_->thread.joinable()) {
        if (state_->thread.get_id() == std::this_thread::get_id())
            state_->thread.detach();
        else
            state_->thread.join();
    }
}

}  // namespace net
