#include "app/capture/CaptureRemoteCameraBrowser.h"

#include "app/capture/CaptureRemoteCameraProtocol.h"
#include "platform/net/ServiceBrowser.h"

namespace {

std::string keyOf(const net::NetService& service) {
    // Names may hold any character but a NUL.
    return service.name + '\0' + service.type + '\0' + service.domain;
}

}  // namespace

CaptureRemoteCameraBrowser::CaptureRemoteCameraBrowser() = default;

CaptureRemoteCameraBrowser::~CaptureRemoteCameraBrowser() {
    if (netServiceBrowser_) netServiceBrowser_->stop();
}

void CaptureRemoteCameraBrowser::startBonjourBrowser() {
    if (netServiceBrowser_) return;
    netServiceBrowser_ = net::ServiceBrowser::create();
    netServiceBrowser_->setHandlers({
        .found = life_.guard([this](const net::NetService& service) { serviceFound(service); }),
        .removed = life_.guard([this](const net::NetService& service) { serviceRemoved(service); }),
        .resolved = life_.guard([this](const net::ResolvedService& resolved) { serviceResolved(resolved); }),
        .resolveFailed = nullptr,  // a service that does not resolve offers no camera
    });
    netServiceBrowser_->searchForServices(remotecamera::kServiceType, remotecamera::kServiceDomain);
}

void CaptureRemoteCameraBrowser::serviceFound(const net::NetService& service) {
    auto [entry, isNew] = services_.try_emplace(keyOf(service));
    if (!isNew) return;
    netServiceBrowser_->resolve(service, remotecamera::kResolveTimeoutSeconds);
}

void CaptureRemoteCameraBrowser::serviceResolved(const net::ResolvedService& resolved) {
    auto entry = services_.find(keyOf(resolved.service));
    // Gone again before it resolved, or resolved a second time.
    if (entry == services_.end() || entry->second) return;
    const std::string url = "http://" + resolved.hostName + ":" + std::to_string(resolved.port);
    entry->second = std::make_shared<CaptureRemoteCameraClient>(url, resolved.service.name);
    if (delegate_) delegate_->didDiscoverNewRemoteDevice(*this, entry->second);
}

void CaptureRemoteCameraBrowser::serviceRemoved(const net::NetService& service) {
    auto entry = services_.find(keyOf(service));
    if (entry == services_.end()) return;
    std::shared_ptr<CaptureRemoteCameraClient> source = std::move(entry->second);
    services_.erase(entry);
    if (source && delegate_) delegate_->didRemoveRemoteDevice(*this, service.name, source);
}
