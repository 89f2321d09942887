#pragma once

// Small readers shared by the dictionary forms of frames, clips and theme
// items: a stored value of the wrong kind counts as missing, so a damaged
// "frames.meta" entry falls back to defaults instead of turning into garbage.

#include "platform/foundation/Value.h"

#include <cstdint>

namespace framekeys {

inline int64_t integerOr(const foundation::Dictionary& dictionary, std::string_view key, int64_t fallback) {
    const foundation::Value& value = dictionary.get(key);
    return value.isNumber() ? value.asInt() : fallback;
}

// Keys stored as 32-bit integers read back truncated to 32 bits, as they were written.
inline int32_t int32Or(const foundation::Dictionary& dictionary, std::string_view key, int32_t fallback) {
    return static_cast<int32_t>(integerOr(dictionary, key, fallback));
}

}  // namespace framekeys
