// The full range of a JPEG's planes brought into the range a movie keeps.
// Plain integer arithmetic in 16 bits, so the compiler turns the loops into
// vector code (GCC asked to by this file's build options): one pass over the
// planes at memory speed, where a table lookup per byte would not vectorise.

#include "platform/media/PixelBuffer.h"

#include <algorithm>

namespace media {

namespace {

// round(16 + v × 219 / 255): 0-255 onto 16-235. No value falls on a half,
// so adding 127 before the division rounds as well as 127.5 would.
uint8_t limitedLuma(uint8_t v) { return uint8_t(16 + uint16_t(uint16_t(v * 219u + 127u) / 255u)); }
// round(128 + (v - 128) × 224 / 255) = round((224 v + 3968) / 255): 0-255
// onto 16-240 around 128.
uint8_t limitedChroma(uint8_t v) { return uint8_t(uint16_t(v * 224u + 3968u + 127u) / 255u); }

}  // namespace

PixelBuffer planarFromFullRange420(int width, int height, std::vector<uint8_t> planes) {
    PixelBuffer planar;
    planar.width = width;
    planar.height = height;
    planar.bytesPerRow = size_t(std::max(width, 0));
    planar.pixelFormat = kPixelFormat420YpCbCr8Planar;
    const size_t lumaSize = size_t(std::max(width, 0)) * size_t(std::max(height, 0));
    const size_t total = lumaSize * 3 / 2;
    planes.resize(total);
    // Both bounds are locals: a byte store may alias the vector's own
    // pointers, so a bound read from it each pass keeps the loop scalar.
    uint8_t* bytes = planes.data();
    for (size_t i = 0; i < lumaSize; ++i) bytes[i] = limitedLuma(bytes[i]);
    for (size_t i = lumaSize; i < total; ++i) bytes[i] = limitedChroma(bytes[i]);
    planar.bytes = std::move(planes);
    return planar;
}

}  // namespace media
