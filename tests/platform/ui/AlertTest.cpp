// Alerts and action sheets: button indices, presentation and dismissal on the
// virtual clock, delegate calls, taps, layout, and pictures of both.

#include "ControlsTestSupport.h"
#include "ScreenTestSupport.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/Toolbar.h"
#include "platform/ui/host/Device.h"
#include "support/TouchDriver.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using graphics::Rect;
using ui::ActionSheet;
using ui::AlertView;
using ui::kNoButtonIndex;

namespace {

using screentest::Log;

class AlertLog : public ui::AlertViewDelegate {
public:
    void clickedButtonAtIndex(AlertView&, int i) override { log.push_back("clicked " + std::to_string(i)); }
    void willPresentAlertView(AlertView&) override { log.push_back("willPresent"); }
    void didPresentAlertView(AlertView&) override { log.push_back("didPresent"); }
    void willDismissWithButtonIndex(AlertView&, int i) override { log.push_back("willDismiss " + std::to_string(i)); }
    void didDismissWithButtonIndex(AlertView&, int i) override { log.push_back("didDismiss " + std::to_string(i)); }
    Log take() {
        Log events;
        events.swap(log);
        return events;
    }
    Log log;
};

class SheetLog : public ui::ActionSheetDelegate {
public:
    void clickedButtonAtIndex(ActionSheet&, int i) override { log.push_back("clicked " + std::to_string(i)); }
    void willPresentActionSheet(ActionSheet&) override { log.push_back("willPresent"); }
    void didPresentActionSheet(ActionSheet&) override { log.push_back("didPresent"); }
    void willDismissWithButtonIndex(ActionSheet&, int i) override { log.push_back("willDismiss " + std::to_string(i)); }
    void didDismissWithButtonIndex(ActionSheet&, int i) override { log.push_back("didDismiss " + std::to_string(i)); }
    Log log;
};

class AlertTest : public screentest::ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        window->setBackgroundColor(graphics::Color::rgb(0.2, 0.5, 0.2));
    }
    void TearDown() override {
        // Nothing shown may outlive a test.
        for (auto& alert : AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(kNoButtonIndex, false);
        for (auto& sheet : ActionSheet::visibleSheets()) sheet->dismissWithClickedButtonIndex(kNoButtonIndex, false);
        ScreenTest::TearDown();
    }
    std::shared_ptr<AlertView> makeAlert(std::optional<std::string> cancel, std::vector<std::string> others) {
        return ui::makeView<AlertView>("Warning", "Do you really want to delete your project? This cannot be undone!",
                                       &alertLog, std::move(cancel), std::move(others));
    }
    // The window as a PNG of its size, checked by an outside reader.
    void savePicture(const std::string& name) {
        graphics::Image picture = ui::renderView(*window);
        EXPECT_EQ(picture.pixelWidth(), 1024);
        EXPECT_EQ(picture.pixelHeight(), 768);
        controltest::savePicture(picture, name);
    }

    AlertLog alertLog;
};

// ---- alert -------------------------------------------------------------------------

TEST_F(AlertTest, ButtonIndicesFollowTheCancelButtonAndTheOrderOfAdding) {
    auto alert = makeAlert("Cancel", {"Ok", "Optimized (Slower)"});
    EXPECT_EQ(alert->numberOfButtons(), 3);
    EXPECT_EQ(alert->cancelButtonIndex(), 0);
    EXPECT_EQ(alert->firstOtherButtonIndex(), 1);
    EXPECT_EQ(alert->buttonTitleAtIndex(2), "Optimized (Slower)");
    EXPECT_EQ(alert->buttonTitleAtIndex(3), "");
    EXPECT_EQ(alert->buttonTitleAtIndex(-1), "");
    EXPECT_EQ(alert->addButtonWithTitle("More"), 3);

    auto plain = makeAlert(std::nullopt, {});
    EXPECT_EQ(plain->cancelButtonIndex(), kNoButtonIndex);
    EXPECT_EQ(plain->firstOtherButtonIndex(), kNoButtonIndex);
    EXPECT_EQ(plain->addButtonWithTitle("Yes"), 0);
    EXPECT_EQ(plain->addButtonWithTitle("No"), 1);
    plain->setCancelButtonIndex(1);
    EXPECT_EQ(plain->cancelButtonIndex(), 1);
    plain->setCancelButtonIndex(7);
    EXPECT_EQ(plain->cancelButtonIndex(), kNoButtonIndex);
}

TEST_F(AlertTest, ShowAndTapRunTheDelegateInOrderOnTheClock) {
    auto alert = makeAlert("No", {"Delete"});
    alert->show();
    EXPECT_EQ(alertLog.take(), (Log{"willPresent"}));
    EXPECT_TRUE(alert->isVisible());
    ASSERT_EQ(AlertView::visibleAlerts().size(), 1u);
    EXPECT_EQ(AlertView::visibleAlerts()[0], alert);
    advance(0.21);
    EXPECT_EQ(alertLog.take(), (Log{"didPresent"}));

    alert->clickButtonAtIndex(1);
    EXPECT_EQ(alertLog.take(), (Log{"clicked 1", "willDismiss 1"}));
    EXPECT_FALSE(alert->isVisible());
    // A second tap while it fades out counts for nothing.
    alert->clickButtonAtIndex(0);
    EXPECT_TRUE(alertLog.take().empty());
    advance(0.21);
    EXPECT_EQ(alertLog.take(), (Log{"didDismiss 1"}));
    EXPECT_TRUE(AlertView::visibleAlerts().empty());
    EXPECT_EQ(alert->superview(), nullptr);
    EXPECT_EQ(window->subviews().size(), 0u);
}

TEST_F(AlertTest, FingerOnAButtonChoosesIt) {
    auto alert = makeAlert("No", {"Yes"});
    alert->show();
    advance(0.21);
    alertLog.take();
    Rect yes = inWindow(alert->buttonViewAtIndex(1));
    testsupport::TouchDriver fingers(*window);
    // A touch on the dimmed backdrop does nothing for an alert.
    fingers.tap({10, 10});
    EXPECT_TRUE(alertLog.take().empty());
    fingers.tap({yes.midX(), yes.midY()});
    advance(0.21);
    EXPECT_EQ(alertLog.take(), (Log{"clicked 1", "willDismiss 1", "didDismiss 1"}));
}

TEST_F(AlertTest, ProgrammaticDismissalSkipsTheClick) {
    auto alert = makeAlert(std::nullopt, {});
    alert->show();
    advance(0.21);
    alertLog.take();
    alert->dismissWithClickedButtonIndex(0, false);
    EXPECT_EQ(alertLog.take(), (Log{"willDismiss 0", "didDismiss 0"}));
    alert->dismissWithClickedButtonIndex(0, false);
    EXPECT_TRUE(alertLog.take().empty());
}

TEST_F(AlertTest, SystemCancelDismissesWithTheCancelIndexByDefault) {
    auto alert = makeAlert("OK", {});
    alert->show();
    alertLog.take();
    alert->cancel();
    EXPECT_EQ(alertLog.take(), (Log{"willDismiss 0", "didDismiss 0"}));
    EXPECT_TRUE(AlertView::visibleAlerts().empty());
}

TEST_F(AlertTest, TwoButtonsSitSideBySideWithCancelOnTheLeftMoreStack) {
    auto two = makeAlert("No", {"Yes"});
    two->show();
    Rect panel = inWindow(two.get());
    EXPECT_DOUBLE_EQ(panel.width(), AlertView::kWidth);
    EXPECT_NEAR(panel.midX(), 512, 0.5);
    EXPECT_NEAR(panel.midY(), 384, 0.5);
    Rect no = inWindow(two->buttonViewAtIndex(0));
    Rect yes = inWindow(two->buttonViewAtIndex(1));
    EXPECT_DOUBLE_EQ(no.minY(), yes.minY());
    EXPECT_LT(no.minX(), yes.minX());
    EXPECT_DOUBLE_EQ(no.maxY(), panel.maxY());
    two->dismissWithClickedButtonIndex(0, false);

    auto three = makeAlert("Cancel", {"Ok", "Optimized (Slower)"});
    three->show();
    Rect cancel = inWindow(three->buttonViewAtIndex(0));
    Rect ok = inWindow(three->buttonViewAtIndex(1));
    Rect slow = inWindow(three->buttonViewAtIndex(2));
    EXPECT_LT(ok.minY(), slow.minY());
    EXPECT_LT(slow.minY(), cancel.minY());
    EXPECT_DOUBLE_EQ(cancel.maxY(), inWindow(three.get()).maxY());
}

TEST_F(AlertTest, ChangingTheMessageOfAShownAlertResizesIt) {
    auto alert = ui::makeView<AlertView>("", "Import.", &alertLog, std::nullopt, std::vector<std::string>{});
    alert->show();
    double before = alert->frame().height();
    alert->setMessage("Project successfully imported.\nA second line.\nAnd a third.");
    EXPECT_GT(alert->frame().height(), before);
    EXPECT_NEAR(inWindow(alert.get()).midY(), 384, 0.5);
}

TEST_F(AlertTest, NewerAlertCoversTheOlderUntilItGoes) {
    auto older = makeAlert("OK", {});
    auto newer = makeAlert("OK", {});
    older->show();
    newer->show();
    EXPECT_EQ(AlertView::visibleAlerts().size(), 2u);
    EXPECT_TRUE(older->superview()->isHidden());
    EXPECT_FALSE(newer->superview()->isHidden());
    newer->dismissWithClickedButtonIndex(0, false);
    EXPECT_FALSE(older->superview()->isHidden());
}

TEST_F(AlertTest, WithoutAWindowTheAlertIsStillAnswered) {
    window.reset();
    ASSERT_EQ(ui::Window::keyWindow(), nullptr);
    auto alert = makeAlert("Dismiss", {});
    alert->show();
    EXPECT_EQ(alertLog.take(), (Log{"willPresent", "didPresent"}));
    EXPECT_EQ(alert->buttonViewAtIndex(0), nullptr);
    alert->clickButtonAtIndex(0);
    EXPECT_EQ(alertLog.take(), (Log{"clicked 0", "willDismiss 0", "didDismiss 0"}));
}

TEST_F(AlertTest, PictureOfAnAlert) {
    auto alert = makeAlert("No", {"Delete"});
    alert->show();
    advance(0.21);
    graphics::Image picture = ui::renderView(*window);
    // The backdrop dims the window's green; the panel's middle is light.
    graphics::RGBA corner = picture.pixelAt(5, 5);
    EXPECT_NEAR(corner.g, 0.5 * 255 * 0.6, 4);
    Rect panel = inWindow(alert.get());
    graphics::RGBA middle = picture.pixelAt(static_cast<int>(panel.minX() + 4), static_cast<int>(panel.midY()));
    EXPECT_GT(middle.r, 230);
    savePicture("alert.png");
}

// ---- action sheet --------------------------------------------------------------------------

TEST_F(AlertTest, SheetIndicesPutTheDestructiveButtonFirstAndCancelLast) {
    auto sheet = ui::makeView<ActionSheet>("", nullptr, "Cancel", "Delete", std::vector<std::string>{"Copy", "Move"});
    EXPECT_EQ(sheet->destructiveButtonIndex(), 0);
    EXPECT_EQ(sheet->buttonTitleAtIndex(1), "Copy");
    EXPECT_EQ(sheet->cancelButtonIndex(), 3);
    EXPECT_EQ(sheet->firstOtherButtonIndex(), 1);

    // Built the way the block sheets build it: no cancel title, then "Cancel" added.
    auto built = ui::makeView<ActionSheet>("", nullptr, std::nullopt, "Delete", std::vector<std::string>{});
    built->setCancelButtonIndex(built->addButtonWithTitle("Cancel"));
    EXPECT_EQ(built->cancelButtonIndex(), 1);
    EXPECT_EQ(built->firstOtherButtonIndex(), kNoButtonIndex);
}

TEST_F(AlertTest, SheetInAViewRisesFromTheBottomWithCancelApart) {
    SheetLog sheetLog;
    auto sheet = ui::makeView<ActionSheet>("Choose a source", &sheetLog, "Cancel", std::nullopt,
                                           std::vector<std::string>{"Camera", "Photo library"});
    sheet->showInView(window.get());
    EXPECT_EQ(sheetLog.log, (Log{"willPresent"}));
    advance(0.31);
    EXPECT_EQ(sheetLog.log, (Log{"willPresent", "didPresent"}));
    Rect panel = inWindow(sheet.get());
    EXPECT_DOUBLE_EQ(panel.maxY(), 768);
    EXPECT_NEAR(panel.midX(), 512, 0.5);
    Rect camera = inWindow(sheet->buttonViewAtIndex(0));
    Rect cancel = inWindow(sheet->buttonViewAtIndex(2));
    EXPECT_GT(cancel.minY(), camera.maxY());
    EXPECT_DOUBLE_EQ(cancel.maxY(), 768 - 8);
    // Outside a bottom sheet a tap chooses nothing.
    testsupport::TouchDriver fingers(*window);
    fingers.tap({20, 20});
    EXPECT_TRUE(sheet->isVisible());
    savePicture("action_sheet.png");
    sheet->clickButtonAtIndex(1);
    advance(0.31);
    EXPECT_EQ(sheetLog.log, (Log{"willPresent", "didPresent", "clicked 1", "willDismiss 1", "didDismiss 1"}));
}

TEST_F(AlertTest, SheetFromABarButtonFloatsBesideItAndAnOutsideTapCancels) {
    auto bar = ui::makeView<ui::Toolbar>(Rect(0, 0, 1024, 44));
    auto trash = std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Trash, nullptr);
    auto flexible = std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::FlexibleSpace, nullptr);
    bar->setItems({flexible, trash});
    window->addSubview(bar);
    bar->layoutIfNeeded();

    SheetLog sheetLog;
    auto sheet = ui::makeView<ActionSheet>("", &sheetLog, std::nullopt, "Delete", std::vector<std::string>{});
    sheet->setCancelButtonIndex(sheet->addButtonWithTitle("Cancel"));
    sheet->showFromBarButtonItem(*trash, true);
    advance(0.21);
    EXPECT_TRUE(sheet->isPopover());
    Rect button = inWindow(trash->view());
    Rect panel = inWindow(sheet.get());
    EXPECT_GE(panel.minY(), button.maxY());
    EXPECT_LE(panel.maxX(), 1024 - 8);
    // The cancel button is not drawn in a popover; "Delete" is the one row.
    EXPECT_EQ(sheet->buttonViewAtIndex(1), nullptr);
    EXPECT_DOUBLE_EQ(panel.height(), 44);
    savePicture("action_sheet_popover.png");

    testsupport::TouchDriver fingers(*window);
    fingers.tap({20, 400});
    advance(0.21);
    EXPECT_EQ(sheetLog.log, (Log{"willPresent", "didPresent", "clicked 1", "willDismiss 1", "didDismiss 1"}));
    EXPECT_TRUE(ActionSheet::visibleSheets().empty());
}

}  // namespace
