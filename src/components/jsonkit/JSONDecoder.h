#pragma once

#include "components/jsonkit/JKCollections.h"
#include "components/jsonkit/JKTokenCache.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace jsonkit {

inline constexpr const char* kJKErrorDomain = "JKErrorDomain";
inline constexpr const char* kJKAtIndexKey = "JKAtIndexKey";
inline constexpr const char* kJKLineNumberKey = "JKLineNumberKey";
inline constexpr const char* kNSLocalizedDescriptionKey = "NSLocalizedDescriptionKey";

// An error of the codec: domain "JKErrorDomain", code -1, the message as the
// description, and the user information (the description again and, for
// decoding errors, the byte index and line of the failure).
struct JKError : foundation::Error {
    foundation::Dictionary userInfo;
};

enum JKParseOptions : uint64_t {
    JKParseOptionNone = 0,
    JKDecodeAllowComments = 1,
    JKDecodeUnicodeLineBreaks = 2,
    JKDecodeReplaceInvalidUnicode = 4,
    JKDecodeAllowTrailingText = 8,
};

// Deepest nesting of arrays and objects a document may have.
inline constexpr size_t kJKMaximumDepth = 1024;

// Turns UTF-8 JSON text into Values. The top-level value must be an object or
// an array. Objects become dictionaries (a repeated key keeps its last
// value), integers 64-bit signed numbers (unsigned from 2^63 up), "-0" and
// numbers with a fraction or exponent doubles. Strings and numbers repeated
// within a document or across the documents of one decoder are the same
// Value. Arrays and dictionaries are kept in JKArray and JKDictionary
// storages: immutable ones (changes throw NSInternalInconsistencyException)
// from the plain entry points, mutable ones at every level from the
// `mutable...` ones. A decoder serves one parse at a time.
class JSONDecoder {
public:
    // Options of 16 or more throw NSInvalidArgumentException("Invalid parse options.").
    explicit JSONDecoder(uint64_t parseOptions = JKParseOptionNone);

    uint64_t parseOptions() const { return options_; }

    // Reads exactly `length` bytes (a NUL byte does not end the text). A null
    // `bytes` throws NSInvalidArgumentException("The string argument is NULL.").
    std::optional<foundation::Value> objectWithUTF8String(const char* bytes, size_t length, JKError* error = nullptr);
    std::optional<foundation::Value> mutableObjectWithUTF8String(const char* bytes, size_t length,
                                                                 JKError* error = nullptr);
    std::optional<foundation::Value> objectWithData(const foundation::Bytes& data, JKError* error = nullptr);
    std::optional<foundation::Value> mutableObjectWithData(const foundation::Bytes& data, JKError* error = nullptr);

    // Forgets the strings and numbers shared across parses.
    void clearCache() { cache_->clear(); }

private:
    class Parse;
    static JKCollectionKey collectionKey() { return {}; }
    std::optional<foundation::Value> parse(const char* bytes, size_t length, bool mutableCollections, JKError* error);

    uint64_t options_;
    std::unique_ptr<JKTokenCache> cache_ = std::make_unique<JKTokenCache>();
};

// One-call forms of a decoder with the given options.
std::optional<foundation::Value> objectFromJSONString(std::string_view text, uint64_t parseOptions = 0,
                                                      JKError* error = nullptr);
std::optional<foundation::Value> objectFromJSONData(const foundation::Bytes& data, uint64_t parseOptions = 0,
                                                    JKError* error = nullptr);
std::optional<foundation::Value> mutableObjectFromJSONString(std::string_view text, uint64_t parseOptions = 0,
                                                             JKError* error = nullptr);
std::optional<foundation::Value> mutableObjectFromJSONData(const foundation::Bytes& data, uint64_t parseOptions = 0,
                                                           JKError* error = nullptr);

}  // namespace jsonkit
