#include "components/google/GTLCollectionObject.h"

namespace google {

GTL_DEFINE_CLASS(GTLCollectionObject, GTLObject, )
GTL_DEFINE_CLASS(GTLResultArray, GTLCollectionObject, )
GTL_DEFINE_CLASS(GTLErrorObjectData, GTLObject, made.declaredProperties = {"domain", "reason", "message", "location"};)
GTL_DEFINE_CLASS(GTLErrorObject, GTLObject, made.declaredProperties = {"code", "message", "data"};
                 made.arrayPropertyToClassMap = {{"data", &GTLErrorObjectData::classInfo}};)

namespace {

const GTLClassInfo& itemsClassOf(const GTLClassInfo& collectionClass) {
    const auto& arrays = collectionClass.mergedArrayPropertyToClassMap();
    const auto found = arrays.find("items");
    return found == arrays.end() ? GTLObject::classInfo() : *found->second;
}

}  // namespace

std::vector<GTLObjectPtr> GTLCollectionObject::collectionItems() {
    return objectArrayProperty("items", itemsClassOf(objectClass())).value_or(std::vector<GTLObjectPtr>{});
}

void GTLCollectionObject::setCollectionItems(std::optional<std::vector<GTLObjectPtr>> items) {
    setObjectArrayProperty("items", std::move(items));
}

GTLObjectPtr GTLCollectionObject::itemAtIndex(size_t index) {
    const std::vector<GTLObjectPtr> items = collectionItems();
    return index < items.size() ? items[index] : nullptr;
}

GTLObjectPtr GTLCollectionObject::objectAtIndexedSubscript(int64_t index) {
    return index < 0 ? nullptr : itemAtIndex(static_cast<size_t>(index));
}

GTLObjectPtr GTLCollectionObject::itemForIdentifier(const std::string& identifier) {
    if (!identifierMap_) {
        identifierMap_.emplace();
        for (const GTLObjectPtr& item : collectionItems()) {
            if (!item) continue;
            const auto& keys = item->objectClass().mergedPropertyToJSONKeyMap();
            const auto renamed = keys.find("identifier");
            const std::optional<Value> id =
                item->JSONValueForKey(renamed == keys.end() ? std::string("identifier") : renamed->second);
            if (!id || id->isNull()) continue;
            const std::string key = id->isString() ? id->asString() : id->description();
            identifierMap_->emplace(key, item);  // the first of a repeated identifier stays
        }
    }
    const auto found = identifierMap_->find(identifier);
    return found == identifierMap_->end() ? nullptr : found->second;
}

std::vector<GTLObjectPtr> GTLResultArray::itemsWithItemClass(const GTLClassInfo& itemClass) {
    const std::any cached = cacheChildForKey("result_array_items");
    if (const auto* items = std::any_cast<std::vector<GTLObjectPtr>>(&cached)) return *items;
    std::vector<GTLObjectPtr> items;
    if (!JSON().isArray()) return items;
    for (const Value& element : JSON().asArray()) {
        items.push_back(GTLObject::objectForJSON(element, &itemClass, surrogates(), nullptr));
    }
    setCacheChild("result_array_items", items);
    return items;
}

foundation::Error GTLErrorObject::foundationError() {
    const int64_t errorCode = code().value_or(Value(0)).asInt();
    auto userInfo = std::make_shared<Dictionary>();
    userInfo->set(kGTLStructuredErrorKey, Value::object(std::static_pointer_cast<GTLErrorObject>(shared_from_this())));
    std::string description;
    if (std::optional<std::string> text = message()) {
        const std::string reason = "(" + *text + ")";
        userInfo->set("error", Value(*text));
        userInfo->set("NSLocalizedFailureReason", Value(reason));
        description = "The operation couldn\u2019t be completed. " + reason;
    } else {
        description = "The operation couldn\u2019t be completed. (" + std::string(kGTLJSONRPCErrorDomain) + " error " +
                      std::to_string(errorCode) + ".)";
    }
    foundation::Error error(kGTLJSONRPCErrorDomain, errorCode, std::move(description));
    error.userInfo = std::move(userInfo);
    return error;
}

std::shared_ptr<GTLErrorObject> GTLErrorObject::underlyingObjectForError(const foundation::Error& error) {
    if (!error.userInfo) return nullptr;
    const auto* object = error.userInfo->get(kGTLStructuredErrorKey).objectAs<std::shared_ptr<GTLErrorObject>>();
    return object ? *object : nullptr;
}

}  // namespace google
