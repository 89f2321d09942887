#pragma once

// URL encoding, version comparison and lookups the API client shares.

#include "components/google/GTLObject.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace google::GTLUtilities {

// Percent-escapes (as UTF-8) only what may not stand in a URL.
std::string stringByURLEncodingString(std::string_view text);
// Percent-escapes every byte but letters, digits and "-", ".", "_", "~".
std::string stringByURLEncodingForURI(std::string_view text);
// As stringByURLEncodingForURI, with a blank written as "+".
std::string stringByURLEncodingStringParameter(std::string_view text);
// Escapes bytes below 32, "%" and bytes above 126 as "%XX"; none for text
// that is not UTF-8.
std::optional<std::string> stringByPercentEncodingUTF8ForString(std::string_view text);

// The address with the parameters appended in case-insensitive name order,
// both sides form-encoded, after "?" (or "&" when it has a query already);
// none for an empty address.
std::optional<std::string> URLWithString(std::string_view url, const std::map<std::string, std::string>& parameters);

// The objects whose JSON value at a dotted key path equals the value (an
// absent value equals none).
std::vector<GTLObjectPtr> objectsFromArray(const std::vector<GTLObjectPtr>& objects, const std::optional<Value>& value,
                                           std::string_view keyPath);
GTLObjectPtr firstObjectFromArray(const std::vector<GTLObjectPtr>& objects, const std::optional<Value>& value,
                                  std::string_view keyPath);

// Up to four dotted numbers compared in turn: -1 when the first version is
// older, 1 when newer, 0 when the same ("1.0" and "1" are the same).
int compareVersion(std::optional<std::string_view> first, std::optional<std::string_view> second);

}  // namespace google::GTLUtilities
