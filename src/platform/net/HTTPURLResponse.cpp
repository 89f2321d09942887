#include "platform/net/HTTPURLResponse.h"

#include <charconv>

namespace net {

int64_t HTTPURLResponse::expectedContentLength() const {
    std::optional<std::string> text = allHeaderFields.value("Content-Length");
    if (!text || text->empty()) return kURLResponseUnknownLength;
    int64_t length = 0;
    auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), length);
    if (error != std::errc() || end != text->data() + text->size() || length < 0) return kURLResponseUnknownLength;
    return length;
}

}  // namespace net
