#include "platform/gl/ReadBack.h"

#include <GLES/gl.h>
#include <cstring>

namespace gl {

void readRgbaTopRowFirst(int width, int height, uint8_t* out) {
    if (width <= 0 || height <= 0) return;
    size_t row = static_cast<size_t>(width) * 4;
    // One read, then rows reversed in place: a read per row costs a driver
    // round trip each.
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, out);
    std::vector<uint8_t> swap(row);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        uint8_t* a = out + static_cast<size_t>(top) * row;
        uint8_t* b = out + static_cast<size_t>(bottom) * row;
        std::memcpy(swap.data(), a, row);
        std::memcpy(a, b, row);
        std::memcpy(b, swap.data(), row);
    }
}

std::vector<uint8_t> readRgbaTopRowFirst(int width, int height) {
    std::vector<uint8_t> pixels(width > 0 && height > 0 ? static_cast<size_t>(width) * height * 4 : 0);
    readRgbaTopRowFirst(width, height, pixels.data());
    return pixels;
}

}  // namespace gl
