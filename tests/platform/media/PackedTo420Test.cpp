#include "platform/media/PixelBuffer.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace media;

namespace {

struct Colour {
    uint8_t r, g, b;
};

// A picture whose pixel (x, y) is colourAt(x, y), in 32ARGB or 32BGRA.
template <class ColourAt>
PixelBuffer picture(int width, int height, uint32_t format, ColourAt colourAt) {
    PixelBuffer buffer = PixelBuffer::create(width, height);
    buffer.pixelFormat = format;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Colour c = colourAt(x, y);
            uint8_t* p = buffer.row(y) + 4 * x;
            if (format == kPixelFormat32ARGB) {
                p[0] = 255, p[1] = c.r, p[2] = c.g, p[3] = c.b;
            } else {
                p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = 255;
            }
        }
    return buffer;
}

// Planes of a width × height picture in one store, each row `padding`
// bytes longer than the picture, every byte 0xAB to begin with.
struct Store {
    size_t lumaStride, chromaStride, lumaSize, chromaSize;
    std::vector<uint8_t> bytes;

    Store(int width, int height, size_t padding = 0)
        : lumaStride(size_t(width) + padding),
          chromaStride(size_t(width) / 2 + padding),
          lumaSize(lumaStride * size_t(height)),
          chromaSize(chromaStride * size_t(height) / 2),
          bytes(lumaSize + 2 * chromaSize, 0xAB) {}
    Planes420 planes() {
        return {{bytes.data(), bytes.data() + lumaSize, bytes.data() + lumaSize + chromaSize},
                {lumaStride, chromaStride, chromaStride}};
    }
    uint8_t luma(int x, int y) const { return bytes[lumaStride * size_t(y) + size_t(x)]; }
    uint8_t cb(int x, int y) const { return bytes[lumaSize + chromaStride * size_t(y) + size_t(x)]; }
    uint8_t cr(int x, int y) const { return bytes[lumaSize + chromaSize + chromaStride * size_t(y) + size_t(x)]; }
};

}  // namespace

// 4,096 colours, each filling a 2 × 2 block: every luma and chroma sample
// within a level of its matrix's limited-range values (BT.709's 8-bit Cb
// weights up to 1.15), in either byte order.
TEST(PackedTo420, EveryColourMeetsTheLimitedRangeOfItsMatrix) {
    const int side = 128;
    const auto colourAt = [](int x, int y) {
        const int block = (y / 2) * 64 + x / 2;
        return Colour{uint8_t(17 * (block % 16)), uint8_t(17 * (block / 16 % 16)), uint8_t(17 * (block / 256))};
    };
    for (const auto& [format, matrix, kr, kb, levels] :  // kr, kb: the red and blue weights of luma
         {std::tuple{kPixelFormat32ARGB, YCbCrMatrix::BT601, 0.299, 0.114, 1.0},
          {kPixelFormat32BGRA, YCbCrMatrix::BT601, 0.299, 0.114, 1.0},
          {kPixelFormat32ARGB, YCbCrMatrix::BT709, 0.2126, 0.0722, 1.15},
          {kPixelFormat32BGRA, YCbCrMatrix::BT709, 0.2126, 0.0722, 1.15}}) {
        SCOPED_TRACE(kr);
        Store store(side, side);
        ASSERT_TRUE(writePlanar420(picture(side, side, format, colourAt), store.planes(), matrix));
        for (int y = 0; y < side; y += 2)
            for (int x = 0; x < side; x += 2) {
                const Colour c = colourAt(x, y);
                const double luma = kr * c.r + (1 - kr - kb) * c.g + kb * c.b;
                const double expectedY = 16 + 219 * luma / 255;
                const double expectedCb = 128 + 224 * (c.b - luma) / (2 * (1 - kb)) / 255;
                const double expectedCr = 128 + 224 * (c.r - luma) / (2 * (1 - kr)) / 255;
                const std::string where = std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        ASSERT_LE(std::abs(store.luma(x + dx, y + dy) - expectedY), levels) << where;
                ASSERT_LE(std::abs(store.cb(x / 2, y / 2) - expectedCb), levels) << where;
                ASSERT_LE(std::abs(store.cr(x / 2, y / 2) - expectedCr), levels) << where;
            }
    }
}

// A chroma sample is that of the rounded mean of its four pixels; the
// bytes past each row of the planes stay as they were.
TEST(PackedTo420, ChromaIsTheMeanOfFourPixelsWithinTheRows) {
    const Colour corners[4] = {{255, 0, 0}, {0, 0, 0}, {10, 200, 0}, {0, 0, 255}};
    const auto mixed = [&](int x, int y) { return corners[(y % 2) * 2 + x % 2]; };
    Store store(8, 4, 5);
    ASSERT_TRUE(writePlanar420(picture(8, 4, kPixelFormat32BGRA, mixed), store.planes(), YCbCrMatrix::BT601));
    // (255 + 0 + 10 + 0 + 2) / 4, (0 + 0 + 200 + 0 + 2) / 4, (0 + 0 + 0 + 255 + 2) / 4.
    Store mean(8, 4, 5);
    const auto flat = [](int, int) { return Colour{66, 50, 64}; };
    ASSERT_TRUE(writePlanar420(picture(8, 4, kPixelFormat32BGRA, flat), mean.planes(), YCbCrMatrix::BT601));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(store.cb(x, y), mean.cb(x, y));
            EXPECT_EQ(store.cr(x, y), mean.cr(x, y));
        }
    for (int y = 0; y < 4; ++y)
        for (int x = 8; x < 13; ++x) EXPECT_EQ(store.luma(x, y), 0xAB) << "luma padding " << x << "," << y;
    for (int y = 0; y < 2; ++y)
        for (int x = 4; x < 9; ++x) {
            EXPECT_EQ(store.cb(x, y), 0xAB) << "Cb padding " << x << "," << y;
            EXPECT_EQ(store.cr(x, y), 0xAB) << "Cr padding " << x << "," << y;
        }
}

// Pictures that cannot be subsampled or are not packed 32-bit pixels are
// refused, and nothing is written.
TEST(PackedTo420, PicturesItCannotTakeAreRefusedUntouched) {
    const auto grey = [](int, int) { return Colour{128, 128, 128}; };
    PixelBuffer shortRows = picture(8, 4, kPixelFormat32ARGB, grey);
    shortRows.bytesPerRow = 28;
    PixelBuffer fewBytes = picture(8, 4, kPixelFormat32ARGB, grey);
    fewBytes.bytes.resize(fewBytes.bytes.size() - 1);
    PixelBuffer planar = picture(8, 4, kPixelFormat32ARGB, grey);
    planar.pixelFormat = kPixelFormat420YpCbCr8Planar;
    struct Case {
        const char* what;
        PixelBuffer buffer;
    };
    for (const Case& c : {Case{"odd width", picture(7, 4, kPixelFormat32ARGB, grey)},
                          Case{"odd height", picture(8, 3, kPixelFormat32BGRA, grey)},
                          Case{"empty", PixelBuffer{}}, Case{"rows shorter than the width", shortRows},
                          Case{"fewer bytes than rows", fewBytes}, Case{"planar already", planar}}) {
        Store store(8, 4);
        EXPECT_FALSE(writePlanar420(c.buffer, store.planes(), YCbCrMatrix::BT709)) << c.what;
        EXPECT_EQ(store.bytes, std::vector<uint8_t>(store.bytes.size(), 0xAB)) << c.what;
    }
}
