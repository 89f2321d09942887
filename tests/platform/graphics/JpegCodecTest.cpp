#include "Printers.h"
#include "platform/graphics/JpegCodec.h"
#include "support/Pictures.h"
#include "support/Process.h"

#include <gtest/gtest.h>

using namespace graphics;
using testsupport::pixelNear;

namespace {

foundation::Bytes encodeOrDie(const Image& image, double quality) {
    auto bytes = image.jpegData(quality);
    EXPECT_TRUE(bytes.ok()) << (bytes.ok() ? "" : bytes.error().description);
    return bytes.ok() ? *bytes : foundation::Bytes{};
}

}  // namespace

TEST(JpegCodecTest, RoundTripKeepsSizeAndColours) {
    Image source = testsupport::quadrantsImage(64, 48);
    foundation::Bytes jpeg = encodeOrDie(source, 0.9);
    auto decoded = Image::decode(jpeg);
    ASSERT_TRUE(decoded.ok()) << decoded.error().description;
    EXPECT_EQ(decoded->pixelWidth(), 64);
    EXPECT_EQ(decoded->pixelHeight(), 48);
    EXPECT_EQ(decoded->orientation(), ImageOrientation::Up);
    EXPECT_FALSE(decoded->hasAlpha());
    EXPECT_PRED3(pixelNear, decoded->pixelAt(10, 10), (RGBA{255, 0, 0, 255}), 12);
    EXPECT_PRED3(pixelNear, decoded->pixelAt(50, 10), (RGBA{0, 255, 0, 255}), 12);
    EXPECT_PRED3(pixelNear, decoded->pixelAt(10, 40), (RGBA{0, 0, 255, 255}), 12);
    EXPECT_PRED3(pixelNear, decoded->pixelAt(50, 40), (RGBA{255, 255, 255, 255}), 12);
}

TEST(JpegCodecTest, QualityMapsOntoFileSizeAndIsClamped) {
    Image source = testsupport::quadrantsImage(128, 96).resized(128, 96);
    // Detail that quality can throw away: a fine checker over the quadrants.
    QImage detailed = source.bitmap().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x)
            if ((x + y) % 2) detailed.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, 128));
    Image detail(detailed);
    size_t low = encodeOrDie(detail, 0.1).size();
    size_t high = encodeOrDie(detail, 1.0).size();
    EXPECT_LT(low * 2, high);
    EXPECT_EQ(encodeOrDie(detail, 7.0), encodeOrDie(detail, 1.0));
    EXPECT_EQ(encodeOrDie(detail, -3.0), encodeOrDie(detail, 0.0));
}

TEST(JpegCodecTest, EncodesEveryPixelFormatAndPremultipliesStraightAlpha) {
    QImage straight(8, 8, QImage::Format_RGBA8888);
    straight.fill(QColor(255, 255, 255, 0));  // invisible white
    auto jpeg = Image(straight).jpegData(1.0);
    ASSERT_TRUE(jpeg.ok());
    auto decoded = Image::decode(*jpeg);
    ASSERT_TRUE(decoded.ok());
    // Transparent areas come out black, not as their hidden colour.
    EXPECT_PRED3(pixelNear, decoded->pixelAt(4, 4), (RGBA{0, 0, 0, 255}), 3);

    QImage grey(8, 8, QImage::Format_Grayscale8);
    grey.fill(QColor(128, 128, 128));
    auto greyJpeg = Image(grey).jpegData(1.0);
    ASSERT_TRUE(greyJpeg.ok());
    auto greyDecoded = Image::decode(*greyJpeg);
    ASSERT_TRUE(greyDecoded.ok());
    EXPECT_PRED3(pixelNear, greyDecoded->pixelAt(3, 3), (RGBA{128, 128, 128, 255}), 2);

    EXPECT_EQ(Image().jpegData(1.0).error().code, kImageErrorEmptyImage);
}

TEST(JpegCodecTest, ScaledDecodeGivesHalfQuarterAndEighth) {
    foundation::Bytes jpeg = encodeOrDie(testsupport::quadrantsImage(100, 60), 0.8);
    struct Case {
        int denominator, width, height;
    };
    for (Case c : {Case{1, 100, 60}, Case{2, 50, 30}, Case{4, 25, 15}, Case{8, 13, 8}}) {
        auto image = jpeg::decode(jpeg.data(), jpeg.size(), c.denominator);
        ASSERT_TRUE(image.ok()) << image.error().description;
        EXPECT_EQ(image->pixelWidth(), c.width) << "1/" << c.denominator;
        EXPECT_EQ(image->pixelHeight(), c.height) << "1/" << c.denominator;
    }
    auto eighth = jpeg::decode(jpeg.data(), jpeg.size(), 8);
    EXPECT_PRED3(pixelNear, eighth->pixelAt(1, 1), (RGBA{255, 0, 0, 255}), 16);
    auto bad = jpeg::decode(jpeg.data(), jpeg.size(), 3);
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error().code, kImageErrorInvalidArgument);
}

TEST(JpegCodecTest, ThumbnailDecodeUsesTheSmallestScaleThatStillCovers) {
    foundation::Bytes jpeg = encodeOrDie(testsupport::quadrantsImage(800, 600), 0.5);
    auto thumb = jpeg::decodeForMaximumSize(jpeg.data(), jpeg.size(), 272, 153);
    ASSERT_TRUE(thumb.ok());
    EXPECT_EQ(thumb->pixelWidth(), 400);  // 1/4 would be 200 wide, too small
    EXPECT_EQ(thumb->pixelHeight(), 300);
    auto tiny = jpeg::decodeForMaximumSize(jpeg.data(), jpeg.size(), 50, 50);
    ASSERT_TRUE(tiny.ok());
    EXPECT_EQ(tiny->pixelWidth(), 100);
    auto full = jpeg::decodeForMaximumSize(jpeg.data(), jpeg.size(), 1000, 1000);
    ASSERT_TRUE(full.ok());
    EXPECT_EQ(full->pixelWidth(), 800);
}

TEST(JpegCodecTest, HeaderGivesSizeWithoutDecoding) {
    foundation::Bytes jpeg = encodeOrDie(testsupport::quadrantsImage(321, 123), 0.5);
    auto header = jpeg::readHeader(jpeg.data(), jpeg.size());
    ASSERT_TRUE(header.ok());
    EXPECT_EQ(header->width, 321);
    EXPECT_EQ(header->height, 123);
    // The header is at the front: a file cut after it still tells its size.
    auto cut = jpeg::readHeader(jpeg.data(), 700);
    ASSERT_TRUE(cut.ok());
    EXPECT_EQ(cut->width, 321);
    EXPECT_FALSE(jpeg::readHeader(jpeg.data(), 20).ok());
}

TEST(JpegCodecTest, ExifOrientationForAllEightValuesInBothByteOrders) {
    foundation::Bytes plain = encodeOrDie(testsupport::quadrantsImage(40, 20), 0.8);
    const ImageOrientation expected[9] = {ImageOrientation::Up,           ImageOrientation::Up,
                                          ImageOrientation::UpMirrored,   ImageOrientation::Down,
                                          ImageOrientation::DownMirrored, ImageOrientation::LeftMirrored,
                                          ImageOrientation::Right,        ImageOrientation::RightMirrored,
                                          ImageOrientation::Left};
    for (bool bigEndian : {false, true}) {
        for (int value = 1; value <= 8; ++value) {
            foundation::Bytes tagged = testsupport::jpegWithExifOrientation(plain, value, bigEndian);
            auto image = Image::decode(tagged);
            ASSERT_TRUE(image.ok()) << image.error().description;
            EXPECT_EQ(image->orientation(), expected[value]) << "EXIF " << value << (bigEndian ? " MM" : " II");
            // The stored pixels stay as written; the size in points turns.
            EXPECT_EQ(image->pixelWidth(), 40);
            Size size = image->size();
            bool sideways = value >= 5;
            EXPECT_EQ(size, sideways ? (Size{20, 40}) : (Size{40, 20})) << "EXIF " << value;
            auto header = jpeg::readHeader(tagged.data(), tagged.size());
            ASSERT_TRUE(header.ok());
            EXPECT_EQ(header->orientation, expected[value]);
        }
    }
}

TEST(JpegCodecTest, UnknownOrDamagedExifReadsAsUp) {
    foundation::Bytes plain = encodeOrDie(testsupport::quadrantsImage(16, 16), 0.8);
    for (int value : {0, 9, 0xFFFF}) {
        foundation::Bytes tagged = testsupport::jpegWithExifOrientation(plain, value, false);
        EXPECT_EQ(jpeg::exifOrientation(tagged.data(), tagged.size()), ImageOrientation::Up) << value;
    }
    // An IFD offset pointing far past the segment, and a segment length past
    // the end of the data: read safely as no orientation.
    foundation::Bytes tagged = testsupport::jpegWithExifOrientation(plain, 6, false);
    foundation::Bytes badOffset = tagged;
    badOffset[2 + 4 + 6 + 4] = 0xF0;  // first byte of the IFD0 offset
    EXPECT_EQ(jpeg::exifOrientation(badOffset.data(), badOffset.size()), ImageOrientation::Up);
    foundation::Bytes badLength(tagged.begin(), tagged.begin() + 12);
    badLength[4] = 0x7F;
    EXPECT_EQ(jpeg::exifOrientation(badLength.data(), badLength.size()), ImageOrientation::Up);
    // Cut anywhere inside the segment, the reader never reads past the end.
    for (size_t n = 0; n < 40; ++n) (void)jpeg::exifOrientation(tagged.data(), n);
}

TEST(JpegCodecTest, TruncatedOrCorruptDataIsAnError) {
    foundation::Bytes jpeg = encodeOrDie(testsupport::quadrantsImage(64, 64), 0.9);
    for (size_t keep : {jpeg.size() / 2, jpeg.size() - 2, size_t(3), size_t(0)}) {
        auto image = Image::decode(jpeg.data(), keep);
        ASSERT_FALSE(image.ok()) << "kept " << keep << " bytes";
        EXPECT_EQ(image.error().domain, kImageErrorDomain);
    }
    // Entropy-coded data has no checksum, but broken headers are caught.
    foundation::Bytes garbled = jpeg;
    for (size_t i = 4; i < 100; ++i) garbled[i] = 0x55;
    EXPECT_FALSE(Image::decode(garbled).ok());
    EXPECT_FALSE(jpeg::readHeader(garbled.data(), garbled.size()).ok());
    foundation::Bytes notAPicture = {'h', 'e', 'l', 'l', 'o'};
    auto unknown = Image::decode(notAPicture);
    ASSERT_FALSE(unknown.ok());
    EXPECT_EQ(unknown.error().code, kImageErrorUnknownFormat);
}

TEST(JpegCodecTest, AFailedDecodeLeavesTheThreadsNextDecodeWhole) {
    // One decoder serves a thread's pictures in turn; a stream that broke
    // off in its header or its data must not spoil the picture after it.
    const Image picture = testsupport::quadrantsImage(64, 64);
    foundation::Bytes jpeg = encodeOrDie(picture, 0.9);
    foundation::Bytes garbled = jpeg;
    for (size_t i = 4; i < 100; ++i) garbled[i] = 0x55;
    const std::vector<std::pair<const uint8_t*, size_t>> broken = {
        {jpeg.data(), jpeg.size() / 2}, {jpeg.data(), 40}, {garbled.data(), garbled.size()}};
    for (const auto& [data, length] : broken) {
        EXPECT_FALSE(jpeg::decodeForMaximumSize(data, length, 32, 32).ok());
        EXPECT_FALSE(jpeg::decodePlanes420(data, length, {}).has_value());
        for (int denominator : {1, 2}) {
            auto image = jpeg::decode(jpeg.data(), jpeg.size(), denominator);
            ASSERT_TRUE(image.ok());
            EXPECT_EQ(image->pixelWidth(), 64 / denominator);
            EXPECT_TRUE(pixelNear(image->pixelAt(8 / denominator, 8 / denominator),
                                  picture.pixelAt(8, 8), 12));
            EXPECT_TRUE(pixelNear(image->pixelAt(56 / denominator, 56 / denominator),
                                  picture.pixelAt(56, 56), 12));
        }
        auto planes = jpeg::decodePlanes420(jpeg.data(), jpeg.size(), {});
        ASSERT_TRUE(planes.has_value());
        EXPECT_EQ(planes->width, 64);
    }
}

TEST(JpegCodecTest, PlanesComeStraightOnlyFromUpright420Streams) {
    const Image picture = testsupport::quadrantsImage(64, 36);
    const foundation::Bytes plain = encodeOrDie(picture, 0.9);
    QImage grey(64, 36, QImage::Format_Grayscale8);
    grey.fill(100);
    foundation::Bytes truncated(plain.begin(), plain.begin() + std::ptrdiff_t(plain.size() / 2));
    struct Case {
        const char* what;
        foundation::Bytes jpeg;
        bool planes;
    };
    const Case cases[] = {
        {"4:2:0", plain, true},
        {"progressive 4:2:0", testsupport::progressiveJpeg(picture), true},
        {"EXIF upright", testsupport::jpegWithExifOrientation(plain, 1, false), true},
        {"EXIF turned", testsupport::jpegWithExifOrientation(plain, 6, false), false},
        {"4:4:4", *jpeg::encode(picture.bitmap(), 0.9, true), false},
        {"odd width", encodeOrDie(testsupport::quadrantsImage(63, 36), 0.9), false},
        {"grey", *jpeg::encode(grey, 0.9), false},
        {"truncated", truncated, false},
        {"not a JPEG", {'h', 'e', 'l', 'l', 'o'}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto planes = jpeg::decodePlanes420(c.jpeg.data(), c.jpeg.size());
        ASSERT_EQ(planes.has_value(), c.planes);
        if (!planes) continue;
        ASSERT_EQ(planes->width, 64);
        ASSERT_EQ(planes->height, 36);
        ASSERT_EQ(planes->bytes.size(), 64u * 36 * 3 / 2);
        // Each quadrant's middle in the three planes, against the full-range
        // YCbCr of the colours the ordinary decode gives there.
        auto decoded = Image::decode(c.jpeg);
        ASSERT_TRUE(decoded.ok());
        const uint8_t* cb = planes->bytes.data() + 64 * 36;
        const uint8_t* cr = cb + 32 * 18;
        for (auto [x, y] : {std::pair{16, 9}, std::pair{48, 9}, std::pair{16, 27}, std::pair{48, 27}}) {
            const RGBA p = decoded->pixelAt(x, y);
            EXPECT_NEAR(planes->bytes[size_t(y * 64 + x)], 0.299 * p.r + 0.587 * p.g + 0.114 * p.b, 3) << x;
            EXPECT_NEAR(cb[y / 2 * 32 + x / 2], 128 - 0.168736 * p.r - 0.331264 * p.g + 0.5 * p.b, 4) << x;
            EXPECT_NEAR(cr[y / 2 * 32 + x / 2], 128 + 0.5 * p.r - 0.418688 * p.g - 0.081312 * p.b, 4) << x;
        }
    }
}

TEST(JpegCodecTest, OrientedImagesAreWrittenUpright) {
    // Written turned, so readers that ignore EXIF show it the right way up.
    Image sideways = testsupport::quadrantsImage(40, 20).withOrientation(ImageOrientation::Right);
    auto jpeg = sideways.jpegData(0.9);
    ASSERT_TRUE(jpeg.ok());
    auto back = Image::decode(*jpeg);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->pixelWidth(), 20);
    EXPECT_EQ(back->pixelHeight(), 40);
    EXPECT_EQ(back->orientation(), ImageOrientation::Up);
    // Turned clockwise, the stored top-left (red) quadrant is now top-right.
    EXPECT_PRED3(pixelNear, back->pixelAt(15, 5), (RGBA{255, 0, 0, 255}), 16);
}

TEST(JpegCodecTest, OutsideToolsReadOurFiles) {
    foundation::Bytes jpeg = encodeOrDie(testsupport::quadrantsImage(123, 45), 0.7);
    std::string path = testsupport::writeTestFile("picture.jpg", jpeg);
    auto identify = testsupport::runProcess({"identify", "-format", "%m %w %h", path});
    ASSERT_EQ(identify.exitCode, 0) << identify.output;
    EXPECT_EQ(identify.output, "JPEG 123 45");
    auto probe = testsupport::runProcess(
        {"ffprobe", "-v", "error", "-show_entries", "stream=codec_name,width,height", "-of", "csv=p=0", path});
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    EXPECT_EQ(probe.output, "mjpeg,123,45\n");
}

TEST(ImageLoadTest, LoadsFromFilesAndReportsMissingOnes) {
    foundation::Bytes jpeg = encodeOrDie(testsupport::quadrantsImage(30, 10), 0.7);
    std::string path = testsupport::writeTestFile("load.jpg", jpeg);
    auto image = Image::load(path);
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image->size(), (Size{30, 10}));
    auto missing = Image::load(path + ".absent");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().domain, foundation::kPOSIXErrorDomain);
    EXPECT_EQ(missing.error().code, ENOENT);
    std::string truncated = testsupport::writeTestFile("cut.jpg", foundation::Bytes(jpeg.begin(), jpeg.begin() + 200));
    auto cut = Image::load(truncated);
    ASSERT_FALSE(cut.ok());
    EXPECT_NE(cut.error().description.find("cut.jpg"), std::string::npos);
}

TEST(JpegCodec, FullColourResolutionKeepsOnePixelStripes) {
    // Columns alternating red and blue: half-resolution colour blends
    // neighbours, full resolution keeps each pixel's own colour.
    QImage stripes(64, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x) stripes.setPixel(x, y, x % 2 ? qRgb(220, 30, 20) : qRgb(20, 40, 210));
    auto full = jpeg::encode(stripes, 1.0, true);
    auto half = jpeg::encode(stripes, 1.0);
    ASSERT_TRUE(full.ok() && half.ok());
    auto fullPicture = Image::decode(*full);
    auto halfPicture = Image::decode(*half);
    ASSERT_TRUE(fullPicture.ok() && halfPicture.ok());
    EXPECT_TRUE(pixelNear(fullPicture->pixelAt(9, 8), RGBA{220, 30, 20, 255}, 3));
    EXPECT_TRUE(pixelNear(fullPicture->pixelAt(10, 8), RGBA{20, 40, 210, 255}, 3));
    EXPECT_FALSE(pixelNear(halfPicture->pixelAt(9, 8), RGBA{220, 30, 20, 255}, 30));
}
