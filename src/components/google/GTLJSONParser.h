#pragma once

// The API client's JSON reading and writing, over the shared JSON codec.
// Readers give mutable containers (every Value array and dictionary is).

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace google::GTLJSONParser {

using foundation::Bytes;
using foundation::Error;
using foundation::Value;

// A dictionary or an array as JSON text, indented when humanReadable; null
// gives none without an error.
std::optional<std::string> stringWithObject(const Value& object, bool humanReadable, Error* error);
std::optional<Bytes> dataWithObject(const Value& object, bool humanReadable, Error* error);

// The text must hold one array or object.
std::optional<Value> objectWithString(std::string_view text, Error* error);
std::optional<Value> objectWithData(const Bytes& data, Error* error);

}  // namespace google::GTLJSONParser
