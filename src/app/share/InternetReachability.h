#pragma once

// The one question the share screen and the gallery ask before they reach
// out: is the internet reachable now? One check of the internet target's
// status, 0 meaning offline. Tests install a status of their own.

#include "components/support/Reachability.h"

#include <functional>

namespace InternetReachability {

using StatusProvider = std::function<support::NetworkStatus()>;

bool isOffline();
// None returns to the machine's own status.
void setStatusProvider(StatusProvider provider);

}  // namespace InternetReachability
