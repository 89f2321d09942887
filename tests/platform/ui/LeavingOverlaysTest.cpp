// What goes away over a screen (an alert, an action sheet, a presented
// screen) takes no click while it fades or slides out: the click right after
// Escape, a button or a Cancel reaches the screen it is aimed at. Real input
// through the window host.

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/Button.h"
#include "support/HostInput.h"
#include "support/WindowFixture.h"

#include <QtCore/qnamespace.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

using graphics::Rect;

class LeavingOverlaysTest : public testsupport::WindowFixture {
protected:
    void SetUp() override {
        root = std::make_shared<ui::ViewController>();
        window->setRootViewController(root);
        button = std::make_shared<ui::Button>(ui::ButtonType::Custom, Rect(40, 40, 120, 44));
        button->setTitle("Press", ui::ControlStateNormal);
        button->addTarget(
            this, [this](ui::Control&) { ++presses; }, ui::ControlEventTouchUpInside);
        root->view()->addSubview(button);
    }
    void TearDown() override {
        for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
        for (auto& sheet : ui::ActionSheet::visibleSheets())
            sheet->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
        WindowFixture::TearDown();
    }

    std::shared_ptr<ui::ViewController> root;
    std::shared_ptr<ui::Button> button;
    int presses = 0;
};

TEST_F(LeavingOverlaysTest, TheClickRightAfterAnOverlayBeginsToLeaveReachesTheScreen) {
    testsupport::HostInput input(window);
    const struct {
        const char* overlay;
        // Shows it, and later sends it away as the user does.
        std::function<void()> show, leave;
    } cases[] = {
        {"an alert, Escape",
         [] { ui::makeView<ui::AlertView>("Warning", "Delete it?", nullptr, "No", std::vector<std::string>{"Yes"})->show(); },
         [&input] { input.key(Qt::Key_Escape); }},
        {"an alert, its button",
         [] { ui::makeView<ui::AlertView>("Saved", "The movie is saved.", nullptr, "OK", std::vector<std::string>{})->show(); },
         [this] { ui::AlertView::visibleAlerts().front()->clickButtonAtIndex(0); }},
        {"an action sheet, Escape",
         [this] {
             ui::makeView<ui::ActionSheet>("Share", nullptr, "Cancel", std::nullopt, std::vector<std::string>{"Mail"})
                 ->showInView(root->view());
         },
         [&input] { input.key(Qt::Key_Escape); }},
        {"a presented screen, its Cancel",
         [this] { root->presentViewController(std::make_shared<ui::ViewController>(), true); },
         [this] { root->dismissViewController(true); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.overlay);
        c.show();
        advance(1);
        input.click(centerOf(*button));
        ASSERT_EQ(presses, 0) << "the overlay lets a click through";
        c.leave();
        advance(0.05);
        input.click(centerOf(*button));
        EXPECT_EQ(presses, 1);
        advance(1);
        presses = 0;
    }
}

}  // namespace
