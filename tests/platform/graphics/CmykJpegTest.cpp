#include "Printers.h"
#include "platform/graphics/IncrementalImageSource.h"
#include "platform/graphics/JpegCodec.h"
#include "support/Pictures.h"
#include "support/Process.h"

#include <array>
#include <cstdio>  // jpeglib.h needs FILE
#include <fstream>
#include <gtest/gtest.h>
#include <jpeglib.h>

using namespace graphics;

namespace {

constexpr int kWidth = 64, kHeight = 48;

// The ink of the four quadrants of testsupport::quadrantsImage: red, green,
// blue, white (cyan, magenta, yellow, black; 255 the most ink).
using Ink = std::array<uint8_t, 4>;
const Ink kQuadrantInks[4] = {{0, 255, 255, 0}, {255, 0, 255, 0}, {255, 255, 0, 0}, {0, 0, 0, 0}};
const RGBA kQuadrantColours[4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};

// A CMYK JPEG (no YCCK transform) of the quadrants' inks, written by
// libjpeg; with the Adobe marker the samples are stored inverted, as
// Photoshop stores them, without it they are the plain ink.
foundation::Bytes libjpegCmyk(bool adobeMarker, bool progressive) {
    jpeg_compress_struct codec{};
    jpeg_error_mgr errors{};
    codec.err = jpeg_std_error(&errors);
    jpeg_create_compress(&codec);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&codec, &out, &size);
    codec.image_width = kWidth;
    codec.image_height = kHeight;
    codec.input_components = 4;
    codec.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&codec);
    jpeg_set_colorspace(&codec, JCS_CMYK);
    codec.write_Adobe_marker = adobeMarker;
    jpeg_set_quality(&codec, 95, TRUE);
    if (progressive) jpeg_simple_progression(&codec);
    jpeg_start_compress(&codec, TRUE);
    std::vector<uint8_t> row(kWidth * 4);
    while (codec.next_scanline < codec.image_height) {
        const int y = int(codec.next_scanline);
        for (int x = 0; x < kWidth; ++x) {
            const Ink& ink = kQuadrantInks[(y < kHeight / 2 ? 0 : 2) + (x < kWidth / 2 ? 0 : 1)];
            for (int i = 0; i < 4; ++i)
                row[size_t(x * 4 + i)] = adobeMarker ? uint8_t(255 - ink[size_t(i)]) : ink[size_t(i)];
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&codec, rows, 1);
    }
    jpeg_finish_compress(&codec);
    jpeg_destroy_compress(&codec);
    foundation::Bytes bytes(out, out + size);
    std::free(out);
    return bytes;
}

// libjpeg-turbo's djpeg, as an outside reader of what the file shows: the
// colour in the middle of each quadrant.
std::array<RGBA, 4> djpegQuadrants(const foundation::Bytes& jpeg) {
    const std::string path = testsupport::writeTestFile("reference.jpg", jpeg);
    const testsupport::ProcessResult ppm = testsupport::runProcess({"djpeg", "-pnm", path});
    std::array<RGBA, 4> colours{};
    const std::string header = "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
    EXPECT_EQ(ppm.output.compare(0, header.size(), header), 0) << ppm.output.substr(0, 20);
    if (ppm.output.size() < header.size() + size_t(kWidth * kHeight * 3)) return colours;
    for (int q = 0; q < 4; ++q) {
        const int x = q % 2 ? kWidth * 3 / 4 : kWidth / 4, y = q / 2 ? kHeight * 3 / 4 : kHeight / 4;
        const auto* p = reinterpret_cast<const uint8_t*>(ppm.output.data() + header.size() + (y * kWidth + x) * 3);
        colours[size_t(q)] = {p[0], p[1], p[2], 255};
    }
    return colours;
}

void expectQuadrants(const Image& picture, const std::array<RGBA, 4>& expected, int scale, int tolerance) {
    ASSERT_EQ(picture.pixelWidth(), kWidth / scale);
    ASSERT_EQ(picture.pixelHeight(), kHeight / scale);
    for (int q = 0; q < 4; ++q) {
        const int x = (q % 2 ? kWidth * 3 / 4 : kWidth / 4) / scale,
                  y = (q / 2 ? kHeight * 3 / 4 : kHeight / 4) / scale;
        EXPECT_PRED3(testsupport::pixelNear, picture.pixelAt(x, y), expected[size_t(q)], tolerance) << "quadrant " << q;
    }
}

TEST(CmykJpeg, PrintPicturesDecodeToTheirColoursWithAndWithoutTheAdobeMarker) {
    struct Case {
        const char* what;
        foundation::Bytes jpeg;
        bool adobe;  // djpeg reads every CMYK file as Adobe's inverted form
    };
    const Case cases[] = {
        {"YCCK by ImageMagick", testsupport::cmykJpeg(testsupport::quadrantsImage(kWidth, kHeight)), true},
        {"progressive YCCK by ImageMagick", testsupport::cmykJpeg(testsupport::quadrantsImage(kWidth, kHeight), true),
         true},
        {"CMYK with the Adobe marker", libjpegCmyk(true, false), true},
        {"CMYK without the Adobe marker", libjpegCmyk(false, false), false},
        {"progressive CMYK without the Adobe marker", libjpegCmyk(false, true), false},
    };
    const std::array<RGBA, 4> colours = {kQuadrantColours[0], kQuadrantColours[1], kQuadrantColours[2],
                                         kQuadrantColours[3]};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(jpeg::hasAdobeMarker(c.jpeg.data(), c.jpeg.size()), c.adobe);
        auto decoded = Image::decode(c.jpeg);
        ASSERT_TRUE(decoded.ok()) << decoded.error().description;
        expectQuadrants(*decoded, colours, 1, 12);
        // What an outside decoder makes of the same file, closely.
        if (c.adobe) expectQuadrants(*decoded, djpegQuadrants(c.jpeg), 1, 2);
        // Thumbnails decode at a fraction of the size in the decoder.
        auto half = jpeg::decode(c.jpeg.data(), c.jpeg.size(), 2);
        ASSERT_TRUE(half.ok()) << half.error().description;
        expectQuadrants(*half, colours, 2, 12);
        // Downloads decode as the bytes arrive.
        IncrementalImageSource source;
        const size_t split = c.jpeg.size() / 3;
        source.updateData(foundation::Bytes(c.jpeg.begin(), c.jpeg.begin() + std::ptrdiff_t(split)), false);
        source.updateData(c.jpeg, true);
        ASSERT_EQ(source.status(), IncrementalImageSource::Status::Complete)
            << (source.error() ? source.error()->description : "");
        expectQuadrants(source.createImage(), colours, 1, 12);
    }
}

}  // namespace
