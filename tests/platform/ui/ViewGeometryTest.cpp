// Frames, coordinate conversion, hit testing and autoresizing of the view tree.

#include "platform/graphics/Transform3D.h"
#include "platform/ui/View.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using graphics::AffineTransform;
using graphics::Point;
using graphics::Rect;
using graphics::Size;
using graphics::Transform3D;
using ui::View;
using ui::ViewPtr;

namespace {

constexpr double kPi = std::numbers::pi;

void expectPoint(Point actual, double x, double y, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x, x, tolerance) << "x of " << actual.toString();
    EXPECT_NEAR(actual.y, y, tolerance) << "y of " << actual.toString();
}

void expectRect(const Rect& actual, double x, double y, double w, double h, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.origin.x, x, tolerance) << actual.toString();
    EXPECT_NEAR(actual.origin.y, y, tolerance) << actual.toString();
    EXPECT_NEAR(actual.size.width, w, tolerance) << actual.toString();
    EXPECT_NEAR(actual.size.height, h, tolerance) << actual.toString();
}

ViewPtr addView(View& parent, const Rect& frame) {
    auto view = ui::makeView(frame);
    parent.addSubview(view);
    return view;
}

}  // namespace

// ---- frames and conversion ------------------------------------------------------

TEST(ViewGeometryTest, FrameFollowsCentreBoundsAndTransform) {
    auto view = ui::makeView(Rect(10, 20, 100, 50));
    expectPoint(view->center(), 60, 45);
    expectRect(view->bounds(), 0, 0, 100, 50);

    // A quarter turn about the centre swaps the frame's sides, bounds stay.
    view->setTransform(AffineTransform::makeRotation(kPi / 2));
    expectRect(view->frame(), 35, -5, 50, 100, 1e-9);
    expectRect(view->bounds(), 0, 0, 100, 50);

    view->setTransform(AffineTransform::makeScale(2, 3));
    expectRect(view->frame(), -40, -30, 200, 150);
    // With a transform, setting the frame moves the view and keeps its size.
    view->setFrame(Rect(0, 0, 200, 150));
    expectPoint(view->center(), 100, 75);
    expectRect(view->bounds(), 0, 0, 100, 50);
}

TEST(ViewGeometryTest, ConvertsThroughNestedViewsAndBoundsOrigins) {
    auto root = ui::makeView(Rect(0, 0, 400, 300));
    auto a = addView(*root, Rect(50, 40, 200, 100));
    auto b = addView(*a, Rect(10, 20, 50, 50));
    auto sibling = addView(*root, Rect(300, 200, 50, 50));

    expectPoint(b->convertPointToView({5, 5}, root.get()), 65, 65);
    expectPoint(b->convertPointFromView({65, 65}, root.get()), 5, 5);
    expectPoint(b->convertPointToView({5, 5}, sibling.get()), -235, -135);
    expectPoint(sibling->convertPointToView({0, 0}, b.get()), 240, 140);
    expectRect(b->convertRectToView(Rect(0, 0, 50, 50), root.get()), 60, 60, 50, 50);

    // Scrolling a's content (its bounds origin) moves b on screen, not b's frame.
    a->setBounds(Rect(0, 30, 200, 100));
    expectRect(b->frame(), 10, 20, 50, 50);
    expectPoint(b->convertPointToView({5, 5}, root.get()), 65, 35);
    expectPoint(root->convertPointToView({65, 35}, b.get()), 5, 5);
    // A null view means the window (here: the root's coordinates).
    expectPoint(b->convertPointToView({5, 5}, nullptr), 65, 35);
}

TEST(ViewGeometryTest, ConvertsThroughAffineTransforms) {
    auto root = ui::makeView(Rect(0, 0, 400, 400));
    auto turned = addView(*root, Rect(100, 100, 100, 50));  // centre (150, 125)
    turned->setTransform(AffineTransform::makeRotation(kPi / 2));
    // The top left corner is 50 left of and 25 above the centre; turned a
    // quarter clockwise it lies 25 right of and 50 above it.
    expectPoint(turned->convertPointToView({0, 0}, root.get()), 175, 75, 1e-9);
    expectPoint(turned->convertPointFromView({175, 75}, root.get()), 0, 0, 1e-9);

    auto inner = addView(*turned, Rect(0, 0, 10, 10));
    inner->setTransform(AffineTransform::makeScale(2, 2));  // grows about (5, 5)
    // inner (0,0) → turned (-5,-5) → root: centre + R90(-55, -30) = (150 + 30, 125 - 55)
    expectPoint(inner->convertPointToView({0, 0}, root.get()), 180, 70, 1e-9);
    expectPoint(root->convertPointToView({180, 70}, inner.get()), 0, 0, 1e-9);

    // A rectangle converts to the bounding box of its turned corners.
    expectRect(turned->convertRectToView(turned->bounds(), root.get()), 125, 75, 50, 100, 1e-9);
}

TEST(ViewGeometryTest, ConvertsThroughA3DPerspectiveTransform) {
    auto root = ui::makeView(Rect(0, 0, 400, 400));
    auto card = addView(*root, Rect(100, 150, 200, 100));  // centre (200, 200)
    const double angle = kPi / 3;
    Transform3D t = Transform3D::makeRotation(angle, 0, 1, 0);
    Transform3D perspective;
    perspective.m34 = -1.0 / 500;
    card->layer().setTransform(graphics::concat(t, perspective));

    // The centre stays; a point 100 right of it turns away from the eye and
    // comes closer to the centre: x' = 100 cos a / (1 + 100 sin a / 500).
    expectPoint(card->convertPointToView({100, 50}, root.get()), 200, 200, 1e-9);
    double expectedX = 100 * std::cos(angle) / (1 + 100 * std::sin(angle) / 500);
    expectPoint(card->convertPointToView({200, 50}, root.get()), 200 + expectedX, 200, 1e-9);
    // The near (left) edge grows taller than the far one.
    Point nearTop = card->convertPointToView({0, 0}, root.get());
    Point farTop = card->convertPointToView({200, 0}, root.get());
    EXPECT_LT(nearTop.y, farTop.y);
    EXPECT_LT(nearTop.y, 150);
    // Back from the screen onto the card's plane.
    for (Point p : {Point{0, 0}, Point{200, 100}, Point{37, 81}}) {
        Point onScreen = card->convertPointToView(p, root.get());
        expectPoint(card->convertPointFromView(onScreen, root.get()), p.x, p.y, 1e-6);
    }

    // The same picture through the parent's sublayer transform.
    auto stage = addView(*root, Rect(0, 0, 400, 400));
    stage->layer().setSublayerTransform(perspective);
    auto card2 = addView(*stage, Rect(100, 150, 200, 100));
    card2->layer().setTransform(t);
    Point viaStage = card2->convertPointToView({200, 50}, root.get());
    expectPoint(viaStage, 200 + expectedX, 200, 1e-9);
}

// ---- hit testing ------------------------------------------------------------------

TEST(ViewGeometryTest, HitTestingFindsTheFrontmostDeepestView) {
    auto root = ui::makeView(Rect(0, 0, 300, 300));
    auto back = addView(*root, Rect(0, 0, 200, 200));
    auto front = addView(*root, Rect(100, 100, 200, 200));
    auto leaf = addView(*back, Rect(10, 10, 20, 20));

    EXPECT_EQ(root->hitTest({150, 150}, nullptr), front.get());
    EXPECT_EQ(root->hitTest({50, 50}, nullptr), back.get());
    EXPECT_EQ(root->hitTest({15, 15}, nullptr), leaf.get());
    EXPECT_EQ(root->hitTest({299.5, 5}, nullptr), root.get());
    EXPECT_EQ(root->hitTest({300, 5}, nullptr), nullptr);  // maxX is outside

    // A child sticking out of its parent cannot be touched outside the parent.
    auto overhang = addView(*leaf, Rect(15, 15, 100, 100));
    EXPECT_EQ(root->hitTest({25, 25}, nullptr), overhang.get());
    EXPECT_EQ(root->hitTest({60, 60}, nullptr), back.get());
}

TEST(ViewGeometryTest, HiddenTransparentAndNonInteractiveViewsAreSkipped) {
    auto root = ui::makeView(Rect(0, 0, 100, 100));
    auto under = addView(*root, Rect(0, 0, 100, 100));
    auto over = addView(*root, Rect(0, 0, 100, 100));
    auto inner = addView(*over, Rect(0, 0, 50, 50));
    EXPECT_EQ(root->hitTest({10, 10}, nullptr), inner.get());

    over->setHidden(true);
    EXPECT_EQ(root->hitTest({10, 10}, nullptr), under.get());
    over->setHidden(false);

    over->setAlpha(0.005);
    EXPECT_EQ(root->hitTest({10, 10}, nullptr), under.get());
    over->setAlpha(0.02);  // faint but there
    EXPECT_EQ(root->hitTest({10, 10}, nullptr), inner.get());

    // A view that takes no touches hides its whole subtree from them.
    over->setUserInteractionEnabled(false);
    EXPECT_EQ(root->hitTest({10, 10}, nullptr), under.get());
    over->setUserInteractionEnabled(true);
    inner->setUserInteractionEnabled(false);
    EXPECT_EQ(root->hitTest({10, 10}, nullptr), over.get());

    root->setHidden(true);
    EXPECT_EQ(root->hitTest({10, 10}, nullptr), nullptr);
}

TEST(ViewGeometryTest, HitTestingFollowsTransforms) {
    auto root = ui::makeView(Rect(0, 0, 400, 400));
    auto bar = addView(*root, Rect(150, 190, 100, 20));  // a flat bar around (200, 200)
    EXPECT_EQ(root->hitTest({200, 160}, nullptr), root.get());
    bar->setTransform(AffineTransform::makeRotation(kPi / 2));  // now upright
    EXPECT_EQ(root->hitTest({200, 160}, nullptr), bar.get());
    EXPECT_EQ(root->hitTest({240, 200}, nullptr), root.get());

    bar->setTransform(AffineTransform::makeScale(0.5, 0.5));
    EXPECT_EQ(root->hitTest({230, 200}, nullptr), root.get());
    EXPECT_EQ(root->hitTest({220, 200}, nullptr), bar.get());

    // Perspective: the far edge of a card turned away shrinks towards the centre.
    auto card = addView(*root, Rect(100, 300, 200, 80));  // centre (200, 340)
    Transform3D t = Transform3D::makeRotation(kPi / 3, 0, 1, 0);
    Transform3D perspective;
    perspective.m34 = -1.0 / 500;
    card->layer().setTransform(graphics::concat(t, perspective));
    double farEdge = 200 + 100 * std::cos(kPi / 3) / (1 + 100 * std::sin(kPi / 3) / 500);
    EXPECT_EQ(root->hitTest({farEdge - 1, 340}, nullptr), card.get());
    EXPECT_EQ(root->hitTest({farEdge + 1, 340}, nullptr), root.get());
    EXPECT_EQ(root->hitTest({145, 340}, nullptr), card.get());
    EXPECT_EQ(root->hitTest({135, 340}, nullptr), root.get());  // the near edge comes out to about 139.5
}

// ---- autoresizing -------------------------------------------------------------------

namespace {

// A 200×100 parent grows to 300×150 with a child at (20, 10, 100, 50): left
// margin 20, width 100, right margin 80; top 10, height 50, bottom 40.
Rect resizedFrame(unsigned mask, Size newSize = {300, 150}) {
    auto parent = ui::makeView(Rect(0, 0, 200, 100));
    auto child = addView(*parent, Rect(20, 10, 100, 50));
    child->setAutoresizingMask(mask);
    parent->setFrame(Rect(0, 0, newSize.width, newSize.height));
    return child->frame();
}

}  // namespace

TEST(ViewGeometryTest, AutoresizingSharesTheChangeAmongFlexibleParts) {
    using namespace ui;
    expectRect(resizedFrame(AutoresizingNone), 20, 10, 100, 50);
    expectRect(resizedFrame(AutoresizingFlexibleRightMargin | AutoresizingFlexibleBottomMargin), 20, 10, 100, 50);
    expectRect(resizedFrame(AutoresizingFlexibleLeftMargin), 120, 10, 100, 50);
    expectRect(resizedFrame(AutoresizingFlexibleTopMargin), 20, 60, 100, 50);
    expectRect(resizedFrame(AutoresizingFlexibleWidth), 20, 10, 200, 50);
    expectRect(resizedFrame(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight), 20, 10, 200, 100);
    // Both margins: in proportion to their lengths (20 : 80).
    expectRect(resizedFrame(AutoresizingFlexibleLeftMargin | AutoresizingFlexibleRightMargin), 40, 10, 100, 50);
    // Margins and size together: 20 : 100 : 80 of the 100 points.
    expectRect(
        resizedFrame(AutoresizingFlexibleLeftMargin | AutoresizingFlexibleWidth | AutoresizingFlexibleRightMargin), 30,
        10, 150, 50);
    // Top margin and height: 10 : 50 of the 50 points.
    expectRect(resizedFrame(AutoresizingFlexibleTopMargin | AutoresizingFlexibleHeight), 20, 10 + 50.0 / 6, 100,
               50 + 250.0 / 6, 1e-9);
    // Pinned to the bottom right corner.
    expectRect(resizedFrame(AutoresizingFlexibleLeftMargin | AutoresizingFlexibleTopMargin), 120, 60, 100, 50);
}

TEST(ViewGeometryTest, AutoresizingOnShrinkingNestingAndOptOut) {
    using namespace ui;
    // A flexible width cannot go below zero.
    expectRect(resizedFrame(AutoresizingFlexibleWidth, {50, 100}), 20, 10, 0, 50);
    expectRect(resizedFrame(AutoresizingFlexibleLeftMargin, {150, 100}), -30, 10, 100, 50);

    auto parent = makeView(Rect(0, 0, 200, 100));
    auto child = addView(*parent, Rect(0, 0, 200, 100));
    child->setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight);
    auto grandchild = addView(*child, Rect(150, 0, 50, 20));
    grandchild->setAutoresizingMask(AutoresizingFlexibleLeftMargin);
    parent->setBounds(Rect(0, 0, 400, 100));
    expectRect(child->frame(), 0, 0, 400, 100);
    expectRect(grandchild->frame(), 350, 0, 50, 20);

    // Moving the parent without resizing leaves the children alone.
    parent->setFrame(Rect(30, 30, 400, 100));
    expectRect(child->frame(), 0, 0, 400, 100);

    // A parent that does not autoresize leaves its children where they are.
    child->setAutoresizesSubviews(false);
    parent->setBounds(Rect(0, 0, 500, 100));
    expectRect(child->frame(), 0, 0, 500, 100);
    expectRect(grandchild->frame(), 350, 0, 50, 20);
}
