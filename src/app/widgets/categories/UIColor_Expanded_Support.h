#pragma once

// The CSS colour-name table and its uncached search.

#include "platform/graphics/Color.h"

#include <optional>
#include <string_view>

namespace UIColor_Expanded_Support {

// The table: ",name#rrggbb" for each of the 147 names, alphabetical.
extern const std::string_view kColorNameTable;

// The colour of a name, found by an exact, case-sensitive search.
std::optional<graphics::Color> searchForColorByName(std::string_view name);

}  // namespace UIColor_Expanded_Support
