#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

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

// Whether any of the 8 bytes at `bytes` may end a run of plain string text:
// a control character, a byte from 0x80, '"', '\\' or, when asked, '/'. It
// may answer true for plain bytes, never false for others; the exact test
// follows byte by byte.
inline bool jkMayEndPlainRun(const uint8_t* bytes, bool slash) {
    constexpr uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    auto hasZeroByte = [](uint64_t x) { return (x - kOnes) & ~x & kHighs; };
    uint64_t found = (word & kHighs) | ((word - kOnes * 0x20) & ~word & kHighs) | hasZeroByte(word ^ (kOnes * '"')) |
                     hasZeroByte(word ^ (kOnes * '\\'));
    if (slash) found |= hasZeroByte(word ^ (kOnes * '/'));
    return found != 0;
}

}  // namespace jsonkit
