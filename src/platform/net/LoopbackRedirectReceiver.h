#pragma once

// Receives the one visit a browser makes at the end of a sign-in in the
// user's own browser: the provider sends the browser to
// http://127.0.0.1:<port><path>?code=…&state=…, and the receiver hands that
// address to the caller on the main queue.
//
//     auto receiver = net::LoopbackRedirectReceiver::start("/", [](const std::string& url) { ... });
//     if (!receiver) ... receiver.error() ...
//     std::string redirectURI = (*receiver)->redirectURI();   // "http://127.0.0.1:41234/"
//
// Only 127.0.0.1 is listened on. A visit counts when it is a GET of the
// path whose query carries every required parameter with its value; the
// browser is then told it may return to the application, the caller gets
// the address, and the receiver stops listening. Other visits get an error
// page and leave it listening. A request head over 8 KiB is refused
// unread, and a peer that goes quiet is dropped after a few seconds, so no
// local program can hold the receiver.

#include "platform/foundation/Error.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace net {

class LoopbackRedirectReceiver {
public:
    using VisitHandler = std::function<void(const std::string& url)>;

    static constexpr size_t kMaximumRequestLength = 8 * 1024;
    // Real seconds a connection may stay silent before it is dropped.
    static constexpr double kIdleLimitSeconds = 5.0;

    // Listens on an ephemeral port of 127.0.0.1 for `path` (starting with
    // "/"), with `requiredParameters` the query must carry exactly.
    static foundation::Result<std::shared_ptr<LoopbackRedirectReceiver>> start(
        std::string path, VisitHandler handler, std::map<std::string, std::string> requiredParameters = {});
    ~LoopbackRedirectReceiver();

    LoopbackRedirectReceiver(const LoopbackRedirectReceiver&) = delete;
    LoopbackRedirectReceiver& operator=(const LoopbackRedirectReceiver&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by the path.
    std::string redirectURI() const;
    // False once the visit was taken or the receiver stopped.
    bool isListening() const;
    // Stops listening; no handler call follows, even for a visit taken a
    // moment ago and not yet delivered.
    void stop();

    // The page a browser sees after the visit was taken.
    static const char* successPage();

    struct State;

private:
    explicit LoopbackRedirectReceiver(std::shared_ptr<State> state, int port, std::string path);

    std::shared_ptr<State> state_;
    int port_ = 0;
    std::string path_;
};

}  // namespace net
