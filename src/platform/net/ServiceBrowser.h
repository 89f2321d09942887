#pragma once

// DNS service discovery: finds the services of one type on the local network,
// resolves a found service to the host name and port it answers on, and
// notices when a service goes away.
//
//     auto browser = net::ServiceBrowser::create();
//     browser->setHandlers({.found = [&](const net::NetService& s) { browser->resolve(s, 30); },
//                           .resolved = [](const net::ResolvedService& r) { ... }});
//     browser->searchForServices("_http._tcp.", "local.");
//
// Every report runs on the main queue, and none runs once the browser is
// stopped or gone. A service that several interfaces or address families
// see is reported once, and removed when the last of them has lost it.
//
// The application's browser talks to avahi-daemon. Without a daemon it finds
// nothing and reports no error (a machine without discovery simply has no
// remote services); resolving then fails. Tests install FakeServiceBrowser.

#include "platform/foundation/Error.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace net {

inline constexpr const char* kNetServicesErrorDomain = "NSNetServicesErrorDomain";
inline constexpr int64_t kNetServicesUnknownError = -72000;
inline constexpr int64_t kNetServicesNotFoundError = -72002;
inline constexpr int64_t kNetServicesTimeoutError = -72007;

// An error of the discovery domain with its usual text.
foundation::Error netServicesError(int64_t code);

// One advertised service, as discovery names it.
struct NetService {
    std::string name;    // the instance name people see, "Kitchen camera"
    std::string type;    // "_http._tcp."
    std::string domain;  // "local."

    bool operator==(const NetService&) const = default;
};

// Where a resolved service answers.
struct ResolvedService {
    NetService service;
    std::string hostName;  // "kitchen.local"
    uint16_t port = 0;
};

class ServiceBrowser {
public:
    struct Handlers {
        std::function<void(const NetService&)> found;
        std::function<void(const NetService&)> removed;
        std::function<void(const ResolvedService&)> resolved;
        std::function<void(const NetService&, const foundation::Error&)> resolveFailed;
    };
    using Factory = std::function<std::shared_ptr<ServiceBrowser>()>;

    ServiceBrowser();
    virtual ~ServiceBrowser();
    ServiceBrowser(const ServiceBrowser&) = delete;
    ServiceBrowser& operator=(const ServiceBrowser&) = delete;

    // A new browser: avahi's, or what the installed factory makes.
    static std::shared_ptr<ServiceBrowser> create();
    // Makes create() use `factory` (nullptr restores avahi); returns the
    // factory it replaces. Main thread, for tests.
    static Factory setFactory(Factory factory);

    // Main thread; set before searching. Reports already queued use the
    // handlers in place when they run.
    void setHandlers(Handlers handlers);

    // Starts looking for services of `type` in `domain` (one search per
    // browser; a second call throws std::logic_error). Main thread.
    virtual void searchForServices(const std::string& type, const std::string& domain) = 0;
    // Looks up where `service` answers: `resolved` or, after at most
    // `timeoutSeconds` on the main run loop's clock, `resolveFailed`. Main thread.
    virtual void resolve(const NetService& service, double timeoutSeconds) = 0;
    // Ends the search and every resolution; nothing is reported afterwards.
    // Main thread; the destructor stops as well.
    void stop();

protected:
    // What a subclass does to stop; called once, on the main thread.
    virtual void stopDiscovery() = 0;

    // Queue a report on the main queue; safe from any thread.
    void reportFound(NetService service) const;
    void reportRemoved(NetService service) const;
    void reportResolved(ResolvedService resolved) const;
    void reportResolveFailed(NetService service, foundation::Error error) const;

    bool isStopped() const;

private:
    struct Reporter;
    void post(std::function<void(const Handlers&)> report) const;

    std::shared_ptr<Reporter> reporter_;
};

}  // namespace net
