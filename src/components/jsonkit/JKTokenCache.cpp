#include "components/jsonkit/JKTokenCache.h"

#include "components/jsonkit/JKCollections.h"
#include "platform/foundation/ValueArena.h"

#include <algorithm>
#include <cstring>

namespace jsonkit {

using foundation::Value;

namespace {

constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15u;

// 32 bytes of 0xFF, then 32 of 0: the 32 bytes from (32 - n) on keep the
// first n bytes of a word span and clear the rest.
constexpr std::array<uint8_t, 64> kKeepFirst = [] {
    std::array<uint8_t, 64> mask{};
    for (size_t i = 0; i < 32; ++i) mask[i] = 0xFF;
    return mask;
}();

uint64_t wordAt(const void* at) {
    uint64_t word = 0;
    std::memcpy(&word, at, 8);
    return word;
}

}  // namespace

JKTokenCache::Head JKTokenCache::head(std::string_view bytes, size_t readable) {
    // Read in place, masked to the length, when the whole span may be read;
    // else from a zero-padded copy.
    const char* at = bytes.data();
    const size_t length = std::min(bytes.size(), kHeadBytes);
    char copy[kHeadBytes];
    if (readable < kHeadBytes) {
        std::memset(copy, 0, sizeof copy);
        std::memcpy(copy, at, length);
        at = copy;
    }
    const uint8_t* keep = kKeepFirst.data() + kHeadBytes - length;
    Head words;
    for (size_t i = 0; i < kHeadWords; ++i) words[i] = wordAt(at + 8 * i) & wordAt(keep + 8 * i);
    return words;
}

uint64_t JKTokenCache::hash(std::string_view bytes, size_t readable) {
    const size_t length = bytes.size();
    uint64_t h = kHashSeed ^ (length * kMultiplier);
    for (uint64_t word : head(bytes, readable)) h = ((h ^ word) * kMultiplier) ^ (h >> 29);
    if (length > kHeadBytes) {
        h = ((h ^ wordAt(bytes.data() + length / 2 - 4)) * kMultiplier) ^ (h >> 29);
        h = ((h ^ wordAt(bytes.data() + length - 8)) * kMultiplier) ^ (h >> 29);
    }
    return h;
}

Value JKTokenCache::string(std::string_view bytes, size_t readable) {
    if (bytes.empty()) return Value(std::string());
    const uint64_t hash = JKTokenCache::hash(bytes, readable);
    Item* replacement = nullptr;
    for (uint64_t i = 0; i < 4; ++i) {
        Item& item = items_[(hash + i * (bytes.size() + kString + 3)) & (kBucketCount - 1)];
        if (!item.used) {
            if (!replacement) replacement = &item;
            break;
        }
        if (item.hash == hash && item.object.asString() == bytes) return item.object;
        if (!replacement) replacement = &item;
    }
    // Cached values outlive the document, so they stay out of its arena
    // where they would keep whole chunks alive.
    Value object = [&] {
        foundation::ValueArena::Pause heap;
        return Value(bytes);
    }();
    if (replacement->used) {
        __builtin_prefetch(replacement->object.identity(), 1);
        std::swap(retiring_[nextRetiring_], replacement->object);
        nextRetiring_ = (nextRetiring_ + 1) % retiring_.size();
    }
    *replacement = Item{object, true, hash};
    return object;
}

uint64_t JKTokenCache::keyHash(std::string_view key, size_t readable) {
    const size_t length = key.size();
    if (length > kHeadBytes) return JKDictionary::hashKey(key);
    const Head words = head(key, readable);
    uint64_t mixed = length;
    for (uint64_t word : words) mixed = (mixed ^ word) * kMultiplier;
    KeyItem& item = keys_[(mixed >> 56) % kKeyBucketCount];
    uint64_t differ = item.length ^ length;
    for (size_t i = 0; i < kHeadWords; ++i) differ |= item.words[i] ^ words[i];
    if (differ != 0) item = KeyItem{words, length, JKDictionary::hashKey(key)};
    return item.keyHash;
}

void JKTokenCache::clear() {
    keys_.fill(KeyItem{});
    for (Item& item : items_) item = Item{};
    retiring_.fill(Value());
}

}  // namespace jsonkit
