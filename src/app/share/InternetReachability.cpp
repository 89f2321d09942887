#include "app/share/InternetReachability.h"

#include <mutex>

namespace {

std::mutex providerMutex;
InternetReachability::StatusProvider& provider() {
    static InternetReachability::StatusProvider installed;
    return installed;
}

}  // namespace

bool InternetReachability::isOffline() {
    StatusProvider installed;
    {
        std::lock_guard lock(providerMutex);
        installed = provider();
    }
    if (installed) return installed() == 0;
    auto reachability = support::Reachability::reachabilityForInternetConnection();
    return !reachability || reachability->currentReachabilityStatus() == 0;
}

void InternetReachability::setStatusProvider(StatusProvider provider_) {
    std::lock_guard lock(providerMutex);
    provider() = std::move(provider_);
}
