#include "Printers.h"
#include "platform/graphics/Path.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace graphics;

namespace {

constexpr double kPi = std::numbers::pi;

}  // namespace

TEST(PathTest, ClockwiseArcsGrowTheAngleOnScreen) {
    // From 0 to pi/2 clockwise on a y-down screen is the quarter below the
    // centre's right; counter-clockwise it is the other three quarters.
    Path clockwise = Path::arc(Point{0, 0}, 10, 0, kPi / 2, true);
    clockwise.close();
    EXPECT_TRUE(clockwise.contains(Point{5, 5}));
    EXPECT_FALSE(clockwise.contains(Point{-5, -5}));
    Path counter = Path::arc(Point{0, 0}, 10, 0, kPi / 2, false);
    counter.lineTo({0, 0});
    counter.close();
    EXPECT_TRUE(counter.contains(Point{-5, -5}));
    EXPECT_FALSE(counter.contains(Point{5, 5}));
    auto end = clockwise.currentPoint();
    ASSERT_TRUE(end);
    EXPECT_NEAR(end->x, 10, 1e-9);  // close() returns to the start
}

TEST(PathTest, ArcSweepsWrapAndFullCircles) {
    Path full = Path::arc(Point{50, 50}, 10, 0, 2 * kPi, true);
    Rect box = full.bounds();
    EXPECT_NEAR(box.minX(), 40, 1e-6);
    EXPECT_NEAR(box.maxY(), 60, 1e-6);
    // From 3pi/2 to pi/2 clockwise passes through 0: the right half.
    Path right = Path::arc(Point{0, 0}, 10, 3 * kPi / 2, kPi / 2, true);
    right.close();
    EXPECT_TRUE(right.contains(Point{5, 0}));
    EXPECT_FALSE(right.contains(Point{-5, 0}));
}

TEST(PathTest, ArcToPointRoundsTheCorner) {
    Path path;
    path.moveTo({0, 0});
    path.addArcToPoint(Point{20, 0}, Point{20, 20}, 5);
    auto end = path.currentPoint();
    ASSERT_TRUE(end);
    // The arc ends where it touches the second leg, radius before the corner.
    EXPECT_NEAR(end->x, 20, 1e-6);
    EXPECT_NEAR(end->y, 5, 1e-6);
    // Collinear legs have no corner: a straight line to the first point.
    Path straight;
    straight.moveTo({0, 0});
    straight.addArcToPoint(Point{10, 0}, Point{20, 0}, 5);
    EXPECT_EQ(straight.currentPoint(), (Point{10, 0}));
}

TEST(PathTest, RoundedRectsCutTheirCorners) {
    Path rounded = Path::roundedRect(Rect(0, 0, 40, 20), 8);
    EXPECT_TRUE(rounded.contains(Point{20, 10}));
    EXPECT_TRUE(rounded.contains(Point{1, 10}));
    EXPECT_FALSE(rounded.contains(Point{0.5, 0.5}));
    // A radius beyond half the height is limited to it (a pill).
    Path pill = Path::roundedRect(Rect(0, 0, 40, 20), 100);
    EXPECT_TRUE(pill.contains(Point{20, 1}));
    EXPECT_FALSE(pill.contains(Point{2, 2}));
}

TEST(PathTest, EmptyPathsAndTransforms) {
    Path empty;
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_TRUE(empty.bounds().isNull());
    EXPECT_FALSE(empty.currentPoint());
    // A line without a start point begins there instead of from (0, 0).
    empty.lineTo({5, 5});
    EXPECT_EQ(empty.bounds(), Rect(5, 5, 0, 0));
    Path square = Path::rect(Rect(0, 0, 10, 10));
    square.apply(AffineTransform::makeScale(2, 3).translated(1, 1));
    EXPECT_EQ(square.bounds(), Rect(2, 3, 20, 30));
    Path rings;
    rings.addEllipse(Rect(0, 0, 30, 30));
    rings.addEllipse(Rect(10, 10, 10, 10));
    EXPECT_TRUE(rings.contains(Point{15, 15}, FillRule::NonZero));
    EXPECT_FALSE(rings.contains(Point{15, 15}, FillRule::EvenOdd));
    rings.removeAll();
    EXPECT_TRUE(rings.isEmpty());
}
