// The canvas shows the frame's picture filled and centred, whatever its
// shape; what is drawn or rubbed over a spot of it is saved on that spot.

#include "PainterScreenFixture.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "platform/graphics/JpegCodec.h"
#include "support/Pictures.h"

#include <QPainter>

namespace {

using graphics::Image;
using graphics::Rect;

class PainterPlacementTest : public PainterScreenFixture {};

// Lines along the top and the bottom edge of the 1024 × 576 canvas, drawn or
// rubbed out (the previous frame behind is 16:9), land in the frame, its
// thumbnail and its preview at the rows the canvas showed; the frame keeps
// its size. A frame of the canvas's shape takes the layer stretched over all
// of it, to the byte as it always did (also at 1080p, whose scale to the
// canvas is no binary fraction).
TEST_F(PainterPlacementTest, LinesAtTheCanvasEdgesLandWhereTheCanvasShowedThem) {
    const struct {
        int width, height;
        Rect canvasOnPicture;
    } cases[] = {
        {640, 480, {0, 60, 640, 360}},      // a webcam's 4:3
        {1600, 1200, {0, 150, 1600, 900}},  // a still camera's 4:3
        {480, 640, {0, 185, 480, 270}},     // a photograph held upright
        {1280, 540, {160, 0, 960, 540}},    // wider than the canvas
        {640, 360, {0, 0, 640, 360}},       // the canvas's own shape
        {1920, 1080, {0, 0, 1920, 1080}},
    };
    const double top = 24, bottom = 552, column = 500;
    int64_t index = -1;
    for (const auto& c : cases) {
        for (const bool masking : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << (masking ? ", Erase" : ", Draw"));
            addFrames(2, c.width, c.height);  // the first, never painted, lends the second no strokes
            ASSERT_TRUE(KWImageProducer(project).storeImage(Image::filled(640, 360, frameColour(0)), frameID(++index)));
            ASSERT_TRUE(open(++index, masking));
            drawLine({300, top}, {700, top});
            drawLine({300, bottom}, {700, bottom});
            tap(painter->toolPalette()->btnBack());
            const std::string id = frameID(index);
            const Image frame = decoded(fileData(KWImageProducer::frameFileName(id)));
            ASSERT_EQ(frame.size(), (graphics::Size{double(c.width), double(c.height)}));
            // A picture, and where the canvas lies on it.
            const std::pair<Image, Rect> shown[] = {
                {frame, c.canvasOnPicture},
                {decoded(fileData(KWImageProducer::thumbnailFileName(id))), {0, 0, 272, 153}},
                {decoded(fileData(KWImageProducer::previewFileName(id))), {0, 0, 796, 448}}};
            for (const auto& [picture, canvas] : shown) {
                const double scale = canvas.size.height / 576;
                for (const double y : {top, bottom}) {
                    const graphics::RGBA there =
                        picture.pixelAt(int(canvas.origin.x + column * scale), int(canvas.origin.y + y * scale));
                    EXPECT_FALSE(testsupport::pixelNear(there, frameColour(1), 48))
                        << picture.size().toString() << " " << y;
                }
            }
            if (masking || c.canvasOnPicture != Rect{0, 0, double(c.width), double(c.height)}) continue;
            QImage expected =
                decoded(fileData(painterfiles::unpaintedFileName(id))).bitmap().convertToFormat(QImage::Format_RGB32);
            QPainter drawing(&expected);
            drawing.setRenderHint(QPainter::SmoothPixmapTransform, true);
            drawing.drawImage(expected.rect(), painter->layerManager()->layers().at(0)->viewImage->image().bitmap());
            drawing.end();
            EXPECT_TRUE(fileData(KWImageProducer::frameFileName(id)) ==
                        graphics::jpeg::encode(expected, 1.0, true).value());
        }
    }
}

// Erase shows a 4:3 frame filled and centred as Draw does, and keeps the
// rows the canvas did not show.
TEST_F(PainterPlacementTest, EraseShowsAFourByThreeFrameAsDrawDoesAndKeepsWhatItDidNotShow) {
    addFrames(2);
    const graphics::RGBA band{250, 250, 40, 255};  // above what the canvas shows
    QImage picture = Image::filled(640, 480, frameColour(1)).bitmap().convertToFormat(QImage::Format_RGB32);
    QPainter(&picture).fillRect(0, 0, 640, 40, QColor(band.r, band.g, band.b));
    ASSERT_TRUE(KWImageProducer(project).storeImage(Image(picture), frameID(1)));
    ASSERT_TRUE(open(1, true));
    EXPECT_TRUE(testsupport::pixelNear(painter->drawingView()->createImage()->pixelAt(512, 4), frameColour(1)));
    fingers.tap(inWindow(*painter->drawingView(), {512, 20}));
    ASSERT_TRUE(painter->saveAndClose());
    const Image saved = decoded(fileData(KWImageProducer::frameFileName(frameID(1))));
    EXPECT_TRUE(testsupport::pixelNear(saved.pixelAt(320, 20), band));
}

}  // namespace
