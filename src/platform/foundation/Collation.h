#pragma once

// Comparing and indexing texts as a reader of the user's language expects
// (ICU): the order of lists sorted by name and the first-letter sections of
// long lists ("A", "B", ..., and "#" for names that start with no letter).

#include <string>
#include <string_view>

namespace foundation {

// Below, equal to or above 0 as `a` sorts before, with or after `b`,
// ignoring case.
int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b);
// The title of the first-letter section that `text` belongs to.
std::string alphabeticSectionTitle(std::string_view text);

}  // namespace foundation
