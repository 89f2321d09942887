// Single-sided layers turned away from the viewer, and the fade transition
// between a subtree's old and new picture.

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Transform3D.h"
#include "platform/ui/View.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/compositing/Transition.h"
#include "support/VirtualClock.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using graphics::Color;
using graphics::Rect;
using graphics::RGBA;
using graphics::Transform3D;

namespace {

RGBA centreOf(ui::View& root) {
    graphics::Image picture = ui::renderView(root);
    return picture.pixelAt(picture.pixelWidth() / 2, picture.pixelHeight() / 2);
}

}  // namespace

TEST(LayerFaceTest, ASingleSidedLayerTurnedAwayIsNotDrawn) {
    testsupport::VirtualClockScope clock;
    struct Case {
        double angle;  // about the vertical axis
        bool doubleSided;
        bool drawn;
    };
    const Case cases[] = {
        {0, false, true},
        {std::numbers::pi / 3, false, true},
        {std::numbers::pi, false, false},
        {std::numbers::pi * 2 / 3, false, false},
        {std::numbers::pi, true, true},
    };
    for (const Case& c : cases) {
        auto root = ui::makeView(Rect(0, 0, 100, 100));
        root->setBackgroundColor(Color::white());
        auto card = ui::makeView(Rect(20, 20, 60, 60));
        card->setBackgroundColor(Color::red());
        Transform3D turn = Transform3D::makeRotation(c.angle, 0, 1, 0);
        turn.m34 = -1.0 / 500;
        card->layer().setTransform(turn);
        card->layer().setDoubleSided(c.doubleSided);
        root->addSubview(card);
        const RGBA expected = c.drawn ? RGBA{255, 0, 0, 255} : RGBA{255, 255, 255, 255};
        EXPECT_EQ(centreOf(*root), expected) << "angle " << c.angle << " double-sided " << c.doubleSided;
    }
}

TEST(FadeTransitionTest, TheOldPictureFadesIntoTheNewOneAndLeaves) {
    testsupport::VirtualClockScope clock;
    auto root = ui::makeView(Rect(0, 0, 100, 100));
    auto box = ui::makeView(Rect(0, 0, 100, 100));
    box->setBackgroundColor(Color::red());
    root->addSubview(box);

    auto transition = ui::addFadeTransition(*box, 0.4, ui::TimingFunction::linear());
    box->setBackgroundColor(Color::blue());
    EXPECT_EQ(ui::fadeTransitionOf(box->layer()), transition.get());
    EXPECT_EQ(transition->duration, 0.4);

    // Time fraction, then how much of the new blue shows (red is the rest).
    const std::pair<double, double> samples[] = {{0.0, 0.0}, {0.1, 0.25}, {0.2, 0.5}, {0.3, 0.75}};
    double elapsed = 0;
    for (auto [at, blue] : samples) {
        foundation::RunLoop::main().advance(at - elapsed);
        elapsed = at;
        const RGBA pixel = centreOf(*root);
        EXPECT_NEAR(pixel.b, 255 * blue, 4) << "at " << at;
        EXPECT_NEAR(pixel.r, 255 * (1 - blue), 4) << "at " << at;
    }
    foundation::RunLoop::main().advance(0.2);
    EXPECT_EQ(ui::fadeTransitionOf(box->layer()), nullptr);
    EXPECT_EQ(centreOf(*root), (RGBA{0, 0, 255, 255}));
}
