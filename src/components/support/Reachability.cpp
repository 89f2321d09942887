#include "components/support/Reachability.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <arpa/inet.h>
#include <cstdio>

namespace support {
namespace {

sockaddr_in ipv4Address(uint32_t hostOrder) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = htonl(hostOrder);
    return address;
}

}  // namespace

Reachability::Reachability(std::unique_ptr<net::ReachabilityTarget> target) : reachabilityRef_(std::move(target)) {}

Reachability::~Reachability() { stopNotifier(); }

std::unique_ptr<Reachability> Reachability::reachabilityWithHostName(const std::string& hostName) {
    auto target = net::ReachabilityTarget::createWithName(hostName);
    if (!target) return nullptr;
    return std::unique_ptr<Reachability>(new Reachability(std::move(target)));
}

std::unique_ptr<Reachability> Reachability::reachabilityWithAddress(const sockaddr_in* hostAddress) {
    if (hostAddress == nullptr) return nullptr;
    auto target = net::ReachabilityTarget::createWithAddress(*hostAddress);
    if (!target) return nullptr;
    return std::unique_ptr<Reachability>(new Reachability(std::move(target)));
}

sockaddr_in Reachability::internetAddress() { return ipv4Address(0); }

sockaddr_in Reachability::localWiFiAddress() { return ipv4Address(0xA9FE0000u); }

std::unique_ptr<Reachability> Reachability::reachabilityForInternetConnection() {
    const sockaddr_in address = internetAddress();
    return reachabilityWithAddress(&address);
}

std::unique_ptr<Reachability> Reachability::reachabilityForLocalWiFi() {
    const sockaddr_in address = localWiFiAddress();
    auto reachability = reachabilityWithAddress(&address);
    if (reachability) reachability->localWiFiRef_ = true;
    return reachability;
}

bool Reachability::startNotifier() {
    // The callback ignores the flags it is given: observers ask
    // currentReachabilityStatus themselves.
    if (!reachabilityRef_->setCallback([this](uint32_t) {
            foundation::NotificationCenter::defaultCenter().post(kNetworkReachabilityChangedNotification, this);
        }))
        return false;
    return reachabilityRef_->scheduleWithRunLoop(foundation::RunLoop::current());
}

void Reachability::stopNotifier() {
    if (reachabilityRef_) reachabilityRef_->unschedule();
}

bool Reachability::isNotifierRunning() const { return reachabilityRef_->isScheduled(); }

std::string Reachability::flagStatusLine(uint32_t flags, const char* comment) {
    auto letter = [flags](uint32_t bit, char set) { return (flags & bit) != 0 ? set : '-'; };
    char line[128];
    std::snprintf(
        line, sizeof line, "Reachability Flag Status: %c%c %c%c%c%c%c%c%c %s\n",
        letter(net::kReachabilityFlagIsWWAN, 'W'), letter(net::kReachabilityFlagReachable, 'R'),
        letter(net::kReachabilityFlagTransientConnection, 't'), letter(net::kReachabilityFlagConnectionRequired, 'c'),
        letter(net::kReachabilityFlagConnectionOnTraffic, 'C'), letter(net::kReachabilityFlagInterventionRequired, 'i'),
        letter(net::kReachabilityFlagConnectionOnDemand, 'D'), letter(net::kReachabilityFlagIsLocalAddress, 'l'),
        letter(net::kReachabilityFlagIsDirect, 'd'), comment);
    return line;
}

NetworkStatus Reachability::localWiFiStatusForFlags(uint32_t flags) const {
    std::fputs(flagStatusLine(flags, "localWiFiStatusForFlags").c_str(), stderr);
    const uint32_t both = net::kReachabilityFlagReachable | net::kReachabilityFlagIsDirect;
    return (flags & both) == both ? 1 : 0;
}

NetworkStatus Reachability::networkStatusForFlags(uint32_t flags) const {
    std::fputs(flagStatusLine(flags, "networkStatusForFlags").c_str(), stderr);
    if ((flags & net::kReachabilityFlagReachable) == 0) return 0;
    NetworkStatus status = (flags & net::kReachabilityFlagConnectionRequired) == 0 ? 1 : 0;
    if ((flags & (net::kReachabilityFlagConnectionOnDemand | net::kReachabilityFlagConnectionOnTraffic)) != 0)
        status |= (flags & net::kReachabilityFlagInterventionRequired) == 0 ? 1 : 0;
    status |= (flags & net::kReachabilityFlagIsWWAN) != 0 ? 1 : 0;
    return status;
}

NetworkStatus Reachability::currentReachabilityStatus() const {
    auto flags = reachabilityRef_->flags();
    if (!flags) return 0;
    return localWiFiRef_ ? localWiFiStatusForFlags(*flags) : networkStatusForFlags(*flags);
}

bool Reachability::connectionRequired() const {
    auto flags = reachabilityRef_->flags();
    return flags && (*flags & net::kReachabilityFlagConnectionRequired) != 0;
}

}  // namespace support
