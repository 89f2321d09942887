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
    GTL_STRING_PROPERTY(domain, Domain, "domain")
    GTL_STRING_PROPERTY(reason, Reason, "reason")
    GTL_STRING_PROPERTY(message, Message, "message")
    GTL_STRING_PROPERTY(location, Location, "location")
};

class GTLErrorObject : public GTLObject {
    GTL_OBJECT_CLASS(GTLErrorObject)

public:
    GTL_NUMBER_PROPERTY(code, Code, "code")
    GTL_STRING_PROPERTY(message, Message, "message")
    GTL_OBJECT_ARRAY_PROPERTY(GTLErrorObjectData, data, Data, "data")

    // An error of the JSON-RPC domain with this object's code; its user info
    // holds this object under "GTLStructuredError" and, when there is a
    // message, "error" and the failure reason "(message)".
    foundation::Error foundationError();
    // The structured error an error carries, or none.
    static std::shared_ptr<GTLErrorObject> underlyingObjectForError(const foundation::Error& error);
};

}  // namespace google
