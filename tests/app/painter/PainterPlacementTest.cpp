// The canvas shows the frame's picture filled and centred, whatever its
// shape; what is drawn or rubbed over a spot of it is saved on that spot,
// so that the frame, its thumbnail and its preview show what the canvas
// showed. Strokes are drawn by fingers on the canvas where it is drawn.

#include "PainterScreenFixture.h"
#include "app/core/Frame.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "platform/graphics/JpegCodec.h"
#include "support/Pictures.h"

#include <QPainter>

namespace {

using graphics::Image;
using graphics::Rect;
using graphics::RGBA;

class PainterPlacementTest : public PainterScreenFixture {};

// The canvas on a 1024 × 768 screen.
constexpr double kCanvasWidth = 1024, kCanvasHeight = 576;

// Strokes along the top and the bottom edge of the canvas: in the saved
// frame at the rows the canvas showed under them, and in the thumbnail and
// the preview, which show the picture as the canvas does.
TEST_F(PainterPlacementTest, StrokesAtTheCanvasEdgesLandWhereTheCanvasShowedThem) {
    struct Case {
        int width, height;
        Rect canvasOnPicture;  // the part of the picture the canvas shows
    } cases[] = {
        {640, 480, {0, 60, 640, 360}},      // a webcam's 4:3
        {1600, 1200, {0, 150, 1600, 900}},  // a still camera's 4:3
        {480, 640, {0, 185, 480, 270}},     // a photograph held upright
        {640, 360, {0, 0, 640, 360}},       // the canvas's own shape
        {1280, 540, {160, 0, 960, 540}},    // wider than the canvas
    };
    const double top = 16, bottom = 560, column = 500;
    int64_t index = -1;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        addFrames(2, c.width, c.height);  // the first, never painted, lends the second no strokes
        index += 2;
        ASSERT_TRUE(open(index, false));
        drawLine({300, top}, {700, top});
        drawLine({300, bottom}, {700, bottom});
        tap(painter->toolPalette()->btnBack());
        ASSERT_EQ(completions, (index + 1) / 2);

        const std::string id = frameID(index);
        const Image frame = decoded(fileData(KWImageProducer::frameFileName(id)));
        ASSERT_EQ(frame.size(), (graphics::Size{double(c.width), double(c.height)}));
        struct Shown {
            const char* what;
            Image picture;
            Rect canvas;  // where the canvas lies on it
            double rows;  // how near the stroke must be
        } shown[] = {
            {"frame", frame, c.canvasOnPicture, 3},
            {"thumbnail", decoded(fileData(KWImageProducer::thumbnailFileName(id))), {0, 0, 272, 153}, 2},
            {"preview", decoded(fileData(KWImageProducer::previewFileName(id))), {0, 0, 796, 448}, 2},
        };
        for (const Shown& s : shown) {
            SCOPED_TRACE(s.what);
            const double scale = s.canvas.size.height / kCanvasHeight;
            const double x = s.canvas.origin.x + column * s.canvas.size.width / kCanvasWidth;
            const int middle = s.picture.pixelHeight() / 2;
            const auto upper = testsupport::rowStandingOut(s.picture, int(x), frameColour(1), 0, middle);
            const auto lower =
                testsupport::rowStandingOut(s.picture, int(x), frameColour(1), middle, s.picture.pixelHeight());
            ASSERT_TRUE(upper && lower) << "both strokes show";
            EXPECT_NEAR(*upper, s.canvas.origin.y + top * scale, s.rows);
            EXPECT_NEAR(*lower, s.canvas.origin.y + bottom * scale, s.rows);
        }
    }
}

// A frame of the canvas's shape takes each layer's picture stretched over
// all of it, to the byte as it always did (a 1080p picture included, whose
// scale to the canvas is no exact binary fraction).
TEST_F(PainterPlacementTest, AFrameOfTheCanvasShapeSavesAsItAlwaysDid) {
    int64_t index = -1;
    for (const graphics::Size size : {graphics::Size{640, 360}, graphics::Size{1920, 1080}}) {
        SCOPED_TRACE(size.toString());
        addFrames(2, int(size.width), int(size.height));
        index += 2;
        ASSERT_TRUE(open(index, false));
        drawLine({20, 30}, {1000, 550});
        tap(painter->toolPalette()->btnBack());
        const std::string id = frameID(index);
        const PainterLayerPtr& layer = painter->layerManager()->layers().at(0);
        ASSERT_TRUE(layer->viewImage);
        QImage expected =
            decoded(fileData(painterfiles::unpaintedFileName(id))).bitmap().convertToFormat(QImage::Format_RGB32);
        QPainter drawing(&expected);
        drawing.setRenderHint(QPainter::SmoothPixmapTransform, true);
        drawing.drawImage(expected.rect(), layer->viewImage->image().bitmap());
        drawing.end();
        EXPECT_EQ(fileData(KWImageProducer::frameFileName(id)), graphics::jpeg::encode(expected, 1.0, true).value());
    }
}

// Erase shows the frame as Draw does and saves what it showed: the rubbed
// spot shows the previous frame (of another shape, where the canvas showed
// it), the frame keeps its size, and what the canvas did not show stays.
TEST_F(PainterPlacementTest, EraseSavesWhatItShowedOnAFourByThreeFrame) {
    addFrames(1, 640, 360);  // the previous frame, 16:9
    const RGBA band{250, 250, 40, 255};
    Image picture = Image::filled(640, 480, frameColour(1));
    {
        QImage bitmap = picture.bitmap().convertToFormat(QImage::Format_RGB32);
        QPainter(&bitmap).fillRect(0, 0, 640, 40, QColor(band.r, band.g, band.b));  // above what the canvas shows
        picture = Image(bitmap);
    }
    FramePtr frame = Frame::create(Frame::kTypePicture);
    ASSERT_TRUE(KWImageProducer(project).storeImage(picture, frame->frameID()));
    project->getFrameList()->insertFrame(frame, 1);
    ASSERT_TRUE(project->saveFramelistToDisk());
    ASSERT_TRUE(open(1, true));
    const auto canvasShows = [&](graphics::Point at) {
        return painter->drawingView()->createImage()->pixelAt(int(at.x), int(at.y));
    };
    EXPECT_TRUE(testsupport::pixelNear(canvasShows({512, 4}), frameColour(1))) << "the band is above the canvas";
    for (const graphics::Point at : {graphics::Point{512, 20}, graphics::Point{512, 556}})
        fingers.tap(inWindow(*painter->drawingView(), at));
    ASSERT_TRUE(painter->saveAndClose());

    const Image saved = decoded(fileData(KWImageProducer::frameFileName(frame->frameID())));
    ASSERT_EQ(saved.size(), (graphics::Size{640, 480}));
    struct Spot {
        int x, y;
        RGBA shows;
    } spots[] = {
        {320, 60 + int(20 * 0.625), frameColour(0)},   // rubbed at the top edge
        {320, 60 + int(556 * 0.625), frameColour(0)},  // and at the bottom edge
        {320, 20, band},                               // never shown, kept
        {320, 240, frameColour(1)},
        {320, 470, frameColour(1)},
    };
    for (const Spot& s : spots)
        EXPECT_TRUE(testsupport::pixelNear(saved.pixelAt(s.x, s.y), s.shows)) << s.x << ", " << s.y;
}

}  // namespace
