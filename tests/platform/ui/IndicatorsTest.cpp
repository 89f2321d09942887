// Progress bar, activity indicator and page control.

#include "ControlsTestSupport.h"
#include "platform/ui/controls/ActivityIndicatorView.h"
#include "platform/ui/controls/PageControl.h"
#include "platform/ui/controls/ProgressView.h"

#include <cmath>
#include <limits>

using graphics::Color;
using graphics::Point;
using graphics::Rect;
using graphics::Size;
using ui::ActivityIndicatorView;
using ui::PageControl;
using ui::ProgressView;

namespace {

class IndicatorsTest : public controltest::ControlsTest {
protected:
    void advance(double seconds) { foundation::RunLoop::main().advance(seconds); }
};

// ---- progress ---------------------------------------------------------------------------------

TEST_F(IndicatorsTest, ProgressIsClampedAndFillsItsShareOfTheWidth) {
    auto bar = ui::makeView<ProgressView>(ui::ProgressViewStyle::Default, Rect(0, 0, 200, 2));
    bar->setProgress(0.3);
    bar->layoutIfNeeded();
    ui::View* fill = bar->subviews().front().get();
    EXPECT_DOUBLE_EQ(fill->frame().size.width, 60);
    bar->setProgress(1.7);
    EXPECT_EQ(bar->progress(), 1);
    bar->setProgress(-0.2);
    EXPECT_EQ(bar->progress(), 0);
    bar->setProgress(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(bar->progress(), 0) << "not a number shows as nothing done";
    EXPECT_EQ(bar->sizeThatFits(Size{}), (Size{200, ProgressView::kHeight}));
}

TEST_F(IndicatorsTest, AnimatedProgressGrowsOnTheClock) {
    auto bar = ui::makeView<ProgressView>(ui::ProgressViewStyle::Default, Rect(0, 0, 200, 2));
    bar->layoutIfNeeded();
    ui::View* fill = bar->subviews().front().get();
    bar->setProgress(1.0, true);
    EXPECT_DOUBLE_EQ(fill->frame().size.width, 200) << "the model is at the end at once";
    advance(0.1);
    double shown = fill->layer().presentation().bounds.size.width;
    EXPECT_GT(shown, 1);
    EXPECT_LT(shown, 199);
    advance(1);
    EXPECT_DOUBLE_EQ(fill->layer().presentation().bounds.size.width, 200);
}

TEST_F(IndicatorsTest, ProgressBarShowsTintOverTrack) {
    auto holder = ui::makeView<ui::View>(Rect(0, 0, 100, 4));
    holder->setTintColor(Color::rgb8(212, 3, 215));
    auto bar = ui::makeView<ProgressView>(ui::ProgressViewStyle::Default, Rect(0, 0, 100, 4));
    bar->setProgress(0.25);
    holder->addSubview(bar);
    graphics::Image picture = ui::renderView(*holder, 2.0);
    controltest::savePicture(picture, "ui-progress.png");
    EXPECT_TRUE(controltest::near(212, 3, 215, 10)(picture.pixelAt(20, 4)));
    EXPECT_TRUE(controltest::near(183, 183, 183, 10)(picture.pixelAt(120, 4)));

    bar->setProgressViewStyle(ui::ProgressViewStyle::Bar);
    picture = ui::renderView(*holder, 2.0);
    EXPECT_EQ(picture.pixelAt(120, 4).a, 0) << "the bar style has no track";
}

// ---- activity indicator ---------------------------------------------------------------------------

TEST_F(IndicatorsTest, SpinnerStepsRoundOnTheRunLoopClockAndHidesWhenStopped) {
    auto spinner = ui::makeView<ActivityIndicatorView>(ui::ActivityIndicatorViewStyle::WhiteLarge);
    EXPECT_EQ(spinner->frame().size, (Size{37, 37}));
    EXPECT_TRUE(spinner->isHidden()) << "a stopped spinner hides";
    size_t timersBefore = foundation::RunLoop::main().scheduledTimerCount();

    spinner->startAnimating();
    EXPECT_FALSE(spinner->isHidden());
    EXPECT_EQ(spinner->currentStep(), 0);
    advance(0.25);
    EXPECT_EQ(spinner->currentStep(), 3);
    advance(1.0);
    EXPECT_EQ(spinner->currentStep(), 3) << "one turn a second";
    advance(0.5);
    EXPECT_EQ(spinner->currentStep(), 9);

    spinner->stopAnimating();
    EXPECT_TRUE(spinner->isHidden());
    EXPECT_FALSE(spinner->isAnimating());
    EXPECT_EQ(foundation::RunLoop::main().scheduledTimerCount(), timersBefore) << "a stopped spinner costs nothing";

    spinner->setHidesWhenStopped(false);
    EXPECT_FALSE(spinner->isHidden());
}

TEST_F(IndicatorsTest, ASpinnerGoneWhileAnimatingLeavesNoTimer) {
    size_t timersBefore = foundation::RunLoop::main().scheduledTimerCount();
    {
        auto spinner = ui::makeView<ActivityIndicatorView>();
        spinner->startAnimating();
        advance(0.1);
    }
    advance(0.2);
    EXPECT_EQ(foundation::RunLoop::main().scheduledTimerCount(), timersBefore);
}

TEST_F(IndicatorsTest, TheBrightSpokeIsTheCurrentStep) {
    auto panel = ui::makeView<ui::View>(Rect(0, 0, 37, 37));
    panel->setBackgroundColor(Color::black());
    auto spinner = ui::makeView<ActivityIndicatorView>(ui::ActivityIndicatorViewStyle::WhiteLarge);
    panel->addSubview(spinner);
    spinner->startAnimating();
    advance(0.25);  // step 3: three o'clock
    graphics::Image picture = ui::renderView(*panel, 2.0);
    controltest::savePicture(picture, "ui-activity.png");
    int right = controltest::countPixels(picture, Rect(52, 34, 18, 6), [](graphics::RGBA p) { return p.r > 200; });
    int left = controltest::countPixels(picture, Rect(4, 34, 18, 6), [](graphics::RGBA p) { return p.r > 200; });
    EXPECT_GT(right, 10);
    EXPECT_EQ(left, 0) << "the spoke opposite the bright one is faint";
    spinner->stopAnimating();
}

// ---- page control -------------------------------------------------------------------------------------

class PageControlTest : public controltest::ControlsTest {
protected:
    void SetUp() override {
        pages = ui::makeView<PageControl>(Rect(100, 100, 200, PageControl::kHeight));
        pages->setNumberOfPages(5);
        pages->setCurrentPage(2);
        window->addSubview(pages);
        pages->addTarget(
            nullptr, [this](ui::Control&) { reported.push_back(pages->currentPage()); }, ui::ControlEventValueChanged);
    }
    std::shared_ptr<PageControl> pages;
    std::vector<int> reported;
};

TEST_F(PageControlTest, TapsBesideTheCurrentDotTurnOnePage) {
    Point c = centerOf(*pages);
    fingers.tap(Point{c.x + 40, c.y});
    EXPECT_EQ(pages->currentPage(), 3);
    fingers.wait(1);
    fingers.tap(Point{c.x - 60, c.y});
    EXPECT_EQ(pages->currentPage(), 2);
    EXPECT_EQ(reported, (std::vector<int>{3, 2}));

    pages->setCurrentPage(4);
    fingers.wait(1);
    fingers.tap(Point{c.x + 90, c.y});
    EXPECT_EQ(pages->currentPage(), 4);
    EXPECT_EQ(reported.size(), 2u) << "no page after the last";
}

TEST_F(PageControlTest, PagesStayInRange) {
    pages->setCurrentPage(9);
    EXPECT_EQ(pages->currentPage(), 4);
    pages->setNumberOfPages(2);
    EXPECT_EQ(pages->currentPage(), 1);
    pages->setNumberOfPages(-3);
    EXPECT_EQ(pages->numberOfPages(), 0);
    EXPECT_EQ(pages->currentPage(), 0);
    EXPECT_EQ(pages->sizeForNumberOfPages(5), (Size{5 * 7 + 4 * 9, PageControl::kHeight}));
}

TEST_F(PageControlTest, DeferredDisplayWaitsForTheUpdate) {
    pages->setDefersCurrentPageDisplay(true);
    Point c = centerOf(*pages);
    fingers.tap(Point{c.x + 40, c.y});
    EXPECT_EQ(pages->currentPage(), 3);
    EXPECT_EQ(pages->displayedPage(), 2);
    pages->updateCurrentPageDisplay();
    EXPECT_EQ(pages->displayedPage(), 3);
}

TEST_F(PageControlTest, TheCurrentDotIsTheBrightOne) {
    auto panel = ui::makeView<ui::View>(Rect(0, 0, 200, PageControl::kHeight));
    panel->setBackgroundColor(Color::black());
    pages->removeFromSuperview();
    pages->setFrame(panel->bounds());
    panel->addSubview(pages);
    graphics::Image picture = ui::renderView(*panel);
    controltest::savePicture(picture, "ui-pagecontrol.png");
    // Dots start at 100 - 71/2 = 64.5 and repeat every 16 points.
    auto dot = [&](int page) { return picture.pixelAt(int(64.5 + 16 * page + 3.5), 18); };
    EXPECT_GT(dot(2).r, 240);
    EXPECT_GT(dot(0).r, 20);
    EXPECT_LT(dot(0).r, 90);
}

}  // namespace
