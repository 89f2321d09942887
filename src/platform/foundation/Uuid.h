#pragma once

#include <string>

namespace foundation {

// A new random UUID in the platform's text form: 36 characters, upper-case
// hexadecimal groups of 8, 4, 4, 4 and 12 joined by hyphens.
std::string makeUuidString();

}  // namespace foundation
