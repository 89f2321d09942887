// Timing curves, springs, view animation blocks and layer animations on the
// virtual clock.

#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"
#include "platform/ui/compositing/Animation.h"
#include "support/VirtualClock.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

using foundation::RunLoop;
using graphics::Point;
using graphics::Rect;
using graphics::Transform3D;
using ui::View;

namespace {

constexpr double kStart = 100;  // the clock's start, so that no time is zero by accident

double presentedAlpha(const View& view) { return view.layer().presentation().opacity; }
Point presentedCenter(const View& view) { return view.layer().presentation().position; }
double presentedScale(const View& view) {
    return std::get<double>(*view.layer().presentation().valueForKeyPath("transform.scale"));
}

// Moves the clock to `kStart + t`.
void advanceTo(double t) {
    double delta = kStart + t - RunLoop::main().now();
    if (delta > 0)
        RunLoop::main().advance(delta);
    else
        RunLoop::main().runUntilIdle();
}

// Records every completion call.
struct Completions {
    std::vector<bool> calls;
    ui::Completion make() {
        return [this](bool finished) { calls.push_back(finished); };
    }
};

// The y of a cubic Bézier timing curve at x, found by dense sampling of the
// curve's parameter: slow, but independent of the solver under test.
double sampledCurve(const ui::TimingFunction& f, double x) {
    auto bezier = [](double p1, double p2, double u) {
        return 3 * (1 - u) * (1 - u) * u * p1 + 3 * (1 - u) * u * u * p2 + u * u * u;
    };
    double best = 0, bestError = 1e9;
    for (int i = 0; i <= 200000; ++i) {
        double u = i / 200000.0;
        double error = std::fabs(bezier(f.c1x, f.c2x, u) - x);
        if (error < bestError) {
            bestError = error;
            best = bezier(f.c1y, f.c2y, u);
        }
    }
    return best;
}

}  // namespace

// ---- timing curves and springs ---------------------------------------------------------

TEST(AnimationTest, EaseCurvesMatchTheirBezierShape) {
    using ui::TimingFunction;
    for (TimingFunction f : {TimingFunction::easeIn(), TimingFunction::easeOut(), TimingFunction::easeInEaseOut()}) {
        for (double x : {0.1, 0.25, 0.5, 0.75, 0.9}) EXPECT_NEAR(f.solve(x), sampledCurve(f, x), 1e-4) << x;
        EXPECT_EQ(f.solve(0), 0);
        EXPECT_EQ(f.solve(1), 1);
        EXPECT_EQ(f.solve(-0.5), 0);
        EXPECT_EQ(f.solve(1.5), 1);
    }
    EXPECT_LT(TimingFunction::easeIn().solve(0.5), 0.4);
    EXPECT_GT(TimingFunction::easeOut().solve(0.5), 0.6);
    EXPECT_NEAR(TimingFunction::easeInEaseOut().solve(0.5), 0.5, 1e-9);
    EXPECT_NEAR(TimingFunction::easeInEaseOut().solve(0.2), 1 - TimingFunction::easeInEaseOut().solve(0.8), 1e-9);
    EXPECT_DOUBLE_EQ(TimingFunction::linear().solve(0.3), 0.3);

    // The option bits choose the curve; no curve bit means ease in-out.
    EXPECT_EQ(TimingFunction::fromOptions(ui::AnimationOptionCurveEaseIn).c1x, 0.42);
    EXPECT_EQ(TimingFunction::fromOptions(ui::AnimationOptionCurveEaseOut).c2x, 0.58);
    EXPECT_EQ(TimingFunction::fromOptions(ui::AnimationOptionCurveLinear).c1x, 0);
    auto easeInOut = TimingFunction::fromOptions(ui::AnimationOptionRepeat);
    EXPECT_EQ(easeInOut.c1x, 0.42);
    EXPECT_EQ(easeInOut.c2x, 0.58);
}

TEST(AnimationTest, CriticallyDampedSpringNeverOvershoots) {
    testsupport::VirtualClockScope clock(kStart);
    auto view = ui::makeView(Rect(0, 0, 10, 10));  // centre (5, 5)
    ui::animateWithSpring(1.0, 0, 1.0, 0, ui::AnimationOptionNone, [&] { view->setCenter({105, 5}); });
    EXPECT_EQ(view->center(), (Point{105, 5}));  // the model changes at once
    double previous = 5;
    for (int step = 1; step <= 20; ++step) {
        advanceTo(step * 0.05);
        double x = presentedCenter(*view).x;
        EXPECT_GE(x, previous) << "at " << step * 0.05;
        EXPECT_LE(x, 105) << "at " << step * 0.05;
        previous = x;
    }
    EXPECT_EQ(presentedCenter(*view).x, 105);
    EXPECT_FALSE(view->layer().hasAnimations());
}

TEST(AnimationTest, SpringValuesAtGivenTimes) {
    testsupport::VirtualClockScope clock(kStart);
    auto view = ui::makeView(Rect(0, 0, 10, 10));
    // Critically damped, 1 s: halfway through it is almost there.
    ui::animateWithSpring(1.0, 0, 1.0, 0, 0, [&] { view->setCenter({105, 5}); });
    const ui::Layer& layer = view->layer();
    EXPECT_EQ(layer.presentationAt(kStart).position.x, 5);
    double at10 = layer.presentationAt(kStart + 0.1).position.x;
    double at50 = layer.presentationAt(kStart + 0.5).position.x;
    EXPECT_GT(at10, 5 + 10);  // moving fast at first
    EXPECT_LT(at10, 5 + 40);
    EXPECT_GT(at50, 5 + 90);  // within 10 % by half time
    EXPECT_LT(at50, 105);

    // Half damping overshoots past the target and comes back.
    auto bouncy = ui::makeView(Rect(0, 0, 10, 10));
    ui::animateWithSpring(1.0, 0, 0.5, 0, 0, [&] { bouncy->setCenter({105, 5}); });
    double highest = 0;
    for (int i = 0; i <= 100; ++i)
        highest = std::max(highest, bouncy->layer().presentationAt(kStart + i / 100.0).position.x);
    EXPECT_GT(highest, 105 + 5);  // more than 5 % past the target
    EXPECT_EQ(bouncy->layer().presentationAt(kStart + 1.0).position.x, 105);

    // Heavy damping (as in 10.0) crawls without overshoot.
    auto heavy = ui::makeView(Rect(0, 0, 10, 10));
    ui::animateWithSpring(1.0, 0, 10.0, 1.0, 0, [&] { heavy->setCenter({105, 5}); });
    double last = 5;
    for (int i = 0; i <= 100; ++i) {
        double x = heavy->layer().presentationAt(kStart + i / 100.0).position.x;
        EXPECT_GE(x, last - 1e-9);
        EXPECT_LE(x, 105 + 1e-9);
        last = x;
    }

    // A strong initial push gets further early on than none.
    auto pushed = ui::makeView(Rect(0, 0, 10, 10));
    ui::animateWithSpring(1.0, 0, 1.0, 10.0, 0, [&] { pushed->setCenter({105, 5}); });
    EXPECT_GT(pushed->layer().presentationAt(kStart + 0.05).position.x,
              view->layer().presentationAt(kStart + 0.05).position.x + 20);
}

// ---- view animation blocks ---------------------------------------------------------------------

TEST(AnimationTest, BlockAnimatesFromOldToNewWithTheChosenCurve) {
    testsupport::VirtualClockScope clock(kStart);
    auto view = ui::makeView(Rect(0, 0, 100, 100));
    ui::animate(2.0, 0, ui::AnimationOptionCurveLinear, [&] { view->setAlpha(0); });
    EXPECT_EQ(view->alpha(), 0);
    EXPECT_TRUE(view->layer().hasAnimations());
    advanceTo(0.5);
    EXPECT_NEAR(presentedAlpha(*view), 0.75, 1e-9);
    advanceTo(1.5);
    EXPECT_NEAR(presentedAlpha(*view), 0.25, 1e-9);
    advanceTo(2.0);
    EXPECT_EQ(presentedAlpha(*view), 0);
    EXPECT_FALSE(view->layer().hasAnimations());

    // The default curve eases in and out: slow at first.
    ui::animate(1.0, [&] { view->setCenter({150, 50}); });
    double quarter = view->layer().presentationAt(kStart + 2.25).position.x;
    EXPECT_NEAR(quarter, 50 + 100 * ui::TimingFunction::easeInEaseOut().solve(0.25), 1e-9);
    EXPECT_LT(quarter, 75);
}

TEST(AnimationTest, CompletionRunsExactlyOnceWhenFinished) {
    testsupport::VirtualClockScope clock(kStart);
    auto view = ui::makeView(Rect(0, 0, 100, 100));
    Completions done;
    ui::animate(
        1.0,
        [&] {
            view->setAlpha(0.5);
            view->setFrame(Rect(10, 10, 50, 50));  // bounds and centre: three animations in one block
        },
        done.make());
    EXPECT_EQ(view->layer().animationKeys().size(), 3u);
    advanceTo(0.99);
    EXPECT_TRUE(done.calls.empty());
    advanceTo(1.0);
    ASSERT_EQ(done.calls, std::vector<bool>{true});
    advanceTo(5.0);
    EXPECT_EQ(done.calls, std::vector<bool>{true});

    // Nothing to animate: the completion still comes, from the run loop.
    Completions empty;
    ui::animate(
        1.0, [] {}, empty.make());
    EXPECT_TRUE(empty.calls.empty());
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(empty.calls, std::vector<bool>{true});

    // Setting the same property twice in one block is one animation, finished.
    Completions twice;
    ui::animate(
        1.0,
        [&] {
            view->setAlpha(0.2);
            view->setAlpha(0.9);
        },
        twice.make());
    EXPECT_NEAR(view->layer().presentationAt(kStart + 5.5).opacity, 0.7, 1e-9);  // from 0.5 to 0.9
    advanceTo(6.0);
    EXPECT_EQ(twice.calls, std::vector<bool>{true});
}

TEST(AnimationTest, InterruptedAnimationEndsUnfinishedAndTheNewOneStartsOnScreen) {
    testsupport::VirtualClockScope clock(kStart);
    auto view = ui::makeView(Rect(0, 0, 100, 100));
    Completions first, second;
    ui::animate(
        1.0, 0, ui::AnimationOptionCurveLinear,
        [&] {
            view->setCenter({150, 50});
        },
        first.make());
    advanceTo(0.5);
    EXPECT_NEAR(presentedCenter(*view).x, 100, 1e-9);

    ui::animate(
        1.0, 0, ui::AnimationOptionCurveLinear,
        [&] {
            view->setCenter({0, 50});
        },
        second.make());
    // No jump: the new animation starts where the old one had got to.
    EXPECT_NEAR(presentedCenter(*view).x, 100, 1e-9);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(first.calls, std::vector<bool>{false});
    advanceTo(1.0);
    EXPECT_NEAR(presentedCenter(*view).x, 50, 1e-9);
    EXPECT_TRUE(second.calls.empty());
    advanceTo(1.5);
    EXPECT_EQ(presentedCenter(*view).x, 0);
    EXPECT_EQ(second.calls, std::vector<bool>{true});
    EXPECT_EQ(first.calls, std::vector<bool>{false});
}

TEST(AnimationTest, DelayKeepsTheOldValueOnScreen) {
    testsupport::VirtualClockScope clock(kStart);
    auto view = ui::makeView(Rect(0, 0, 100, 100));
    Completions done;
    ui::animate(
        1.0, 0.5, ui::AnimationOptionCurveLinear, [&] { view->setAlpha(0); }, done.make());
    EXPECT_EQ(view->alpha(), 0);
    advanceTo(0.25);
    EXPECT_EQ(presentedAlpha(*view), 1);
    advanceTo(1.0);
    EXPECT_NEAR(presentedAlpha(*view), 0.5, 1e-9);
    EXPECT_TRUE(done.calls.empty());
    advanceTo(1.5);
    EXPECT_EQ(done.calls, std::vector<bool>{true});
    EXPECT_EQ(presentedAlpha(*view), 0);
}

TEST(AnimationTest, OptionsRepeatAndAutoreverse) {
    testsupport::VirtualClockScope clock(kStart);
    auto view = ui::makeView(Rect(0, 0, 100, 100));
    Completions done;
    ui::animate(
        1.0, 0, ui::AnimationOptionCurveLinear | ui::AnimationOptionRepeat | ui::AnimationOptionAutoreverse,
        [&] { view->setAlpha(0); }, done.make());
    const ui::Layer& layer = view->layer();
    EXPECT_NEAR(layer.presentationAt(kStart + 0.25).opacity, 0.75, 1e-9);
    EXPECT_NEAR(layer.presentationAt(kStart + 1.25).opacity, 0.25, 1e-9);  // on the way back
    EXPECT_NEAR(layer.presentationAt(kStart + 2.25).opacity, 0.75, 1e-9);  // and again
    EXPECT_NEAR(layer.presentationAt(kStart + 1000.5).opacity, 0.5, 1e-9);
    advanceTo(100);
    EXPECT_TRUE(done.calls.empty());  // an endless animation never finishes
    view->layer().removeAllAnimations();
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(done.calls, std::vector<bool>{false});
    EXPECT_EQ(presentedAlpha(*view), 0);
}

TEST(AnimationTest, NoAnimationOutsideBlocksOrWhenSwitchedOff) {
    testsupport::VirtualClockScope clock(kStart);
    auto view = ui::makeView(Rect(0, 0, 100, 100));
    EXPECT_FALSE(ui::isAnimating());
    view->setAlpha(0.5);
    EXPECT_FALSE(view->layer().hasAnimations());

    bool insideBlock = false, insideWithout = true;
    ui::animate(1.0, [&] {
        insideBlock = ui::isAnimating();
        ui::performWithoutAnimation([&] {
            insideWithout = ui::isAnimating();
            view->setCenter({10, 10});
        });
        view->setAlpha(1);
    });
    EXPECT_TRUE(insideBlock);
    EXPECT_FALSE(insideWithout);
    EXPECT_EQ(view->layer().animationKeys(), std::vector<std::string>{"opacity"});
    EXPECT_FALSE(ui::isAnimating());

    // Views made inside a block start where they are put.
    ui::ViewPtr made;
    ui::animate(1.0, [&] { made = ui::makeView(Rect(10, 20, 30, 40)); });
    EXPECT_FALSE(made->layer().hasAnimations());
    EXPECT_EQ(made->layer().presentation().position, (Point{25, 40}));

    // A zero-length block changes at once and still completes.
    Completions done;
    ui::animate(
        0,
        [&] {
            view->setCenter({20, 20});
        },
        done.make());
    EXPECT_EQ(view->layer().animation("position"), nullptr);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(done.calls, std::vector<bool>{true});
}

TEST(AnimationTest, TurningTransformsInterpolateAsTurns) {
    testsupport::VirtualClockScope clock(kStart);
    auto view = ui::makeView(Rect(0, 0, 100, 100));
    ui::animate(1.0, 0, ui::AnimationOptionCurveLinear,
                [&] { view->setTransform(graphics::AffineTransform::makeRotation(std::numbers::pi / 2)); });
    graphics::AffineTransform half = view->layer().presentationAt(kStart + 0.5).transform.toAffine();
    // Halfway is a 45° turn at full size, not a shrunken blend of the matrices.
    EXPECT_TRUE(half.isClose(graphics::AffineTransform::makeRotation(std::numbers::pi / 4), 1e-9)) << half.toString();
}

TEST(AnimationTest, RemovingAViewsAnimationsOrTheViewEndsThemUnfinished) {
    testsupport::VirtualClockScope clock(kStart);
    Completions done;
    {
        auto view = ui::makeView(Rect(0, 0, 100, 100));
        ui::animate(
            1.0, [&] { view->setAlpha(0); }, done.make());
    }
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(done.calls, std::vector<bool>{false});
    advanceTo(2.0);
    EXPECT_EQ(done.calls, std::vector<bool>{false});

    // A completion that removes the last reference to its own view.
    Completions later;
    auto view = ui::makeView(Rect(0, 0, 100, 100));
    ui::animate(
        1.0,
        [&] {
            view->setAlpha(0);
            view->setCenter({1, 1});
        },
        [&](bool finished) {
            view.reset();
            later.calls.push_back(finished);
        });
    advanceTo(3.0);
    EXPECT_EQ(view, nullptr);
    EXPECT_EQ(later.calls, std::vector<bool>{true});
}

// ---- layer animations -------------------------------------------------------------------------

TEST(AnimationTest, ScaleAnimationKeptAfterItsEnd) {
    testsupport::VirtualClockScope clock(kStart);
    auto view = ui::makeView(Rect(0, 0, 100, 100));
    auto scale = ui::BasicAnimation::make("transform.scale");
    scale->fromValue = 1.0;
    scale->toValue = 2.5;
    scale->duration = 0.25;
    scale->removedOnCompletion = false;
    scale->fillMode = ui::FillMode::Forwards;
    Completions done;
    scale->completion = done.make();
    view->layer().addAnimation(scale, "scale");

    advanceTo(0.125);
    EXPECT_NEAR(presentedScale(*view), 1.75, 1e-9);
    advanceTo(0.25);
    EXPECT_EQ(done.calls, std::vector<bool>{true});
    advanceTo(10);
    EXPECT_NEAR(presentedScale(*view), 2.5, 1e-9);
    EXPECT_TRUE(view->transform().isIdentity());  // the model never changed
    EXPECT_EQ(view->layer().animationKeys(), std::vector<std::string>{"scale"});

    // Removing it later shows the model again and does not call the completion twice.
    view->layer().removeAnimation("scale");
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(done.calls, std::vector<bool>{true});
    EXPECT_NEAR(presentedScale(*view), 1.0, 1e-9);

    // The usual settings: removed at the end, the model shows again.
    auto shrink = ui::BasicAnimation::make("transform.scale");
    shrink->fromValue = 2.0;
    shrink->toValue = 0.3;
    shrink->duration = 0.3;
    view->layer().addAnimation(shrink, "scale");
    EXPECT_NEAR(presentedScale(*view), 2.0, 1e-9);
    advanceTo(10.5);
    EXPECT_NEAR(presentedScale(*view), 1.0, 1e-9);
    EXPECT_TRUE(view->layer().animationKeys().empty());
}

TEST(AnimationTest, OpacityAnimationAndReplacementUnderOneKey) {
    testsupport::VirtualClockScope clock(kStart);
    auto view = ui::makeView(Rect(0, 0, 100, 100));
    view->setAlpha(0.8);
    auto fade = ui::BasicAnimation::make("opacity");
    fade->fromValue = 0.0;  // to the model value
    fade->duration = 2.0;
    Completions first;
    fade->completion = first.make();
    view->layer().addAnimation(fade, "fade");
    advanceTo(1.0);
    EXPECT_NEAR(presentedAlpha(*view), 0.4, 1e-9);
    // A model change while it runs moves its end.
    view->setAlpha(0.6);
    EXPECT_NEAR(presentedAlpha(*view), 0.3, 1e-9);

    auto flash = ui::BasicAnimation::make("opacity");
    flash->fromValue = 1.0;
    flash->toValue = 0.0;
    flash->duration = 1.0;
    flash->timingFunction = ui::TimingFunction::easeIn();
    Completions second;
    flash->completion = second.make();
    view->layer().addAnimation(flash, "fade");
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(first.calls, std::vector<bool>{false});
    EXPECT_NEAR(presentedAlpha(*view), 1.0, 1e-9);
    advanceTo(1.5);
    EXPECT_NEAR(presentedAlpha(*view), 1.0 - ui::TimingFunction::easeIn().solve(0.5), 1e-9);
    advanceTo(2.0);
    EXPECT_EQ(second.calls, std::vector<bool>{true});
    EXPECT_NEAR(presentedAlpha(*view), 0.6, 1e-9);
    EXPECT_EQ(first.calls, std::vector<bool>{false});

    // A begin time in the future waits; an unknown key path does nothing.
    auto later = ui::BasicAnimation::make("opacity");
    later->fromValue = 0.0;
    later->toValue = 0.2;
    later->beginTime = kStart + 5;
    view->layer().addAnimation(later, "");
    EXPECT_NEAR(presentedAlpha(*view), 0.6, 1e-9);
    EXPECT_NEAR(view->layer().presentationAt(kStart + 5.125).opacity, 0.1, 1e-9);
    auto bogus = ui::BasicAnimation::make("no.such.path");
    bogus->toValue = 3.0;
    view->layer().addAnimation(bogus, "bogus");
    EXPECT_NEAR(presentedAlpha(*view), 0.6, 1e-9);
}
