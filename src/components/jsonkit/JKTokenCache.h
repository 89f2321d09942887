#pragma once

#include "platform/foundation/Value.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jsonkit {

// The values a decoder has made from string and number tokens, so that a key
// or value repeated within a document, or across the documents one decoder
// reads, is the very same Value. A fixed table of 1024 buckets; a value
// probes four of them and replaces the first empty or non-matching one.
class JKTokenCache {
public:
    // Value kinds: they enter the hash and the probe step.
    enum Kind : uint64_t { String = 5, SignedInteger = 7, UnsignedInteger = 11, Double = 13 };

    static constexpr size_t kBucketCount = 1024;
    static constexpr uint64_t kHashSeed = 1402737925;

    // The hash of value bytes after a seed.
    static uint64_t hash(uint64_t seed, std::string_view bytes);

    // An empty string is never cached.
    foundation::Value string(std::string_view bytes);
    foundation::Value signedInteger(int64_t value);
    // From 2^63 up the number is kept as unsigned.
    foundation::Value unsignedInteger(uint64_t value);
    foundation::Value real(double value);

    void clear();

private:
    // A string's bytes are its object's text; a number's are kept here.
    struct Item {
        foundation::Value object;
        bool used = false;
        uint64_t hash = 0;
        uint64_t kind = 0;
        uint64_t numberBits = 0;
    };

    template <class Make>
    foundation::Value lookup(uint64_t hash, Kind kind, std::string_view bytes, Make make);
    bool matches(const Item& item, Kind kind, std::string_view bytes) const;

    std::vector<Item> items_ = std::vector<Item>(kBucketCount);
};

}  // namespace jsonkit
