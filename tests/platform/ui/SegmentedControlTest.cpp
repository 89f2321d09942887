// Segmented control: choosing segments by touch, momentary use, editing the
// segments and keeping the selection on the right one.

#include "ControlsTestSupport.h"
#include "platform/ui/controls/SegmentedControl.h"

#include <stdexcept>

using graphics::Color;
using graphics::Point;
using graphics::Rect;
using ui::SegmentedControl;

namespace {

class SegmentedControlTest : public controltest::ControlsTest {
protected:
    void SetUp() override {
        segments = std::make_shared<SegmentedControl>(std::vector<std::string>{"Off", "3 s", "5 s"});
        segments->setFrame(Rect(30, 40, 240, SegmentedControl::kHeight));
        window->addSubview(segments);
        segments->addTarget(
            nullptr, [this](ui::Control&) { reported.push_back(segments->selectedSegmentIndex()); },
            ui::ControlEventValueChanged);
    }
    // The centre of a segment in window coordinates.
    Point segmentCentre(size_t index) {
        Rect r = segments->segmentRects().at(index);
        return inWindow(*segments, Point{r.midX(), r.midY()});
    }

    std::shared_ptr<SegmentedControl> segments;
    std::vector<int> reported;
};

TEST_F(SegmentedControlTest, LiftingOnASegmentSelectsItOnce) {
    EXPECT_EQ(segments->selectedSegmentIndex(), SegmentedControl::kNoSegment);
    fingers.tap(segmentCentre(1));
    EXPECT_EQ(segments->selectedSegmentIndex(), 1);
    fingers.wait(1);
    fingers.tap(segmentCentre(1));
    EXPECT_EQ(reported, (std::vector<int>{1})) << "choosing the selected segment again reports nothing";

    // Pressed on one segment, lifted on another: the one under the finger counts.
    fingers.wait(1);
    fingers.drag({segmentCentre(1), segmentCentre(2)}, 0.1);
    EXPECT_EQ(segments->selectedSegmentIndex(), 2);
}

TEST_F(SegmentedControlTest, DisabledSegmentsCannotBeChosen) {
    segments->setEnabledForSegmentAtIndex(false, 0);
    fingers.tap(segmentCentre(0));
    EXPECT_EQ(segments->selectedSegmentIndex(), SegmentedControl::kNoSegment);
    EXPECT_TRUE(reported.empty());
}

TEST_F(SegmentedControlTest, MomentaryControlReportsTheSegmentThenKeepsNoneSelected) {
    segments->setMomentary(true);
    fingers.tap(segmentCentre(2));
    EXPECT_EQ(reported, (std::vector<int>{2})) << "the action sees the tapped segment";
    EXPECT_EQ(segments->selectedSegmentIndex(), SegmentedControl::kNoSegment);
    fingers.wait(1);
    fingers.tap(segmentCentre(2));
    EXPECT_EQ(reported.size(), 2u) << "every tap of a momentary control reports";
}

TEST_F(SegmentedControlTest, SelectionFollowsItsSegmentThroughInsertsAndRemovals) {
    segments->setSelectedSegmentIndex(1);
    EXPECT_TRUE(reported.empty()) << "selecting in code sends nothing";
    segments->insertSegmentWithTitle("1 s", 0, false);
    EXPECT_EQ(segments->selectedSegmentIndex(), 2);
    EXPECT_EQ(segments->titleForSegmentAtIndex(2), "3 s");
    segments->insertSegmentWithTitle("10 s", 99, false);
    EXPECT_EQ(segments->titleForSegmentAtIndex(4), "10 s") << "an index past the end appends";
    segments->removeSegmentAtIndex(0, false);
    EXPECT_EQ(segments->selectedSegmentIndex(), 1);
    segments->removeSegmentAtIndex(1, false);
    EXPECT_EQ(segments->selectedSegmentIndex(), SegmentedControl::kNoSegment);
    EXPECT_EQ(segments->numberOfSegments(), 3u);
}

TEST_F(SegmentedControlTest, BadIndexesAreRefusedClearly) {
    EXPECT_THROW(segments->setSelectedSegmentIndex(3), std::out_of_range);
    EXPECT_THROW(segments->setSelectedSegmentIndex(-2), std::out_of_range);
    EXPECT_THROW(segments->setTitle("x", 3), std::out_of_range);
    EXPECT_THROW(segments->removeSegmentAtIndex(7, false), std::out_of_range);
    EXPECT_EQ(segments->numberOfSegments(), 3u);
}

TEST_F(SegmentedControlTest, FixedWidthsAndSharedRest) {
    segments->setWidth(40, 0);
    auto rects = segments->segmentRects();
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0], Rect(0, 0, 40, SegmentedControl::kHeight));
    EXPECT_EQ(rects[1], Rect(40, 0, 100, SegmentedControl::kHeight));
    EXPECT_EQ(rects[2], Rect(140, 0, 100, SegmentedControl::kHeight));
    EXPECT_EQ(segments->segmentAtPoint(Point{139, 5}), 1);
    EXPECT_EQ(segments->segmentAtPoint(Point{241, 5}), SegmentedControl::kNoSegment);
}

TEST_F(SegmentedControlTest, TheSelectedSegmentIsFilledWithTheTint) {
    auto panel = ui::makeView<ui::View>(Rect(0, 0, 260, 49));
    panel->setBackgroundColor(Color::white());
    panel->setTintColor(Color::rgb8(212, 3, 215));
    segments->removeFromSuperview();
    segments->setFrame(Rect(10, 10, 240, SegmentedControl::kHeight));
    segments->setSelectedSegmentIndex(1);
    panel->addSubview(segments);
    graphics::Image picture = ui::renderView(*panel, 2.0);
    controltest::savePicture(picture, "ui-segmented.png");
    auto tint = controltest::near(212, 3, 215, 20);
    // Segment 1 spans x 90..170 points; take a strip beside its title.
    EXPECT_GT(controltest::countPixels(picture, Rect(2 * 95, 2 * 14, 20, 40), tint), 700);
    EXPECT_LT(controltest::countPixels(picture, Rect(2 * 15, 2 * 14, 20, 40), tint), 50);
}

}  // namespace
