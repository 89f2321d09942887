#include "Printers.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Transform3D.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace graphics;

namespace {

constexpr double kPi = std::numbers::pi;

void expectPointNear(Point actual, Point expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
}

}  // namespace

TEST(RectTest, EdgesOfNegativeSizesCountFromTheFarSide) {
    Rect r(10, 20, -4, -6);
    EXPECT_EQ(r.minX(), 6);
    EXPECT_EQ(r.maxX(), 10);
    EXPECT_EQ(r.minY(), 14);
    EXPECT_EQ(r.maxY(), 20);
    EXPECT_EQ(r.width(), 4);
    EXPECT_EQ(r.standardized(), Rect(6, 14, 4, 6));
}

TEST(RectTest, IntersectionAndUnion) {
    Rect a(0, 0, 10, 10);
    EXPECT_EQ(a.intersection(Rect(5, 5, 10, 10)), Rect(5, 5, 5, 5));
    // Disjoint rectangles meet nowhere: the null rectangle, not a zero one.
    EXPECT_TRUE(a.intersection(Rect(20, 20, 1, 1)).isNull());
    // Touching edges give an empty but real rectangle.
    Rect touching = a.intersection(Rect(10, 0, 5, 5));
    EXPECT_FALSE(touching.isNull());
    EXPECT_TRUE(touching.isEmpty());
    EXPECT_FALSE(a.intersects(Rect(10, 0, 5, 5)));
    EXPECT_EQ(a.unionWith(Rect(20, -5, 1, 1)), Rect(0, -5, 21, 15));
    EXPECT_EQ(Rect::null().unionWith(a), a);
    EXPECT_EQ(a.unionWith(Rect::null()), a);
}

TEST(RectTest, InsetOffsetIntegralContains) {
    Rect a(0, 0, 10, 10);
    EXPECT_EQ(a.insetBy(2, 3), Rect(2, 3, 6, 4));
    EXPECT_EQ(a.insetBy(-1, -1), Rect(-1, -1, 12, 12));
    EXPECT_TRUE(a.insetBy(6, 0).isNull());
    EXPECT_EQ(a.inset(EdgeInsets{1, 2, 3, 4}), Rect(2, 1, 4, 6));
    EXPECT_EQ(a.offsetBy(5, -5), Rect(5, -5, 10, 10));
    EXPECT_EQ(Rect(0.5, 1.2, 2.0, 2.9).integral(), Rect(0, 1, 3, 4));
    EXPECT_EQ(Rect(-0.5, -0.5, 1, 1).integral(), Rect(-1, -1, 2, 2));
    EXPECT_TRUE(a.contains(Point{0, 0}));
    EXPECT_FALSE(a.contains(Point{10, 5}));  // the max edge is outside
    EXPECT_TRUE(a.contains(Rect(2, 2, 8, 8)));
    EXPECT_FALSE(a.contains(Rect(2, 2, 9, 8)));
    EXPECT_TRUE(Rect::zero().isEmpty());
    EXPECT_FALSE(Rect::zero().isNull());
}

TEST(GeometryTextTest, WritesAsThePlatformPrints) {
    EXPECT_EQ(Rect(0, 0, 320, 568).toString(), "{{0, 0}, {320, 568}}");
    EXPECT_EQ(Rect(1.5, -2.25, 0.1, 3).toString(), "{{1.5, -2.25}, {0.1, 3}}");
    EXPECT_EQ((Point{-0.0, 7}.toString()), "{0, 7}");
    EXPECT_EQ((Size{1024, 768}.toString()), "{1024, 768}");
}

TEST(GeometryTextTest, ReadsBackExactlyAndRejectsDamage) {
    Rect r(1.0 / 3.0, 1e-7, 12345.678, -2);
    EXPECT_EQ(Rect::fromString(r.toString()), r);
    EXPECT_EQ(Rect::fromString("  {{1,2},{3,4}} "), Rect(1, 2, 3, 4));
    EXPECT_EQ(Point::fromString("{+3, -4.5}"), (Point{3, -4.5}));
    EXPECT_EQ(Size::fromString("{ 10 , 20 }"), (Size{10, 20}));
    EXPECT_FALSE(Rect::fromString("{{1, 2}, {3}}"));
    EXPECT_FALSE(Rect::fromString("{{1, 2}, {3, 4}} x"));
    EXPECT_FALSE(Rect::fromString("{1, 2, 3, 4}"));
    EXPECT_FALSE(Point::fromString("{1; 2}"));
    EXPECT_FALSE(Point::fromString("{nan, 2}"));
    EXPECT_FALSE(Point::fromString(""));
}

TEST(AffineTransformTest, ConcatAppliesTheFirstTransformFirst) {
    AffineTransform scale = AffineTransform::makeScale(2, 3);
    AffineTransform move = AffineTransform::makeTranslation(10, 20);
    // Scale, then move: (1, 1) → (2, 3) → (12, 23).
    EXPECT_EQ(concat(scale, move).apply(Point{1, 1}), (Point{12, 23}));
    // Move, then scale: (1, 1) → (11, 21) → (22, 63).
    EXPECT_EQ(concat(move, scale).apply(Point{1, 1}), (Point{22, 63}));
    // translated() puts the new step before the existing one.
    EXPECT_EQ(scale.translated(10, 20), concat(move, scale));
}

TEST(AffineTransformTest, RotationTurnsClockwiseOnScreen) {
    AffineTransform quarter = AffineTransform::makeRotation(kPi / 2);
    expectPointNear(quarter.apply(Point{1, 0}), Point{0, 1});
    // The table of upright transforms: translate (h, 0) then rotate by pi/2
    // maps the bitmap's top-left corner to the right edge.
    AffineTransform right = AffineTransform::makeTranslation(30, 0).rotated(kPi / 2);
    expectPointNear(right.apply(Point{0, 0}), Point{30, 0});
    expectPointNear(right.apply(Point{10, 0}), Point{30, 10});
}

TEST(AffineTransformTest, InvertUndoesAndSingularStaysUnchanged) {
    AffineTransform t = AffineTransform::makeRotation(0.3).scaled(2, -0.5).translated(7, -3);
    AffineTransform back = concat(t, t.inverted());
    EXPECT_TRUE(back.isClose(AffineTransform::identity()));
    expectPointNear(t.inverted().apply(t.apply(Point{4, 9})), Point{4, 9});
    AffineTransform singular = AffineTransform::makeScale(0, 1);
    EXPECT_FALSE(singular.isInvertible());
    EXPECT_EQ(singular.inverted(), singular);
}

TEST(AffineTransformTest, RectsMapToTheirBoundingBox) {
    Rect r(0, 0, 10, 20);
    Rect rotated = AffineTransform::makeRotation(kPi / 2).apply(r);
    EXPECT_NEAR(rotated.origin.x, -20, 1e-9);
    EXPECT_NEAR(rotated.origin.y, 0, 1e-9);
    EXPECT_NEAR(rotated.size.width, 20, 1e-9);
    EXPECT_NEAR(rotated.size.height, 10, 1e-9);
    Rect diamond = AffineTransform::makeRotation(kPi / 4).apply(Rect(0, 0, 2, 2));
    EXPECT_NEAR(diamond.size.width, 2 * std::sqrt(2.0), 1e-9);
    // Sizes ignore translation.
    Size s = AffineTransform::makeTranslation(5, 5).scaled(2, 2).apply(Size{3, 4});
    EXPECT_EQ(s, (Size{6, 8}));
    EXPECT_TRUE(AffineTransform::identity().apply(Rect::null()).isNull());
}

TEST(Transform3DTest, ConcatOrderAndAffineRoundTrip) {
    Transform3D move = Transform3D::makeTranslation(10, 0, 0);
    Transform3D turn = Transform3D::makeRotation(kPi / 2, 0, 0, 1);
    auto p = concat(move, turn).apply(Point3D{1, 0, 0});
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->x, 0, 1e-9);
    EXPECT_NEAR(p->y, 11, 1e-9);
    // A rotation about z is the same as the 2D rotation.
    EXPECT_TRUE(turn.isAffine());
    EXPECT_TRUE(turn.toAffine().isClose(AffineTransform::makeRotation(kPi / 2)));
    AffineTransform a = AffineTransform::makeScale(2, 3).translated(4, 5);
    EXPECT_EQ(Transform3D::fromAffine(a).toAffine(), a);
    EXPECT_FALSE(Transform3D::makeRotation(0.5, 0, 1, 0).isAffine());
    EXPECT_TRUE(Transform3D::makeRotation(1, 0, 0, 0).isIdentity());
}

TEST(Transform3DTest, PerspectiveProjectionShrinksWithDistance) {
    Transform3D perspective;
    perspective.m34 = -1.0 / 500.0;
    // A point pushed 500 away along -z halves its distance from the centre.
    auto far = concat(Transform3D::makeTranslation(0, 0, -500), perspective).project(Point{100, 50});
    ASSERT_TRUE(far);
    EXPECT_NEAR(far->x, 50, 1e-9);
    EXPECT_NEAR(far->y, 25, 1e-9);
    // Tilting a card about y: its right edge recedes and shrinks, the left grows.
    Transform3D tilt = concat(Transform3D::makeRotation(kPi / 4, 0, 1, 0), perspective);
    auto right = tilt.project(Point{100, 100});
    auto left = tilt.project(Point{-100, 100});
    ASSERT_TRUE(right && left);
    EXPECT_LT(right->y, 100);
    EXPECT_GT(left->y, 100);
    // A point at or behind the eye has no projection.
    EXPECT_FALSE(concat(Transform3D::makeTranslation(0, 0, 500), perspective).project(Point{1, 1}));
}

TEST(Transform3DTest, InvertUndoesPerspective) {
    Transform3D t = Transform3D::makeRotation(0.7, 1, 1, 0).translated(3, 4, 5);
    t.m34 = -0.002;
    EXPECT_TRUE(concat(t, t.inverted()).isClose(Transform3D::identity(), 1e-9));
    Transform3D flat = Transform3D::makeScale(1, 1, 0);
    EXPECT_FALSE(flat.isInvertible());
    EXPECT_EQ(flat.inverted(), flat);
}
