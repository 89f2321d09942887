#pragma once

// Whether a network target can be reached, worked out from the kernel's own
// view over rtnetlink (no daemon, no privileges needed).
//
// The zero IPv4 address stands for "the internet": reachable while an IPv4 or
// IPv6 default route leaves through an interface that is up. The link-local
// network 169.254.0.0 is reachable and direct while some interface carries a
// link-local IPv4 address. Any other address takes the route the kernel would
// pick for it; a host name is resolved first and its first address used.
//
// The notifier watches the link, address and route groups on a thread of its
// own and calls back on the run loop that scheduled it. There is no cellular
// (WWAN) status on this platform: kReachabilityFlagIsWWAN is never set.

#include "platform/foundation/RunLoop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <string>

namespace net {

enum ReachabilityFlags : uint32_t {
    kReachabilityFlagTransientConnection = 0x1,
    kReachabilityFlagReachable = 0x2,
    kReachabilityFlagConnectionRequired = 0x4,
    kReachabilityFlagConnectionOnTraffic = 0x8,
    kReachabilityFlagInterventionRequired = 0x10,
    kReachabilityFlagConnectionOnDemand = 0x20,
    kReachabilityFlagIsLocalAddress = 0x10000,
    kReachabilityFlagIsDirect = 0x20000,
    kReachabilityFlagIsWWAN = 0x40000,
};

class ReachabilityTarget {
public:
    using Callback = std::function<void(uint32_t flags)>;

    // Null for an empty name or one with an embedded NUL.
    static std::unique_ptr<ReachabilityTarget> createWithName(const std::string& hostName);
    // Null unless the address is IPv4 (family AF_INET).
    static std::unique_ptr<ReachabilityTarget> createWithAddress(const sockaddr_in& address);

    ~ReachabilityTarget();
    ReachabilityTarget(const ReachabilityTarget&) = delete;
    ReachabilityTarget& operator=(const ReachabilityTarget&) = delete;

    // The target's flags now; empty when the kernel cannot be asked.
    std::optional<uint32_t> flags() const;

    // Replaces the change callback (empty removes it); false when the
    // notifier cannot watch the kernel (no netlink socket).
    bool setCallback(Callback callback);
    // Starts calling back on `loop`; false without a callback or when
    // already scheduled. A thread's own loop ends with its thread, so a
    // watch scheduled there must be unscheduled before that thread exits.
    bool scheduleWithRunLoop(foundation::RunLoop& loop);
    // Stops calling back, whichever thread asks: a callback already posted
    // to the scheduling loop is dropped there.
    void unschedule();
    bool isScheduled() const;

private:
    struct Watcher;
    ReachabilityTarget(std::string hostName, std::optional<sockaddr_in> address);

    std::string hostName_;
    std::optional<sockaddr_in> address_;
    Callback callback_;
    std::unique_ptr<Watcher> watcher_;
};

}  // namespace net
