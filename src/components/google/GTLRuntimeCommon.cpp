#include "components/google/GTLRuntimeCommon.h"

#include "components/google/GTLObject.h"

#include <algorithm>
#include <charconv>
#include <mutex>

namespace google {

struct GTLClassInfo::Merged {
    std::once_flag keysOnce;
    std::map<std::string, std::string> keys;
    std::once_flag arraysOnce;
    std::map<std::string, const GTLClassInfo*> arrays;
};

GTLClassInfo::GTLClassInfo(std::string name, const GTLClassInfo* superclass, std::function<GTLObjectPtr()> make)
    : name(std::move(name)), superclass(superclass), make(std::move(make)), merged_(std::make_shared<Merged>()) {}

bool GTLClassInfo::isSubclassOf(const GTLClassInfo& other) const {
    for (const GTLClassInfo* info = this; info; info = info->superclass) {
        if (info == &other) return true;
    }
    return false;
}

const std::map<std::string, std::string>& GTLClassInfo::mergedPropertyToJSONKeyMap() const {
    std::call_once(merged_->keysOnce, [this] {
        if (superclass) merged_->keys = superclass->mergedPropertyToJSONKeyMap();
        for (const auto& [property, key] : propertyToJSONKeyMap) merged_->keys[property] = key;
    });
    return merged_->keys;
}

const std::map<std::string, const GTLClassInfo*>& GTLClassInfo::mergedArrayPropertyToClassMap() const {
    std::call_once(merged_->arraysOnce, [this] {
        if (superclass) merged_->arrays = superclass->mergedArrayPropertyToClassMap();
        for (const auto& [key, elementClass] : arrayPropertyToClassMap) merged_->arrays[key] = &elementClass();
    });
    return merged_->arrays;
}

std::vector<std::string> GTLClassInfo::allDeclaredProperties() const {
    std::vector<std::string> names;
    for (const GTLClassInfo* info = this; info; info = info->superclass) {
        names.insert(names.end(), info->declaredProperties.begin(), info->declaredProperties.end());
    }
    return names;
}

std::vector<std::string> GTLClassInfo::allKnownKeys() const {
    std::vector<std::string> keys = allDeclaredProperties();
    const auto& renamed = mergedPropertyToJSONKeyMap();
    for (std::string& key : keys) {
        const auto found = renamed.find(key);
        if (found != renamed.end()) key = found->second;
    }
    return keys;
}

const GTLClassInfo* GTLClassInfo::additionalPropertiesClass() const {
    for (const GTLClassInfo* info = this; info; info = info->superclass) {
        if (info->classForAdditionalProperties) return &info->classForAdditionalProperties();
    }
    return nullptr;
}

GTLObjectPtr GTLAnyObject::object() const {
    const GTLObjectPtr* object = std::get_if<GTLObjectPtr>(&value);
    return object ? *object : nullptr;
}

GTLDateTimePtr GTLAnyObject::dateTime() const {
    const GTLDateTimePtr* dateTime = std::get_if<GTLDateTimePtr>(&value);
    return dateTime ? *dateTime : nullptr;
}

const GTLAnyArray* GTLAnyObject::array() const {
    const auto* array = std::get_if<std::shared_ptr<GTLAnyArray>>(&value);
    return array ? array->get() : nullptr;
}

bool GTLAnyObject::isNone() const {
    return std::visit(
        [](const auto& held) {
            if constexpr (std::is_same_v<std::decay_t<decltype(held)>, Value>) {
                return false;
            } else {
                return held == nullptr;
            }
        },
        value);
}

const GTLClassInfo& GTLDateTimeClass() {
    static const GTLClassInfo info("GTLDateTime", nullptr, nullptr);
    return info;
}

// The JSON value -----------------------------------------------------------

std::optional<Value> GTLRuntimeCommon::JSONValueForKey(std::string_view key) const {
    if (!JSON_.isDictionary()) return std::nullopt;
    const Dictionary dictionary = JSON_.asDictionary();
    if (!dictionary.contains(key)) return std::nullopt;
    return dictionary.get(key);
}

void GTLRuntimeCommon::setJSONValue(std::string_view key, std::optional<Value> value) {
    if (!JSON_.isDictionary()) {
        if (!value) return;
        JSON_ = Dictionary();
    }
    Dictionary dictionary = JSON_.asDictionary();
    if (value) {
        dictionary.set(std::string(key), std::move(*value));
    } else {
        dictionary.remove(key);
    }
}

std::any GTLRuntimeCommon::cacheChildForKey(std::string_view key) const {
    const auto found = childCache_.find(std::string(key));
    return found == childCache_.end() ? std::any() : found->second;
}

void GTLRuntimeCommon::setCacheChild(std::string_view key, std::any child) {
    if (child.has_value()) {
        childCache_[std::string(key)] = std::move(child);
    } else {
        childCache_.erase(std::string(key));
    }
}

// Conversions --------------------------------------------------------------

GTLAnyObject GTLRuntimeCommon::objectFromJSON(const Value& json, const GTLClassInfo* defaultClass,
                                              const GTLSurrogates* surrogates, bool* isCacheable) {
    bool cacheable = true;
    GTLAnyObject result;
    if (json.isDictionary()) {
        result =
            GTLObject::objectForJSON(json, defaultClass ? defaultClass : &GTLObject::classInfo(), surrogates, nullptr);
    } else if (json.isArray()) {
        GTLAnyArray elements;
        elements.reserve(json.asArray().size());
        for (const Value& element : json.asArray()) {
            elements.push_back(objectFromJSON(element, defaultClass, surrogates, nullptr));
        }
        result = GTLAnyObject(std::move(elements));
    } else if (json.isString() && defaultClass == &GTLDateTimeClass()) {
        result = GTLAnyObject(GTLDateTime::dateTimeWithRFC3339String(json.asString()));
    } else if (json.isString()) {
        result = GTLAnyObject(json);
        cacheable = false;
    } else if (json.isNumber() || json.isNull()) {
        result = GTLAnyObject(json);
        cacheable = false;
    } else {
        result = GTLAnyObject(GTLObjectPtr());
    }
    if (isCacheable) *isCacheable = cacheable;
    return result;
}

std::optional<Value> GTLRuntimeCommon::jsonFromAPIObject(const GTLAnyObject& object, const GTLClassInfo* expectedClass,
                                                         bool* isCacheable) {
    bool cacheable = true;
    std::optional<Value> json;
    if (const Value* plain = object.json()) {
        json = plain->isString() ? Value(plain->asString()) : *plain;
        cacheable = !(plain->isString() || plain->isNumber() || plain->isNull());
    } else if (GTLObjectPtr model = object.object()) {
        if (model == nullMarker<GTLObject>()) {
            json = Value();
            cacheable = false;
        } else {
            if (model->JSON().isNull()) model->setJSON(Dictionary());
            json = model->JSON();
        }
    } else if (GTLDateTimePtr dateTime = object.dateTime()) {
        json = isNullMarker(dateTime) ? Value() : Value(dateTime->RFC3339String());
    } else if (const GTLAnyArray* elements = object.array()) {
        Array array;
        for (const GTLAnyObject& element : *elements) {
            std::optional<Value> elementJSON = jsonFromAPIObject(element, expectedClass, nullptr);
            if (elementJSON) array.push_back(std::move(*elementJSON));
        }
        json = Value(array);
    }
    if (isCacheable) *isCacheable = cacheable && json.has_value();
    return json;
}

Value GTLRuntimeCommon::numberFromJSON(const Value& json) {
    if (!json.isString()) return json;
    const std::string& text = json.asString();
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (text.find('.') != std::string::npos) {
        double value = 0;
        std::from_chars(begin, end, value);  // fixed notation, not the user's locale
        return Value(value);
    }
    if (!text.empty() && text.front() == '-') {
        int64_t value = 0;
        std::from_chars(begin, end, value);
        return Value(static_cast<long long>(value));
    }
    uint64_t value = 0;
    std::from_chars(begin, end, value);
    return Value(static_cast<unsigned long long>(value));
}

// Typed accessors ----------------------------------------------------------

std::optional<std::string> GTLRuntimeCommon::stringProperty(std::string_view key) const {
    std::optional<Value> json = JSONValueForKey(key);
    if (!json || !json->isString()) return std::nullopt;
    return json->asString();
}

void GTLRuntimeCommon::setStringProperty(std::string_view key, std::optional<std::string> value) {
    setJSONValue(key, value ? std::optional<Value>(Value(std::move(*value))) : std::nullopt);
}

std::optional<Value> GTLRuntimeCommon::numberProperty(std::string_view key) const {
    std::optional<Value> json = JSONValueForKey(key);
    if (!json) return std::nullopt;
    return numberFromJSON(*json);
}

void GTLRuntimeCommon::setNumberProperty(std::string_view key, std::optional<Value> value) {
    setJSONValue(key, std::move(value));
}

int64_t GTLRuntimeCommon::int64Property(std::string_view key) const {
    std::optional<Value> number = numberProperty(key);
    return number ? number->asInt() : 0;
}

uint64_t GTLRuntimeCommon::uint64Property(std::string_view key) const {
    std::optional<Value> number = numberProperty(key);
    return number ? number->asUInt() : 0;
}

double GTLRuntimeCommon::doubleProperty(std::string_view key) const {
    std::optional<Value> number = numberProperty(key);
    return number ? number->asDouble() : 0;
}

bool GTLRuntimeCommon::boolProperty(std::string_view key) const {
    std::optional<Value> json = JSONValueForKey(key);
    return json && json->asBool();
}

GTLDateTimePtr GTLRuntimeCommon::dateTimeProperty(std::string_view key) {
    const std::any cached = cacheChildForKey(key);
    if (const GTLDateTimePtr* dateTime = std::any_cast<GTLDateTimePtr>(&cached)) return *dateTime;
    std::optional<Value> json = JSONValueForKey(key);
    if (!json) return nullptr;
    if (json->isNull()) {
        setCacheChild(key, {});
        return nullMarker<GTLDateTime>();
    }
    if (!json->isString()) return nullptr;
    GTLDateTimePtr dateTime = GTLDateTime::dateTimeWithRFC3339String(json->asString());
    setCacheChild(key, dateTime);
    return dateTime;
}

void GTLRuntimeCommon::setDateTimeProperty(std::string_view key, GTLDateTimePtr value) {
    if (isNullMarker(value)) {
        setJSONValue(key, Value());
        setCacheChild(key, {});
        return;
    }
    setJSONValue(key, value ? std::optional<Value>(Value(value->RFC3339String())) : std::nullopt);
    setCacheChild(key, value ? std::any(value) : std::any());
}

GTLObjectPtr GTLRuntimeCommon::objectProperty(std::string_view key, const GTLClassInfo& returnClass) {
    const std::any cached = cacheChildForKey(key);
    if (const GTLObjectPtr* object = std::any_cast<GTLObjectPtr>(&cached)) return *object;
    std::optional<Value> json = JSONValueForKey(key);
    if (!json) return nullptr;
    if (json->isNull()) {
        setCacheChild(key, {});
        return nullMarker<GTLObject>();
    }
    if (!json->isDictionary()) return nullptr;
    GTLObjectPtr object = GTLObject::objectForJSON(*json, &returnClass, surrogates(), nullptr);
    setCacheChild(key, object);
    return object;
}

void GTLRuntimeCommon::setObjectProperty(std::string_view key, GTLObjectPtr value) {
    if (value && value == nullMarker<GTLObject>()) {
        setJSONValue(key, Value());
        setCacheChild(key, {});
        return;
    }
    if (!value) {
        setJSONValue(key, std::nullopt);
        setCacheChild(key, {});
        return;
    }
    // The child's own dictionary goes in, so later changes to the child show in this JSON.
    if (value->JSON().isNull()) value->setJSON(Dictionary());
    setJSONValue(key, value->JSON());
    setCacheChild(key, value);
}

std::optional<std::vector<GTLObjectPtr>> GTLRuntimeCommon::objectArrayProperty(std::string_view key,
                                                                               const GTLClassInfo& elementClass) {
    const std::any cached = cacheChildForKey(key);
    if (const auto* objects = std::any_cast<std::vector<GTLObjectPtr>>(&cached)) return *objects;
    std::optional<Value> json = JSONValueForKey(key);
    if (!json || !json->isArray()) return std::nullopt;
    std::vector<GTLObjectPtr> objects;
    objects.reserve(json->asArray().size());
    for (const Value& element : json->asArray()) {
        objects.push_back(
            element.isDictionary() ? GTLObject::objectForJSON(element, &elementClass, surrogates(), nullptr) : nullptr);
    }
    setCacheChild(key, objects);
    return objects;
}

void GTLRuntimeCommon::setObjectArrayProperty(std::string_view key, std::optional<std::vector<GTLObjectPtr>> value) {
    if (!value) {
        setJSONValue(key, std::nullopt);
        setCacheChild(key, {});
        return;
    }
    Array array;
    for (const GTLObjectPtr& object : *value) {
        if (!object) continue;
        if (object->JSON().isNull()) object->setJSON(Dictionary());
        array.push_back(object->JSON());
    }
    setJSONValue(key, Value(array));
    setCacheChild(key, std::move(*value));
}

std::optional<std::vector<std::string>> GTLRuntimeCommon::stringArrayProperty(std::string_view key) const {
    std::optional<Value> json = JSONValueForKey(key);
    if (!json || !json->isArray()) return std::nullopt;
    std::vector<std::string> strings;
    for (const Value& element : json->asArray()) {
        if (element.isString()) strings.push_back(element.asString());
    }
    return strings;
}

void GTLRuntimeCommon::setStringArrayProperty(std::string_view key, std::optional<std::vector<std::string>> value) {
    if (!value) return setJSONValue(key, std::nullopt);
    Array array;
    for (std::string& element : *value) array.push_back(Value(std::move(element)));
    setJSONValue(key, Value(array));
}

GTLAnyObject GTLRuntimeCommon::anyProperty(std::string_view key) {
    const std::any cached = cacheChildForKey(key);
    if (const GTLAnyObject* object = std::any_cast<GTLAnyObject>(&cached)) return *object;
    std::optional<Value> json = JSONValueForKey(key);
    if (!json) return GTLAnyObject(GTLObjectPtr());
    bool cacheable = false;
    GTLAnyObject object = objectFromJSON(*json, nullptr, surrogates(), &cacheable);
    if (cacheable) setCacheChild(key, object);
    return object;
}

void GTLRuntimeCommon::setAnyProperty(std::string_view key, const GTLAnyObject& value) {
    bool cacheable = false;
    setJSONValue(key, jsonFromAPIObject(value, nullptr, &cacheable));
    setCacheChild(key, cacheable ? std::any(value) : std::any());
}

}  // namespace google
