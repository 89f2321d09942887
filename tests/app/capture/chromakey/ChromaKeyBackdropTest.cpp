#include "app/capture/chromakey/ChromaKeyBackdrop.h"
#include "app/core/BundleImage.h"
#include "platform/foundation/NotFound.h"
#include "platform/graphics/JpegCodec.h"
#include "support/Pictures.h"
#include "support/TempAppFolders.h"

#include <gtest/gtest.h>

namespace {

using chromakeybackdrop::lastFrameIndex;

TEST(ChromaKeyBackdrop, LastFrameIsTheOneBeforeTheSlotOrTheLastWhenTheSlotLeads) {
    struct Case {
        int64_t count, captureIndex;
        std::optional<int64_t> expected;
    };
    const Case cases[] = {
        {5, 3, 2},  // slot in the middle: the frame before it
        {5, 4, 3},  // slot at the end
        {5, 0, 4},  // slot first: the last entry
        {2, 0, 1},
        {2, 1, 0},                                 // the smallest list that has a frame
        {1, 0, std::nullopt},                      // only the slot
        {0, foundation::kNotFound, std::nullopt},  // empty
        {4, foundation::kNotFound, std::nullopt},  // no slot
        {4, 7, std::nullopt},                      // a slot index past the list is no slot
    };
    for (const Case& c : cases)
        EXPECT_EQ(lastFrameIndex(c.count, c.captureIndex), c.expected) << c.count << "," << c.captureIndex;
}

class ChromaKeyBackdropFiles : public ::testing::Test {
protected:
    testsupport::TempAppFolders folders;
};

TEST_F(ChromaKeyBackdropFiles, StoredBackdropOrTheDefaultForMissingAndCorruptFiles) {
    const graphics::Image fallback = *bundleImageNamed("CaptureSourceImportBg.png");
    auto sameAsDefault = [&](const graphics::Image& image) {
        return image.pixelWidth() == fallback.pixelWidth() && image.pixelHeight() == fallback.pixelHeight() &&
               image.pixelAt(960, 540) == fallback.pixelAt(960, 540) && image.pixelAt(5, 5) == fallback.pixelAt(5, 5);
    };
    EXPECT_TRUE(sameAsDefault(chromakeybackdrop::storedBackdrop(nullptr)));
    auto project = ProjectModel::create();
    EXPECT_TRUE(sameAsDefault(chromakeybackdrop::storedBackdrop(project.get())));  // no folder yet

    // A stored picture is what the next start shows; the project folder is made for it.
    ASSERT_TRUE(chromakeybackdrop::storeBackdrop(*project, testsupport::halvesImage(64, 32)).ok());
    const graphics::Image stored = chromakeybackdrop::storedBackdrop(project.get());
    ASSERT_EQ(stored.pixelWidth(), 64);
    EXPECT_TRUE(testsupport::pixelNear(stored.pixelAt(4, 16), {255, 0, 0, 255}));
    EXPECT_TRUE(testsupport::pixelNear(stored.pixelAt(60, 16), {0, 0, 255, 255}));
    // Quality 1.0: the JPEG keeps the colours closely.
    auto bytes = project->fileDataForFileWithPreferredFilename("backdrop.jpg");
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(graphics::jpeg::looksLikeJpeg(bytes->data(), bytes->size()));

    // Cut short, or not a picture at all: the default again.
    for (const foundation::Bytes& damaged :
         {foundation::Bytes(bytes->begin(), bytes->begin() + 200), foundation::Bytes{'n', 'o', 'p', 'e'}}) {
        ASSERT_TRUE(project->updateRegularFileWithContents(damaged, "backdrop.jpg").ok());
        EXPECT_TRUE(sameAsDefault(chromakeybackdrop::storedBackdrop(project.get()))) << damaged.size();
    }
}

TEST_F(ChromaKeyBackdropFiles, APhoneCameraPhotoComesUprightAtTheBackdropLimit) {
    // 4032x3024 stored sideways, EXIF 6 (turn right to view): red left half,
    // blue right half as stored, so upright red is on top.
    auto jpeg = testsupport::halvesImage(4032, 3024).jpegData(0.9);
    ASSERT_TRUE(jpeg.ok());
    const std::string path =
        testsupport::writeTestFile("photo.jpg", testsupport::jpegWithExifOrientation(*jpeg, 6, false));
    const graphics::ImageOrientation orientation =
        graphics::jpeg::exifOrientation(testsupport::jpegWithExifOrientation(*jpeg, 6, false).data(),
                                        testsupport::jpegWithExifOrientation(*jpeg, 6, false).size());
    auto photo = chromakeybackdrop::preparePhoto(path, orientation);
    ASSERT_TRUE(photo.ok()) << photo.error().description;
    EXPECT_EQ(photo->pixelWidth(), 1440);
    EXPECT_EQ(photo->pixelHeight(), 1920);
    EXPECT_EQ(photo->orientation(), graphics::ImageOrientation::Up);
    EXPECT_TRUE(testsupport::pixelNear(photo->pixelAt(720, 200), {255, 0, 0, 255}));
    EXPECT_TRUE(testsupport::pixelNear(photo->pixelAt(720, 1700), {0, 0, 255, 255}));
}

// Patches the stored size into a picture's header, as a hostile file would claim it.
foundation::Bytes withClaimedJpegSize(foundation::Bytes jpeg, uint16_t width, uint16_t height) {
    for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = uint8_t(height >> 8), jpeg[i + 6] = uint8_t(height);
            jpeg[i + 7] = uint8_t(width >> 8), jpeg[i + 8] = uint8_t(width);
            break;
        }
    }
    return jpeg;
}

TEST_F(ChromaKeyBackdropFiles, PhotosOverAHundredMegapixelsAreRefusedBeforeDecoding) {
    auto small = testsupport::halvesImage(64, 48).jpegData(0.9);
    auto png = testsupport::halvesImage(64, 48).pngData();
    ASSERT_TRUE(small.ok() && png.ok());
    foundation::Bytes hugePng = *png;
    // IHDR width 20000, height 6000: 120 megapixels.
    for (auto [at, value] : {std::pair{16, 20000u}, {20, 6000u}})
        for (int b = 0; b < 4; ++b) hugePng[size_t(at + b)] = uint8_t(value >> (8 * (3 - b)));

    struct Case {
        const char* name;
        foundation::Bytes bytes;
        int64_t code;  // 0: accepted
    };
    const Case cases[] = {
        {"12000x9000 JPEG", withClaimedJpegSize(*small, 12000, 9000), chromakeybackdrop::kPhotoTooLarge},
        {"10000x10001 JPEG", withClaimedJpegSize(*small, 10000, 10001), chromakeybackdrop::kPhotoTooLarge},
        {"120 MP PNG", hugePng, chromakeybackdrop::kPhotoTooLarge},
        {"not a picture", foundation::Bytes{'G', 'I', 'F', '8', '9', 'a'}, chromakeybackdrop::kPhotoUnreadable},
        {"small JPEG", *small, 0},
    };
    for (const Case& c : cases) {
        const std::string path = testsupport::writeTestFile("claimed.bin", c.bytes);
        const uint64_t decodesBefore = graphics::jpeg::decodeCountOnThisThread();
        auto result = chromakeybackdrop::preparePhoto(path, graphics::ImageOrientation::Up);
        if (c.code == 0) {
            ASSERT_TRUE(result.ok()) << c.name;
            EXPECT_EQ(result->pixelWidth(), 64) << c.name;
            continue;
        }
        ASSERT_FALSE(result.ok()) << c.name;
        EXPECT_EQ(result.error().domain, "CaptureChromaKeyCamera") << c.name;
        EXPECT_EQ(result.error().code, c.code) << c.name;
        EXPECT_EQ(graphics::jpeg::decodeCountOnThisThread(), decodesBefore) << c.name << ": decoded";
    }
}

}  // namespace
