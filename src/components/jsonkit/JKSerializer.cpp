#include "components/jsonkit/JKSerializer.h"

#include "components/jsonkit/JKCollections.h"
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

// One call: the output text, the pretty-print depth and the first error.
class Encoder {
public:
    Encoder(uint64_t options, uint64_t encodeOption, const JKUnsupportedFormatter& formatter)
        : options_(options), encodeOption_(encodeOption), formatter_(formatter) {}

    bool write(const Value& value, size_t depth, bool substitute);
    bool writeString(std::string_view text);
    void fail(const char* format, ...) __attribute__((format(printf, 2, 3)));

    std::string out;
    std::optional<JKError> error;

private:
    bool writeNumber(const Value& number, Value::Type type);
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
    out += '\n';
    out.append(2 * indentDepth_, ' ');
}

void Encoder::open(char bracket) {
    out += bracket;
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
    out += bracket;
}

void Encoder::separator() {
    out += ',';
    if (options_ & JKEncodePrettyPrint) indent();
}

bool Encoder::writeString(std::string_view text) {
    const bool quotes = !(encodeOption_ & JKEncodeOmitQuotes);
    const bool escapeUnicode = options_ & JKEncodeEscapeUnicode;
    const bool escapeSlash = options_ & JKEncodeEscapeForwardSlash;
    if (quotes) out += '"';
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const uint8_t* const end = bytes + text.size();
    // Bytes that go over as they are collect in one run from `pending`,
    // copied when an escape interrupts it or the text ends.
    const uint8_t* pending = bytes;
    auto flush = [&](const uint8_t* upTo) {
        out.append(reinterpret_cast<const char*>(pending), static_cast<size_t>(upTo - pending));
    };
    for (const uint8_t* at = bytes; at < end;) {
        at += jkPlainRunLength(at, end, escapeSlash);
        if (at == end) break;
        const uint8_t byte = *at;
        char escape[16];
        if (byte >= 0x80) {
            uint32_t codePoint = 0;
            const size_t offset = static_cast<size_t>(at - bytes);
            const size_t length = foundation::decodeUtf8(text, offset, codePoint);
            if (length == 0) {
                fail("An error occurred converting the contents of a NSString to UTF8.");
                return false;
            }
            if (!escapeUnicode) {
                at += length;  // valid UTF-8 stays in the run
                continue;
            }
            const uint8_t* next = nullptr;
            if (jkDecodeUtf8(at, end, codePoint, next) != JKUtf8Result::Valid) {
                fail("Error converting UTF8.");
                return false;
            }
            if (codePoint <= 0xFFFF) {
                std::snprintf(escape, sizeof escape, "\\u%4.4x", codePoint);
            } else {
                std::snprintf(escape, sizeof escape, "\\u%4.4x\\u%4.4x", (codePoint >> 10) + 0xD7C0,
                              (codePoint & 0x3FF) | 0xDC00);
            }
            flush(at);
            out += escape;
            at = pending = next;
            continue;
        }
        flush(at);
        switch (byte) {
            case '\b':
                out += "\\b";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\r':
                out += "\\r";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '/':
                out += "\\/";
                break;
            default:
                std::snprintf(escape, sizeof escape, "\\u%4.4x", byte);
                out += escape;
        }
        pending = ++at;
    }
    flush(end);
    if (quotes) out += '"';
    return true;
}

bool Encoder::writeNumber(const Value& number, Value::Type type) {
    if (type == Value::Type::Boolean) {
        out += number.asBool() ? "true" : "false";
        return true;
    }
    if (number.isDecimal()) {  // an exact literal read from JSON text is written back unchanged
        out += number.decimalText();
        return true;
    }
    char text[32];
    if (type == Value::Type::Real) {
        const double value = number.asDouble();
        if (!std::isfinite(value)) {
            fail("Floating point values must be finite.  JSON does not support NaN or Infinity.");
            return false;
        }
        // As "%.17g" formats, but independent of the locale.
        const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17);
        out.append(text, written.ptr);
        return true;
    }
    const auto written = number.isUnsigned() ? std::to_chars(text, text + sizeof text, number.asUInt())
                                             : std::to_chars(text, text + sizeof text, number.asInt());
    out.append(text, written.ptr);
    return true;
}

// The values of a container sit apart in memory and each write starts by
// reading one: asking for a batch at once lets the reads overlap instead of
// waiting for each in turn.
constexpr size_t kPrefetchBatch = 16;

void prefetch(std::span<const Value> values) {
    for (size_t i = 0; i < values.size() && i < kPrefetchBatch; ++i) __builtin_prefetch(values[i].identity());
}

bool Encoder::write(const Value& value, size_t depth, bool substitute) {
    const Value::Type type = value.type();
    switch (type) {
        case Value::Type::Null:
            out += "null";
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
        for (size_t index = 0; index < items.size(); ++index) {
            if (index % kPrefetchBatch == 0) prefetch(items.subspan(index));
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
        for (size_t index = 0, capacity = table.capacity(); index < capacity; ++index) {
            const JKHashTableEntry* bucket = table.bucket(index);
            if (!bucket) continue;
            __builtin_prefetch(bucket->entry.second.identity());
            entries_.push_back(&bucket->entry);
        }
    } else {
        size_t position = 0;
        for (const auto* entry = dictionary.entryFrom(position); entry; entry = dictionary.entryFrom(++position)) {
            __builtin_prefetch(entry->second.identity());
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
        if (i > first) separator();
        const foundation::Dictionary::Entry& entry = *entries_[i];
        if (!writeString(entry.first)) return false;
        out += colon;
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
    return written ? std::optional<std::string>(std::move(encoder.out)) : std::nullopt;
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
