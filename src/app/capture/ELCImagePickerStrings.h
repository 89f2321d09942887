#pragma once

// The texts of the photo and video picker: the "ELCImagePicker" string table
// of the picker's resource bundle, read once. A missing table or entry
// leaves the key itself.

#include <cstdint>
#include <string>
#include <string_view>

std::string elcLocalized(std::string_view key);
// "%d Photos" / "%d Videos" filled with a count.
std::string elcCountText(bool videos, int64_t count);
