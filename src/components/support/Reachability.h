#pragma once

// Whether a network target can be reached, as a status of 0 (not reachable)
// or 1 (reachable), and an optional watch that announces changes with
// kNetworkReachabilityChangedNotification on the loop that started it.
//
// There is no cellular (WWAN) status on this platform; the WWAN flag is
// still honoured by networkStatusForFlags when given.

#include "platform/net/ReachabilityTarget.h"

#include <cstdint>
#include <memory>
#include <netinet/in.h>
#include <string>

namespace support {

inline constexpr const char* kNetworkReachabilityChangedNotification = "kNetworkReachabilityChangedNotification";

using NetworkStatus = int32_t;

class Reachability {
public:
    // Null when no target can be made for the name or address.
    static std::unique_ptr<Reachability> reachabilityWithHostName(const std::string& hostName);
    static std::unique_ptr<Reachability> reachabilityWithAddress(const sockaddr_in* hostAddress);
    // The zero IPv4 address: is any route to the internet up?
    static std::unique_ptr<Reachability> reachabilityForInternetConnection();
    // The link-local network 169.254.0.0, judged by the local Wi-Fi rule.
    static std::unique_ptr<Reachability> reachabilityForLocalWiFi();

    // The addresses the two class operations above pass.
    static sockaddr_in internetAddress();
    static sockaddr_in localWiFiAddress();

    ~Reachability();
    Reachability(const Reachability&) = delete;
    Reachability& operator=(const Reachability&) = delete;

    // Watches the target on the calling thread's run loop; false when the
    // watch cannot be set up or is already running.
    bool startNotifier();
    // Ends the watch on the loop that started it, from whichever thread.
    void stopNotifier();
    bool isNotifierRunning() const;

    NetworkStatus currentReachabilityStatus() const;
    bool connectionRequired() const;

    // The rules, for flags from anywhere; each writes the flag line first.
    NetworkStatus localWiFiStatusForFlags(uint32_t flags) const;
    NetworkStatus networkStatusForFlags(uint32_t flags) const;

    // "Reachability Flag Status: WR tcCiDld <comment>\n" with "-" for each
    // clear bit.
    static std::string flagStatusLine(uint32_t flags, const char* comment);

    bool isLocalWiFi() const { return localWiFiRef_; }

private:
    explicit Reachability(std::unique_ptr<net::ReachabilityTarget> target);

    bool localWiFiRef_ = false;
    std::unique_ptr<net::ReachabilityTarget> reachabilityRef_;
};

}  // namespace support
