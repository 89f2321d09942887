// The application's service browser over avahi-client.
//
// Avahi runs its own poll thread; every avahi call made from elsewhere holds
// that thread's lock, and avahi's callbacks run on it with the lock held.
// Reports go to the main queue through ServiceBrowser.

#include "platform/foundation/BackgroundActivity.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/ServiceBrowser.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/error.h>
#include <avahi-common/thread-watch.h>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <tuple>
#include <utility>

namespace net {

namespace {

// Avahi spells types and domains without the final dot the platform's
// names carry ("_http._tcp." is "_http._tcp" there).
std::string withoutFinalDot(std::string name) {
    if (name.size() > 1 && name.back() == '.') name.pop_back();
    return name;
}

class AvahiBrowser;

// Everything the poll thread touches. Lives until the poll thread has
// stopped; main-loop timers reach it through a weak pointer.
struct AvahiState {
    AvahiBrowser* owner = nullptr;
    AvahiThreadedPoll* poll = nullptr;
    AvahiClient* client = nullptr;
    bool running = false;  // the client reached the daemon
    AvahiServiceBrowser* browser = nullptr;
    std::string type;  // empty until searchForServices
    std::string domain;

    // Services seen, each with the interfaces and address families that see it.
    using Key = std::tuple<std::string, std::string, std::string>;
    std::map<Key, std::set<std::pair<AvahiIfIndex, AvahiProtocol>>> seen;

    struct PendingResolution {
        NetService service;
        uint64_t id = 0;
    };
    std::map<AvahiServiceResolver*, PendingResolution> resolutions;
    uint64_t nextResolutionId = 1;

    ~AvahiState() {
        // Stopping joins the poll thread; after that nothing else runs
        // avahi code, and freeing the client frees its browser and resolvers.
        if (poll) avahi_threaded_poll_stop(poll);
        if (client) avahi_client_free(client);
        if (poll) avahi_threaded_poll_free(poll);
    }
};

class PollLock {
public:
    explicit PollLock(AvahiThreadedPoll* poll) : poll_(poll) {
        if (poll_) avahi_threaded_poll_lock(poll_);
    }
    ~PollLock() {
        if (poll_) avahi_threaded_poll_unlock(poll_);
    }
    PollLock(const PollLock&) = delete;
    PollLock& operator=(const PollLock&) = delete;

private:
    AvahiThreadedPoll* poll_;
};

class AvahiBrowser final : public ServiceBrowser {
public:
    AvahiBrowser() : state_(std::make_shared<AvahiState>()) {
        state_->owner = this;
        state_->poll = avahi_threaded_poll_new();
        if (!state_->poll) return;
        int error = 0;
        // The client's first state may arrive inside avahi_client_new, on this
        // thread, before the poll thread exists.
        state_->client = avahi_client_new(avahi_threaded_poll_get(state_->poll), AVAHI_CLIENT_NO_FAIL, onClientState,
                                          state_.get(), &error);
        if (!state_->client || avahi_threaded_poll_start(state_->poll) < 0) {
            // No D-Bus at all: a browser that never finds anything.
            if (state_->client) avahi_client_free(state_->client);
            state_->client = nullptr;
            avahi_threaded_poll_free(state_->poll);
            state_->poll = nullptr;
        }
    }

    ~AvahiBrowser() override { teardown(); }

    void searchForServices(const std::string& type, const std::string& domain) override {
        if (!state_) return;
        PollLock lock(state_->poll);
        if (!state_->type.empty()) throw std::logic_error("ServiceBrowser: one search per browser");
        state_->type = withoutFinalDot(type);
        state_->domain = withoutFinalDot(domain);
        startBrowsing(*state_);
    }

    void resolve(const NetService& service, double timeoutSeconds) override {
        if (!state_) return;
        uint64_t id = 0;
        {
            PollLock lock(state_->poll);
            AvahiServiceResolver* resolver = nullptr;
            if (state_->client && state_->running) {
                resolver = avahi_service_resolver_new(state_->client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                                      service.name.c_str(), withoutFinalDot(service.type).c_str(),
                                                      withoutFinalDot(service.domain).c_str(), AVAHI_PROTO_UNSPEC,
                                                      AvahiLookupFlags(0), onResolved, state_.get());
            }
            if (!resolver) {
                reportResolveFailed(service, netServicesError(kNetServicesNotFoundError));
                return;
            }
            id = state_->nextResolutionId++;
            state_->resolutions[resolver] = {service, id};
        }
        std::weak_ptr<AvahiState> weak = state_;
        foundation::RunLoop::main().performAfter(timeoutSeconds, [weak, id] {
            if (auto state = weak.lock()) giveUpResolution(*state, id);
        });
    }

protected:
    void stopDiscovery() override { teardown(); }

private:
    void teardown() {
        if (!state_) return;
        // Reports already queued are switched off by the base class; the
        // state goes with the poll thread.
        {
            PollLock lock(state_->poll);
            state_->owner = nullptr;
        }
        state_.reset();
    }

    static void startBrowsing(AvahiState& state) {
        if (!state.client || !state.running || state.type.empty() || state.browser) return;
        state.browser = avahi_service_browser_new(state.client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, state.type.c_str(),
                                                  state.domain.empty() ? nullptr : state.domain.c_str(),
                                                  AvahiLookupFlags(0), onBrowse, &state);
    }

    // The daemon went away: what it had found can no longer be vouched for.
    static void forgetEverything(AvahiState& state) {
        if (state.browser) avahi_service_browser_free(state.browser);
        state.browser = nullptr;
        for (auto& [resolver, pending] : state.resolutions) {
            avahi_service_resolver_free(resolver);
            if (state.owner)
                state.owner->reportResolveFailed(pending.service, netServicesError(kNetServicesNotFoundError));
        }
        state.resolutions.clear();
        for (const auto& [key, where] : state.seen)
            if (state.owner)
                state.owner->reportRemoved(NetService{std::get<0>(key), std::get<1>(key), std::get<2>(key)});
        state.seen.clear();
    }

    static void giveUpResolution(AvahiState& state, uint64_t id) {
        PollLock lock(state.poll);
        for (auto it = state.resolutions.begin(); it != state.resolutions.end(); ++it) {
            if (it->second.id != id) continue;
            avahi_service_resolver_free(it->first);
            if (state.owner)
                state.owner->reportResolveFailed(it->second.service, netServicesError(kNetServicesTimeoutError));
            state.resolutions.erase(it);
            return;
        }
    }

    static void onClientState(AvahiClient* client, AvahiClientState clientState, void* context) {
        foundation::ScopedBackgroundActivity activity;
        auto& state = *static_cast<AvahiState*>(context);
        // During avahi_client_new the state does not know its client yet.
        state.client = client;
        state.running = clientState == AVAHI_CLIENT_S_RUNNING || clientState == AVAHI_CLIENT_S_REGISTERING ||
                        clientState == AVAHI_CLIENT_S_COLLISION;
        // A daemon that goes away comes back as CONNECTING (NO_FAIL), and the
        // client reconnects by itself when it returns. A lost system bus is a
        // FAILURE that no client outlives: the browser then stays empty.
        if (state.running)
            startBrowsing(state);
        else
            forgetEverything(state);
    }

    static void onBrowse(AvahiServiceBrowser*, AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event,
                         const char* name, const char* type, const char* domain, AvahiLookupResultFlags,
                         void* context) {
        foundation::ScopedBackgroundActivity activity;
        auto& state = *static_cast<AvahiState*>(context);
        if (event != AVAHI_BROWSER_NEW && event != AVAHI_BROWSER_REMOVE) return;
        if (!name || !type || !domain) return;
        AvahiState::Key key{name, std::string(type) + ".", std::string(domain) + "."};
        NetService service{std::get<0>(key), std::get<1>(key), std::get<2>(key)};
        auto where = std::make_pair(interface, protocol);
        if (event == AVAHI_BROWSER_NEW) {
            auto& places = state.seen[key];
            bool first = places.empty();
            places.insert(where);
            if (first && state.owner) state.owner->reportFound(std::move(service));
            return;
        }
        auto it = state.seen.find(key);
        if (it == state.seen.end()) return;
        it->second.erase(where);
        if (!it->second.empty()) return;
        state.seen.erase(it);
        if (state.owner) state.owner->reportRemoved(std::move(service));
    }

    static void onResolved(AvahiServiceResolver* resolver, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event,
                           const char*, const char*, const char*, const char* hostName, const AvahiAddress*,
                           uint16_t port, AvahiStringList*, AvahiLookupResultFlags, void* context) {
        foundation::ScopedBackgroundActivity activity;
        auto& state = *static_cast<AvahiState*>(context);
        auto it = state.resolutions.find(resolver);
        if (it == state.resolutions.end()) return;
        NetService service = std::move(it->second.service);
        state.resolutions.erase(it);
        avahi_service_resolver_free(resolver);
        if (!state.owner) return;
        if (event == AVAHI_RESOLVER_FOUND && hostName)
            state.owner->reportResolved(ResolvedService{std::move(service), hostName, port});
        else
            state.owner->reportResolveFailed(std::move(service), netServicesError(kNetServicesNotFoundError));
    }

    std::shared_ptr<AvahiState> state_;
};

}  // namespace

namespace detail {

std::shared_ptr<ServiceBrowser> makeAvahiServiceBrowser() { return std::make_shared<AvahiBrowser>(); }

}  // namespace detail

}  // namespace net
