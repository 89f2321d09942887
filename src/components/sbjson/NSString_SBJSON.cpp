#include "components/sbjson/NSString_SBJSON.h"

#include "components/sbjson/SBJsonParser.h"

namespace sbjson::NSString_SBJSON {

using namespace foundation;

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

}  // namespace sbjson::NSString_SBJSON
