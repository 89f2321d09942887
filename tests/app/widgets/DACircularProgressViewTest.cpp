#include "app/widgets/views/DACircularProgressView.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/compositing/Render.h"
#include "support/Pictures.h"
#include "support/Process.h"
#include "support/VirtualClock.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace {

using foundation::RunLoop;
using graphics::Color;
using graphics::RGBA;

constexpr RGBA kTrack{255, 0, 0, 255};
constexpr RGBA kProgress{0, 0, 255, 255};
constexpr RGBA kClear{0, 0, 0, 0};

class CircularProgressTest : public ::testing::Test {
protected:
    void SetUp() override { graphics::ensureGuiApplication(); }

    // A 100-point view with opaque, easily told colours.
    std::shared_ptr<DACircularProgressView> makeRing() {
        auto view = ui::makeView<DACircularProgressView>(graphics::Rect(0, 0, 100, 100));
        view->setTrackTintColor(Color::rgb(1, 0, 0));
        view->setProgressTintColor(Color::rgb(0, 0, 1));
        return view;
    }

    // The pixel on the ring's middle (radius 42.5 for thickness 0.3) at an
    // angle in degrees clockwise from twelve o'clock.
    static RGBA ringPixel(const graphics::Image& image, double degrees, double radius = 42.5) {
        double a = degrees * std::numbers::pi / 180;
        return image.pixelAt(int(std::lround(50 + radius * std::sin(a))), int(std::lround(50 - radius * std::cos(a))));
    }

    static void save(const graphics::Image& image, const std::string& name) {
        auto png = image.pngData();
        ASSERT_TRUE(png.ok());
        ASSERT_TRUE(foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/" + name, *png).ok());
    }

    testsupport::VirtualClockScope clock_;
};

TEST_F(CircularProgressTest, QuarterFillsFromTwelveOClockInItsDirection) {
    auto view = makeRing();
    view->setProgress(0.25);
    graphics::Image clockwise = ui::renderView(*view);
    EXPECT_TRUE(testsupport::pixelNear(ringPixel(clockwise, 10), kProgress));
    EXPECT_TRUE(testsupport::pixelNear(ringPixel(clockwise, 80), kProgress));
    EXPECT_TRUE(testsupport::pixelNear(ringPixel(clockwise, 100), kTrack));
    EXPECT_TRUE(testsupport::pixelNear(ringPixel(clockwise, 350), kTrack));
    // The hole is cut out of the drawing.
    EXPECT_TRUE(testsupport::pixelNear(clockwise.pixelAt(50, 50), kClear));
    EXPECT_TRUE(testsupport::pixelNear(clockwise.pixelAt(50, 30), kClear));
    save(clockwise, "DACircularProgressView-quarter.png");

    view->setClockwiseProgress(0);
    graphics::Image counter = ui::renderView(*view);
    EXPECT_TRUE(testsupport::pixelNear(ringPixel(counter, 350), kProgress));
    EXPECT_TRUE(testsupport::pixelNear(ringPixel(counter, 280), kProgress));
    EXPECT_TRUE(testsupport::pixelNear(ringPixel(counter, 10), kTrack));
}

TEST_F(CircularProgressTest, FullProgressAlmostClosesTheRing) {
    auto view = makeRing();
    view->setProgress(1.7);
    EXPECT_EQ(view->progress(), 1.0);
    graphics::Image image = ui::renderView(*view);
    for (double degrees : {1.0, 90.0, 180.0, 270.0, 359.0})
        EXPECT_TRUE(testsupport::pixelNear(ringPixel(image, degrees), kProgress));
    view->setProgress(-0.5);
    EXPECT_EQ(view->progress(), 0.0);
    image = ui::renderView(*view);
    for (double degrees : {1.0, 180.0, 359.0}) EXPECT_TRUE(testsupport::pixelNear(ringPixel(image, degrees), kTrack));
}

TEST_F(CircularProgressTest, ThicknessDecidesTheHole) {
    auto view = makeRing();
    view->setProgress(0.5);
    view->setThicknessRatio(1.0);
    graphics::Image solid = ui::renderView(*view);
    EXPECT_TRUE(testsupport::pixelNear(solid.pixelAt(60, 50), kProgress));
    EXPECT_TRUE(testsupport::pixelNear(solid.pixelAt(40, 50), kTrack));

    view->setThicknessRatio(0.0);
    graphics::Image none = ui::renderView(*view);
    for (auto [x, y] : {std::pair{50, 50}, {60, 50}, {40, 50}, {50, 5}, {95, 50}})
        EXPECT_TRUE(testsupport::pixelNear(none.pixelAt(x, y), kClear));

    view->setThicknessRatio(1.5);
    EXPECT_EQ(view->thicknessRatio(), 1.0);
    view->setThicknessRatio(-2);
    EXPECT_EQ(view->thicknessRatio(), 0.0);
}

TEST_F(CircularProgressTest, InnerColourFillsTheHole) {
    auto view = makeRing();
    view->setInnerTintColor(Color::rgb(0, 1, 0));
    view->setProgress(0.6);
    graphics::Image image = ui::renderView(*view);
    EXPECT_TRUE(testsupport::pixelNear(image.pixelAt(50, 50), RGBA{0, 255, 0, 255}));
    EXPECT_TRUE(testsupport::pixelNear(ringPixel(image, 90), kProgress));
    save(image, "DACircularProgressView-inner.png");
}

TEST_F(CircularProgressTest, RoundedCornersCapBothEnds) {
    auto view = makeRing();
    view->setProgress(0.25);
    // Just left of twelve o'clock on the ring: track without caps, cap with them.
    EXPECT_TRUE(testsupport::pixelNear(ui::renderView(*view).pixelAt(46, 7), kTrack));
    view->setRoundedCorners(1);
    graphics::Image capped = ui::renderView(*view);
    EXPECT_TRUE(testsupport::pixelNear(capped.pixelAt(46, 7), kProgress));
    // Just past three o'clock on the ring: the end cap.
    EXPECT_TRUE(testsupport::pixelNear(capped.pixelAt(92, 54), kProgress));
    EXPECT_TRUE(testsupport::pixelNear(capped.pixelAt(92, 62), kTrack));
    save(capped, "DACircularProgressView-rounded.png");
}

TEST_F(CircularProgressTest, AnimatedChangeLastsTheDistance) {
    auto view = makeRing();
    view->setProgress(0.2);
    view->setProgress(0.7, true);
    auto animation = std::dynamic_pointer_cast<ui::BasicAnimation>(view->layer().animation("progress"));
    ASSERT_TRUE(animation);
    EXPECT_NEAR(animation->duration, 0.5, 1e-6);
    EXPECT_EQ(animation->keyPath, "progress");
    EXPECT_EQ(animation->fillMode, ui::FillMode::Forwards);

    RunLoop::main().advance(0.25);
    // Half the time of an ease-in-ease-out curve is half the way.
    EXPECT_NEAR(view->presentedProgress(), 0.45, 1e-3);
    EXPECT_EQ(view->progress(), 0.2);
    graphics::Image midway = ui::renderView(*view);
    EXPECT_TRUE(testsupport::pixelNear(ringPixel(midway, 150), kProgress));
    EXPECT_TRUE(testsupport::pixelNear(ringPixel(midway, 175), kTrack));

    RunLoop::main().advance(0.26);
    EXPECT_EQ(view->progress(), 0.7);
    EXPECT_FALSE(view->layer().animation("progress"));
    EXPECT_NEAR(view->presentedProgress(), 0.7, 1e-9);

    view->setProgress(0.7, true);
    animation = std::dynamic_pointer_cast<ui::BasicAnimation>(view->layer().animation("progress"));
    ASSERT_TRUE(animation);
    EXPECT_EQ(animation->duration, 0.0);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(view->progress(), 0.7);
}

TEST_F(CircularProgressTest, DelayHoldsTheStartingValue) {
    auto view = makeRing();
    view->setProgress(0.2);
    view->setProgress(0.5, true, 1.0);
    RunLoop::main().advance(0.9);
    EXPECT_NEAR(view->presentedProgress(), 0.2, 1e-9);
    RunLoop::main().advance(0.25);
    EXPECT_NEAR(view->presentedProgress(), 0.35, 1e-3);
    RunLoop::main().advance(0.2);
    EXPECT_EQ(view->progress(), 0.5);
}

TEST_F(CircularProgressTest, ACutShortAnimationDoesNotComeBackLater) {
    auto view = makeRing();
    view->setProgress(1.0, true);
    RunLoop::main().advance(0.5);
    view->setProgress(0.3);
    EXPECT_EQ(view->progress(), 0.3);
    RunLoop::main().advance(2.0);
    EXPECT_EQ(view->progress(), 0.3);
    EXPECT_EQ(view->presentedProgress(), 0.3);

    // Animating again starts where the eye sees the ring.
    view->setProgress(0.0, true, 0, 1.0);
    RunLoop::main().advance(0.5);
    view->setProgress(1.0, true);
    EXPECT_NEAR(view->presentedProgress(), 0.15, 1e-3);
    // The distance, and so the duration, is counted from there too.
    EXPECT_NEAR(view->layer().animation("progress")->duration, 0.85, 1e-3);
    RunLoop::main().advance(0.9);
    EXPECT_EQ(view->progress(), 1.0);
}

TEST_F(CircularProgressTest, IndeterminateSpinsOnce) {
    auto view = makeRing();
    view->setIndeterminate(1);
    auto spin = view->layer().animation("indeterminateAnimation");
    ASSERT_TRUE(spin);
    view->setIndeterminate(1);
    EXPECT_EQ(view->layer().animation("indeterminateAnimation"), spin);
    EXPECT_EQ(view->layer().animationKeys().size(), 1u);
    EXPECT_EQ(view->indeterminate(), 1);
    auto basic = std::dynamic_pointer_cast<ui::BasicAnimation>(spin);
    ASSERT_TRUE(basic);
    EXPECT_EQ(basic->keyPath, "transform.rotation");
    EXPECT_EQ(basic->duration, 2.0);
    EXPECT_TRUE(std::isinf(basic->repeatCount));
    ASSERT_TRUE(basic->toValue.has_value());
    EXPECT_NEAR(std::get<double>(*basic->toValue), 2 * std::numbers::pi, 1e-12);

    // A quarter of the turn after a quarter of the duration.
    RunLoop::main().advance(0.5);
    auto rotation = view->layer().presentation().valueForKeyPath("transform.rotation");
    ASSERT_TRUE(rotation.has_value());
    EXPECT_NEAR(std::get<double>(*rotation), std::numbers::pi / 2, 1e-6);

    view->setIndeterminate(0);
    EXPECT_EQ(view->indeterminate(), 0);

    view->setClockwiseProgress(0);
    view->setIndeterminateDuration(4.0);
    view->setIndeterminate(1);
    basic = std::dynamic_pointer_cast<ui::BasicAnimation>(view->layer().animation("indeterminateAnimation"));
    ASSERT_TRUE(basic);
    EXPECT_NEAR(std::get<double>(*basic->toValue), -2 * std::numbers::pi, 1e-12);
    EXPECT_EQ(basic->duration, 4.0);
    // Setting a progress ends the spin.
    view->setProgress(0.5);
    EXPECT_EQ(view->indeterminate(), 0);
}

TEST_F(CircularProgressTest, ViewGoneBeforeItsAnimationEnds) {
    auto view = makeRing();
    view->setProgress(1.0, true);
    RunLoop::main().advance(0.2);
    view.reset();
    RunLoop::main().advance(2.0);
    // Nothing of the view is left running (and the sanitizers catch a late
    // block that would touch it).
    EXPECT_EQ(RunLoop::main().scheduledTimerCount(), 0u);
}

}  // namespace
