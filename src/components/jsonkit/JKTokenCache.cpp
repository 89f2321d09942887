#include "components/jsonkit/JKTokenCache.h"

#include "platform/foundation/ValueArena.h"

#include <cstring>

namespace jsonkit {

using foundation::Value;

namespace {

// The 8 bytes of a number in memory order.
template <class T>
std::string_view numberBytes(const T& value) {
    static_assert(sizeof(T) == 8);
    return std::string_view(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

uint64_t JKTokenCache::hash(uint64_t seed, std::string_view bytes) {
    uint64_t h = seed;
    for (char c : bytes) h = ((h * 33 + static_cast<uint8_t>(c)) - 29) ^ (h >> 19);
    return h;
}

template <class Make>
Value JKTokenCache::lookup(uint64_t hash, Kind kind, std::string_view bytes, Make make) {
    Item* replacement = nullptr;
    for (uint64_t i = 0; i < 4; ++i) {
        Item& item = items_[(hash + i * (bytes.size() + kind + 3)) & (kBucketCount - 1)];
        if (!item.used) {
            if (!replacement) replacement = &item;
            break;
        }
        if (item.hash == hash && item.kind == kind && matches(item, kind, bytes)) return item.object;
        if (!replacement) replacement = &item;
    }
    // Cached values outlive the document, so they stay out of its arena
    // where they would keep whole chunks alive.
    Value object = [&] {
        foundation::ValueArena::Pause heap;
        return make();
    }();
    uint64_t numberBits = 0;
    if (kind != String) std::memcpy(&numberBits, bytes.data(), sizeof numberBits);
    *replacement = Item{object, true, hash, kind, numberBits};
    return object;
}

bool JKTokenCache::matches(const Item& item, Kind kind, std::string_view bytes) const {
    if (kind == String) return item.object.asString() == bytes;
    uint64_t numberBits = 0;
    std::memcpy(&numberBits, bytes.data(), sizeof numberBits);
    return item.numberBits == numberBits;
}

Value JKTokenCache::string(std::string_view bytes) {
    if (bytes.empty()) return Value(std::string());
    return lookup(hash(kHashSeed, bytes), String, bytes, [&] { return Value(bytes); });
}

Value JKTokenCache::signedInteger(int64_t value) {
    return lookup(hash(kHashSeed + SignedInteger + static_cast<uint64_t>(value), numberBytes(value)), SignedInteger,
                  numberBytes(value), [&] { return Value::integer(value); });
}

Value JKTokenCache::unsignedInteger(uint64_t value) {
    return lookup(hash(kHashSeed + UnsignedInteger + value, numberBytes(value)), UnsignedInteger, numberBytes(value),
                  [&] {
                      return value >= (uint64_t{1} << 63) ? Value(static_cast<unsigned long long>(value))
                                                          : Value::integer(static_cast<int64_t>(value));
                  });
}

Value JKTokenCache::real(double value) {
    return lookup(hash(kHashSeed + Double, numberBytes(value)), Double, numberBytes(value),
                  [&] { return Value::real(value); });
}

void JKTokenCache::clear() {
    for (Item& item : items_) item = Item{};
}

}  // namespace jsonkit
