#include "platform/graphics/IncrementalImageSource.h"
#include "support/Pictures.h"

#include <gtest/gtest.h>

using foundation::Bytes;
using graphics::Image;
using graphics::IncrementalImageSource;
using graphics::PixelSize;
using Status = graphics::IncrementalImageSource::Status;

namespace {

constexpr int kWidth = 96, kHeight = 80;

struct Fixture {
    const char* name;
    Bytes bytes;
    bool wholeHeightPartials;  // progressive JPEG and interlaced PNG
    int tolerance;             // JPEG decoders may round differently
};

std::vector<Fixture> fixtures() {
    Image picture = testsupport::quadrantsImage(kWidth, kHeight);
    return {
        {"baseline JPEG", *picture.jpegData(0.9), false, 2},
        {"progressive JPEG", testsupport::progressiveJpeg(picture), true, 2},
        {"PNG", *picture.pngData(), false, 0},
        {"interlaced PNG", testsupport::interlacedPng(picture), true, 0},
    };
}

void expectSamePixels(const Image& actual, const Image& expected, int tolerance) {
    ASSERT_EQ(actual.pixelWidth(), expected.pixelWidth());
    ASSERT_EQ(actual.pixelHeight(), expected.pixelHeight());
    for (int y = 0; y < expected.pixelHeight(); ++y)
        for (int x = 0; x < expected.pixelWidth(); ++x)
            ASSERT_TRUE(testsupport::pixelNear(actual.pixelAt(x, y), expected.pixelAt(x, y), tolerance))
                << "pixel " << x << "," << y;
}

uint32_t crc32(const uint8_t* data, size_t length) {
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

void putBigEndian(Bytes& bytes, size_t at, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes[at + i] = uint8_t(value >> (8 * (count - 1 - i)));
}

// The same stream with its header claiming `width` x `height`.
Bytes withClaimedSize(Bytes bytes, uint32_t width, uint32_t height) {
    if (bytes[0] == 0x89) {  // PNG: IHDR fields and their checksum
        putBigEndian(bytes, 16, width, 4);
        putBigEndian(bytes, 20, height, 4);
        putBigEndian(bytes, 29, crc32(&bytes[12], 17), 4);
        return bytes;
    }
    for (size_t i = 2; i + 9 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {  // start of frame
            putBigEndian(bytes, i + 5, height, 2);
            putBigEndian(bytes, i + 7, width, 2);
            return bytes;
        }
    }
    ADD_FAILURE() << "no frame header";
    return bytes;
}

// The bytes a decoder reads before the first pixel: a JPEG up to and with
// its start-of-scan segment, a PNG up to its first IDAT chunk's name.
size_t headerLength(const Bytes& bytes) {
    for (size_t i = 2; i + 3 < bytes.size(); ++i) {
        if (bytes[0] == 0xFF && bytes[i] == 0xFF && bytes[i + 1] == 0xDA)
            return i + 2 + (bytes[i + 2] << 8 | bytes[i + 3]);
        if (bytes[0] == 0x89 && std::equal(&bytes[i], &bytes[i] + 4, "IDAT")) return i + 4;
    }
    ADD_FAILURE() << "no picture data";
    return bytes.size();
}

}  // namespace

TEST(IncrementalImageSource, PartialsGrowPieceByPieceAndEndAsTheWholePicture) {
    for (const Fixture& fixture : fixtures()) {
        SCOPED_TRACE(fixture.name);
        const Bytes& all = fixture.bytes;
        ASSERT_GT(all.size(), 200u);
        Image whole = *Image::decode(all);

        IncrementalImageSource source;
        int lastHeight = 0, partials = 0;
        uint64_t lastChangeCount = 0;
        Image lastPartial;
        bool sizeKnown = false;
        // Pieces of every size, down to single bytes, as a network hands them over.
        for (size_t length = 1, step = 1; length < all.size(); length += step, step = step % 37 + 1) {
            source.updateData(all.data(), length, false);
            ASSERT_NE(source.status(), Status::InvalidData) << source.error()->description << " at " << length;
            if (source.pixelSize()) {
                EXPECT_EQ(*source.pixelSize(), (PixelSize{kWidth, kHeight}));
                sizeKnown = true;
            } else {
                EXPECT_FALSE(sizeKnown) << "the size went away";
            }
            Image partial = source.createImage();
            if (partial.isNull()) {
                EXPECT_EQ(lastHeight, 0) << "a partial picture went away";
                continue;
            }
            ++partials;
            // The change count moves whenever the picture does (and may move
            // for a pass that changes no pixel).
            const bool changed = lastPartial.isNull() || partial.pixelHeight() != lastPartial.pixelHeight() ||
                                 partial.bitmap() != lastPartial.bitmap();
            if (changed) {
                EXPECT_NE(source.changeCount(), lastChangeCount) << "at " << length;
            }
            lastChangeCount = source.changeCount();
            lastPartial = partial;
            EXPECT_EQ(partial.pixelWidth(), kWidth);
            EXPECT_GE(partial.pixelHeight(), lastHeight);
            if (fixture.wholeHeightPartials) {
                EXPECT_EQ(partial.pixelHeight(), kHeight);
            }
            lastHeight = partial.pixelHeight();
        }
        EXPECT_TRUE(sizeKnown);
        EXPECT_GT(partials, 3);
        EXPECT_EQ(source.status(), Status::Incomplete);

        source.updateData(all, true);
        ASSERT_EQ(source.status(), Status::Complete);
        expectSamePixels(source.createImage(), whole, fixture.tolerance);
    }
}

TEST(IncrementalImageSource, TheFirstRowsOfABaselinePictureAreAlreadyRight) {
    Image picture = testsupport::quadrantsImage(kWidth, kHeight);
    Bytes png = *picture.pngData();
    IncrementalImageSource source;
    for (size_t length = 60; length < png.size() && source.createImage().pixelHeight() < kHeight / 2; length += 10)
        source.updateData(png.data(), length, false);
    Image partial = source.createImage();
    ASSERT_GT(partial.pixelHeight(), 0);
    for (int y = 0; y < partial.pixelHeight(); ++y) {
        EXPECT_EQ(partial.pixelAt(0, y), picture.pixelAt(0, y)) << "row " << y;
        EXPECT_EQ(partial.pixelAt(kWidth - 1, y), picture.pixelAt(kWidth - 1, y)) << "row " << y;
    }
}

TEST(IncrementalImageSource, BadStreamsEndInErrorsWithoutPixels) {
    Image picture = testsupport::quadrantsImage(kWidth, kHeight);
    const Bytes jpeg = *picture.jpegData(0.9);
    const Bytes png = *picture.pngData();
    auto prefix = [](const Bytes& bytes, size_t length) { return Bytes(bytes.begin(), bytes.begin() + length); };
    Bytes corruptJpeg = jpeg;
    for (size_t i = 2; i + 4 < corruptJpeg.size(); ++i)
        if (corruptJpeg[i] == 0xFF && corruptJpeg[i + 1] == 0xC0) corruptJpeg[i + 4] = 7;  // 7-bit samples

    struct Case {
        const char* name;
        Bytes bytes;
        bool final;
        std::string description;
        std::optional<PixelSize> size;
    };
    const std::string tooLarge = "unsupported picture size 30000x30000";
    const Case cases[] = {
        {"truncated JPEG", prefix(jpeg, jpeg.size() - 30), true,
         "The JPEG data cannot be read: the data end before the picture does", PixelSize{kWidth, kHeight}},
        {"truncated PNG", prefix(png, png.size() - 20), true,
         "The PNG data cannot be read: the data end before the picture does", PixelSize{kWidth, kHeight}},
        // Refused from the header alone, before the decoder takes memory for it.
        {"huge JPEG header", prefix(withClaimedSize(jpeg, 30000, 30000), headerLength(jpeg)), false,
         "The JPEG data cannot be read: " + tooLarge, PixelSize{30000, 30000}},
        {"huge PNG header", prefix(withClaimedSize(png, 30000, 30000), headerLength(png)), false,
         "The PNG data cannot be read: " + tooLarge, PixelSize{30000, 30000}},
        {"not a picture", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, false,
         "The data is not a JPEG or PNG picture.", std::nullopt},
        {"a few bytes, then the end", Bytes{0xFF, 0xD8}, true, "The data is not a JPEG or PNG picture.", std::nullopt},
        {"corrupt JPEG", corruptJpeg, false, "The JPEG data cannot be read: Unsupported JPEG data precision 7",
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IncrementalImageSource source;
        source.updateData(c.bytes, c.final);
        ASSERT_EQ(source.status(), Status::InvalidData);
        EXPECT_EQ(source.error()->domain, graphics::kImageErrorDomain);
        if (!c.description.empty()) {
            EXPECT_EQ(source.error()->description, c.description);
        }
        EXPECT_EQ(source.pixelSize(), c.size);
        EXPECT_TRUE(source.createImage().isNull());
        source.updateData(jpeg, true);  // an error sticks
        EXPECT_EQ(source.status(), Status::InvalidData);
    }
}

TEST(IncrementalImageSource, TooFewBytesToTellTheFormatAreNoError) {
    IncrementalImageSource source;
    source.updateData(Bytes{0x89, 'P', 'N'}, false);
    EXPECT_EQ(source.status(), Status::UnknownType);
    EXPECT_FALSE(source.pixelSize());
    EXPECT_TRUE(source.createImage().isNull());
}
