#include "components/jsonkit/JKSerializer.h"

#include "components/jsonkit/JKCollections.h"
#include "components/jsonkit/JKDoubleText.h"
#include "components/jsonkit/JKUtf8.h"
#include "platform/foundation/Utf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <typeinfo>

namespace jsonkit {

using foundation::Value;

namespace {

// The text being written: one buffer grown ahead of the writes and filled
// through a cursor, so most writes are a bounds check and a copy.
class Output {
public:
    // The cursor, with room for at least `bytes` more after it.
    char* room(size_t bytes) {
        if (static_cast<size_t>(end_ - at_) < bytes) grow(bytes);
        return at_;
    }
    // Moves the cursor to `to`, past what was written from room().
    void advance(char* to) { at_ = to; }
    void put(char c) {
        *room(1) = c;
        ++at_;
    }
    void append(std::string_view text) {
        std::memcpy(room(text.size()), text.data(), text.size());
        at_ += text.size();
    }
    // Room for `bytes` in all, made ready as the writes reach it.
    void reserve(size_t bytes) { text_.reserve(bytes); }
    // The text written; the buffer is empty afterwards.
    std::string take() {
        text_.resize(used());
        at_ = end_ = nullptr;
        return std::move(text_);
    }

private:
    size_t used() const { return at_ ? static_cast<size_t>(at_ - text_.data()) : 0; }
    // The room is made ready a step at a time, so the zeros it is filled
    // with are still in the cache when the text overwrites them.
    void grow(size_t bytes) {
        constexpr size_t kStep = 64 * 1024;
        const size_t used = this->used();
        const size_t wanted = used + std::max(bytes, kStep);
        if (wanted > text_.capacity()) text_.reserve(std::max(wanted, 2 * text_.capacity()));
        text_.resize(wanted);
        at_ = text_.data() + used;
        end_ = text_.data() + text_.size();
    }

    std::string text_;  // its size is the room; the bytes from the cursor on are not text yet
    char* at_ = nullptr;
    char* end_ = nullptr;
};

// One call: the output text, the pretty-print depth and the first error.
class Encoder {
public:
    Encoder(uint64_t options, uint64_t encodeOption, const JKUnsupportedFormatter& formatter)
        : options_(options), encodeOption_(encodeOption), formatter_(formatter) {}

    bool write(const Value& value, size_t depth, bool substitute);
    bool writeString(std::string_view text);
    void fail(const char* format, ...) __attribute__((format(printf, 2, 3)));

    Output out;
    std::optional<JKError> error;

private:
    bool writeNumber(const Value& number, Value::Type type);
    const uint8_t* copyPlain(const uint8_t* at, const uint8_t* end, bool slash);
    void escape(uint32_t unit);
    void open(char bracket);
    void close(char bracket);
    void separator();
    void indent();

    uint64_t options_;
    uint64_t encodeOption_;
    // The entries of the dictionaries being written, innermost last.
    std::vector<const foundation::Dictionary::Entry*> entries_;
    const JKUnsupportedFormatter& formatter_;
    size_t indentDepth_ = 0;
};

void Encoder::fail(const char* format, ...) {
    if (error) return;
    va_list args;
    va_start(args, format);
    char buffer[512];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    JKError recorded;
    recorded.domain = kJKErrorDomain;
    recorded.code = -1;
    recorded.description = buffer;
    recorded.userInfo.set(kNSLocalizedDescriptionKey, Value(recorded.description));
    error = std::move(recorded);
}

void Encoder::indent() {
    char* at = out.room(1 + 2 * indentDepth_);
    *at = '\n';
    std::memset(at + 1, ' ', 2 * indentDepth_);
    out.advance(at + 1 + 2 * indentDepth_);
}

void Encoder::open(char bracket) {
    out.put(bracket);
    if (options_ & JKEncodePrettyPrint) {
        ++indentDepth_;
        indent();
    }
}

void Encoder::close(char bracket) {
    if (options_ & JKEncodePrettyPrint) {
        --indentDepth_;
        indent();
    }
    out.put(bracket);
}

void Encoder::separator() {
    out.put(',');
    if (options_ & JKEncodePrettyPrint) indent();
}

// Copies the plain bytes from `at` on to the output and returns where they
// stop: sixteen bytes go over in one step, and only the plain ones count.
const uint8_t* Encoder::copyPlain(const uint8_t* at, const uint8_t* end, bool slash) {
#if defined(__SSE2__)
    while (end - at >= 16) {
        char* to = out.room(16);
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), bytes);
        if (const unsigned stop = jkStopBits(bytes, slash)) {
            const auto plain = static_cast<size_t>(__builtin_ctz(stop));
            out.advance(to + plain);
            return at + plain;
        }
        out.advance(to + 16);
        at += 16;
    }
    // The last 4 to 15 bytes go over in two overlapping pieces, the second
    // ending at `end`, whose stop bits are moved to the bytes they stand for.
    const auto left = static_cast<size_t>(end - at);
    if (left >= 4) {
        char* to = out.room(16);
        uint64_t head = 0, tail = 0;
        size_t piece = 8;
        if (left >= 8) {
            std::memcpy(&head, at, 8);
            std::memcpy(&tail, end - 8, 8);
            std::memcpy(to, &head, 8);
            std::memcpy(to + left - 8, &tail, 8);
        } else {
            uint32_t head32 = 0, tail32 = 0;
            std::memcpy(&head32, at, 4);
            std::memcpy(&tail32, end - 4, 4);
            std::memcpy(to, &head32, 4);
            std::memcpy(to + left - 4, &tail32, 4);
            head = head32;
            tail = tail32;
            piece = 4;
        }
        const unsigned bits = jkStopBits(_mm_set_epi64x(static_cast<int64_t>(tail), static_cast<int64_t>(head)), slash);
        const unsigned pieceBits = (1u << piece) - 1;
        const unsigned stop = (bits & pieceBits) | (((bits >> 8) & pieceBits) << (left - piece));
        const size_t plain = stop ? static_cast<size_t>(__builtin_ctz(stop)) : left;
        out.advance(to + plain);
        return at + plain;
    }
#endif
    char* to = out.room(static_cast<size_t>(end - at));
    for (; at < end && jkIsPlain(*at, slash); ++at) *to++ = static_cast<char>(*at);
    out.advance(to);
    return at;
}

// Writes "\u" and a UTF-16 unit in four lowercase hex digits.
void Encoder::escape(uint32_t unit) {
    static constexpr char kHex[] = "0123456789abcdef";
    char* to = out.room(6);
    to[0] = '\\';
    to[1] = 'u';
    for (int i = 0; i < 4; ++i) to[2 + i] = kHex[(unit >> (12 - 4 * i)) & 0xF];
    out.advance(to + 6);
}

bool Encoder::writeString(std::string_view text) {
    const bool quotes = !(encodeOption_ & JKEncodeOmitQuotes);
    const bool escapeUnicode = options_ & JKEncodeEscapeUnicode;
    const bool escapeSlash = options_ & JKEncodeEscapeForwardSlash;
    if (quotes) out.put('"');
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const uint8_t* const end = bytes + text.size();
    for (const uint8_t* at = bytes; (at = copyPlain(at, end, escapeSlash)) < end;) {
        const uint8_t byte = *at;
        if (byte >= 0x80) {
            uint32_t codePoint = 0;
            const size_t length = foundation::decodeUtf8(text, static_cast<size_t>(at - bytes), codePoint);
            if (length == 0) {
                fail("An error occurred converting the contents of a NSString to UTF8.");
                return false;
            }
            if (!escapeUnicode) {  // valid UTF-8 goes over as it is
                out.append(std::string_view(reinterpret_cast<const char*>(at), length));
                at += length;
                continue;
            }
            const uint8_t* next = nullptr;
            if (jkDecodeUtf8(at, end, codePoint, next) != JKUtf8Result::Valid) {
                fail("Error converting UTF8.");
                return false;
            }
            if (codePoint <= 0xFFFF) {
                escape(codePoint);
            } else {
                escape((codePoint >> 10) + 0xD7C0);
                escape((codePoint & 0x3FF) | 0xDC00);
            }
            at = next;
            continue;
        }
        switch (byte) {
            case '\b':
                out.append("\\b");
                break;
            case '\t':
                out.append("\\t");
                break;
            case '\n':
                out.append("\\n");
                break;
            case '\f':
                out.append("\\f");
                break;
            case '\r':
                out.append("\\r");
                break;
            case '"':
                out.append("\\\"");
                break;
            case '\\':
                out.append("\\\\");
                break;
            case '/':
                out.append("\\/");
                break;
            default:
                escape(byte);
        }
        ++at;
    }
    if (quotes) out.put('"');
    return true;
}

bool Encoder::writeNumber(const Value& number, Value::Type type) {
    if (type == Value::Type::Boolean) {
        out.append(number.asBool() ? "true" : "false");
        return true;
    }
    if (number.isDecimal()) {  // an exact literal read from JSON text is written back unchanged
        out.append(number.decimalText());
        return true;
    }
    constexpr size_t kLongest = 32;  // a double's 17 digits, sign, point and exponent; any 64-bit integer
    char* const text = out.room(kLongest);
    if (type == Value::Type::Real) {
        const double value = number.asDouble();
        if (!std::isfinite(value)) {
            fail("Floating point values must be finite.  JSON does not support NaN or Infinity.");
            return false;
        }
        static_assert(kJKDoubleTextBytes <= kLongest);
        out.advance(jkWriteDouble(text, value));  // as "%.17g" formats, but independent of the locale
        return true;
    }
    out.advance(number.isUnsigned() ? std::to_chars(text, text + kLongest, number.asUInt()).ptr
                                    : std::to_chars(text, text + kLongest, number.asInt()).ptr);
    return true;
}

// The values of a container sit apart in memory and each write starts by
// reading one: asking for them ahead lets the reads overlap instead of
// waiting for each in turn. A value's node is asked for some values ahead,
// and what lies behind the node (a string's text, a container's table or
// slots) a value or two ahead, by when the node is in.
constexpr size_t kNodeDistance = 8;
constexpr size_t kContentsDistance = 2;

void prefetchNode(const Value& value) { __builtin_prefetch(value.identity()); }

void prefetchContents(const Value& value) {
    switch (value.type()) {
        case Value::Type::String:
            __builtin_prefetch(value.asString().data());
            break;
        case Value::Type::Dictionary: {
            const foundation::DictionaryStorage& dictionary = *value.dictionaryStorage();
            if (typeid(dictionary) == typeid(JKDictionary)) static_cast<const JKDictionary&>(dictionary).prefetch();
            break;
        }
        case Value::Type::Array: {
            const foundation::ArrayStorage& array = *value.arrayStorage();
            if (typeid(array) == typeid(JKArray)) __builtin_prefetch(static_cast<const JKArray&>(array).values().data());
            break;
        }
        default:
            break;
    }
}

bool Encoder::write(const Value& value, size_t depth, bool substitute) {
    const Value::Type type = value.type();
    switch (type) {
        case Value::Type::Null:
            out.append("null");
            return true;
        case Value::Type::Boolean:
        case Value::Type::Integer:
        case Value::Type::Real:
            return writeNumber(value, type);
        case Value::Type::String:
            return writeString(value.asString());
        case Value::Type::Array:
        case Value::Type::Dictionary:
            break;
        default: {
            if (substitute) {
                fail(
                    "Unable to serialize object class %s that was returned by the unsupported class formatter.  "
                    "Original "
                    "object class was %s.",
                    value.typeName(), "NULL");
                return false;
            }
            std::optional<Value> replacement = formatter_ ? formatter_(value) : std::nullopt;
            if (!replacement) {
                fail("Unable to serialize object class %s.", value.typeName());
                return false;
            }
            const Value::Type type = replacement->type();
            if (type == Value::Type::Data || type == Value::Type::Date || type == Value::Type::Uid ||
                type == Value::Type::Object) {
                fail(
                    "Unable to serialize object class %s that was returned by the unsupported class formatter.  "
                    "Original "
                    "object class was %s.",
                    replacement->typeName(), value.typeName());
                return false;
            }
            return write(*replacement, depth, true);
        }
    }
    if (depth >= kJKMaximumDepth) {
        fail("Arrays and objects are nested deeper than %zu levels.", kJKMaximumDepth);
        return false;
    }
    // The walk reads the storages without taking references. A formatter may
    // change the tree while it is walked, so with one the container is held.
    std::optional<Value> held;
    if (formatter_) held = value;
    if (type == Value::Type::Array) {
        const foundation::ArrayStorage& array = *value.arrayStorage();
        const uint64_t mutations = array.mutations();
        const std::span<const Value> items = array.values();
        open('[');
        for (size_t index = 0; index < std::min(items.size(), kNodeDistance); ++index) prefetchNode(items[index]);
        for (size_t index = 0; index < items.size(); ++index) {
            if (index + kNodeDistance < items.size()) prefetchNode(items[index + kNodeDistance]);
            if (index + kContentsDistance < items.size()) prefetchContents(items[index + kContentsDistance]);
            if (index > 0) separator();
            if (!write(items[index], depth + 1, false)) return false;
            if (array.mutations() != mutations) throw foundation::CollectionMutatedError();
        }
        close(']');
        return true;
    }
    // The entries are gathered first, in one pass over the table that also
    // starts loading their values, and written after (sorted when pretty).
    const foundation::DictionaryStorage& dictionary = *value.dictionaryStorage();
    const uint64_t mutations = dictionary.mutations();
    const size_t first = entries_.size();
    if (typeid(dictionary) == typeid(JKDictionary)) {
        // The decoder's own tables, walked in place rather than a virtual call per entry.
        const auto& table = static_cast<const JKDictionary&>(dictionary);
        table.prefetch();
        table.gather(entries_);
        for (size_t i = first; i < entries_.size(); ++i) prefetchNode(entries_[i]->second);
    } else {
        size_t position = 0;
        for (const auto* entry = dictionary.entryFrom(position); entry; entry = dictionary.entryFrom(++position)) {
            prefetchNode(entry->second);
            entries_.push_back(entry);
        }
    }
    const size_t last = entries_.size();
    const bool pretty = options_ & JKEncodePrettyPrint;
    if (pretty)
        std::sort(entries_.begin() + static_cast<std::ptrdiff_t>(first), entries_.end(),
                  [](const auto* a, const auto* b) { return a->first < b->first; });
    const std::string_view colon = pretty ? ": " : ":";
    open('{');
    for (size_t i = first; i < last; ++i) {
        if (i + kContentsDistance < last) prefetchContents(entries_[i + kContentsDistance]->second);
        if (i > first) separator();
        const foundation::Dictionary::Entry& entry = *entries_[i];
        if (!writeString(entry.first)) return false;
        out.append(colon);
        if (!write(entry.second, depth + 1, false)) return false;
        if (dictionary.mutations() != mutations) throw foundation::CollectionMutatedError();
    }
    entries_.resize(first);
    close('}');
    return true;
}

}  // namespace

namespace {

// Room for the text of a document the decoder read: its source length and a
// little more, as escapes and numbers may come out longer than they went in.
// Nothing for any other value, whose text grows as it is written.
size_t expectedLength(const Value& object) {
    size_t source = 0;
    if (object.isArray()) {
        const foundation::ArrayStorage& array = *object.arrayStorage();
        if (typeid(array) == typeid(JKArray)) source = static_cast<const JKArray&>(array).sourceLength();
    } else if (object.isDictionary()) {
        const foundation::DictionaryStorage& dictionary = *object.dictionaryStorage();
        if (typeid(dictionary) == typeid(JKDictionary))
            source = static_cast<const JKDictionary&>(dictionary).sourceLength();
    }
    return source + source / 8;
}

// The text of one call, or none with the first error recorded.
std::optional<std::string> encodeText(const Value& object, uint64_t options, uint64_t encodeOption,
                                      const JKUnsupportedFormatter& formatter, JKError* error) {
    Encoder encoder(options, encodeOption, formatter);
    bool written = false;
    if ((encodeOption & JKEncodeCollectionOnly) && !object.isArray() && !object.isDictionary()) {
        encoder.fail("Unable to serialize object class %s, expected a NSArray or NSDictionary.", object.typeName());
    } else if ((encodeOption & JKEncodeStringOnly) && !object.isString()) {
        encoder.fail("Unable to serialize object class %s, expected a NSString.", object.typeName());
    } else {
        encoder.out.reserve(expectedLength(object));
        written = encoder.write(object, 0, false);
    }
    const uint64_t encodeAs = encodeOption & 7;
    if (written && encodeAs != JKEncodeAsData && encodeAs != JKEncodeAsString) {
        encoder.fail("Unknown encode as type.");
        written = false;
    }
    if (error && encoder.error) *error = *encoder.error;
    return written ? std::optional<std::string>(encoder.out.take()) : std::nullopt;
}

}  // namespace

std::optional<Value> JKSerializer::serializeObject(const Value& object, uint64_t options, uint64_t encodeOption,
                                                   const JKUnsupportedFormatter& formatter, JKError* error) {
    std::optional<std::string> text = encodeText(object, options, encodeOption, formatter, error);
    if (!text) return std::nullopt;
    if ((encodeOption & 7) == JKEncodeAsData) return Value(foundation::Bytes(text->begin(), text->end()));
    return Value(std::move(*text));
}

std::optional<std::string> JSONString(const Value& collection, uint64_t options,
                                      const JKUnsupportedFormatter& formatter, JKError* error) {
    return encodeText(collection, options, JKEncodeAsString | JKEncodeCollectionOnly, formatter, error);
}

std::optional<foundation::Bytes> JSONData(const Value& collection, uint64_t options,
                                          const JKUnsupportedFormatter& formatter, JKError* error) {
    std::optional<std::string> text =
        encodeText(collection, options, JKEncodeAsData | JKEncodeCollectionOnly, formatter, error);
    return text ? std::optional<foundation::Bytes>(foundation::Bytes(text->begin(), text->end())) : std::nullopt;
}

std::optional<std::string> JSONStringFromString(std::string_view text, uint64_t options, bool includeQuotes,
                                                JKError* error) {
    const uint64_t encodeOption =
        JKEncodeAsString | JKEncodeStringOnly | (includeQuotes ? 0 : uint64_t{JKEncodeOmitQuotes});
    return encodeText(Value(text), options, encodeOption, nullptr, error);
}

}  // namespace jsonkit
