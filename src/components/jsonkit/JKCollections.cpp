#include "components/jsonkit/JKCollections.h"

#include "components/jsonkit/JKTokenCache.h"
#include "platform/foundation/Exceptions.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

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

// The mutation counter after a change: never back to 0, which means immutable.
uint64_t nextMutation(uint64_t mutations) {
    return mutations == std::numeric_limits<uint64_t>::max() ? 1 : mutations + 1;
}

}  // namespace

// ---- JKArray ------------------------------------------------------------------

JKArray::JKArray(JKCollectionKey, std::span<Value> values, bool isMutable)
    : items_(std::make_move_iterator(values.begin()), std::make_move_iterator(values.end()),
             JKSlotAllocator<Value>(!isMutable && foundation::ValueArena::active())),
      capacity_(items_.size()) {
    mutations_ = isMutable ? 1 : 0;
}

void JKArray::allocWithZone() {
    throw NSInvalidArgumentException(exceptionReason(kPrivateClass, "JKArray", "allocWithZone:", "JKArray"));
}

void JKArray::requireMutable(const char* selector) const {
    if (mutations_ == 0) throw NSInternalInconsistencyException(exceptionReason(kImmutable, "JKArray", selector));
}

void JKArray::mutated() { mutations_ = nextMutation(mutations_); }

const Value& JKArray::at(size_t index) const {
    if (index >= items_.size())
        throw NSRangeException(exceptionReason(kBeyondBounds, "JKArray", "objectAtIndex:", index, items_.size()));
    return items_[index];
}

void JKArray::insert(size_t index, Value value) {
    requireMutable("insertObject:atIndex:");
    if (index > items_.size())
        throw NSRangeException(
            exceptionReason(kBeyondBounds, "JKArray", "insertObject:atIndex:", index, items_.size() + 1));
    if (items_.size() + 1 > capacity_) {
        try {
            items_.reserve(capacity_ + 16);
        } catch (const std::bad_alloc&) {
            throw NSMallocException("Unable to resize objects array.");
        }
        capacity_ += 16;
    }
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(value));
    mutated();
}

void JKArray::replace(size_t index, Value value) {
    requireMutable("replaceObjectAtIndex:withObject:");
    if (index >= items_.size())
        throw NSRangeException(
            exceptionReason(kBeyondBounds, "JKArray", "replaceObjectAtIndex:withObject:", index, items_.size()));
    items_[index] = std::move(value);
    mutated();
}

void JKArray::remove(size_t index) {
    requireMutable("removeObjectAtIndex:");
    if (index >= items_.size())
        throw NSRangeException(exceptionReason(kBeyondBounds, "JKArray", "removeObjectAtIndex:", index, items_.size()));
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    mutated();
}

void JKArray::removeAll() {
    requireMutable("removeAllObjects");
    items_.clear();
    mutated();
}

// ---- JKDictionary -------------------------------------------------------------

JKDictionary::JKDictionary(JKCollectionKey, std::vector<Pair>& pairs, size_t first, bool isMutable)
    : capacity_(capacityFor(pairs.size() - first)),
      table_(allocateTable(capacity_, !isMutable && foundation::ValueArena::active())) {
    mutations_ = isMutable ? 1 : 0;
    for (size_t i = first; i < pairs.size(); ++i)
        add(pairs[i].keyHash, std::move(pairs[i].key), std::move(pairs[i].value));
}

void JKDictionary::allocWithZone() {
    throw NSInvalidArgumentException(exceptionReason(kPrivateClass, "JKDictionary", "allocWithZone:", "JKDictionary"));
}

uint64_t JKDictionary::hashKey(std::string_view key) { return JKTokenCache::hash(JKTokenCache::kHashSeed, key); }

size_t JKDictionary::capacityFor(size_t count) {
    const double target = std::floor(static_cast<double>(count) * 1.33);
    const auto wanted = static_cast<size_t>(std::llround(target));
    const size_t* found = std::lower_bound(std::begin(kCapacities), std::end(kCapacities), wanted);
    return found == std::end(kCapacities) ? kCapacities[std::size(kCapacities) - 1] : *found;
}

JKDictionary::Table JKDictionary::allocateTable(size_t capacity, bool inArena) {
    const size_t bytes = capacity * sizeof(JKHashTableEntry);
    if (capacity > std::numeric_limits<size_t>::max() / sizeof(JKHashTableEntry))
        throw NSMallocException("Unable to allocate memory for hash table.");
    void* memory = nullptr;
    try {
        memory = inArena ? foundation::ValueArena::allocate(bytes, alignof(JKHashTableEntry)) : ::operator new(bytes);
    } catch (const std::bad_alloc&) {
        throw NSMallocException("Unable to allocate memory for hash table.");
    }
    auto* table = static_cast<JKHashTableEntry*>(memory);
    for (size_t i = 0; i < capacity; ++i) new (&table[i]) JKHashTableEntry();
    return Table(table, TableDeleter{capacity, inArena});
}

void JKDictionary::TableDeleter::operator()(JKHashTableEntry* table) const {
    for (size_t i = 0; i < capacity; ++i) table[i].~JKHashTableEntry();
    if (inArena) {
        foundation::ValueArena::release(table);
    } else {
        ::operator delete(table);
    }
}

void JKDictionary::requireMutable(const char* selector) const {
    if (mutations_ == 0) throw NSInternalInconsistencyException(exceptionReason(kImmutable, "JKDictionary", selector));
}

void JKDictionary::mutated() { mutations_ = nextMutation(mutations_); }

std::optional<size_t> JKDictionary::bucketOf(std::string_view key) const {
    if (capacity_ == 0) return std::nullopt;
    const uint64_t hash = hashKey(key);
    size_t index = hash % capacity_;
    for (size_t visited = 0; visited < capacity_; ++visited) {
        const JKHashTableEntry& at = table_[index];
        if (!at.occupied) return std::nullopt;
        if (at.keyHash == hash && at.entry.first == key) return index;
        if (++index == capacity_) index = 0;
    }
    return std::nullopt;
}

const Value* JKDictionary::find(std::string_view key) const {
    const std::optional<size_t> index = bucketOf(key);
    return index ? &table_[*index].entry.second : nullptr;
}

// Takes the first free bucket from the entry's home. Keys met on the way are
// known to differ, so nothing is compared.
void JKDictionary::place(uint64_t keyHash, Entry&& entry) {
    size_t index = keyHash % capacity_;
    for (size_t visited = 0; visited < capacity_; ++visited) {
        JKHashTableEntry& at = table_[index];
        if (!at.occupied) {
            at.fill(keyHash, std::move(entry));
            ++count_;
            return;
        }
        if (++index == capacity_) index = 0;
    }
    // Only a table at the largest listed size can be full; storing nothing
    // would lose the pair without a word.
    throw NSMallocException("Unable to allocate memory for hash table.");
}

void JKDictionary::add(uint64_t keyHash, std::string key, Value value) {
    if (capacity_ > 0) {
        size_t index = keyHash % capacity_;
        for (size_t visited = 0; visited < capacity_; ++visited) {
            JKHashTableEntry& at = table_[index];
            if (!at.occupied) break;
            if (at.keyHash == keyHash && at.entry.first == key) {
                at.entry.second = std::move(value);  // an equal key keeps its bucket and takes the new value
                return;
            }
            if (++index == capacity_) index = 0;
        }
    }
    place(keyHash, Entry(std::move(key), std::move(value)));
}

void JKDictionary::rebuild(size_t capacity) {
    Table old = allocateTable(capacity, false);
    std::swap(old, table_);
    const size_t oldCapacity = capacity_;
    capacity_ = capacity;
    count_ = 0;
    for (size_t i = 0; i < oldCapacity; ++i)
        if (old[i].occupied) place(old[i].keyHash, std::move(old[i].entry));
}

void JKDictionary::set(std::string key, Value value) {
    requireMutable("setObject:forKey:");
    const size_t wanted = capacityFor(count_ + 1);
    if (capacity_ < wanted) rebuild(wanted);
    const uint64_t keyHash = hashKey(key);  // before the key moves away
    add(keyHash, std::move(key), std::move(value));
    mutated();
}

void JKDictionary::removeBucket(size_t index) {
    table_[index].clear();
    --count_;
    // Entries after the freed bucket, up to the next free one, may have
    // passed over it from their homes: each goes back to the first free
    // bucket from its home, so a lookup never stops short of it.
    size_t next = index;
    for (size_t visited = 1; visited < capacity_; ++visited) {
        if (++next == capacity_) next = 0;
        JKHashTableEntry& at = table_[next];
        if (!at.occupied) return;
        const uint64_t keyHash = at.keyHash;
        Entry moving = std::move(at.entry);
        at.clear();
        --count_;
        place(keyHash, std::move(moving));
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
    for (size_t i = 0; i < capacity_; ++i) table_[i].clear();
    count_ = 0;
    mutated();
}

const foundation::DictionaryStorage::Entry* JKDictionary::entryFrom(size_t& position) const {
    for (; position < capacity_; ++position)
        if (table_[position].occupied) return &table_[position].entry;
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
