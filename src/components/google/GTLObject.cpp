#include "components/google/GTLObject.h"

#include "components/google/GTLJSONParser.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <strings.h>
#include <unordered_map>

namespace google {

namespace {

struct KindRegistry {
    std::mutex lock;
    std::unordered_map<std::string, const GTLClassInfo*> classes;
    std::unordered_map<std::string, GTLClassRef> described;
};

KindRegistry& kindRegistry() {
    static KindRegistry registry;
    return registry;
}

std::vector<std::string> caseInsensitivelySorted(std::vector<std::string> keys) {
    std::stable_sort(keys.begin(), keys.end(),
                     [](const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) < 0; });
    return keys;
}

std::string address(const void* pointer) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", pointer);
    return text;
}

std::string shortDescription(const Value& value) {
    if (value.isDictionary()) {
        std::string text = "{";
        const std::vector<std::string> keys = value.asDictionary().keys();
        for (size_t i = 0; i < keys.size(); ++i) text += (i ? "," : "") + keys[i];
        return text + "}";
    }
    if (value.isArray()) return "[" + std::to_string(value.asArray().size()) + "]";
    if (value.isString()) return "\"" + value.asString() + "\"";
    if (value.isNumber()) return value.isBool() ? (value.asBool() ? "1" : "0") : value.numberDescription();
    if (value.isNull()) return "<null>";
    return value.description();
}

}  // namespace

const GTLClassInfo& GTLObject::classInfo() {
    static const GTLClassInfo info("GTLObject", nullptr, [] { return std::make_shared<GTLObject>(); });
    return info;
}

void GTLObject::setJSON(Value json) {
    JSON_ = std::move(json);
    childCache_.clear();
}

GTLObjectPtr GTLObject::objectForJSON(const Value& json, const GTLClassInfo* defaultClass,
                                      const GTLSurrogates* surrogates,
                                      const std::map<std::string, const GTLClassInfo*>* batchClassMap) {
    const bool empty = json.isNull() || (json.isDictionary() && json.asDictionary().empty()) ||
                       (json.isArray() && json.asArray().empty());
    if (empty) {
        if (json.isNull() || !defaultClass || !defaultClass->make) return nullptr;
        GTLObjectPtr object = defaultClass->make();
        object->setJSON(json);
        return object;
    }
    const GTLClassInfo* objectClass = nullptr;
    if (json.isDictionary()) {
        const Value& kind = json.asDictionary().get("kind");
        if (kind.isString() && !kind.asString().empty()) objectClass = registeredObjectClassForKind(kind.asString());
    }
    if (!objectClass) objectClass = defaultClass;
    if (!objectClass || !objectClass->make) objectClass = &GTLObject::classInfo();
    if (surrogates) {
        const auto surrogate = surrogates->find(objectClass);
        if (surrogate != surrogates->end() && surrogate->second->make) objectClass = surrogate->second;
    }
    GTLObjectPtr object = objectClass->make();
    if (surrogates) object->setSurrogates(*surrogates);
    object->setJSON(json);
    if (batchClassMap && object->createsItemsWithClassMap()) object->createItemsWithClassMap(*batchClassMap);
    return object;
}

void GTLObject::registerObjectClassForKind(const GTLClassInfo& objectClass, std::string kind) {
    KindRegistry& registry = kindRegistry();
    std::lock_guard guard(registry.lock);
    registry.described.erase(kind);
    registry.classes[std::move(kind)] = &objectClass;
}

void GTLObject::registerObjectClassForKind(GTLClassRef objectClass, std::string kind) {
    KindRegistry& registry = kindRegistry();
    std::lock_guard guard(registry.lock);
    registry.classes.erase(kind);
    registry.described[std::move(kind)] = objectClass;
}

const GTLClassInfo* GTLObject::registeredObjectClassForKind(std::string_view kind) {
    KindRegistry& registry = kindRegistry();
    GTLClassRef describe = nullptr;
    {
        std::lock_guard guard(registry.lock);
        const auto found = registry.classes.find(std::string(kind));
        if (found != registry.classes.end()) return found->second;
        const auto described = registry.described.find(std::string(kind));
        if (described == registry.described.end()) return nullptr;
        describe = described->second;
    }
    // Outside the lock: describing a class may register kinds itself.
    return &describe();
}

std::optional<std::vector<std::string>> GTLObject::additionalJSONKeys() const {
    if (!JSON_.isDictionary()) return std::nullopt;
    const std::vector<std::string> known = objectClass().allKnownKeys();
    std::vector<std::string> additional;
    for (const std::string& key : JSON_.asDictionary().keys()) {
        if (std::find(known.begin(), known.end(), key) == known.end()) additional.push_back(key);
    }
    if (additional.empty()) return std::nullopt;
    return additional;
}

GTLAnyObject GTLObject::additionalPropertyForName(std::string_view name) {
    const std::any cached = cacheChildForKey(name);
    if (const GTLAnyObject* object = std::any_cast<GTLAnyObject>(&cached)) return *object;
    std::optional<Value> json = JSONValueForKey(name);
    if (!json) return GTLAnyObject(GTLObjectPtr());
    bool cacheable = false;
    GTLAnyObject object = objectFromJSON(*json, objectClass().additionalPropertiesClass(), surrogates(), &cacheable);
    if (cacheable) setCacheChild(name, object);
    return object;
}

void GTLObject::setAdditionalProperty(const GTLAnyObject& value, std::string_view name) {
    bool cacheable = false;
    setJSONValue(name, jsonFromAPIObject(value, objectClass().additionalPropertiesClass(), &cacheable));
    setCacheChild(name, cacheable ? std::any(value) : std::any());
}

std::vector<std::pair<std::string, GTLAnyObject>> GTLObject::additionalProperties() {
    std::vector<std::pair<std::string, GTLAnyObject>> properties;
    for (const std::string& key : additionalJSONKeys().value_or(std::vector<std::string>{})) {
        properties.emplace_back(key, additionalPropertyForName(key));
    }
    return properties;
}

Value GTLObject::propertyForKey(std::string_view key) const {
    return userProperties_ ? userProperties_->get(key) : Value();
}

void GTLObject::setProperty(Value value, std::string_view key) {
    if (value.isNull()) {
        if (userProperties_) userProperties_->remove(key);
    } else {
        if (!userProperties_) userProperties_.emplace();
        userProperties_->set(std::string(key), std::move(value));
    }
}

std::string GTLObject::JSONString() const {
    foundation::Error error;
    std::optional<std::string> text = GTLJSONParser::stringWithObject(JSON_, true, &error);
    return text ? *text : error.description;
}

std::string GTLObject::fieldsDescription() const {
    return JSON_.isDictionary() ? fieldsDescriptionForJSON(JSON_.asDictionary()) : std::string();
}

std::string GTLObject::fieldsDescriptionForJSON(const Dictionary& json) {
    std::vector<std::string> fields;
    for (const std::string& key : caseInsensitivelySorted(json.keys())) {
        const Value& value = json.get(key);
        if (value.isString() || value.isNumber()) {
            fields.push_back(key);
        } else if (value.isDictionary()) {
            const std::string inner = fieldsDescriptionForJSON(value.asDictionary());
            size_t start = 0;
            while (!inner.empty() && start <= inner.size()) {
                const size_t comma = inner.find(',', start);
                const size_t end = comma == std::string::npos ? inner.size() : comma;
                fields.push_back(key + "/" + inner.substr(start, end - start));
                start = end + 1;
            }
        } else if (value.isArray() && !value.asArray().empty()) {
            const Value& first = value.asArray()[0];
            fields.push_back(first.isDictionary() ? key + "(" + fieldsDescriptionForJSON(first.asDictionary()) + ")"
                                                  : key);
        }
    }
    std::string joined;
    for (size_t i = 0; i < fields.size(); ++i) joined += (i ? "," : "") + fields[i];
    return joined;
}

std::optional<Dictionary> GTLObject::patchDictionaryForJSON(const Dictionary& json, const Dictionary& original) {
    Dictionary patch;
    for (const auto& [key, before] : original) {
        if (!json.contains(key)) {
            patch.set(key, Value());
            continue;
        }
        const Value& now = json.get(key);
        if (now == before) continue;
        if (now.isDictionary() && before.isDictionary()) {
            std::optional<Dictionary> inner = patchDictionaryForJSON(now.asDictionary(), before.asDictionary());
            if (inner) patch.set(key, Value(*inner));
            continue;
        }
        patch.set(key, now);
    }
    for (const auto& [key, now] : json) {
        if (!original.contains(key)) patch.set(key, now);
    }
    if (patch.empty()) return std::nullopt;
    return patch;
}

GTLObjectPtr GTLObject::patchObjectFromOriginal(const GTLObject& original) const {
    const Dictionary json = JSON_.isDictionary() ? JSON_.asDictionary() : Dictionary();
    const Dictionary before = original.JSON().isDictionary() ? original.JSON().asDictionary() : Dictionary();
    std::optional<Dictionary> patch = patchDictionaryForJSON(json, before);
    if (!patch) return nullptr;
    GTLObjectPtr object = objectClass().make();
    object->setJSON(Value(*patch));
    return object;
}

bool GTLObject::isEqual(const GTLObject& other) const {
    if (this == &other) return true;
    if (!objectClass().isSubclassOf(other.objectClass()) && !other.objectClass().isSubclassOf(objectClass())) {
        return false;
    }
    return JSON_ == other.JSON_;
}

GTLObjectPtr GTLObject::copy() const {
    GTLObjectPtr object = objectClass().make();
    object->setJSON(JSON_.deepCopy());
    object->surrogates_ = surrogates_;
    return object;
}

std::string GTLObject::description() const {
    std::string fields;
    if (JSON_.isDictionary()) {
        const std::vector<std::string> known = objectClass().allKnownKeys();
        for (const auto& [key, value] : JSON_.asDictionary()) {
            if (!fields.empty()) fields += " ";
            const bool isKnown = std::find(known.begin(), known.end(), key) != known.end();
            fields += key + (isKnown ? "" : "?") + ":" + shortDescription(value);
        }
    }
    return objectClass().name + " " + address(this) + ": {" + fields + "}";
}

}  // namespace google
