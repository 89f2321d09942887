// The control base: target-action per event, the tracking slop, states and
// what a disabled control does with touches.

#include "ControlsTestSupport.h"
#include "platform/ui/controls/Control.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"

#include <algorithm>
#include <string>
#include <vector>

using graphics::Point;
using graphics::Rect;
using ui::Control;

namespace {

// Writes down the tracking calls a control receives.
class RecordingControl : public Control {
public:
    using Control::Control;
    std::vector<std::string> calls;
    bool keepTracking = true;

    bool beginTrackingWithTouch(const ui::Touch&, const ui::Event&) override {
        calls.push_back("begin");
        return keepTracking;
    }
    bool continueTrackingWithTouch(const ui::Touch&, const ui::Event&) override {
        calls.push_back("continue");
        return true;
    }
    void endTrackingWithTouch(const ui::Touch&, const ui::Event&) override { calls.push_back("end"); }
    void cancelTrackingWithEvent(const ui::Event* event) override {
        calls.push_back(event ? "cancel" : "cancel-without-event");
    }
};

class ControlTest : public controltest::ControlsTest {
protected:
    void SetUp() override {
        control = ui::makeView<RecordingControl>(Rect(100, 100, 40, 30));
        window->addSubview(control);
        const std::pair<unsigned, const char*> names[] = {
            {ui::ControlEventTouchDown, "down"},          {ui::ControlEventTouchDownRepeat, "repeat"},
            {ui::ControlEventTouchDragInside, "drag-in"}, {ui::ControlEventTouchDragOutside, "drag-out"},
            {ui::ControlEventTouchDragEnter, "enter"},    {ui::ControlEventTouchDragExit, "exit"},
            {ui::ControlEventTouchUpInside, "up-in"},     {ui::ControlEventTouchUpOutside, "up-out"},
            {ui::ControlEventTouchCancel, "cancel"},
        };
        for (auto [event, name] : names) {
            std::string label = name;
            control->addTarget(
                this, [this, label](Control&) { events.push_back(label); }, event);
        }
    }

    std::shared_ptr<RecordingControl> control;
    std::vector<std::string> events;
};

using Events = std::vector<std::string>;

TEST_F(ControlTest, TapSendsDownAndUpInsideAndHighlightsOnlyWhileTouched) {
    auto touch = fingers.touchDown(centerOf(*control));
    EXPECT_TRUE(control->isHighlighted());
    EXPECT_TRUE(control->isTracking());
    EXPECT_EQ(control->state(), unsigned(ui::ControlStateHighlighted));
    fingers.touchUp(touch);
    EXPECT_FALSE(control->isHighlighted());
    EXPECT_FALSE(control->isTracking());
    EXPECT_EQ(events, (Events{"down", "up-in"}));
    EXPECT_EQ(control->calls, (Events{"begin", "end"}));
}

TEST_F(ControlTest, AFingerStaysInsideUpToSeventyPointsBeyondTheBounds) {
    // The control spans x 100..140; 70 points to the right ends at 210.
    auto touch = fingers.touchDown(Point{120, 115});
    fingers.moveTo(touch, Point{209, 115});
    EXPECT_TRUE(control->isTouchInside());
    EXPECT_TRUE(control->isHighlighted()) << "a finger just inside the slop must keep the highlight";
    fingers.moveTo(touch, Point{211, 115});
    EXPECT_FALSE(control->isTouchInside());
    EXPECT_FALSE(control->isHighlighted());
    fingers.moveTo(touch, Point{120, 44});  // 56 points above the top: inside again
    EXPECT_TRUE(control->isHighlighted());
    fingers.touchUp(touch);
    EXPECT_EQ(events, (Events{"down", "drag-in", "drag-out", "exit", "drag-in", "enter", "up-in"}));
}

TEST_F(ControlTest, LiftingBeyondTheSlopSendsUpOutside) {
    auto touch = fingers.touchDown(Point{120, 115});
    fingers.moveTo(touch, Point{120, 216});  // 86 points below the bottom edge at 130
    fingers.touchUp(touch);
    EXPECT_EQ(events, (Events{"down", "drag-out", "exit", "up-out"}));
    EXPECT_FALSE(control->isHighlighted());
}

TEST_F(ControlTest, CancelledTouchSendsCancelAndEndsTracking) {
    auto touch = fingers.touchDown(centerOf(*control));
    fingers.cancel({touch});
    EXPECT_EQ(events, (Events{"down", "cancel"}));
    EXPECT_EQ(control->calls, (Events{"begin", "cancel"}));
    EXPECT_FALSE(control->isHighlighted());
    EXPECT_FALSE(control->isTracking());
}

TEST_F(ControlTest, SecondQuickTapAlsoSendsDownRepeat) {
    fingers.tap(centerOf(*control), 2);
    EXPECT_EQ(events, (Events{"down", "up-in", "down", "repeat", "up-in"}));
}

TEST_F(ControlTest, TrackingGivenUpAtBeginStillSendsTheTouchEvents) {
    control->keepTracking = false;
    fingers.drag({centerOf(*control), Point{125, 118}}, 0.05);
    EXPECT_EQ(control->calls, (Events{"begin"})) << "no continue or end after begin refused";
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), "down");
    EXPECT_EQ(events.back(), "up-in");
}

TEST_F(ControlTest, DisabledControlTakesNoTouchesAndLetsThemThrough) {
    auto behind = ui::makeView<RecordingControl>(Rect(90, 90, 60, 50));
    window->insertSubviewBelowSubview(behind, control.get());
    int behindTaps = 0;
    behind->addTarget(
        nullptr, [&](Control&) { ++behindTaps; }, ui::ControlEventTouchUpInside);

    control->setEnabled(false);
    EXPECT_EQ(control->state(), unsigned(ui::ControlStateDisabled));
    fingers.tap(centerOf(*control));
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(control->isHighlighted());
    EXPECT_EQ(behindTaps, 1) << "the tap must reach the view beneath the disabled control";
}

TEST_F(ControlTest, DisablingMidTouchCancelsTrackingAndDropsTheHighlight) {
    auto touch = fingers.touchDown(centerOf(*control));
    control->setEnabled(false);
    EXPECT_FALSE(control->isHighlighted());
    EXPECT_FALSE(control->isTracking());
    fingers.touchUp(touch);
    EXPECT_EQ(events, (Events{"down"})) << "no touch-up for a control disabled under the finger";
    EXPECT_EQ(control->calls, (Events{"begin", "cancel-without-event"}));
}

TEST_F(ControlTest, RemovingFromTheWindowMidTouchLeavesNothingPressed) {
    auto touch = fingers.touchDown(centerOf(*control));
    control->removeFromSuperview();
    EXPECT_FALSE(control->isHighlighted());
    EXPECT_FALSE(control->isTracking());
    fingers.touchUp(touch);
    EXPECT_EQ(std::count(events.begin(), events.end(), "up-in"), 0);
}

TEST_F(ControlTest, ATapOnTheControlIsNotAnEnclosingViewsTap) {
    // The window's own tap recogniser stands for a screen's tap-to-dismiss.
    int backgroundTaps = 0;
    auto tap = std::make_shared<ui::TapGestureRecognizer>([&](ui::GestureRecognizer& r) {
        if (r.state() == ui::GestureStateRecognized) ++backgroundTaps;
    });
    window->addGestureRecognizer(tap);
    fingers.tap(centerOf(*control));
    EXPECT_EQ(events, (Events{"down", "up-in"}));
    EXPECT_EQ(backgroundTaps, 0);
    fingers.wait(1);
    fingers.tap(Point{300, 250});
    EXPECT_EQ(backgroundTaps, 1);

    // A control's claim ends with its enabled state: the tap passes to the background.
    control->setEnabled(false);
    fingers.wait(1);
    fingers.tap(centerOf(*control));
    EXPECT_EQ(backgroundTaps, 2);
}

// ---- target-action ------------------------------------------------------------------------

TEST(ControlTargets, ActionsRunInOrderAndRemovalIsPerTargetAndEvent) {
    auto control = ui::makeView<Control>(Rect(0, 0, 10, 10));
    std::vector<std::string> log;
    int a = 0, b = 0;
    control->addTarget(
        &a, [&](Control&) { log.push_back("a1"); }, ui::ControlEventValueChanged | ui::ControlEventTouchUpInside);
    control->addTarget(
        &b, [&](Control&) { log.push_back("b"); }, ui::ControlEventValueChanged);
    control->addTarget(
        &a, [&](Control&) { log.push_back("a2"); }, ui::ControlEventValueChanged);
    EXPECT_EQ(control->allControlEvents(), unsigned(ui::ControlEventValueChanged | ui::ControlEventTouchUpInside));

    control->sendActionsForControlEvents(ui::ControlEventValueChanged);
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "b", "a2"}));

    // a's actions leave value-changed but a1 keeps touch-up-inside.
    control->removeTarget(&a, ui::ControlEventValueChanged);
    log.clear();
    control->sendActionsForControlEvents(ui::ControlEventValueChanged | ui::ControlEventTouchUpInside);
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "b"})) << "each action runs once for several events";

    control->removeTarget(nullptr, ui::ControlEventAllEvents);
    EXPECT_EQ(control->allControlEvents(), 0u);
}

TEST(ControlTargets, AnActionRemovedByAnEarlierOneDoesNotRun) {
    auto control = ui::makeView<Control>(Rect(0, 0, 10, 10));
    int second = 0;
    int owner = 0;
    control->addTarget(
        nullptr, [&](Control& sender) { sender.removeTarget(&owner, ui::ControlEventAllEvents); },
        ui::ControlEventValueChanged);
    control->addTarget(
        &owner, [&](Control&) { ++second; }, ui::ControlEventValueChanged);
    control->sendActionsForControlEvents(ui::ControlEventValueChanged);
    EXPECT_EQ(second, 0);
}

TEST_F(ControlTest, AnActionMayReleaseTheLastReferenceToItsControl) {
    // A screen that closes on a button's tap drops the button mid-touch.
    std::weak_ptr<RecordingControl> weak = control;
    control->addTarget(
        nullptr, [&](Control& sender) { sender.removeFromSuperview(); }, ui::ControlEventTouchUpInside);
    Point at = centerOf(*control);
    control.reset();
    fingers.tap(at);
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(events, (Events{"down", "up-in"}));
}

TEST(ControlStates, StateBitsCombine) {
    auto control = ui::makeView<Control>(Rect(0, 0, 10, 10));
    control->setSelected(true);
    control->setHighlighted(true);
    EXPECT_EQ(control->state(), unsigned(ui::ControlStateSelected | ui::ControlStateHighlighted));
    control->setEnabled(false);
    EXPECT_EQ(control->state(), unsigned(ui::ControlStateSelected | ui::ControlStateDisabled))
        << "disabling drops the highlight";
}

}  // namespace
