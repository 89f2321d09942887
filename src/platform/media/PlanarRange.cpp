// The full-range BT.601 of a JPEG's planes brought into what a movie keeps:
// the limited range of the matrix its size calls for. Plain integer
// arithmetic in 16 bits where it can be, so the compiler turns the loops
// into vector code (GCC asked to by this file's build options): one pass
// over the planes at memory speed, where a table lookup per byte would not
// vectorise.

#include "platform/media/PixelBuffer.h"

#include <algorithm>
#include <vector>

namespace media {

namespace {

// round(16 + v × 219 / 255): 0-255 onto 16-235. No value falls on a half,
// so adding 127 before the division rounds as well as 127.5 would.
uint8_t limitedLuma(uint8_t v) { return uint8_t(16 + uint16_t(uint16_t(v * 219u + 127u) / 255u)); }
// round(128 + (v - 128) × 224 / 255) = round((224 v + 3968) / 255): 0-255
// onto 16-240 around 128.
uint8_t limitedChroma(uint8_t v) { return uint8_t(uint16_t(v * 224u + 3968u + 127u) / 255u); }

uint8_t clamped(int v) { return uint8_t(std::clamp(v, 0, 255)); }
// The same in 16 bits, for loops that then take twice the pixels a step.
uint8_t clamped16(int16_t v) { return uint8_t(std::clamp<int16_t>(v, 0, 255)); }

// BT.601 YCbCr taken to BT.709's through the RGB they stand for, with
// Cb and Cr centred on 0: luma gains -0.118188 Cb - 0.212685 Cr; BT.709's
// Cb is 1.018640 Cb + 0.114618 Cr, its Cr 0.075050 Cb + 1.025327 Cr. Each
// scaled by 256 and by the limited range's 219/255 (luma) or 224/255
// (chroma). A 2 × 2 block's four pixels share their chroma sample, so the
// luma term is that of the block, as a decoder's colours are.
constexpr int kLumaFromCb = -26, kLumaFromCr = -47;
constexpr int kCbFromCb = 229, kCbFromCr = 26;
constexpr int kCrFromCb = 17, kCrFromCr = 231;

// Rounded division by 256 of a value of either sign.
int scaledDown(int v) { return (v + 128) >> 8; }

void toLimitedBT709(int width, int height, uint8_t* __restrict bytes) {
    const size_t lumaSize = size_t(width) * size_t(height);
    const int halfWidth = width / 2;
    uint8_t* cbPlane = bytes + lumaSize;
    uint8_t* crPlane = cbPlane + lumaSize / 4;
    // One chroma row's luma terms; each loop below reads and writes its
    // planes in order, so that both run as vector code.
    std::vector<int16_t> lumaTerms(static_cast<size_t>(halfWidth));
    int16_t* __restrict terms = lumaTerms.data();
    for (int row = 0; row < height / 2; ++row) {
        uint8_t* __restrict cb = cbPlane + size_t(row) * size_t(halfWidth);
        uint8_t* __restrict cr = crPlane + size_t(row) * size_t(halfWidth);
        for (int x = 0; x < halfWidth; ++x) {
            const int u = cb[x] - 128, v = cr[x] - 128;
            terms[x] = int16_t(scaledDown(kLumaFromCb * u + kLumaFromCr * v));
            cb[x] = clamped(128 + scaledDown(kCbFromCb * u + kCbFromCr * v));
            cr[x] = clamped(128 + scaledDown(kCrFromCb * u + kCrFromCr * v));
        }
        for (int y = 2 * row; y < 2 * row + 2; ++y) {
            uint8_t* __restrict luma = bytes + size_t(y) * size_t(width);
            for (int x = 0; x < halfWidth; ++x) {
                const int16_t term = terms[x];
                luma[2 * x] = clamped16(int16_t(limitedLuma(luma[2 * x]) + term));
                luma[2 * x + 1] = clamped16(int16_t(limitedLuma(luma[2 * x + 1]) + term));
            }
            if (width % 2 != 0) luma[width - 1] = limitedLuma(luma[width - 1]);
        }
    }
}

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
    if (conventionalMatrix(width, height) == YCbCrMatrix::BT709) {
        toLimitedBT709(width, height, bytes);
    } else {
        for (size_t i = 0; i < lumaSize; ++i) bytes[i] = limitedLuma(bytes[i]);
        for (size_t i = lumaSize; i < total; ++i) bytes[i] = limitedChroma(bytes[i]);
    }
    planar.bytes = std::move(planes);
    return planar;
}

}  // namespace media
