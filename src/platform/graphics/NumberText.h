#pragma once

// Number formatting and parsing shared by the text forms of geometry values.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace graphics {

// The shortest text that reads back to the same double ("3", "0.5", "-1e+20").
std::string formatNumber(double value);

// Reads "{a, b}" (groups = {2}) or "{{a, b}, {c, d}}" (groups = {2, 2}):
// braces and commas exactly in those places, white space anywhere between
// tokens, nothing after the last brace. None for anything else.
std::optional<std::vector<double>> parseBracedNumbers(std::string_view text, const std::vector<int>& groups);

}  // namespace graphics
