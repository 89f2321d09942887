#pragma once

// A picture handed to the movie writer: rows of 32-bit pixels with the bytes
// alpha (ignored), red, green, blue in that order, as the platform's 32ARGB
// pixel format stores them, or blue, green, red, alpha (32BGRA, as GL reads
// back fastest and decoders hand out); or the same picture already converted to planar
// 4:2:0 YCbCr (a luma plane of width × height bytes, then the two chroma
// planes of half width and height), so the conversion can run on the
// producer's threads instead of the encoder's. A planar picture holds the
// limited-range YCbCr of the matrix its size calls for
// (conventionalMatrix), as the movie writer tags it.

#include "platform/media/VideoColour.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace media {

inline constexpr uint32_t kPixelFormat32ARGB = 32;
inline constexpr uint32_t kPixelFormat32BGRA = 0x42475241;            // 'BGRA'
inline constexpr uint32_t kPixelFormat420YpCbCr8Planar = 0x79343230;  // 'y420'

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

// Where a planar 4:2:0 picture goes: the luma, Cb and Cr planes and the
// bytes from one row of each to the next.
struct Planes420 {
    std::array<uint8_t*, 3> data{};
    std::array<size_t, 3> strides{};
};

// A 32ARGB or 32BGRA picture of even width and height written into
// `planes` as limited-range 4:2:0 of `matrix`, each chroma sample the mean
// of its 2 × 2 pixels (the planes hold at least the picture's rows); false,
// and nothing written, for any other picture. Any thread.
bool writePlanar420(const PixelBuffer& packed, const Planes420& planes, YCbCrMatrix matrix);

// The same picture converted into planar 4:2:0, as the movie encoder takes
// it (the matrix of its size), written into `store`; the buffer unchanged
// for any other picture.
PixelBuffer convertedTo420Planar(const PixelBuffer& packed, std::vector<uint8_t> store = {});

// Full-range BT.601 planar 4:2:0 YCbCr (as JPEG stores it: a luma plane of
// width × height bytes, then the two chroma planes of half width and
// height) brought in place into what convertedTo420Planar gives and the
// encoder takes: limited range (luma 16-235, chroma 16-240) of the matrix
// the size calls for. Width and height even; `planes` at least
// width × height × 3 / 2 bytes. Any thread.
PixelBuffer planarFromFullRange420(int width, int height, std::vector<uint8_t> planes);

}  // namespace media
