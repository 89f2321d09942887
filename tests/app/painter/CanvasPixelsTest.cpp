#include "CanvasTestSupport.h"
#include "app/painter/PaintingRules.h"
#include "platform/ui/gestures/GestureRecognizer.h"

#include <cmath>

namespace {

using namespace paintertest;
using graphics::RGBA;

TEST(PaintingCanvas, APenTapStampsSixtySixSpritesInsideItsFifteenPixelSquare) {
    // tip alpha → expected share of slot 0's colour: 1 − (1 − α)^66.
    for (uint8_t alpha : {uint8_t(255), uint8_t(4), uint8_t(10)}) {
        auto canvas = paintingCanvas({1024, 576}, alpha);
        ASSERT_NE(canvas, nullptr);
        canvas->changeBrush(kBrushTypePen);
        canvas->handleSingleTap({100, 100});
        EXPECT_EQ(canvas->spritesDrawn(), 66u);
        auto image = canvas->createImage();
        ASSERT_TRUE(image.has_value());
        ASSERT_EQ(image->pixelWidth(), 1024);
        ASSERT_EQ(image->pixelHeight(), 576);
        double share = 1 - std::pow(1 - alpha / 255.0, 66);
        RGBA centre = pixel(*image, 100, 100);
        EXPECT_NEAR(centre.a, 255 * share, 3) << int(alpha);
        // Straight colour back from premultiplied: slot 0's colour.
        if (alpha == 255) {
            EXPECT_EQ(centre, kSlot0);
        }
        Box box = boxOf(*image, [](RGBA p) { return !isClear(p); });
        EXPECT_EQ(box.count, 15 * 15) << int(alpha);
        EXPECT_EQ(box.width(), 15);
        EXPECT_EQ(box.height(), 15);
        EXPECT_TRUE(box.contains(100, 100));
    }
}

TEST(PaintingCanvas, AReplayShowsTheDragsAsTheyWereDrawn) {
    // Drawn live, a drag stamps each move on its own; replayed, each stroke's
    // stamps go together. The pixels are the same either way.
    auto canvas = paintingCanvas();
    ASSERT_NE(canvas, nullptr);
    canvas->brushes[kBrushTypeBrush] =
        PainterBrush::create(kBrushTypeBrush, 2, graphics::Color::rgb8(228, 73, 19), graphics::Image(softTip(32)));
    const auto drag = [&](int64_t brush, double y, double speed) {
        canvas->changeBrush(brush);
        canvas->handlePan(ui::GestureState::Began, {60, y}, {speed, 0});
        for (int i = 1; i <= 120; ++i)
            canvas->handlePan(ui::GestureState::Changed, {60 + i * 6.5, y + 80 * std::sin(i / 9.0)}, {speed, 0});
        canvas->handlePan(ui::GestureState::Ended, {60 + 120 * 6.5, y}, {speed, 0});
    };
    drag(kBrushTypeBrush, 250, 2490);
    drag(kBrushTypePen, 300, 900);
    drag(kBrushTypeEraser, 280, 250);
    auto drawn = canvas->createImage();
    ASSERT_TRUE(drawn.has_value());
    const Box soft = boxOf(*drawn, [](RGBA p) { return p.a > 0 && p.a < 255; });
    const Box solid = boxOf(*drawn, [](RGBA p) { return p.a == 255; });
    EXPECT_GT(soft.count, 2000);  // rims, and what the eraser left
    EXPECT_GT(solid.count, 40000);
    canvas->replayBuffer();
    EXPECT_TRUE(canvas->createImage()->bitmap() == drawn->bitmap());
}

TEST(PaintingCanvas, CreateImageIsTheCanvasSizeTopRowFirst) {
    struct Case {
        graphics::Size size;
        int width, height;
    };
    for (Case c : {Case{{1024, 576}, 1024, 576}, Case{{568, 319.5}, 568, 319}}) {
        auto canvas = paintingCanvas(c.size);
        ASSERT_NE(canvas, nullptr);
        EXPECT_EQ(canvas->backingWidth(), c.width);
        EXPECT_EQ(canvas->backingHeight(), c.height);
        canvas->changeBrush(kBrushTypePen);
        canvas->handleSingleTap({20, 10});  // near the top left
        auto image = canvas->createImage();
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(image->pixelWidth(), c.width);
        EXPECT_EQ(image->pixelHeight(), c.height);
        EXPECT_EQ(pixel(*image, 20, 10), kSlot0);
        EXPECT_TRUE(isClear(pixel(*image, 20, c.height - 10)));
        // What the view shows is the same picture.
        ASSERT_TRUE(canvas->layer().contents().has_value());
        EXPECT_EQ(pixel(*canvas->layer().contents(), 20, 10), kSlot0);
    }
}

TEST(PaintingCanvas, PointsAbove255PixelsOrCentredOffTheCanvasAreDrawnAtTheirSize) {
    auto canvas = paintingCanvas();
    ASSERT_NE(canvas, nullptr);
    canvas->changeBrush(kBrushTypeBrush);
    canvas->currentBrush()->size = 15;
    // Width 40 from a stamp of size 40: 15 × 40 = 600 px.
    canvas->addStrokeWithPosition({512, 288}, 40, 0, canvas->currentBrush());
    // A point centred 10 px left of the canvas: GL would drop it whole.
    canvas->changeBrush(kBrushTypePen);
    canvas->currentBrush()->size = 30;
    canvas->addStrokeWithPosition({-10, 50}, 5, 0, canvas->currentBrush());
    auto image = canvas->createImage();
    ASSERT_TRUE(image.has_value());
    auto paintedRun = [&](int y) {
        int first = -1, last = -1;
        for (int x = 0; x < (y == 288 ? 1024 : 212); ++x) {
            if (isClear(pixel(*image, x, y))) continue;
            if (first < 0) first = x;
            last = x;
        }
        return std::pair{first, last};
    };
    EXPECT_EQ(paintedRun(288), (std::pair{212, 811}));   // 600 wide
    EXPECT_EQ(paintedRun(576 - 50), (std::pair{0, 4}));  // [-25, 5)
    EXPECT_EQ(pixel(*image, 512, 288), kSlot0);
}

TEST(PaintingCanvas, TheEraserStampsWithItsOwnRoundTip) {
    auto canvas = paintingCanvas();
    ASSERT_NE(canvas, nullptr);
    canvas->changeBrush(kBrushTypePen);
    canvas->currentBrush()->size = 60;
    canvas->handleSingleTap({300, 300});  // a 60-px square of the pen's square tip
    canvas->changeBrush(kBrushTypeEraser);
    canvas->handleSingleTap({300, 300});  // size 8 × width 5 = a 40-px disc
    auto image = canvas->createImage();
    ASSERT_TRUE(image.has_value());
    EXPECT_LT(pixel(*image, 300, 300).a, 10);  // erased at the centre
    // Inside the eraser's square but outside its disc: untouched paint.
    EXPECT_EQ(pixel(*image, 300 - 17, 300 - 17), kSlot0);
    EXPECT_EQ(pixel(*image, 300 + 16, 300 + 16), kSlot0);
}

TEST(PaintingCanvas, AMoveDragShiftsEveryPaintedPixel) {
    auto canvas = paintingCanvas();
    ASSERT_NE(canvas, nullptr);
    canvas->changeBrush(kBrushTypePen);
    canvas->handleSingleTap({100, 100});
    canvas->handleSingleTap({400, 300});
    auto before = canvas->createImage();
    graphics::Point centre = canvas->center();
    canvas->changeBrush(kBrushTypeMove);
    canvas->handlePan(ui::GestureState::Began, {50, 50}, {});
    canvas->handlePan(ui::GestureState::Changed, {80, 70}, {});  // the view follows the finger
    EXPECT_EQ(canvas->center(), (graphics::Point{centre.x + 30, centre.y + 20}));
    canvas->handlePan(ui::GestureState::Ended, {50, 50}, {});
    EXPECT_EQ(canvas->center(), centre);
    auto after = canvas->createImage();
    ASSERT_TRUE(before && after);
    int compared = 0;
    for (int y = 0; y + 20 < 576; ++y) {
        for (int x = 0; x + 30 < 1024; ++x) {
            RGBA was = pixel(*before, x, y);
            ASSERT_EQ(pixel(*after, x + 30, y + 20), was) << x << "," << y;
            compared += !isClear(was);
        }
    }
    EXPECT_EQ(compared, 2 * 15 * 15);
    // The record draws nothing; undo moves everything back.
    ASSERT_EQ(canvas->strokeBuffer().size(), 3u);
    EXPECT_TRUE(canvas->strokeBuffer().back()->isMoveRecord());
    EXPECT_EQ(canvas->strokeBuffer().back()->moveDisplacement(), (graphics::Point{-30, -20}));
    canvas->undo();
    auto undone = canvas->createImage();
    EXPECT_TRUE(undone->bitmap() == before->bitmap());
    canvas->redo();
    EXPECT_TRUE(canvas->createImage()->bitmap() == after->bitmap());
}

TEST(PaintingCanvas, ReplayDrawsExactlyWhatWasDrawnLive) {
    auto canvas = paintingCanvas();
    ASSERT_NE(canvas, nullptr);
    canvas->changeBrush(kBrushTypeFountainPen);
    canvas->handlePan(ui::GestureState::Began, {100, 100}, {500, 0});
    for (int i = 1; i <= 20; ++i)
        canvas->handlePan(ui::GestureState::Changed, {100.0 + 9 * i, 100.0 + 3 * i}, {900, 300});
    canvas->handlePan(ui::GestureState::Ended, {300, 170}, {0, 0});
    auto live = canvas->createImage();
    auto data = canvas->getBufferData();
    ASSERT_TRUE(live && data);
    auto other = paintingCanvas();
    ASSERT_TRUE(other->loadBufferData(*data).ok());
    EXPECT_TRUE(other->createImage()->bitmap() == live->bitmap());
    // Twenty accepted moves: twenty segments, 22 widths (began, moves, end).
    ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
    EXPECT_EQ(canvas->strokeBuffer()[0]->points.size(), 20u);
    EXPECT_EQ(canvas->strokeBuffer()[0]->points[0].size(), 4u);
    EXPECT_EQ(canvas->strokeBuffer()[0]->points[1].size(), 3u);
    EXPECT_EQ(canvas->strokeBuffer()[0]->velocities.size(), 22u);
}

TEST(PaintingCanvas, RecordsTapsStampsAndDragsAsTheyWereMade) {
    auto canvas = paintingCanvas();
    ASSERT_NE(canvas, nullptr);
    canvas->changeBrush(kBrushTypePen);
    canvas->placeStamp({40, 40}, 23.7, 0.5);
    canvas->handleSingleTap({10, 10});
    canvas->handlePan(ui::GestureState::Began, {200, 200}, {});
    canvas->handlePan(ui::GestureState::Changed, {201, 200}, {});  // under 1.5 px: dropped
    canvas->handlePan(ui::GestureState::Ended, {201, 200}, {});
    const StrokeList& strokes = canvas->strokeBuffer();
    ASSERT_EQ(strokes.size(), 3u);
    EXPECT_EQ(strokes[0]->brushSize, 23);
    EXPECT_EQ(strokes[0]->points, (std::vector<StrokeSegment>{StrokeSegment(4, LinePoint{23.7f, {40, 40}})}));
    EXPECT_EQ(strokes[1]->brushSize, 23);  // the brush kept the stamp's size
    EXPECT_EQ(strokes[1]->points[0][0].width, 5);
    EXPECT_EQ(strokes[1]->points[0][0].pos, (graphics::Point{10, 566}));
    EXPECT_TRUE(strokes[2]->points.empty());
    EXPECT_EQ(strokes[2]->type, kBrushTypePen);
}

TEST(PaintingCanvas, ReplayUsesTheDefaultSizeForRecordedSizesOfZeroOrAbove99) {
    auto canvas = paintingCanvas();
    ASSERT_NE(canvas, nullptr);
    canvas->changeBrush(kBrushTypePen);
    struct Case {
        int64_t recorded;
        int64_t expected;
    };
    for (Case c : {Case{0, 2}, Case{150, 2}, Case{7, 7}}) {
        auto stroke = std::make_shared<Stroke>();
        stroke->type = kBrushTypeBrush;
        stroke->brushSize = c.recorded;
        stroke->points = {paintingrules::tapSegment({50, 50}, 5)};
        auto data = strokeBufferData({stroke});
        canvas->brushes[kBrushTypeBrush]->size = 33;
        ASSERT_TRUE(canvas->loadBufferData(*data).ok());
        EXPECT_EQ(canvas->brushes[kBrushTypeBrush]->size, c.expected) << c.recorded;
        // The selected brush and its size come back after the replay.
        EXPECT_EQ(canvas->currentBrush()->type, kBrushTypePen);
        EXPECT_EQ(canvas->currentBrush()->size, 15);
    }
}

TEST(CanvasUndo, ADragAfterUndoEmptiesRedoWhenPaintingButNotWhenMasking) {
    auto painting = paintingCanvas();
    auto masking = maskingCanvas(graphics::Image::filled(1024, 576, kSlot0));
    ASSERT_TRUE(painting && masking);
    painting->changeBrush(kBrushTypePen);
    for (StrokeCanvasView* canvas : std::initializer_list<StrokeCanvasView*>{painting.get(), masking.get()}) {
        EXPECT_FALSE(canvas->canUndo());
        canvas->undo();  // nothing to undo: nothing happens
        canvas->redo();
        canvas->handleSingleTap({100, 100});
        canvas->handleSingleTap({200, 100});
        canvas->undo();
        EXPECT_TRUE(canvas->canRedo());
        canvas->handlePan(ui::GestureState::Began, {300, 300}, {});
        canvas->handlePan(ui::GestureState::Changed, {340, 300}, {400, 0});
        canvas->handlePan(ui::GestureState::Ended, {350, 300}, {});
        EXPECT_EQ(canvas->strokeBuffer().size(), 2u);
    }
    EXPECT_FALSE(painting->canRedo());
    ASSERT_TRUE(masking->canRedo());
    masking->redo();  // the undone tap goes back on top of the newer drag
    EXPECT_EQ(masking->strokeBuffer().size(), 3u);
    EXPECT_EQ(masking->strokeBuffer().back()->points[0][0].pos, (graphics::Point{200, 476}));
}

TEST(MaskingCanvas, ATapClearsExactlyA25PixelSquare) {
    auto canvas = maskingCanvas(graphics::Image::filled(1024, 576, kSlot0));
    ASSERT_NE(canvas, nullptr);
    auto untouched = canvas->createImage();
    ASSERT_TRUE(untouched.has_value());
    EXPECT_EQ(pixel(*untouched, 0, 0), kSlot0);
    canvas->handleSingleTap({200, 150});
    auto image = canvas->createImage();
    Box changed = boxOf(*image, [](RGBA p) { return p != kSlot0; });
    Box cleared = boxOf(*image, isClear);
    EXPECT_EQ(cleared.count, 625);
    EXPECT_EQ(changed.count, 625);  // cleared or untouched, nothing between
    EXPECT_EQ(cleared.width(), 25);
    EXPECT_EQ(cleared.height(), 25);
    EXPECT_TRUE(cleared.contains(200, 150));
    // Undoing the only stroke restores the picture exactly.
    canvas->undo();
    EXPECT_TRUE(canvas->createImage()->bitmap() == untouched->bitmap());
}

TEST(MaskingCanvas, OneMaskPointHalvesColourAndAlpha) {
    auto canvas = maskingCanvas(graphics::Image::filled(1024, 576, kSlot0));
    ASSERT_NE(canvas, nullptr);
    // Mid-points 1,000 px apart: 128 one-pixel points 7.8 px apart, none overlapping.
    auto stroke = std::make_shared<Stroke>();
    stroke->type = MaskingView::kMaskStrokeType;
    stroke->points = {{{0.2f, {0.5, 100.5}}, {0.2f, {500.5, 100.5}}, {0.2f, {1000.5, 100.5}}}};
    ASSERT_TRUE(canvas->loadBufferData(*strokeBufferData({stroke})).ok());
    auto image = canvas->createImage();
    int halved = 0, other = 0;
    for (int y = 0; y < 576; ++y) {
        for (int x = 0; x < 1024; ++x) {
            RGBA p = pixel(*image, x, y);
            if (p == kSlot0) continue;
            bool isHalved = y == 475 && p == RGBA{114, 36, 9, 127};
            halved += isHalved;
            other += !isHalved;
        }
    }
    EXPECT_EQ(halved, 129);
    EXPECT_EQ(other, 0);
}

TEST(MaskingCanvas, TheBackgroundFillsTheCanvasUpright) {
    // A picture of another aspect ratio: top half red, bottom half blue.
    QImage picture(40, 40, QImage::Format_RGBA8888);
    picture.fill(QColor(0, 0, 255));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) picture.setPixelColor(x, y, QColor(255, 0, 0));
    auto canvas = maskingCanvas(graphics::Image(picture), {300, 100});
    ASSERT_NE(canvas, nullptr);
    auto image = canvas->createImage();
    EXPECT_EQ(pixel(*image, 0, 0), (RGBA{255, 0, 0, 255}));
    EXPECT_EQ(pixel(*image, 299, 20), (RGBA{255, 0, 0, 255}));
    EXPECT_EQ(pixel(*image, 0, 99), (RGBA{0, 0, 255, 255}));
    EXPECT_EQ(pixel(*image, 299, 80), (RGBA{0, 0, 255, 255}));
}

TEST(PaintingCanvas, ABufferStartingWithAMoveRecordReplaysWithoutDrawingIt) {
    auto move = std::make_shared<Stroke>();
    move->type = static_cast<int32_t>(kBrushTypeMove);
    move->points = {{LinePoint{0, {-30, -20}}}};
    auto pen = std::make_shared<Stroke>();
    pen->type = static_cast<int32_t>(kBrushTypePen);
    pen->red = 1, pen->alpha = 1;
    pen->brushSize = 15;
    pen->offset = {30, -20};
    pen->points = {paintingrules::tapSegment({100, 50}, 5)};
    auto canvas = paintingCanvas();
    ASSERT_NE(canvas, nullptr);
    ASSERT_TRUE(canvas->loadBufferData(*strokeBufferData({move, pen})).ok());
    auto image = canvas->createImage();
    Box painted = boxOf(*image, [](RGBA p) { return !isClear(p); });
    EXPECT_EQ(painted.count, 15 * 15);
    EXPECT_TRUE(painted.contains(130, 576 - 30));  // (100, 50) + offset, rows counted from the top
    EXPECT_EQ(pixel(*image, 130, 546), (RGBA{255, 0, 0, 255}));
    // Undoing the pen stroke leaves the move record, which draws nothing.
    canvas->undo();
    EXPECT_EQ(boxOf(*canvas->createImage(), [](RGBA p) { return !isClear(p); }).count, 0);
}

}  // namespace
