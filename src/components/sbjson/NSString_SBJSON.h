#pragma once

#include "platform/foundation/Value.h"

#include <optional>
#include <string_view>

// Reading JSON straight from a string, each call with a fresh parser at the
// default settings. A failure is logged to the console with its error trace.
namespace sbjson::NSString_SBJSON {

using foundation::Value;

// The dictionary or array the text holds.
std::optional<Value> JSONValue(std::string_view text);
// Any JSON value the text holds (a JSON null gives the null Value).
std::optional<Value> JSONFragmentValue(std::string_view text);

}  // namespace sbjson::NSString_SBJSON
