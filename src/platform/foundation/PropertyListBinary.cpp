// The binary property-list format ("bplist00"): a header, the objects, a table
// of object offsets and a 32-byte trailer that locates the table and the top
// object. Containers hold object numbers ("references") of their elements.

#include "platform/foundation/PropertyListCodecs.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace foundation::plist::codec {

namespace {

constexpr char kMagic[] = "bplist00";
constexpr size_t kMagicSize = 8;
constexpr size_t kTrailerSize = 32;

enum Marker : uint8_t {
    kNull = 0x00,
    kFalse = 0x08,
    kTrue = 0x09,
    kInt = 0x10,
    kReal = 0x20,
    kDate = 0x33,
    kData = 0x40,
    kAsciiString = 0x50,
    kUtf16String = 0x60,
    kUid = 0x80,
    kArray = 0xA0,
    kSet = 0xC0,
    kDict = 0xD0,
};

void appendBigEndian(std::string& out, uint64_t value, unsigned bytes) {
    for (unsigned i = bytes; i-- > 0;) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

unsigned bytesNeeded(uint64_t value) {
    if (value <= 0xFF) return 1;
    if (value <= 0xFFFF) return 2;
    if (value <= 0xFFFFFFFFULL) return 4;
    return 8;
}

// Integers: 1, 2 and 4 bytes are unsigned, 8 bytes signed; a non-negative
// value above INT64_MAX needs 16 bytes (two's complement, upper half zero)
// or readers would take it for a negative number.
void appendUnsignedInt(std::string& out, uint64_t value) {
    if (value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
        out += static_cast<char>(kInt | 4);
        appendBigEndian(out, 0, 8);
        appendBigEndian(out, value, 8);
        return;
    }
    unsigned bytes = bytesNeeded(value);
    unsigned log2 = bytes == 1 ? 0 : bytes == 2 ? 1 : bytes == 4 ? 2 : 3;
    out += static_cast<char>(kInt | log2);
    appendBigEndian(out, value, bytes);
}

void appendSignedInt(std::string& out, int64_t value) {
    if (value >= 0) return appendUnsignedInt(out, static_cast<uint64_t>(value));
    out += static_cast<char>(kInt | 3);
    appendBigEndian(out, static_cast<uint64_t>(value), 8);
}

void appendMarker(std::string& out, uint8_t type, uint64_t count) {
    if (count < 15) {
        out += static_cast<char>(type | count);
    } else {
        out += static_cast<char>(type | 0x0F);
        appendUnsignedInt(out, count);
    }
}

// A number kept as a 32-bit float is written as one, as the platform does.
void appendFloat(std::string& out, uint8_t marker, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    out += static_cast<char>(marker);
    appendBigEndian(out, bits, 4);
}

void appendDouble(std::string& out, uint8_t marker, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    out += static_cast<char>(marker);
    appendBigEndian(out, bits, 8);
}

// UTF-8 (already validated) to UTF-16 big-endian code units.
void appendUtf16(std::string& out, std::string_view text, uint64_t& units) {
    std::string encoded;
    units = 0;
    auto unit = [&](uint32_t u) {
        encoded += static_cast<char>(u >> 8);
        encoded += static_cast<char>(u & 0xFF);
        ++units;
    };
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        uint32_t cp;
        if (*p < 0x80) {
            cp = *p++;
        } else if ((*p & 0xE0) == 0xC0) {
            cp = ((p[0] & 0x1Fu) << 6) | (p[1] & 0x3Fu);
            p += 2;
        } else if ((*p & 0xF0) == 0xE0) {
            cp = ((p[0] & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
            p += 3;
        } else {
            cp = ((p[0] & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
            p += 4;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit(0xD800 | (cp >> 10));
            unit(0xDC00 | (cp & 0x3FF));
        } else {
            unit(cp);
        }
    }
    appendMarker(out, kUtf16String, units);
    out += encoded;
}

class BinaryWriter {
public:
    static constexpr size_t kLargestSharedScalar = 256;

    Result<Bytes> write(const Value& root) {
        add(root, 0);
        if (failure_) return *failure_;
        return assemble();
    }

private:
    struct Object {
        std::string scalar;          // marker and payload of a scalar
        uint8_t containerType = 0;   // kArray or kDict; 0 for scalars
        std::vector<uint64_t> refs;  // array elements, or dictionary keys then values
    };

    uint64_t addScalar(std::string encoded) {
        // Repeated keys and small values are stored once; hashing and keeping
        // a second copy of large data would cost more than it saves.
        if (encoded.size() > kLargestSharedScalar) {
            objects_.push_back(Object{std::move(encoded), 0, {}});
            return objects_.size() - 1;
        }
        auto [it, inserted] = scalars_.try_emplace(encoded, objects_.size());
        if (inserted) objects_.push_back(Object{std::move(encoded), 0, {}});
        return it->second;
    }

    uint64_t fail(const std::string& detail) {
        if (!failure_) failure_ = writeError(detail);
        return 0;
    }

    uint64_t addString(const std::string& text) {
        if (!isValidUtf8(text)) return fail("a string is not valid UTF-8");
        std::string encoded;
        bool ascii = true;
        for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii) {
            appendMarker(encoded, kAsciiString, text.size());
            encoded += text;
        } else {
            uint64_t units = 0;
            appendUtf16(encoded, text, units);
        }
        return addScalar(std::move(encoded));
    }

    uint64_t add(const Value& value, int depth) {
        if (failure_) return 0;
        if (depth > kMaximumDepth) return fail("nesting is too deep or contains a cycle");
        std::string encoded;
        switch (value.type()) {
            case Value::Type::Null:
                return fail("null has no property-list representation");
            case Value::Type::Object:
                return fail("a native object has no property-list representation");
            case Value::Type::Boolean:
                encoded += static_cast<char>(value.asBool() ? kTrue : kFalse);
                return addScalar(std::move(encoded));
            case Value::Type::Integer:
                if (value.isUnsigned())
                    appendUnsignedInt(encoded, value.asUInt());
                else
                    appendSignedInt(encoded, value.asInt());
                return addScalar(std::move(encoded));
            case Value::Type::Real:
                if (value.numberType() == Value::kTypeFloat)
                    appendFloat(encoded, kReal | 2, static_cast<float>(value.asDouble()));
                else
                    appendDouble(encoded, kReal | 3, value.asDouble());
                return addScalar(std::move(encoded));
            case Value::Type::Date:
                appendDouble(encoded, kDate, value.asDate()->sinceReferenceDate);
                return addScalar(std::move(encoded));
            case Value::Type::Data: {
                const Bytes& data = value.asData();
                appendMarker(encoded, kData, data.size());
                encoded.append(reinterpret_cast<const char*>(data.data()), data.size());
                return addScalar(std::move(encoded));
            }
            case Value::Type::String:
                return addString(value.asString());
            case Value::Type::Uid: {
                unsigned bytes = bytesNeeded(value.asUid());
                encoded += static_cast<char>(kUid | (bytes - 1));
                appendBigEndian(encoded, value.asUid(), bytes);
                return addScalar(std::move(encoded));
            }
            case Value::Type::Array: {
                // Containers are never shared: equal arrays stay distinct objects.
                uint64_t index = objects_.size();
                objects_.push_back(Object{{}, kArray, {}});
                std::vector<uint64_t> refs;
                refs.reserve(value.asArray().size());
                for (const Value& element : value.asArray()) refs.push_back(add(element, depth + 1));
                objects_[index].refs = std::move(refs);
                return index;
            }
            case Value::Type::Dictionary: {
                uint64_t index = objects_.size();
                objects_.push_back(Object{{}, kDict, {}});
                Dictionary dictionary = value.asDictionary();
                std::vector<uint64_t> refs(2 * dictionary.size());
                size_t i = 0;
                for (const auto& [key, element] : dictionary) refs[i++] = addString(key);
                for (const auto& [key, element] : dictionary) refs[i++] = add(element, depth + 1);
                objects_[index].refs = std::move(refs);
                return index;
            }
        }
        return fail("unknown value type");
    }

    Bytes assemble() const {
        uint64_t count = objects_.size();
        unsigned refSize = bytesNeeded(count);
        std::string body;
        std::vector<uint64_t> offsets;
        offsets.reserve(count);
        body.append(kMagic, kMagicSize);
        for (const Object& object : objects_) {
            offsets.push_back(body.size());
            if (!object.containerType) {
                body += object.scalar;
                continue;
            }
            uint64_t elements = object.containerType == kDict ? object.refs.size() / 2 : object.refs.size();
            appendMarker(body, object.containerType, elements);
            for (uint64_t ref : object.refs) appendBigEndian(body, ref, refSize);
        }
        uint64_t tableOffset = body.size();
        unsigned offsetSize = bytesNeeded(tableOffset);
        for (uint64_t offset : offsets) appendBigEndian(body, offset, offsetSize);
        appendBigEndian(body, 0, 6);
        body += static_cast<char>(0);  // sort version
        body += static_cast<char>(offsetSize);
        body += static_cast<char>(refSize);
        appendBigEndian(body, count, 8);
        appendBigEndian(body, 0, 8);  // the top object is the first one
        appendBigEndian(body, tableOffset, 8);
        return Bytes(body.begin(), body.end());
    }

    std::vector<Object> objects_;
    std::unordered_map<std::string, uint64_t> scalars_;
    std::optional<Error> failure_;
};

// ---- reading ------------------------------------------------------------------

uint64_t readBigEndian(const uint8_t* p, unsigned bytes) {
    uint64_t value = 0;
    for (unsigned i = 0; i < bytes; ++i) value = (value << 8) | p[i];
    return value;
}

class BinaryReader {
public:
    BinaryReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    Value read() {
        if (size_ < kMagicSize + kTrailerSize) throw Corrupt{"binary data is too short"};
        const uint8_t* trailer = data_ + size_ - kTrailerSize;
        offsetSize_ = trailer[6];
        refSize_ = trailer[7];
        count_ = readBigEndian(trailer + 8, 8);
        uint64_t top = readBigEndian(trailer + 16, 8);
        tableOffset_ = readBigEndian(trailer + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) {
            throw Corrupt{"bad integer sizes in the trailer"};
        }
        uint64_t tableSpace = size_ - kTrailerSize;
        if (count_ == 0 || tableOffset_ < kMagicSize || tableOffset_ > tableSpace ||
            count_ > (tableSpace - tableOffset_) / offsetSize_) {
            throw Corrupt{"the offset table lies outside the data"};
        }
        if (top >= count_) throw Corrupt{"the top object does not exist"};
        state_.assign(count_, kUnvisited);
        scalars_.assign(count_, Value());
        // A container referenced from several places is expanded at each one.
        // Writers share containers rarely if ever, so a budget proportional to
        // the object count stops crafted files whose sharing would expand
        // exponentially, without refusing real ones.
        containerBudget_ = 10'000 + 4 * count_;
        return decode(top, 0);
    }

private:
    enum State : uint8_t { kUnvisited, kInProgress, kCached };

    uint64_t offsetOf(uint64_t index) const {
        uint64_t offset = readBigEndian(data_ + tableOffset_ + index * offsetSize_, offsetSize_);
        if (offset < kMagicSize || offset >= tableOffset_) throw Corrupt{"an object offset is out of range"};
        return offset;
    }

    // The count of a string, data or container: in the marker's low nibble, or
    // an integer object following it. Checks that `unit`-sized items fit.
    uint64_t readCount(uint64_t& position, uint8_t info, uint64_t unit) const {
        uint64_t count = info;
        if (info == 0x0F) {
            if (position >= tableOffset_) throw Corrupt{"truncated object"};
            uint8_t marker = data_[position++];
            if ((marker & 0xF0) != kInt || (marker & 0x0F) > 3) throw Corrupt{"bad object length"};
            unsigned bytes = 1u << (marker & 0x0F);
            if (tableOffset_ - position < bytes) throw Corrupt{"truncated object"};
            count = readBigEndian(data_ + position, bytes);
            position += bytes;
        }
        if (count > (tableOffset_ - position) / unit) throw Corrupt{"an object runs past the end of the data"};
        return count;
    }

    uint64_t readRef(uint64_t position) const {
        uint64_t ref = readBigEndian(data_ + position, refSize_);
        if (ref >= count_) throw Corrupt{"an object reference is out of range"};
        return ref;
    }

    void need(uint64_t position, uint64_t bytes) const {
        if (position > tableOffset_ || tableOffset_ - position < bytes) throw Corrupt{"truncated object"};
    }

    double readDouble(uint64_t position) const {
        need(position, 8);
        uint64_t bits = readBigEndian(data_ + position, 8);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    Value decodeInteger(uint64_t position, uint8_t info) const {
        if (info > 4) throw Corrupt{"bad integer size"};
        unsigned bytes = 1u << info;
        need(position, bytes);
        if (bytes < 8) return Value::integer(static_cast<int64_t>(readBigEndian(data_ + position, bytes)));
        if (bytes == 8) return Value::integer(static_cast<int64_t>(readBigEndian(data_ + position, 8)));
        uint64_t high = readBigEndian(data_ + position, 8);
        uint64_t low = readBigEndian(data_ + position + 8, 8);
        if (high == 0) return Value(static_cast<unsigned long long>(low));
        if (high == ~0ULL && (low >> 63)) return Value::integer(static_cast<int64_t>(low));
        throw Corrupt{"an integer is out of the 64-bit range"};
    }

    std::string decodeUtf16(uint64_t position, uint64_t units) const {
        std::string out;
        out.reserve(units);
        const uint8_t* p = data_ + position;
        for (uint64_t i = 0; i < units; ++i) {
            uint32_t unit = readBigEndian(p + 2 * i, 2);
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
                uint32_t next = readBigEndian(p + 2 * (i + 1), 2);
                if (next >= 0xDC00 && next <= 0xDFFF) {
                    appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                    ++i;
                    continue;
                }
            }
            // A lone surrogate cannot be kept in UTF-8; it becomes U+FFFD.
            appendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? 0xFFFD : unit);
        }
        return out;
    }

    Value decodeScalar(uint8_t type, uint8_t info, uint64_t position) const {
        switch (type) {
            case 0x00:
                if (info == 0) return Value();
                if (info == (kFalse & 0x0F)) return Value(false);
                if (info == (kTrue & 0x0F)) return Value(true);
                throw Corrupt{"unknown object type"};
            case kInt:
                return decodeInteger(position, info);
            case kReal:
                if (info == 2) {
                    need(position, 4);
                    uint32_t bits = static_cast<uint32_t>(readBigEndian(data_ + position, 4));
                    float value;
                    std::memcpy(&value, &bits, sizeof value);
                    return Value(value);
                }
                if (info == 3) return Value(readDouble(position));
                throw Corrupt{"bad real size"};
            case kDate & 0xF0:
                if (info != 3) throw Corrupt{"bad date size"};
                return Value(Date{readDouble(position)});
            case kData: {
                uint64_t count = readCount(position, info, 1);
                return Value(Bytes(data_ + position, data_ + position + count));
            }
            case kAsciiString: {
                uint64_t count = readCount(position, info, 1);
                const uint8_t* bytes = data_ + position;
                if (std::all_of(bytes, bytes + count, [](uint8_t b) { return b < 0x80; })) {
                    return Value(std::string(reinterpret_cast<const char*>(bytes), count));
                }
                // Some writers put Latin-1 here; keep it readable rather than refuse.
                std::string text;
                for (uint64_t i = 0; i < count; ++i) appendUtf8(text, bytes[i]);
                return Value(std::move(text));
            }
            case kUtf16String: {
                uint64_t units = readCount(position, info, 2);
                return Value(decodeUtf16(position, units));
            }
            case kUid: {
                unsigned bytes = info + 1u;
                if (bytes > 8) throw Corrupt{"bad UID size"};
                need(position, bytes);
                return Value::uid(readBigEndian(data_ + position, bytes));
            }
            default:
                throw Corrupt{"unknown object type"};
        }
    }

    Value decode(uint64_t index, int depth) {
        if (depth > kMaximumDepth) throw Corrupt{"nesting is too deep"};
        if (state_[index] == kCached) return scalars_[index];
        if (state_[index] == kInProgress) throw Corrupt{"a container contains itself"};
        uint64_t position = offsetOf(index);
        uint8_t marker = data_[position++];
        uint8_t type = marker & 0xF0, info = marker & 0x0F;
        if (type != kArray && type != kDict) {
            if (type == kSet) throw Corrupt{"sets are not supported"};
            Value value = decodeScalar(type, info, position);
            state_[index] = kCached;
            scalars_[index] = value;
            return value;
        }
        if (containerBudget_-- == 0) throw Corrupt{"shared containers expand beyond any sensible size"};
        state_[index] = kInProgress;
        Value result;
        if (type == kArray) {
            uint64_t count = readCount(position, info, refSize_);
            std::vector<Value> elements;
            elements.reserve(count);
            for (uint64_t i = 0; i < count; ++i)
                elements.push_back(decode(readRef(position + i * refSize_), depth + 1));
            result = Array(std::move(elements));
        } else {
            uint64_t count = readCount(position, info, 2 * refSize_);
            Dictionary dictionary;
            for (uint64_t i = 0; i < count; ++i) {
                Value key = decode(readRef(position + i * refSize_), depth + 1);
                if (!key.isString()) throw Corrupt{"a dictionary key is not a string"};
                dictionary.set(key.asString(), decode(readRef(position + (count + i) * refSize_), depth + 1));
            }
            result = std::move(dictionary);
        }
        state_[index] = kUnvisited;
        return result;
    }

    const uint8_t* data_;
    size_t size_;
    unsigned offsetSize_ = 0, refSize_ = 0;
    uint64_t count_ = 0, tableOffset_ = 0, containerBudget_ = 0;
    std::vector<State> state_;
    std::vector<Value> scalars_;  // decoded once, shared by every reference
};

}  // namespace

bool isBinary(const uint8_t* data, size_t size) { return size >= 6 && std::memcmp(data, kMagic, 6) == 0; }

Result<Value> parseBinary(const uint8_t* data, size_t size) {
    if (size < kMagicSize || std::memcmp(data, kMagic, kMagicSize) != 0) {
        return readError("unsupported binary property-list version");
    }
    return readGuarded([&] { return BinaryReader(data, size).read(); });
}

Result<Bytes> serializeBinary(const Value& value) { return BinaryWriter().write(value); }

}  // namespace foundation::plist::codec
