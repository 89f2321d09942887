#include "platform/foundation/Value.h"

#include "platform/foundation/ValueArena.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <unordered_map>
#include <variant>

namespace foundation {

Date Date::now() {
    using namespace std::chrono;
    double unix = duration<double>(system_clock::now().time_since_epoch()).count();
    return fromUnixTime(unix);
}

namespace {

// The default array storage: a vector, changed in place.
class OrderedArrayStorage final : public ArrayStorage {
public:
    OrderedArrayStorage() = default;
    explicit OrderedArrayStorage(std::vector<Value> values) : items_(std::move(values)) {}

    std::span<const Value> values() const override { return items_; }
    const Value& at(size_t index) const override { return items_.at(index); }
    void insert(size_t index, Value value) override {
        if (index == items_.size()) {
            items_.push_back(std::move(value));
            return;
        }
        if (index > items_.size()) throw std::out_of_range("Array::insert index beyond bounds");
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(value));
    }
    void replace(size_t index, Value value) override { items_.at(index) = std::move(value); }
    void remove(size_t index) override {
        if (index >= items_.size()) throw std::out_of_range("Array::erase index beyond bounds");
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    }
    void removeAll() override { items_.clear(); }

private:
    std::vector<Value> items_;
};

struct StringHash {
    using is_transparent = void;
    size_t operator()(std::string_view key) const { return std::hash<std::string_view>()(key); }
};

// The default dictionary storage: entries in the order of their first
// insertion. Most dictionaries are small: those are searched in order; past
// kLinearLimit entries an index from key to position keeps lookups constant.
class OrderedDictionaryStorage final : public DictionaryStorage {
public:
    static constexpr size_t kLinearLimit = 16;

    size_t size() const override { return entries_.size(); }
    const Value* find(std::string_view key) const override {
        const size_t at = position(key);
        return at == entries_.size() ? nullptr : &entries_[at].second;
    }
    void set(std::string key, Value value) override {
        if (index_.empty()) {
            const size_t at = position(key);
            if (at < entries_.size()) {
                entries_[at].second = std::move(value);
                return;
            }
            entries_.emplace_back(std::move(key), std::move(value));
            if (entries_.size() > kLinearLimit) reindex();
            return;
        }
        const auto [it, added] = index_.try_emplace(key, entries_.size());  // one lookup for both cases
        if (!added) {
            entries_[it->second].second = std::move(value);
            return;
        }
        entries_.emplace_back(std::move(key), std::move(value));
    }
    void remove(std::string_view key) override {
        const size_t at = position(key);
        if (at == entries_.size()) return;
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
        reindex();
    }
    void removeAll() override {
        entries_.clear();
        index_.clear();
    }
    const Entry* entryFrom(size_t& position) const override {
        return position < entries_.size() ? &entries_[position] : nullptr;
    }

private:
    // The position of a key's entry; size() when absent. The index exists
    // exactly while there are more than kLinearLimit entries.
    size_t position(std::string_view key) const {
        if (index_.empty()) {
            for (size_t i = 0; i < entries_.size(); ++i)
                if (entries_[i].first == key) return i;
            return entries_.size();
        }
        auto it = index_.find(key);
        return it == index_.end() ? entries_.size() : it->second;
    }
    void reindex() {
        index_.clear();
        if (entries_.size() <= kLinearLimit) return;
        for (size_t i = 0; i < entries_.size(); ++i) index_.emplace(entries_[i].first, i);
    }

    std::vector<Entry> entries_;
    std::unordered_map<std::string, size_t, StringHash, std::equal_to<>> index_;
};

}  // namespace

void ValueNode::destroy() const noexcept {
    // The most derived object starts where its memory does.
    void* memory = dynamic_cast<void*>(const_cast<ValueNode*>(this));
    const bool arena = inArena_;
    this->~ValueNode();
    if (arena) {
        ValueArena::release(memory);
    } else {
        ::operator delete(memory);
    }
}

struct Value::DataNode final : ValueNode {
    explicit DataNode(Bytes bytes) : data(std::move(bytes)) {}
    const Bytes data;
};

struct Value::ObjectNode final : ValueNode {
    explicit ObjectNode(std::any any) : object(std::move(any)) {}
    const std::any object;
};

// A decimal number: its bits, as a plain number keeps them in the handle,
// and its literal.
struct Value::DecimalNode final : ValueNode {
    DecimalNode(Payload bits, std::string literal) : number(bits), text(std::move(literal)) {}
    const Payload number;
    const std::string text;
};

namespace {

const Bytes kEmptyBytes;
const Value kNullValue;

// Reads the leading number of a text the way the platform's string accessors do:
// leading blanks skipped, trailing garbage ignored, 0 when nothing parses.
double leadingDouble(const std::string& text) {
    const char* start = text.c_str();
    char* end = nullptr;
    double value = std::strtod(start, &end);
    return end == start ? 0 : value;
}

bool isDecimalLiteral(std::string_view s) {
    size_t i = 0;
    if (i < s.size() && s[i] == '-') ++i;
    size_t digits = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    if (i == digits) return false;
    if (i < s.size() && s[i] == '.') {
        size_t fraction = ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        if (i == fraction) return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        size_t exponent = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        if (i == exponent) return false;
    }
    return i == s.size();
}

}  // namespace

const std::string& Value::emptyString() {
    static const std::string empty;
    return empty;
}

const Value::Payload& Value::number() const {
    return (flags_ & kDecimal) ? static_cast<const DecimalNode*>(payload_.node)->number : payload_;
}

// ---- construction ---------------------------------------------------------

Value::Value(bool b) : type_(Type::Boolean), numberType_(kTypeBool) { payload_.b = b; }

Value::Value(int i) : Value(integer(i, kTypeInt32)) {}
Value::Value(long i) : Value(integer(i, kTypeInt64)) {}
Value::Value(long long i) : Value(integer(i, kTypeInt64)) {}
Value::Value(unsigned int i) : Value(integer(i, kTypeInt64)) {}
Value::Value(unsigned long i) : Value(static_cast<unsigned long long>(i)) {}
Value::Value(unsigned long long i) : type_(Type::Integer), numberType_(kTypeInt64) {
    payload_.u = i;
    if (i > static_cast<unsigned long long>(std::numeric_limits<int64_t>::max())) {
        numberType_ = kTypeUInt64;
        flags_ = kUnsigned;
    }
}
Value::Value(float f) : Value(real(f, kTypeFloat)) {}
Value::Value(double d) : Value(real(d, kTypeDouble)) {}
Value::Value(const char* s) : Value(std::string(s ? s : "")) {}
Value::Value(std::string_view s) : Value(std::string(s)) {}
Value::Value(std::string s) : Value(Type::String, makeNode<StringValueNode>(std::move(s))) {}
Value::Value(Bytes data) : Value(Type::Data, makeNode<DataNode>(std::move(data))) {}
Value::Value(Date date) : type_(Type::Date) { payload_.d = date.sinceReferenceDate; }
Value::Value(Array array) : Value(Type::Array, std::move(array.storage_)) {}
Value::Value(Dictionary dictionary) : Value(Type::Dictionary, std::move(dictionary.storage_)) {}

Value Value::integer(int64_t i, char typeCode) {
    Value value;
    value.type_ = Type::Integer;
    value.numberType_ = typeCode;
    value.payload_.i = i;
    return value;
}

Value Value::real(double d, char typeCode) {
    Value value;
    value.type_ = Type::Real;
    value.numberType_ = typeCode;
    value.payload_.d = d;
    return value;
}

Value Value::decimal(std::string_view literal) {
    if (!isDecimalLiteral(literal)) return Value();
    bool integral = literal.find_first_of(".eE") == std::string_view::npos;
    Value value;
    if (integral) {
        int64_t i = 0;
        auto [ptr, ec] = std::from_chars(literal.data(), literal.data() + literal.size(), i);
        if (ec == std::errc() && ptr == literal.data() + literal.size()) {
            value = integer(i, kTypeInt64);
        } else {
            uint64_t u = 0;
            auto [uptr, uec] = std::from_chars(literal.data(), literal.data() + literal.size(), u);
            value = (uec == std::errc() && uptr == literal.data() + literal.size())
                        ? Value(static_cast<unsigned long long>(u))
                        : real(leadingDouble(std::string(literal)));
        }
    } else {
        value = real(leadingDouble(std::string(literal)));
    }
    Value result(value.type_, makeNode<DecimalNode>(value.payload_, std::string(literal)));
    result.numberType_ = value.numberType_;
    result.flags_ |= value.flags_ | kDecimal;
    return result;
}

Value Value::uid(uint64_t uid) {
    Value value;
    value.type_ = Type::Uid;
    value.payload_.u = uid;
    return value;
}

Value Value::object(std::any object) { return Value(Type::Object, makeNode<ObjectNode>(std::move(object))); }

// ---- inspection -----------------------------------------------------------

const char* Value::typeName() const {
    switch (type()) {
        case Type::Null:
            return "null";
        case Type::Boolean:
            return "boolean";
        case Type::Integer:
            return "integer";
        case Type::Real:
            return "real";
        case Type::String:
            return "string";
        case Type::Data:
            return "data";
        case Type::Date:
            return "date";
        case Type::Array:
            return "array";
        case Type::Dictionary:
            return "dictionary";
        case Type::Uid:
            return "uid";
        case Type::Object:
            return "object";
    }
    return "unknown";
}

bool Value::asBool(bool fallback) const {
    switch (type()) {
        case Type::Boolean:
            return number().b;
        case Type::Integer:
            return number().i != 0;
        case Type::Real:
            return number().d != 0;
        case Type::String: {
            // The platform's boolValue: leading Y, y, T, t or a non-zero digit.
            for (char c : asString()) {
                if (c == ' ' || c == '\t' || c == '\n') continue;
                if (c == '+' || c == '-') continue;
                return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
            }
            return false;
        }
        default:
            return fallback;
    }
}

int64_t Value::asInt(int64_t fallback) const {
    switch (type()) {
        case Type::Boolean:
            return number().b ? 1 : 0;
        case Type::Integer:
            return number().i;  // unsigned wraps as the platform's does
        case Type::Real: {
            double d = number().d;
            if (std::isnan(d)) return 0;
            if (d >= 9.2233720368547758e18) return std::numeric_limits<int64_t>::max();
            if (d <= -9.2233720368547758e18) return std::numeric_limits<int64_t>::min();
            return static_cast<int64_t>(d);
        }
        case Type::String: {
            double d = leadingDouble(asString());
            return Value(d).asInt();
        }
        default:
            return fallback;
    }
}

uint64_t Value::asUInt(uint64_t fallback) const {
    if (type() == Type::Integer) return number().u;
    if (type() == Type::Real) {
        double d = number().d;
        if (!(d > 0)) return 0;
        if (d >= 1.8446744073709552e19) return std::numeric_limits<uint64_t>::max();
        return static_cast<uint64_t>(d);
    }
    if (isNumber() || isString()) return static_cast<uint64_t>(asInt());
    return fallback;
}

double Value::asDouble(double fallback) const {
    switch (type()) {
        case Type::Boolean:
            return number().b ? 1 : 0;
        case Type::Integer:
            return isUnsigned() ? static_cast<double>(number().u) : static_cast<double>(number().i);
        case Type::Real:
            return number().d;
        case Type::String:
            return leadingDouble(asString());
        default:
            return fallback;
    }
}

std::optional<std::string> Value::stringValue() const {
    if (type() != Type::String) return std::nullopt;
    return asString();
}

const Bytes& Value::asData() const {
    return type() == Type::Data ? static_cast<const DataNode*>(payload_.node)->data : kEmptyBytes;
}

std::optional<Date> Value::asDate() const {
    if (type() != Type::Date) return std::nullopt;
    return Date{number().d};
}

uint64_t Value::asUid() const { return type() == Type::Uid ? number().u : 0; }

Array Value::asArray() const {
    if (type() != Type::Array) return Array();
    return Array(Retained<ArrayStorage>::share(static_cast<ArrayStorage*>(payload_.node)));
}

Dictionary Value::asDictionary() const {
    if (type() != Type::Dictionary) return Dictionary();
    return Dictionary(Retained<DictionaryStorage>::share(static_cast<DictionaryStorage*>(payload_.node)));
}

const std::any* Value::asObject() const {
    return type() == Type::Object ? &static_cast<const ObjectNode*>(payload_.node)->object : nullptr;
}

const std::string& Value::decimalText() const {
    return isDecimal() ? static_cast<const DecimalNode*>(payload_.node)->text : emptyString();
}

std::string Value::numberDescription() const {
    switch (type()) {
        case Type::Boolean:
            return number().b ? "1" : "0";
        case Type::Integer:
            return isUnsigned() ? std::to_string(number().u) : std::to_string(number().i);
        case Type::Real: {
            double d = number().d;
            if (std::isnan(d)) return "nan";
            if (std::isinf(d)) return d > 0 ? "inf" : "-inf";
            if (d == std::floor(d) && std::fabs(d) < 1e15) return std::to_string(static_cast<int64_t>(d));
            char buffer[64];
            auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, d);
            return ec == std::errc() ? std::string(buffer, ptr) : std::string();
        }
        default:
            return std::string();
    }
}

bool Value::operator==(const Value& other) const {
    if (isIdenticalTo(other)) return true;
    Type a = type(), b = other.type();
    if (isNumber() && other.isNumber()) {
        if ((a == Type::Real) || (b == Type::Real)) return asDouble() == other.asDouble();
        if (isUnsigned() || other.isUnsigned()) {
            bool negative = (!isUnsigned() && asInt() < 0) || (!other.isUnsigned() && other.asInt() < 0);
            return !negative && asUInt() == other.asUInt();
        }
        return asInt() == other.asInt();
    }
    if (a != b) return false;
    switch (a) {
        case Type::Null:
            return true;
        case Type::String:
            return asString() == other.asString();
        case Type::Data:
            return asData() == other.asData();
        case Type::Date:
            return number().d == other.number().d;
        case Type::Uid:
            return number().u == other.number().u;
        case Type::Array:
            return asArray() == other.asArray();
        case Type::Dictionary:
            return asDictionary() == other.asDictionary();
        case Type::Object:
            return payload_.node == other.payload_.node;
        default:
            return false;
    }
}

Value Value::deepCopy() const {
    if (isArray()) {
        Array copy;
        for (const Value& v : asArray()) copy.push_back(v.deepCopy());
        return copy;
    }
    if (isDictionary()) {
        Dictionary copy;
        for (const auto& [key, v] : asDictionary()) copy.set(key, v.deepCopy());
        return copy;
    }
    return *this;
}

std::string Value::description() const {
    switch (type()) {
        case Type::Null:
            return "<null>";
        case Type::Boolean:
        case Type::Integer:
        case Type::Real:
            return isDecimal() ? decimalText() : numberDescription();
        case Type::String:
            return "\"" + asString() + "\"";
        case Type::Data:
            return "<data " + std::to_string(asData().size()) + " bytes>";
        case Type::Date:
            return "<date " + std::to_string(number().d) + ">";
        case Type::Uid:
            return "<uid " + std::to_string(number().u) + ">";
        case Type::Object:
            return "<object>";
        case Type::Array: {
            std::string out = "(";
            bool first = true;
            for (const Value& v : asArray()) {
                out += first ? "" : ", ";
                out += v.description();
                first = false;
            }
            return out + ")";
        }
        case Type::Dictionary: {
            std::string out = "{";
            bool first = true;
            for (const auto& [key, v] : asDictionary()) {
                out += first ? "" : "; ";
                out += key + " = " + v.description();
                first = false;
            }
            return out + "}";
        }
    }
    return std::string();
}

// ---- Array ------------------------------------------------------------------

Array::Array() : storage_(makeNode<OrderedArrayStorage>()) {}
Array::Array(std::initializer_list<Value> values)
    : storage_(makeNode<OrderedArrayStorage>(std::vector<Value>(values))) {}
Array::Array(std::vector<Value> values) : storage_(makeNode<OrderedArrayStorage>(std::move(values))) {}
Array::Array(Retained<ArrayStorage> storage) : storage_(std::move(storage)) {}

const Value& Array::operator[](size_t index) const {
    const std::span<const Value> all = storage_->values();
    return index < all.size() ? all[index] : kNullValue;
}
const Value& Array::at(size_t index) const { return storage_->at(index); }
void Array::push_back(Value value) { storage_->insert(size(), std::move(value)); }
void Array::insert(size_t index, Value value) { storage_->insert(index, std::move(value)); }
void Array::set(size_t index, Value value) { storage_->replace(index, std::move(value)); }
void Array::erase(size_t index) { storage_->remove(index); }
void Array::clear() { storage_->removeAll(); }
bool Array::operator==(const Array& other) const {
    if (storage_ == other.storage_) return true;
    const std::span<const Value> mine = values(), theirs = other.values();
    return std::equal(mine.begin(), mine.end(), theirs.begin(), theirs.end());
}
Array Array::copy() const {
    const std::span<const Value> all = values();
    return Array(std::vector<Value>(all.begin(), all.end()));
}

// ---- Dictionary -------------------------------------------------------------

Dictionary::Dictionary() : storage_(makeNode<OrderedDictionaryStorage>()) {}
Dictionary::Dictionary(std::initializer_list<Entry> entries) : Dictionary() {
    for (const auto& [key, value] : entries) set(key, value);
}
Dictionary::Dictionary(Retained<DictionaryStorage> storage) : storage_(std::move(storage)) {}

const Value& Dictionary::get(std::string_view key) const {
    const Value* found = storage_->find(key);
    return found ? *found : kNullValue;
}
std::vector<std::string> Dictionary::keys() const {
    std::vector<std::string> keys;
    keys.reserve(size());
    for (const auto& entry : *this) keys.push_back(entry.first);
    return keys;
}
bool Dictionary::operator==(const Dictionary& other) const {
    if (storage_ == other.storage_) return true;
    if (size() != other.size()) return false;
    for (const auto& [key, value] : *this) {
        const Value* theirs = other.storage_->find(key);
        if (!theirs || !(*theirs == value)) return false;
    }
    return true;
}
Dictionary Dictionary::copy() const {
    Dictionary copy;
    for (const auto& [key, value] : *this) copy.set(key, value);
    return copy;
}

}  // namespace foundation
