#pragma once

#include "platform/foundation/Value.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jsonkit {

// The values a decoder has made from string tokens, so that a string
// repeated within a document, or across the documents one decoder reads, is
// the very same Value. (Numbers need no cache: they live in the handle, and
// equal numbers of one kind are identical.) A fixed table of 1024 buckets; a value
// probes four of them and replaces the first empty or non-matching one.
class JKTokenCache {
public:
    // The kind of value cached; it enters the probe step.
    static constexpr uint64_t kString = 5;

    static constexpr size_t kBucketCount = 1024;
    static constexpr uint64_t kHashSeed = 1402737925;

    // The hash a string is placed by: a mix of its 8-byte words.
    static uint64_t hash(std::string_view bytes);

    // An empty string is never cached.
    foundation::Value string(std::string_view bytes);

    // JKDictionary::hashKey of a key. The keys of a document repeat far more
    // than its other strings: the hashes of keys of up to 16 bytes are kept
    // in a table of their own, found by the key's bytes read as two words.
    uint64_t keyHash(std::string_view key);

    void clear();

private:
    struct KeyItem {
        uint64_t head = 0;
        uint64_t tail = 0;
        size_t length = SIZE_MAX;  // none kept
        uint64_t keyHash = 0;
    };
    static constexpr size_t kKeyBucketCount = 256;

    // A string's bytes are its object's text.
    struct Item {
        foundation::Value object;
        bool used = false;
        uint64_t hash = 0;
    };

    std::vector<Item> items_ = std::vector<Item>(kBucketCount);
    // Values pushed out of the table, let go a few pushes later: the node of
    // a value made long ago is rarely in the cache, and in the meantime a
    // prefetch brings it there for the count to drop.
    std::array<foundation::Value, 16> retiring_;
    size_t nextRetiring_ = 0;
    std::array<KeyItem, kKeyBucketCount> keys_{};
};

}  // namespace jsonkit
