#include "components/jsonkit/JKUtf8.h"

namespace jsonkit {

namespace {

bool isContinuation(uint8_t byte) { return byte >= 0x80 && byte <= 0xBF; }

bool isNonCharacter(uint32_t codePoint) {
    return (codePoint >= 0xFDD0 && codePoint <= 0xFDEF) || (codePoint & 0xFFFE) == 0xFFFE;
}

}  // namespace

JKUtf8Result jkDecodeUtf8(const uint8_t* at, const uint8_t* end, uint32_t& codePoint, const uint8_t*& next) {
    const uint8_t lead = at[0];
    size_t length = 0;
    uint32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    }
    codePoint = 0xFFFD;
    if (length == 0) {
        next = at + 1;
        return JKUtf8Result::Invalid;
    }
    if (static_cast<size_t>(end - at) < length) {
        next = end;
        return JKUtf8Result::Truncated;
    }
    uint8_t low = 0x80, high = 0xBF;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    bool valid = at[1] >= low && at[1] <= high;
    size_t taken = 1;
    while (taken < length && isContinuation(at[taken])) {
        value = (value << 6) | (at[taken] & 0x3F);
        ++taken;
    }
    next = at + taken;
    if (!valid || taken != length || (value >= 0xD800 && value <= 0xDFFF) || isNonCharacter(value)) {
        return JKUtf8Result::Invalid;
    }
    codePoint = value;
    return JKUtf8Result::Valid;
}

bool jkIsLegalEscapedCodePoint(uint32_t codePoint) {
    if (codePoint == 0 || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return false;
    return !(codePoint < 0x110000 && isNonCharacter(codePoint));
}

}  // namespace jsonkit
