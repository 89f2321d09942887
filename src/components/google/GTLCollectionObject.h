#pragma once

// List results: an object whose "items" array is the collection, a result
// that is a bare JSON array, and the structured error of a JSON-RPC reply.

#include "components/google/GTLObject.h"
#include "platform/foundation/Error.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace google {

inline constexpr const char* kGTLJSONRPCErrorDomain = "com.google.GTLJSONRPCErrorDomain";
// The user-info key under which an error carries its structured error object.
inline constexpr const char* kGTLStructuredErrorKey = "GTLStructuredError";

class GTLCollectionObject : public GTLObject {
    GTL_OBJECT_CLASS(GTLCollectionObject)

public:
    // The items, made as the class's element class for "items".
    std::vector<GTLObjectPtr> collectionItems();
    void setCollectionItems(std::optional<std::vector<GTLObjectPtr>> items);

    // None past the end.
    GTLObjectPtr itemAtIndex(size_t index);
    // None for a negative index or one past the end.
    GTLObjectPtr objectAtIndexedSubscript(int64_t index);
    // The first item whose identifier is the given one.
    GTLObjectPtr itemForIdentifier(const std::string& identifier);
    // Needed after the items change.
    void resetIdentifierMap() { identifierMap_.reset(); }

private:
    std::optional<std::map<std::string, GTLObjectPtr>> identifierMap_;
};

// A result whose JSON is an array.
class GTLResultArray : public GTLCollectionObject {
    GTL_OBJECT_CLASS(GTLResultArray)

public:
    std::vector<GTLObjectPtr> itemsWithItemClass(const GTLClassInfo& itemClass);
};

class GTLErrorObjectData : public GTLObject {
    GTL_OBJECT_CLASS(GTLErrorObjectData)

public:
    std::optional<std::string> domain() const { return stringProperty("domain"); }
    void setDomain(std::optional<std::string> value) { setStringProperty("domain", std::move(value)); }
    std::optional<std::string> reason() const { return stringProperty("reason"); }
    void setReason(std::optional<std::string> value) { setStringProperty("reason", std::move(value)); }
    std::optional<std::string> message() const { return stringProperty("message"); }
    void setMessage(std::optional<std::string> value) { setStringProperty("message", std::move(value)); }
    std::optional<std::string> location() const { return stringProperty("location"); }
    void setLocation(std::optional<std::string> value) { setStringProperty("location", std::move(value)); }
};

class GTLErrorObject : public GTLObject {
    GTL_OBJECT_CLASS(GTLErrorObject)

public:
    std::optional<Value> code() const { return numberProperty("code"); }
    void setCode(std::optional<Value> value) { setNumberProperty("code", std::move(value)); }
    std::optional<std::string> message() const { return stringProperty("message"); }
    void setMessage(std::optional<std::string> value) { setStringProperty("message", std::move(value)); }
    std::optional<std::vector<std::shared_ptr<GTLErrorObjectData>>> data() {
        return typedArrayProperty<GTLErrorObjectData>("data");
    }
    void setData(const std::optional<std::vector<std::shared_ptr<GTLErrorObjectData>>>& value) {
        setTypedArrayProperty("data", value);
    }

    // An error of the JSON-RPC domain with this object's code; its user info
    // holds this object under "GTLStructuredError" and, when there is a
    // message, "error" and the failure reason "(message)".
    foundation::Error foundationError();
    // The structured error an error carries, or none.
    static std::shared_ptr<GTLErrorObject> underlyingObjectForError(const foundation::Error& error);
};

}  // namespace google
