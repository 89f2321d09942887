#pragma once

// What the server answered, as seen after every redirect was followed.

#include "platform/net/HTTPHeaders.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace net {

// The platform's value for "length not known".
inline constexpr int64_t kURLResponseUnknownLength = -1;

struct HTTPURLResponse {
    // The address that finally answered (differs from the request's after a redirect).
    std::string url;
    int statusCode = 0;
    HTTPHeaders allHeaderFields;

    std::optional<std::string> valueForHTTPHeaderField(std::string_view field) const {
        return allHeaderFields.value(field);
    }
    // Content-Length when the server sent a valid one, else kURLResponseUnknownLength.
    int64_t expectedContentLength() const;
    bool isSuccess() const { return statusCode >= 200 && statusCode < 300; }
};

}  // namespace net
