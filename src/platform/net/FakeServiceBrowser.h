#pragma once

// A service browser whose network is played by a test: the test announces
// and withdraws services and says where each one answers; the browser
// reports to the main queue as the real one does.
//
//     net::FakeServiceBrowser::Installation fakes;  // create() makes fakes now
//     ... code under test calls ServiceBrowser::create() and searches ...
//     auto browser = fakes.last();
//     browser->setAddress("Kitchen", "127.0.0.1", server.port());
//     browser->announce({"Kitchen", "_camera._tcp.", "local."});
//     foundation::RunLoop::main().runUntilIdle();

#include "platform/net/ServiceBrowser.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace net {

class FakeServiceBrowser final : public ServiceBrowser, public std::enable_shared_from_this<FakeServiceBrowser> {
public:
    // While one lives, ServiceBrowser::create() hands out fakes and the
    // installation keeps track of them; its end restores the previous factory.
    class Installation {
    public:
        Installation();
        ~Installation();
        Installation(const Installation&) = delete;
        Installation& operator=(const Installation&) = delete;

        // The most recently made browser that still exists; null when none.
        std::shared_ptr<FakeServiceBrowser> last() const;
        size_t madeCount() const;

    private:
        struct Made;
        std::shared_ptr<Made> made_;
        Factory previous_;
    };

    struct ResolveRequest {
        NetService service;
        double timeoutSeconds = 0;
    };

    // What the code under test asked for.
    std::optional<NetService> search() const;  // the type and domain searched for; no name
    std::vector<ResolveRequest> resolveRequests() const;
    bool stopped() const { return isStopped(); }

    // The network. A service only reaches the handlers while a search for
    // its type and domain runs; one announced before the search is reported
    // when the search starts, as a real browser finds what is already there.
    void announce(const NetService& service);
    void withdraw(const NetService& service);
    // Where the named service answers. A service with no address never
    // resolves: its resolution fails with a timeout once its time is up.
    void setAddress(const std::string& name, std::string hostName, uint16_t port);

    void searchForServices(const std::string& type, const std::string& domain) override;
    void resolve(const NetService& service, double timeoutSeconds) override;

protected:
    void stopDiscovery() override {}

private:
    bool searched(const NetService& service) const;  // call with the mutex held

    mutable std::mutex mutex_;
    std::optional<NetService> search_;
    std::vector<NetService> present_;
    std::map<std::string, std::pair<std::string, uint16_t>> addresses_;
    std::vector<ResolveRequest> resolveRequests_;
};

}  // namespace net
