#pragma once

#include "platform/foundation/Value.h"

#include <optional>
#include <string>

// Writing a value as JSON, each call with a fresh writer at the default
// settings (compact, keys unsorted). A failure is logged to the console with
// its error trace.
namespace sbjson::NSObject_SBJSON {

using foundation::Value;

// The JSON text of a dictionary or array (or of a proxy standing for one).
std::optional<std::string> JSONRepresentation(const Value& value);
// The JSON text of any value JSON can hold.
std::optional<std::string> JSONFragment(const Value& value);

}  // namespace sbjson::NSObject_SBJSON
