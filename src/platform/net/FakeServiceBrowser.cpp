#include "platform/net/FakeServiceBrowser.h"

#include "platform/foundation/Lifetime.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <stdexcept>

namespace net {

struct FakeServiceBrowser::Installation::Made {
    std::mutex mutex;
    std::vector<std::weak_ptr<FakeServiceBrowser>> browsers;
};

FakeServiceBrowser::Installation::Installation() : made_(std::make_shared<Made>()) {
    previous_ = ServiceBrowser::setFactory([made = made_]() -> std::shared_ptr<ServiceBrowser> {
        auto browser = std::make_shared<FakeServiceBrowser>();
        std::lock_guard lock(made->mutex);
        made->browsers.push_back(browser);
        return browser;
    });
}

FakeServiceBrowser::Installation::~Installation() { ServiceBrowser::setFactory(std::move(previous_)); }

std::shared_ptr<FakeServiceBrowser> FakeServiceBrowser::Installation::last() const {
    std::lock_guard lock(made_->mutex);
    for (auto it = made_->browsers.rbegin(); it != made_->browsers.rend(); ++it)
        if (auto browser = it->lock()) return browser;
    return nullptr;
}

size_t FakeServiceBrowser::Installation::madeCount() const {
    std::lock_guard lock(made_->mutex);
    return made_->browsers.size();
}

std::optional<NetService> FakeServiceBrowser::search() const {
    std::lock_guard lock(mutex_);
    return search_;
}

std::vector<FakeServiceBrowser::ResolveRequest> FakeServiceBrowser::resolveRequests() const {
    std::lock_guard lock(mutex_);
    return resolveRequests_;
}

bool FakeServiceBrowser::searched(const NetService& service) const {
    return search_ && search_->type == service.type && search_->domain == service.domain;
}

void FakeServiceBrowser::announce(const NetService& service) {
    std::lock_guard lock(mutex_);
    if (std::find(present_.begin(), present_.end(), service) != present_.end()) return;
    present_.push_back(service);
    if (searched(service)) reportFound(service);
}

void FakeServiceBrowser::withdraw(const NetService& service) {
    std::lock_guard lock(mutex_);
    auto it = std::find(present_.begin(), present_.end(), service);
    if (it == present_.end()) return;
    present_.erase(it);
    if (searched(service)) reportRemoved(service);
}

void FakeServiceBrowser::setAddress(const std::string& name, std::string hostName, uint16_t port) {
    std::lock_guard lock(mutex_);
    addresses_[name] = {std::move(hostName), port};
}

void FakeServiceBrowser::searchForServices(const std::string& type, const std::string& domain) {
    std::lock_guard lock(mutex_);
    if (search_) throw std::logic_error("ServiceBrowser: one search per browser");
    search_ = NetService{{}, type, domain};
    for (const NetService& service : present_)
        if (searched(service)) reportFound(service);
}

void FakeServiceBrowser::resolve(const NetService& service, double timeoutSeconds) {
    std::optional<std::pair<std::string, uint16_t>> address;
    {
        std::lock_guard lock(mutex_);
        resolveRequests_.push_back({service, timeoutSeconds});
        auto it = addresses_.find(service.name);
        if (it != addresses_.end()) address = it->second;
    }
    if (address) {
        reportResolved(ResolvedService{service, address->first, address->second});
        return;
    }
    std::weak_ptr<FakeServiceBrowser> weak = foundation::weakFrom(this);
    foundation::RunLoop::main().performAfter(timeoutSeconds, [weak, service] {
        if (auto browser = weak.lock())
            browser->reportResolveFailed(service, netServicesError(kNetServicesTimeoutError));
    });
}

}  // namespace net
