#include "CanvasTestSupport.h"
#include "platform/ui/gestures/GestureRecognizer.h"

#include <cmath>
#include <limits>

namespace {

using namespace paintertest;

TEST(PixelBox, AroundASpriteHoldsEveryPixelItCanTouch) {
    struct Case {
        CanvasSprite sprite;
        PixelBox expected;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Case& c : {
             Case{{100, 100, 15}, {91, 91, 109, 109}},               // 92.5 … 107.5, one pixel more each side
             Case{{10.25f, 20.75f, 4}, {7, 17, 14, 24}},             // 8.25 … 12.25, 18.75 … 22.75
             Case{{50, 50, 0.2f}, {48, 48, 52, 52}},                 // below a pixel: GL still draws one
             Case{{-3e9f, 5, 10}, {-100000001, -1, -99999999, 11}},  // far off: clamped, no overflow
             Case{{nan, 5, 10}, {}},
         }) {
        PixelBox box = PixelBox::around(c.sprite);
        EXPECT_EQ(std::tie(box.left, box.bottom, box.right, box.top),
                  std::tie(c.expected.left, c.expected.bottom, c.expected.right, c.expected.top))
            << c.sprite.x << "," << c.sprite.y << " size " << c.sprite.size;
    }
}

TEST(PixelBox, UnitesAndClipsToTheCanvas) {
    struct Case {
        PixelBox a, b;
        PixelBox united;   // a ∪ b
        PixelBox clipped;  // a ∪ b inside 100 × 50
    };
    for (const Case& c : {
             Case{{0, 0, 10, 10}, {20, 5, 30, 8}, {0, 0, 30, 10}, {0, 0, 30, 10}},
             Case{{}, {20, 5, 30, 8}, {20, 5, 30, 8}, {20, 5, 30, 8}},  // empty adds nothing
             Case{{20, 5, 30, 8}, {}, {20, 5, 30, 8}, {20, 5, 30, 8}},
             Case{{-5, -5, 3, 3}, {90, 40, 120, 60}, {-5, -5, 120, 60}, {0, 0, 100, 50}},
             Case{{-20, -20, -10, -10}, {}, {-20, -20, -10, -10}, {}},  // wholly outside: empty
         }) {
        PixelBox u = c.a.united(c.b);
        PixelBox k = u.clipped(100, 50);
        EXPECT_EQ(std::tie(u.left, u.bottom, u.right, u.top),
                  std::tie(c.united.left, c.united.bottom, c.united.right, c.united.top));
        EXPECT_EQ(k.isEmpty(), c.clipped.isEmpty());
        if (!k.isEmpty()) {
            EXPECT_EQ(std::tie(k.left, k.bottom, k.right, k.top),
                      std::tie(c.clipped.left, c.clipped.bottom, c.clipped.right, c.clipped.top));
        }
    }
}

// After every step the layer shows exactly what a full read-back of the
// framebuffer gives, though only the changed part was read back.
TEST(CanvasPresent, TheLayerAlwaysShowsTheWholeFramebuffer) {
    auto canvas = paintingCanvas({300, 200}, 40);
    ASSERT_NE(canvas, nullptr);
    auto shownMatchesFramebuffer = [&](const char* step) {
        auto full = canvas->createImage();
        ASSERT_TRUE(full.has_value()) << step;
        ASSERT_TRUE(canvas->layer().contents().has_value()) << step;
        EXPECT_TRUE(canvas->layer().contents()->bitmap() == full->bitmap()) << step;
    };
    canvas->changeBrush(kBrushTypeBrush);
    canvas->handlePan(ui::GestureState::Began, {20, 30}, {600, 0});
    std::optional<graphics::Image> held;
    for (int i = 1; i <= 12; ++i) {
        canvas->handlePan(ui::GestureState::Changed, {20.0 + 21 * i, 30.0 + 13 * i}, {600, 400});
        shownMatchesFramebuffer("drag");
        if (i == 6) held = canvas->layer().contents();
    }
    canvas->handlePan(ui::GestureState::Ended, {272, 186}, {});
    // A picture handed out earlier keeps what it showed then.
    ASSERT_TRUE(held.has_value());
    EXPECT_FALSE(held->bitmap() == canvas->layer().contents()->bitmap());
    EXPECT_TRUE(isClear(pixel(*held, 272, 200 - 186)));
    // Off the edges: a tap centred outside the canvas and one at a corner.
    canvas->changeBrush(kBrushTypePen);
    for (graphics::Point tap : {graphics::Point{-5, 100}, graphics::Point{299, 0}, graphics::Point{150, 205}}) {
        canvas->handleSingleTap(tap);
        shownMatchesFramebuffer("tap");
    }
    canvas->undo();
    shownMatchesFramebuffer("undo");
    canvas->changeBrush(kBrushTypeEraser);
    canvas->handleSingleTap({60, 60});
    shownMatchesFramebuffer("eraser");
    canvas->erase();
    shownMatchesFramebuffer("erase");
    EXPECT_EQ(boxOf(*canvas->layer().contents(), [](graphics::RGBA p) { return !isClear(p); }).count, 0);
}

TEST(CanvasPresent, AMaskingCanvasShowsItsBackgroundAndTheClearedSquares) {
    auto canvas = maskingCanvas(graphics::Image::filled(200, 100, kSlot0), {200, 100});
    ASSERT_NE(canvas, nullptr);
    canvas->handleSingleTap({50, 50});
    canvas->undo();  // the background is drawn again by a replay
    canvas->handleSingleTap({120, 30});
    auto full = canvas->createImage();
    ASSERT_TRUE(full && canvas->layer().contents());
    EXPECT_TRUE(canvas->layer().contents()->bitmap() == full->bitmap());
    EXPECT_EQ(pixel(*canvas->layer().contents(), 50, 50), kSlot0);
    EXPECT_TRUE(isClear(pixel(*canvas->layer().contents(), 120, 30)));
}

}  // namespace
