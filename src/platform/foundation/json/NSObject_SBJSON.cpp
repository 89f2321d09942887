#include "platform/foundation/json/NSObject_SBJSON.h"

#include "platform/foundation/json/SBJsonWriter.h"

namespace foundation::NSObject_SBJSON {

std::optional<std::string> JSONRepresentation(const Value& value) {
    SBJsonWriter writer;
    std::optional<std::string> json = writer.stringWithObject(value);
    if (!json) logFailedOperation("JSONRepresentation", writer.errorTrace());
    return json;
}

std::optional<std::string> JSONFragment(const Value& value) {
    SBJsonWriter writer;
    std::optional<std::string> json = writer.stringWithFragment(value);
    if (!json) logFailedOperation("JSONFragment", writer.errorTrace());
    return json;
}

}  // namespace foundation::NSObject_SBJSON
