#include "app/painter/PainterBrush.h"
#include "app/painter/PaintingMapping.h"
#include "app/painter/PaintingRules.h"
#include "app/painter/Stroke.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

using graphics::Point;

// Twice as large about the picture's middle, as a crop by a zoom makes it.
const graphics::AffineTransform kZoom{2, 0, 0, 2, -0.5, -0.5};

// Strokes carried over: offsets and moves (view coordinates) twice as long,
// a sample a quarter in from the bottom left at the corner, and the stamps
// of each brush twice as large. (Sizes in powers of two: exact arithmetic.)
TEST(PaintingMapping, StrokesMoveAndScaleWithThePicture) {
    const PaintingMapping mapping{kZoom, {1024, 512}, {}, {}};
    StrokeList strokes;
    for (const int64_t type :
         {kBrushTypeBrush, kBrushTypePen, kBrushTypeFountainPen, kBrushTypeEraser, kBrushTypeMove}) {
        strokes.push_back(std::make_shared<Stroke>());
        strokes.back()->type = static_cast<int32_t>(type);
        strokes.back()->brushSize = 12;
        strokes.back()->offset = {30, -20};
        strokes.back()->points = {{{2, {256, 128}}}};
    }
    const auto carried = decodeStrokeBuffer(mappedStrokes(strokeBufferData(strokes).value(), mapping).value());
    ASSERT_TRUE(carried && carried->size() == strokes.size());
    for (size_t i = 0; i < strokes.size(); ++i) {
        const Stroke &was = *strokes[i], &is = *(*carried)[i];
        const bool move = was.isMoveRecord();
        SCOPED_TRACE(was.type);
        EXPECT_EQ(is.offset, (Point{60, -40}));
        EXPECT_EQ(is.points[0][0].pos, (move ? Point{512, 256} : Point{0, 0}));
        if (move) continue;
        EXPECT_FLOAT_EQ(*paintingrules::pointSize(is.type, is.brushSize, is.points[0][0].width),
                        2 * *paintingrules::pointSize(was.type, was.brushSize, was.points[0][0].width));
    }
    EXPECT_FALSE(mappedStrokes(foundation::Bytes{'b', 'a', 'd'}, mapping));
}

// A layer's picture the same way: its middle half fills it.
TEST(PaintingMapping, ALayerPictureMovesAndScalesWithThePicture) {
    QImage bitmap(64, 36, QImage::Format_ARGB32);
    bitmap.fill(Qt::transparent);
    QPainter(&bitmap).fillRect(16, 9, 32, 18, Qt::red);
    const graphics::Image carried = mappedLayerPicture(graphics::Image(bitmap), {kZoom, {64, 36}, {64, 36}, {64, 36}});
    ASSERT_EQ(carried.size(), (graphics::Size{64, 36}));
    int clear = 0;
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 64; ++x) clear += carried.pixelAt(x, y).a < 128;
    EXPECT_EQ(clear, 0);
}

// What of a picture the canvas shows (filled and centred), in whole pixels
// also through scales that are no binary fractions.
TEST(CanvasPlacement, PicturesFillTheCanvasCentred) {
    const std::tuple<graphics::Size, graphics::Size, graphics::Rect> cases[] = {
        {{480, 640}, {1024, 576}, {0, 185, 480, 270}},
        {{1280, 540}, {1024, 576}, {160, 0, 960, 540}},
        {{640, 480}, {568, 319.5}, {0, 60, 640, 360}}};  // on a phone
    for (const auto& [picture, canvas, canvasOnPicture] : cases)
        EXPECT_EQ(CanvasPlacement(picture, canvas).canvasOnPicture(), canvasOnPicture) << picture.toString();
}

}  // namespace
