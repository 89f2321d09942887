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
//
// The bytes of a string or key handed in may be read `readable` bytes on
// from their start (at least their length): the decoder's tokens lie in its
// input, and reading a fixed span of it spares a branch on every length.
class JKTokenCache {
public:
    // The kind of value cached; it enters the probe step.
    static constexpr uint64_t kString = 5;

    static constexpr size_t kBucketCount = 1024;
    static constexpr uint64_t kHashSeed = 1402737925;

    // The hash a string is placed by: a mix of its length, its first 32
    // bytes and the 8 bytes in its middle and at its end. Equal strings hash
    // alike; the full comparison of a hit tells unequal ones apart.
    static uint64_t hash(std::string_view bytes, size_t readable);

    // An empty string is never cached.
    foundation::Value string(std::string_view bytes, size_t readable);

    // JKDictionary::hashKey of a key. The keys of a document repeat far more
    // than its other strings: the hashes of keys of up to 32 bytes are kept
    // in a table of their own.
    uint64_t keyHash(std::string_view key, size_t readable);

    void clear();

private:
    static constexpr size_t kHeadBytes = 32;
    static constexpr size_t kHeadWords = kHeadBytes / 8;
    using Head = std::array<uint64_t, kHeadWords>;
    // The first 32 bytes of a string as words, zero beyond its end.
    static Head head(std::string_view bytes, size_t readable);

    // A key's head and length, with its hash.
    struct KeyItem {
        Head words{};
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
