// Slider and switch: values changed by fingers, the events they send, the
// ranges they keep and how they look.

#include "ControlsTestSupport.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/controls/Switch.h"
#include "platform/ui/gestures/PanGestureRecognizer.h"

#include <algorithm>
#include <cmath>
#include <limits>

using graphics::Color;
using graphics::Point;
using graphics::Rect;
using graphics::RGBA;
using ui::Slider;
using ui::Switch;

namespace {

class SliderTest : public controltest::ControlsTest {
protected:
    void SetUp() override {
        // Track 20..248; the 28-point thumb's centre travels 34..234 (200 points).
        slider = ui::makeView<Slider>(Rect(20, 100, 228, 31));
        window->addSubview(slider);
        slider->addTarget(
            nullptr, [this](ui::Control&) { changes.push_back(slider->value()); }, ui::ControlEventValueChanged);
    }
    Point thumbCentre() {
        Rect b = slider->bounds();
        Rect thumb = slider->thumbRectForBounds(b, slider->trackRectForBounds(b), slider->value());
        return inWindow(*slider, Point{thumb.midX(), thumb.midY()});
    }

    std::shared_ptr<Slider> slider;
    std::vector<double> changes;
};

TEST_F(SliderTest, DraggingTheThumbChangesTheValueContinuously) {
    Point start = thumbCentre();
    EXPECT_DOUBLE_EQ(start.x, 34);
    fingers.drag({start, Point{start.x + 100, start.y}}, 0.2);
    EXPECT_DOUBLE_EQ(slider->value(), 0.5);
    ASSERT_GE(changes.size(), 5u) << "a continuous slider reports during the drag";
    EXPECT_DOUBLE_EQ(changes.back(), 0.5);
    for (size_t i = 1; i < changes.size(); ++i) EXPECT_GT(changes[i], changes[i - 1]) << "only real changes are sent";
}

TEST_F(SliderTest, ANonContinuousSliderReportsOnceWhenTheFingerLifts) {
    slider->setContinuous(false);
    Point start = thumbCentre();
    auto touch = fingers.touchDown(start);
    fingers.moveTo(touch, Point{start.x + 50, start.y});
    fingers.moveTo(touch, Point{start.x + 150, start.y});
    EXPECT_DOUBLE_EQ(slider->value(), 0.75) << "the thumb follows the finger meanwhile";
    EXPECT_TRUE(changes.empty());
    fingers.touchUp(touch);
    EXPECT_EQ(changes, (std::vector<double>{0.75}));
}

TEST_F(SliderTest, ANonContinuousSliderDisabledMidDragReportsNothing) {
    slider->setContinuous(false);
    Point start = thumbCentre();
    auto touch = fingers.touchDown(start);
    fingers.moveTo(touch, Point{start.x + 100, start.y});
    slider->setEnabled(false);
    fingers.touchUp(touch);
    EXPECT_TRUE(changes.empty());
    EXPECT_DOUBLE_EQ(slider->value(), 0.5);
}

TEST_F(SliderTest, TheThumbFollowsTheFingersMovementNotItsPosition) {
    // Grabbed 8 points right of its centre, the thumb must not jump there.
    Point start = thumbCentre();
    auto touch = fingers.touchDown(Point{start.x + 8, start.y});
    fingers.moveTo(touch, Point{start.x + 58, start.y});
    fingers.touchUp(touch);
    EXPECT_DOUBLE_EQ(slider->value(), 0.25);
}

TEST_F(SliderTest, TouchingTheTrackAwayFromTheThumbDoesNothing) {
    fingers.drag({Point{200, 115}, Point{120, 115}}, 0.1);
    EXPECT_EQ(slider->value(), 0);
    EXPECT_TRUE(changes.empty());
}

TEST_F(SliderTest, DraggingPastTheEndStopsAtTheMaximum) {
    slider->setMinimumValue(0);
    slider->setMaximumValue(60);
    Point start = thumbCentre();
    fingers.drag({start, Point{start.x + 400, start.y}, Point{start.x + 450, start.y}}, 0.2);
    EXPECT_EQ(slider->value(), 60);
    EXPECT_EQ(changes.back(), 60);
    EXPECT_EQ(std::count(changes.begin(), changes.end(), 60.0), 1) << "no repeated reports at the end";
}

TEST_F(SliderTest, DraggingTheThumbIsNotAnEnclosingPan) {
    int pans = 0;
    auto pan = std::make_shared<ui::PanGestureRecognizer>([&](ui::GestureRecognizer& r) {
        if (r.state() == ui::GestureState::Began) ++pans;
    });
    window->addGestureRecognizer(pan);
    Point start = thumbCentre();
    fingers.drag({start, Point{start.x + 100, start.y}}, 0.3);
    EXPECT_DOUBLE_EQ(slider->value(), 0.5);
    EXPECT_EQ(pans, 0);
    // Away from the thumb the drag is the enclosing view's.
    fingers.drag({Point{200, 115}, Point{120, 115}}, 0.3);
    EXPECT_EQ(pans, 1);
    EXPECT_DOUBLE_EQ(slider->value(), 0.5);
}

TEST(SliderRange, ValuesStayInTheRangeAndNotANumberIsRefused) {
    auto slider = ui::makeView<Slider>(Rect(0, 0, 200, 31));
    slider->setValue(0.4);
    slider->setValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(slider->value(), 0.4);
    slider->setValue(7);
    EXPECT_EQ(slider->value(), 1);
    slider->setMinimumValue(5);
    EXPECT_EQ(slider->maximumValue(), 5) << "a minimum above the maximum raises it";
    EXPECT_EQ(slider->value(), 5);
    slider->setMaximumValue(-1);
    EXPECT_EQ(slider->minimumValue(), -1);
    EXPECT_EQ(slider->value(), -1);
}

TEST_F(SliderTest, SliderLooksLikeItsValue) {
    auto panel = ui::makeView<ui::View>(Rect(0, 0, 268, 51));
    panel->setBackgroundColor(Color::grey(0.95));
    slider->removeFromSuperview();
    slider->setFrame(Rect(20, 10, 228, 31));
    slider->setMinimumTrackTintColor(Color::rgb8(212, 3, 215));
    slider->setValue(0.5);
    panel->addSubview(slider);
    graphics::Image picture = ui::renderView(*panel, 2.0);
    controltest::savePicture(picture, "ui-slider.png");
    // Track centre line at y = 25.5 points; the thumb's centre at x = 20 + 14 + 100.
    EXPECT_TRUE(controltest::near(212, 3, 215, 30)(picture.pixelAt(2 * 60, 51)));
    EXPECT_TRUE(controltest::near(183, 183, 183, 30)(picture.pixelAt(2 * 200, 51)));
    EXPECT_TRUE(controltest::near(255, 255, 255, 8)(picture.pixelAt(2 * 134, 51))) << "the white thumb";
}

// ---- switch ------------------------------------------------------------------------------------

class SwitchTest : public controltest::ControlsTest {
protected:
    void SetUp() override {
        toggle = ui::makeView<Switch>(Rect(50, 50, 200, 200));
        window->addSubview(toggle);
        toggle->addTarget(
            nullptr, [this](ui::Control&) { values.push_back(toggle->isOn()); }, ui::ControlEventValueChanged);
    }
    std::shared_ptr<Switch> toggle;
    std::vector<bool> values;
};

TEST_F(SwitchTest, KeepsItsOwnSize) { EXPECT_EQ(toggle->frame(), Rect(50, 50, Switch::kWidth, Switch::kHeight)); }

TEST_F(SwitchTest, TapFlipsItAndReportsEachChange) {
    fingers.tap(centerOf(*toggle));
    EXPECT_TRUE(toggle->isOn());
    foundation::RunLoop::main().advance(1);
    fingers.tap(centerOf(*toggle));
    EXPECT_FALSE(toggle->isOn());
    EXPECT_EQ(values, (std::vector<bool>{true, false}));
}

TEST_F(SwitchTest, ATapThatSlidesFarAwayDoesNotFlipIt) {
    Point c = centerOf(*toggle);
    fingers.drag({c, Point{c.x, c.y + 120}}, 0.1);
    EXPECT_FALSE(toggle->isOn());
    EXPECT_TRUE(values.empty());
}

TEST_F(SwitchTest, DragSetsTheSideWhereTheFingerLifts) {
    Point left = inWindow(*toggle, Point{12, 15});
    Point right = inWindow(*toggle, Point{40, 15});
    fingers.drag({left, right}, 0.2);
    EXPECT_TRUE(toggle->isOn());
    fingers.wait(1);
    fingers.drag({right, Point{right.x + 30, right.y}}, 0.2);
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(values, (std::vector<bool>{true})) << "dragging to the side it is on changes nothing";
}

TEST_F(SwitchTest, SettingInCodeSendsNothingAndAnimatesTheThumb) {
    toggle->layoutIfNeeded();
    ui::View* thumb = toggle->subviews().back().get();
    double offX = thumb->center().x;
    toggle->setOn(true, true);
    EXPECT_TRUE(values.empty());
    toggle->layoutIfNeeded();
    double onX = thumb->center().x;
    EXPECT_GT(onX, offX);
    foundation::RunLoop::main().advance(0.125);
    double shown = thumb->layer().presentation().position.x;
    EXPECT_GT(shown, offX + 1);
    EXPECT_LT(shown, onX - 1);
    foundation::RunLoop::main().advance(0.5);
    EXPECT_DOUBLE_EQ(thumb->layer().presentation().position.x, onX);
}

TEST_F(SwitchTest, SwitchLooksOnAndOff) {
    auto panel = ui::makeView<ui::View>(Rect(0, 0, 140, 51));
    panel->setBackgroundColor(Color::white());
    auto off = ui::makeView<Switch>(Rect(10, 10, 0, 0));
    auto on = ui::makeView<Switch>(Rect(80, 10, 0, 0));
    on->setOn(true);
    panel->addSubview(off);
    panel->addSubview(on);
    graphics::Image picture = ui::renderView(*panel, 2.0);
    controltest::savePicture(picture, "ui-switch.png");
    auto green = controltest::near(76, 217, 100, 20);
    EXPECT_EQ(controltest::countPixels(picture, Rect(20, 20, 102, 62), green), 0);
    EXPECT_GT(controltest::countPixels(picture, Rect(160, 20, 102, 62), green), 500);
    // The thumb sits at the end it points to.
    EXPECT_TRUE(controltest::near(255, 255, 255, 8)(picture.pixelAt(2 * (80 + 36), 2 * 25)));
}

}  // namespace
