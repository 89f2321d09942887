#include "app/core/ConfigurationUtil.h"

#include "platform/foundation/PropertyList.h"

using foundation::Dictionary;
using foundation::Value;

namespace {

constexpr const char* kBaseListName = "inappad";
constexpr const char* kListType = "plist";
constexpr const char* kITunesIDKey = "itunes_id";
constexpr const char* kAppNameKeyKey = "appname_key";

// A missing or unreadable list, or one whose root is no dictionary, is empty.
Dictionary readList(const foundation::Bundle& bundle, const std::string& name) {
    if (name.empty()) return Dictionary();
    std::optional<std::string> path = bundle.pathForResource(name, kListType);
    if (!path) return Dictionary();
    foundation::Result<Value> list = foundation::plist::readFile(*path);
    if (!list.ok() || !list->isDictionary()) return Dictionary();
    return list->asDictionary();
}

}  // namespace

int64_t ConfigurationUtil::getiTunesID(const foundation::Bundle& bundle) {
    return readList(bundle, bundle.bundleIdentifier())[kITunesIDKey].asInt(0);
}

Dictionary ConfigurationUtil::mergedConfiguration(const foundation::Bundle& bundle) {
    Dictionary merged = readList(bundle, kBaseListName).copy();
    for (const auto& [key, value] : readList(bundle, bundle.bundleIdentifier())) merged.set(key, value);
    return merged;
}

std::optional<std::string> ConfigurationUtil::getLocalizedAppName(const foundation::Bundle& bundle) {
    Dictionary merged = mergedConfiguration(bundle);
    std::optional<std::string> nameKey = merged[kAppNameKeyKey].stringValue();
    if (!nameKey) return std::nullopt;
    return merged[*nameKey].stringValue();
}
