#include "app/widgets/alerts/AlertView.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ImageView.h"
#include "support/Process.h"
#include "support/TouchDriver.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using graphics::Color;
using graphics::Rect;

class BlockAlertTest : public ::testing::Test {
protected:
    void SetUp() override { graphics::ensureGuiApplication(); }

    // Records every event of an alert in order.
    void record(AlertView& alert) {
        alert.setWillPresentAlertViewBlock([this](AlertView&) { events.push_back("willPresent"); });
        alert.setDidPresentAlertViewBlock([this](AlertView&) { events.push_back("didPresent"); });
        alert.setAlertViewWillDismissWithButtonIndexBlock(
            [this](AlertView&, int index) { events.push_back("willDismiss " + std::to_string(index)); });
        alert.setAlertViewDidDismissWithButtonIndexBlock(
            [this](AlertView&, int index) { events.push_back("didDismiss " + std::to_string(index)); });
    }
    AlertView::ButtonBlock button(std::string name) {
        return [this, name](AlertView&, int index) { events.push_back(name + " " + std::to_string(index)); };
    }

    testsupport::VirtualClockScope clock;
    std::vector<std::string> events;
};

TEST_F(BlockAlertTest, ButtonsRunTheirOwnClosures) {
    auto alert = AlertView::create("Delete project?", "It cannot be undone.");
    EXPECT_EQ(alert->numberOfButtons(), 0);
    EXPECT_EQ(alert->cancelButtonIndex(), ui::kNoButtonIndex);
    EXPECT_EQ(alert->addButtonWithTitle("Yes", button("yes")), 0);
    EXPECT_EQ(alert->addButtonWithTitle("No", button("no")), 1);
    record(*alert);
    alert->show();
    alert->clickButtonAtIndex(1);
    EXPECT_EQ(events, (std::vector<std::string>{"willPresent", "didPresent", "no 1", "willDismiss 1", "didDismiss 1"}));
    EXPECT_FALSE(alert->isVisible());

    events.clear();
    alert->show();
    alert->clickButtonAtIndex(0);
    EXPECT_EQ(events,
              (std::vector<std::string>{"willPresent", "didPresent", "yes 0", "willDismiss 0", "didDismiss 0"}));
}

TEST_F(BlockAlertTest, SystemCancelWithoutClosureDismissesItself) {
    auto alert = AlertView::create("Error", "Something failed.");
    alert->addButtonWithTitle("Dismiss", button("dismiss"));
    record(*alert);
    alert->show();
    events.clear();
    alert->cancel();
    EXPECT_EQ(events, (std::vector<std::string>{"willDismiss -1", "didDismiss -1"}));
    EXPECT_FALSE(alert->isVisible());
}

TEST_F(BlockAlertTest, SystemCancelClosureDecides) {
    auto alert = AlertView::create("Error", "");
    alert->addButtonWithTitle("Dismiss", {});
    alert->setAlertViewCancelBlock([this](AlertView&) { events.push_back("cancel"); });
    alert->show();
    alert->cancel();
    EXPECT_EQ(events, (std::vector<std::string>{"cancel"}));
    EXPECT_TRUE(alert->isVisible());
    // A setter replaces the closure it set before.
    alert->setAlertViewCancelBlock([this](AlertView&) { events.push_back("second"); });
    alert->cancel();
    EXPECT_EQ(events.back(), "second");
    alert->dismissWithClickedButtonIndex(0, false);
}

TEST_F(BlockAlertTest, FingerOnAButtonInAWindow) {
    auto window = ui::makeView<ui::Window>(Rect(0, 0, 1024, 768));
    window->makeKeyAndVisible();
    auto alert = AlertView::create("Project saved", "Share it now?");
    alert->addButtonWithTitle("Yes", button("yes"));
    alert->addButtonWithTitle("No", button("no"));
    alert->show();
    foundation::RunLoop::main().advance(0.5);
    ui::View* no = alert->buttonViewAtIndex(1);
    ASSERT_NE(no, nullptr);

    graphics::Image shown = window->renderImage();
    auto png = shown.pngData();
    ASSERT_TRUE(png.ok());
    ASSERT_TRUE(
        foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/AlertView-window.png", *png).ok());

    testsupport::TouchDriver fingers(*window);
    fingers.tap(no->convertPointToView({no->bounds().midX(), no->bounds().midY()}, nullptr));
    foundation::RunLoop::main().advance(0.5);
    EXPECT_EQ(events, (std::vector<std::string>{"no 1"}));
    EXPECT_FALSE(alert->isVisible());
}

TEST_F(BlockAlertTest, RoundedRectPathRunsThroughTheEdgeMiddles) {
    graphics::Path path;
    AlertView::drawRoundedRect(Rect(10, 20, 100, 60), path, 8);
    Rect box = path.bounds();
    EXPECT_NEAR(box.minX(), 10, 1e-6);
    EXPECT_NEAR(box.minY(), 20, 1e-6);
    EXPECT_NEAR(box.maxX(), 110, 1e-6);
    EXPECT_NEAR(box.maxY(), 80, 1e-6);
    EXPECT_TRUE(path.contains({60, 50}));
    EXPECT_TRUE(path.contains({10.5, 50}));
    EXPECT_FALSE(path.contains({11, 21}));  // the corner is cut round
    EXPECT_FALSE(path.contains({109, 79}));
}

TEST_F(BlockAlertTest, SharedColoursAreSetOnceAndReplaceable) {
    auto first = AlertView::create("A", "");
    ASSERT_TRUE(AlertView::backgroundFillColor().has_value());
    EXPECT_EQ(*AlertView::backgroundFillColor(), Color::black());

    AlertView::setBackgroundColorWithStrokeColor(Color::rgb(0, 0, 0.5), Color::white());
    auto second = AlertView::create("B", "");
    EXPECT_EQ(*AlertView::backgroundFillColor(), Color::rgb(0, 0, 0.5));
    EXPECT_EQ(*AlertView::backgroundStrokeColor(), Color::white());
    AlertView::setBackgroundColorWithStrokeColor(Color::black(), Color::hsb(0.625, 0, 0.8, 0.8));
}

TEST_F(BlockAlertTest, DrawnBackgroundIsDarkGlossyAndRounded) {
    auto alert = AlertView::create("Title", "");
    graphics::GraphicsContext context({284, 140}, 1.0);
    context.setFillColor(Color::red());
    context.fillRect(Rect(0, 0, 284, 140));
    alert->drawBackground(context, Rect(0, 0, 284, 140));
    graphics::Image image = context.makeImage();

    auto corner = image.pixelAt(0, 0);
    EXPECT_EQ(corner.a, 0);  // cleared, outside the rounded panel
    auto middle = image.pixelAt(142, 100);
    EXPECT_NEAR(middle.a, 204, 2);  // black at 0.8
    EXPECT_LT(middle.r + middle.g + middle.b, 10);
    auto gloss = image.pixelAt(142, 12);
    EXPECT_GT(gloss.r, 40);  // the white sheen near the top
    auto edge = image.pixelAt(2, 70);
    EXPECT_GT(edge.r, 60);  // the light stroke

    auto png = image.pngData();
    ASSERT_TRUE(png.ok());
    ASSERT_TRUE(
        foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/AlertView-background.png", *png).ok());
}

TEST_F(BlockAlertTest, LayoutDropsOnlyThePlainUntaggedImageView) {
    auto alert = AlertView::create("Title", "");
    auto tagged = ui::makeView<ui::ImageView>();
    tagged->setTag(3);
    auto plain = ui::makeView<ui::ImageView>();
    auto secondPlain = ui::makeView<ui::ImageView>();
    alert->addSubview(tagged);
    alert->addSubview(plain);
    alert->addSubview(secondPlain);
    alert->layoutSubviews();
    EXPECT_EQ(tagged->superview(), alert.get());
    EXPECT_EQ(plain->superview(), nullptr);
    EXPECT_EQ(secondPlain->superview(), alert.get());
}

}  // namespace
