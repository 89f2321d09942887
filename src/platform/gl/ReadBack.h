#pragma once

// Reads the bound framebuffer's RGBA pixels with the top row first (GL rows
// run bottom-up), as pictures store them.

#include <cstdint>
#include <vector>

namespace gl {

// `out` receives width × height × 4 bytes. The context must be current.
void readRgbaTopRowFirst(int width, int height, uint8_t* out);
std::vector<uint8_t> readRgbaTopRowFirst(int width, int height);

}  // namespace gl
