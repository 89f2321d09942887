#include "RenderTestSupport.h"
#include "app/render/RenderImageProducer.h"
#include "app/render/TollivarMovieRenderer.h"
#include "platform/graphics/GraphicsContext.h"
#include "support/Pictures.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using graphics::Image;
using graphics::RGBA;

constexpr RGBA kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kWhite{255, 255, 255, 255};

// A picture of bands: vertical ones split at the given columns, or
// horizontal ones split at the given rows, red, green, blue in turn.
Image bands(int width, int height, std::vector<int> splits, bool vertical) {
    graphics::GraphicsContext context({double(width), double(height)}, 1.0, true);
    const RGBA colours[] = {kRed, kGreen, kBlue};
    splits.push_back(vertical ? width : height);
    int from = 0;
    for (size_t i = 0; i < splits.size(); ++i) {
        const RGBA c = colours[i % 3];
        context.setFillColor(graphics::Color::rgb8(c.r, c.g, c.b));
        context.fillRect(vertical ? graphics::Rect{double(from), 0, double(splits[i] - from), double(height)}
                                  : graphics::Rect{0, double(from), double(width), double(splits[i] - from)});
        from = splits[i];
    }
    return context.makeImage();
}

class RenderImageProducerTest : public rendertest::RenderProjectTest {};

TEST_F(RenderImageProducerTest, ScalesToFillAndCutsEquallyFromBothSides) {
    // 1920×1080 into 640×640: scale 640/1080, shifted left by 248.9, so the
    // split at source column 660 lands at 142.2 and the one at 1260 at 497.8.
    // Into 1920×816: scale 1, shifted up by 132 (the split at row 400 lands at 268).
    struct Probe {
        int x, y;
        RGBA colour;
    };
    struct Case {
        const char* what;
        Image picture;
        graphics::Size size;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {"square",
         bands(1920, 1080, {660, 1260}, true),
         {640, 640},
         {{2, 320, kRed},
          {136, 320, kRed},
          {149, 320, kGreen},
          {491, 320, kGreen},
          {504, 320, kBlue},
          {637, 5, kBlue}}},
        {"cinema",
         bands(1920, 1080, {400}, false),
         {1920, 816},
         {{960, 262, kRed}, {960, 274, kGreen}, {5, 810, kGreen}}},
        {"same size", bands(1280, 720, {640}, true), {1280, 720}, {{635, 360, kRed}, {645, 360, kGreen}}},
        {"stored size", bands(300, 200, {150}, true), {0, 0}, {{145, 100, kRed}, {155, 100, kGreen}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FramePtr frame = addPicture(c.picture);
        RenderImageProducer producer(project);
        const Image image = producer.getImageRenderingForFrame(frame, c.size, 5, 10);
        const graphics::Size expected = c.size == graphics::Size{0, 0} ? c.picture.size() : c.size;
        ASSERT_EQ(image.size(), expected);
        EXPECT_EQ(image.scale(), 1.0);
        for (const Probe& p : c.probes)
            EXPECT_TRUE(testsupport::pixelNear(image.pixelAt(p.x, p.y), p.colour, 40)) << p.x << "," << p.y;
    }
}

TEST_F(RenderImageProducerTest, SmallestMovieStartsFromThePreviewPicture) {
    FramePtr frame = addPicture(Image::filled(1280, 720, kRed));
    auto preview = Image::filled(796, 448, kBlue).jpegData(0.9);
    ASSERT_TRUE(preview);
    ASSERT_TRUE(project->updateRegularFileWithContents(*preview, KWImageProducer::previewFileName(frame->frameID())));
    RenderImageProducer producer(project);
    EXPECT_TRUE(testsupport::pixelNear(producer.getImageRenderingForFrame(frame, {640, 360}, 0, 1).pixelAt(320, 180),
                                       kBlue, 20));
    EXPECT_TRUE(testsupport::pixelNear(producer.getImageRenderingForFrame(frame, {960, 540}, 0, 1).pixelAt(480, 270),
                                       kRed, 20));
}

TEST_F(RenderImageProducerTest, ForegroundOnlyWhenTheProjectAsksForIt) {
    FramePtr frame = addPicture(Image::filled(320, 180, kRed));
    // Opaque white over the left half, transparent elsewhere.
    graphics::GraphicsContext overlay({160, 90}, 1.0, false);
    overlay.setFillColor(graphics::Color::rgb8(255, 255, 255));
    overlay.fillRect({0, 0, 80, 90});
    ASSERT_TRUE(project->updateRegularFileWithContents(*overlay.makeImage().pngData(), "foreground.png"));
    for (int flag : {0, 1}) {
        setMeta("META_RECORD_FOREGROUND", flag);
        RenderImageProducer producer(project);
        EXPECT_EQ(producer.imageForeground().has_value(), flag == 1);
        const Image image = producer.getImageRenderingForFrame(frame, {640, 360}, 0, 1);
        EXPECT_TRUE(testsupport::pixelNear(image.pixelAt(100, 180), flag ? kWhite : kRed, 24)) << flag;
        EXPECT_TRUE(testsupport::pixelNear(image.pixelAt(500, 180), kRed, 24)) << flag;
    }
    // Asked for but unreadable: no foreground, no failure.
    ASSERT_TRUE(project->updateRegularFileWithContents(foundation::Bytes{'x', 'y'}, "foreground.png"));
    EXPECT_FALSE(RenderImageProducer(project).imageForeground());
}

TEST_F(RenderImageProducerTest, FadesOverThirtyFramesAtFiveFramesPerSecond) {
    FramePtr frame = addPicture(Image::filled(64, 36, kWhite));
    setMeta("RecordFPS", 5);
    setMeta("META_RECORD_THEME_FADE_IN", true);
    setMeta("META_RECORD_THEME_FADE_OUT", true);
    RenderImageProducer producer(project);
    // Fade length min(30 / 3, 2 × 5) = 10 frames at each end.
    struct Case {
        int index;
        int grey;
    };
    for (const Case& c :
         {Case{0, 0}, Case{5, 128}, Case{10, 255}, Case{15, 255}, Case{20, 255}, Case{25, 128}, Case{29, 26}}) {
        const RGBA pixel = producer.getImageRenderingForFrame(frame, {0, 0}, c.index, 30).pixelAt(32, 18);
        EXPECT_NEAR(pixel.r, c.grey, 3) << c.index;
        EXPECT_EQ(pixel.a, 255) << c.index;
    }
    // Fewer than three frames leave no room for a fade: untouched.
    EXPECT_NEAR(producer.getImageRenderingForFrame(frame, {0, 0}, 0, 2).pixelAt(1, 1).r, 255, 3);
    // Without the fades nothing is darkened; a producer keeps the settings
    // it was made with (a render's workers never read the metadata).
    setMeta("META_RECORD_THEME_FADE_IN", false);
    setMeta("META_RECORD_THEME_FADE_OUT", false);
    EXPECT_NEAR(producer.getImageRenderingForFrame(frame, {0, 0}, 0, 30).pixelAt(1, 1).r, 0, 3);
    EXPECT_NEAR(RenderImageProducer(project).getImageRenderingForFrame(frame, {0, 0}, 0, 30).pixelAt(1, 1).r, 255, 3);
}

TEST_F(RenderImageProducerTest, MissingOrDamagedPictureRendersThePlaceholder) {
    FramePtr good = addPicture(Image::filled(64, 36, kRed));
    FramePtr missing = addPicture(Image::filled(64, 36, kRed));
    FramePtr damaged = addPicture(Image::filled(64, 36, kRed));
    std::filesystem::remove(projectFile(KWImageProducer::frameFileName(missing->frameID())));
    std::ofstream(projectFile(KWImageProducer::frameFileName(damaged->frameID())), std::ios::trunc) << "not a jpeg";
    RenderImageProducer producer(project);
    const Image reference = producer.getImageRenderingForFrame(good, {320, 180}, 0, 3);
    for (const FramePtr& frame : {missing, damaged}) {
        const Image image = producer.getImageRenderingForFrame(frame, {320, 180}, 1, 3);
        ASSERT_EQ(image.size(), (graphics::Size{320, 180}));
        EXPECT_FALSE(testsupport::pixelNear(image.pixelAt(160, 90), reference.pixelAt(160, 90), 30));
    }
}

TEST_F(RenderImageProducerTest, AStoredPictureTheMovieShowsAsItIsSkipsDrawing) {
    FramePtr frame = addPicture(bands(320, 180, {100, 220}, true));
    FramePtr damaged = addPicture(bands(320, 180, {100}, true));
    std::ofstream(projectFile(KWImageProducer::frameFileName(damaged->frameID())), std::ios::trunc) << "not a jpeg";
    const FramePtr slot = project->getFrameList()->getFrameAtIndex(project->getFrameList()->getCaptureIndex());
    // Opaque white over a corner.
    graphics::GraphicsContext overlay({32, 18}, 1.0, false);
    overlay.setFillColor(graphics::Color::rgb8(255, 255, 255));
    overlay.fillRect({0, 0, 8, 8});
    ASSERT_TRUE(project->updateRegularFileWithContents(*overlay.makeImage().pngData(), "foreground.png"));
    struct Case {
        const char* what;
        FramePtr frame;
        graphics::Size size;
        int64_t index;
        std::vector<std::pair<std::string, foundation::Value>> meta;
        bool planes;
    };
    const Case cases[] = {
        {"as stored", frame, {320, 180}, 0, {}, true},
        {"mid-movie with fades", frame, {320, 180}, 15, {{"META_RECORD_THEME_FADE_IN", true}}, true},
        {"fading in", frame, {320, 180}, 0, {{"META_RECORD_THEME_FADE_IN", true}}, false},
        {"movie effect", frame, {320, 180}, 0, {{"RecordMovieFilter", 1}}, false},
        {"foreground", frame, {320, 180}, 0, {{"META_RECORD_FOREGROUND", 1}}, false},
        {"other size", frame, {640, 360}, 0, {}, false},
        {"stored size asked as (0, 0)", frame, {0, 0}, 0, {}, false},
        {"damaged", damaged, {320, 180}, 0, {}, false},
        {"capture slot", slot, {320, 180}, 0, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const char* key :
             {"META_RECORD_THEME_FADE_IN", "META_RECORD_THEME_FADE_OUT", "RecordMovieFilter", "META_RECORD_FOREGROUND"})
            project->getMetaData()->remove(key);
        for (const auto& [key, value] : c.meta) setMeta(key, value);
        RenderImageProducer producer(project);
        auto planes = producer.getPlanarFrameAsStored(c.frame, c.size, c.index, 30);
        ASSERT_EQ(planes.has_value(), c.planes);
        if (!planes) continue;
        // What drawing the picture and converting it gives, within rounding.
        const media::PixelBuffer drawn = media::convertedTo420Planar(TollivarMovieRenderer::pixelBufferFromCGImage(
            producer.getImageRenderingForFrame(c.frame, c.size, c.index, 30), 320, 180));
        ASSERT_EQ(planes->pixelFormat, drawn.pixelFormat);
        ASSERT_EQ(planes->bytes.size(), drawn.bytes.size());
        double difference = 0;
        for (size_t i = 0; i < drawn.bytes.size(); ++i) difference += std::abs(planes->bytes[i] - drawn.bytes[i]);
        EXPECT_LT(difference / double(drawn.bytes.size()), 1.5);
    }
}

}  // namespace
