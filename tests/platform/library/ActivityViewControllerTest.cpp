// The share sheet driven with fingers: which activities it offers, that a
// chosen activity runs only after the sheet has gone, that an activity's own
// screen closes with the sheet, and that every way out answers exactly once.
// (The sheet inside a popover is driven by the project card's tests; here a
// plain container stands in for it.)

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/library/ActivityViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Control.h"
#include "platform/ui/controls/Label.h"
#include "support/Process.h"
#include "support/TouchDriver.h"
#include "support/VirtualClock.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

namespace {

using library::Activity;
using library::ActivityItems;
using library::ActivityViewController;

struct Log {
    std::vector<std::string> events;
};

class RecordingActivity : public Activity {
public:
    RecordingActivity(std::string type, Log& log, bool needsText = false)
        : type_(std::move(type)), log_(log), needsText_(needsText) {}

    std::string activityType() const override { return type_; }
    std::string activityTitle() const override { return "Title " + type_; }
    graphics::Image activityImage() const override { return graphics::Image::filled(30, 30, {0, 0, 0, 255}); }
    bool canPerformWithActivityItems(const ActivityItems& items) const override {
        if (!needsText_) return true;
        for (const auto& item : items)
            if (item.type() == typeid(std::string)) return true;
        return false;
    }
    void prepareWithActivityItems(const ActivityItems& items) override {
        log_.events.push_back("prepare " + type_ + " with " + std::to_string(items.size()));
    }
    std::shared_ptr<ui::ViewController> activityViewController() override { return screen; }
    void performActivity() override {
        log_.events.push_back("perform " + type_);
        if (finishOnPerform) activityDidFinish(true);
    }

    std::shared_ptr<ui::ViewController> screen;
    bool finishOnPerform = true;

private:
    std::string type_;
    Log& log_;
    bool needsText_;
};

class ActivitySheetTest : public testsupport::WindowFixture {
protected:
    void SetUp() override {
        root = std::make_shared<ui::ViewController>();
        window->setRootViewController(root);
    }

    std::shared_ptr<ActivityViewController> makeSheet(ActivityItems items,
                                                      std::vector<std::shared_ptr<Activity>> activities) {
        auto sheet = std::make_shared<ActivityViewController>(std::move(items), std::move(activities));
        sheet->completionHandler = [this](const std::optional<std::string>& type, bool completed) {
            log.events.push_back("done " + type.value_or("none") + (completed ? " completed" : " not completed"));
        };
        return sheet;
    }
    void present(const std::shared_ptr<ActivityViewController>& sheet) {
        root->presentViewController(sheet, true);
        advance(1.0);
        window->layoutIfNeeded();
        ASSERT_EQ(root->presentedViewController(), sheet.get());
    }
    static std::string titleOf(ui::Control* cell) {
        for (auto& subview : cell->subviews())
            if (auto* label = dynamic_cast<ui::Label*>(subview.get())) return label->text();
        return {};
    }

    std::shared_ptr<ui::ViewController> root;
    Log log;
};

TEST_F(ActivitySheetTest, OffersOnlyActivitiesThatAreNotExcludedAndCanWorkOnTheItems) {
    auto sheet = makeSheet({std::any(42)}, {std::make_shared<RecordingActivity>("a", log),
                                            std::make_shared<RecordingActivity>(library::activitytype::Mail, log),
                                            std::make_shared<RecordingActivity>("needs-text", log, true),
                                            std::make_shared<RecordingActivity>("b", log)});
    sheet->excludedActivityTypes = {library::activitytype::Mail, library::activitytype::Print};
    present(sheet);

    auto cells = sheet->activityCells();
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(titleOf(cells[0]), "Title a");
    EXPECT_EQ(titleOf(cells[1]), "Title b");
    EXPECT_LT(cells[0]->frame().minX(), cells[1]->frame().minX());
    EXPECT_EQ(sheet->cancelButton()->currentTitle(), "Cancel");

    auto png = ui::renderView(*window).pngData();
    ASSERT_TRUE(png.ok());
    ASSERT_TRUE(foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/share_sheet.png", *png).ok());
}

TEST_F(ActivitySheetTest, ChosenActivityRunsAfterTheSheetHasClosedAndAnswersOnce) {
    auto activity = std::make_shared<RecordingActivity>("dup", log);
    auto sheet = makeSheet({std::any(1), std::any(2)}, {activity});
    present(sheet);

    tap(sheet->activityCells().at(0));
    // Prepared at once, performed only when the sheet is off screen.
    EXPECT_EQ(log.events, std::vector<std::string>{"prepare dup with 2"});
    EXPECT_NE(root->presentedViewController(), nullptr);
    advance(1.0);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(log.events, (std::vector<std::string>{"prepare dup with 2", "perform dup", "done dup completed"}));

    // A second choice on the same sheet, and a late finish, change nothing.
    sheet->chooseActivityAtIndex(0);
    sheet->cancel();
    activity->activityDidFinish(false);
    advance(1.0);
    EXPECT_EQ(log.events.size(), 3u);
}

TEST_F(ActivitySheetTest, CancelClosesWithoutPerformingAnything) {
    auto sheet = makeSheet({}, {std::make_shared<RecordingActivity>("a", log)});
    present(sheet);
    tap(sheet->cancelButton());
    advance(1.0);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(log.events, std::vector<std::string>{"done none not completed"});
}

TEST_F(ActivitySheetTest, ActivityScreenIsShownFromTheSheetAndClosesWithIt) {
    auto activity = std::make_shared<RecordingActivity>("screen", log);
    activity->screen = std::make_shared<ui::ViewController>();
    auto sheet = makeSheet({}, {activity});
    present(sheet);

    tap(sheet->activityCells().at(0));
    advance(1.0);
    EXPECT_EQ(sheet->presentedViewController(), activity->screen.get());
    EXPECT_EQ(log.events, std::vector<std::string>{"prepare screen with 0"});

    activity->activityDidFinish(true);
    advance(1.0);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(activity->screen->presentingViewController(), nullptr);
    EXPECT_EQ(log.events, (std::vector<std::string>{"prepare screen with 0", "done screen completed"}));
}

// A sheet shown inside a container of the caller presents the activity's
// screen over the window; a tap on that screen's bar item ends the activity,
// and the screen leaves before the container, uncovering the caller's screen.
TEST_F(ActivitySheetTest, BarItemOfAScreenFromASheetInAContainerClosesBoth) {
    struct Case {
        ui::BarButtonSystemItem item;
        bool left;
        bool completed;
        std::string done;
    };
    for (const Case& c : {Case{ui::BarButtonSystemItem::Cancel, true, false, "done screen not completed"},
                          Case{ui::BarButtonSystemItem::Done, false, true, "done screen completed"}}) {
        SCOPED_TRACE(c.done);
        log.events.clear();
        auto activity = std::make_shared<RecordingActivity>("screen", log);
        auto form = std::make_shared<ui::ViewController>();
        auto barItem = std::make_shared<ui::BarButtonItem>(
            c.item, [&activity, &c](ui::BarButtonItem&) { activity->activityDidFinish(c.completed); });
        if (c.left)
            form->navigationItem().setLeftBarButtonItem(barItem);
        else
            form->navigationItem().setRightBarButtonItem(barItem);
        activity->screen = std::make_shared<ui::NavigationController>(form);
        auto sheet = makeSheet({}, {activity});
        root->addChildViewController(sheet);
        sheet->view()->setFrame({100, 300, 400, ActivityViewController::kPanelHeight});
        root->view()->addSubview(sheet->viewPtr());
        sheet->didMoveToParentViewController(root.get());
        sheet->dismissContainer = [this, weak = std::weak_ptr(sheet)](std::function<void()> then) {
            log.events.push_back("container closed");
            if (auto shown = weak.lock()) {
                shown->willMoveToParentViewController(nullptr);
                shown->view()->removeFromSuperview();
                shown->removeFromParentViewController();
            }
            then();
        };
        window->layoutIfNeeded();
        tap(sheet->activityCells().at(0));
        advance(1.0);
        ASSERT_EQ(sheet->presentedViewController(), activity->screen.get());
        window->layoutIfNeeded();

        fingers.tap(centerOf(*barItem->view()));
        advance(1.0);
        EXPECT_EQ(sheet->presentedViewController(), nullptr);
        EXPECT_FALSE(activity->screen->isViewLoaded() && activity->screen->view()->window());
        EXPECT_FALSE(root->view()->isHidden()) << "the caller's screen shows again";
        EXPECT_EQ(window->hitTest(centerOf(*root->view()), nullptr), root->view());
        EXPECT_EQ(log.events, (std::vector<std::string>{"prepare screen with 0", "container closed", c.done}));
    }
}

}  // namespace
