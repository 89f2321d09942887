#pragma once

// UTF-8 as the property-list and JSON codecs, the format strings and the
// crash-report writer need it: strict decoding and plain encoding.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace foundation {

// Decodes the sequence that starts at `text[at]`. Returns its length in bytes,
// or 0 when the bytes there are not well-formed UTF-8: a stray continuation
// byte, a truncated or overlong sequence, an encoded surrogate or a value
// above U+10FFFF.
size_t decodeUtf8(std::string_view text, size_t at, uint32_t& codePoint);

// True when every sequence of the text is well-formed (see decodeUtf8).
bool isValidUtf8(std::string_view text);

// Appends the UTF-8 form of a code point; a value above U+10FFFF appends nothing.
void appendUtf8(std::string& out, uint32_t codePoint);

// The first `limit` bytes of the text, or fewer so as not to split a character.
std::string utf8Prefix(std::string_view text, size_t limit);

}  // namespace foundation
