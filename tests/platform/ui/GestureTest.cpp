// Gesture recognisers driven by synthetic touches on the virtual clock.

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Window.h"
#include "platform/ui/gestures/GestureArena.h"
#include "platform/ui/gestures/LongPressGestureRecognizer.h"
#include "platform/ui/gestures/PanGestureRecognizer.h"
#include "platform/ui/gestures/PinchGestureRecognizer.h"
#include "platform/ui/gestures/RotationGestureRecognizer.h"
#include "platform/ui/gestures/SwipeGestureRecognizer.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"
#include "support/TouchDriver.h"
#include "support/VirtualClock.h"
#include "support/WindowFixture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

using graphics::Point;
using graphics::Rect;
using ui::GestureRecognizer;
using ui::GestureState;
using ui::TouchSet;

namespace {

// A view that writes down the touch callbacks it gets.
class RecordingView : public ui::View {
public:
    using View::View;
    std::vector<std::string> calls;
    void touchesBegan(const TouchSet&, const ui::Event&) override { calls.push_back("began"); }
    void touchesMoved(const TouchSet&, const ui::Event&) override {
        if (calls.empty() || calls.back() != "moved") calls.push_back("moved");
    }
    void touchesEnded(const TouchSet&, const ui::Event&) override { calls.push_back("ended"); }
    void touchesCancelled(const TouchSet&, const ui::Event&) override { calls.push_back("cancelled"); }
};

// Every state a recogniser's action saw.
struct StateLog {
    std::vector<GestureState> states;
    GestureRecognizer::Action action() {
        return [this](GestureRecognizer& r) { states.push_back(r.state()); };
    }
    size_t count(GestureState s) const { return size_t(std::count(states.begin(), states.end(), s)); }
};

// A delegate that lets any two recognisers work at once.
struct Together : ui::GestureRecognizerDelegate {
    bool shouldRecognizeSimultaneously(GestureRecognizer&, GestureRecognizer&) override { return true; }
};

class GestureTest : public testsupport::WindowFixture {
protected:
    GestureTest() : WindowFixture(Rect(0, 0, 400, 300), 100) {}
    void SetUp() override { window->addSubview(target); }

    template <class R>
    std::shared_ptr<R> add(StateLog& log) {
        auto r = std::make_shared<R>(log.action());
        target->addGestureRecognizer(r);
        return r;
    }

    std::shared_ptr<RecordingView> target = ui::makeView<RecordingView>(Rect(50, 50, 300, 200));
};

// ---- taps --------------------------------------------------------------------

TEST_F(GestureTest, SingleTapWaitsForTheDoubleTapToFail) {
    StateLog single, twice;
    auto doubleTap = add<ui::TapGestureRecognizer>(twice);
    doubleTap->numberOfTapsRequired = 2;
    auto singleTap = add<ui::TapGestureRecognizer>(single);
    singleTap->requireGestureRecognizerToFail(doubleTap);

    fingers.tap({100, 100});
    EXPECT_TRUE(single.states.empty()) << "the single tap fired before the double tap could fail";
    EXPECT_TRUE(singleTap->isRecognitionPending());
    fingers.wait(ui::TapGestureRecognizer::kMaximumTapInterval - 0.01);
    EXPECT_TRUE(single.states.empty());
    fingers.wait(0.02);
    EXPECT_EQ(single.states, std::vector<GestureState>{ui::GestureStateRecognized});
    EXPECT_TRUE(twice.states.empty());
    // The location is where the tap was, even though the finger has gone.
    Point at = singleTap->locationInView(target.get());
    EXPECT_DOUBLE_EQ(at.x, 50);
    EXPECT_DOUBLE_EQ(at.y, 50);
}

TEST_F(GestureTest, DoubleTapFiresAloneAndTheSingleTapNever) {
    StateLog single, twice;
    auto doubleTap = add<ui::TapGestureRecognizer>(twice);
    doubleTap->numberOfTapsRequired = 2;
    auto singleTap = add<ui::TapGestureRecognizer>(single);
    singleTap->requireGestureRecognizerToFail(doubleTap);

    fingers.tap({100, 100}, 2);
    EXPECT_EQ(twice.count(ui::GestureStateRecognized), 1u);
    fingers.wait(2.0);
    EXPECT_TRUE(single.states.empty());
    // Both are ready for the next gesture.
    fingers.tap({100, 100});
    fingers.wait(1.0);
    EXPECT_EQ(single.count(ui::GestureStateRecognized), 1u);
    EXPECT_EQ(twice.count(ui::GestureStateRecognized), 1u);
}

TEST_F(GestureTest, TapsTooSlowOrTooFarApartAreNoDoubleTap) {
    StateLog twice;
    auto doubleTap = add<ui::TapGestureRecognizer>(twice);
    doubleTap->numberOfTapsRequired = 2;
    fingers.tapGap = ui::TapGestureRecognizer::kMaximumTapInterval + 0.05;
    fingers.tap({100, 100}, 2);
    fingers.wait(1.0);
    fingers.tapGap = 0.1;
    fingers.tap({100, 100});
    fingers.wait(0.1);
    fingers.tap({200, 200});
    fingers.wait(1.0);
    EXPECT_TRUE(twice.states.empty());
}

TEST_F(GestureTest, TapFailsWhenTheFingerWandersOrTooManyFingersComeDown) {
    StateLog log;
    add<ui::TapGestureRecognizer>(log);
    auto t = fingers.touchDown({100, 100});
    fingers.moveTo(t, {100, 100 + ui::TapGestureRecognizer::kAllowableMovement + 1});
    fingers.touchUp(t);
    auto two = fingers.touchDown(std::vector<Point>{{100, 100}, {120, 100}});
    fingers.touchUp(two);
    EXPECT_TRUE(log.states.empty());
    // A small tremble is still a tap.
    t = fingers.touchDown({100, 100});
    fingers.moveTo(t, {103, 104});
    fingers.touchUp(t);
    EXPECT_EQ(log.count(ui::GestureStateRecognized), 1u);
}

TEST_F(GestureTest, TwoFingerTapNeedsBothFingers) {
    StateLog log;
    auto tap = add<ui::TapGestureRecognizer>(log);
    tap->numberOfTouchesRequired = 2;
    fingers.tap({100, 100});
    EXPECT_TRUE(log.states.empty());
    auto two = fingers.touchDown(std::vector<Point>{{100, 100}, {140, 100}});
    fingers.wait(0.05);
    fingers.touchUp(two[0]);
    EXPECT_TRUE(log.states.empty()) << "recognised before the last finger lifted";
    fingers.touchUp(two[1]);
    EXPECT_EQ(log.count(ui::GestureStateRecognized), 1u);
    EXPECT_EQ(log.states.size(), 1u);
}

TEST_F(GestureTest, TouchesCountTheirTaps) {
    std::vector<int> counts;
    for (Point p : {Point{100, 100}, Point{102, 101}, Point{104, 100}, Point{300, 200}}) {
        auto t = fingers.touchDown(p);
        counts.push_back(t->tapCount);
        fingers.wait(0.05);
        fingers.touchUp(t);
        fingers.wait(0.1);
    }
    EXPECT_EQ(counts, (std::vector<int>{1, 2, 3, 1}));
}

// ---- pinch and rotation --------------------------------------------------------

TEST_F(GestureTest, PinchReportsScaleAndVelocity) {
    StateLog log;
    auto pinch = add<ui::PinchGestureRecognizer>(log);
    std::vector<double> scales;
    double lastVelocity = 0;
    pinch->addTarget([&](GestureRecognizer&) {
        scales.push_back(pinch->scale());
        if (pinch->state() == GestureState::Changed) lastVelocity = pinch->velocity();
    });
    fingers.pinch({200, 150}, 100, 250, 0.5);
    ASSERT_FALSE(log.states.empty());
    EXPECT_EQ(log.states.front(), GestureState::Began);
    EXPECT_EQ(log.states.back(), GestureState::Ended);
    EXPECT_NEAR(scales.back(), 2.5, 1e-9);
    // 1.0 → 2.5 at an even pace over half a second.
    EXPECT_NEAR(lastVelocity, 3.0, 1e-6);
}

TEST_F(GestureTest, PinchScaleResetToOneMultipliesUp) {
    // The stamp screen's way: apply each step's scale and set it back to 1.
    auto pinch = std::make_shared<ui::PinchGestureRecognizer>();
    double total = 1.0;
    pinch->addTarget([&](GestureRecognizer&) {
        total *= pinch->scale();
        pinch->setScale(1.0);
    });
    target->addGestureRecognizer(pinch);
    fingers.pinch({200, 150}, 200, 50, 0.4);
    EXPECT_NEAR(total, 0.25, 1e-9);
}

TEST_F(GestureTest, RotationFollowsTheFingersAcrossHalfATurn) {
    StateLog log;
    auto rotation = add<ui::RotationGestureRecognizer>(log);
    double seen = 0;
    rotation->addTarget([&](GestureRecognizer&) { seen = rotation->rotation(); });
    // From 135° to 225°: the line between the fingers crosses ±180°.
    fingers.rotate({200, 150}, 120, 0.75 * std::numbers::pi, 1.25 * std::numbers::pi, 0.5);
    EXPECT_EQ(log.states.front(), GestureState::Began);
    EXPECT_EQ(log.states.back(), GestureState::Ended);
    EXPECT_NEAR(seen, std::numbers::pi / 2, 1e-9);
}

TEST_F(GestureTest, PinchAndRotationExcludeEachOtherUnlessTheDelegateAllowsBoth) {
    StateLog pinchLog, rotationLog;
    auto pinch = add<ui::PinchGestureRecognizer>(pinchLog);
    auto rotation = add<ui::RotationGestureRecognizer>(rotationLog);
    fingers.pinch({200, 150}, 100, 200, 0.3);
    EXPECT_FALSE(pinchLog.states.empty());
    EXPECT_TRUE(rotationLog.states.empty()) << "both began without permission";

    Together together;
    pinch->delegate = &together;
    pinchLog.states.clear();
    // Spread and turn at once.
    auto two = fingers.touchDown(std::vector<Point>{{150, 150}, {250, 150}});
    for (int i = 1; i <= 10; ++i) {
        fingers.wait(1.0 / 60);
        double angle = 0.05 * i, span = 100 + 10 * i;
        double dx = std::cos(angle) * span / 2, dy = std::sin(angle) * span / 2;
        fingers.moveTo(two, {{200 - dx, 150 - dy}, {200 + dx, 150 + dy}});
    }
    fingers.touchUp(two);
    EXPECT_EQ(pinchLog.count(GestureState::Began), 1u);
    EXPECT_EQ(rotationLog.count(GestureState::Began), 1u);
    EXPECT_NEAR(rotation->rotation(), 0.0, 1e-12) << "not reset after the gesture";
}

// ---- pan ------------------------------------------------------------------------------

TEST_F(GestureTest, PanTranslationAndVelocity) {
    StateLog log;
    auto pan = add<ui::PanGestureRecognizer>(log);
    Point translation, velocity;
    pan->addTarget([&](GestureRecognizer&) {
        translation = pan->translationInView(window.get());
        if (pan->state() == GestureState::Changed) velocity = pan->velocityInView(window.get());
    });
    fingers.drag({{60, 100}, {260, 100}}, 0.5);
    EXPECT_EQ(log.states.front(), GestureState::Began);
    EXPECT_EQ(log.states.back(), GestureState::Ended);
    EXPECT_NEAR(translation.x, 200, 1e-9);
    EXPECT_NEAR(translation.y, 0, 1e-9);
    EXPECT_NEAR(velocity.x, 400, 1e-6);
    EXPECT_NEAR(velocity.y, 0, 1e-6);
}

TEST_F(GestureTest, PanInAScaledViewAndWithTranslationResets) {
    target->setTransform(graphics::AffineTransform::makeScale(2, 2));
    auto pan = std::make_shared<ui::PanGestureRecognizer>();
    Point summed;
    pan->addTarget([&](GestureRecognizer&) {
        Point step = pan->translationInView(window.get());
        summed.x += step.x;
        summed.y += step.y;
        pan->setTranslation({0, 0}, window.get());
    });
    target->addGestureRecognizer(pan);
    fingers.drag({{200, 150}, {200, 50}}, 0.3);
    EXPECT_NEAR(summed.x, 0, 1e-9);
    EXPECT_NEAR(summed.y, -100, 1e-9);

    // Without resets, the same drag measures half in the doubled view.
    auto measure = std::make_shared<ui::PanGestureRecognizer>();
    Point half;
    measure->addTarget([&](GestureRecognizer&) { half = measure->translationInView(target.get()); });
    target->removeGestureRecognizer(pan.get());
    target->addGestureRecognizer(measure);
    fingers.drag({{200, 150}, {200, 50}}, 0.3);
    EXPECT_NEAR(half.y, -50, 1e-9);
}

TEST_F(GestureTest, PanVelocityIsZeroAfterTheFingerRests) {
    auto pan = std::make_shared<ui::PanGestureRecognizer>();
    Point endVelocity{-1, -1};
    pan->addTarget([&](GestureRecognizer&) {
        if (pan->state() == GestureState::Ended) endVelocity = pan->velocityInView(nullptr);
    });
    target->addGestureRecognizer(pan);
    auto t = fingers.touchDown({100, 100});
    for (int i = 1; i <= 10; ++i) {
        fingers.wait(1.0 / 60);
        fingers.moveTo(t, {100.0 + 5 * i, 100});
    }
    fingers.wait(0.5);
    fingers.touchUp(t);
    EXPECT_DOUBLE_EQ(endVelocity.x, 0);
    EXPECT_DOUBLE_EQ(endVelocity.y, 0);
}

TEST_F(GestureTest, AShortMoveIsNoPanButATap) {
    StateLog panLog, tapLog;
    add<ui::PanGestureRecognizer>(panLog);
    add<ui::TapGestureRecognizer>(tapLog);
    fingers.drag({{100, 100}, {105, 100}}, 0.05);
    EXPECT_TRUE(panLog.states.empty());
    EXPECT_EQ(tapLog.count(ui::GestureStateRecognized), 1u);
    // A real drag is a pan and makes the tap fail.
    fingers.drag({{100, 100}, {160, 100}}, 0.2);
    EXPECT_EQ(panLog.count(GestureState::Began), 1u);
    EXPECT_EQ(tapLog.count(ui::GestureStateRecognized), 1u);
}

TEST_F(GestureTest, PanWithOneTouchAtMostIgnoresASecondFinger) {
    StateLog log;
    auto pan = add<ui::PanGestureRecognizer>(log);
    pan->maximumNumberOfTouches = 1;
    Point translation;
    pan->addTarget([&](GestureRecognizer&) { translation = pan->translationInView(nullptr); });
    auto first = fingers.touchDown({100, 100});
    fingers.moveTo(first, {130, 100});
    auto second = fingers.touchDown({200, 200});
    fingers.moveTo(second, {200, 260});
    fingers.moveTo(first, {150, 100});
    fingers.touchUp(second);
    EXPECT_NE(log.states.back(), GestureState::Ended);
    fingers.touchUp(first);
    EXPECT_EQ(log.states.back(), GestureState::Ended);
    EXPECT_NEAR(translation.x, 50, 1e-9);
    EXPECT_NEAR(translation.y, 0, 1e-9);
}

// ---- swipe and long press ----------------------------------------------------------

TEST_F(GestureTest, SwipeRecognisesOnlyItsDirection) {
    StateLog left, right, vertical;
    auto swipeLeft = add<ui::SwipeGestureRecognizer>(left);
    swipeLeft->direction = ui::SwipeDirectionLeft;
    auto swipeRight = add<ui::SwipeGestureRecognizer>(right);
    auto swipeVertical = add<ui::SwipeGestureRecognizer>(vertical);
    swipeVertical->direction = ui::SwipeDirectionUp | ui::SwipeDirectionDown;
    Together together;
    for (auto* r : {swipeLeft.get(), swipeRight.get(), swipeVertical.get()}) r->delegate = &together;

    fingers.drag({{300, 150}, {150, 150}}, 0.15);
    EXPECT_EQ(left.states, std::vector<GestureState>{ui::GestureStateRecognized});
    EXPECT_TRUE(right.states.empty());
    EXPECT_TRUE(vertical.states.empty());

    fingers.drag({{200, 240}, {210, 80}}, 0.15);
    EXPECT_EQ(vertical.count(ui::GestureStateRecognized), 1u);
    // Diagonal: neither horizontal nor vertical.
    fingers.drag({{100, 100}, {200, 200}}, 0.15);
    EXPECT_EQ(left.states.size() + right.states.size() + vertical.states.size(), 2u);
}

TEST_F(GestureTest, SlowStrokeIsNoSwipe) {
    StateLog log;
    auto swipe = add<ui::SwipeGestureRecognizer>(log);
    swipe->direction = ui::SwipeDirectionRight;
    // 70 points a second: the first 50 points take longer than a swipe may.
    fingers.drag({{60, 150}, {340, 150}}, 4.0);
    EXPECT_TRUE(log.states.empty());
}

TEST_F(GestureTest, LongPressBeginsAfterItsDuration) {
    StateLog log, tapLog;
    auto press = add<ui::LongPressGestureRecognizer>(log);
    add<ui::TapGestureRecognizer>(tapLog);
    auto t = fingers.touchDown({100, 100});
    fingers.wait(press->minimumPressDuration - 0.01);
    EXPECT_TRUE(log.states.empty());
    fingers.wait(0.02);
    EXPECT_EQ(log.states, std::vector<GestureState>{GestureState::Began});
    fingers.moveTo(t, {140, 100});
    fingers.touchUp(t);
    EXPECT_EQ(log.states, (std::vector<GestureState>{GestureState::Began, GestureState::Changed, GestureState::Ended}));
    EXPECT_TRUE(tapLog.states.empty()) << "the tap fired under a long press";

    // Lifted early: no long press, but a tap.
    log.states.clear();
    fingers.longPress({100, 100}, 0.2);
    fingers.wait(1.0);
    EXPECT_TRUE(log.states.empty());
    EXPECT_EQ(tapLog.count(ui::GestureStateRecognized), 1u);

    // Moved away before the time: no long press.
    t = fingers.touchDown({100, 100});
    fingers.moveTo(t, {100, 130});
    fingers.wait(1.0);
    fingers.touchUp(t);
    EXPECT_TRUE(log.states.empty());
}

// ---- touches in the view ----------------------------------------------------------------

TEST_F(GestureTest, RecognisedPanCancelsTheViewsTouches) {
    StateLog log;
    add<ui::PanGestureRecognizer>(log);
    fingers.drag({{100, 100}, {200, 100}}, 0.2);
    EXPECT_EQ(target->calls, (std::vector<std::string>{"began", "moved", "cancelled"}));
}

TEST_F(GestureTest, WithoutCancelsTouchesInViewTheViewSeesTheWholeDrag) {
    StateLog log;
    auto pan = add<ui::PanGestureRecognizer>(log);
    pan->cancelsTouchesInView = false;
    fingers.drag({{100, 100}, {200, 100}}, 0.2);
    EXPECT_EQ(target->calls, (std::vector<std::string>{"began", "moved", "ended"}));
    EXPECT_EQ(log.states.back(), GestureState::Ended);
}

TEST_F(GestureTest, ViewHearsOfTheTapEndOnlyWhenTheDoubleTapHasFailed) {
    StateLog log;
    auto doubleTap = add<ui::TapGestureRecognizer>(log);
    doubleTap->numberOfTapsRequired = 2;
    fingers.tap({100, 100});
    EXPECT_EQ(target->calls, std::vector<std::string>{"began"});
    fingers.wait(ui::TapGestureRecognizer::kMaximumTapInterval + 0.01);
    EXPECT_EQ(target->calls, (std::vector<std::string>{"began", "ended"}));
    // When it succeeds, the view's touches are cancelled instead.
    target->calls.clear();
    fingers.tap({100, 100}, 2);
    EXPECT_EQ(target->calls, (std::vector<std::string>{"began", "cancelled"}));
}

TEST_F(GestureTest, InnermostRecogniserWinsOverTheSuperviews) {
    StateLog inner, outer;
    auto child = ui::makeView(Rect(10, 10, 50, 50));
    target->addSubview(child);
    child->addGestureRecognizer(std::make_shared<ui::TapGestureRecognizer>(inner.action()));
    target->addGestureRecognizer(std::make_shared<ui::TapGestureRecognizer>(outer.action()));
    fingers.tap({80, 80});  // inside the child
    EXPECT_EQ(inner.count(ui::GestureStateRecognized), 1u);
    EXPECT_TRUE(outer.states.empty());
    fingers.wait(1.0);
    fingers.tap({200, 200});  // beside it
    EXPECT_EQ(inner.count(ui::GestureStateRecognized), 1u);
    EXPECT_EQ(outer.count(ui::GestureStateRecognized), 1u);
}

TEST_F(GestureTest, DelegateCanRefuseTouchesAndTheStart) {
    struct Refusing : ui::GestureRecognizerDelegate {
        bool receive = true, begin = true;
        int asked = 0;
        bool gestureRecognizerShouldBegin(GestureRecognizer&) override {
            ++asked;
            return begin;
        }
        bool shouldReceiveTouch(GestureRecognizer&, const ui::Touch&) override { return receive; }
    } refusing;
    StateLog log;
    auto tap = add<ui::TapGestureRecognizer>(log);
    tap->delegate = &refusing;
    refusing.receive = false;
    fingers.tap({100, 100});
    EXPECT_EQ(refusing.asked, 0);
    refusing.receive = true;
    refusing.begin = false;
    fingers.wait(1.0);
    fingers.tap({100, 100});
    EXPECT_EQ(refusing.asked, 1);
    EXPECT_TRUE(log.states.empty());
    // The refused tap left the view's touches alone.
    EXPECT_EQ(target->calls.back(), "ended");
}

TEST_F(GestureTest, DisablingOrRemovingDuringAPanCancelsIt) {
    StateLog log;
    auto pan = add<ui::PanGestureRecognizer>(log);
    auto t = fingers.touchDown({100, 100});
    fingers.moveTo(t, {150, 100});
    pan->setEnabled(false);
    fingers.moveTo(t, {200, 100});
    fingers.touchUp(t);
    EXPECT_EQ(log.states, (std::vector<GestureState>{GestureState::Began, GestureState::Cancelled}));
    EXPECT_EQ(pan->state(), GestureState::Possible) << "not reset once the finger lifted";

    pan->setEnabled(true);
    log.states.clear();
    target->calls.clear();
    t = fingers.touchDown({100, 100});
    fingers.moveTo(t, {150, 100});
    target->removeFromSuperview();
    fingers.moveTo(t, {200, 100});
    fingers.touchUp(t);
    EXPECT_EQ(log.states, (std::vector<GestureState>{GestureState::Began, GestureState::Cancelled}));
    EXPECT_EQ(target->calls, (std::vector<std::string>{"began", "cancelled"}));
    EXPECT_EQ(window->activeTouchCount(), 0u);
}

TEST_F(GestureTest, SecondFingerGoesToRecognisersButNotToASingleTouchView) {
    StateLog log;
    add<ui::PinchGestureRecognizer>(log)->cancelsTouchesInView = false;
    auto two = fingers.touchDown(std::vector<Point>{{150, 150}, {250, 150}});
    fingers.moveTo(two, {{120, 150}, {280, 150}});
    fingers.touchUp(two);
    EXPECT_EQ(log.count(GestureState::Began), 1u);
    EXPECT_EQ(target->calls, (std::vector<std::string>{"began", "moved", "ended"}));
    target->calls.clear();
    target->setMultipleTouchEnabled(true);
    two = fingers.touchDown(std::vector<Point>{{150, 150}, {250, 150}});
    fingers.touchUp(two);
    // Both fingers arrive together in one call each way.
    EXPECT_EQ(target->calls, (std::vector<std::string>{"began", "ended"}));
}

TEST_F(GestureTest, RequirementOnARecogniserElsewhereDoesNotHoldTheTapBack) {
    StateLog single, twice;
    auto other = ui::makeView(Rect(0, 0, 40, 40));
    window->addSubview(other);
    auto doubleTap = std::make_shared<ui::TapGestureRecognizer>(twice.action());
    doubleTap->numberOfTapsRequired = 2;
    other->addGestureRecognizer(doubleTap);
    auto singleTap = add<ui::TapGestureRecognizer>(single);
    singleTap->requireGestureRecognizerToFail(doubleTap);
    fingers.tap({100, 100});  // on the target, where the double tap takes no part
    EXPECT_EQ(single.count(ui::GestureStateRecognized), 1u);
    EXPECT_THROW(singleTap->locationOfTouch(0, nullptr), std::out_of_range);
}

TEST_F(GestureTest, ViewGoneWhileATapWaitsForItsSecondTap) {
    StateLog twice;
    {
        auto doubleTap = add<ui::TapGestureRecognizer>(twice);
        doubleTap->numberOfTapsRequired = 2;
    }
    fingers.tap({100, 100});
    target->removeFromSuperview();
    target.reset();  // the view and, with it, the recogniser's only owner
    fingers.wait(1.0);
    fingers.tap({100, 100});
    EXPECT_TRUE(twice.states.empty());
    EXPECT_EQ(window->activeTouchCount(), 0u);
}

}  // namespace
