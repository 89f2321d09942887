#pragma once

// The property-list object model: null, boolean, number, string, data, date,
// array, dictionary, plus archive UIDs and native objects.
//
// A Value is a cheap, reference-counted handle. Scalars are immutable.
// Arrays and dictionaries are mutable containers shared by reference, like
// the platform's mutable collections: copying a Value that holds an array
// copies the reference, and a change through one handle is seen by all.
// `==` compares contents deeply; `isIdenticalTo` compares identity.

#include <any>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
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
class Dictionary;
struct ValueNode;

class Value {
public:
    enum class Type { Null, Boolean, Integer, Real, String, Data, Date, Array, Dictionary, Uid, Object };

    // Type codes of numbers, as the platform's number objects keep them.
    static constexpr char kTypeBool = 'c';
    static constexpr char kTypeInt32 = 'i';
    static constexpr char kTypeInt64 = 'q';
    static constexpr char kTypeUInt64 = 'Q';
    static constexpr char kTypeFloat = 'f';
    static constexpr char kTypeDouble = 'd';

    Value();  // null
    Value(std::nullptr_t) : Value() {}
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

    Type type() const;
    bool isNull() const { return type() == Type::Null; }
    bool isBool() const { return type() == Type::Boolean; }
    bool isInteger() const { return type() == Type::Integer; }
    bool isReal() const { return type() == Type::Real; }
    bool isNumber() const;  // boolean, integer or real
    bool isString() const { return type() == Type::String; }
    bool isData() const { return type() == Type::Data; }
    bool isDate() const { return type() == Type::Date; }
    bool isArray() const { return type() == Type::Array; }
    bool isDictionary() const { return type() == Type::Dictionary; }
    bool isUid() const { return type() == Type::Uid; }
    bool isObject() const { return type() == Type::Object; }
    bool isUnsigned() const;  // an integer kept as unsigned 64-bit
    bool isDecimal() const;   // a number made by decimal()
    char numberType() const;  // the type code of a number, 0 for other types
    const char* typeName() const;

    // Conversions, as the platform's accessors behave: numbers convert among
    // themselves (booleans are 0 and 1), strings parse their leading number,
    // anything else gives the fallback.
    bool asBool(bool fallback = false) const;
    int64_t asInt(int64_t fallback = 0) const;
    uint64_t asUInt(uint64_t fallback = 0) const;
    double asDouble(double fallback = 0) const;
    // The text of a string; empty for other types.
    const std::string& asString() const;
    std::optional<std::string> stringValue() const;  // none unless a string
    const Bytes& asData() const;                     // empty unless data
    std::optional<Date> asDate() const;
    uint64_t asUid() const;
    // The container; an empty, unshared container when the value holds none.
    Array asArray() const;
    Dictionary asDictionary() const;
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
    bool isIdenticalTo(const Value& other) const { return node_ == other.node_; }

    // A copy that shares nothing mutable with this value.
    Value deepCopy() const;

    // Debug text, close to the platform's description of property lists.
    std::string description() const;

private:
    explicit Value(std::shared_ptr<const ValueNode> node) : node_(std::move(node)) {}
    std::shared_ptr<const ValueNode> node_;
    friend class Array;
    friend class Dictionary;
};

// A mutable array shared by reference.
class Array {
public:
    Array();
    Array(std::initializer_list<Value> values);
    explicit Array(std::vector<Value> values);

    size_t size() const;
    bool empty() const { return size() == 0; }
    // The element; null when out of range.
    const Value& operator[](size_t index) const;
    const Value& at(size_t index) const;  // throws std::out_of_range

    void push_back(Value value);
    void insert(size_t index, Value value);  // index ≤ size()
    void set(size_t index, Value value);     // index < size()
    void erase(size_t index);
    void clear();

    const std::vector<Value>& values() const;
    std::vector<Value>::const_iterator begin() const { return values().begin(); }
    std::vector<Value>::const_iterator end() const { return values().end(); }

    bool isIdenticalTo(const Array& other) const { return items_ == other.items_; }
    bool operator==(const Array& other) const;
    Array copy() const;  // a new array holding the same elements

private:
    std::shared_ptr<std::vector<Value>> items_;
    friend class Value;
};

// A mutable dictionary with string keys, shared by reference. Keys keep the
// order of their first insertion, so written files are deterministic.
class Dictionary {
public:
    using Entry = std::pair<std::string, Value>;

    Dictionary();
    Dictionary(std::initializer_list<Entry> entries);

    size_t size() const;
    bool empty() const { return size() == 0; }
    bool contains(std::string_view key) const;
    // The value under a key; null when absent.
    const Value& get(std::string_view key) const;
    const Value& operator[](std::string_view key) const { return get(key); }
    void set(std::string key, Value value);
    void remove(std::string_view key);
    void clear();

    std::vector<std::string> keys() const;
    const std::vector<Entry>& entries() const;
    std::vector<Entry>::const_iterator begin() const { return entries().begin(); }
    std::vector<Entry>::const_iterator end() const { return entries().end(); }

    bool isIdenticalTo(const Dictionary& other) const { return storage_ == other.storage_; }
    bool operator==(const Dictionary& other) const;
    Dictionary copy() const;  // a new dictionary holding the same values

private:
    struct Storage;
    std::shared_ptr<Storage> storage_;
    friend class Value;
    friend struct ValueNode;
};

}  // namespace foundation
