// Scroll views driven by synthetic fingers on the virtual clock: dragging,
// deceleration, paging, bouncing, animated offsets and what the delegate hears.

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/gestures/GestureArena.h"
#include "platform/ui/lists/ScrollView.h"
#include "support/TouchDriver.h"
#include "support/VirtualClock.h"
#include "support/WindowFixture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

class Recorder : public ui::ScrollViewDelegate {
public:
    std::vector<std::string> events;
    std::vector<Point> offsets;  // every offset the delegate heard of
    Point velocityAtRelease;
    Point proposedTarget;
    std::optional<Point> replacementTarget;

    void scrollViewDidScroll(ui::ScrollView& s) override { offsets.push_back(s.contentOffset()); }
    void scrollViewWillBeginDragging(ui::ScrollView&) override { events.push_back("willBeginDragging"); }
    void scrollViewWillEndDragging(ui::ScrollView&, Point velocity, Point& target) override {
        events.push_back("willEndDragging");
        velocityAtRelease = velocity;
        proposedTarget = target;
        if (replacementTarget) target = *replacementTarget;
    }
    void scrollViewDidEndDragging(ui::ScrollView&, bool willDecelerate) override {
        events.push_back(willDecelerate ? "didEndDragging(decelerate)" : "didEndDragging");
    }
    void scrollViewWillBeginDecelerating(ui::ScrollView&) override { events.push_back("willBeginDecelerating"); }
    void scrollViewDidEndDecelerating(ui::ScrollView&) override { events.push_back("didEndDecelerating"); }
    void scrollViewDidEndScrollingAnimation(ui::ScrollView&) override { events.push_back("didEndScrollingAnimation"); }

    size_t count(const std::string& event) const { return size_t(std::count(events.begin(), events.end(), event)); }
};

class ScrollViewTest : public testsupport::WindowFixture {
protected:
    ScrollViewTest() : WindowFixture(Rect(0, 0, 320, 480), 100) {}
    void SetUp() override {
        scroll = ui::makeView<ui::ScrollView>(Rect(0, 0, 320, 480));
        scroll->setDelegate(&recorder);
        window->addSubview(scroll);
    }
    void TearDown() override {
        if (scroll) scroll->setDelegate(nullptr);
        WindowFixture::TearDown();
    }
    void run(double seconds) { foundation::RunLoop::main().advance(seconds); }
    // Motion steps fire at whole frames from its start; a hair more than the
    // frames asked for keeps rounding from hiding the last one.
    void frames(int count) { run(count / 60.0 + 1e-7); }
    // Steps a frame at a time until the motion ends; the elapsed time.
    double runUntilAtRest(double limit = 10.0) {
        double elapsed = 0;
        while ((scroll->isDecelerating() || scroll->isScrollAnimating()) && elapsed < limit) {
            run(1.0 / 60.0);
            elapsed += 1.0 / 60.0;
        }
        return elapsed;
    }
    // A drag whose finger stops and rests before lifting: no velocity.
    void dragAndRest(Point from, Point to) {
        auto touch = fingers.touchDown(from);
        const int steps = 10;
        for (int i = 1; i <= steps; ++i) {
            fingers.wait(1.0 / 60.0);
            fingers.moveTo(touch, Point{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        }
        fingers.wait(0.3);
        fingers.touchUp(touch);
    }

    std::shared_ptr<ui::ScrollView> scroll;
    Recorder recorder;
};

TEST_F(ScrollViewTest, ContentFollowsTheFingerAndStaysWhereItRested) {
    scroll->setContentSize(Size{320, 2000});
    dragAndRest({160, 400}, {160, 100});
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 300.0);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().x, 0.0) << "moved along an axis the content does not fill";
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"willBeginDragging", "willEndDragging", "didEndDragging"}));
    EXPECT_FALSE(scroll->isDecelerating());
    run(1.0);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 300.0);
}

TEST_F(ScrollViewTest, FlickDeceleratesToWhereTheDelegateWasToldAndSlowsDownOnTheWay) {
    scroll->setContentSize(Size{320, 20000});
    fingers.drag({{160, 400}, {160, 100}}, 0.1);
    ASSERT_TRUE(scroll->isDecelerating());
    double release = scroll->contentOffset().y;
    double v = recorder.velocityAtRelease.y;
    ASSERT_GT(v, 1000.0) << "a fast upward flick moves the content down the list";
    // The velocity keeps 0.998 of itself per millisecond: the whole glide is v / (1000 ln(1/0.998)).
    double travel = v / (1000.0 * -std::log(ui::ScrollView::kDecelerationRateNormal));
    EXPECT_NEAR(recorder.proposedTarget.y, release + travel, 1e-6);

    // A quarter of a second in, the glide has covered 1 - 0.998^250 of its way.
    recorder.offsets.clear();
    frames(15);
    EXPECT_NEAR(scroll->contentOffset().y, release + travel * (1 - std::pow(0.998, 250)), 1e-6);

    runUntilAtRest();
    std::vector<double> steps;
    for (size_t i = 1; i < recorder.offsets.size(); ++i)
        steps.push_back(recorder.offsets[i].y - recorder.offsets[i - 1].y);
    ASSERT_GT(steps.size(), 30u);
    for (size_t i = 1; i + 1 < steps.size(); ++i) {
        EXPECT_GT(steps[i], 0.0) << "step " << i;
        EXPECT_LE(steps[i], steps[i - 1] + 1e-9) << "sped up at step " << i;
    }
    EXPECT_NEAR(scroll->contentOffset().y, release + travel, 0.5);
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"willBeginDragging", "willEndDragging", "didEndDragging(decelerate)",
                                        "willBeginDecelerating", "didEndDecelerating"}));
}

TEST_F(ScrollViewTest, DelegateHearsOfEveryOffsetTheScreenCouldShow) {
    scroll->setContentSize(Size{320, 5000});
    fingers.drag({{160, 400}, {160, 200}}, 0.1);
    std::vector<Point> seen{scroll->contentOffset()};
    while (scroll->isDecelerating()) {
        run(1.0 / 60.0);
        seen.push_back(scroll->contentOffset());
    }
    for (const Point& p : seen) {
        EXPECT_NE(std::find(recorder.offsets.begin(), recorder.offsets.end(), p), recorder.offsets.end())
            << "offset " << p.toString() << " was never told";
    }
    for (size_t i = 1; i < recorder.offsets.size(); ++i)
        EXPECT_NE(recorder.offsets[i], recorder.offsets[i - 1]) << "told of a change that was none";
    EXPECT_EQ(recorder.offsets.back(), scroll->contentOffset());
}

TEST_F(ScrollViewTest, DelegateCanChooseWhereTheGlideEnds) {
    scroll->setContentSize(Size{320, 5000});
    recorder.replacementTarget = Point{0, 1000};
    fingers.drag({{160, 400}, {160, 250}}, 0.1);
    runUntilAtRest();
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 1000.0);
}

TEST_F(ScrollViewTest, AnOffsetSetWhenTheFingerLiftsWinsOverTheGlide) {
    class Stopper : public Recorder {
    public:
        void scrollViewDidEndDragging(ui::ScrollView& s, bool willDecelerate) override {
            Recorder::scrollViewDidEndDragging(s, willDecelerate);
            s.setContentOffset(Point{0, 42});
        }
    } stopper;
    scroll->setDelegate(&stopper);
    scroll->setContentSize(Size{320, 5000});
    fingers.drag({{160, 400}, {160, 100}}, 0.1);
    runUntilAtRest();
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 42.0);
    EXPECT_EQ(stopper.count("willBeginDecelerating"), 0u);
}

TEST_F(ScrollViewTest, PagingEndsOnAPageBoundary) {
    scroll->setContentSize(Size{320 * 5, 480});
    scroll->setPagingEnabled(true);

    // A slow drag less than half a page falls back.
    dragAndRest({300, 200}, {200, 200});
    EXPECT_DOUBLE_EQ(scroll->contentOffset().x, 100.0);
    runUntilAtRest();
    EXPECT_DOUBLE_EQ(scroll->contentOffset().x, 0.0);

    // More than half a page goes on to the next one.
    dragAndRest({300, 200}, {100, 200});
    runUntilAtRest();
    EXPECT_DOUBLE_EQ(scroll->contentOffset().x, 320.0);

    // A short fast flick turns one page, and never past it.
    recorder.offsets.clear();
    fingers.drag({{200, 200}, {140, 200}}, 0.05);
    runUntilAtRest();
    EXPECT_DOUBLE_EQ(scroll->contentOffset().x, 640.0);
    for (const Point& p : recorder.offsets) EXPECT_LE(p.x, 640.0) << "overshot the page";
    EXPECT_EQ(recorder.count("didEndDecelerating"), 3u);
}

TEST_F(ScrollViewTest, PagingStopsAtTheLastPage) {
    scroll->setContentSize(Size{320 * 3, 480});
    scroll->setPagingEnabled(true);
    scroll->setContentOffset(Point{640, 0});
    fingers.drag({{250, 200}, {50, 200}}, 0.05);
    runUntilAtRest();
    EXPECT_DOUBLE_EQ(scroll->contentOffset().x, 640.0);
}

TEST_F(ScrollViewTest, PulledPastTheTopItResistsAndSpringsBack) {
    scroll->setContentSize(Size{320, 2000});
    auto touch = fingers.touchDown({160, 100});
    for (int i = 1; i <= 10; ++i) {
        fingers.wait(1.0 / 60.0);
        fingers.moveTo(touch, {160, 100.0 + 20 * i});
    }
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, -100.0) << "past the edge the content follows half the finger";
    fingers.wait(0.3);
    fingers.touchUp(touch);
    EXPECT_TRUE(scroll->isDecelerating());
    frames(6);
    double midway = scroll->contentOffset().y;
    EXPECT_GT(midway, -100.0);
    EXPECT_LT(midway, 0.0);
    double elapsed = runUntilAtRest();
    EXPECT_LT(elapsed, 1.0);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0.0);
    for (const Point& p : recorder.offsets) EXPECT_LE(p.y, 0.0) << "overshot the edge on the way back";
    EXPECT_EQ(recorder.count("didEndDecelerating"), 1u);
}

TEST_F(ScrollViewTest, WithoutBouncingTheContentStopsAtItsEdges) {
    scroll->setContentSize(Size{320, 1000});
    scroll->setBounces(false);
    dragAndRest({160, 100}, {160, 300});
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0.0);
    fingers.drag({{160, 400}, {160, 50}}, 0.05);
    runUntilAtRest();
    for (const Point& p : recorder.offsets) EXPECT_LE(p.y, 520.0);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 520.0);
}

TEST_F(ScrollViewTest, AGlideIntoTheEndBouncesOutAndComesBack) {
    scroll->setContentSize(Size{320, 1000});
    fingers.drag({{160, 400}, {160, 50}}, 0.05);
    double furthest = 0;
    runUntilAtRest();
    for (const Point& p : recorder.offsets) furthest = std::max(furthest, p.y);
    EXPECT_GT(furthest, 521.0) << "the glide stopped dead at the edge";
    EXPECT_LT(furthest, 520.0 + 240.0);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 520.0);
}

TEST_F(ScrollViewTest, ATouchStopsAGlide) {
    scroll->setContentSize(Size{320, 20000});
    fingers.drag({{160, 400}, {160, 100}}, 0.1);
    run(0.2);
    ASSERT_TRUE(scroll->isDecelerating());
    auto touch = fingers.touchDown({160, 240});
    double stopped = scroll->contentOffset().y;
    EXPECT_FALSE(scroll->isDecelerating());
    EXPECT_EQ(recorder.count("didEndDecelerating"), 1u) << "an interrupted glide still ends for the delegate";
    fingers.wait(0.5);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, stopped);
    fingers.touchUp(touch);
}

TEST_F(ScrollViewTest, AnimatedOffsetEasesInAndOut) {
    scroll->setContentSize(Size{320, 2000});
    scroll->setContentOffset(Point{0, 600}, true);
    EXPECT_TRUE(scroll->isScrollAnimating());
    frames(3);
    double early = scroll->contentOffset().y;
    EXPECT_GT(early, 0.0);
    EXPECT_LT(early, 600.0 * 3.0 / 18.0) << "an ease-in start is slower than linear";
    frames(6);  // half of the animation's 0.3 s
    EXPECT_NEAR(scroll->contentOffset().y, 300.0, 1e-6);
    runUntilAtRest();
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 600.0);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"didEndScrollingAnimation"}));
    EXPECT_GT(recorder.offsets.size(), 10u);

    // Setting the offset without animation is one change at once.
    recorder.offsets.clear();
    scroll->setContentOffset(Point{0, 10});
    EXPECT_EQ(recorder.offsets, (std::vector<Point>{{0, 10}}));
    scroll->setContentOffset(Point{0, 10});
    EXPECT_EQ(recorder.offsets.size(), 1u) << "an unchanged offset is no scroll";
}

TEST_F(ScrollViewTest, ScrollRectToVisibleMovesAsLittleAsNeeded) {
    scroll->setContentSize(Size{320, 2000});
    scroll->scrollRectToVisible(Rect(0, 900, 320, 100), false);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 1000.0 - 480.0) << "the rectangle's bottom meets the bottom edge";
    scroll->scrollRectToVisible(Rect(0, 600, 320, 100), false);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 520.0) << "moved for a rectangle already in sight";
    scroll->scrollRectToVisible(Rect(0, 100, 320, 50), false);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 100.0) << "the rectangle's top meets the top edge";
    scroll->scrollRectToVisible(Rect(0, 1990, 320, 400), false);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 1520.0) << "scrolled past the end of the content";
}

TEST_F(ScrollViewTest, InsetsWidenTheRangeAtRest) {
    scroll->setContentSize(Size{320, 1000});
    scroll->setContentInset(graphics::EdgeInsets{64, 0, 44, 0});
    EXPECT_EQ(scroll->minimumContentOffset(), (Point{0, -64}));
    EXPECT_EQ(scroll->maximumContentOffset(), (Point{0, 1000 + 44 - 480}));
    scroll->setContentOffset(Point{0, 300});
    fingers.drag({{160, 100}, {160, 460}}, 0.05);
    runUntilAtRest();
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, -64.0);
}

TEST_F(ScrollViewTest, ADragAcrossTheOnlyScrollingDirectionIsLeftAlone) {
    scroll->setContentSize(Size{320, 2000});
    dragAndRest({300, 200}, {50, 210});
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 0}));
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_FALSE(scroll->isDragging());
}

TEST_F(ScrollViewTest, AScrollViewThrownAwayMidDragLeavesTheFingerHarmless) {
    scroll->setContentSize(Size{320, 2000});
    auto touch = fingers.touchDown({160, 400});
    fingers.wait(1.0 / 60.0);
    fingers.moveTo(touch, {160, 300});
    ASSERT_TRUE(scroll->isDragging());
    scroll->setDelegate(nullptr);
    scroll->removeFromSuperview();
    scroll.reset();
    fingers.wait(1.0 / 60.0);
    fingers.moveTo(touch, {160, 200});
    fingers.touchUp(touch);
    run(1.0);
    EXPECT_TRUE(recorder.events == (std::vector<std::string>{"willBeginDragging"}));
}

TEST_F(ScrollViewTest, DisabledScrollingIgnoresTheFinger) {
    scroll->setContentSize(Size{320, 2000});
    scroll->setScrollEnabled(false);
    dragAndRest({160, 400}, {160, 100});
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 0}));
    EXPECT_TRUE(recorder.offsets.empty());
}

}  // namespace

namespace {

class TouchLog : public ui::View {
public:
    using View::View;
    std::vector<std::string> log;
    void touchesBegan(const ui::TouchSet&, const ui::Event&) override { log.push_back("began"); }
    void touchesEnded(const ui::TouchSet&, const ui::Event&) override { log.push_back("ended"); }
    void touchesCancelled(const ui::TouchSet&, const ui::Event&) override { log.push_back("cancelled"); }
};

TEST_F(ScrollViewTest, TapsReachTheContentAndDragsCancelThem) {
    scroll->setContentSize(Size{320, 2000});
    auto content = ui::makeView<TouchLog>(Rect(10, 10, 100, 100));
    scroll->addSubview(content);
    fingers.tap({40, 40});
    EXPECT_EQ(content->log, (std::vector<std::string>{"began", "ended"}));
    content->log.clear();
    fingers.drag({{40, 100}, {40, 30}}, 0.2);
    EXPECT_EQ(content->log, (std::vector<std::string>{"began", "cancelled"}));

    int pressed = 0;
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->setFrame(Rect(150, 300, 80, 80));
    button->addTarget(
        this, [&](ui::Control&) { ++pressed; }, ui::ControlEventTouchUpInside);
    scroll->addSubview(button);
    scroll->setContentOffset(Point{0, 0});
    fingers.tap({190, 340});
    EXPECT_EQ(pressed, 1) << "a button in the content missed its tap";
}

}  // namespace
