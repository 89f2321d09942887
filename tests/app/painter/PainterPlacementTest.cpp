// The canvas shows the frame's picture filled and centred, whatever its
// shape; what is drawn or rubbed over a spot of it is saved on that spot.

#include "PainterScreenFixture.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "app/render/ExportTestSupport.h"
#include "app/render/MovieRenderTestSupport.h"
#include "app/render/TollivarMovieRenderer.h"
#include "platform/graphics/JpegCodec.h"
#include "support/Pictures.h"

#include <QPainter>

namespace {

using graphics::Image;
using graphics::Rect;

class PainterPlacementTest : public PainterScreenFixture {};

// Lines along the top and the bottom edge of the 1024 × 576 canvas, drawn or
// rubbed out (the previous frame behind is 16:9), land in the frame, its
// thumbnail, its preview and a 720p movie at the rows the canvas showed, and
// not between them; the frame keeps its size and the rows the canvas did not
// show, which Erase shows as Draw does. A frame of the canvas's shape takes
// the layer stretched over all of it, to the byte as it always did (also at
// 1080p, whose scale to the canvas is no binary fraction).
TEST_F(PainterPlacementTest, LinesAtTheCanvasEdgesLandWhereTheCanvasShowedThem) {
    const struct {
        int width, height;
        Rect canvasOnPicture;
    } cases[] = {
        {640, 480, {0, 60, 640, 360}},    // a webcam's 4:3
        {480, 640, {0, 185, 480, 270}},   // a photograph held upright
        {1280, 540, {160, 0, 960, 540}},  // wider than the canvas
        {640, 360, {0, 0, 640, 360}},     // the canvas's own shape
        {1920, 1080, {0, 0, 1920, 1080}},
    };
    const double top = 24, middle = 288, bottom = 552, column = 500;
    const graphics::RGBA band{250, 250, 40, 255};  // over the rows the canvas does not show
    // A picture, and where the canvas lies on it.
    const auto expectLines = [&](const Image& picture, Rect canvas) {
        const double scale = canvas.size.height / 576;
        for (const double y : {top, middle, bottom}) {
            const graphics::RGBA there =
                picture.pixelAt(int(canvas.origin.x + column * scale), int(canvas.origin.y + y * scale));
            EXPECT_EQ(testsupport::pixelNear(there, frameColour(1), 48), y == middle)
                << picture.size().toString() << " " << y;
        }
    };
    int64_t index = -1;
    for (const auto& c : cases) {
        for (const bool masking : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << (masking ? ", Erase" : ", Draw"));
            addFrames(2, c.width, c.height);  // the first, never painted, lends the second no strokes
            ASSERT_TRUE(KWImageProducer(project).storeImage(Image::filled(640, 360, frameColour(0)), frameID(++index)));
            QImage banded =
                Image::filled(c.width, c.height, frameColour(1)).bitmap().convertToFormat(QImage::Format_RGB32);
            QPainter(&banded).fillRect(0, 0, c.width, int(c.canvasOnPicture.origin.y), QColor(band.r, band.g, band.b));
            ASSERT_TRUE(KWImageProducer(project).storeImage(Image(banded), frameID(++index)));
            ASSERT_TRUE(open(index, masking));
            const auto canvas = painter->drawingView()->createImage();
            EXPECT_TRUE(!masking || testsupport::pixelNear(canvas->pixelAt(512, 40), frameColour(1)));
            drawLine({300, top}, {700, top});
            drawLine({300, bottom}, {700, bottom});
            tap(painter->toolPalette()->btnBack());
            const std::string id = frameID(index);
            const Image frame = decoded(fileData(KWImageProducer::frameFileName(id)));
            ASSERT_EQ(frame.size(), (graphics::Size{double(c.width), double(c.height)}));
            const int bandRow = int(c.canvasOnPicture.origin.y) / 2;
            EXPECT_TRUE(!bandRow || testsupport::pixelNear(frame.pixelAt(c.width / 2, bandRow), band)) << "kept";
            expectLines(frame, c.canvasOnPicture);
            expectLines(decoded(fileData(KWImageProducer::thumbnailFileName(id))), {0, 0, 272, 153});
            expectLines(decoded(fileData(KWImageProducer::previewFileName(id))), {0, 0, 796, 448});
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
    const auto movie = rendertest::runExport(std::make_shared<TollivarMovieRenderer>(project),
                                             TollivarMovieRenderer::moviePreviewType({1280, 720}));
    ASSERT_TRUE(movie.exportURL) << (movie.error ? movie.error->description : "");
    const auto movieFrames = rendertest::decodedPictures(*movie.exportURL, 1280, 720);
    ASSERT_EQ(movieFrames.size(), size_t(index) + 2) << "the first picture leads the movie once more";
    for (size_t painted = 2; painted < movieFrames.size(); painted += 2) {
        SCOPED_TRACE(testing::Message() << "movie frame " << painted);
        const QImage rgb(reinterpret_cast<const uchar*>(movieFrames[painted].data()), 1280, 720, 1280 * 3,
                         QImage::Format_RGB888);
        expectLines(Image(rgb.convertToFormat(QImage::Format_RGB32)), {0, 0, 1280, 720});
    }
}

}  // namespace
