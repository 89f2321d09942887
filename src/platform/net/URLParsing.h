#pragma once

// Address handling for the connection: checking that an address is one we
// load, resolving a redirect's Location against the address that sent it,
// and deciding what a redirect does to the request.

#include "platform/foundation/Error.h"

#include <optional>
#include <string>
#include <string_view>

namespace net {

struct URLOrigin {
    std::string scheme;  // lower case: "http" or "https"
    std::string host;    // lower case
    int port = 0;        // the scheme's default when the address names none

    bool operator==(const URLOrigin&) const = default;
};

// The origin of an absolute http or https address. A malformed address is a
// kURLErrorBadURL error, another scheme (file:, ftp:, ...) kURLErrorUnsupportedURL.
foundation::Result<URLOrigin> originOfURL(const std::string& url);

// `reference` (absolute, or relative as a Location header may be) resolved
// against `base`; nullopt when it cannot be.
std::optional<std::string> resolveURL(const std::string& base, const std::string& reference);

// What following a redirect does to the request.
struct RedirectStep {
    std::string url;        // the absolute address to load next
    std::string method;     // POST becomes GET on 301, 302 and 303 (HEAD stays HEAD)
    bool keepsBody = true;  // false when the method changed to GET
};

// The next step for a response, or nullopt when the response is final (not
// 301, 302, 303, 307 or 308, or no usable Location).
std::optional<RedirectStep> redirectFor(int statusCode, const std::optional<std::string>& location,
                                        const std::string& currentURL, const std::string& method);

// `text` with its percent escapes decoded (and "+" read as a blank when
// `plusIsSpace`, as in a form); nullopt when an escape is broken.
std::optional<std::string> percentDecoded(std::string_view text, bool plusIsSpace = false);

}  // namespace net
