#pragma once

// Finds remote cameras on the local network by DNS service discovery and
// makes one CaptureRemoteCameraClient for each service that resolves.
//
// What the delegate (the capture-source registry) must do with the reports:
// - didDiscoverNewRemoteDevice: keep the new source unless a listed source
//   has the same captureSourceID.
// - didRemoveRemoteDevice: remove exactly the source object given, if it is
//   listed. A source is never removed because its name matches: a service
//   may be named like a built-in camera or like another remote one.
//
// Reports arrive on the main thread. The browser lives as long as the
// registry; it stops searching when it goes.

#include "app/capture/CaptureRemoteCameraClient.h"
#include "platform/foundation/Lifetime.h"

#include <map>
#include <memory>
#include <string>

namespace net {
class ServiceBrowser;
struct NetService;
struct ResolvedService;
}  // namespace net

class CaptureRemoteCameraBrowser;

class CaptureRemoteCameraBrowserDelegate {
public:
    virtual ~CaptureRemoteCameraBrowserDelegate() = default;
    // A service resolved; `withSource` is the client made for it.
    virtual void didDiscoverNewRemoteDevice(CaptureRemoteCameraBrowser& browser,
                                            const std::shared_ptr<CaptureRemoteCameraClient>& withSource) = 0;
    // The service `withName` went away; `source` is the client this browser
    // made for it and handed over in didDiscoverNewRemoteDevice. Only
    // services that resolved are reported.
    virtual void didRemoveRemoteDevice(CaptureRemoteCameraBrowser& browser, const std::string& withName,
                                       const std::shared_ptr<CaptureRemoteCameraClient>& source) = 0;
};

class CaptureRemoteCameraBrowser {
public:
    CaptureRemoteCameraBrowser();
    ~CaptureRemoteCameraBrowser();
    CaptureRemoteCameraBrowser(const CaptureRemoteCameraBrowser&) = delete;
    CaptureRemoteCameraBrowser& operator=(const CaptureRemoteCameraBrowser&) = delete;

    // Not owned; it must outlive the browser or be cleared first.
    CaptureRemoteCameraBrowserDelegate* delegate() const { return delegate_; }
    void setDelegate(CaptureRemoteCameraBrowserDelegate* delegate) { delegate_ = delegate; }

    // Starts searching for remote cameras; later calls do nothing. Main thread.
    void startBonjourBrowser();

    // The services found and not yet gone, with the client of each that resolved.
    size_t serviceCount() const { return services_.size(); }

private:
    void serviceFound(const net::NetService& service);
    void serviceResolved(const net::ResolvedService& resolved);
    void serviceRemoved(const net::NetService& service);

    std::shared_ptr<net::ServiceBrowser> netServiceBrowser_;
    // Keyed by name, type and domain; the client stays null until resolved.
    std::map<std::string, std::shared_ptr<CaptureRemoteCameraClient>> services_;
    CaptureRemoteCameraBrowserDelegate* delegate_ = nullptr;
    foundation::LifeToken life_;
};
