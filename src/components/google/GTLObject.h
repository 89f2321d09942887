#pragma once

// An API resource over its JSON dictionary. Model classes declare typed
// properties that read and write the dictionary under their JSON keys; a
// registry maps the "kind" of a JSON object to its class, so a reply of any
// shape becomes an object of the right class.

#include "components/google/GTLRuntimeCommon.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace google {

// Declares what every model class has: its class description and typed
// constructors.
#define GTL_OBJECT_CLASS(Name)                                                         \
public:                                                                                \
    static const ::google::GTLClassInfo& classInfo();                                  \
    const ::google::GTLClassInfo& objectClass() const override { return classInfo(); } \
    static std::shared_ptr<Name> object() { return std::make_shared<Name>(); }         \
    static std::shared_ptr<Name> objectWithJSON(::foundation::Value json) {            \
        auto made = std::make_shared<Name>();                                          \
        made->setJSON(std::move(json));                                                \
        return made;                                                                   \
    }

class GTLObject : public GTLRuntimeCommon, public std::enable_shared_from_this<GTLObject> {
    GTL_OBJECT_CLASS(GTLObject)

public:
    GTLObject() = default;
    GTLObject(const GTLObject&) = delete;
    GTLObject& operator=(const GTLObject&) = delete;

    // The whole content: a dictionary, an array for a list result, or null.
    const Value& JSON() const { return JSON_; }
    void setJSON(Value json);

    const GTLSurrogates* surrogates() const override { return surrogates_ ? &*surrogates_ : nullptr; }
    void setSurrogates(std::optional<GTLSurrogates> surrogates) { surrogates_ = std::move(surrogates); }

    // An object of the registered class of the JSON's "kind", else of the
    // default class, else of this root class; none for missing or empty JSON
    // unless a default class is given (then an empty object of it).
    static GTLObjectPtr objectForJSON(const Value& json, const GTLClassInfo* defaultClass,
                                      const GTLSurrogates* surrogates,
                                      const std::map<std::string, const GTLClassInfo*>* batchClassMap);

    static void registerObjectClassForKind(const GTLClassInfo& objectClass, std::string kind);
    // The same, naming the class by its description function, which runs at
    // the first lookup (so a class can register while classes are still
    // being described).
    static void registerObjectClassForKind(GTLClassRef objectClass, std::string kind);
    static const GTLClassInfo* registeredObjectClassForKind(std::string_view kind);

    // The keys of JSON that no declared property claims; none when there are none.
    std::optional<std::vector<std::string>> additionalJSONKeys() const;
    GTLAnyObject additionalPropertyForName(std::string_view name);
    void setAdditionalProperty(const GTLAnyObject& value, std::string_view name);
    std::vector<std::pair<std::string, GTLAnyObject>> additionalProperties();

    // Named values of the caller's own, never sent.
    Value propertyForKey(std::string_view key) const;
    void setProperty(Value value, std::string_view key);
    Value userData() const { return propertyForKey("_userData"); }
    void setUserData(Value value) { setProperty(std::move(value), "_userData"); }

    // Human-readable JSON, or the writer's error description.
    std::string JSONString() const;
    // The field paths of the JSON, as a "fields" parameter wants them.
    std::string fieldsDescription() const;
    static std::string fieldsDescriptionForJSON(const Dictionary& json);
    // An object holding only what changed since the original (removed keys
    // as JSON null); none when nothing changed.
    GTLObjectPtr patchObjectFromOriginal(const GTLObject& original) const;
    static std::optional<Dictionary> patchDictionaryForJSON(const Dictionary& json, const Dictionary& original);

    // The same class, or one a subclass of the other, and equal JSON.
    bool isEqual(const GTLObject& other) const;
    // A new object of this class with a deep copy of the JSON and the same surrogates.
    virtual GTLObjectPtr copy() const;
    virtual std::string description() const;

    // Subclasses that build items from a batch reply take the class map.
    virtual void createItemsWithClassMap(const std::map<std::string, const GTLClassInfo*>&) {}
    virtual bool createsItemsWithClassMap() const { return false; }

protected:
    std::optional<GTLSurrogates> surrogates_;
    // Made on first use: most objects never get one, and lists make thousands.
    std::optional<Dictionary> userProperties_;
};

}  // namespace google
