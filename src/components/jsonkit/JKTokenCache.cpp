#include "components/jsonkit/JKTokenCache.h"

#include "platform/foundation/ValueArena.h"

namespace jsonkit {

using foundation::Value;

uint64_t JKTokenCache::hash(uint64_t seed, std::string_view bytes) {
    uint64_t h = seed;
    for (char c : bytes) h = ((h * 33 + static_cast<uint8_t>(c)) - 29) ^ (h >> 19);
    return h;
}

Value JKTokenCache::string(std::string_view bytes) {
    if (bytes.empty()) return Value(std::string());
    const uint64_t hash = JKTokenCache::hash(kHashSeed, bytes);
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
    *replacement = Item{object, true, hash};
    return object;
}

void JKTokenCache::clear() {
    for (Item& item : items_) item = Item{};
}

}  // namespace jsonkit
