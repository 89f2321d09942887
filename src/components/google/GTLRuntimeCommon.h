#pragma once

// What API objects and queries share: a JSON dictionary that typed
// properties read and write under their JSON keys, a cache of the objects
// made from (or given for) those keys, and the class descriptions that say
// how a class names its keys and which classes its nested values have.

#include "components/google/GTLDateTime.h"
#include "platform/foundation/Value.h"

#include <any>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace google {

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

class GTLObject;
using GTLObjectPtr = std::shared_ptr<GTLObject>;
struct GTLClassInfo;
using GTLClassRef = const GTLClassInfo& (*)();

// What the model knows of one class: its place in the hierarchy, how to
// make an instance, and its hooks (property names whose JSON key differs,
// element classes of array properties by JSON key, the class of values under
// undeclared keys). The merged maps add the hooks of every class up to the
// root, a subclass entry replacing an inherited one; each is built once.
struct GTLClassInfo {
    std::string name;
    const GTLClassInfo* superclass = nullptr;  // null for a root (GTLObject, GTLQuery)
    std::function<GTLObjectPtr()> make;        // null for queries
    std::vector<std::string> declaredProperties;
    std::vector<std::pair<std::string, std::string>> propertyToJSONKeyMap;
    std::vector<std::pair<std::string, GTLClassRef>> arrayPropertyToClassMap;
    GTLClassRef classForAdditionalProperties = nullptr;

    bool isSubclassOf(const GTLClassInfo& other) const;
    const std::map<std::string, std::string>& mergedPropertyToJSONKeyMap() const;
    const std::map<std::string, const GTLClassInfo*>& mergedArrayPropertyToClassMap() const;
    // Declared property names of this class and its ancestors.
    std::vector<std::string> allDeclaredProperties() const;
    // Those names, each replaced by its JSON key where the key map has one.
    std::vector<std::string> allKnownKeys() const;
    const GTLClassInfo* additionalPropertiesClass() const;

    GTLClassInfo(std::string name, const GTLClassInfo* superclass, std::function<GTLObjectPtr()> make);

private:
    struct Merged;
    std::shared_ptr<Merged> merged_;
};

// Stands for date-times where a class is expected (the element class of an
// array of date-times); no object is made of it.
const GTLClassInfo& GTLDateTimeClass();

// Defines a class's description; the trailing statements fill in `made`
// (declared properties, key and array maps).
#define GTL_DEFINE_CLASS(Name, Super, ...) GTL_DEFINE_CLASS_AFTER(static_cast<void>(0), Name, Super, __VA_ARGS__)

// The same, running `first` each time the description is asked for (a model
// registers its kinds there, so using any of its classes registers them).
#define GTL_DEFINE_CLASS_AFTER(first, Name, Super, ...)                                                       \
    const ::google::GTLClassInfo& Name::classInfo() {                                                         \
        first;                                                                                                \
        static const ::google::GTLClassInfo info = [] {                                                       \
            ::google::GTLClassInfo made(#Name, &Super::classInfo(), [] { return std::make_shared<Name>(); }); \
            __VA_ARGS__                                                                                       \
            return made;                                                                                      \
        }();                                                                                                  \
        return info;                                                                                          \
    }

// Declare and define a typed property in a class body: `name()` reads and
// `setName(value)` writes the JSON under `key`. The class description still
// lists the property (and its key, where that differs from the name).
#define GTL_STRING_PROPERTY(name, Name, key)                                \
    std::optional<std::string> name() const { return stringProperty(key); } \
    void set##Name(std::optional<std::string> value) { setStringProperty(key, std::move(value)); }
// The number rule's result (see numberFromJSON).
#define GTL_NUMBER_PROPERTY(name, Name, key)                                        \
    std::optional<::foundation::Value> name() const { return numberProperty(key); } \
    void set##Name(std::optional<::foundation::Value> value) { setNumberProperty(key, std::move(value)); }
// Absent reads as false and 0.
#define GTL_BOOL_PROPERTY(name, Name, key)          \
    bool name() const { return boolProperty(key); } \
    void set##Name(bool value) { setBoolProperty(key, value); }
#define GTL_UINT64_PROPERTY(name, Name, key)              \
    uint64_t name() const { return uint64Property(key); } \
    void set##Name(uint64_t value) { setUInt64Property(key, value); }
#define GTL_STRING_ARRAY_PROPERTY(name, Name, key)                                            \
    std::optional<std::vector<std::string>> name() const { return stringArrayProperty(key); } \
    void set##Name(std::optional<std::vector<std::string>> value) { setStringArrayProperty(key, std::move(value)); }
#define GTL_DATE_TIME_PROPERTY(name, Name, key)                       \
    ::google::GTLDateTimePtr name() { return dateTimeProperty(key); } \
    void set##Name(::google::GTLDateTimePtr value) { setDateTimeProperty(key, std::move(value)); }
// Properties holding model objects are member templates whose argument
// defaults to the property's class: their bodies compile where they are
// called, when that class is complete, so a header can declare a property of
// a class it only names. Callers never give the argument.
#define GTL_OBJECT_PROPERTY(Class, name, Name, key)                         \
    template <class T = Class>                                              \
    std::shared_ptr<T> name() {                                             \
        return typedObjectProperty<T>(key);                                 \
    }                                                                       \
    template <class T = Class>                                              \
    void set##Name(const std::type_identity_t<std::shared_ptr<T>>& value) { \
        setTypedObjectProperty<T>(key, value);                              \
    }
#define GTL_OBJECT_ARRAY_PROPERTY(Class, name, Name, key)                                               \
    template <class T = Class>                                                                          \
    std::optional<std::vector<std::shared_ptr<T>>> name() {                                             \
        return typedArrayProperty<T>(key);                                                              \
    }                                                                                                   \
    template <class T = Class>                                                                          \
    void set##Name(const std::type_identity_t<std::optional<std::vector<std::shared_ptr<T>>>>& value) { \
        setTypedArrayProperty<T>(key, value);                                                           \
    }

// Class substitutions for objects made from JSON (a model class to the
// caller's subclass of it).
using GTLSurrogates = std::map<const GTLClassInfo*, const GTLClassInfo*>;

// What a JSON value becomes in the model: a plain JSON value (string, number,
// null, or a container of them where nothing was converted), a model object,
// a date-time, or an array of such.
struct GTLAnyObject;
using GTLAnyArray = std::vector<GTLAnyObject>;
struct GTLAnyObject {
    std::variant<Value, GTLObjectPtr, GTLDateTimePtr, std::shared_ptr<GTLAnyArray>> value;

    GTLAnyObject() = default;
    GTLAnyObject(Value json) : value(std::move(json)) {}
    GTLAnyObject(GTLObjectPtr object) : value(std::move(object)) {}
    GTLAnyObject(GTLDateTimePtr dateTime) : value(std::move(dateTime)) {}
    GTLAnyObject(GTLAnyArray array) : value(std::make_shared<GTLAnyArray>(std::move(array))) {}

    const Value* json() const { return std::get_if<Value>(&value); }
    GTLObjectPtr object() const;
    GTLDateTimePtr dateTime() const;
    const GTLAnyArray* array() const;
    // No value at all (a null Value is the JSON null, which is a value).
    bool isNone() const;
};

// The marker that stands for the JSON null in a typed property: setting it
// stores null, and a getter hands it back where the JSON holds null.
template <class T>
const std::shared_ptr<T>& nullMarker() {
    static const std::shared_ptr<T> marker = std::make_shared<T>();
    return marker;
}
template <class T>
bool isNullMarker(const std::shared_ptr<T>& value) {
    return value && value == nullMarker<T>();
}

class GTLRuntimeCommon {
public:
    virtual ~GTLRuntimeCommon() = default;

    virtual const GTLClassInfo& objectClass() const = 0;

    // The stored JSON value of a key; none when absent.
    std::optional<Value> JSONValueForKey(std::string_view key) const;
    // Stores a value; none removes the key. The first value creates the dictionary.
    void setJSONValue(std::string_view key, std::optional<Value> value);

    // Objects made from, or given for, a key's JSON; an empty slot removes.
    std::any cacheChildForKey(std::string_view key) const;
    void setCacheChild(std::string_view key, std::any child);

    virtual const GTLSurrogates* surrogates() const { return nullptr; }

    // JSON → model (cacheable: the result may be kept in the child cache).
    static GTLAnyObject objectFromJSON(const Value& json, const GTLClassInfo* defaultClass,
                                       const GTLSurrogates* surrogates, bool* isCacheable);
    // Model → JSON; none for a value that has no JSON form.
    static std::optional<Value> jsonFromAPIObject(const GTLAnyObject& object, const GTLClassInfo* expectedClass,
                                                  bool* isCacheable);
    // Strings holding numbers become numbers: with "." a decimal, with a
    // leading "-" a signed integer, else an unsigned one; other values stay.
    static Value numberFromJSON(const Value& json);

protected:
    // Typed property accessors over a JSON key.
    std::optional<std::string> stringProperty(std::string_view key) const;
    void setStringProperty(std::string_view key, std::optional<std::string> value);
    // The number rule's result; none when absent.
    std::optional<Value> numberProperty(std::string_view key) const;
    void setNumberProperty(std::string_view key, std::optional<Value> value);
    int64_t int64Property(std::string_view key) const;
    uint64_t uint64Property(std::string_view key) const;
    double doubleProperty(std::string_view key) const;
    bool boolProperty(std::string_view key) const;
    void setBoolProperty(std::string_view key, bool value) { setJSONValue(key, Value(value)); }
    void setUInt64Property(std::string_view key, uint64_t value) { setJSONValue(key, Value(value)); }

    GTLDateTimePtr dateTimeProperty(std::string_view key);
    void setDateTimeProperty(std::string_view key, GTLDateTimePtr value);

    GTLObjectPtr objectProperty(std::string_view key, const GTLClassInfo& returnClass);
    void setObjectProperty(std::string_view key, GTLObjectPtr value);
    template <class T>
    std::shared_ptr<T> typedObjectProperty(std::string_view key) {
        GTLObjectPtr object = objectProperty(key, T::classInfo());
        if (object && object == nullMarker<GTLObject>()) return nullMarker<T>();
        return std::dynamic_pointer_cast<T>(object);
    }
    template <class T>
    void setTypedObjectProperty(std::string_view key, const std::shared_ptr<T>& value) {
        setObjectProperty(key, isNullMarker(value) ? nullMarker<GTLObject>() : GTLObjectPtr(value));
    }

    // Arrays of model objects; none when the JSON holds no array.
    std::optional<std::vector<GTLObjectPtr>> objectArrayProperty(std::string_view key,
                                                                 const GTLClassInfo& elementClass);
    void setObjectArrayProperty(std::string_view key, std::optional<std::vector<GTLObjectPtr>> value);
    template <class T>
    std::optional<std::vector<std::shared_ptr<T>>> typedArrayProperty(std::string_view key) {
        std::optional<std::vector<GTLObjectPtr>> objects = objectArrayProperty(key, T::classInfo());
        if (!objects) return std::nullopt;
        std::vector<std::shared_ptr<T>> typed;
        typed.reserve(objects->size());
        for (const GTLObjectPtr& object : *objects) typed.push_back(std::dynamic_pointer_cast<T>(object));
        return typed;
    }
    template <class T>
    void setTypedArrayProperty(std::string_view key, const std::optional<std::vector<std::shared_ptr<T>>>& value) {
        if (!value) return setObjectArrayProperty(key, std::nullopt);
        setObjectArrayProperty(key, std::vector<GTLObjectPtr>(value->begin(), value->end()));
    }
    // Arrays of strings; elements that are not strings are left out.
    std::optional<std::vector<std::string>> stringArrayProperty(std::string_view key) const;
    void setStringArrayProperty(std::string_view key, std::optional<std::vector<std::string>> value);

    // Any value: converted without a default class.
    GTLAnyObject anyProperty(std::string_view key);
    void setAnyProperty(std::string_view key, const GTLAnyObject& value);

    Value JSON_;  // a dictionary, an array (a list result), or null before the first value
    std::unordered_map<std::string, std::any> childCache_;
};

}  // namespace google
