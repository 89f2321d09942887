#include "Printers.h"
#include "platform/graphics/PngCodec.h"
#include "support/Pictures.h"
#include "support/Process.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

using namespace graphics;

namespace {

// Writes small PNGs in forms our encoder never makes (grey, grey+alpha,
// palette with transparency, 16-bit RGBA), byte by byte, so the reader's
// conversions are checked against known values.
const char* kPngWriter = R"PY(
import struct, sys, zlib
def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xffffffff)
def png(path, width, height, depth, colour, rows, extra=b""):
    raw = b"".join(b"\x00" + row for row in rows)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 0))
    data += extra + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")
    open(path, "wb").write(data)
folder = sys.argv[1]
png(folder + "/grey.png", 2, 1, 8, 0, [bytes([0, 200])])
png(folder + "/greyalpha.png", 2, 1, 8, 4, [bytes([100, 255, 50, 128])])
palette = chunk(b"PLTE", bytes([255, 0, 0, 0, 0, 255])) + chunk(b"tRNS", bytes([255, 0]))
png(folder + "/palette.png", 2, 1, 8, 3, [bytes([0, 1])], palette)
png(folder + "/deep.png", 1, 1, 16, 6, [struct.pack(">HHHH", 0xFFFF, 0x8080, 0x0000, 0xFFFF)])
)PY";

foundation::Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return foundation::Bytes(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(PngCodecTest, AlphaRoundTripIsExact) {
    QImage bitmap(17, 9, QImage::Format_RGBA8888);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 17; ++x)
            bitmap.setPixelColor(x, y, QColor(x * 15, y * 28, (x * y) % 256, (x * 16 + y) % 256));
    Image source(bitmap);
    auto png = source.pngData();
    ASSERT_TRUE(png.ok()) << png.error().description;
    auto back = Image::decode(*png);
    ASSERT_TRUE(back.ok()) << back.error().description;
    ASSERT_EQ(back->pixelWidth(), 17);
    ASSERT_EQ(back->pixelHeight(), 9);
    EXPECT_TRUE(back->hasAlpha());
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 17; ++x) ASSERT_EQ(back->pixelAt(x, y), source.pixelAt(x, y)) << x << "," << y;
}

TEST(PngCodecTest, OpaquePicturesAreWrittenWithoutAlpha) {
    auto png = testsupport::quadrantsImage(10, 10).pngData();
    ASSERT_TRUE(png.ok());
    // Colour type in the IHDR chunk: 2 is RGB, 6 would be RGBA.
    EXPECT_EQ((*png)[25], 2);
    auto back = Image::decode(*png);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->pixelAt(9, 9), (RGBA{255, 255, 255, 255}));
}

TEST(PngCodecTest, GreyPaletteAndSixteenBitInputReadAsRGBA) {
    std::string folder = testsupport::writeTestFile("marker", {});
    folder = folder.substr(0, folder.rfind('/'));
    auto made = testsupport::runPython(kPngWriter, {folder});
    ASSERT_EQ(made.exitCode, 0) << made.output;

    auto grey = Image::load(folder + "/grey.png");
    ASSERT_TRUE(grey.ok()) << grey.error().description;
    EXPECT_EQ(grey->pixelAt(0, 0), (RGBA{0, 0, 0, 255}));
    EXPECT_EQ(grey->pixelAt(1, 0), (RGBA{200, 200, 200, 255}));

    auto greyAlpha = Image::load(folder + "/greyalpha.png");
    ASSERT_TRUE(greyAlpha.ok());
    EXPECT_EQ(greyAlpha->pixelAt(0, 0), (RGBA{100, 100, 100, 255}));
    EXPECT_EQ(greyAlpha->pixelAt(1, 0), (RGBA{50, 50, 50, 128}));

    auto palette = Image::load(folder + "/palette.png");
    ASSERT_TRUE(palette.ok());
    EXPECT_EQ(palette->pixelAt(0, 0), (RGBA{255, 0, 0, 255}));
    EXPECT_EQ(palette->pixelAt(1, 0).a, 0);

    auto deep = Image::load(folder + "/deep.png");
    ASSERT_TRUE(deep.ok());
    EXPECT_EQ(deep->pixelAt(0, 0), (RGBA{255, 128, 0, 255}));
}

TEST(PngCodecTest, TruncatedOrCorruptDataIsAnError) {
    auto png = testsupport::quadrantsImage(40, 40).pngData();
    ASSERT_TRUE(png.ok());
    for (size_t keep : {png->size() - 13, png->size() / 2, size_t(30), size_t(8)}) {
        auto image = Image::decode(png->data(), keep);
        ASSERT_FALSE(image.ok()) << "kept " << keep << " bytes";
        EXPECT_EQ(image.error().code, kImageErrorCorruptData);
    }
    // A flipped bit in the image data fails its checksum.
    foundation::Bytes damaged = *png;
    damaged[damaged.size() - 20] ^= 0x01;
    EXPECT_FALSE(Image::decode(damaged).ok());
    // A header that asks for an absurd size is refused before any allocation.
    foundation::Bytes huge = *png;
    huge[16] = 0x7F;  // width 0x7F0000xx
    EXPECT_FALSE(Image::decode(huge).ok());
}

TEST(PngCodecTest, OutsideToolsReadOurFiles) {
    QImage bitmap(33, 21, QImage::Format_RGBA8888);
    bitmap.fill(QColor(10, 20, 30, 40));
    auto png = Image(bitmap).pngData();
    ASSERT_TRUE(png.ok());
    std::string path = testsupport::writeTestFile("picture.png", *png);
    auto identify = testsupport::runProcess({"identify", "-format", "%m %w %h %A", path});
    ASSERT_EQ(identify.exitCode, 0) << identify.output;
    EXPECT_EQ(identify.output, "PNG 33 21 True");  // "True": it has an alpha channel
    auto pixel = testsupport::runPython(
        "import sys, zlib, struct\n"
        "d = open(sys.argv[1], 'rb').read()\n"
        "pos, idat = 8, b''\n"
        "while pos < len(d):\n"
        "    n, = struct.unpack('>I', d[pos:pos+4]); kind = d[pos+4:pos+8]\n"
        "    if kind == b'IDAT': idat += d[pos+8:pos+8+n]\n"
        "    pos += 12 + n\n"
        "raw = zlib.decompress(idat)\n"
        "print(raw[0], list(raw[1:5]))\n",
        {path});
    ASSERT_EQ(pixel.exitCode, 0) << pixel.output;
    EXPECT_EQ(pixel.output.substr(pixel.output.find(' ') + 1), "[10, 20, 30, 40]\n");
    EXPECT_EQ(readBytes(path), *png);
}
