#pragma once

#include "components/sbjson/SBJsonBase.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace sbjson {

using foundation::Value;

// Reads JSON text into Values: objects become dictionaries (a repeated key
// keeps its last value), arrays arrays, strings strings, numbers exact
// decimal numbers that keep their literal, true and false booleans, null the
// null Value. A missing result (std::nullopt) means failure; the reasons are
// in errorTrace().
//
// One call at a time: the read position, depth and trace live in the object.
class SBJsonParser : public SBJsonBase {
public:
    // The top-level value must be an array or an object.
    std::optional<Value> objectWithString(std::optional<std::string_view> text);
    // Any JSON value is accepted at top level.
    std::optional<Value> fragmentWithString(std::optional<std::string_view> text);

private:
    bool scanValue(Value& out);
    bool scanRestOfArray(Value& out);
    bool scanRestOfDictionary(Value& out);
    bool scanStringValue(Value& out);
    bool scanRestOfString(std::string& out);
    bool scanEscape(std::string& out);
    bool scanUnicodeChar(std::string& out);
    bool scanHexQuad(uint32_t& out);
    bool scanNumber(Value& out);
    bool scanLiteral(std::string_view rest, Value value, const char* failure, Value& out);
    void skipWhitespace();

    bool atEnd() const { return c == end_; }
    // The byte at the read position; 0 at the end of the input.
    unsigned char current() const { return atEnd() ? 0 : static_cast<unsigned char>(*c); }

    const char* c = nullptr;  // read position
    const char* end_ = nullptr;
};

}  // namespace sbjson
