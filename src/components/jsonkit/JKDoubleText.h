#pragma once

#include <cstddef>

namespace jsonkit {

// The longest text jkWriteDouble writes.
inline constexpr size_t kJKDoubleTextBytes = 32;

// Writes a finite double as printf's "%.17g" does in the C locale, at `out`
// (room for kJKDoubleTextBytes), and returns the end of the text. The 17
// digits are worked out exactly in integers for the doubles of everyday
// size; the others go through the library's conversion.
char* jkWriteDouble(char* out, double value);

}  // namespace jsonkit
