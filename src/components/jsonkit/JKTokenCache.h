#pragma once

#include "platform/foundation/Value.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
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
    // than its other strings: the hashes of keys of up to 24 bytes are kept
    // in a small table of their own (small enough to stay in the nearest
    // cache), looked up on the key's bytes as three words.
    uint64_t keyHash(std::string_view key, size_t readable) {
        if (key.size() > kKeyBytes || readable < kKeyBytes) return keyHashFromCopy(key);
        const KeyItem wanted = keyItem(key.data(), key.size());
        const KeyItem& item = keys_[keyBucket(wanted)];
        const uint64_t differ = (item.length ^ wanted.length) | (item.words[0] ^ wanted.words[0]) |
                                (item.words[1] ^ wanted.words[1]) | (item.words[2] ^ wanted.words[2]);
        return differ == 0 ? item.keyHash : rememberKey(key, wanted);
    }

    void clear();

private:
    static constexpr size_t kHeadBytes = 32;
    static constexpr size_t kHeadWords = kHeadBytes / 8;
    using Head = std::array<uint64_t, kHeadWords>;
    // The first 8 × N bytes from `bytes` as words, those from `length` on
    // cleared; all 8 × N may be read.
    template <size_t N>
    static std::array<uint64_t, N> maskedWords(const char* bytes, size_t length) {
        // 32 bytes of 0xFF, then 32 of 0: the span from (32 - length) on
        // keeps the first `length` bytes.
        static constexpr auto kKeepFirst = [] {
            std::array<uint8_t, 2 * kHeadBytes> mask{};
            for (size_t i = 0; i < kHeadBytes; ++i) mask[i] = 0xFF;
            return mask;
        }();
        static_assert(8 * N <= kHeadBytes);
        const uint8_t* keep = kKeepFirst.data() + kHeadBytes - std::min(length, kHeadBytes);
        std::array<uint64_t, N> words;
        for (size_t i = 0; i < N; ++i) {
            uint64_t word = 0, mask = 0;
            std::memcpy(&word, bytes + 8 * i, 8);
            std::memcpy(&mask, keep + 8 * i, 8);
            words[i] = word & mask;
        }
        return words;
    }
    static Head head(const char* bytes, size_t length) { return maskedWords<kHeadWords>(bytes, length); }
    // The head of a string of which fewer than 32 bytes may be read.
    static Head headFromCopy(std::string_view bytes);

    // A key's bytes as three words, zero beyond its end, and its length,
    // with its hash.
    static constexpr size_t kKeyBytes = 24;
    struct KeyItem {
        std::array<uint64_t, kKeyBytes / 8> words{};
        uint64_t length = UINT64_MAX;  // none kept
        uint64_t keyHash = 0;
    };
    static constexpr size_t kKeyBucketCount = 256;
    // The item of a key of up to kKeyBytes bytes; all of them may be read.
    static KeyItem keyItem(const char* bytes, size_t length) {
        return KeyItem{maskedWords<kKeyBytes / 8>(bytes, length), length, 0};
    }
    static size_t keyBucket(const KeyItem& item) {
        const uint64_t mixed = (item.words[0] * 0x9E3779B97F4A7C15u) ^
                               ((item.words[1] ^ item.words[2] ^ item.length) * 0xC2B2AE3D27D4EB4Fu);
        static_assert(kKeyBucketCount == 256);
        return mixed >> 56;
    }
    uint64_t keyHashFromCopy(std::string_view key);
    uint64_t rememberKey(std::string_view key, const KeyItem& wanted);

    // A bucket's object and the hash of its text, kept apart so that a
    // probe reads only the compact hashes; a free bucket's hash is 0, and a
    // text hashing to 0 is kept under 1.
    std::vector<uint64_t> hashes_ = std::vector<uint64_t>(kBucketCount);
    std::vector<foundation::Value> objects_ = std::vector<foundation::Value>(kBucketCount);
    // Values pushed out of the table, let go a few pushes later: the node of
    // a value made long ago is rarely in the cache, and in the meantime a
    // prefetch brings it there for the count to drop.
    std::array<foundation::Value, 16> retiring_;
    size_t nextRetiring_ = 0;
    std::array<KeyItem, kKeyBucketCount> keys_{};
};

}  // namespace jsonkit
