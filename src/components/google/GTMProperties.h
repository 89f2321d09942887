#pragma once

// Named values a caller keeps on an object of this client (a fetcher, an
// authorization, the sign-in screen): storing an empty value removes the
// name, and a name never stored reads as an empty value.

#include <any>
#include <map>
#include <string>

namespace google {

using GTMPropertyMap = std::map<std::string, std::any>;

inline void setPropertyInMap(GTMPropertyMap& properties, const std::string& key, std::any value) {
    if (value.has_value())
        properties[key] = std::move(value);
    else
        properties.erase(key);
}

inline std::any propertyInMap(const GTMPropertyMap& properties, const std::string& key) {
    auto found = properties.find(key);
    return found == properties.end() ? std::any() : found->second;
}

}  // namespace google
