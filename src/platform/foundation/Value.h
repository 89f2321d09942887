#pragma once

// The property-list object model: null, boolean, number, string, data, date,
// array, dictionary, plus archive UIDs and native objects.
//
// A Value is a small handle. Scalars (null, booleans, numbers, dates, UIDs)
// live in the handle itself and cost no allocation; strings, data, containers,
// native objects and decimal numbers live in one reference-counted node the
// handle points at. Scalars are immutable.
// Arrays and dictionaries are mutable containers shared by reference, like
// the platform's mutable collections: copying a Value that holds an array
// copies the reference, and a change through one handle is seen by all.
// `==` compares contents deeply; `isIdenticalTo` compares identity.

#include "platform/foundation/ValueNode.h"

#include <any>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace foundation {

using Bytes = std::vector<uint8_t>;

// A moment in time, as seconds since 2001-01-01 00:00:00 UTC (the reference
// date that property lists and keyed archives store).
struct Date {
    double sinceReferenceDate = 0;

    static constexpr double kUnixOffset = 978307200.0;  // 1970 → 2001 in seconds

    static Date now();
    static Date fromUnixTime(double seconds) { return Date{seconds - kUnixOffset}; }
    double unixTime() const { return sinceReferenceDate + kUnixOffset; }

    bool operator==(const Date&) const = default;
    auto operator<=>(const Date&) const = default;
};

class Array;
class ArrayStorage;
class Dictionary;
class DictionaryStorage;

// A string's node: the text asString() hands out.
struct StringValueNode final : ValueNode {
    explicit StringValueNode(std::string s) : text(std::move(s)) {}
    const std::string text;
};

class Value {
public:
    enum class Type : uint8_t { Null, Boolean, Integer, Real, String, Data, Date, Array, Dictionary, Uid, Object };

    // Type codes of numbers, as the platform's number objects keep them.
    static constexpr char kTypeBool = 'c';
    static constexpr char kTypeInt32 = 'i';
    static constexpr char kTypeInt64 = 'q';
    static constexpr char kTypeUInt64 = 'Q';
    static constexpr char kTypeFloat = 'f';
    static constexpr char kTypeDouble = 'd';

    Value() noexcept = default;  // null
    Value(std::nullptr_t) noexcept {}
    Value(const Value& other) noexcept : type_(other.type_), numberType_(other.numberType_), flags_(other.flags_) {
        payload_.bits = other.payload_.bits;
        if (flags_ & kNode) payload_.node->retain();
    }
    Value(Value&& other) noexcept : type_(other.type_), numberType_(other.numberType_), flags_(other.flags_) {
        payload_.bits = other.payload_.bits;
        other.type_ = Type::Null;
        other.numberType_ = 0;
        other.flags_ = 0;
        other.payload_.bits = 0;
    }
    Value& operator=(const Value& other) noexcept {
        Value copy(other);
        swap(copy);
        return *this;
    }
    Value& operator=(Value&& other) noexcept {
        Value moved(std::move(other));
        swap(moved);
        return *this;
    }
    ~Value() {
        if (flags_ & kNode) payload_.node->release();
    }
    void swap(Value& other) noexcept {
        std::swap(type_, other.type_);
        std::swap(numberType_, other.numberType_);
        std::swap(flags_, other.flags_);
        std::swap(payload_.bits, other.payload_.bits);
    }

    Value(bool b);
    Value(int i);
    Value(long i);
    Value(long long i);
    Value(unsigned int i);
    Value(unsigned long i);
    Value(unsigned long long i);
    Value(float f);
    Value(double d);
    Value(const char* s);
    Value(std::string s);
    Value(std::string_view s);
    Value(Bytes data);
    Value(Date date);
    Value(Array array);
    Value(Dictionary dictionary);

    // A number with an explicit type code (integer codes keep integers, 'f'/'d' reals).
    static Value integer(int64_t i, char typeCode = kTypeInt64);
    static Value real(double d, char typeCode = kTypeDouble);
    // An exact decimal number from its literal text (the JSON readers'); its
    // text is kept and written back unchanged. Returns null for malformed text.
    static Value decimal(std::string_view literal);
    static Value uid(uint64_t uid);
    // A native object (a frame, a boxed rectangle, ...). Not written to property lists.
    static Value object(std::any object);

    Type type() const { return type_; }
    bool isNull() const { return type() == Type::Null; }
    bool isBool() const { return type() == Type::Boolean; }
    bool isInteger() const { return type() == Type::Integer; }
    bool isReal() const { return type() == Type::Real; }
    bool isNumber() const { return type_ == Type::Boolean || type_ == Type::Integer || type_ == Type::Real; }
    bool isString() const { return type() == Type::String; }
    bool isData() const { return type() == Type::Data; }
    bool isDate() const { return type() == Type::Date; }
    bool isArray() const { return type() == Type::Array; }
    bool isDictionary() const { return type() == Type::Dictionary; }
    bool isUid() const { return type() == Type::Uid; }
    bool isObject() const { return type() == Type::Object; }
    bool isUnsigned() const { return flags_ & kUnsigned; }  // an integer kept as unsigned 64-bit
    bool isDecimal() const { return flags_ & kDecimal; }    // a number made by decimal()
    char numberType() const { return numberType_; }         // the type code of a number, 0 for other types
    const char* typeName() const;

    // Conversions, as the platform's accessors behave: numbers convert among
    // themselves (booleans are 0 and 1), strings parse their leading number,
    // anything else gives the fallback.
    bool asBool(bool fallback = false) const;
    int64_t asInt(int64_t fallback = 0) const;
    uint64_t asUInt(uint64_t fallback = 0) const;
    double asDouble(double fallback = 0) const;
    // The text of a string; empty for other types.
    const std::string& asString() const {
        return type_ == Type::String ? static_cast<const StringValueNode*>(payload_.node)->text : emptyString();
    }
    std::optional<std::string> stringValue() const;  // none unless a string
    const Bytes& asData() const;                     // empty unless data
    std::optional<Date> asDate() const;
    uint64_t asUid() const;
    // The container; an empty, unshared container when the value holds none.
    Array asArray() const;
    Dictionary asDictionary() const;
    // The container's storage without taking a reference (no reference-count
    // traffic, for walks of large trees); null when the value holds none.
    // Valid while this value is.
    const ArrayStorage* arrayStorage() const;
    const DictionaryStorage* dictionaryStorage() const;
    const std::any* asObject() const;  // null unless a native object
    template <class T>
    const T* objectAs() const {
        const std::any* any = asObject();
        return any ? std::any_cast<T>(any) : nullptr;
    }
    const std::string& decimalText() const;  // the literal of a decimal number

    // The platform's description of a number: integers as integers, reals as
    // the shortest text that reads back to the same double.
    std::string numberDescription() const;

    // Deep equality (the platform's isEqual:): numbers and booleans compare by
    // value, containers by contents, native objects by identity.
    bool operator==(const Value& other) const;
    // Values in nodes are identical when they share the node; scalars held
    // in the handle have no identity apart from their contents, so they are
    // identical when they have the same type, type code and bits.
    bool isIdenticalTo(const Value& other) const {
        return type_ == other.type_ && numberType_ == other.numberType_ && flags_ == other.flags_ &&
               payload_.bits == other.payload_.bits;
    }
    // The node that identifies this very value; null for a scalar held in the
    // handle (see isIdenticalTo).
    const void* identity() const { return (flags_ & kNode) ? payload_.node : nullptr; }

    // A copy that shares nothing mutable with this value.
    Value deepCopy() const;

    // Debug text, close to the platform's description of property lists.
    std::string description() const;

private:
    // What the handle holds: a scalar's bits or the node.
    union Payload {
        uint64_t bits;
        bool b;
        int64_t i;
        uint64_t u;
        double d;  // also a date's seconds since the reference date
        ValueNode* node;
    };
    struct DataNode;
    struct ObjectNode;
    struct DecimalNode;

    static constexpr uint8_t kUnsigned = 1;  // an integer beyond int64_t, kept as uint64_t
    static constexpr uint8_t kNode = 2;      // payload_.node is set and counted
    static constexpr uint8_t kDecimal = 4;   // the node is a DecimalNode holding the number

    static const std::string& emptyString();
    // A value in a new node of the given type.
    Value(Type type, Retained<ValueNode> node) : type_(type), flags_(kNode) { payload_.node = node.take(); }
    // The number's bits, wherever they are kept.
    const Payload& number() const;

    Type type_ = Type::Null;
    char numberType_ = 0;
    uint8_t flags_ = 0;
    Payload payload_{0};

    friend class Array;
    friend class Dictionary;
};

// What holds an Array's elements. The ordered vector is the default; other
// storages (a decoder's compact, possibly immutable containers) plug in behind
// the same Array, so their users see ordinary arrays. Made with makeNode.
class ArrayStorage : public ValueNode {
public:
    // The elements, contiguous; valid until the next change.
    virtual std::span<const Value> values() const = 0;
    // Throws std::out_of_range (or a subclass) for an index not below the count.
    virtual const Value& at(size_t index) const = 0;
    virtual void insert(size_t index, Value value) = 0;   // index ≤ count
    virtual void replace(size_t index, Value value) = 0;  // index < count
    virtual void remove(size_t index) = 0;                // index < count
    virtual void removeAll() = 0;

    // Changes so far: an iterator that sees it move knows the elements moved
    // under it. A storage whose walks survive changes may leave it alone.
    uint64_t mutations() const { return mutations_; }

protected:
    uint64_t mutations_ = 0;
};

// What holds a Dictionary's entries; the insertion-ordered table is the
// default. Made with makeNode.
class DictionaryStorage : public ValueNode {
public:
    using Entry = std::pair<std::string, Value>;

    virtual size_t size() const = 0;
    // The value under a key, or null when absent.
    virtual const Value* find(std::string_view key) const = 0;
    virtual void set(std::string key, Value value) = 0;
    virtual void remove(std::string_view key) = 0;
    virtual void removeAll() = 0;
    // Walks the entries in the storage's own order: the first entry at or
    // after `position`, with `position` moved onto it; null past the last.
    virtual const Entry* entryFrom(size_t& position) const = 0;

    uint64_t mutations() const { return mutations_; }

protected:
    uint64_t mutations_ = 0;
};

// Thrown by a collection's iterator when the collection changed in a way
// that moved its elements since the walk began.
struct CollectionMutatedError : std::logic_error {
    CollectionMutatedError() : std::logic_error("*** Collection was mutated while being enumerated.") {}
};

// A mutable array shared by reference.
class Array {
public:
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Value;
        using difference_type = std::ptrdiff_t;
        using pointer = const Value*;
        using reference = const Value&;

        const_iterator() = default;
        const Value& operator*() const { return *at_; }
        const Value* operator->() const { return at_; }
        const_iterator& operator++() {
            if (storage_->mutations() != mutations_) throw CollectionMutatedError();
            ++at_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator& other) const { return at_ == other.at_; }

    private:
        friend class Array;
        const_iterator(const ArrayStorage* storage, const Value* at)
            : storage_(storage), at_(at), mutations_(storage->mutations()) {}
        const ArrayStorage* storage_ = nullptr;
        const Value* at_ = nullptr;
        uint64_t mutations_ = 0;
    };

    Array();
    Array(std::initializer_list<Value> values);
    // A braced list of arrays alone means two things: gcc nests a single
    // array in a new one, clang copies it. Write Array{Value(inner)} to nest
    // and Array(inner) to copy.
    Array(std::initializer_list<Array>) = delete;
    explicit Array(std::vector<Value> values);
    // An array over another storage.
    explicit Array(Retained<ArrayStorage> storage);

    size_t size() const { return storage_->values().size(); }
    bool empty() const { return size() == 0; }
    // The element; null when out of range.
    const Value& operator[](size_t index) const;
    const Value& at(size_t index) const;  // throws std::out_of_range

    void push_back(Value value);
    void insert(size_t index, Value value);  // index ≤ size()
    void set(size_t index, Value value);     // index < size()
    void erase(size_t index);
    void clear();

    std::span<const Value> values() const { return storage_->values(); }
    const_iterator begin() const { return {storage_.get(), storage_->values().data()}; }
    const_iterator end() const {
        const std::span<const Value> all = storage_->values();
        return {storage_.get(), all.data() + all.size()};
    }

    const ArrayStorage& storage() const { return *storage_; }
    // What identifies the shared contents (the same for every handle on them).
    const void* identity() const { return storage_.get(); }
    bool isIdenticalTo(const Array& other) const { return storage_ == other.storage_; }
    bool operator==(const Array& other) const;
    Array copy() const;  // a new array in the default storage holding the same elements

private:
    Retained<ArrayStorage> storage_;
    friend class Value;
};

// A mutable dictionary with string keys, shared by reference. In the default
// storage keys keep the order of their first insertion, so written files are
// deterministic; other storages walk in their own order.
class Dictionary {
public:
    using Entry = DictionaryStorage::Entry;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Entry;
        using difference_type = std::ptrdiff_t;
        using pointer = const Entry*;
        using reference = const Entry&;

        const_iterator() = default;
        const Entry& operator*() const { return *entry_; }
        const Entry* operator->() const { return entry_; }
        const_iterator& operator++() {
            if (storage_->mutations() != mutations_) throw CollectionMutatedError();
            ++position_;
            entry_ = storage_->entryFrom(position_);
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator& other) const { return entry_ == other.entry_; }

    private:
        friend class Dictionary;
        explicit const_iterator(const DictionaryStorage* storage)
            : storage_(storage), entry_(storage->entryFrom(position_)), mutations_(storage->mutations()) {}
        const DictionaryStorage* storage_ = nullptr;
        size_t position_ = 0;
        const Entry* entry_ = nullptr;
        uint64_t mutations_ = 0;
    };

    Dictionary();
    Dictionary(std::initializer_list<Entry> entries);
    // A dictionary over another storage.
    explicit Dictionary(Retained<DictionaryStorage> storage);

    size_t size() const { return storage_->size(); }
    bool empty() const { return size() == 0; }
    bool contains(std::string_view key) const { return storage_->find(key) != nullptr; }
    // The value under a key; null when absent.
    const Value& get(std::string_view key) const;
    const Value& operator[](std::string_view key) const { return get(key); }
    void set(std::string key, Value value) { storage_->set(std::move(key), std::move(value)); }
    void remove(std::string_view key) { storage_->remove(key); }
    void clear() { storage_->removeAll(); }

    std::vector<std::string> keys() const;
    const_iterator begin() const { return const_iterator(storage_.get()); }
    const_iterator end() const { return const_iterator(); }

    const DictionaryStorage& storage() const { return *storage_; }
    const void* identity() const { return storage_.get(); }
    bool isIdenticalTo(const Dictionary& other) const { return storage_ == other.storage_; }
    bool operator==(const Dictionary& other) const;
    Dictionary copy() const;  // a new dictionary in the default storage holding the same values

private:
    Retained<DictionaryStorage> storage_;
    friend class Value;
};

inline const ArrayStorage* Value::arrayStorage() const {
    return type_ == Type::Array ? static_cast<const ArrayStorage*>(payload_.node) : nullptr;
}

inline const DictionaryStorage* Value::dictionaryStorage() const {
    return type_ == Type::Dictionary ? static_cast<const DictionaryStorage*>(payload_.node) : nullptr;
}

}  // namespace foundation
