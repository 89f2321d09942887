#include "platform/foundation/json/NSString_SBJSON.h"

#include "platform/foundation/json/SBJsonParser.h"

namespace foundation::NSString_SBJSON {

std::optional<Value> JSONValue(std::string_view text) {
    SBJsonParser parser;
    std::optional<Value> value = parser.objectWithString(text);
    if (!value) logFailedOperation("JSONValue", parser.errorTrace());
    return value;
}

std::optional<Value> JSONFragmentValue(std::string_view text) {
    SBJsonParser parser;
    std::optional<Value> value = parser.fragmentWithString(text);
    if (!value) logFailedOperation("JSONFragmentValue", parser.errorTrace());
    return value;
}

}  // namespace foundation::NSString_SBJSON
