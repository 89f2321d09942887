#pragma once

#include "components/jsonkit/JSONDecoder.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace jsonkit {

enum JKSerializeOptions : uint64_t {
    JKSerializeOptionNone = 0,
    JKEncodePrettyPrint = 1,
    JKEncodeEscapeUnicode = 2,
    JKEncodeEscapeForwardSlash = 16,
};

enum JKEncodeOptions : uint64_t {
    JKEncodeAsData = 1,
    JKEncodeAsString = 2,
    JKEncodeCollectionOnly = 8,
    JKEncodeStringOnly = 16,
    JKEncodeOmitQuotes = 32,
};

// Turns a value JSON cannot hold (data, a date, a native object, ...) into
// one it can, or gives none to fail the call.
using JKUnsupportedFormatter = std::function<std::optional<foundation::Value>(const foundation::Value&)>;

// Writes arrays, dictionaries, strings, numbers, booleans and null as UTF-8
// JSON text. Failures give none and the first error (domain "JKErrorDomain",
// code -1, the message as the only user information); nothing partial is
// returned. Nesting deeper than 1024 levels, which a container holding itself
// also reaches, fails with an error.
class JKSerializer {
public:
    // The result is data (Bytes) when the low three bits of `encodeOption`
    // are 1 and a string when they are 2.
    static std::optional<foundation::Value> serializeObject(const foundation::Value& object, uint64_t options,
                                                            uint64_t encodeOption,
                                                            const JKUnsupportedFormatter& formatter = nullptr,
                                                            JKError* error = nullptr);
};

// The text of an array or a dictionary.
std::optional<std::string> JSONString(const foundation::Value& collection, uint64_t options = 0,
                                      const JKUnsupportedFormatter& formatter = nullptr, JKError* error = nullptr);
std::optional<foundation::Bytes> JSONData(const foundation::Value& collection, uint64_t options = 0,
                                          const JKUnsupportedFormatter& formatter = nullptr, JKError* error = nullptr);
// The escaped text of one string, with or without its quotation marks.
std::optional<std::string> JSONStringFromString(std::string_view text, uint64_t options = 0, bool includeQuotes = true,
                                                JKError* error = nullptr);

}  // namespace jsonkit
