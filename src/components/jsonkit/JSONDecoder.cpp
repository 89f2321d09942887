#include "components/jsonkit/JSONDecoder.h"

#include "components/jsonkit/JKUtf8.h"
#include "platform/foundation/Exceptions.h"
#include "platform/foundation/Utf8.h"
#include "platform/foundation/ValueArena.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iterator>
#include <locale.h>
#include <stdexcept>
#include <string>

namespace jsonkit {

using foundation::appendUtf8;
using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

namespace {

enum class Token {
    Invalid,
    Number,
    String,
    ObjectBegin,
    ObjectEnd,
    ArrayBegin,
    ArrayEnd,
    Colon,
    Comma,
    True,
    False,
    Null
};

constexpr const char* kUnexpectedToken =
    "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', '\"STRING\"', 'NUMBER'.";

// Numbers are read in the C locale whatever the process's locale is.
locale_t cLocale() {
    static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// The two booleans every parse shares, as the platform's are singletons.
const Value& trueValue() {
    static const Value value(true);
    return value;
}

const Value& falseValue() {
    static const Value value(false);
    return value;
}

bool isValueToken(Token token) {
    return token == Token::Number || token == Token::String || token == Token::ObjectBegin ||
           token == Token::ArrayBegin || token == Token::True || token == Token::False || token == Token::Null;
}

int hexDigit(uint8_t byte) {
    if (byte >= '0' && byte <= '9') return byte - '0';
    if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
    if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
    return -1;
}

}  // namespace

// One parse: the scanner over the input, the current token, the values of
// the open containers and the first error.
class JSONDecoder::Parse {
public:
    Parse(uint64_t options, JKTokenCache& cache, const uint8_t* bytes, size_t length, bool mutableCollections)
        : options_(options), cache_(cache), in_(bytes), length_(length), mutable_(mutableCollections) {}

    std::optional<Value> run(JKError* error);

private:
    bool atEnd() const { return index_ >= length_; }
    size_t remaining() const { return length_ - index_; }

    void record(const char* format, ...) __attribute__((format(printf, 2, 3)));
    size_t lineBreakAt(size_t at) const;
    // Most tokens follow another directly: only a byte that may start white
    // space or a comment sends the scan to skipSpaceAndComments.
    void skipWhiteSpace() {
        if (atEnd()) return;
        const uint8_t byte = in_[index_];
        if (byte > ' ' && byte < 0x80 && byte != '/') return;
        skipSpaceAndComments();
    }
    void skipSpaceAndComments();
    // Takes the single-byte token `punctuation` when it comes next, as
    // nextToken would; leaves everything as it was otherwise.
    bool take(char punctuation) {
        if (index_ < length_ && in_[index_] == static_cast<uint8_t>(punctuation)) {
            ++index_;
            return true;
        }
        return takeAfterWhiteSpace(punctuation);
    }
    bool takeAfterWhiteSpace(char punctuation);
    bool nextToken();
    // nextToken where a key is wanted: a string, read without the general dispatch.
    bool nextKeyToken();
    // What stood where a value may: a value read into `out` (as nextToken and
    // buildValue would have), another token (read by nextToken, its kind in
    // token_), or a failure already recorded.
    enum class Read { Value, OtherToken, Failed };
    Read readValue(Value& out, size_t depth);
    void startToken() {
        token_ = Token::Invalid;
        tokenStart_ = index_;
        tokenLength_ = 0;
    }
    bool stringToken();
    // The literal `word` with its token, or the unexpected-token error.
    bool literalToken(std::string_view word, Token token);
    bool scanString();
    // The general scan of the string whose text starts at `first`, from `at`
    // on: the bytes before it are plain text or valid UTF-8.
    bool scanString(size_t first, size_t at);
    bool scanNumber();
    bool convertNumber(const char* begin, size_t length, bool floating, bool negative);
    bool buildValue(Value& out, size_t depth);
    bool buildArray(Value& out, size_t depth);
    bool buildDictionary(Value& out, size_t depth);
    // Make the container of the values or pairs gathered from `start` on.
    bool finishArray(Value& out, size_t start, size_t depth);
    bool finishDictionary(Value& out, size_t start, size_t depth);
    void recordExpectation(bool valueAllowed, bool commaAllowed, bool closeAllowed, const char* valuePhrase,
                           const char* closePhrase);

    uint64_t options_;
    JKTokenCache& cache_;
    const uint8_t* in_;
    size_t length_;
    bool mutable_;
    size_t index_ = 0;
    size_t line_ = 1;
    size_t lineStart_ = 0;

    Token token_ = Token::Invalid;
    size_t tokenStart_ = 0;
    size_t tokenLength_ = 0;
    std::string string_;      // room for a string token's value when it had to be unescaped
    std::string_view value_;  // a string token's value: in the input, or in string_
    bool valueInInput() const { return value_.data() != string_.data(); }
    // The bytes of the input from the start of a value that lies in it.
    size_t readableFromValue() const {
        return length_ - static_cast<size_t>(reinterpret_cast<const uint8_t*>(value_.data()) - in_);
    }
    Value number_;            // the value of a number token

    // The pending values and pairs of every open container, each container's
    // from the position where it began.
    std::vector<Value> values_;
    std::vector<JKDictionary::Pair> pairs_;
    std::deque<std::string> keyCopies_;  // keys that could not be handed over in the input, for the whole parse

    std::optional<JKError> error_;
};

void JSONDecoder::Parse::record(const char* format, ...) {
    if (error_) return;  // only the first error of a parse counts
    va_list args;
    va_start(args, format);
    char buffer[512];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    JKError error;
    error.domain = kJKErrorDomain;
    error.code = -1;
    error.description = buffer;
    error.userInfo.set(kNSLocalizedDescriptionKey, Value(error.description));
    error.userInfo.set(kJKAtIndexKey, Value(static_cast<unsigned long long>(index_)));
    error.userInfo.set(kJKLineNumberKey, Value(static_cast<unsigned long long>(line_)));
    error_ = std::move(error);
}

// The byte length of a line break at `at`, or 0.
size_t JSONDecoder::Parse::lineBreakAt(size_t at) const {
    const size_t left = length_ - at;
    const uint8_t byte = in_[at];
    if (byte == '\n') return 1;
    if (byte == '\r') return left >= 2 && in_[at + 1] == '\n' ? 2 : 1;
    if (options_ & JKDecodeUnicodeLineBreaks) {
        if (byte == 0xC2 && left >= 2 && in_[at + 1] == 0x85) return 2;
        if (byte == 0xE2 && left >= 3 && in_[at + 1] == 0x80 && (in_[at + 2] == 0xA8 || in_[at + 2] == 0xA9)) return 3;
    }
    return 0;
}

void JSONDecoder::Parse::skipSpaceAndComments() {
    while (!atEnd()) {
        const uint8_t byte = in_[index_];
        if (byte == ' ' || byte == '\t') {
            ++index_;
            continue;
        }
        if (size_t breakLength = lineBreakAt(index_)) {
            index_ += breakLength;
            ++line_;
            lineStart_ = index_;
            continue;
        }
        if (byte == '/' && (options_ & JKDecodeAllowComments) && remaining() >= 2) {
            if (in_[index_ + 1] == '/') {
                index_ += 2;
                while (!atEnd()) {
                    if (size_t breakLength = lineBreakAt(index_)) {
                        index_ += breakLength;
                        ++line_;
                        lineStart_ = index_;
                        break;
                    }
                    ++index_;
                }
                continue;
            }
            if (in_[index_ + 1] == '*') {
                index_ += 2;
                while (!atEnd()) {
                    if (remaining() >= 2 && in_[index_] == '*' && in_[index_ + 1] == '/') {
                        index_ += 2;
                        break;
                    }
                    if (size_t breakLength = lineBreakAt(index_)) {
                        index_ += breakLength;
                        ++line_;
                        lineStart_ = index_;
                    } else {
                        ++index_;
                    }
                }
                continue;
            }
        }
        return;
    }
}

bool JSONDecoder::Parse::takeAfterWhiteSpace(char punctuation) {
    const size_t index = index_, line = line_, lineStart = lineStart_;
    skipWhiteSpace();
    if (index_ < length_ && in_[index_] == static_cast<uint8_t>(punctuation)) {
        ++index_;
        return true;
    }
    index_ = index, line_ = line, lineStart_ = lineStart;
    return false;
}

bool JSONDecoder::Parse::stringToken() {
    if (scanString()) return true;
    record("Invalid string.");
    record("%s", kUnexpectedToken);
    return false;
}

// A literal needs at least one byte after its word.
bool JSONDecoder::Parse::literalToken(std::string_view word, Token token) {
    if (remaining() > word.size() &&
        std::string_view(reinterpret_cast<const char*>(in_ + index_), word.size()) == word) {
        token_ = token;
        tokenLength_ = word.size();
        index_ += word.size();
        return true;
    }
    record("%s", kUnexpectedToken);
    return false;
}

bool JSONDecoder::Parse::nextToken() {
    skipWhiteSpace();
    startToken();
    if (atEnd()) {
        record("%s", kUnexpectedToken);
        return false;
    }
    auto single = [&](Token token) {
        token_ = token;
        tokenLength_ = 1;
        ++index_;
        return true;
    };
    switch (in_[index_]) {
        case ',':
            return single(Token::Comma);
        case ':':
            return single(Token::Colon);
        case '[':
            return single(Token::ArrayBegin);
        case ']':
            return single(Token::ArrayEnd);
        case '{':
            return single(Token::ObjectBegin);
        case '}':
            return single(Token::ObjectEnd);
        case 't':
            return literalToken("true", Token::True);
        case 'f':
            return literalToken("false", Token::False);
        case 'n':
            return literalToken("null", Token::Null);
        case '"':
            return stringToken();
        default:
            if (in_[index_] == '-' || (in_[index_] >= '0' && in_[index_] <= '9')) return scanNumber();
            record("%s", kUnexpectedToken);
            return false;
    }
}

bool JSONDecoder::Parse::nextKeyToken() {
    skipWhiteSpace();
    if (atEnd() || in_[index_] != '"') return nextToken();
    startToken();
    return stringToken();
}

// One dispatch on the value's first byte where nextToken and buildValue
// would make two.
JSONDecoder::Parse::Read JSONDecoder::Parse::readValue(Value& out, size_t depth) {
    skipWhiteSpace();
    if (atEnd()) return nextToken() ? Read::OtherToken : Read::Failed;
    startToken();
    const uint8_t byte = in_[index_];
    switch (byte) {
        case '"':
            if (!stringToken()) return Read::Failed;
            out = cache_.string(value_, valueInInput() ? readableFromValue() : value_.size());
            return Read::Value;
        case '[':
        case '{':
            token_ = byte == '[' ? Token::ArrayBegin : Token::ObjectBegin;
            tokenLength_ = 1;
            ++index_;
            return buildValue(out, depth) ? Read::Value : Read::Failed;
        case 't':
            if (!literalToken("true", Token::True)) return Read::Failed;
            out = trueValue();
            return Read::Value;
        case 'f':
            if (!literalToken("false", Token::False)) return Read::Failed;
            out = falseValue();
            return Read::Value;
        case 'n':
            if (!literalToken("null", Token::Null)) return Read::Failed;
            out = Value();
            return Read::Value;
        default:
            if (byte == '-' || (byte >= '0' && byte <= '9')) {
                if (!scanNumber()) return Read::Failed;
                out = number_;
                return Read::Value;
            }
            return nextToken() ? Read::OtherToken : Read::Failed;
    }
}

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
            token_ = Token::String;
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
            token_ = Token::String;
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
                const int digit = hexDigit(in_[at]);
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
    token_ = Token::Number;
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

void JSONDecoder::Parse::recordExpectation(bool valueAllowed, bool commaAllowed, bool closeAllowed,
                                           const char* valuePhrase, const char* closePhrase) {
    const char* phrases[3];
    int count = 0;
    if (valueAllowed) phrases[count++] = valuePhrase;
    if (commaAllowed) phrases[count++] = "a comma";
    if (closeAllowed) phrases[count++] = closePhrase;
    const int width = static_cast<int>(tokenLength_);
    const char* found = reinterpret_cast<const char*>(in_ + tokenStart_);
    if (count == 1) record("Expected %s, not '%*.*s'", phrases[0], width, width, found);
    if (count == 2) record("Expected %s or %s, not '%*.*s'", phrases[0], phrases[1], width, width, found);
    if (count == 3)
        record("Expected %s, %s, or %s, not '%*.*s", phrases[0], phrases[1], phrases[2], width, width, found);
}

bool JSONDecoder::Parse::buildValue(Value& out, size_t depth) {
    switch (token_) {
        case Token::Number:
            out = number_;
            return true;
        case Token::String:
            out = cache_.string(value_, valueInInput() ? readableFromValue() : value_.size());
            return true;
        case Token::True:
            out = trueValue();
            return true;
        case Token::False:
            out = falseValue();
            return true;
        case Token::Null:
            out = Value();
            return true;
        case Token::ArrayBegin:
        case Token::ObjectBegin:
            if (depth >= kJKMaximumDepth) {
                record("Arrays and objects are nested deeper than %zu levels.", kJKMaximumDepth);
                return false;
            }
            return token_ == Token::ArrayBegin ? buildArray(out, depth + 1) : buildDictionary(out, depth + 1);
        default:
            record("Internal error: Unknown token type. %s line #%d", __FILE__, __LINE__);
            return false;
    }
}

bool JSONDecoder::Parse::finishArray(Value& out, size_t start, size_t depth) {
    auto storage = foundation::makeNode<JKArray>(collectionKey(), std::span<Value>(values_).subspan(start), mutable_);
    if (depth == 1) storage->setSourceLength(collectionKey(), length_);
    values_.resize(start);
    out = Value(Array(std::move(storage)));
    return true;
}

bool JSONDecoder::Parse::finishDictionary(Value& out, size_t start, size_t depth) {
    auto storage = foundation::makeNode<JKDictionary>(collectionKey(), pairs_, start, mutable_);
    if (depth == 1) storage->setSourceLength(collectionKey(), length_);
    pairs_.erase(pairs_.begin() + static_cast<std::ptrdiff_t>(start), pairs_.end());
    out = Value(Dictionary(std::move(storage)));
    return true;
}

bool JSONDecoder::Parse::buildArray(Value& out, size_t depth) {
    const size_t start = values_.size();
    bool valueAllowed = true, commaAllowed = false, closeAllowed = true;
    while (!atEnd()) {
        if (valueAllowed) {
            Value value;
            const Read read = readValue(value, depth);
            if (read == Read::Failed) return false;
            if (read == Read::Value) {
                values_.push_back(std::move(value));
                valueAllowed = false;
                commaAllowed = closeAllowed = true;
                // The usual token after a value, taken without the general scan.
                if (take(',')) {
                    valueAllowed = true;
                    commaAllowed = closeAllowed = false;
                    continue;
                }
                if (take(']')) return finishArray(out, start, depth);
                continue;
            }
        } else if (!nextToken()) {
            return false;
        }
        if (isValueToken(token_)) {
            record("Unexpected value.");
            return false;
        } else if (token_ == Token::ArrayEnd) {
            if (!closeAllowed) {
                record("Unexpected ']'.");
                return false;
            }
            return finishArray(out, start, depth);
        } else if (token_ == Token::Comma) {
            if (!commaAllowed) {
                record("Unexpected ','.");
                return false;
            }
            valueAllowed = true;
            commaAllowed = closeAllowed = false;
        } else {
            recordExpectation(valueAllowed, commaAllowed, closeAllowed, "a value", "a ']'");
            return false;
        }
    }
    return false;
}

bool JSONDecoder::Parse::buildDictionary(Value& out, size_t depth) {
    const size_t start = pairs_.size();
    bool keyAllowed = true, commaAllowed = false, closeAllowed = true;
    while (!atEnd()) {
        if (!nextKeyToken()) return false;
        if (token_ == Token::ObjectEnd) {
            if (!closeAllowed) {
                record("Unexpected '}'.");
                return false;
            }
            return finishDictionary(out, start, depth);
        }
        if (token_ == Token::Comma) {
            if (!commaAllowed) {
                record("Unexpected ','.");
                return false;
            }
            keyAllowed = true;
            commaAllowed = closeAllowed = false;
            continue;
        }
        if (token_ != Token::String) {
            recordExpectation(keyAllowed, commaAllowed, closeAllowed, "a \"STRING\"", "a '}'");
            return false;
        }
        if (!keyAllowed) {
            record("Unexpected string.");
            return false;
        }
        // A key as written stays in the input, which outlives the parse. One
        // unescaped into string_ (which the next token reuses), or too near
        // the input's end to read a pair's span of it, is copied aside with
        // that span of padding.
        std::string_view key = value_;
        if (!valueInInput() || readableFromValue() < JKDictionary::kPairKeyReadable) {
            std::string& copy = keyCopies_.emplace_back(value_);
            copy.append(JKDictionary::kPairKeyReadable, '\0');
            key = std::string_view(copy.data(), value_.size());
        }
        JKDictionary::Pair pair{cache_.keyHash(key, JKDictionary::kPairKeyReadable), key, Value()};
        if (!take(':')) {
            if (!nextToken()) return false;
            if (token_ != Token::Colon) {
                record("Expected ':'.");
                return false;
            }
        }
        switch (readValue(pair.value, depth)) {
            case Read::Failed:
                return false;
            case Read::OtherToken:
                recordExpectation(keyAllowed, commaAllowed, closeAllowed, "a value", "a '}'");
                return false;
            case Read::Value:
                break;
        }
        pairs_.push_back(std::move(pair));
        keyAllowed = false;
        commaAllowed = closeAllowed = true;
        // The usual token after a value, taken without the general scan.
        if (take(',')) {
            keyAllowed = true;
            commaAllowed = closeAllowed = false;
            continue;
        }
        if (take('}')) return finishDictionary(out, start, depth);
    }
    return false;
}

std::optional<Value> JSONDecoder::Parse::run(JKError* error) {
    std::optional<Value> result;
    if (length_ > 0 && nextToken()) {
        if (token_ != Token::ArrayBegin && token_ != Token::ObjectBegin) {
            record("Expected either '[' or '{'.");
        } else {
            Value value;
            if (buildValue(value, 0)) {
                skipWhiteSpace();
                if (!atEnd() && !(options_ & JKDecodeAllowTrailingText)) {
                    record(
                        "A valid JSON object was parsed but there were additional non-white-space characters "
                        "remaining.");
                } else {
                    result = std::move(value);
                }
            }
        }
    }
    if (!result) {
        if (atEnd()) record("Reached the end of the buffer.");
        record("Unable to parse JSON.");
    }
    if (error && error_) *error = *error_;
    return result;
}

JSONDecoder::JSONDecoder(uint64_t parseOptions) : options_(parseOptions) {
    if (parseOptions >= 16) throw foundation::NSInvalidArgumentException("Invalid parse options.");
}

std::optional<Value> JSONDecoder::parse(const char* bytes, size_t length, bool mutableCollections, JKError* error) {
    if (!bytes) throw foundation::NSInvalidArgumentException("The string argument is NULL.");
    // The containers of one document are built together and mostly die
    // together: they share the arena's chunks, laid out in document order.
    foundation::ValueArena::Scope arena;
    return Parse(options_, *cache_, reinterpret_cast<const uint8_t*>(bytes), length, mutableCollections).run(error);
}

std::optional<Value> JSONDecoder::objectWithUTF8String(const char* bytes, size_t length, JKError* error) {
    return parse(bytes, length, false, error);
}

std::optional<Value> JSONDecoder::mutableObjectWithUTF8String(const char* bytes, size_t length, JKError* error) {
    return parse(bytes, length, true, error);
}

namespace {

const char* bytesOf(const foundation::Bytes& data) {
    static const char empty = 0;
    return data.empty() ? &empty : reinterpret_cast<const char*>(data.data());
}

}  // namespace

std::optional<Value> JSONDecoder::objectWithData(const foundation::Bytes& data, JKError* error) {
    return parse(bytesOf(data), data.size(), false, error);
}

std::optional<Value> JSONDecoder::mutableObjectWithData(const foundation::Bytes& data, JKError* error) {
    return parse(bytesOf(data), data.size(), true, error);
}

std::optional<Value> objectFromJSONString(std::string_view text, uint64_t parseOptions, JKError* error) {
    return JSONDecoder(parseOptions).objectWithUTF8String(text.data() ? text.data() : "", text.size(), error);
}

std::optional<Value> objectFromJSONData(const foundation::Bytes& data, uint64_t parseOptions, JKError* error) {
    return JSONDecoder(parseOptions).objectWithData(data, error);
}

std::optional<Value> mutableObjectFromJSONString(std::string_view text, uint64_t parseOptions, JKError* error) {
    return JSONDecoder(parseOptions).mutableObjectWithUTF8String(text.data() ? text.data() : "", text.size(), error);
}

std::optional<Value> mutableObjectFromJSONData(const foundation::Bytes& data, uint64_t parseOptions, JKError* error) {
    return JSONDecoder(parseOptions).mutableObjectWithData(data, error);
}

}  // namespace jsonkit
