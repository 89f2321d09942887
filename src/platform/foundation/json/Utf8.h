#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace foundation::json_detail {

// True when the bytes are well-formed UTF-8: no stray continuation bytes,
// no truncated or overlong sequences, no encoded surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of a code point (at most U+10FFFF, not a surrogate).
void appendUtf8(std::string& out, uint32_t codePoint);

}  // namespace foundation::json_detail
