#include "platform/net/ServiceBrowser.h"

#include "platform/foundation/DispatchQueue.h"

#include <atomic>
#include <mutex>

namespace net {

namespace detail {
// AvahiServiceBrowser.cpp
std::shared_ptr<ServiceBrowser> makeAvahiServiceBrowser();
}  // namespace detail

namespace {

std::mutex gFactoryMutex;
ServiceBrowser::Factory gFactory;

}  // namespace

foundation::Error netServicesError(int64_t code) {
    const char* text = "The service discovery failed.";
    if (code == kNetServicesNotFoundError) text = "The service could not be found.";
    if (code == kNetServicesTimeoutError) text = "The service did not answer in time.";
    return foundation::Error{kNetServicesErrorDomain, code, text};
}

// The handlers live here, apart from the browser, so that a report still in
// the main queue after the browser has gone finds them switched off.
struct ServiceBrowser::Reporter {
    Handlers handlers;                 // main thread only
    std::atomic<bool> stopped{false};  // written on the main thread, read anywhere
};

ServiceBrowser::ServiceBrowser() : reporter_(std::make_shared<Reporter>()) {}

ServiceBrowser::~ServiceBrowser() { reporter_->stopped = true; }

std::shared_ptr<ServiceBrowser> ServiceBrowser::create() {
    Factory factory;
    {
        std::lock_guard lock(gFactoryMutex);
        factory = gFactory;
    }
    return factory ? factory() : detail::makeAvahiServiceBrowser();
}

ServiceBrowser::Factory ServiceBrowser::setFactory(Factory factory) {
    std::lock_guard lock(gFactoryMutex);
    std::swap(gFactory, factory);
    return factory;
}

void ServiceBrowser::setHandlers(Handlers handlers) { reporter_->handlers = std::move(handlers); }

void ServiceBrowser::stop() {
    if (reporter_->stopped.exchange(true)) return;
    stopDiscovery();
}

bool ServiceBrowser::isStopped() const { return reporter_->stopped.load(); }

void ServiceBrowser::post(std::function<void(const Handlers&)> report) const {
    foundation::DispatchQueue::main().async([reporter = reporter_, report = std::move(report)] {
        if (!reporter->stopped) report(reporter->handlers);
    });
}

void ServiceBrowser::reportFound(NetService service) const {
    post([service = std::move(service)](const Handlers& handlers) {
        if (handlers.found) handlers.found(service);
    });
}

void ServiceBrowser::reportRemoved(NetService service) const {
    post([service = std::move(service)](const Handlers& handlers) {
        if (handlers.removed) handlers.removed(service);
    });
}

void ServiceBrowser::reportResolved(ResolvedService resolved) const {
    post([resolved = std::move(resolved)](const Handlers& handlers) {
        if (handlers.resolved) handlers.resolved(resolved);
    });
}

void ServiceBrowser::reportResolveFailed(NetService service, foundation::Error error) const {
    post([service = std::move(service), error = std::move(error)](const Handlers& handlers) {
        if (handlers.resolveFailed) handlers.resolveFailed(service, error);
    });
}

}  // namespace net
