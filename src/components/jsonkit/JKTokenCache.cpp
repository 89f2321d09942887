#include "components/jsonkit/JKTokenCache.h"

#include "components/jsonkit/JKCollections.h"
#include "platform/foundation/ValueArena.h"

#include <cstring>

namespace jsonkit {

using foundation::Value;

uint64_t JKTokenCache::hash(std::string_view bytes) {
    constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
    auto mix = [](uint64_t h, uint64_t word) {
        h = (h ^ word) * kMultiplier;
        return h ^ (h >> 29);
    };
    uint64_t h = kHashSeed ^ (bytes.size() * kMultiplier);
    const char* at = bytes.data();
    size_t left = bytes.size();
    for (; left >= 8; at += 8, left -= 8) {
        uint64_t word = 0;
        std::memcpy(&word, at, 8);
        h = mix(h, word);
    }
    if (left > 0) {
        uint64_t word = 0;
        std::memcpy(&word, at, left);
        h = mix(h, word);
    }
    return h;
}

Value JKTokenCache::string(std::string_view bytes) {
    if (bytes.empty()) return Value(std::string());
    const uint64_t hash = JKTokenCache::hash(bytes);
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

uint64_t JKTokenCache::keyHash(std::string_view key) {
    const size_t length = key.size();
    if (length > 16) return JKDictionary::hashKey(key);
    // Two words that, with the length, tell every key of up to 16 bytes
    // apart; they are read in overlapping pieces that stay within the key.
    const char* bytes = key.data();
    uint64_t head = 0, tail = 0;
    if (length >= 8) {
        std::memcpy(&head, bytes, 8);
        std::memcpy(&tail, bytes + length - 8, 8);
    } else if (length >= 4) {
        uint32_t low = 0, high = 0;
        std::memcpy(&low, bytes, 4);
        std::memcpy(&high, bytes + length - 4, 4);
        head = low | (uint64_t{high} << 32);
    } else if (length > 0) {
        head = uint64_t{static_cast<uint8_t>(bytes[0])} | uint64_t{static_cast<uint8_t>(bytes[length / 2])} << 8 |
               uint64_t{static_cast<uint8_t>(bytes[length - 1])} << 16;
    }
    constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
    const uint64_t mixed = (head * kMultiplier) ^ (tail + length) * (kMultiplier | 2);
    KeyItem& item = keys_[(mixed >> 56) % kKeyBucketCount];
    if (item.length != length || item.head != head || item.tail != tail)
        item = KeyItem{head, tail, length, JKDictionary::hashKey(key)};
    return item.keyHash;
}

void JKTokenCache::clear() {
    keys_.fill(KeyItem{});
    for (Item& item : items_) item = Item{};
    retiring_.fill(Value());
}

}  // namespace jsonkit
