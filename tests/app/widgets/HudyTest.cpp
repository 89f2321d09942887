#include "app/widgets/alerts/Hudy.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controls/ActivityIndicatorView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/ProgressView.h"
#include "platform/ui/host/Application.h"
#include "support/Process.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

namespace {

using graphics::Rect;

class HudyTest : public ::testing::Test {
protected:
    void SetUp() override { graphics::ensureGuiApplication(); }
    void TearDown() override {
        ui::Application::shared().setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
    }

    std::shared_ptr<Hudy> showHud(std::optional<std::string> caption, bool activity, float progress,
                                  double dismissAfter = 1.0) {
        auto hud = std::make_shared<Hudy>();
        hud->caption = std::move(caption);
        hud->isActivity = activity;
        hud->setProgress(progress);
        hud->dismissAfterTime = dismissAfter;
        hud->showInView(screen.get());
        return hud;
    }
    bool isUp(Hudy& hud) { return hud.view()->superview() == screen.get(); }
    void advance(double seconds) { foundation::RunLoop::main().advance(seconds); }

    testsupport::VirtualClockScope clock;
    ui::ViewPtr screen = ui::makeView<ui::View>(Rect(0, 0, 1024, 768));
};

TEST_F(HudyTest, OneShortWordGivesTheSmallestPanel) {
    auto hud = showHud("OK", false, -1);
    ASSERT_LT(hud->captionView()->font().sizeOfText("OK").width, 50);
    EXPECT_EQ(hud->view()->frame().size, (graphics::Size{100, 50}));
    EXPECT_EQ(hud->captionView()->frame(), Rect(10, 10, 80, 30));
    EXPECT_EQ(hud->viewBGView()->frame(), hud->view()->bounds());
    EXPECT_TRUE(hud->activityView()->isHidden());
    EXPECT_TRUE(hud->progressView()->isHidden());
    EXPECT_EQ(hud->view()->center(), (graphics::Point{512, 384}));
}

TEST_F(HudyTest, SpinnerAddsARowBelowTheCaption) {
    auto hud = showHud("Please wait.", true, -1);
    double textWidth = hud->captionView()->font().sizeOfText("Please wait.").width;
    ASSERT_GT(textWidth, 50);
    Rect frame = hud->view()->frame();
    EXPECT_EQ(frame.size, (graphics::Size{textWidth + 50, 80}));
    EXPECT_FALSE(hud->activityView()->isHidden());
    EXPECT_TRUE(hud->activityView()->isAnimating());
    EXPECT_EQ(hud->activityView()->center(), (graphics::Point{frame.width() / 2, 55}));
    EXPECT_EQ(hud->viewBGView()->frame(), hud->view()->bounds());
}

TEST_F(HudyTest, BarWidensThePanelAndStaysInside) {
    auto hud = showHud("Importing...", false, 0);
    Rect frame = hud->view()->frame();
    EXPECT_EQ(frame.size, (graphics::Size{200, 80}));
    EXPECT_TRUE(hud->activityView()->isHidden());
    ui::ProgressView* bar = hud->progressView();
    EXPECT_FALSE(bar->isHidden());
    EXPECT_GT(bar->frame().minY(), hud->captionView()->frame().maxY());
    EXPECT_LE(bar->frame().maxY(), frame.height());
    EXPECT_GE(bar->frame().minX(), 0);
    EXPECT_LE(bar->frame().maxX(), frame.width());
    hud->setProgress(0.5f);
    EXPECT_DOUBLE_EQ(bar->progress(), 0.5);
}

TEST_F(HudyTest, ProgressAfterShowDoesNotRevealTheBar) {
    auto hud = showHud("Working", false, -1);
    hud->setProgress(0.75f);
    EXPECT_TRUE(hud->progressView()->isHidden());
    EXPECT_DOUBLE_EQ(hud->progressView()->progress(), 0.75);
    EXPECT_EQ(hud->view()->frame().height(), 50);
}

TEST_F(HudyTest, CentresInThePortraitCorrectedView) {
    ui::Application::shared().setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
    auto hud = showHud("OK", false, -1);
    EXPECT_EQ(hud->view()->center(), (graphics::Point{384, 512}));

    EXPECT_EQ(Hudy::getOrientationCorrectedRectFromRect(Rect(5, 6, 300, 200)), Rect(5, 6, 200, 300));
    EXPECT_EQ(Hudy::getOrientationCorrectedRectFromRect(Rect(5, 6, 200, 300)), Rect(5, 6, 200, 300));
    ui::Application::shared().setStatusBarOrientation(ui::InterfaceOrientation::LandscapeLeft);
    EXPECT_EQ(Hudy::getOrientationCorrectedRectFromRect(Rect(0, 0, 200, 300)), Rect(0, 0, 300, 200));
    EXPECT_EQ(Hudy::getOrientationCorrectedRectFromRect(Rect(0, 0, 300, 300)), Rect(0, 0, 300, 300));
}

TEST_F(HudyTest, FadesInWithinAQuarterSecond) {
    auto hud = showHud("OK", false, -1);
    EXPECT_EQ(hud->view()->alpha(), 1.0);
    EXPECT_DOUBLE_EQ(hud->view()->layer().presentation().opacity, 0.0);
    advance(0.1);
    double midway = hud->view()->layer().presentation().opacity;
    EXPECT_GT(midway, 0.0);
    EXPECT_LT(midway, 1.0);
    advance(0.15);
    EXPECT_DOUBLE_EQ(hud->view()->layer().presentation().opacity, 1.0);
}

TEST_F(HudyTest, DismissesItselfAfterItsTime) {
    auto hud = showHud("OK", false, -1, 2.0);
    advance(1.99);
    EXPECT_TRUE(isUp(*hud));
    EXPECT_EQ(hud->view()->alpha(), 1.0);
    advance(0.01);
    EXPECT_EQ(hud->view()->alpha(), 0.0);  // fading out
    EXPECT_TRUE(isUp(*hud));
    advance(0.25);
    EXPECT_FALSE(isUp(*hud));
}

TEST_F(HudyTest, ZeroTimeStillDismisses) {
    auto hud = showHud("OK", false, -1, 0.0);
    advance(0.3);
    EXPECT_FALSE(isUp(*hud));
}

TEST_F(HudyTest, MinusOneStaysUntilDismissed) {
    auto hud = showHud("Duplicate", true, -1, Hudy::kStaysUntilDismissed);
    advance(600);
    EXPECT_TRUE(isUp(*hud));
    EXPECT_EQ(hud->view()->alpha(), 1.0);
    hud->dismiss();
    advance(0.25);
    EXPECT_FALSE(isUp(*hud));
    EXPECT_FALSE(hud->activityView()->isAnimating());
}

TEST_F(HudyTest, EarlyDismissCancelsTheTimer) {
    auto hud = showHud("OK", false, -1, 1.0);
    advance(0.5);
    hud->dismiss();
    advance(0.25);
    EXPECT_FALSE(isUp(*hud));
    // Shown again to stay: the first show's timer must not take it away at 1.0 s.
    hud->dismissAfterTime = Hudy::kStaysUntilDismissed;
    hud->showInView(screen.get());
    advance(2.0);
    EXPECT_TRUE(isUp(*hud));
    EXPECT_EQ(hud->view()->alpha(), 1.0);
}

TEST_F(HudyTest, ShowDuringFadeOutKeepsTheHud) {
    auto hud = showHud("OK", false, -1, Hudy::kStaysUntilDismissed);
    advance(0.3);
    hud->dismiss();
    advance(0.1);
    hud->updateCaption("Again");
    advance(1.0);
    EXPECT_TRUE(isUp(*hud));
    EXPECT_EQ(hud->captionView()->text(), "Again");
}

TEST_F(HudyTest, DestroyedHudLeavesNoTimerBehind) {
    auto hud = showHud("OK", false, -1, 1.0);
    ui::View* view = hud->view();
    hud.reset();
    advance(2.0);  // the sanitizer would catch a timer reaching the destroyed HUD
    ASSERT_EQ(screen->subviews().size(), 1u);
    EXPECT_EQ(screen->subviews().front().get(), view);
}

TEST_F(HudyTest, RendersThreeKinds) {
    screen->setBackgroundColor(graphics::Color::rgb(0.85, 0.88, 0.92));
    auto word = showHud("OK", false, -1, Hudy::kStaysUntilDismissed);
    auto spinner = showHud("Please wait.", true, -1, Hudy::kStaysUntilDismissed);
    auto bar = showHud("Importing...", false, 0.4f, Hudy::kStaysUntilDismissed);
    word->view()->setCenter({200, 384});
    bar->view()->setCenter({824, 384});
    advance(0.3);
    graphics::Image image = ui::renderView(*screen, 1.0);
    // Inside the spinner panel's edge lies the panel's dark fill, not the backdrop.
    Rect panel = spinner->view()->frame();
    auto pixel = image.pixelAt(static_cast<int>(panel.minX() + 6), static_cast<int>(panel.midY()));
    EXPECT_LT(pixel.r, 100);
    auto png = image.pngData();
    ASSERT_TRUE(png.ok());
    ASSERT_TRUE(foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/Hudy.png", *png).ok());
}

}  // namespace
