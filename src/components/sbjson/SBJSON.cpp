#include "components/sbjson/SBJSON.h"

namespace sbjson {

using namespace foundation;

SBJSON::SBJSON() { setMaxDepth(kDefaultMaxDepth); }

void SBJSON::setMaxDepth(uint64_t maxDepth) {
    SBJsonBase::setMaxDepth(maxDepth);
    jsonParser_.setMaxDepth(maxDepth);
    jsonWriter_.setMaxDepth(maxDepth);
}

void SBJSON::adoptFailure(const SBJsonBase& worker, Error* error) {
    std::vector<Error> trace = worker.errorTrace();
    if (!trace.empty()) setError(error, trace.back());
    setErrorTrace(std::move(trace));
}

std::optional<Value> SBJSON::objectWithString(std::optional<std::string_view> text) {
    return objectWithString(text, false, nullptr);
}

std::optional<Value> SBJSON::objectWithString(std::optional<std::string_view> text, Error* error) {
    return objectWithString(text, false, error);
}

std::optional<Value> SBJSON::fragmentWithString(std::optional<std::string_view> text, Error* error) {
    return objectWithString(text, true, error);
}

std::optional<Value> SBJSON::objectWithString(std::optional<std::string_view> text, bool allowScalar, Error* error) {
    // A trace left from an earlier failure must not outlive a later success.
    clearErrorTrace();
    std::optional<Value> value =
        allowScalar ? jsonParser_.fragmentWithString(text) : jsonParser_.objectWithString(text);
    if (!value) adoptFailure(jsonParser_, error);
    return value;
}

std::optional<std::string> SBJSON::stringWithObject(const Value& value) {
    return stringWithObject(value, false, nullptr);
}

std::optional<std::string> SBJSON::stringWithObject(const Value& value, Error* error) {
    return stringWithObject(value, false, error);
}

std::optional<std::string> SBJSON::stringWithFragment(const Value& value, Error* error) {
    return stringWithObject(value, true, error);
}

std::optional<std::string> SBJSON::stringWithObject(const Value& value, bool allowScalar, Error* error) {
    clearErrorTrace();
    std::optional<std::string> json =
        allowScalar ? jsonWriter_.stringWithFragment(value) : jsonWriter_.stringWithObject(value);
    if (!json) adoptFailure(jsonWriter_, error);
    return json;
}

}  // namespace sbjson
