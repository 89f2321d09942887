#include "components/sbjson/SBJsonParser.h"

#include "platform/foundation/Strings.h"
#include "platform/foundation/Utf8.h"

#include <array>
#include <cstdio>

namespace sbjson {

using namespace foundation;

namespace {

// Bytes that end a plain run inside a string: the zero byte and the other
// control bytes, the quotation mark and the backslash.
constexpr std::array<bool, 256> kStringRunEnds = [] {
    std::array<bool, 256> table{};
    for (int i = 0; i < 32; ++i) table[i] = true;
    table['"'] = true;
    table['\\'] = true;
    return table;
}();

bool isWhitespace(unsigned char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

bool isDigit(unsigned char ch) { return ch >= '0' && ch <= '9'; }

std::string withHexCode(const char* format, unsigned code) {
    char text[64];
    std::snprintf(text, sizeof text, format, code);
    return text;
}

}  // namespace

std::optional<Value> SBJsonParser::objectWithString(std::optional<std::string_view> text) {
    std::optional<Value> value = fragmentWithString(text);
    if (!value) return std::nullopt;
    if (value->isDictionary() || value->isArray()) return value;
    addErrorWithCode(4, "Valid fragment, but not JSON");
    return std::nullopt;
}

std::optional<Value> SBJsonParser::fragmentWithString(std::optional<std::string_view> text) {
    clearErrorTrace();
    if (!text) {
        addErrorWithCode(12, "Input was 'nil'");
        return std::nullopt;
    }
    resetDepth();
    c = text->data();
    end_ = text->data() + text->size();

    Value value;
    bool scanned = scanValue(value);
    if (scanned) {
        skipWhitespace();
        if (!atEnd()) {
            addErrorWithCode(10, "Garbage after JSON");
            scanned = false;
        }
    }
    // The input belongs to the caller; keep no pointer into it.
    c = end_ = nullptr;
    if (!scanned) return std::nullopt;
    return value;
}

void SBJsonParser::skipWhitespace() {
    while (!atEnd() && isWhitespace(current())) ++c;
}

bool SBJsonParser::scanValue(Value& out) {
    skipWhitespace();
    if (atEnd()) {
        addErrorWithCode(11, "Unexpected end of string");
        return false;
    }
    unsigned char ch = current();
    switch (ch) {
        case '"':
            ++c;
            return scanStringValue(out);
        case '[':
            ++c;
            return scanRestOfArray(out);
        case '{':
            ++c;
            return scanRestOfDictionary(out);
        case 't':
            ++c;
            return scanLiteral("rue", Value(true), "Expected 'true'", out);
        case 'f':
            ++c;
            return scanLiteral("alse", Value(false), "Expected 'false'", out);
        case 'n':
            ++c;
            return scanLiteral("ull", Value(), "Expected 'null'", out);
        case '+':
            addErrorWithCode(2, "Leading + disallowed in number");
            return false;
        default:
            if (ch == '-' || isDigit(ch)) return scanNumber(out);
            addErrorWithCode(3, "Unrecognised leading character");
            return false;
    }
}

// Kept apart from scanValue so the string's buffer does not sit in every
// frame of the recursion through nested containers.
bool SBJsonParser::scanStringValue(Value& out) {
    std::string text;
    if (!scanRestOfString(text)) return false;
    out = Value(std::move(text));
    return true;
}

bool SBJsonParser::scanLiteral(std::string_view rest, Value value, const char* failure, Value& out) {
    if (static_cast<size_t>(end_ - c) < rest.size() || std::string_view(c, rest.size()) != rest) {
        addErrorWithCode(3, failure);
        return false;
    }
    c += rest.size();
    out = std::move(value);
    return true;
}

bool SBJsonParser::scanRestOfArray(Value& out) {
    if (!raiseDepth()) return false;
    Array array;
    for (;;) {
        skipWhitespace();
        if (atEnd()) break;
        if (current() == ']') {
            ++c;
            lowerDepth();
            out = Value(std::move(array));
            return true;
        }
        Value element;
        if (!scanValue(element)) {
            addErrorWithCode(3, "Expected value while parsing array");
            return false;
        }
        array.push_back(std::move(element));
        skipWhitespace();
        // A missing comma between elements is tolerated, as it always was.
        if (current() == ',') {
            ++c;
            skipWhitespace();
            if (current() == ']') {
                addErrorWithCode(9, "Trailing comma disallowed in array");
                return false;
            }
        }
    }
    addErrorWithCode(11, "End of input while parsing array");
    return false;
}

bool SBJsonParser::scanRestOfDictionary(Value& out) {
    if (!raiseDepth()) return false;
    Dictionary dictionary;
    for (;;) {
        skipWhitespace();
        if (atEnd()) break;
        if (current() == '}') {
            ++c;
            lowerDepth();
            out = Value(std::move(dictionary));
            return true;
        }
        std::string key;
        if (current() != '"') {
            addErrorWithCode(3, "Object key string expected");
            return false;
        }
        ++c;
        if (!scanRestOfString(key)) {
            addErrorWithCode(3, "Object key string expected");
            return false;
        }
        skipWhitespace();
        if (current() != ':') {
            addErrorWithCode(3, "Expected ':' separating key and value");
            return false;
        }
        ++c;
        Value value;
        if (!scanValue(value)) {
            addErrorWithCode(3, "Object value expected for key: " + key);
            return false;
        }
        dictionary.set(std::move(key), std::move(value));
        skipWhitespace();
        if (current() == ',') {
            ++c;
            skipWhitespace();
            if (current() == '}') {
                addErrorWithCode(9, "Trailing comma disallowed in object");
                return false;
            }
        }
    }
    addErrorWithCode(11, "End of input while parsing object");
    return false;
}

bool SBJsonParser::scanRestOfString(std::string& out) {
    for (;;) {
        const char* run = c;
        unsigned seen = 0;  // every byte of the run or'ed: ASCII alone leaves the top bit clear
        for (; !atEnd() && !kStringRunEnds[current()]; ++c) seen |= current();
        if (c != run) {
            std::string_view bytes(run, static_cast<size_t>(c - run));
            // Every byte that ends a run is ASCII, so a run never splits a
            // well-formed sequence: each run can be checked on its own.
            if ((seen & 0x80) && !isValidUtf8(bytes)) {
                addErrorWithCode(13, "Invalid UTF-8 in string");
                return false;
            }
            out.append(bytes);
        }
        unsigned char ch = current();  // 0 at the end of the input
        if (ch == '"') {
            ++c;
            return true;
        }
        if (ch != '\\') {
            addErrorWithCode(5, withHexCode("Unescaped control character '0x%x'", ch));
            return false;
        }
        ++c;
        if (!scanEscape(out)) return false;
        if (atEnd()) {
            addErrorWithCode(11, "Unexpected EOF while parsing string");
            return false;
        }
    }
}

// Reads what follows a backslash.
bool SBJsonParser::scanEscape(std::string& out) {
    if (atEnd()) return true;  // reported by the caller as the end of the input
    unsigned char letter = current();
    ++c;
    switch (letter) {
        case '"':
        case '\\':
        case '/':
            out += static_cast<char>(letter);
            return true;
        case 'b':
            out += '\b';
            return true;
        case 'f':
            out += '\f';
            return true;
        case 'n':
            out += '\n';
            return true;
        case 'r':
            out += '\r';
            return true;
        case 't':
            out += '\t';
            return true;
        case 'u':
            if (!scanUnicodeChar(out)) {
                addErrorWithCode(6, "Broken unicode character");
                return false;
            }
            return true;
        default:
            addErrorWithCode(8, withHexCode("Illegal escape sequence '0x%x'", letter));
            return false;
    }
}

bool SBJsonParser::scanUnicodeChar(std::string& out) {
    uint32_t high = 0;
    if (!scanHexQuad(high)) {
        addErrorWithCode(6, "Missing hex quad");
        return false;
    }
    uint32_t codePoint = high;
    if (high >= 0xDC00 && high <= 0xDFFF) {
        addErrorWithCode(6, "Invalid high character in surrogate pair");
        return false;
    }
    if (high >= 0xD800 && high <= 0xDBFF) {
        if (end_ - c < 2 || c[0] != '\\' || c[1] != 'u') {
            addErrorWithCode(6, "Missing low character in surrogate pair");
            return false;
        }
        c += 2;
        uint32_t low = 0;
        if (!scanHexQuad(low)) {
            addErrorWithCode(6, "Missing hex quad");
            return false;
        }
        if (low < 0xDC00 || low > 0xDFFF) {
            addErrorWithCode(6, "Invalid low surrogate char");
            return false;
        }
        codePoint = 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
    }
    appendUtf8(out, codePoint);
    return true;
}

bool SBJsonParser::scanHexQuad(uint32_t& out) {
    out = 0;
    for (int i = 0; i < 4; ++i) {
        int digit = hexDigitValue(static_cast<char>(current()));
        if (digit < 0) {
            addErrorWithCode(6, "Missing hex digit in quad");
            return false;
        }
        out = out * 16 + static_cast<uint32_t>(digit);
        ++c;
    }
    return true;
}

bool SBJsonParser::scanNumber(Value& out) {
    const char* start = c;
    if (current() == '-') ++c;
    if (current() == '0') {
        ++c;
        if (isDigit(current())) {
            addErrorWithCode(2, "Leading 0 disallowed in number");
            return false;
        }
    } else if (isDigit(current())) {
        while (isDigit(current())) ++c;
    } else {
        addErrorWithCode(2, "No digits after initial minus");
        return false;
    }
    if (current() == '.') {
        ++c;
        if (!isDigit(current())) {
            addErrorWithCode(2, "No digits after decimal point");
            return false;
        }
        while (isDigit(current())) ++c;
    }
    if (current() == 'e' || current() == 'E') {
        ++c;
        if (current() == '+' || current() == '-') ++c;
        if (!isDigit(current())) {
            addErrorWithCode(2, "No digits after exponent");
            return false;
        }
        while (isDigit(current())) ++c;
    }
    Value number = Value::decimal(std::string_view(start, static_cast<size_t>(c - start)));
    if (number.isNull()) {
        addErrorWithCode(2, "Failed creating decimal instance");
        return false;
    }
    out = std::move(number);
    return true;
}

}  // namespace sbjson
