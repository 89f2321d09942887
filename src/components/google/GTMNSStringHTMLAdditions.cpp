#include "components/google/GTMNSStringHTMLAdditions.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace GTMNSStringHTMLAdditions {

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void appendAscii(std::u16string& out, std::string_view ascii) {
    for (char c : ascii) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
}

const HTMLEscapeMap* findEntry(const HTMLEscapeMap* table, size_t count, char16_t unit) {
    const HTMLEscapeMap* end = table + count;
    const HTMLEscapeMap* found =
        std::lower_bound(table, end, unit, [](const HTMLEscapeMap& entry, char16_t u) { return entry.uchar < u; });
    return found != end && found->uchar == unit ? found : nullptr;
}

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// The number made of every unit of `digits`, or none when one is not a
// digit of the base, there is none, or the value leaves 1 to 65534.
std::optional<char16_t> scanReference(std::u16string_view digits, int base) {
    if (digits.empty()) return std::nullopt;
    unsigned long value = 0;
    for (char16_t c : digits) {
        int digit = hexDigit(c);
        if (digit < 0 || digit >= base) return std::nullopt;
        value = value * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit);
        if (value > 65534) return std::nullopt;  // also keeps the sum from overflowing
    }
    if (value < 1) return std::nullopt;
    return static_cast<char16_t>(value);
}

// The unit a candidate reference ("&...;") stands for, if any.
std::optional<char16_t> resolveReference(std::u16string_view candidate) {
    if (candidate[1] == u'#') {
        bool hex = candidate[2] == u'x' || candidate[2] == u'X';
        size_t start = hex ? 3 : 2;
        return scanReference(candidate.substr(start, candidate.size() - start - 1), hex ? 16 : 10);
    }
    for (const HTMLEscapeMap& entry : gAsciiHTMLEscapeMap) {
        std::string_view name(entry.escapeSequence);
        if (name.size() != candidate.size()) continue;
        if (std::equal(name.begin(), name.end(), candidate.begin(),
                       [](char a, char16_t b) { return static_cast<char16_t>(a) == b; }))
            return entry.uchar;
    }
    return std::nullopt;
}

}  // namespace

std::u16string gtm_stringByEscapingHTMLUsingTable(std::u16string_view string, const HTMLEscapeMap* table, size_t ofSize,
                                                  bool escapingUnicode) {
    if (string.empty()) return std::u16string(string);
    const size_t count = ofSize / sizeof(HTMLEscapeMap);
    std::u16string out;
    out.reserve(string.size());
    size_t runStart = 0;
    for (size_t i = 0; i < string.size(); ++i) {
        char16_t unit = string[i];
        const HTMLEscapeMap* entry = findEntry(table, count, unit);
        if (!entry && (unit < 128 || !escapingUnicode)) continue;  // stays in the current run
        out.append(string.substr(runStart, i - runStart));
        runStart = i + 1;
        if (entry)
            appendAscii(out, entry->escapeSequence);
        else
            appendAscii(out, "&#" + std::to_string(static_cast<unsigned>(unit)) + ";");
    }
    out.append(string.substr(runStart));
    return out;
}

std::u16string gtm_stringByEscapingForHTML(std::u16string_view string) {
    return gtm_stringByEscapingHTMLUsingTable(string, gSpecialHTMLEscapeMap, sizeof(gSpecialHTMLEscapeMap), false);
}

std::u16string gtm_stringByEscapingForAsciiHTML(std::u16string_view string) {
    return gtm_stringByEscapingHTMLUsingTable(string, gAsciiHTMLEscapeMap, sizeof(gAsciiHTMLEscapeMap), true);
}

std::u16string gtm_stringByUnescapingFromHTML(std::u16string_view string) {
    std::vector<size_t> ampersands;
    for (size_t i = 0; i < string.size(); ++i)
        if (string[i] == u'&') ampersands.push_back(i);
    std::u16string result(string);
    if (ampersands.empty()) return result;
    // Positions are read from the unchanged input; replacing from the last
    // "&" backwards leaves every earlier position of the copy where it was.
    for (size_t k = ampersands.size(); k-- > 0;) {
        size_t start = ampersands[k];
        size_t limit = k + 1 < ampersands.size() ? ampersands[k + 1] : string.size();
        size_t semicolon = string.find(u';', start);
        if (semicolon == std::u16string_view::npos || semicolon >= limit) continue;
        size_t length = semicolon - start + 1;
        if (length < 4 || length > 10) continue;
        if (auto unit = resolveReference(string.substr(start, length))) result.replace(start, length, 1, *unit);
    }
    return result;
}

std::u16string utf16FromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        char32_t cp = 0;
        size_t length = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            cp = lead, length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            cp = lead & 0x1F, length = 2, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            cp = lead & 0x0F, length = 3, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            cp = lead & 0x07, length = 4, minimum = 0x10000;
        }
        bool valid = length > 0 && i + length <= utf8.size();
        for (size_t k = 1; valid && k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) valid = false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (valid && (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) valid = false;
        if (!valid) {
            // One replacement per bad lead byte; the scan resumes right after it.
            out.push_back(kReplacementCharacter);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += length;
    }
    return out;
}

std::string utf8FromUtf16(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (isHighSurrogate(cp) && i + 1 < utf16.size() && isLowSurrogate(utf16[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (isHighSurrogate(cp) || isLowSurrogate(cp)) {
            cp = kReplacementCharacter;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string gtm_stringByEscapingForHTML(std::string_view string) {
    return utf8FromUtf16(gtm_stringByEscapingForHTML(utf16FromUtf8(string)));
}

std::string gtm_stringByEscapingForAsciiHTML(std::string_view string) {
    return utf8FromUtf16(gtm_stringByEscapingForAsciiHTML(utf16FromUtf8(string)));
}

std::string gtm_stringByUnescapingFromHTML(std::string_view string) {
    if (string.find('&') == std::string_view::npos) return std::string(string);
    return utf8FromUtf16(gtm_stringByUnescapingFromHTML(utf16FromUtf8(string)));
}

}  // namespace GTMNSStringHTMLAdditions
