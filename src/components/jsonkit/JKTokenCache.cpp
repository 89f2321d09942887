#include "components/jsonkit/JKTokenCache.h"

#include "components/jsonkit/JKCollections.h"
#include "platform/foundation/ValueArena.h"

#include <algorithm>
#include <cstring>

namespace jsonkit {

using foundation::Value;

namespace {

constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15u;

uint64_t wordAt(const char* at) {
    uint64_t word = 0;
    std::memcpy(&word, at, 8);
    return word;
}

}  // namespace

JKTokenCache::Head JKTokenCache::headFromCopy(std::string_view bytes) {
    char copy[kHeadBytes] = {};
    std::memcpy(copy, bytes.data(), std::min(bytes.size(), kHeadBytes));
    return head(copy, bytes.size());
}

uint64_t JKTokenCache::hash(std::string_view bytes, size_t readable) {
    const size_t length = bytes.size();
    const Head words = readable >= kHeadBytes ? head(bytes.data(), length) : headFromCopy(bytes);
    // Each word is multiplied on its own, so the products overlap instead
    // of waiting for one another; a last round mixes them.
    uint64_t h = (kHashSeed + length) * kMultiplier ^ words[0] * 0xC2B2AE3D27D4EB4Fu ^ words[1] * 0x165667B19E3779F9u ^
                 words[2] * 0x27D4EB2F165667C5u ^ words[3] * 0xFF51AFD7ED558CCDu;
    if (length > kHeadBytes)
        h ^= wordAt(bytes.data() + length / 2 - 4) * 0xC4CEB9FE1A85EC53u ^ wordAt(bytes.data() + length - 8) * kMultiplier;
    h ^= h >> 29;
    h *= kMultiplier;
    return h ^ (h >> 32);
}

Value JKTokenCache::string(std::string_view bytes, size_t readable) {
    if (bytes.empty()) return Value(std::string());
    const uint64_t hash = JKTokenCache::hash(bytes, readable);
    const uint64_t kept = hash != 0 ? hash : 1;
    size_t replacement = kBucketCount;  // none yet
    for (uint64_t i = 0; i < 4; ++i) {
        const size_t bucket = (hash + i * (bytes.size() + kString + 3)) & (kBucketCount - 1);
        if (hashes_[bucket] == 0) {
            if (replacement == kBucketCount) replacement = bucket;
            break;
        }
        if (hashes_[bucket] == kept && objects_[bucket].asString() == bytes) return objects_[bucket];
        if (replacement == kBucketCount) replacement = bucket;
    }
    // Cached values outlive the document, so they stay out of its arena
    // where they would keep whole chunks alive.
    Value object = [&] {
        foundation::ValueArena::Pause heap;
        return Value(bytes);
    }();
    Value& slot = objects_[replacement];
    if (hashes_[replacement] != 0) {
        __builtin_prefetch(slot.identity(), 1);
        std::swap(retiring_[nextRetiring_], slot);
        nextRetiring_ = (nextRetiring_ + 1) % retiring_.size();
    }
    slot = object;
    hashes_[replacement] = kept;
    return object;
}

uint64_t JKTokenCache::keyHashFromCopy(std::string_view key) {
    if (key.size() > kKeyBytes) return JKDictionary::hashKey(key);
    char copy[kKeyBytes] = {};
    std::memcpy(copy, key.data(), key.size());
    const KeyItem wanted = keyItem(copy, key.size());
    const KeyItem& item = keys_[keyBucket(wanted)];
    return item.length == wanted.length && item.words == wanted.words ? item.keyHash : rememberKey(key, wanted);
}

uint64_t JKTokenCache::rememberKey(std::string_view key, const KeyItem& wanted) {
    KeyItem& item = keys_[keyBucket(wanted)];
    item = wanted;
    item.keyHash = JKDictionary::hashKey(key);
    return item.keyHash;
}

void JKTokenCache::clear() {
    keys_.fill(KeyItem{});
    std::fill(hashes_.begin(), hashes_.end(), 0);
    std::fill(objects_.begin(), objects_.end(), Value());
    retiring_.fill(Value());
}

}  // namespace jsonkit
