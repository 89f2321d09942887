#include "app/widgets/popover/WEPopoverContainerGeometry.h"

#include <gtest/gtest.h>

using graphics::Rect;
using graphics::Size;

namespace {

WEPopoverContainerViewProperties defaultLook() {
    WEPopoverContainerViewProperties p;
    p.leftBgMargin = p.rightBgMargin = p.topBgMargin = p.bottomBgMargin = 6.0;
    p.leftContentMargin = p.rightContentMargin = p.topContentMargin = p.bottomContentMargin = 2.0;
    p.arrowMargin = 1.0;
    return p;
}

// Up and down arrows 20 wide and 10 high, left and right ones turned.
const WEPopoverArrowSizes kArrows{{20, 10}, {20, 10}, {10, 20}, {10, 20}};
const WEPopoverArrowSizes kSquareArrows{{20, 20}, {20, 20}, {20, 20}, {20, 20}};
const Rect kDisplay(0, 0, 1024, 748);

WEPopoverContainerGeometry determine(Size size, Rect anchor, Rect display, PopoverArrowDirection mask,
                                     const WEPopoverArrowSizes& arrows = kArrows) {
    return WEPopoverContainerGeometry::determine(size, anchor, display, mask, defaultLook(), arrows);
}

}  // namespace

TEST(ArrowPopoverGeometry, NearTheLeftEdgeThePanelStopsAtZeroAndTheArrowSlidesLeft) {
    // Anchor point x = 20: the panel would start at -80.
    auto g = determine({200, 100}, Rect(10, 50, 20, 20), kDisplay, kPopoverArrowDirectionUp);
    EXPECT_DOUBLE_EQ(g.offset.x, 0);
    EXPECT_DOUBLE_EQ(g.arrowRect.midX(), 20);

    // Anchor point x = 5: the arrow would have to leave the body; it stops
    // at the left background margin plus the arrow margin.
    g = determine({200, 100}, Rect(0, 50, 10, 20), kDisplay, kPopoverArrowDirectionUp);
    EXPECT_DOUBLE_EQ(g.offset.x, 0);
    EXPECT_DOUBLE_EQ(g.arrowRect.minX(), 7);
}

TEST(ArrowPopoverGeometry, NearTheRightEdgeThePanelStopsAtTheDisplayWidth) {
    auto g = determine({200, 100}, Rect(1010, 50, 10, 20), kDisplay, kPopoverArrowDirectionDown);
    ASSERT_EQ(g.arrowDirection, kPopoverArrowDirectionDown);
    EXPECT_DOUBLE_EQ(g.offset.x + 200, 1024);
    // x = 1015 would be at 191 in the panel; the arrow stops 7 before the end.
    EXPECT_DOUBLE_EQ(g.arrowRect.maxX(), 200 - 7);
}

TEST(ArrowPopoverGeometry, DisplayAreaAwayFromTheOriginKeepsThePanelCentred) {
    // The anchor view sits at (400, 100) on screen, so the screen is at
    // (-400, -100) in its coordinates; its own bounds are the anchor.
    const Rect display(-400, -100, 1024, 748);
    auto g = determine({200, 100}, Rect(0, 0, 60, 40), display, kPopoverArrowDirectionUp);
    EXPECT_DOUBLE_EQ(g.offset.x, -70);
    EXPECT_DOUBLE_EQ(g.arrowRect.midX(), 100);

    // Near the screen's left edge it still stops there, not at the view's edge.
    g = determine({200, 100}, Rect(-390, 0, 20, 40), display, kPopoverArrowDirectionUp);
    EXPECT_DOUBLE_EQ(g.offset.x, -400);
    EXPECT_DOUBLE_EQ(g.arrowRect.midX(), 20);
    // Side arrows likewise along the height.
    g = determine({100, 200}, Rect(0, -80, 20, 10), display, kPopoverArrowDirectionLeft);
    EXPECT_DOUBLE_EQ(g.offset.y, -100);
    EXPECT_DOUBLE_EQ(g.offset.y + g.arrowRect.midY(), -75);
}

TEST(ArrowPopoverGeometry, AnyDirectionWithEqualFitsTakesTheRightArrow) {
    auto g =
        determine({100, 100}, Rect(500, 500, 0, 0), Rect(0, 0, 1000, 1000), kPopoverArrowDirectionAny, kSquareArrows);
    EXPECT_EQ(g.arrowDirection, kPopoverArrowDirectionRight);
    // The panel lies left of the anchor.
    EXPECT_DOUBLE_EQ(g.offset.x + g.arrowRect.maxX(), 500);

    // Without right, left is the last of the equals.
    g = determine({100, 100}, Rect(500, 500, 0, 0), Rect(0, 0, 1000, 1000),
                  kPopoverArrowDirectionUp | kPopoverArrowDirectionDown | kPopoverArrowDirectionLeft, kSquareArrows);
    EXPECT_EQ(g.arrowDirection, kPopoverArrowDirectionLeft);
}

TEST(ArrowPopoverGeometry, AnyDirectionPrefersTheWidestMargin) {
    // Close to the top: only the up arrow leaves room on every side.
    auto g =
        determine({100, 100}, Rect(500, 40, 0, 10), Rect(0, 0, 1000, 1000), kPopoverArrowDirectionAny, kSquareArrows);
    EXPECT_EQ(g.arrowDirection, kPopoverArrowDirectionUp);

    // Close to the bottom: down.
    g = determine({100, 100}, Rect(500, 950, 0, 10), Rect(0, 0, 1000, 1000), kPopoverArrowDirectionAny, kSquareArrows);
    EXPECT_EQ(g.arrowDirection, kPopoverArrowDirectionDown);

    // Close to the right edge, vertically centred: left of the anchor (right arrow).
    g = determine({100, 100}, Rect(960, 500, 10, 0), Rect(0, 0, 1000, 1000), kPopoverArrowDirectionAny, kSquareArrows);
    EXPECT_EQ(g.arrowDirection, kPopoverArrowDirectionRight);
}

TEST(ArrowPopoverGeometry, PanelTallerThanTheDisplayIsShortenedAndItsContentWithIt) {
    auto g = determine({100, 400}, Rect(100, 150, 0, 0), Rect(0, 0, 500, 300), kPopoverArrowDirectionLeft);
    ASSERT_EQ(g.arrowDirection, kPopoverArrowDirectionLeft);
    EXPECT_DOUBLE_EQ(g.offset.y, 0);
    EXPECT_EQ(g.bgRect, Rect(0, 0, 100, 300));
    // Still pointing at the anchor.
    EXPECT_DOUBLE_EQ(g.arrowRect.midY(), 150);
    auto layout = WEPopoverContainerLayout::layout(g);
    EXPECT_DOUBLE_EQ(layout.frame.height(), 300);
    EXPECT_DOUBLE_EQ(layout.contentRect(defaultLook()).size.height, 300 - 12 - 4);
}

TEST(ArrowPopoverGeometry, PanelCutAtTheLeftKeepsTheRightArrowOnItsBody) {
    auto g = determine({200, 100}, Rect(50, 300, 0, 20), kDisplay, kPopoverArrowDirectionRight);
    ASSERT_EQ(g.arrowDirection, kPopoverArrowDirectionRight);
    EXPECT_DOUBLE_EQ(g.offset.x, 0);
    // 154 of the 200 stick out; the arrow stays at the body's right side
    // and its tip still reaches the anchor.
    EXPECT_DOUBLE_EQ(g.bgRect.width(), 46);
    EXPECT_DOUBLE_EQ(g.arrowRect.minX(), 40);
    EXPECT_DOUBLE_EQ(g.offset.x + g.arrowRect.maxX(), 50);
}

TEST(ArrowPopoverGeometry, NoPermittedDirectionGivesNothing) {
    auto g = determine({200, 100}, Rect(400, 300, 10, 10), kDisplay, 0);
    EXPECT_FALSE(g.hasDirection());
    EXPECT_EQ(g.arrowDirection, kPopoverArrowDirectionUnknown);
    EXPECT_EQ(g.bgRect, Rect::zero());
    EXPECT_EQ(g.arrowRect, Rect::zero());
    EXPECT_EQ(WEPopoverContainerLayout::layout(g).frame, Rect::zero());

    // Bits above the four directions are not directions either.
    EXPECT_FALSE(determine({200, 100}, Rect(400, 300, 10, 10), kDisplay, 16).hasDirection());
}

TEST(ArrowPopoverGeometry, AnchorOutsideTheDisplayGivesNoNegativePanel) {
    auto g = determine({200, 100}, Rect(-600, 300, 10, 10), kDisplay, kPopoverArrowDirectionRight);
    EXPECT_GE(g.bgRect.size.width, 0);
    EXPECT_GE(g.bgRect.size.height, 0);
}

TEST(ArrowPopoverGeometry, ContentRectGivesBackTheContentSize) {
    // The container adds margins of 6 + 2 on each side to the content size.
    const Size content{184, 84};
    const Size corrected{content.width + 16, content.height + 16};
    for (PopoverArrowDirection d : {kPopoverArrowDirectionUp, kPopoverArrowDirectionDown, kPopoverArrowDirectionLeft,
                                    kPopoverArrowDirectionRight}) {
        auto layout = WEPopoverContainerLayout::layout(determine(corrected, Rect(500, 350, 10, 10), kDisplay, d));
        Rect contentRect = layout.contentRect(defaultLook());
        EXPECT_EQ(contentRect.size, content) << "direction " << d;
        // The content lies inside the body, clear of the arrow.
        EXPECT_TRUE(layout.bgRect.contains(contentRect)) << "direction " << d;
        EXPECT_FALSE(contentRect.intersects(layout.arrowRect)) << "direction " << d;
    }
}
