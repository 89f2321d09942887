#pragma once

#include "components/sbjson/SBJsonBase.h"
#include "components/sbjson/SBJsonParser.h"
#include "components/sbjson/SBJsonWriter.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace sbjson {

using foundation::Error;
using foundation::Value;

// One parser and one writer behind a single object. A failed call leaves a
// copy of the worker's trace in this object's errorTrace() and, when an
// error slot is given, the outermost error of the trace in it.
class SBJSON : public SBJsonBase {
public:
    SBJSON();

    std::optional<Value> objectWithString(std::optional<std::string_view> text);
    std::optional<Value> objectWithString(std::optional<std::string_view> text, Error* error);
    std::optional<Value> fragmentWithString(std::optional<std::string_view> text, Error* error);
    // allowScalar accepts any value at top level, not only arrays and objects.
    std::optional<Value> objectWithString(std::optional<std::string_view> text, bool allowScalar, Error* error);

    std::optional<std::string> stringWithObject(const Value& value);
    std::optional<std::string> stringWithObject(const Value& value, Error* error);
    std::optional<std::string> stringWithFragment(const Value& value, Error* error);
    std::optional<std::string> stringWithObject(const Value& value, bool allowScalar, Error* error);

    // The parser's limit; setting it sets both workers'.
    uint64_t maxDepth() const override { return jsonParser_.maxDepth(); }
    void setMaxDepth(uint64_t maxDepth) override;

    bool humanReadable() const { return jsonWriter_.humanReadable(); }
    void setHumanReadable(bool humanReadable) { jsonWriter_.setHumanReadable(humanReadable); }
    bool sortKeys() const { return jsonWriter_.sortKeys(); }
    void setSortKeys(bool sortKeys) { jsonWriter_.setSortKeys(sortKeys); }

    SBJsonParser& jsonParser() { return jsonParser_; }
    SBJsonWriter& jsonWriter() { return jsonWriter_; }

private:
    // Takes over the worker's trace after a failure and fills the error slot.
    void adoptFailure(const SBJsonBase& worker, Error* error);

    SBJsonParser jsonParser_;
    SBJsonWriter jsonWriter_;
};

}  // namespace sbjson
