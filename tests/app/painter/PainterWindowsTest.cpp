// A painting made in the tablet's window opens over the same spots of the
// picture in the phone's window and in windows of other sizes, and Back with
// nothing drawn leaves every file of the frame as it was.

#include "PainterScreenFixture.h"
#include "app/painter/PaintToolViewController.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PaintingMapping.h"
#include "app/painter/StrokeCanvasView.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/host/Device.h"
#include "support/HostileFiles.h"
#include "support/Pictures.h"

#include <filesystem>
#include <map>

namespace {

using graphics::Image;
using graphics::Point;
using graphics::RGBA;
using graphics::Size;

constexpr Size kTabletCanvas{1024, 576};

// Whether something is painted within a few pixels of `spot` (in the
// picture's pixels): on a layer's picture anything opaque, on the frame's
// picture a colour away from the frame's own.
bool paintedNear(const Image& picture, Point spot, const std::optional<RGBA>& unpainted = std::nullopt) {
    for (int dy = -4; dy <= 4; ++dy)
        for (int dx = -4; dx <= 4; ++dx) {
            const int x = int(spot.x) + dx, y = int(spot.y) + dy;
            if (x < 0 || y < 0 || x >= picture.pixelWidth() || y >= picture.pixelHeight()) continue;
            const RGBA pixel = picture.pixelAt(x, y);
            if (unpainted ? !testsupport::pixelNear(pixel, *unpainted, 40) : pixel.a > 128) return true;
        }
    return false;
}

class PainterWindowsTest : public PainterScreenFixture {
protected:
    // Closes the painter and takes a window of that size, as another start
    // of the application with TOLLIVAR_DEVICE or another screen would.
    void useWindow(Size size) {
        painter.reset();
        window->setRootViewController(nullptr);
        const bool phone = size.height <= 320;
        ui::Device::current().setUserInterfaceIdiom(phone ? ui::UserInterfaceIdiom::Phone
                                                          : ui::UserInterfaceIdiom::Pad);
        ui::Device::current().setScreenBounds({0, 0, size.width, size.height});
        window->setFrame({0, 0, size.width, size.height});
    }
    // On a narrow bar the layer button takes the right half of Back's place.
    void tapBack() {
        ui::prepareForRendering(*window, 1.0);
        const graphics::Rect back = inWindow(painter->toolPalette()->btnBack());
        fingers.tap({back.minX() + back.size.width / 4, back.midY()});
    }
    Size canvas() const { return painter->drawingView()->bounds().size; }
    // A spot of the tablet's canvas on this window's.
    Point onCanvas(Point tablet) const {
        return {tablet.x * canvas().width / kTabletCanvas.width, tablet.y * canvas().height / kTabletCanvas.height};
    }
    // Every file of the project, by name.
    std::map<std::string, foundation::Bytes> projectFiles() const {
        std::map<std::string, foundation::Bytes> files;
        for (const auto& entry : std::filesystem::directory_iterator(*project->getProjectPath()))
            files[entry.path().filename()] = *fileData(entry.path().filename());
        return files;
    }
    // Strokes drawn at those spots of the tablet's canvas: on "Layer", the
    // back layer, and on the active one; none on the other.
    void expectStrokesAt(const std::vector<Point>& onLayer, const std::vector<Point>& onActive) {
        const PainterLayerPtr layer = painter->layerManager()->layers().at(1);
        ASSERT_EQ(layer->name, "Layer");
        ASSERT_TRUE(layer->viewImage);
        const Image picture = layer->viewImage->image();
        EXPECT_EQ(picture.size(), (Size{canvas().width, double(int(canvas().height))})) << "a pixel a point";
        const Image active = *painter->drawingView()->createImage();
        for (const Point spot : onLayer) {
            EXPECT_TRUE(paintedNear(picture, onCanvas(spot))) << spot.toString();
            EXPECT_FALSE(paintedNear(active, onCanvas(spot))) << spot.toString();
        }
        for (const Point spot : onActive) {
            EXPECT_TRUE(paintedNear(active, onCanvas(spot))) << spot.toString();
            EXPECT_FALSE(paintedNear(picture, onCanvas(spot))) << spot.toString();
        }
    }
    // In the tablet's window: a stroke on "Layer", and on a second layer
    // one in the lower right quarter; Back.
    void paintTwoLayers() {
        ASSERT_TRUE(open(1, false));
        // The pen, for broad strokes; a tap on the chosen tool would open its sizes.
        if (painter->currentSelectedTool() != 1) tap(painter->toolPalette()->btnPen());
        drawLine({150, 150}, {450, 250});
        ASSERT_TRUE(painter->layerManager()->addLayerAtIndex(0));
        drawLine({700, 425}, {950, 525});
        tapBack();
        ASSERT_EQ(completions, 1);
    }
    static void dismissAlerts() {
        for (auto& alert : ui::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
    }
    // The frame's picture decoded.
    Image framePicture(int64_t index) const {
        return decoded(fileData(KWImageProducer::frameFileName(frameID(index))));
    }
};

// The tablet's canvas shows the whole 640 × 360 frame: a canvas point is
// 0.625 of a picture's pixel.
Point onFrame(Point tablet) {
    return {tablet.x * PainterScreenFixture::kFrameWidth / kTabletCanvas.width,
            tablet.y * PainterScreenFixture::kFrameHeight / kTabletCanvas.height};
}

// Middles of the strokes drawn, in points of the tablet's canvas.
constexpr Point kFirst{300, 200}, kSecond{825, 475}, kThird{750, 290};

// Painted in the tablet's window: a stroke on "Layer", and on a second layer
// one in the lower right quarter. Opened in the phone's window and in a
// window of another size, each stroke lies over the spot of the picture it
// was drawn on, on the canvas and in the layer's picture; Back with nothing
// drawn leaves every file as it was. A stroke drawn in such a window joins
// them where it was drawn, in the frame's picture and back in the tablet's
// window, and an erase there over the second stroke is known to have rubbed
// out paint.
TEST_F(PainterWindowsTest, EveryStrokeOpensOverItsSpotInEveryWindow) {
    addFrames(2);
    paintTwoLayers();
    const RGBA frame = frameColour(1);
    for (const Point spot : {kFirst, kSecond})
        ASSERT_TRUE(paintedNear(framePicture(1), onFrame(spot), frame)) << spot.toString();
    const auto painted = projectFiles();

    for (const Size size : {Size{568, 320}, Size{800, 600}, Size{1280, 800}}) {
        SCOPED_TRACE(size.toString());
        useWindow(size);
        ASSERT_TRUE(open(1, false));
        ASSERT_EQ(canvas(), paintingCanvasSize(size));
        expectStrokesAt({kFirst}, {kSecond});
        tapBack();
        EXPECT_TRUE(projectFiles() == painted) << "Back with nothing drawn";
    }

    // Drawn on in the phone's window: all three where they were drawn.
    useWindow({568, 320});
    ASSERT_TRUE(open(1, false));
    drawLine(onCanvas({650, 250}), onCanvas({850, 330}));
    tapBack();
    for (const Point spot : {kFirst, kSecond, kThird})
        EXPECT_TRUE(paintedNear(framePicture(1), onFrame(spot), frame)) << spot.toString();
    useWindow({1024, 768});
    ASSERT_TRUE(open(1, false));
    expectStrokesAt({kFirst}, {kSecond, kThird});
    tapBack();

    // An erase in the phone's window over the second stroke rubs out paint.
    useWindow({568, 320});
    EXPECT_FALSE(PainterViewController::drawingUndoesErase(*project, 1));
    ASSERT_TRUE(open(1, true));
    drawLine(onCanvas({725, 370}), onCanvas({725, 480}));  // down across it, from above the palette
    tapBack();
    EXPECT_TRUE(PainterViewController::drawingUndoesErase(*project, 1));
}

// Strokes of earlier versions, which record no canvas, open where they did:
// on the canvas of the window they open in, as stored; Back with nothing
// drawn keeps them as they are. Once saved in that window, they keep the
// spots of the picture they showed over there in every other window.
TEST_F(PainterWindowsTest, StrokesOfEarlierVersionsOpenAsTheyDidAndKeepTheSpotsTheyWereSavedAt) {
    addFrames(2);
    useWindow({568, 320});
    const std::string id = frameID(1);
    auto dot = std::make_shared<Stroke>();
    dot->type = int32_t(kBrushTypePen);
    dot->brushSize = 15;
    dot->alpha = 1;
    dot->points = {StrokeSegment(4, LinePoint{5, {100, 100}})};  // canvas pixels, from the bottom left
    ASSERT_TRUE(
        project->updateRegularFileWithContents(strokeBufferData({dot}).value(), painterfiles::strokesFileName(id)));
    const auto earlier = projectFiles();
    ASSERT_TRUE(open(1, false));
    const auto& loaded = static_cast<StrokeCanvasView*>(painter->drawingView())->strokeBuffer();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0]->points, dot->points) << "on the canvas it opens on, as stored";
    tapBack();
    EXPECT_TRUE(projectFiles() == earlier) << "Back with nothing drawn";

    ASSERT_TRUE(open(1, false));
    drawLine({300, 100}, {400, 150});
    tapBack();
    const Point tapOnFrame{100 * kFrameWidth / 568.0, (319.5 - 100) * kFrameWidth / 568.0};
    EXPECT_TRUE(paintedNear(framePicture(1), tapOnFrame, frameColour(1)));
    useWindow({1024, 768});
    ASSERT_TRUE(open(1, false));
    EXPECT_TRUE(paintedNear(*painter->drawingView()->createImage(), {tapOnFrame.x / 0.625, tapOnFrame.y / 0.625}));
}

// A crop of a painting drawn in the tablet's window, made in the phone's,
// carries its hidden layer on the canvas it was drawn on.
TEST_F(PainterWindowsTest, ACropInAnotherWindowCarriesStrokesOnTheCanvasTheyWereDrawnOn) {
    const graphics::AffineTransform zoom{2, 0, 0, 2, -0.5, -0.5};  // twice as large about the middle
    addFrames(1);
    const std::string id = frameID(0);
    ASSERT_TRUE(open(0, false));
    drawLine({500, 100}, {800, 300});
    ASSERT_TRUE(painter->layerManager()->addLayerAtIndex(1));
    painter->layerManager()->enableLayerAtIndex(0, false);
    tapBack();
    const auto hiddenStrokes = [&] {
        const auto stack = decodeLayerStack(fileData(PainterLayerManager::layersFileName(id)).value());
        return fileData(PainterLayerManager::layerStrokesFileName(id, stack.value().layers.at(0)->UUID)).value();
    };
    const foundation::Bytes hidden = hiddenStrokes();
    useWindow({568, 320});
    const foundation::Bytes cropped = testsupport::quadrantsImage(kFrameWidth, kFrameHeight).jpegData(0.9).value();
    ASSERT_TRUE(notePictureReplacement(*project, id, cropped, zoom));
    ASSERT_TRUE(project->updateRegularFileWithContents(cropped, KWImageProducer::frameFileName(id)));
    ASSERT_TRUE(carryPictureIntoPainting(*project, id));
    const Size frame{kFrameWidth, kFrameHeight};
    EXPECT_TRUE(hiddenStrokes() == mappedStrokes(hidden, PaintingMapping{zoom, kTabletCanvas, frame, frame}).value());
}


// A file of the painting that cannot be read stays as it was, true to the
// canvas it was drawn on: a save in another window keeps the stack on that
// canvas, carrying there what it writes, so that the file, readable again,
// opens over the spot it was drawn on.
TEST_F(PainterWindowsTest, AStackKeepingAFileItCannotReadStaysOnItsCanvas) {
    addFrames(2);
    paintTwoLayers();
    const std::string picture =
        PainterLayerManager::layerPictureFileName(frameID(1), painter->layerManager()->layers().at(1)->UUID);
    const foundation::Bytes kept = *fileData(picture);
    testsupport::placeHostile(path(picture), testsupport::Hostile::LinkToZero);
    useWindow({568, 320});
    ASSERT_TRUE(open(1, false));
    dismissAlerts();
    drawLine(onCanvas({650, 250}), onCanvas({850, 330}));
    EXPECT_FALSE(painter->saveAndClose()) << "a part cannot be read";
    dismissAlerts();
    std::filesystem::remove(path(picture));
    ASSERT_TRUE(project->updateRegularFileWithContents(kept, picture));
    useWindow({1024, 768});
    ASSERT_TRUE(open(1, false));
    expectStrokesAt({kFirst}, {kSecond, kThird});
}


// A frame painted for the first time starts with the previous frame's
// strokes: drawn in the tablet's window, they start the next frame in the
// phone's over the same spot, and Back keeps them there.
TEST_F(PainterWindowsTest, AFirstPaintingStartsWithThePreviousFramesStrokesOverTheirSpot) {
    addFrames(2);
    ASSERT_TRUE(open(0, false));
    drawLine({700, 425}, {950, 525});
    tapBack();
    useWindow({568, 320});
    ASSERT_TRUE(open(1, false));
    EXPECT_TRUE(paintedNear(*painter->drawingView()->createImage(), onCanvas(kSecond)));
    tapBack();
    EXPECT_TRUE(paintedNear(framePicture(1), onFrame(kSecond), frameColour(1)));
}

}  // namespace
