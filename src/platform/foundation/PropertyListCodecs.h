#pragma once

// The two property-list codecs behind PropertyList.h, and what they share.

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>

namespace foundation::plist::codec {

Result<Value> parseXml(const uint8_t* data, size_t size);
Result<Bytes> serializeXml(const Value& value);

bool isBinary(const uint8_t* data, size_t size);
Result<Value> parseBinary(const uint8_t* data, size_t size);
Result<Bytes> serializeBinary(const Value& value);

Error readError(const std::string& detail);
Error writeError(const std::string& detail);

// What a reader throws at the first sign of damage, deep in its recursion.
struct Corrupt {
    std::string detail;
};

// Runs a reader at the codec's edge: damage, and an allocation that the data
// asks for but memory cannot give, become a readError.
template <class Read>
Result<Value> readGuarded(Read&& read) {
    try {
        return read();
    } catch (const Corrupt& corrupt) {
        return readError(corrupt.detail);
    } catch (const std::bad_alloc&) {
        return readError("the data claims more memory than is available");
    }
}

// The dictionary form that XML gives an archive UID.
inline constexpr const char* kUidKey = "CF$UID";

}  // namespace foundation::plist::codec
