#pragma once

#include <cstddef>
#include <cstdint>

namespace jsonkit {

enum class JKUtf8Result { Valid, Truncated, Invalid };

// Decodes one UTF-8 sequence starting at a lead byte of 80h or more, never
// reading at or past `end`. On Valid, `codePoint` holds the character and
// `next` points after it; on Invalid, `codePoint` is U+FFFD and `next` skips
// the lead byte and the continuation bytes that follow it. Surrogates,
// U+FDD0–U+FDEF and the code points ending in FFFE/FFFF are invalid.
JKUtf8Result jkDecodeUtf8(const uint8_t* at, const uint8_t* end, uint32_t& codePoint, const uint8_t*& next);

// Whether a code point given by a "\u" escape may stand in a string.
bool jkIsLegalEscapedCodePoint(uint32_t codePoint);

}  // namespace jsonkit
