#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/core/effects/DitherFilter.h"
#include "app/core/effects/PosterizeFilter.h"
#include "app/core/effects/ThermalFilter.h"
#include "app/core/effects/ToneFilters.h"
#include "support/Pictures.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"
#include "support/VirtualClock.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <utility>

namespace {

namespace fs = std::filesystem;
using graphics::Image;
using graphics::RGBA;

constexpr RGBA kOrange{200, 120, 40, 255};

class KWImageProducerTest : public ::testing::Test {
protected:
    void SetUp() override {
        KWProjects::getInstance().resetForTesting();
        project = ProjectModel::create();
    }
    void TearDown() override { KWProjects::getInstance().resetForTesting(); }

    std::string fileInProject(const std::string& name) const { return *project->getProjectPath() + "/" + name; }

    void setEffect(int effect) { project->getMetaData()->set("RecordMovieFilter", effect); }

    // A stored picture frame inserted in front of the capture slot.
    FramePtr addStoredFrame(KWImageProducer& producer, const Image& picture) {
        FramePtr frame = Frame::create(Frame::kTypePicture);
        EXPECT_TRUE(producer.storeImage(picture, frame->frameID()));
        auto list = project->getFrameList();
        list->insertFrame(frame, list->getCaptureIndex());
        return frame;
    }

    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
    ProjectModelPtr project;
};

std::string probeSize(const std::string& path) {
    const auto result = testsupport::runProcess({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                                 "stream=width,height", "-of", "csv=p=0", path});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    std::string out = result.output;
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

// The pixel the effect's rule makes of a pixel (bytes red, green, blue, alpha).
RGBA expectedAfterEffect(int effect, RGBA p) {
    std::array<uint8_t, 4> bytes{p.r, p.g, p.b, p.a};
    std::unique_ptr<RGBFilter> filter;
    switch (effect) {
        case 1:
            filter = std::make_unique<GrayscaleFilter>();
            break;
        case 2:
            filter = std::make_unique<SepiaFilter>();
            break;
        case 3:
            filter = std::make_unique<PosterizeFilter>(4);
            break;
        case 4:
            filter = std::make_unique<ColorChangeFilter>();
            break;
        case 5:
            filter = std::make_unique<ThermalFilter>();
            break;
        case 6:
            filter = std::make_unique<XRayFilter>();
            break;
        default:
            break;
    }
    if (filter) filter->processFilter(bytes.data(), 1, 1);
    return RGBA{bytes[0], bytes[1], bytes[2], bytes[3]};
}

TEST_F(KWImageProducerTest, StoresUltraHDAsThreeFilesAndReadsThemWithEveryEffect) {
    KWImageProducer producer(project);
    const Image picture = Image::filled(3840, 2160, kOrange);
    const FramePtr frame = addStoredFrame(producer, picture);

    // The first file created the project folder and listed the project.
    ASSERT_TRUE(project->getProjectPath().has_value());
    ASSERT_GE(KWProjects::getInstance().getProjects().size(), 2u);
    EXPECT_EQ(KWProjects::getInstance().getProjects()[1], project);

    EXPECT_EQ(probeSize(fileInProject("thumb-" + frame->frameID() + ".jpg")), "272,153");
    EXPECT_EQ(probeSize(fileInProject("preview-" + frame->frameID() + ".jpg")), "796,448");
    EXPECT_EQ(probeSize(fileInProject("frame-" + frame->frameID() + ".jpg")), "3840,2160");

    const auto plain = producer.getImageForFrame(frame, KWImageProducer::kImageTypeFrame, {});
    ASSERT_TRUE(plain.has_value());
    const RGBA storedCentre = plain->pixelAt(1920, 1080);
    EXPECT_TRUE(testsupport::pixelNear(storedCentre, kOrange, 3));

    // The stored pixel of each kind (JPEG of quality 0.5 may shift it a little).
    std::array<RGBA, 3> storedByKind;
    for (int32_t kind = 0; kind < 3; ++kind) {
        const auto image = producer.getImageForFrame(frame, kind, {});
        ASSERT_TRUE(image.has_value());
        storedByKind[size_t(kind)] = image->pixelAt(image->pixelWidth() / 2, image->pixelHeight() / 2);
    }

    for (int effect = 0; effect <= 7; ++effect) {
        setEffect(effect);
        for (int32_t kind : {KWImageProducer::kImageTypeFrame, KWImageProducer::kImageTypePreview,
                             KWImageProducer::kImageTypeThumbnail}) {
            const auto image = producer.getImageForFrame(frame, kind, {});
            ASSERT_TRUE(image.has_value()) << effect << "/" << kind;
            const int w = image->pixelWidth(), h = image->pixelHeight();
            EXPECT_EQ(w, kind == 0 ? 3840 : kind == 1 ? 796 : 272);
            EXPECT_EQ(h, kind == 0 ? 2160 : kind == 1 ? 448 : 153);
            const RGBA centre = image->pixelAt(w / 2, h / 2);
            const RGBA stored = storedByKind[size_t(kind)];
            if (effect == 7) {
                // Brightness (200+120+40)/3 = 120 dithers between 85 and 170.
                EXPECT_TRUE(centre.r == 85 || centre.r == 170) << int(centre.r);
                EXPECT_EQ(centre.r, centre.g);
                EXPECT_EQ(centre.g, centre.b);
            } else {
                EXPECT_TRUE(testsupport::pixelNear(centre, expectedAfterEffect(effect, stored), 0))
                    << "effect " << effect << " kind " << kind << ": " << int(centre.r) << "," << int(centre.g) << ","
                    << int(centre.b);
            }
        }
    }
}

TEST_F(KWImageProducerTest, EachFileHoldsTheEncodingOfItsOwnSize) {
    // The small pictures are encoded on another thread than the full-size
    // one; each file must still hold exactly its own encoding.
    KWImageProducer producer(project);
    const auto bytesOf = [](const foundation::Result<foundation::Bytes>& encoded) {
        EXPECT_TRUE(encoded.ok());
        return encoded.ok() ? std::string(encoded->begin(), encoded->end()) : std::string();
    };
    for (const Image& picture : {testsupport::quadrantsImage(3840, 2160), testsupport::quadrantsImage(333, 211),
                                 Image::filled(1, 1, kOrange)}) {
        const std::string id = addStoredFrame(producer, picture)->frameID();
        EXPECT_EQ(testsupport::readFileBytes(fileInProject(KWImageProducer::frameFileName(id))),
                  bytesOf(picture.jpegData(1.0)));
        EXPECT_EQ(testsupport::readFileBytes(fileInProject(KWImageProducer::previewFileName(id))),
                  bytesOf(KWImageProducer::encodeThumbImage(picture, KWImageProducer::kPreviewSize)));
        EXPECT_EQ(testsupport::readFileBytes(fileInProject(KWImageProducer::thumbnailFileName(id))),
                  bytesOf(KWImageProducer::encodeThumbImage(picture, KWImageProducer::kThumbnailSize)));
    }
}

TEST_F(KWImageProducerTest, EffectZeroPassesThePictureAndFiltersAreCachedPerEffect) {
    KWImageProducer producer(project);
    const Image picture = Image::filled(64, 36, kOrange);
    const FramePtr a = addStoredFrame(producer, picture);
    const FramePtr b = addStoredFrame(producer, picture);

    const auto same = producer.applyMovieEffect(picture);
    ASSERT_TRUE(same.has_value());
    EXPECT_EQ(same->bitmap().constBits(), picture.bitmap().constBits());
    EXPECT_EQ(producer.getFilter(), nullptr);

    setEffect(3);
    ASSERT_TRUE(producer.getImageForFrame(a, 0, {}).has_value());
    const auto posterize = producer.getFilter();
    ASSERT_NE(posterize, nullptr);
    EXPECT_NE(dynamic_cast<PosterizeFilter*>(posterize->filter().get()), nullptr);
    ASSERT_TRUE(producer.getImageForFrame(b, 0, {}).has_value());
    EXPECT_EQ(producer.getFilter(), posterize);

    setEffect(1);
    ASSERT_TRUE(producer.getImageForFrame(a, 0, {}).has_value());
    EXPECT_NE(producer.getFilter(), posterize);
    EXPECT_EQ(producer.getCurrentFilter(), 1);
    EXPECT_NE(dynamic_cast<GrayscaleFilter*>(producer.getFilter()->filter().get()), nullptr);

    // An unknown effect redraws the picture unchanged, as a new picture.
    setEffect(42);
    const auto redrawn = producer.applyMovieEffect(picture);
    ASSERT_TRUE(redrawn.has_value());
    EXPECT_EQ(producer.getFilter()->filter(), nullptr);
    EXPECT_NE(redrawn->bitmap().constBits(), picture.bitmap().constBits());
    EXPECT_EQ(redrawn->pixelAt(3, 3), kOrange);
}

TEST_F(KWImageProducerTest, CaptureSlotShowsCameraThumbnailAndTheFrameInFront) {
    KWImageProducer producer(project);
    auto list = project->getFrameList();
    const FramePtr slot = list->getFrameAtIndex(list->getCaptureIndex());
    ASSERT_EQ(slot->type(), Frame::kTypeCaptureSlot);

    // Slot at index 0: nothing in front of it.
    EXPECT_FALSE(producer.getImageForFrame(slot, KWImageProducer::kImageTypePreview, {}).has_value());

    addStoredFrame(producer, Image::filled(160, 90, RGBA{0, 0, 250, 255}));
    setEffect(1);
    const auto thumb = producer.getImageForFrame(slot, KWImageProducer::kImageTypeThumbnail, {});
    ASSERT_TRUE(thumb.has_value());
    EXPECT_EQ(thumb->pixelWidth(), 272);
    // The camera picture keeps its accent colour: no effect on it.
    const RGBA accent = thumb->pixelAt(110, 65);
    EXPECT_GT(accent.r, 150);
    EXPECT_LT(accent.g, 60);

    const auto preview = producer.getImageForFrame(slot, KWImageProducer::kImageTypePreview, {});
    ASSERT_TRUE(preview.has_value());
    EXPECT_EQ(preview->pixelWidth(), 796);
    const RGBA grey = preview->pixelAt(398, 224);
    EXPECT_EQ(grey.r, grey.g);
    EXPECT_EQ(grey.g, grey.b);

    const int64_t slotIndex = list->getCaptureIndex();
    const auto byIndex = producer.getThumbnailImageForFrameAtIndex(slotIndex);
    ASSERT_TRUE(byIndex.has_value());
    EXPECT_EQ(byIndex->pixelWidth(), 272);
    // By index, the slot's own preview file does not exist.
    EXPECT_FALSE(producer.getPreviewImageForFrameAtIndex(slotIndex).has_value());
}

TEST_F(KWImageProducerTest, MissingFilesGivePlaceholderOrNone) {
    KWImageProducer producer(project);
    const FramePtr ghost = Frame::create(Frame::kTypePicture);
    auto list = project->getFrameList();
    list->insertFrame(ghost, 0);

    const auto placeholder = producer.getImageForFrame(ghost, KWImageProducer::kImageTypeFrame, {});
    ASSERT_TRUE(placeholder.has_value());
    EXPECT_EQ(placeholder->pixelWidth(), 796);
    EXPECT_FALSE(producer.getImageForFrame(ghost, 7, {})->isNull());

    EXPECT_FALSE(producer.getImageForFrameAtIndex(0).has_value());
    EXPECT_FALSE(producer.getImageForFrameAtIndex(0, 150).has_value());
    EXPECT_FALSE(producer.getImageForFrameAtIndex(-1).has_value());
    EXPECT_FALSE(producer.getImageForFrameAtIndex(list->count()).has_value());
    EXPECT_FALSE(producer.getImageForFrameWithFrameID(ghost->frameID()).has_value());
    EXPECT_FALSE(producer.getOriginialImageForFrameAtIndex(0).has_value());
}

TEST_F(KWImageProducerTest, UndecodableFileReadsAsPlaceholder) {
    KWImageProducer producer(project);
    const FramePtr frame = addStoredFrame(producer, Image::filled(32, 18, kOrange));
    ASSERT_TRUE(project
                    ->updateRegularFileWithContents(foundation::Bytes{0xFF, 0xD8, 0xFF, 0x00, 1, 2},
                                                    "frame-" + frame->frameID() + ".jpg")
                    .ok());
    const auto image = producer.getImageForFrame(frame, 0, {});
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->pixelWidth(), 796);
    EXPECT_FALSE(producer.getImageForFrameAtIndex(0).has_value());
    // Thumbnail and preview are still the stored ones.
    EXPECT_EQ(producer.getThumbnailImageForFrameAtIndex(0)->pixelWidth(), 272);
}

TEST_F(KWImageProducerTest, FirstFailedWriteStopsTheStore) {
    KWImageProducer producer(project);
    addStoredFrame(producer, Image::filled(32, 18, kOrange));
    const std::string id = "BLOCKED-ID";
    // A folder where the preview belongs makes its write fail.
    fs::create_directory(fileInProject("preview-" + id + ".jpg"));
    auto stored = producer.storeImage(Image::filled(32, 18, kOrange), id);
    ASSERT_FALSE(stored);
    EXPECT_EQ(stored.error().code, EISDIR);
    // What was written before the failure goes again; the folder in the way stays.
    EXPECT_FALSE(fs::exists(fileInProject("thumb-" + id + ".jpg")));
    EXPECT_TRUE(fs::is_directory(fileInProject("preview-" + id + ".jpg")));
    EXPECT_FALSE(fs::exists(fileInProject("frame-" + id + ".jpg")));
    EXPECT_FALSE(producer.storeImage(Image(), "OTHER"));
}

TEST_F(KWImageProducerTest, ThumbnailAndPreviewFollowAChangedFullFrame) {
    KWImageProducer producer(project);
    const FramePtr frame = addStoredFrame(producer, Image::filled(320, 180, RGBA{250, 0, 0, 255}));
    const auto blue = Image::filled(320, 180, RGBA{0, 0, 250, 255}).jpegData(1.0);
    ASSERT_TRUE(project->updateRegularFileWithContents(blue.value(), "frame-" + frame->frameID() + ".jpg").ok());

    const int64_t index = project->getFrameList()->getIndexForFrame(frame);
    EXPECT_GT(producer.getThumbnailImageForFrameAtIndex(index)->pixelAt(10, 10).r, 200);
    EXPECT_TRUE(producer.createThumbNailAndPreviewForFrameAtIndex(index));
    const RGBA thumb = producer.getThumbnailImageForFrameAtIndex(index)->pixelAt(10, 10);
    const RGBA preview = producer.getPreviewImageForFrameAtIndex(index)->pixelAt(10, 10);
    EXPECT_TRUE(testsupport::pixelNear(thumb, RGBA{0, 0, 250, 255}, 6));
    EXPECT_TRUE(testsupport::pixelNear(preview, RGBA{0, 0, 250, 255}, 6));
    EXPECT_EQ(producer.getOriginialImageForFrameAtIndex(index)->pixelWidth(), 320);

    // From a large full frame the small pictures keep their exact sizes.
    const auto large = Image::filled(3840, 2160, RGBA{0, 250, 0, 255}).jpegData(0.8);
    ASSERT_TRUE(project->updateRegularFileWithContents(large.value(), "frame-" + frame->frameID() + ".jpg").ok());
    EXPECT_TRUE(producer.createThumbNailAndPreviewForFrameAtIndex(index));
    EXPECT_EQ(probeSize(fileInProject("thumb-" + frame->frameID() + ".jpg")), "272,153");
    EXPECT_EQ(probeSize(fileInProject("preview-" + frame->frameID() + ".jpg")), "796,448");
    EXPECT_TRUE(testsupport::pixelNear(producer.getPreviewImageForFrameAtIndex(index)->pixelAt(400, 200),
                                       RGBA{0, 250, 0, 255}, 6));

    // A preview that cannot be written is reported; the thumbnail is still made.
    const auto red = Image::filled(320, 180, RGBA{250, 0, 0, 255}).jpegData(1.0);
    ASSERT_TRUE(project->updateRegularFileWithContents(red.value(), "frame-" + frame->frameID() + ".jpg").ok());
    fs::remove(fileInProject("preview-" + frame->frameID() + ".jpg"));
    fs::create_directory(fileInProject("preview-" + frame->frameID() + ".jpg"));
    auto remade = producer.createThumbNailAndPreviewForFrameAtIndex(index);
    ASSERT_FALSE(remade);
    EXPECT_EQ(remade.error().code, EISDIR);
    EXPECT_GT(producer.getThumbnailImageForFrameAtIndex(index)->pixelAt(10, 10).r, 200);
    EXPECT_FALSE(producer.createThumbNailAndPreviewForFrameAtIndex(99));
}

TEST_F(KWImageProducerTest, FadeStrength) {
    KWImageProducer producer(project);
    auto meta = *project->getMetaData();
    meta.set("RecordFPS", 5);

    // No fades switched on: nothing is faded.
    EXPECT_FLOAT_EQ(producer.calculateAlphaForFadeforFrameAtIndex(0, 60), 0.0f);
    EXPECT_FLOAT_EQ(producer.calculateAlphaForFadeforFrameAtIndex(60, 60), 0.0f);

    meta.set("META_RECORD_THEME_FADE_IN", true);
    for (auto [index, alpha] : {std::pair{0, 1.0f}, {5, 0.5f}, {10, 0.0f}, {55, 0.0f}})
        EXPECT_FLOAT_EQ(producer.calculateAlphaForFadeforFrameAtIndex(index, 60), alpha) << index;

    meta.set("META_RECORD_THEME_FADE_OUT", true);
    for (auto [index, alpha] : {std::pair{50, 0.0f}, {55, 0.5f}, {60, 1.0f}})
        EXPECT_FLOAT_EQ(producer.calculateAlphaForFadeforFrameAtIndex(index, 60), alpha) << index;

    // A third of nine positions: length 3.
    EXPECT_NEAR(producer.calculateAlphaForFadeforFrameAtIndex(1, 9), 2.0f / 3.0f, 1e-6);
    EXPECT_NEAR(producer.calculateAlphaForFadeforFrameAtIndex(8, 9), 2.0f / 3.0f, 1e-6);

    // Too short for a fade: 0, never 0/0.
    for (int64_t total : {0, 1, 2}) {
        for (int64_t i = 0; i <= total; ++i) {
            EXPECT_FLOAT_EQ(producer.calculateAlphaForFadeforFrameAtIndex(i, total), 0.0f) << i << "/" << total;
        }
    }
    // A stored rate of 0 falls back to the default rate instead of no fade length.
    meta.set("RecordFPS", 0);
    EXPECT_FLOAT_EQ(producer.calculateAlphaForFadeforFrameAtIndex(0, 60), 1.0f);

    // By list count: a new project's list holds only the slot.
    EXPECT_FLOAT_EQ(producer.calculateAlphaForFadeforFrameAtIndex(0), 0.0f);
}

TEST_F(KWImageProducerTest, BlendAndMerge) {
    KWImageProducer producer(project);
    const Image red = Image::filled(40, 20, RGBA{255, 0, 0, 255});
    const Image blue = Image::filled(4, 2, RGBA{0, 0, 255, 255});
    const Image green = Image::filled(40, 20, RGBA{0, 255, 0, 255});

    const Image blended = producer.blendUIImage(blue, red);
    EXPECT_EQ(blended.pixelWidth(), 40);
    EXPECT_EQ(blended.pixelHeight(), 20);
    EXPECT_TRUE(testsupport::pixelNear(blended.pixelAt(39, 19), RGBA{0, 0, 255, 255}, 2));
    const Image halfClear = Image::filled(4, 2, RGBA{0, 0, 255, 128});
    const RGBA mixed = producer.blendUIImage(halfClear, red).pixelAt(20, 10);
    EXPECT_TRUE(testsupport::pixelNear(mixed, RGBA{127, 0, 128, 255}, 3)) << int(mixed.r) << "," << int(mixed.b);

    const RGBA two = producer.mergeImage(red, blue, Image()).pixelAt(20, 10);
    EXPECT_TRUE(testsupport::pixelNear(two, RGBA{204, 0, 51, 255}, 3)) << int(two.r) << "," << int(two.b);
    const RGBA three = producer.mergeImage(red, blue, green).pixelAt(20, 10);
    EXPECT_TRUE(testsupport::pixelNear(three, RGBA{184, 26, 46, 255}, 3))
        << int(three.r) << "," << int(three.g) << "," << int(three.b);
    EXPECT_EQ(producer.mergeImage(red, blue, green).pixelWidth(), 40);
    EXPECT_TRUE(producer.mergeImage(Image(), blue, green).isNull());
}

}  // namespace

TEST_F(KWImageProducerTest, AFailedReplacementKeepsTheFramesPictures) {
    KWImageProducer producer(project);
    const FramePtr frame = addStoredFrame(producer, Image::filled(320, 180, kOrange));
    const std::string id = frame->frameID();
    const auto before = testsupport::readFileBytes(fileInProject("thumb-" + id + ".jpg"));
    // The preview cannot be replaced: the full frame is new, the others stay as they were.
    fs::remove(fileInProject("preview-" + id + ".jpg"));
    fs::create_directory(fileInProject("preview-" + id + ".jpg"));
    ASSERT_FALSE(producer.storeImage(Image::filled(320, 180, RGBA{0, 0, 250, 255}), id));
    EXPECT_TRUE(fs::is_regular_file(fileInProject("frame-" + id + ".jpg")));
    EXPECT_EQ(testsupport::readFileBytes(fileInProject("thumb-" + id + ".jpg")), before);
}
