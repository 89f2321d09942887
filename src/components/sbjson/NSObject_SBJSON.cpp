#include "components/sbjson/NSObject_SBJSON.h"

#include "components/sbjson/SBJsonWriter.h"

namespace sbjson::NSObject_SBJSON {

using namespace foundation;

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

}  // namespace sbjson::NSObject_SBJSON
