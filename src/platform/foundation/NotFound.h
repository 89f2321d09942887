#pragma once

// The index of something that is not there. Compare with it; never compute
// with it (it is the largest index, so arithmetic on it overflows).

#include <cstdint>
#include <limits>

namespace foundation {

inline constexpr int64_t kNotFound = std::numeric_limits<int64_t>::max();

}  // namespace foundation
