#pragma once

// Errors the fetchers make, with the platform's generic description.

#include "platform/foundation/Error.h"

#include <cstdint>
#include <string>

namespace google {

// "The operation couldn’t be completed. (<domain> error <code>.)"
foundation::Error fetcherError(const std::string& domain, int64_t code);

// Whether a failed attempt is worth another: 408, 503 and 504 answers, time-outs
// and dropped connections.
bool isRetryableFetchError(const foundation::Error& error);

}  // namespace google
