// The decoder's scanners of string and number tokens.

#include "components/jsonkit/JKParse.h"
#include "components/jsonkit/JKUtf8.h"
#include "platform/foundation/Strings.h"
#include "platform/foundation/Utf8.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace jsonkit {

using foundation::appendUtf8;
using foundation::Value;

namespace {

// Numbers are read in the C locale whatever the process's locale is.
locale_t cLocale() {
    static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

}  // namespace

bool JSONDecoder::Parse::scanString() {
    const uint8_t* const end = in_ + length_;
    const size_t first = index_ + 1;
    size_t at = first;
    // The common string: plain text and valid UTF-8 up to the closing
    // quotation mark, its value the input itself.
    for (;;) {
        at += jkPlainRunLength(in_ + at, end, false);
        if (at >= length_) break;
        const uint8_t byte = in_[at];
        if (byte == '"') {
            value_ = std::string_view(reinterpret_cast<const char*>(in_ + first), at - first);
            token_ = JKToken::String;
            tokenStart_ = index_;
            tokenLength_ = at + 1 - index_;
            index_ = at + 1;
            return true;
        }
        const size_t sequence = byte >= 0x80 ? jkValidUtf8Length(in_ + at, end) : 0;
        if (sequence == 0) break;  // an escape, a control byte, broken UTF-8: the general scan takes over
        at += sequence;
    }
    return scanString(first, at);
}

bool JSONDecoder::Parse::scanString(size_t first, size_t at) {
    const bool replace = options_ & JKDecodeReplaceInvalidUnicode;
    const uint8_t* const end = in_ + length_;
    // Until an escape or a replacement changes a byte, the value is the
    // input itself; from then on it is built in string_.
    bool copying = false;
    auto startCopying = [&] {
        if (copying) return;
        string_.assign(reinterpret_cast<const char*>(in_ + first), at - first);
        copying = true;
    };
    auto fail = [&](size_t where) {
        index_ = where;
        return false;
    };
    while (at < length_) {
        // Plain printable ASCII goes over in one piece.
        const size_t run = at + jkPlainRunLength(in_ + at, end, false);
        if (run > at) {
            if (copying) string_.append(reinterpret_cast<const char*>(in_ + at), run - at);
            at = run;
            if (at >= length_) break;
        }
        const uint8_t byte = in_[at];
        if (byte == '"') {
            value_ = copying ? std::string_view(string_)
                             : std::string_view(reinterpret_cast<const char*>(in_ + first), at - first);
            token_ = JKToken::String;
            tokenStart_ = index_;
            tokenLength_ = at + 1 - index_;
            index_ = at + 1;
            return true;
        }
        if (byte < 0x20) {
            index_ = at;
            record("Invalid character < 0x20 found in string: 0x%2.2x.", byte);
            return false;
        }
        if (byte >= 0x80) {
            uint32_t codePoint = 0;
            const uint8_t* next = nullptr;
            switch (jkDecodeUtf8(in_ + at, end, codePoint, next)) {
                case JKUtf8Result::Valid:
                    if (copying)
                        string_.append(reinterpret_cast<const char*>(in_ + at), static_cast<size_t>(next - (in_ + at)));
                    break;
                case JKUtf8Result::Truncated:
                    index_ = at;
                    record("End of buffer reached while parsing UTF8 in \"\" string.");
                    return false;
                case JKUtf8Result::Invalid:
                    if (!replace) {
                        index_ = at;
                        record("Illegal UTF8 sequence found in \"\" string.");
                        return false;
                    }
                    startCopying();
                    appendUtf8(string_, 0xFFFD);
                    break;
            }
            at = static_cast<size_t>(next - in_);
            continue;
        }
        // An escape sequence.
        startCopying();
        if (at + 1 >= length_) return fail(length_);
        const uint8_t escaped = in_[at + 1];
        at += 2;
        switch (escaped) {
            case '"':
                string_ += '"';
                continue;
            case '\\':
                string_ += '\\';
                continue;
            case '/':
                string_ += '/';
                continue;
            case 'b':
                string_ += '\b';
                continue;
            case 'f':
                string_ += '\f';
                continue;
            case 'n':
                string_ += '\n';
                continue;
            case 'r':
                string_ += '\r';
                continue;
            case 't':
                string_ += '\t';
                continue;
            case 'u':
                break;
            default:
                index_ = at - 1;
                record("Invalid escape sequence found in \"\" string.");
                return false;
        }
        auto readHex = [&](uint32_t& value) {
            value = 0;
            for (int i = 0; i < 4; ++i, ++at) {
                if (at >= length_) return false;
                const int digit = foundation::hexDigitValue(static_cast<char>(in_[at]));
                if (digit < 0) {
                    index_ = at;
                    record(
                        "Unexpected character found in \\u Unicode escape sequence.  Found '%c', expected [0-9a-fA-F].",
                        in_[at]);
                    return false;
                }
                value = value * 16 + static_cast<uint32_t>(digit);
            }
            return true;
        };
        uint32_t first = 0;
        if (!readHex(first)) return fail(at);
        uint32_t codePoint = first;
        if (first >= 0xD800 && first <= 0xDBFF) {
            // A high surrogate needs a second escape right after it.
            if (at + 1 >= length_) return fail(length_);
            if (in_[at] != '\\' || in_[at + 1] != 'u') {
                if (!replace) {
                    index_ = at;
                    record(
                        "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape "
                        "sequence.");
                    return false;
                }
                appendUtf8(string_, 0xFFFD);
                continue;  // the byte after the first escape is read again as ordinary text
            }
            at += 2;
            uint32_t second = 0;
            if (!readHex(second)) return fail(at);
            codePoint = second >= 0xDC00 && second <= 0xDFFF ? (first - 0xD800) * 0x400 + (second - 0xDC00) + 0x10000
                                                             : 0xD800;  // not a pair: illegal
        }
        if (!jkIsLegalEscapedCodePoint(codePoint)) {
            if (!replace) {
                index_ = at;
                record("Illegal \\u Unicode escape sequence.");
                return false;
            }
            codePoint = 0xFFFD;
        }
        appendUtf8(string_, codePoint);
    }
    index_ = length_;
    return false;
}

// A number is -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)? and needs a byte
// after it: one that runs into the end of the input is invalid, as is a
// byte that breaks the pattern (the error is reported at that byte).
bool JSONDecoder::Parse::scanNumber() {
    auto isDigit = [](uint8_t byte) { return byte >= '0' && byte <= '9'; };
    size_t at = index_;
    auto fail = [&] {
        index_ = at;
        record("Invalid number.");
        return false;
    };
    // The byte at `at`, or -1 at the end of the input.
    auto peek = [&]() -> int { return at < length_ ? in_[at] : -1; };
    const bool negative = in_[at] == '-';
    if (negative) ++at;
    // The digits of the integer part, gathered as they are passed: up to 19
    // of them cannot overflow 64 bits.
    uint64_t magnitude = 0;
    const size_t integerStart = at;
    int byte = peek();
    if (byte < 0 || !isDigit(static_cast<uint8_t>(byte))) return fail();
    if (byte == '0') {
        ++at;
    } else {
        for (; at < length_ && isDigit(in_[at]); ++at) magnitude = magnitude * 10 + (in_[at] - '0');
    }
    const size_t integerDigits = at - integerStart;
    bool floating = false;
    if ((byte = peek()) < 0) return fail();
    if (byte == '.') {
        floating = true;
        ++at;
        if ((byte = peek()) < 0 || !isDigit(static_cast<uint8_t>(byte))) return fail();
        while (at < length_ && isDigit(in_[at])) ++at;
        if ((byte = peek()) < 0) return fail();
    }
    if (byte == 'e' || byte == 'E') {
        floating = true;
        ++at;
        if ((byte = peek()) == '+' || byte == '-') {
            ++at;
            byte = peek();
        }
        if (byte < 0 || !isDigit(static_cast<uint8_t>(byte))) return fail();
        while (at < length_ && isDigit(in_[at])) ++at;
        if (at >= length_) return fail();
    }
    const char* text = reinterpret_cast<const char*>(in_ + index_);
    const size_t length = at - index_;
    token_ = JKToken::Number;
    tokenStart_ = index_;
    tokenLength_ = length;
    index_ = at;
    const bool minusZero = negative && !floating && integerDigits == 1 && magnitude == 0;
    if (!floating && !minusZero && integerDigits <= 19) {
        // Exact in 64 bits as gathered; only the most negative values need care.
        if (!negative) {
            number_ = Value(static_cast<unsigned long long>(magnitude));
            return true;
        }
        if (magnitude <= uint64_t{1} << 63) {
            number_ = Value::integer(static_cast<int64_t>(0 - magnitude));
            return true;
        }
    }
    if (!convertNumber(text, length, floating || minusZero, negative)) {
        record("Invalid number.");
        return false;
    }
    return true;
}

bool JSONDecoder::Parse::convertNumber(const char* begin, size_t length, bool floating, bool negative) {
    const char* const end = begin + length;
    if (floating) {
        double value = 0;
        const auto [stop, ec] = std::from_chars(begin, end, value);
        if (ec == std::errc() && stop == end) {
            number_ = Value::real(value);
            return true;
        }
        // Out of range, or not all taken: the C library, in the C locale, tells which.
        const std::string text(begin, length);
        char* cStop = nullptr;
        errno = 0;
        value = strtod_l(text.c_str(), &cStop, cLocale());
        // A subnormal result also reports ERANGE; only zero and infinity lost the value.
        if (errno == ERANGE && (value == 0 || std::isinf(value))) {
            record("The value '%s' could not be represented as a 'double' due to %s.", text.c_str(),
                   value == 0 ? "underflow" : "overflow");
            return false;
        }
        if (cStop != text.c_str() + length) {
            record("The conversion function did not consume all of the number tokens characters.");
            return false;
        }
        number_ = Value::real(value);
        return true;
    }
    if (negative) {
        int64_t value = 0;
        const auto [stop, ec] = std::from_chars(begin, end, value);
        if (ec == std::errc::result_out_of_range) {
            record("The value '%.*s' exceeded the minimum value that could be represented: %lld.",
                   static_cast<int>(length), begin, static_cast<long long>(INT64_MIN));
            return false;
        }
        if (ec != std::errc() || stop != end) {
            record("The conversion function did not consume all of the number tokens characters.");
            return false;
        }
        number_ = Value::integer(value);
        return true;
    }
    uint64_t value = 0;
    const auto [stop, ec] = std::from_chars(begin, end, value);
    if (ec == std::errc::result_out_of_range) {
        record("The value '%.*s' exceeded the maximum value that could be represented: %llu.", static_cast<int>(length),
               begin, static_cast<unsigned long long>(UINT64_MAX));
        return false;
    }
    if (ec != std::errc() || stop != end) {
        record("The conversion function did not consume all of the number tokens characters.");
        return false;
    }
    // From 2^63 up the number is kept as unsigned.
    number_ = Value(static_cast<unsigned long long>(value));
    return true;
}

}  // namespace jsonkit
