#include "CanvasTestSupport.h"
#include "support/WindowFixture.h"

namespace {

using namespace paintertest;

class CanvasTouchTest : public testsupport::WindowFixture {};

// Fingers on a canvas in a window reach its recognisers: a tap and a drag
// each record one stroke and paint, on both canvases.
TEST_F(CanvasTouchTest, TapsAndDragsOnScreenBecomeStrokes) {
    auto painting = paintingCanvas();
    auto masking = maskingCanvas(graphics::Image::filled(1024, 576, kSlot0));
    ASSERT_TRUE(painting && masking);
    for (const std::shared_ptr<StrokeCanvasView>& canvas :
         {std::static_pointer_cast<StrokeCanvasView>(painting), std::static_pointer_cast<StrokeCanvasView>(masking)}) {
        canvas->setFrame({{0, 100}, {1024, 576}});
        window->addSubview(canvas);
        canvas->layoutSubviews();
        if (canvas == painting) painting->changeBrush(kBrushTypePen);
        fingers.tap({300, 200});
        advance(1);
        ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
        EXPECT_EQ(canvas->strokeBuffer()[0]->points[0][0].pos, (graphics::Point{300, 476}));
        fingers.drag({{100, 400}, {400, 420}, {700, 400}}, 0.5);
        advance(1);
        ASSERT_EQ(canvas->strokeBuffer().size(), 2u);
        EXPECT_GT(canvas->strokeBuffer()[1]->points.size(), 2u);
        auto image = canvas->createImage();
        ASSERT_TRUE(image.has_value());
        // The tap's spot and a point on the drag's path are painted or rubbed.
        EXPECT_NE(pixel(*image, 300, 100), canvas == painting ? graphics::RGBA{} : kSlot0);
        EXPECT_NE(pixel(*image, 400, 320), canvas == painting ? graphics::RGBA{} : kSlot0);
        canvas->removeFromSuperview();
    }
}

}  // namespace
