#pragma once

// The storages behind the arrays and dictionaries the JSON decoder makes.
// To their users they are ordinary foundation::Array and Dictionary values;
// one class serves immutable and mutable results alike, told apart by a
// mutation counter that stays 0 for immutable ones (any change throws) and
// starts at 1 for mutable ones, rising with every change (from the largest
// value it wraps to 1, never to 0). Only the decoder makes them.

#include "platform/foundation/Value.h"
#include "platform/foundation/ValueArena.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace jsonkit {

class JSONDecoder;

// The decoder's pass to make collections; nobody else can hold one.
class JKCollectionKey {
    JKCollectionKey() = default;
    friend class JSONDecoder;
};

// An array over exactly as many slots as the decoder gave it; a mutable one
// grows 16 slots at a time when an insert would not fit. The slots of an
// immutable array built while the arena is active lie in the arena (it never
// grows, and it mostly dies with its document), all others on the heap.
class JKArray final : public foundation::ArrayStorage {
public:
    // Takes the values over, leaving them null.
    JKArray(JKCollectionKey, std::span<foundation::Value> values, bool isMutable);
    ~JKArray() override;

    // Outside code that asks for one gets the platform's refusal.
    [[noreturn]] static void allocWithZone();

    size_t count() const { return count_; }
    size_t capacity() const { return capacity_; }
    bool isMutable() const { return mutations_ != 0; }
    // The length of the text the outermost container of a document was read
    // from, zero for every other one: writing the document back reserves its
    // output in one step instead of growing it many times.
    size_t sourceLength() const { return sourceLength_; }
    void setSourceLength(JKCollectionKey, size_t length) { sourceLength_ = length; }

    std::span<const foundation::Value> values() const override { return {slots_, count_}; }
    const foundation::Value& at(size_t index) const override;
    void insert(size_t index, foundation::Value value) override;
    void replace(size_t index, foundation::Value value) override;
    void remove(size_t index) override;
    void removeAll() override;

private:
    void requireMutable(const char* selector) const;
    void mutated();
    void releaseSlots();

    foundation::Value* slots_ = nullptr;  // count_ constructed, room for capacity_
    size_t count_ = 0;
    size_t capacity_ : 63;
    size_t slotsInArena_ : 1;
    size_t sourceLength_ = 0;
};

// Remainders by one divisor through multiplications instead of a division:
// the divisor's inverse is kept in 128 bits, which makes the remainder exact
// for every 64-bit dividend.
class JKModulus {
public:
    constexpr JKModulus() = default;
    explicit constexpr JKModulus(uint64_t divisor)
        : inverse_(divisor > 1 ? ~static_cast<unsigned __int128>(0) / divisor + 1 : 0), divisor_(divisor) {}

    // The dividend modulo the divisor; 0 for a divisor of 0 or 1.
    uint64_t of(uint64_t dividend) const {
        const unsigned __int128 fraction = inverse_ * dividend;  // the fractional part of dividend / divisor
        const unsigned __int128 low = (static_cast<uint64_t>(fraction) * static_cast<unsigned __int128>(divisor_)) >> 64;
        const unsigned __int128 high = static_cast<uint64_t>(fraction >> 64) * static_cast<unsigned __int128>(divisor_);
        return static_cast<uint64_t>((low + high) >> 64);
    }

private:
    unsigned __int128 inverse_ = 0;
    uint64_t divisor_ = 0;
};

// An entry of a dictionary. Its home bucket comes from its key's hash,
// which is worked out again when the entry moves, not kept.
struct JKHashTableEntry {
    foundation::DictionaryStorage::Entry entry;
};

// A dictionary in an open-addressing table whose sizes come from a fixed list
// of 40 capacities. Lookups probe from the key's home bucket to the first
// free one; removal moves the entries after it back toward their homes, so
// no deletion markers are needed. Walks go in bucket order.
//
// A bucket holds the number of an entry, in one byte for tables of up to 251
// buckets and in four beyond; the entries lie packed in the same block after
// the buckets, in the order they were added, so an immutable dictionary
// takes room for exactly its pairs (a mutable one for as many as it has
// buckets).
class JKDictionary final : public foundation::DictionaryStorage {
public:
    // A key with its hash and value, as the decoder hands them over; the
    // key's bytes (in the input, or where the decoder unescaped them) stay
    // put until the dictionary copies them, and kPairKeyReadable bytes may be
    // read from their start whatever the key's length.
    static constexpr size_t kPairKeyReadable = 32;
    struct Pair {
        uint64_t keyHash;
        std::string_view key;
        foundation::Value value;
    };

    JKDictionary(JKCollectionKey, std::vector<Pair>& pairs, size_t first, bool isMutable);
    ~JKDictionary() override;

    [[noreturn]] static void allocWithZone();

    // The hash every key of every dictionary here is placed by.
    static uint64_t hashKey(std::string_view key);
    // The table size for `count` pairs: the first listed size not below
    // count × 1.33; the last listed size beyond the list.
    static size_t capacityFor(size_t count);
    // The position of capacityFor(count) in the list of sizes.
    static size_t sizeIndexFor(size_t count);

    size_t capacity() const { return capacity_; }
    bool isMutable() const { return mutations_ != 0; }
    // As JKArray's.
    size_t sourceLength() const { return sourceLength_; }
    void setSourceLength(JKCollectionKey, size_t length) { sourceLength_ = length; }
    // The bucket holding a key, none when absent.
    std::optional<size_t> bucketOf(std::string_view key) const;
    // The entry in a bucket; null when the bucket is free.
    const JKHashTableEntry* bucket(size_t index) const {
        const uint32_t at = entryIn(index);
        return at == kFree ? nullptr : &entries()[at];
    }

    // Appends the entries in bucket order, without a branch on each bucket
    // being free or not.
    void gather(std::vector<const Entry*>& entries) const;

    // Asks for the whole table to be loaded at once, ahead of a walk that
    // would otherwise wait for it a line at a time.
    void prefetch() const {
        for (size_t offset = 0, bytes = blockBytes(); offset < bytes; offset += 64)
            __builtin_prefetch(static_cast<const char*>(block_) + offset);
    }

    size_t size() const override { return count_; }
    const foundation::Value* find(std::string_view key) const override;
    void set(std::string key, foundation::Value value) override;
    void remove(std::string_view key) override;
    void removeAll() override;
    const Entry* entryFrom(size_t& position) const override;

private:
    static constexpr uint32_t kFree = UINT32_MAX;
    static constexpr uint8_t kNarrowFree = UINT8_MAX;
    static constexpr size_t kNarrowCapacity = 251;  // the largest listed size below kNarrowFree

    // The entry number a bucket of a table of `capacity` buckets in `block`
    // holds, kFree when it is free.
    static uint32_t entryIn(const void* block, size_t capacity, size_t index) {
        if (capacity <= kNarrowCapacity) {
            const uint8_t at = static_cast<const uint8_t*>(block)[index];
            return at == kNarrowFree ? kFree : at;
        }
        return static_cast<const uint32_t*>(block)[index];
    }
    uint32_t entryIn(size_t index) const { return entryIn(block_, capacity_, index); }
    void setEntryIn(size_t index, uint32_t entry) {
        if (capacity_ <= kNarrowCapacity) {
            static_cast<uint8_t*>(block_)[index] = entry == kFree ? kNarrowFree : static_cast<uint8_t>(entry);
        } else {
            static_cast<uint32_t*>(block_)[index] = entry;
        }
    }
    static size_t bucketBytes(size_t capacity) {
        const size_t bytes = capacity * (capacity <= kNarrowCapacity ? sizeof(uint8_t) : sizeof(uint32_t));
        return (bytes + alignof(JKHashTableEntry) - 1) / alignof(JKHashTableEntry) * alignof(JKHashTableEntry);
    }
    size_t blockBytes() const { return bucketBytes(capacity_) + room_ * sizeof(JKHashTableEntry); }
    static JKHashTableEntry* entries(void* block, size_t capacity) {
        return reinterpret_cast<JKHashTableEntry*>(static_cast<char*>(block) + bucketBytes(capacity));
    }
    JKHashTableEntry* entries() const { return entries(block_, capacity_); }
    // The bucket a search for a key (with this hash) starts at: the hash
    // modulo the capacity. Defined where they are used.
    inline size_t home(uint64_t keyHash) const;
    inline size_t home(std::string_view key) const;

    // Takes a block for the listed size number `sizeIndex` of buckets, all
    // free, and `room` entries.
    void allocate(size_t sizeIndex, size_t room, bool inArena);
    // Destroys the entries and gives the block back.
    void destroyTable();
    void rebuild(size_t sizeIndex);
    // Adds a pair, or gives an equal key the new value. A `padded` key may
    // be read kPairKeyReadable bytes from its start.
    void add(uint64_t keyHash, std::string_view key, foundation::Value&& value, bool padded);
    void place(uint32_t entry);
    void removeBucket(size_t index);
    void requireMutable(const char* selector) const;
    void mutated();

    void* block_ = nullptr;  // the buckets, then the entries (count_ constructed, in the order added)
    uint32_t count_ = 0;
    uint32_t capacity_ = 0;
    uint32_t room_ = 0;  // entries the block has room for
    bool inArena_ = false;
    uint8_t sizeIndex_ = 0;  // capacity_'s position in the list of sizes
    size_t sourceLength_ = 0;
};

// Walks a dictionary's keys in bucket order, holding the dictionary.
class JKDictionaryEnumerator {
public:
    // None for a dictionary not kept in a JKDictionary.
    static std::optional<JKDictionaryEnumerator> keyEnumerator(const foundation::Dictionary& dictionary);

    // The next key, none when the table is exhausted.
    std::optional<std::string> nextObject();
    // The keys not yet returned; the enumerator is exhausted afterwards.
    std::vector<std::string> allObjects();

private:
    explicit JKDictionaryEnumerator(foundation::Dictionary dictionary) : collection_(std::move(dictionary)) {}
    foundation::Dictionary collection_;
    size_t nextObject_ = 0;
};

}  // namespace jsonkit
