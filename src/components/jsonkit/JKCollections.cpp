#include "components/jsonkit/JKCollections.h"

#include "platform/foundation/Exceptions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <tuple>

namespace jsonkit {

using foundation::exceptionReason;
using foundation::NSInternalInconsistencyException;
using foundation::NSInvalidArgumentException;
using foundation::NSMallocException;
using foundation::NSRangeException;
using foundation::Value;

namespace {

constexpr const char* kImmutable = "*** -[%s %s]: mutating method sent to immutable object";
constexpr const char* kBeyondBounds = "*** -[%s %s]: index (%zu) beyond bounds (%zu)";
constexpr const char* kPrivateClass =
    "*** - [%s %s]: The %s class is private to JSONKit and should not be used in this fashion.";

constexpr size_t kCapacities[] = {
    0,       3,        7,        13,       23,       41,       71,        127,       191,       251,
    383,     631,      1087,     1723,     2803,     4523,     7351,      11959,     19447,     31231,
    50683,   81919,    132607,   214519,   346607,   561109,   907759,    1468927,   2376191,   3845119,
    6221311, 10066421, 16287743, 26354171, 42641881, 68996069, 111638519, 180634607, 292272623, 472907251,
};

// The remainders by every listed size.
constexpr std::array<JKModulus, std::size(kCapacities)> kModuli = [] {
    std::array<JKModulus, std::size(kCapacities)> moduli;
    for (size_t i = 0; i < moduli.size(); ++i) moduli[i] = JKModulus(kCapacities[i]);
    return moduli;
}();

// The mutation counter after a change: never back to 0, which means immutable.
uint64_t nextMutation(uint64_t mutations) {
    return mutations == std::numeric_limits<uint64_t>::max() ? 1 : mutations + 1;
}

}  // namespace

// ---- JKArray ------------------------------------------------------------------

JKArray::JKArray(JKCollectionKey, std::span<Value> values, bool isMutable)
    : count_(values.size()), capacity_(values.size()), slotsInArena_(!isMutable && foundation::ValueArena::active()) {
    mutations_ = isMutable ? 1 : 0;
    if (values.empty()) return;
    slots_ = static_cast<Value*>(slotsInArena_ ? foundation::ValueArena::allocate(values.size() * sizeof(Value),
                                                                                   alignof(Value))
                                               : ::operator new(values.size() * sizeof(Value)));
    std::uninitialized_move(values.begin(), values.end(), slots_);
}

JKArray::~JKArray() { releaseSlots(); }

void JKArray::releaseSlots() {
    std::destroy_n(slots_, count_);
    if (slotsInArena_) {
        if (slots_) foundation::ValueArena::release(slots_);
    } else {
        ::operator delete(slots_);
    }
    slots_ = nullptr;
    count_ = capacity_ = 0;
}

void JKArray::allocWithZone() {
    throw NSInvalidArgumentException(exceptionReason(kPrivateClass, "JKArray", "allocWithZone:", "JKArray"));
}

void JKArray::requireMutable(const char* selector) const {
    if (mutations_ == 0) throw NSInternalInconsistencyException(exceptionReason(kImmutable, "JKArray", selector));
}

void JKArray::mutated() { mutations_ = nextMutation(mutations_); }

const Value& JKArray::at(size_t index) const {
    if (index >= count_)
        throw NSRangeException(exceptionReason(kBeyondBounds, "JKArray", "objectAtIndex:", index, count_));
    return slots_[index];
}

void JKArray::insert(size_t index, Value value) {
    requireMutable("insertObject:atIndex:");
    if (index > count_)
        throw NSRangeException(exceptionReason(kBeyondBounds, "JKArray", "insertObject:atIndex:", index, count_ + 1));
    if (count_ + 1 > capacity_) {
        Value* grown = nullptr;
        try {
            grown = static_cast<Value*>(::operator new((capacity_ + 16) * sizeof(Value)));
        } catch (const std::bad_alloc&) {
            throw NSMallocException("Unable to resize objects array.");
        }
        std::uninitialized_move(slots_, slots_ + count_, grown);
        const size_t count = count_, capacity = capacity_ + 16;
        releaseSlots();
        slots_ = grown;
        count_ = count;
        capacity_ = capacity;
        slotsInArena_ = false;
    }
    // The slot at the end comes into being, the others move up one.
    new (&slots_[count_]) Value();
    std::move_backward(slots_ + index, slots_ + count_, slots_ + count_ + 1);
    slots_[index] = std::move(value);
    ++count_;
    mutated();
}

void JKArray::replace(size_t index, Value value) {
    requireMutable("replaceObjectAtIndex:withObject:");
    if (index >= count_)
        throw NSRangeException(
            exceptionReason(kBeyondBounds, "JKArray", "replaceObjectAtIndex:withObject:", index, count_));
    slots_[index] = std::move(value);
    mutated();
}

void JKArray::remove(size_t index) {
    requireMutable("removeObjectAtIndex:");
    if (index >= count_)
        throw NSRangeException(exceptionReason(kBeyondBounds, "JKArray", "removeObjectAtIndex:", index, count_));
    std::move(slots_ + index + 1, slots_ + count_, slots_ + index);
    std::destroy_at(&slots_[--count_]);
    mutated();
}

void JKArray::removeAll() {
    requireMutable("removeAllObjects");
    std::destroy_n(slots_, count_);
    count_ = 0;
    mutated();
}

// ---- JKDictionary -------------------------------------------------------------

JKDictionary::JKDictionary(JKCollectionKey, std::vector<Pair>& pairs, size_t first, bool isMutable) {
    mutations_ = isMutable ? 1 : 0;
    const size_t sizeIndex = sizeIndexFor(pairs.size() - first);
    const size_t capacity = kCapacities[sizeIndex];
    // An immutable table never grows: room for its pairs is all it needs.
    allocate(sizeIndex, isMutable ? capacity : std::min(capacity, pairs.size() - first),
             !isMutable && foundation::ValueArena::active());
    try {
        for (size_t i = first; i < pairs.size(); ++i) add(pairs[i].keyHash, pairs[i].key, std::move(pairs[i].value), true);
    } catch (...) {
        destroyTable();
        throw;
    }
}

JKDictionary::~JKDictionary() { destroyTable(); }

void JKDictionary::allocWithZone() {
    throw NSInvalidArgumentException(exceptionReason(kPrivateClass, "JKDictionary", "allocWithZone:", "JKDictionary"));
}

uint64_t JKDictionary::hashKey(std::string_view key) {
    uint64_t h = 1402737925;
    for (char c : key) h = ((h * 33 + static_cast<uint8_t>(c)) - 29) ^ (h >> 19);
    return h;
}

namespace {

size_t listedSizeIndexFor(size_t count) {
    const double target = std::floor(static_cast<double>(count) * 1.33);
    const auto wanted = static_cast<size_t>(std::llround(target));
    const size_t* found = std::lower_bound(std::begin(kCapacities), std::end(kCapacities), wanted);
    return found == std::end(kCapacities) ? std::size(kCapacities) - 1
                                          : static_cast<size_t>(found - std::begin(kCapacities));
}

}  // namespace

size_t JKDictionary::sizeIndexFor(size_t count) {
    // Nearly every dictionary is small: their sizes are looked up.
    static const auto kSmall = [] {
        std::array<uint8_t, 128> indices{};
        for (size_t n = 0; n < indices.size(); ++n) indices[n] = static_cast<uint8_t>(listedSizeIndexFor(n));
        return indices;
    }();
    return count < kSmall.size() ? kSmall[count] : listedSizeIndexFor(count);
}

size_t JKDictionary::capacityFor(size_t count) { return kCapacities[sizeIndexFor(count)]; }

inline size_t JKDictionary::home(uint64_t keyHash) const { return kModuli[sizeIndex_].of(keyHash); }

inline size_t JKDictionary::home(std::string_view key) const { return home(hashKey(key)); }

void JKDictionary::allocate(size_t sizeIndex, size_t room, bool inArena) {
    static_assert(alignof(JKHashTableEntry) >= alignof(uint32_t));
    constexpr size_t kLargest = std::numeric_limits<size_t>::max() / 2;
    const size_t capacity = kCapacities[sizeIndex];
    if (room > kLargest / sizeof(JKHashTableEntry) || capacity > kLargest / sizeof(uint32_t))
        throw NSMallocException("Unable to allocate memory for hash table.");
    // The buckets first, as a walk reads them, then the entries.
    const size_t bytes = bucketBytes(capacity) + room * sizeof(JKHashTableEntry);
    void* block = nullptr;
    if (bytes > 0) {
        try {
            block =
                inArena ? foundation::ValueArena::allocate(bytes, alignof(JKHashTableEntry)) : ::operator new(bytes);
        } catch (const std::bad_alloc&) {
            throw NSMallocException("Unable to allocate memory for hash table.");
        }
    }
    block_ = block;
    inArena_ = inArena;
    capacity_ = static_cast<uint32_t>(capacity);
    sizeIndex_ = static_cast<uint8_t>(sizeIndex);
    room_ = static_cast<uint32_t>(room);
    count_ = 0;
    if (capacity <= kNarrowCapacity) {
        std::fill_n(static_cast<uint8_t*>(block), capacity, kNarrowFree);
    } else {
        std::fill_n(static_cast<uint32_t*>(block), capacity, kFree);
    }
}

void JKDictionary::destroyTable() {
    if (block_) std::destroy_n(entries(), count_);
    if (inArena_) {
        if (block_) foundation::ValueArena::release(block_);
    } else {
        ::operator delete(block_);
    }
    block_ = nullptr;
    count_ = capacity_ = room_ = 0;
    sizeIndex_ = 0;
}

void JKDictionary::requireMutable(const char* selector) const {
    if (mutations_ == 0) throw NSInternalInconsistencyException(exceptionReason(kImmutable, "JKDictionary", selector));
}

void JKDictionary::mutated() { mutations_ = nextMutation(mutations_); }

std::optional<size_t> JKDictionary::bucketOf(std::string_view key) const {
    if (capacity_ == 0) return std::nullopt;
    const JKHashTableEntry* const table = entries();
    size_t index = home(key);
    for (size_t visited = 0; visited < capacity_; ++visited) {
        const uint32_t at = entryIn(index);
        if (at == kFree) return std::nullopt;
        if (table[at].entry.first == key) return index;
        if (++index == capacity_) index = 0;
    }
    return std::nullopt;
}

const Value* JKDictionary::find(std::string_view key) const {
    const std::optional<size_t> index = bucketOf(key);
    return index ? &entries()[entryIn(*index)].entry.second : nullptr;
}

// Puts an entry in the first free bucket from its home. Keys met on the way
// are known to differ, so nothing is compared.
void JKDictionary::place(uint32_t entry) {
    size_t index = home(entries()[entry].entry.first);
    for (size_t visited = 0; visited < capacity_; ++visited) {
        if (entryIn(index) == kFree) {
            setEntryIn(index, entry);
            return;
        }
        if (++index == capacity_) index = 0;
    }
    throw NSMallocException("Unable to allocate memory for hash table.");  // callers leave a bucket free
}

void JKDictionary::add(uint64_t keyHash, std::string_view key, Value&& value, bool padded) {
    // The search for an equal key ends at the first free bucket from the
    // key's home, which is where a new entry goes.
    JKHashTableEntry* const table = entries();
    size_t index = capacity_ > 0 ? home(keyHash) : 0;
    for (size_t visited = 0; visited < capacity_; ++visited) {
        const uint32_t at = entryIn(index);
        if (at == kFree) break;
        if (table[at].entry.first == key) {
            table[at].entry.second = std::move(value);  // an equal key keeps its bucket and takes the new value
            return;
        }
        if (++index == capacity_) index = 0;
    }
    // Only a table at the largest listed size can be full; storing nothing
    // would lose the pair without a word.
    if (count_ == room_ || count_ == capacity_) throw NSMallocException("Unable to allocate memory for hash table.");
    const uint32_t entry = count_;
    // A padded key that fits in the string itself is copied as a fixed 15
    // bytes and cut to its length: no call to copy a length known only now.
    constexpr size_t kInPlace = 15;
    static_assert(kPairKeyReadable >= kInPlace);
    if (padded && key.size() <= kInPlace) {
        new (&table[entry]) JKHashTableEntry{Entry(std::piecewise_construct, std::forward_as_tuple(key.data(), kInPlace),
                                                   std::forward_as_tuple(std::move(value)))};
        table[entry].entry.first.erase(key.size());
    } else {
        new (&table[entry]) JKHashTableEntry{
            Entry(std::piecewise_construct, std::forward_as_tuple(key), std::forward_as_tuple(std::move(value)))};
    }
    ++count_;
    setEntryIn(index, entry);
}

// Moves the entries over to a new table, placed in the old one's bucket order.
void JKDictionary::rebuild(size_t sizeIndex) {
    void* const oldBlock = block_;
    const bool oldInArena = inArena_;
    const size_t oldCapacity = capacity_, oldCount = count_;
    allocate(sizeIndex, kCapacities[sizeIndex], false);  // when it throws, the table is as it was
    JKHashTableEntry* const oldEntries = oldBlock ? entries(oldBlock, oldCapacity) : nullptr;
    for (size_t i = 0; i < oldCapacity; ++i) {
        const uint32_t at = entryIn(oldBlock, oldCapacity, i);
        if (at == kFree) continue;
        const uint32_t entry = count_;
        new (&entries()[entry]) JKHashTableEntry(std::move(oldEntries[at]));
        ++count_;
        place(entry);  // cannot fail: the new table is larger
    }
    std::destroy_n(oldEntries, oldCount);
    if (oldInArena) {
        if (oldBlock) foundation::ValueArena::release(oldBlock);
    } else {
        ::operator delete(oldBlock);
    }
}

void JKDictionary::set(std::string key, Value value) {
    requireMutable("setObject:forKey:");
    const size_t wanted = sizeIndexFor(count_ + 1);
    if (capacity_ < kCapacities[wanted]) rebuild(wanted);
    add(hashKey(key), key, std::move(value), false);
    mutated();
}

void JKDictionary::removeBucket(size_t index) {
    // The last entry fills the freed one's place, so the entries stay packed.
    JKHashTableEntry* const table = entries();
    const uint32_t freed = entryIn(index);
    const uint32_t last = count_ - 1;
    setEntryIn(index, kFree);
    if (freed != last) {
        table[freed] = std::move(table[last]);
        size_t at = home(table[freed].entry.first);
        while (entryIn(at) != last) at = at + 1 == capacity_ ? 0 : at + 1;
        setEntryIn(at, freed);
    }
    std::destroy_at(&table[last]);
    --count_;
    // Entries after the freed bucket, up to the next free one, may have
    // passed over it from their homes: each goes back to the first free
    // bucket from its home, so a lookup never stops short of it.
    size_t next = index;
    for (size_t visited = 1; visited < capacity_; ++visited) {
        if (++next == capacity_) next = 0;
        const uint32_t moving = entryIn(next);
        if (moving == kFree) return;
        setEntryIn(next, kFree);
        place(moving);
    }
}

void JKDictionary::remove(std::string_view key) {
    requireMutable("removeObjectForKey:");
    if (const std::optional<size_t> index = bucketOf(key)) {
        removeBucket(*index);
        mutated();
    }
}

void JKDictionary::removeAll() {
    requireMutable("removeAllObjects");
    if (block_) std::destroy_n(entries(), count_);
    count_ = 0;
    for (size_t index = 0; index < capacity_; ++index) setEntryIn(index, kFree);
    mutated();
}

void JKDictionary::gather(std::vector<const Entry*>& entries) const {
    const size_t first = entries.size();
    entries.resize(first + count_ + 1);  // one spare slot: a free bucket's pointer goes where the next entry's will
    const Entry** to = entries.data() + first;
    const JKHashTableEntry* const table = this->entries();
    size_t gathered = 0;
    // A free bucket's number is turned into 0 by arithmetic, not a branch.
    auto take = [&](size_t at, size_t free) {
        const size_t used = at != free;
        to[gathered] = &table[at * used].entry;
        gathered += used;
    };
    if (capacity_ <= kNarrowCapacity) {
        const auto* buckets = static_cast<const uint8_t*>(block_);
        for (size_t index = 0; index < capacity_; ++index) take(buckets[index], kNarrowFree);
    } else {
        const auto* buckets = static_cast<const uint32_t*>(block_);
        for (size_t index = 0; index < capacity_; ++index) take(buckets[index], kFree);
    }
    entries.resize(first + gathered);
}

const foundation::DictionaryStorage::Entry* JKDictionary::entryFrom(size_t& position) const {
    for (; position < capacity_; ++position)
        if (const JKHashTableEntry* entry = bucket(position)) return &entry->entry;
    return nullptr;
}

// ---- JKDictionaryEnumerator ---------------------------------------------------

std::optional<JKDictionaryEnumerator> JKDictionaryEnumerator::keyEnumerator(const foundation::Dictionary& dictionary) {
    if (!dynamic_cast<const JKDictionary*>(&dictionary.storage())) return std::nullopt;
    return JKDictionaryEnumerator(dictionary);
}

std::optional<std::string> JKDictionaryEnumerator::nextObject() {
    const foundation::DictionaryStorage::Entry* entry = collection_.storage().entryFrom(nextObject_);
    if (!entry) return std::nullopt;
    ++nextObject_;
    return entry->first;
}

std::vector<std::string> JKDictionaryEnumerator::allObjects() {
    std::vector<std::string> keys;
    while (std::optional<std::string> key = nextObject()) keys.push_back(std::move(*key));
    return keys;
}

}  // namespace jsonkit
