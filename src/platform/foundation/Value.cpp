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
// insertion, with an index from key to position.
class OrderedDictionaryStorage final : public DictionaryStorage {
public:
    size_t size() const override { return entries_.size(); }
    const Value* find(std::string_view key) const override {
        auto it = index_.find(key);
        return it == index_.end() ? nullptr : &entries_[it->second].second;
    }
    void set(std::string key, Value value) override {
        const auto [it, added] = index_.try_emplace(key, entries_.size());  // one lookup for both cases
        if (!added) {
            entries_[it->second].second = std::move(value);
            return;
        }
        entries_.emplace_back(std::move(key), std::move(value));
    }
    void remove(std::string_view key) override {
        auto it = index_.find(key);
        if (it == index_.end()) return;
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(it->second));
        index_.clear();
        for (size_t i = 0; i < entries_.size(); ++i) index_.emplace(entries_[i].first, i);
    }
    void removeAll() override {
        entries_.clear();
        index_.clear();
    }
    const Entry* entryFrom(size_t& position) const override {
        return position < entries_.size() ? &entries_[position] : nullptr;
    }

private:
    std::vector<Entry> entries_;
    std::unordered_map<std::string, size_t, StringHash, std::equal_to<>> index_;
};

}  // namespace

struct ValueNode {
    Value::Type type = Value::Type::Null;
    char numberType = 0;
    bool isUnsigned = false;
    union {
        bool b;
        int64_t i;
        uint64_t u;
        double d;  // also a date's seconds since the reference date
    } number{};
    std::string text;  // string contents, or the literal of a decimal number
    // The rarer contents, one kind per node; kept apart so that the common
    // nodes (numbers, strings) stay small.
    std::variant<std::monostate, Bytes, std::shared_ptr<ArrayStorage>, std::shared_ptr<DictionaryStorage>,
                 std::shared_ptr<const std::any>>
        payload;

    const Bytes& data() const { return std::get<Bytes>(payload); }
    const std::shared_ptr<ArrayStorage>& array() const { return std::get<std::shared_ptr<ArrayStorage>>(payload); }
    const std::shared_ptr<DictionaryStorage>& dictionary() const {
        return std::get<std::shared_ptr<DictionaryStorage>>(payload);
    }
    const std::shared_ptr<const std::any>& object() const { return std::get<std::shared_ptr<const std::any>>(payload); }
};

namespace {

const std::string kEmptyString;
const Bytes kEmptyBytes;
const Value kNullValue;

std::shared_ptr<ValueNode> makeNode(Value::Type type) {
    auto node = makeSharedInArena<ValueNode>();
    node->type = type;
    return node;
}

std::shared_ptr<const ValueNode> nullNode() {
    static const auto node = makeNode(Value::Type::Null);
    return node;
}

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

// ---- construction ---------------------------------------------------------

Value::Value() : node_(nullNode()) {}

Value::Value(bool b) {
    auto node = makeNode(Type::Boolean);
    node->numberType = kTypeBool;
    node->number.b = b;
    node_ = std::move(node);
}

Value::Value(int i) : Value(integer(i, kTypeInt32)) {}
Value::Value(long i) : Value(integer(i, kTypeInt64)) {}
Value::Value(long long i) : Value(integer(i, kTypeInt64)) {}
Value::Value(unsigned int i) : Value(integer(i, kTypeInt64)) {}
Value::Value(unsigned long i) : Value(static_cast<unsigned long long>(i)) {}
Value::Value(unsigned long long i) {
    if (i <= static_cast<unsigned long long>(std::numeric_limits<int64_t>::max())) {
        node_ = integer(static_cast<int64_t>(i)).node_;
        return;
    }
    auto node = makeNode(Type::Integer);
    node->numberType = kTypeUInt64;
    node->isUnsigned = true;
    node->number.u = i;
    node_ = std::move(node);
}
Value::Value(float f) : Value(real(f, kTypeFloat)) {}
Value::Value(double d) : Value(real(d, kTypeDouble)) {}
Value::Value(const char* s) : Value(std::string(s ? s : "")) {}
Value::Value(std::string_view s) : Value(std::string(s)) {}
Value::Value(std::string s) {
    auto node = makeNode(Type::String);
    node->text = std::move(s);
    node_ = std::move(node);
}
Value::Value(Bytes data) {
    auto node = makeNode(Type::Data);
    node->payload = std::move(data);
    node_ = std::move(node);
}
Value::Value(Date date) {
    auto node = makeNode(Type::Date);
    node->number.d = date.sinceReferenceDate;
    node_ = std::move(node);
}
Value::Value(Array array) {
    auto node = makeNode(Type::Array);
    node->payload = std::move(array.storage_);
    node_ = std::move(node);
}
Value::Value(Dictionary dictionary) {
    auto node = makeNode(Type::Dictionary);
    node->payload = std::move(dictionary.storage_);
    node_ = std::move(node);
}

Value Value::integer(int64_t i, char typeCode) {
    auto node = makeNode(Type::Integer);
    node->numberType = typeCode;
    node->number.i = i;
    return Value(std::shared_ptr<const ValueNode>(std::move(node)));
}

Value Value::real(double d, char typeCode) {
    auto node = makeNode(Type::Real);
    node->numberType = typeCode;
    node->number.d = d;
    return Value(std::shared_ptr<const ValueNode>(std::move(node)));
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
    auto node = std::make_shared<ValueNode>(*value.node_);
    node->text = std::string(literal);
    return Value(std::shared_ptr<const ValueNode>(std::move(node)));
}

Value Value::uid(uint64_t uid) {
    auto node = makeNode(Type::Uid);
    node->number.u = uid;
    return Value(std::shared_ptr<const ValueNode>(std::move(node)));
}

Value Value::object(std::any object) {
    auto node = makeNode(Type::Object);
    node->payload = std::make_shared<const std::any>(std::move(object));
    return Value(std::shared_ptr<const ValueNode>(std::move(node)));
}

// ---- inspection -----------------------------------------------------------

Value::Type Value::type() const { return node_->type; }

bool Value::isNumber() const {
    Type t = type();
    return t == Type::Boolean || t == Type::Integer || t == Type::Real;
}

bool Value::isUnsigned() const { return node_->type == Type::Integer && node_->isUnsigned; }

bool Value::isDecimal() const {
    return (node_->type == Type::Integer || node_->type == Type::Real) && !node_->text.empty();
}

char Value::numberType() const { return isNumber() ? node_->numberType : 0; }

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
            return node_->number.b;
        case Type::Integer:
            return node_->number.i != 0;
        case Type::Real:
            return node_->number.d != 0;
        case Type::String: {
            // The platform's boolValue: leading Y, y, T, t or a non-zero digit.
            for (char c : node_->text) {
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
            return node_->number.b ? 1 : 0;
        case Type::Integer:
            return node_->number.i;  // unsigned wraps as the platform's does
        case Type::Real: {
            double d = node_->number.d;
            if (std::isnan(d)) return 0;
            if (d >= 9.2233720368547758e18) return std::numeric_limits<int64_t>::max();
            if (d <= -9.2233720368547758e18) return std::numeric_limits<int64_t>::min();
            return static_cast<int64_t>(d);
        }
        case Type::String: {
            double d = leadingDouble(node_->text);
            return Value(d).asInt();
        }
        default:
            return fallback;
    }
}

uint64_t Value::asUInt(uint64_t fallback) const {
    if (type() == Type::Integer) return node_->number.u;
    if (type() == Type::Real) {
        double d = node_->number.d;
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
            return node_->number.b ? 1 : 0;
        case Type::Integer:
            return node_->isUnsigned ? static_cast<double>(node_->number.u) : static_cast<double>(node_->number.i);
        case Type::Real:
            return node_->number.d;
        case Type::String:
            return leadingDouble(node_->text);
        default:
            return fallback;
    }
}

const std::string& Value::asString() const { return type() == Type::String ? node_->text : kEmptyString; }

std::optional<std::string> Value::stringValue() const {
    if (type() != Type::String) return std::nullopt;
    return node_->text;
}

const Bytes& Value::asData() const { return type() == Type::Data ? node_->data() : kEmptyBytes; }

std::optional<Date> Value::asDate() const {
    if (type() != Type::Date) return std::nullopt;
    return Date{node_->number.d};
}

uint64_t Value::asUid() const { return type() == Type::Uid ? node_->number.u : 0; }

Array Value::asArray() const {
    Array array;
    if (type() == Type::Array) array.storage_ = node_->array();
    return array;
}

Dictionary Value::asDictionary() const {
    Dictionary dictionary;
    if (type() == Type::Dictionary) dictionary.storage_ = node_->dictionary();
    return dictionary;
}

const ArrayStorage* Value::arrayStorage() const { return type() == Type::Array ? node_->array().get() : nullptr; }

const DictionaryStorage* Value::dictionaryStorage() const {
    return type() == Type::Dictionary ? node_->dictionary().get() : nullptr;
}

const std::any* Value::asObject() const { return type() == Type::Object ? node_->object().get() : nullptr; }

const std::string& Value::decimalText() const { return isDecimal() ? node_->text : kEmptyString; }

std::string Value::numberDescription() const {
    switch (type()) {
        case Type::Boolean:
            return node_->number.b ? "1" : "0";
        case Type::Integer:
            return node_->isUnsigned ? std::to_string(node_->number.u) : std::to_string(node_->number.i);
        case Type::Real: {
            double d = node_->number.d;
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
    if (node_ == other.node_) return true;
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
            return node_->text == other.node_->text;
        case Type::Data:
            return node_->data() == other.node_->data();
        case Type::Date:
            return node_->number.d == other.node_->number.d;
        case Type::Uid:
            return node_->number.u == other.node_->number.u;
        case Type::Array:
            return asArray() == other.asArray();
        case Type::Dictionary:
            return asDictionary() == other.asDictionary();
        case Type::Object:
            return node_->object() == other.node_->object();
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
            return isDecimal() ? node_->text : numberDescription();
        case Type::String:
            return "\"" + node_->text + "\"";
        case Type::Data:
            return "<data " + std::to_string(node_->data().size()) + " bytes>";
        case Type::Date:
            return "<date " + std::to_string(node_->number.d) + ">";
        case Type::Uid:
            return "<uid " + std::to_string(node_->number.u) + ">";
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

Array::Array() : storage_(std::make_shared<OrderedArrayStorage>()) {}
Array::Array(std::initializer_list<Value> values)
    : storage_(std::make_shared<OrderedArrayStorage>(std::vector<Value>(values))) {}
Array::Array(std::vector<Value> values) : storage_(std::make_shared<OrderedArrayStorage>(std::move(values))) {}
Array::Array(std::shared_ptr<ArrayStorage> storage) : storage_(std::move(storage)) {}

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

Dictionary::Dictionary() : storage_(std::make_shared<OrderedDictionaryStorage>()) {}
Dictionary::Dictionary(std::initializer_list<Entry> entries) : Dictionary() {
    for (const auto& [key, value] : entries) set(key, value);
}
Dictionary::Dictionary(std::shared_ptr<DictionaryStorage> storage) : storage_(std::move(storage)) {}

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
