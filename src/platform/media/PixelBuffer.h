#pragma once

// A picture handed to the movie writer: rows of 32-bit pixels with the bytes
// alpha (ignored), red, green, blue in that order, as the platform's 32ARGB
// pixel format stores them.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace media {

inline constexpr uint32_t kPixelFormat32ARGB = 32;

struct PixelBuffer {
    int width = 0;
    int height = 0;
    size_t bytesPerRow = 0;
    uint32_t pixelFormat = kPixelFormat32ARGB;
    std::vector<uint8_t> bytes;

    // A black buffer of 4 × width bytes per row.
    static PixelBuffer create(int width, int height) {
        PixelBuffer buffer;
        buffer.width = width;
        buffer.height = height;
        buffer.bytesPerRow = static_cast<size_t>(width) * 4;
        buffer.bytes.assign(buffer.bytesPerRow * static_cast<size_t>(height), 0);
        return buffer;
    }
    uint8_t* row(int y) { return bytes.data() + bytesPerRow * static_cast<size_t>(y); }
    const uint8_t* row(int y) const { return bytes.data() + bytesPerRow * static_cast<size_t>(y); }
};

}  // namespace media
