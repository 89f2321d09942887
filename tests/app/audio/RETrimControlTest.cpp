// The trim control driven by synthetic fingers: 300 points wide over 10 s,
// where 27.5 points are 10 percent, one second.

#include "app/audio/RETrimControl.h"
#include "platform/ui/controls/Label.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

class Recorder : public RETrimControlDelegate {
public:
    void trimControl(RETrimControl&, double left, double right) override { heard.emplace_back(left, right); }
    std::vector<std::pair<double, double>> heard;
};

class RETrimControlTest : public testsupport::WindowFixture {
protected:
    RETrimControl& show(float length, float left, float right) {
        auto made = std::make_shared<RETrimControl>(graphics::Rect(50, 100, 300, 75), length, length, left, right);
        made->setDelegate(&delegate);
        control = made.get();
        window->addSubview(made);
        window->layoutIfNeeded();
        return *made;
    }
    // A drag of `dx` points from the middle of a view.
    void dragBy(const ui::View& view, double dx) {
        const graphics::Point from = centerOf(view);
        fingers.drag({from, graphics::Point{from.x + dx, from.y}}, 0.5);
        window->layoutIfNeeded();
    }
    Recorder delegate;
    RETrimControl* control = nullptr;
};

TEST_F(RETrimControlTest, DraggingAHandle27AndAHalfPointsMovesItOneSecond) {
    show(10, 0, 10);
    dragBy(*control->rightThumbView(), -27.5);
    EXPECT_NEAR(control->rightValue(), 9.0, 1e-4);
    EXPECT_EQ(control->leftValue(), 0.0);
    ASSERT_FALSE(delegate.heard.empty());
    EXPECT_NEAR(delegate.heard.back().second, 9.0, 1e-4);
    EXPECT_EQ(control->rightPopover()->timeLabel()->text(), "09:00");
    // The handle's view follows its value: centred 12 points right of its x.
    EXPECT_NEAR(control->rightThumbView()->center().x, 275 - 27.5 + 12, 1e-3);

    dragBy(*control->leftThumbView(), 55);
    EXPECT_NEAR(control->leftValue(), 2.0, 1e-4);
    EXPECT_NEAR(delegate.heard.back().first, 2.0, 1e-4);
}

TEST_F(RETrimControlTest, LeftHandleDraggedIntoTheRightOneStopsNinePercentBeforeIt) {
    show(10, 1, 5);
    dragBy(*control->leftThumbView(), 200);
    EXPECT_NEAR(control->leftPercent(), control->rightPercent() - 9, 1e-6);
    EXPECT_NEAR(control->rightValue(), 5.0, 1e-4);
    // And the right handle past the end stops at the length.
    dragBy(*control->rightThumbView(), 300);
    EXPECT_EQ(control->rightPercent(), 100.0);
    EXPECT_NEAR(delegate.heard.back().second, 10.0, 1e-6);
}

TEST_F(RETrimControlTest, BandDraggedAgainstTheStartIsPinnedThereWithoutTellingTheDelegate) {
    show(10, 1, 3);
    dragBy(*control->sliderMiddleView(), -80);
    EXPECT_EQ(control->leftPercent(), 0.0);
    EXPECT_NEAR(control->rightPercent(), 20.0, 1e-5);
    ASSERT_FALSE(delegate.heard.empty());  // the steps before the start were told
    for (const auto& [left, right] : delegate.heard) {
        EXPECT_GT(left, 0.0);
        EXPECT_NEAR(right - left, 2.0, 1e-4);
    }
}

TEST_F(RETrimControlTest, AnEmptyItemTakesNoTouchesAndReportsNothing) {
    show(0, 0, 0);
    EXPECT_EQ(control->leftValue(), 0.0);
    EXPECT_EQ(control->rightValue(), 0.0);
    EXPECT_FALSE(control->isUserInteractionEnabled());
    dragBy(*control->rightThumbView(), -50);
    control->notifyDelegate();
    EXPECT_TRUE(delegate.heard.empty());
    EXPECT_EQ(control->rightValue(), 0.0);
}

}  // namespace
