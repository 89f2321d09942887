#include "PainterScreenFixture.h"
#include "app/painter/PaintToolViewController.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PaintingMapping.h"
#include "app/painter/PaintingRules.h"
#include "support/Pictures.h"
#include "support/SyncFailures.h"

#include <cerrno>
#include <cmath>

namespace {

using foundation::Bytes;
using graphics::AffineTransform;
using graphics::Point;

// Twice as large about the picture's middle, as a crop by a zoom makes it.
const AffineTransform kZoom =
    graphics::concat(graphics::concat(AffineTransform::makeTranslation(-0.5, -0.5), AffineTransform::makeScale(2, 2)),
                     AffineTransform::makeTranslation(0.5, 0.5));

graphics::Image decoded(const std::optional<Bytes>& data) {
    auto image = graphics::Image::decode(data.value_or(Bytes{}));
    return image ? *image : graphics::Image();
}

class PainterCarryTest : public PainterScreenFixture {
protected:
    // A stroke on the shown layer and one on a hidden layer behind it.
    void paintShownOverHidden(int64_t index) {
        ASSERT_TRUE(open(index, false));
        drawLine({100, 100}, {400, 300});
        ASSERT_TRUE(painter->layerManager()->addLayerAtIndex(1));
        drawLine({500, 100}, {800, 300});
        painter->layerManager()->enableLayerAtIndex(1, false);
        painter->layerManager()->setActiveLayerAtIndex(0);
        tap(painter->toolPalette()->btnBack());
    }
    std::optional<Bytes> hiddenStrokes(const std::string& id) {
        const auto stack = decodeLayerStack(fileData(PainterLayerManager::layersFileName(id)).value_or(Bytes{}));
        if (!stack) return std::nullopt;
        for (const auto& layer : stack->layers)
            if (!layer->isEnabled) return fileData(PainterLayerManager::layerStrokesFileName(id, layer->UUID));
        return std::nullopt;
    }
};

// A crop of a painted frame cut short at any write, as a crash there leaves
// it, keeps the frame's picture and its painting together: the next opening
// carries the crop through when the picture took it and keeps the painting
// as it was when not, so that Draw and Back change nothing either way.
TEST_F(PainterCarryTest, ACropCutShortAnywhereKeepsThePictureAndThePaintingTogether) {
    addFrames(40);
    const Bytes cropped = testsupport::quadrantsImage(kFrameWidth, kFrameHeight).jpegData(0.9).value();
    int64_t next = 0;  // a first painting starts from the strokes of the frame before: every other frame
    for (const auto on : {testsupport::ScopedSyncFailure::On::Files, testsupport::ScopedSyncFailure::On::Folders}) {
        int cutShort = 0, carriedOnOpening = 0;
        for (int passing = 0;; ++passing) {
            SCOPED_TRACE(std::string(on == testsupport::ScopedSyncFailure::On::Files ? "files" : "folders") +
                         " failing after " + std::to_string(passing));
            const int64_t index = next;
            next += 2;
            ASSERT_LT(index, 40);
            const std::string id = frameID(index);
            const std::string picture = KWImageProducer::frameFileName(id);
            paintShownOverHidden(index);
            const auto before = fileData(picture);
            const Bytes hidden = hiddenStrokes(id).value();
            const PaintingMapping mapping{kZoom, painter->drawingView()->bounds().size};
            foundation::Status done;
            {
                // The steps of a crop: the note, the picture, the painting.
                testsupport::ScopedSyncFailure failing(on, EIO, passing);
                done = notePictureReplacement(*project, id, cropped, kZoom);
                if (done) done = project->updateRegularFileWithContents(cropped, picture);
                if (done) done = carryPictureIntoPainting(*project, id);
            }
            ASSERT_TRUE(open(index, false));
            const auto shown = fileData(picture);
            const bool took = shown == cropped;
            EXPECT_TRUE(took || shown == before);
            EXPECT_EQ(fileData(painterfiles::unpaintedFileName(id)) == cropped, took);
            EXPECT_EQ(painter->drawingView()->canUndo(), !took) << "the shown layer's strokes";
            EXPECT_EQ(hiddenStrokes(id), took ? mappedStrokes(hidden, mapping).value() : hidden);
            tap(painter->toolPalette()->btnBack());
            EXPECT_LE(testsupport::largestDifference(decoded(shown), decoded(fileData(picture))), 4);
            if (done) break;
            ++cutShort;
            carriedOnOpening += took;
        }
        EXPECT_GT(carriedOnOpening, 0);
        EXPECT_GT(cutShort, carriedOnOpening) << "some cut short before the picture";
    }
}

// Strokes carried over: every sample where the mapping puts it, every move
// by its linear part, and each brush's stamps scaled as the picture is.
TEST(PaintingMapping, StrokesMoveAndScaleWithThePicture) {
    const PaintingMapping mapping{kZoom, {1024, 576}};
    const AffineTransform canvas = mapping.canvasTransform();
    const auto near = [](Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y) < 1e-3; };
    EXPECT_DOUBLE_EQ(mapping.widthScale(), 2);
    // The canvas's middle stays; a point a quarter in from its bottom left
    // (origin there, y up) goes to the bottom left corner.
    EXPECT_TRUE(near(canvas.apply(Point{512, 288}), Point{512, 288}));
    EXPECT_TRUE(near(canvas.apply(Point{256, 144}), Point{0, 0}));
    StrokeList strokes;
    for (const int64_t type : {kBrushTypeBrush, kBrushTypePen, kBrushTypeFountainPen, kBrushTypeEraser}) {
        auto stroke = std::make_shared<Stroke>();
        stroke->type = static_cast<int32_t>(type);
        stroke->brushSize = 12;
        stroke->offset = {30, -20};
        stroke->points = {{{2, {300, 200}}, {5, {310, 220}}, {8, {330, 250}}}};
        strokes.push_back(stroke);
    }
    auto move = std::make_shared<Stroke>();
    move->type = static_cast<int32_t>(kBrushTypeMove);
    move->points = {{{0, {40, 25}}}};  // view coordinates, y down
    move->offset = {30, -20};
    strokes.push_back(move);

    const auto carried = decodeStrokeBuffer(mappedStrokes(strokeBufferData(strokes).value(), mapping).value());
    ASSERT_TRUE(carried);
    ASSERT_EQ(carried->size(), strokes.size());
    for (size_t i = 0; i < strokes.size(); ++i) {
        const Stroke& was = *strokes[i];
        const Stroke& is = *(*carried)[i];
        SCOPED_TRACE(was.type);
        EXPECT_TRUE(near(is.offset, Point{60, -40}));
        if (was.isMoveRecord()) {
            EXPECT_TRUE(near(is.moveDisplacement(), Point{80, 50}));
            continue;
        }
        for (size_t k = 0; k < was.points[0].size(); ++k) {
            const LinePoint& from = was.points[0][k];
            const LinePoint& to = is.points[0][k];
            EXPECT_TRUE(near(to.pos, canvas.apply(from.pos)));
            EXPECT_FLOAT_EQ(*paintingrules::pointSize(is.type, is.brushSize, to.width),
                            2 * *paintingrules::pointSize(was.type, was.brushSize, from.width));
        }
    }
    EXPECT_FALSE(mappedStrokes(Bytes{'b', 'a', 'd'}, mapping));
}

TEST(PaintingMapping, ALayerPictureMovesWithThePictureAndLosesWhatFallsOutside) {
    // Opaque dots a quarter in from the top left and at the very corner.
    graphics::Image picture = graphics::Image::filled(64, 36, graphics::RGBA{0, 0, 0, 0});
    QImage bitmap = picture.bitmap().convertToFormat(QImage::Format_ARGB32);
    for (const auto& [x, y] : {std::pair{16, 9}, {0, 0}})
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (x + dx >= 0 && y + dy >= 0) bitmap.setPixel(x + dx, y + dy, qRgba(255, 0, 0, 255));
    const graphics::Image carried = mappedLayerPicture(graphics::Image(bitmap), {kZoom, {64, 36}});
    ASSERT_EQ(carried.size(), picture.size());
    EXPECT_GT(carried.pixelAt(0, 0).a, 200) << "the quarter dot, now at the corner";
    int elsewhere = 0;  // beyond the quarter dot's place
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 64; ++x) elsewhere += (x > 4 || y > 4) && carried.pixelAt(x, y).a > 0;
    EXPECT_EQ(elsewhere, 0) << "the corner dot fell outside";
}

}  // namespace
