#pragma once

// Small text operations that several layers need.

#include <string>
#include <string_view>
#include <vector>

namespace foundation {

// The parts of `text` between separators, empty ones included: "a//b/" split
// at "/" gives "a", "", "b", ""; an empty text gives one empty part.
std::vector<std::string> split(std::string_view text, char separator);

// The value of a hexadecimal digit of either case; -1 for any other character.
int hexDigitValue(char c);

}  // namespace foundation
