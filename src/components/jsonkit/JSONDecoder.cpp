#include "components/jsonkit/JSONDecoder.h"

#include "components/jsonkit/JKParse.h"
#include "platform/foundation/Exceptions.h"
#include "platform/foundation/ValueArena.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>

namespace jsonkit {

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

namespace {

constexpr const char* kUnexpectedToken =
    "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', '\"STRING\"', 'NUMBER'.";

// The two booleans every parse shares, as the platform's are singletons.
const Value& trueValue() {
    static const Value value(true);
    return value;
}

const Value& falseValue() {
    static const Value value(false);
    return value;
}

bool isValueToken(JKToken token) {
    return token == JKToken::Number || token == JKToken::String || token == JKToken::ObjectBegin ||
           token == JKToken::ArrayBegin || token == JKToken::True || token == JKToken::False || token == JKToken::Null;
}

}  // namespace


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
bool JSONDecoder::Parse::literalToken(std::string_view word, JKToken token) {
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
    auto single = [&](JKToken token) {
        token_ = token;
        tokenLength_ = 1;
        ++index_;
        return true;
    };
    switch (in_[index_]) {
        case ',':
            return single(JKToken::Comma);
        case ':':
            return single(JKToken::Colon);
        case '[':
            return single(JKToken::ArrayBegin);
        case ']':
            return single(JKToken::ArrayEnd);
        case '{':
            return single(JKToken::ObjectBegin);
        case '}':
            return single(JKToken::ObjectEnd);
        case 't':
            return literalToken("true", JKToken::True);
        case 'f':
            return literalToken("false", JKToken::False);
        case 'n':
            return literalToken("null", JKToken::Null);
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
            token_ = byte == '[' ? JKToken::ArrayBegin : JKToken::ObjectBegin;
            tokenLength_ = 1;
            ++index_;
            return buildValue(out, depth) ? Read::Value : Read::Failed;
        case 't':
            if (!literalToken("true", JKToken::True)) return Read::Failed;
            out = trueValue();
            return Read::Value;
        case 'f':
            if (!literalToken("false", JKToken::False)) return Read::Failed;
            out = falseValue();
            return Read::Value;
        case 'n':
            if (!literalToken("null", JKToken::Null)) return Read::Failed;
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
        case JKToken::Number:
            out = number_;
            return true;
        case JKToken::String:
            out = cache_.string(value_, valueInInput() ? readableFromValue() : value_.size());
            return true;
        case JKToken::True:
            out = trueValue();
            return true;
        case JKToken::False:
            out = falseValue();
            return true;
        case JKToken::Null:
            out = Value();
            return true;
        case JKToken::ArrayBegin:
        case JKToken::ObjectBegin:
            if (depth >= kJKMaximumDepth) {
                record("Arrays and objects are nested deeper than %zu levels.", kJKMaximumDepth);
                return false;
            }
            return token_ == JKToken::ArrayBegin ? buildArray(out, depth + 1) : buildDictionary(out, depth + 1);
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
        } else if (token_ == JKToken::ArrayEnd) {
            if (!closeAllowed) {
                record("Unexpected ']'.");
                return false;
            }
            return finishArray(out, start, depth);
        } else if (token_ == JKToken::Comma) {
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
        if (token_ == JKToken::ObjectEnd) {
            if (!closeAllowed) {
                record("Unexpected '}'.");
                return false;
            }
            return finishDictionary(out, start, depth);
        }
        if (token_ == JKToken::Comma) {
            if (!commaAllowed) {
                record("Unexpected ','.");
                return false;
            }
            keyAllowed = true;
            commaAllowed = closeAllowed = false;
            continue;
        }
        if (token_ != JKToken::String) {
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
            std::string& copy = keyCopies_.emplace_front(value_);
            copy.append(JKDictionary::kPairKeyReadable, '\0');
            key = std::string_view(copy.data(), value_.size());
        }
        JKDictionary::Pair pair{cache_.keyHash(key, JKDictionary::kPairKeyReadable), key, Value()};
        if (!take(':')) {
            if (!nextToken()) return false;
            if (token_ != JKToken::Colon) {
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
        if (token_ != JKToken::ArrayBegin && token_ != JKToken::ObjectBegin) {
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
