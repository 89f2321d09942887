#include "app/widgets/popover/FWTPopoverGeometry.h"

#include <gtest/gtest.h>

using graphics::EdgeInsets;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

constexpr double kRadius = 6.0;
const EdgeInsets kSuggested{10, 10, 10, 10};

FWTPopoverArrow arrowPointing(FWTPopoverArrowDirection direction) {
    FWTPopoverArrow arrow;
    arrow.direction = direction;
    return arrow;
}

}  // namespace

TEST(AnnotationPopoverGeometry, ArrowHeightGoesToTheInsetOfItsSide) {
    EXPECT_EQ(arrowPointing(FWTPopoverArrowDirectionUp).adjustedEdgeInsetsForEdgeInsets(kSuggested),
              (EdgeInsets{20, 10, 10, 10}));
    EXPECT_EQ(arrowPointing(FWTPopoverArrowDirectionDown).adjustedEdgeInsetsForEdgeInsets(kSuggested),
              (EdgeInsets{10, 10, 20, 10}));
    EXPECT_EQ(arrowPointing(FWTPopoverArrowDirectionLeft).adjustedEdgeInsetsForEdgeInsets(kSuggested),
              (EdgeInsets{10, 20, 10, 10}));
    EXPECT_EQ(arrowPointing(FWTPopoverArrowDirectionRight).adjustedEdgeInsetsForEdgeInsets(kSuggested),
              (EdgeInsets{10, 10, 10, 20}));
    EXPECT_EQ(arrowPointing(FWTPopoverArrowDirectionNone).adjustedEdgeInsetsForEdgeInsets(kSuggested), kSuggested);

    // Only the arrow's height counts, whatever its width.
    FWTPopoverArrow wide = arrowPointing(FWTPopoverArrowDirectionUp);
    wide.size = {30, 7};
    EXPECT_EQ(wide.adjustedEdgeInsetsForEdgeInsets(kSuggested), (EdgeInsets{17, 10, 10, 10}));
}

TEST(AnnotationPopoverGeometry, AnchorPointPerDirection) {
    const Rect target(100, 200, 40, 20);  // centre (120, 210)
    const Size size{180, 90};
    EXPECT_EQ(FWTPopoverGeometry::midPointForRect(target, size, arrowPointing(FWTPopoverArrowDirectionUp)),
              (Point{30, 210}));
    EXPECT_EQ(FWTPopoverGeometry::midPointForRect(target, size, arrowPointing(FWTPopoverArrowDirectionDown)),
              (Point{30, 120}));
    EXPECT_EQ(FWTPopoverGeometry::midPointForRect(target, size, arrowPointing(FWTPopoverArrowDirectionLeft)),
              (Point{120, 165}));
    EXPECT_EQ(FWTPopoverGeometry::midPointForRect(target, size, arrowPointing(FWTPopoverArrowDirectionRight)),
              (Point{-60, 165}));
    EXPECT_EQ(FWTPopoverGeometry::midPointForRect(target, size, arrowPointing(FWTPopoverArrowDirectionNone)),
              (Point{30, 165}));
    // A value that is no single direction puts the origin on the target's centre.
    EXPECT_EQ(FWTPopoverGeometry::midPointForRect(
                  target, size, arrowPointing(FWTPopoverArrowDirectionUp | FWTPopoverArrowDirectionLeft)),
              (Point{120, 210}));

    // The arrow's offset and the tip's corner offset both shift the popover
    // the other way along the arrow's edge.
    FWTPopoverArrow shifted = arrowPointing(FWTPopoverArrowDirectionUp);
    shifted.offset = 5;
    shifted.cornerOffset = 3;
    EXPECT_EQ(FWTPopoverGeometry::midPointForRect(target, size, shifted), (Point{22, 210}));
}

TEST(AnnotationPopoverGeometry, OnePointWideOrHighTargetAnchorsAtItsOrigin) {
    const Size size{180, 90};
    const auto up = arrowPointing(FWTPopoverArrowDirectionUp);
    EXPECT_EQ(FWTPopoverGeometry::midPointForRect(Rect(100, 200, 1, 1), size, up), (Point{10, 200}));
    // Only the axis that is one point long takes the origin.
    EXPECT_EQ(FWTPopoverGeometry::midPointForRect(Rect(100, 200, 1, 30), size, up), (Point{10, 215}));
    EXPECT_EQ(FWTPopoverGeometry::midPointForRect(Rect(100, 200, 2, 1), size, up), (Point{11, 200}));
}

TEST(AnnotationPopoverGeometry, KeepingInsideTheSuperview) {
    const Rect bounds(0, 0, 400, 300);
    // 30 past the right edge: moved 30 to the left.
    auto a = FWTPopoverGeometry::adjustmentForFrame(Rect(250, 50, 180, 90), bounds);
    EXPECT_EQ(a.frame, Rect(220, 50, 180, 90));
    EXPECT_DOUBLE_EQ(a.dx, 30);
    EXPECT_DOUBLE_EQ(a.dy, 0);
    EXPECT_DOUBLE_EQ(a.sign, 1);

    // 20 past the left and 15 past the top: moved right and down, sign -1.
    a = FWTPopoverGeometry::adjustmentForFrame(Rect(-20, -15, 180, 90), bounds);
    EXPECT_EQ(a.frame, Rect(0, 0, 180, 90));
    EXPECT_DOUBLE_EQ(a.dx, 20);
    EXPECT_DOUBLE_EQ(a.dy, 15);
    EXPECT_DOUBLE_EQ(a.sign, -1);

    // 40 past the bottom.
    a = FWTPopoverGeometry::adjustmentForFrame(Rect(10, 250, 180, 90), bounds);
    EXPECT_EQ(a.frame, Rect(10, 210, 180, 90));
    EXPECT_DOUBLE_EQ(a.sign, 1);

    // Inside: untouched.
    a = FWTPopoverGeometry::adjustmentForFrame(Rect(10, 10, 180, 90), bounds);
    EXPECT_EQ(a.frame, Rect(10, 10, 180, 90));
    EXPECT_DOUBLE_EQ(a.dx, 0);
    EXPECT_DOUBLE_EQ(a.dy, 0);
}

TEST(AnnotationPopoverGeometry, FrameAtZeroThatOverflowsOnTheRightMovesLeft) {
    auto a = FWTPopoverGeometry::adjustmentForFrame(Rect(0, 0, 450, 90), Rect(0, 0, 400, 300));
    EXPECT_EQ(a.frame, Rect(-50, 0, 450, 90));
    EXPECT_DOUBLE_EQ(a.sign, 1);
}

TEST(AnnotationPopoverGeometry, FrameWhollyOutsideStaysWhereItIs) {
    auto a = FWTPopoverGeometry::adjustmentForFrame(Rect(900, 10, 180, 90), Rect(0, 0, 400, 300));
    EXPECT_EQ(a.frame, Rect(900, 10, 180, 90));
}

TEST(AnnotationPopoverGeometry, ArrowFollowsTheTargetUpToTheCornerLimit) {
    const EdgeInsets insets{20, 10, 10, 10};
    const Size size{180, 90};
    // Limit = (180 - 20 - 12) / 2 - 6 = 68.
    EXPECT_DOUBLE_EQ(
        FWTPopoverGeometry::arrowOffsetForDelta(30, 0, 1, FWTPopoverArrowDirectionUp, size, insets, kRadius), 30);
    EXPECT_DOUBLE_EQ(
        FWTPopoverGeometry::arrowOffsetForDelta(30, 0, -1, FWTPopoverArrowDirectionDown, size, insets, kRadius), -30);
    EXPECT_DOUBLE_EQ(
        FWTPopoverGeometry::arrowOffsetForDelta(100, 0, 1, FWTPopoverArrowDirectionUp, size, insets, kRadius), 68);
    EXPECT_DOUBLE_EQ(
        FWTPopoverGeometry::arrowOffsetForDelta(100, 0, -1, FWTPopoverArrowDirectionUp, size, insets, kRadius), -68);
    // The limit compares whole points: 68.5 still counts as within.
    EXPECT_DOUBLE_EQ(
        FWTPopoverGeometry::arrowOffsetForDelta(68.5, 0, 1, FWTPopoverArrowDirectionUp, size, insets, kRadius), 68.5);
    // Side arrows follow dy; limit = (90 - 30 - 12) / 2 - 6 = 18.
    EXPECT_DOUBLE_EQ(
        FWTPopoverGeometry::arrowOffsetForDelta(99, 25, 1, FWTPopoverArrowDirectionLeft, size, insets, kRadius), 18);
    EXPECT_DOUBLE_EQ(
        FWTPopoverGeometry::arrowOffsetForDelta(30, 40, 1, FWTPopoverArrowDirectionNone, size, insets, kRadius), 0);
}

TEST(AnnotationPopoverGeometry, TinyBodyKeepsItsArrowCentred) {
    // Limit would be (40 - 20 - 12) / 2 - 6 = -2: no travel at all, never a jump.
    const EdgeInsets insets{20, 10, 10, 10};
    EXPECT_DOUBLE_EQ(
        FWTPopoverGeometry::arrowOffsetForDelta(0, 0, 1, FWTPopoverArrowDirectionUp, {40, 60}, insets, kRadius), 0);
    EXPECT_DOUBLE_EQ(
        FWTPopoverGeometry::arrowOffsetForDelta(10, 0, 1, FWTPopoverArrowDirectionUp, {40, 60}, insets, kRadius), 0);
}

TEST(AnnotationPopoverGeometry, BackgroundPictureStretchesAlongTheFreeAxis) {
    const EdgeInsets left{10, 20, 10, 10};
    auto l = FWTPopoverGeometry::backgroundLayoutForSize({180, 80}, left, FWTPopoverArrowDirectionLeft, kRadius);
    EXPECT_EQ(l.imageSize, (Size{43, 80}));
    EXPECT_EQ(l.capInsets, (EdgeInsets{0, 26, 0, 16}));
    EXPECT_EQ(l.pathFrame, Rect(20, 10, 13, 60));

    l = FWTPopoverGeometry::backgroundLayoutForSize({180, 80}, kSuggested, FWTPopoverArrowDirectionNone, kRadius);
    EXPECT_EQ(l.imageSize, (Size{33, 33}));
    EXPECT_EQ(l.capInsets, (EdgeInsets{16, 16, 16, 16}));

    l = FWTPopoverGeometry::backgroundLayoutForSize({180, 80}, kSuggested, 3, kRadius);
    EXPECT_EQ(l.imageSize, (Size{180, 80}));
    EXPECT_EQ(l.capInsets, EdgeInsets{});
}

TEST(AnnotationPopoverGeometry, OutlineCarriesTheArrowOnItsSide) {
    const Rect body(10, 20, 160, 60);
    FWTPopoverArrow up = arrowPointing(FWTPopoverArrowDirectionUp);
    graphics::Path path = FWTPopoverGeometry::bezierPathForRect(body, kRadius, up);
    EXPECT_EQ(path.bounds(), Rect(10, 10, 160, 70));
    // Inside the arrow, just under its tip at (90, 10).
    EXPECT_TRUE(path.contains({90, 12}));
    // Above the body beside the arrow, and the rounded-off corner.
    EXPECT_FALSE(path.contains({60, 15}));
    EXPECT_FALSE(path.contains({10.5, 20.5}));
    EXPECT_TRUE(path.contains({100, 50}));

    // The offset shifts the arrow, the corner offset only its tip.
    up.offset = 20;
    up.cornerOffset = 4;
    path = FWTPopoverGeometry::bezierPathForRect(body, kRadius, up);
    EXPECT_TRUE(path.contains({114, 11}));
    EXPECT_FALSE(path.contains({90, 12}));
    EXPECT_EQ(FWTPopoverGeometry::arrowRect(body, kRadius, up), Rect(105, 10, 10, 10));

    for (auto [direction, tip] :
         {std::pair{FWTPopoverArrowDirectionDown, Point{90, 89}}, std::pair{FWTPopoverArrowDirectionLeft, Point{1, 50}},
          std::pair{FWTPopoverArrowDirectionRight, Point{179, 50}}}) {
        FWTPopoverArrow arrow = arrowPointing(direction);
        graphics::Path p = FWTPopoverGeometry::bezierPathForRect(body, kRadius, arrow);
        EXPECT_TRUE(p.contains(tip)) << direction;
        EXPECT_FALSE(path.contains(tip)) << direction;
    }
    EXPECT_EQ(FWTPopoverGeometry::arrowRect(body, kRadius, arrowPointing(FWTPopoverArrowDirectionNone)), Rect::zero());
    EXPECT_EQ(
        FWTPopoverGeometry::bezierPathForRect(body, kRadius, arrowPointing(FWTPopoverArrowDirectionNone)).bounds(),
        body);
}
