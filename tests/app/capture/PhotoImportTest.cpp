#include "ImportTestSupport.h"
#include "app/capture/CaptureImportController.h"
#include "app/widgets/alerts/Hudy.h"

#include <QImage>
#include <QTransform>

namespace {

using importtest::ImportTest;

// The picture the user sees: four quadrants, red top left, green top right,
// blue bottom left, white bottom right; `width` tells the pictures apart.
graphics::Image upright(int width) { return testsupport::quadrantsImage(width, 96); }

// A JPEG whose stored pixels must be turned as EXIF `value` says to look
// like upright(width): the camera held the other way.
foundation::Bytes cameraJpeg(int width, int exifValue) {
    const int turn = exifValue == 3 ? 180 : exifValue == 6 ? -90 : exifValue == 8 ? 90 : 0;
    QImage stored = upright(width).bitmap().transformed(QTransform().rotate(turn));
    auto jpeg = graphics::Image(stored).jpegData(0.95);
    EXPECT_TRUE(jpeg.ok());
    return testsupport::jpegWithExifOrientation(*jpeg, exifValue, exifValue % 2 == 0);
}

void expectUprightQuadrants(const graphics::Image& picture, int width) {
    ASSERT_EQ(picture.pixelWidth(), width);
    ASSERT_EQ(picture.pixelHeight(), 96);
    const int w = picture.pixelWidth(), h = picture.pixelHeight();
    EXPECT_TRUE(testsupport::pixelNear(picture.pixelAt(w / 4, h / 4), {255, 0, 0, 255}, 24));
    EXPECT_TRUE(testsupport::pixelNear(picture.pixelAt(3 * w / 4, h / 4), {0, 255, 0, 255}, 24));
    EXPECT_TRUE(testsupport::pixelNear(picture.pixelAt(w / 4, 3 * h / 4), {0, 0, 255, 255}, 24));
    EXPECT_TRUE(testsupport::pixelNear(picture.pixelAt(3 * w / 4, 3 * h / 4), {255, 255, 255, 255}, 24));
}

class PhotoImportTest : public ImportTest {
protected:
    // Imports the library's items in the given order of their positions and
    // runs the main loop until the import has ended; the HUD's progress is
    // recorded whenever it changes.
    void import(const std::vector<size_t>& pickOrder) {
        auto items = itemsOf(library::AssetsFilter::AllPhotos);
        std::vector<library::PhotoAsset> picked;
        for (size_t index : pickOrder) picked.push_back(items.at(index));
        controller = CaptureImportController::create(project);
        controller->setHandlerImportComplete([this](const std::vector<FramePtr>& frames) {
            handedOver = frames;
            ++completions;
        });
        controller->importAssets(picked, screen.get());
        hudShown = controller->hudy() != nullptr;
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] {
                if (auto hud = controller->hudy(); hud && (progress.empty() || progress.back() != hud->progress()))
                    progress.push_back(hud->progress());
                return completions > 0 || !shownErrors.empty();
            },
            60));
        // Long enough for the HUD to fade out.
        foundation::RunLoop::main().advance(1.0);
    }

    std::shared_ptr<CaptureImportController> controller;
    std::vector<FramePtr> handedOver;
    int completions = 0;
    bool hudShown = false;
    std::vector<float> progress;
};

TEST_F(PhotoImportTest, EveryExifTurnIsStoredUprightInPickOrderWithAProgressHUD) {
    const int exif[] = {1, 3, 6, 8};
    for (int i = 0; i < 4; ++i) addToLibrary("IMG_" + std::to_string(i) + ".JPG", cameraJpeg(128 + 32 * i, exif[i]), i);

    import({2, 0, 3, 1});

    ASSERT_EQ(completions, 1);
    ASSERT_EQ(handedOver.size(), 4u);
    const int widths[] = {192, 128, 224, 160};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(handedOver[i]->type(), Frame::kTypePicture);
        expectUprightQuadrants(storedPicture(handedOver[i]), widths[i]);
    }
    EXPECT_EQ(projectPictures(), filesOf(handedOver));
    EXPECT_TRUE(hudShown);
    EXPECT_EQ(progress, (std::vector<float>{0.0f, 0.25f, 0.5f, 0.75f}));
    EXPECT_EQ(controller->hudy()->view()->superview(), nullptr);
    EXPECT_TRUE(shownErrors.empty());
}

TEST_F(PhotoImportTest, ThreePicturesOrFewerShowNoHUD) {
    for (int i = 0; i < 3; ++i) addToLibrary("IMG_" + std::to_string(i) + ".JPG", cameraJpeg(128, 1), i);
    import({0, 1, 2});
    EXPECT_FALSE(hudShown);
    EXPECT_EQ(handedOver.size(), 3u);
    EXPECT_EQ(projectPictures(), filesOf(handedOver));
}

TEST_F(PhotoImportTest, PrintPicturesInCmykAreImportedInColour) {
    addToLibrary("PRINT.JPG", testsupport::cmykJpeg(upright(128)), 0);
    import({0});
    ASSERT_EQ(completions, 1);
    ASSERT_EQ(handedOver.size(), 1u);
    expectUprightQuadrants(storedPicture(handedOver[0]), 128);
    EXPECT_TRUE(shownErrors.empty());
}

TEST_F(PhotoImportTest, APictureThatCannotBeStoredEndsTheImportThere) {
    struct Case {
        uint64_t freeBytes;
        int64_t code;
        std::string text;
    };
    const Case cases[] = {
        {104'857'600, 636, "Ups. An unknown error occured. (CaptureViewController-636)"},
        {104'857'599, 623,
         "There is almost no space left on this device. You cannot record new media until you free some space."},
    };
    addToLibrary("IMG_0.JPG", cameraJpeg(128, 1), 0);
    addToLibrary("IMG_1.JPG", cameraJpeg(160, 6), 1);
    addToLibrary("IMG_2.JPG", foundation::Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 'J', 'F'}, 2);
    addToLibrary("IMG_3.JPG", cameraJpeg(192, 1), 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        project = ProjectModel::create();
        handedOver.clear();
        completions = 0;
        shownErrors.clear();
        FileUtil::setFreeDiskspaceOverride(c.freeBytes);

        import({1, 0, 2, 3});

        // The two before the broken one are handed over; nothing after it is made.
        ASSERT_EQ(completions, 1);
        ASSERT_EQ(handedOver.size(), 2u);
        expectUprightQuadrants(storedPicture(handedOver[0]), 160);
        EXPECT_EQ(projectPictures(), filesOf(handedOver));
        ASSERT_EQ(shownErrors.size(), 1u);
        EXPECT_EQ(shownErrors[0].domain, "CaptureViewController");
        EXPECT_EQ(shownErrors[0].code, c.code);
        EXPECT_EQ(shownErrors[0].localizedDescription(), c.text);
        EXPECT_EQ(controller->hudy()->view()->superview(), nullptr);
    }
}

TEST_F(PhotoImportTest, AFirstPictureThatFailsChangesNothing) {
    FileUtil::setFreeDiskspaceOverride(1 << 20);
    addToLibrary("IMG_0.JPG", foundation::Bytes{'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G'}, 0);
    addToLibrary("IMG_1.JPG", cameraJpeg(128, 1), 1);
    import({0, 1});
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(projectPictures().empty());
    ASSERT_EQ(shownErrors.size(), 1u);
    EXPECT_EQ(shownErrors[0].code, 623);
}

}  // namespace
