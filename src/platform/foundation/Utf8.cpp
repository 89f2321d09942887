#include "platform/foundation/Utf8.h"

#include <cstdint>
#include <cstring>

namespace foundation {

size_t decodeUtf8(std::string_view text, size_t at, uint32_t& codePoint) {
    auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = byte(at);
    size_t length;
    uint32_t smallest;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, smallest = 0x80, codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, smallest = 0x800, codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, smallest = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(at + k) & 0x3F);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
    return length;
}

bool isValidUtf8(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        // Eight ASCII bytes at a time, most text being ASCII.
        uint64_t eight;
        if (text.size() - at >= sizeof eight) {
            std::memcpy(&eight, text.data() + at, sizeof eight);
            if ((eight & 0x8080808080808080u) == 0) {
                at += sizeof eight;
                continue;
            }
        }
        if (static_cast<uint8_t>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        uint32_t codePoint;
        size_t length = decodeUtf8(text, at, codePoint);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

void appendUtf8(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint <= 0x10FFFF) {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::string utf8Prefix(std::string_view text, size_t limit) {
    if (text.size() <= limit) return std::string(text);
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return std::string(text.substr(0, end));
}

}  // namespace foundation
