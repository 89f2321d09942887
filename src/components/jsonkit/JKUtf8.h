#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace jsonkit {

enum class JKUtf8Result { Valid, Truncated, Invalid };

// Decodes one UTF-8 sequence starting at a lead byte of 80h or more, never
// reading at or past `end`. On Valid, `codePoint` holds the character and
// `next` points after it; on Invalid, `codePoint` is U+FFFD and `next` skips
// the lead byte and the continuation bytes that follow it. Surrogates,
// U+FDD0–U+FDEF and the code points ending in FFFE/FFFF are invalid.
JKUtf8Result jkDecodeUtf8(const uint8_t* at, const uint8_t* end, uint32_t& codePoint, const uint8_t*& next);

// The length of the valid sequence (as jkDecodeUtf8 judges it) that starts
// at a lead byte of 80h or more, 0 when it is not valid. Two-byte sequences
// are checked here, longer ones by jkDecodeUtf8.
inline size_t jkValidUtf8Length(const uint8_t* at, const uint8_t* end) {
    if (at[0] >= 0xC2 && at[0] <= 0xDF) return end - at >= 2 && (at[1] & 0xC0) == 0x80 ? 2 : 0;
    uint32_t codePoint = 0;
    const uint8_t* next = nullptr;
    return jkDecodeUtf8(at, end, codePoint, next) == JKUtf8Result::Valid ? static_cast<size_t>(next - at) : 0;
}

// Whether a code point given by a "\u" escape may stand in a string.
bool jkIsLegalEscapedCodePoint(uint32_t codePoint);

// Whether a byte is plain string text, written and read as it is:
// printable ASCII but '"', '\\' and, when `slash`, '/'.
inline bool jkIsPlain(uint8_t byte, bool slash) {
    return byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\' && !(slash && byte == '/');
}

#if defined(__SSE2__)
// One bit for each byte of a 16-byte block that is not plain text.
inline unsigned jkStopBits(__m128i bytes, bool slash) {
    const __m128i quote = _mm_set1_epi8('"'), backslash = _mm_set1_epi8('\\');
    const __m128i solidus = _mm_set1_epi8(slash ? '/' : '"'), space = _mm_set1_epi8(0x20);
    // As signed bytes, those from 0x80 are negative and so below a space too.
    const __m128i stop = _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(bytes, space), _mm_cmpeq_epi8(bytes, quote)),
                                      _mm_or_si128(_mm_cmpeq_epi8(bytes, backslash), _mm_cmpeq_epi8(bytes, solidus)));
    return static_cast<unsigned>(_mm_movemask_epi8(stop));
}
#endif

// The number of plain bytes (see jkIsPlain) from `at` up to `end`. Sixteen
// bytes are looked at in one step.
inline size_t jkPlainRunLength(const uint8_t* at, const uint8_t* end, bool slash) {
    const uint8_t* const start = at;
#if defined(__SSE2__)
    for (; end - at >= 16; at += 16) {
        const unsigned stop = jkStopBits(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), slash);
        if (stop) return static_cast<size_t>(at - start) + static_cast<size_t>(__builtin_ctz(stop));
    }
#endif
    while (at < end && jkIsPlain(*at, slash)) ++at;
    return static_cast<size_t>(at - start);
}

}  // namespace jsonkit
