// Navigation stacks, the navigation bar and its items, toolbars and bar
// button items.

#include "ControlsTestSupport.h"
#include "ScreenTestSupport.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/Toolbar.h"
#include "support/TouchDriver.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using graphics::Rect;
using ui::BarButtonItem;
using ui::BarButtonItemStyle;
using ui::BarButtonSystemItem;
using ui::NavigationController;
using ui::ViewController;

namespace {

using screentest::Log;

class NavigationTest : public screentest::ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        // The stack's own moves are what these tests follow.
        ignoredEvents = {":load", ":willMove"};
        first = make("first");
        nav = std::make_shared<NavigationController>(first);
        window->setRootViewController(nav);
        log.clear();
    }

    std::shared_ptr<screentest::Recorder> first;
    std::shared_ptr<NavigationController> nav;
};

TEST_F(NavigationTest, RootScreenFillsTheAreaBelowTheBar) {
    EXPECT_EQ(nav->topViewController(), first.get());
    EXPECT_EQ(first->navigationController(), nav.get());
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(inWindow(first->view()), Rect(0, 44, 1024, 724));
    EXPECT_EQ(inWindow(&nav->navigationBar()), Rect(0, 0, 1024, 44));
    EXPECT_EQ(nav->navigationBar().shownTitle(), "first");
    EXPECT_EQ(nav->navigationBar().backButtonView(), nullptr);
}

TEST_F(NavigationTest, PushWithoutAnimationSwapsScreensInOrder) {
    auto second = make("second");
    nav->pushViewController(second, false);
    EXPECT_EQ(take(), (Log{"first:willDisappear", "second:willAppear", "second:didMoveIn", "first:didDisappear",
                           "second:didAppear"}));
    ASSERT_EQ(nav->viewControllers().size(), 2u);
    EXPECT_EQ(nav->topViewController(), second.get());
    EXPECT_EQ(first->view()->superview(), nullptr);
    EXPECT_EQ(inWindow(second->view()), Rect(0, 44, 1024, 724));
    EXPECT_EQ(nav->navigationBar().shownTitle(), "second");
    EXPECT_NE(nav->navigationBar().backButtonView(), nullptr);
}

TEST_F(NavigationTest, ARootThatPushesAPageWhileLoadingShowsThatPage) {
    // A root screen that opens one of its pages at the start.
    class Opener : public screentest::Recorder {
    public:
        using Recorder::Recorder;
        std::shared_ptr<ViewController> page;
        void viewDidLoad() override {
            Recorder::viewDidLoad();
            navigationController()->pushViewController(page, false);
        }
    };
    auto opener = std::make_shared<Opener>("opener", log);
    auto page = make("page");
    opener->page = page;
    auto stack = std::make_shared<NavigationController>(opener);
    window->setRootViewController(stack);
    window->layoutIfNeeded();
    EXPECT_EQ(stack->topViewController(), page.get());
    EXPECT_EQ(opener->view()->superview(), nullptr);
    EXPECT_EQ(inWindow(page->view()), Rect(0, 44, 1024, 724));
    EXPECT_EQ(window->hitTest({512, 400}, nullptr), page->view());
    EXPECT_EQ(stack->navigationBar().shownTitle(), "page");
    // Back shows the root.
    tap(stack->navigationBar().backButtonView());
    advance(1.0);
    EXPECT_EQ(stack->topViewController(), opener.get());
    EXPECT_EQ(window->hitTest({512, 400}, nullptr), opener->view());
}

TEST_F(NavigationTest, AnimatedPushSlidesInAndEndsOnTheClock) {
    auto second = make("second");
    nav->pushViewController(second, true);
    EXPECT_EQ(take(), (Log{"first:willDisappear", "second:willAppear"}));
    advance(0.17);
    // Both screens are on screen while the new one slides over from the right.
    EXPECT_EQ(first->view()->superview(), nav->view());
    double x = second->view()->layer().presentation().transform.toAffine().tx;
    EXPECT_GT(x, 0);
    EXPECT_LT(x, 1024);
    EXPECT_TRUE(take().empty());
    advance(0.2);
    EXPECT_EQ(take(), (Log{"second:didMoveIn", "first:didDisappear", "second:didAppear"}));
    EXPECT_EQ(first->view()->superview(), nullptr);
    EXPECT_EQ(inWindow(second->view()), Rect(0, 44, 1024, 724));
}

TEST_F(NavigationTest, BackButtonPopsAndThePoppedScreenLeavesTheStack) {
    auto second = make("second");
    nav->pushViewController(second, false);
    take();
    auto* back = dynamic_cast<ui::detail::TextButtonView*>(nav->navigationBar().backButtonView());
    ASSERT_NE(back, nullptr);
    EXPECT_NE(back->title.find("first"), std::string::npos);
    back->sendTap();
    EXPECT_EQ(take(), (Log{"second:willDisappear", "first:willAppear"}));
    advance(0.36);
    EXPECT_EQ(take(), (Log{"second:didMoveOut", "second:didDisappear", "first:didAppear"}));
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    EXPECT_EQ(second->parentViewController(), nullptr);
    EXPECT_EQ(second->navigationController(), nullptr);
    EXPECT_EQ(nav->navigationBar().shownTitle(), "first");
}

TEST_F(NavigationTest, BackButtonAnswersARealTap) {
    auto second = make("second");
    nav->pushViewController(second, false);
    window->layoutIfNeeded();
    ui::View* back = nav->navigationBar().backButtonView();
    ASSERT_NE(back, nullptr);
    Rect frame = inWindow(back);
    testsupport::TouchDriver fingers(*window);
    fingers.tap({frame.midX(), frame.midY()});
    advance(0.4);
    EXPECT_EQ(nav->topViewController(), first.get());
}

TEST_F(NavigationTest, TheBackButtonShowsItsWholeTitleWhereTheBarHasRoom) {
    // A popover's narrow bar: the back title takes the room the bar's own
    // title leaves, more than a third of the bar, rather than being cut.
    const struct {
        const char* back;
        const char* title;
        double width;
        bool whole;
    } cases[] = {
        {"Green Screen", "Background", 364, true},
        {"Green Screen", "Color", 364, true},
        {"A very long title of the screen below", "Background", 364, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.back);
        auto below = make(c.back);
        below->setTitle(c.back);
        auto shown = make(c.title);
        shown->setTitle(c.title);
        auto stack = std::make_shared<ui::NavigationController>(below);
        stack->view()->setFrame({0, 0, c.width, 232});
        window->setRootViewController(nullptr);
        window->addSubview(stack->viewPtr());
        stack->pushViewController(shown, false);
        window->layoutIfNeeded();
        auto* back = dynamic_cast<ui::detail::TextButtonView*>(stack->navigationBar().backButtonView());
        ASSERT_NE(back, nullptr);
        const std::string fault = testsupport::textCutFault(back->title, back->font, drawnRect(*back));
        EXPECT_EQ(fault.empty(), c.whole) << fault;
        // The bar's own title reads whole beside it: the ink it takes away.
        const Rect backFrame = inWindow(back);
        back->setHidden(true);
        const graphics::Image titled = window->renderImage();
        shown->setTitle("");  // the bar builds its buttons anew
        window->layoutIfNeeded();
        stack->navigationBar().backButtonView()->setHidden(true);
        const Rect title = testsupport::changedRect(*window, titled, window->renderImage());
        EXPECT_EQ(testsupport::textCutFault(c.title, ui::NavigationBar::titleFont(), title), "");
        EXPECT_LE(backFrame.maxX(), title.minX());
        stack->view()->removeFromSuperview();
    }
}

TEST_F(NavigationTest, PopOfTheRootDoesNothing) {
    EXPECT_EQ(nav->popViewController(false), nullptr);
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    EXPECT_TRUE(take().empty());
}

TEST_F(NavigationTest, PushDuringAPushWaitsItsTurn) {
    auto second = make("second");
    auto third = make("third");
    nav->pushViewController(second, true);
    nav->pushViewController(third, true);
    advance(0.36);
    EXPECT_EQ(nav->topViewController(), third.get());
    advance(0.36);
    ASSERT_EQ(nav->viewControllers().size(), 3u);
    EXPECT_EQ(nav->viewControllers()[1].get(), second.get());
    EXPECT_EQ(nav->viewControllers()[2].get(), third.get());
    EXPECT_TRUE(third->isVisible());
    EXPECT_FALSE(second->isVisible());
    EXPECT_EQ(second->view()->superview(), nullptr);
}

TEST_F(NavigationTest, PopToRootSkipsTheScreensBetween) {
    auto second = make("second");
    auto third = make("third");
    nav->pushViewController(second, false);
    nav->pushViewController(third, false);
    take();
    auto popped = nav->popToRootViewController(false);
    ASSERT_EQ(popped.size(), 2u);
    EXPECT_EQ(popped[0].get(), second.get());
    EXPECT_EQ(popped[1].get(), third.get());
    // The screen in between was never shown, so it only leaves the stack.
    EXPECT_EQ(take(), (Log{"second:didMoveOut", "third:willDisappear", "first:willAppear", "third:didMoveOut",
                           "third:didDisappear", "first:didAppear"}));
    EXPECT_EQ(nav->viewControllers().size(), 1u);
}

TEST_F(NavigationTest, BarItemsTakeTheirSidesAndRunTheirActions) {
    int taps = 0;
    auto done = std::make_shared<BarButtonItem>(BarButtonSystemItem::Done, [&](BarButtonItem&) { ++taps; });
    auto cancel = std::make_shared<BarButtonItem>(BarButtonSystemItem::Cancel, nullptr);
    first->navigationItem().setRightBarButtonItem(done);
    first->navigationItem().setLeftBarButtonItem(cancel);
    ASSERT_NE(done->view(), nullptr);
    ASSERT_NE(cancel->view(), nullptr);
    window->layoutIfNeeded();
    EXPECT_EQ(done->view()->superview(), &nav->navigationBar());
    Rect right = inWindow(done->view());
    Rect left = inWindow(cancel->view());
    EXPECT_DOUBLE_EQ(right.maxX(), 1024 - 8);
    EXPECT_DOUBLE_EQ(left.minX(), 8);
    EXPECT_EQ(done->style(), BarButtonItemStyle::Done);
    EXPECT_EQ(done->title(), "Done");

    testsupport::TouchDriver fingers(*window);
    fingers.tap({right.midX(), right.midY()});
    EXPECT_EQ(taps, 1);
    done->setEnabled(false);
    fingers.tap({right.midX(), right.midY()});
    EXPECT_EQ(taps, 1);

    // A left item takes the back button's place.
    auto second = make("second");
    second->navigationItem().setLeftBarButtonItem(cancel);
    nav->pushViewController(second, false);
    EXPECT_EQ(nav->navigationBar().backButtonView(), nullptr);
    EXPECT_EQ(cancel->view()->superview(), &nav->navigationBar());
}

TEST_F(NavigationTest, ItemChangesShowAtOnce) {
    auto item = std::make_shared<BarButtonItem>("Edit", BarButtonItemStyle::Bordered, nullptr);
    first->navigationItem().setRightBarButtonItem(item);
    item->setTitle("Finish");
    auto* button = dynamic_cast<ui::detail::TextButtonView*>(item->view());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->title, "Finish");
    // A new title reaches a bar that is already laid out.
    window->layoutIfNeeded();
    ASSERT_FALSE(nav->navigationBar().needsLayout());
    first->setTitle("Loading");
    EXPECT_TRUE(nav->navigationBar().needsLayout());
    EXPECT_EQ(nav->navigationBar().shownTitle(), "Loading");
    first->navigationItem().setTitle("Renamed");
    EXPECT_EQ(nav->navigationBar().shownTitle(), "Renamed");
    EXPECT_EQ(first->title, "Loading");
    first->navigationItem().setRightBarButtonItem(nullptr);
    EXPECT_EQ(item->view(), nullptr);
}

TEST_F(NavigationTest, HiddenBackButtonAndCustomBackTitle) {
    first->navigationItem().setBackBarButtonItem(
        std::make_shared<BarButtonItem>("Projects", BarButtonItemStyle::Plain, nullptr));
    auto second = make("second");
    nav->pushViewController(second, false);
    auto* back = dynamic_cast<ui::detail::TextButtonView*>(nav->navigationBar().backButtonView());
    ASSERT_NE(back, nullptr);
    EXPECT_NE(back->title.find("Projects"), std::string::npos);
    second->navigationItem().setHidesBackButton(true);
    EXPECT_EQ(nav->navigationBar().backButtonView(), nullptr);
}

TEST_F(NavigationTest, ToolbarShowsTheTopScreensItemsAndShrinksTheContent) {
    auto a = std::make_shared<BarButtonItem>(BarButtonSystemItem::Add, nullptr);
    auto flexible = std::make_shared<BarButtonItem>(BarButtonSystemItem::FlexibleSpace, nullptr);
    auto b = std::make_shared<BarButtonItem>(BarButtonSystemItem::Trash, nullptr);
    first->setToolbarItems({a, flexible, b});
    nav->setToolbarHidden(false);
    window->layoutIfNeeded();
    EXPECT_EQ(inWindow(first->view()), Rect(0, 44, 1024, 680));
    EXPECT_EQ(inWindow(&nav->toolbar()), Rect(0, 724, 1024, 44));
    EXPECT_EQ(nav->toolbar().items().size(), 3u);
    EXPECT_DOUBLE_EQ(inWindow(a->view()).minX(), 12);
    EXPECT_DOUBLE_EQ(inWindow(b->view()).maxX(), 1024 - 12);

    auto second = make("second");
    nav->pushViewController(second, false);
    EXPECT_TRUE(nav->toolbar().items().empty());
    EXPECT_EQ(a->view(), nullptr);
    nav->setNavigationBarHidden(true);
    window->layoutIfNeeded();
    EXPECT_EQ(inWindow(second->view()), Rect(0, 0, 1024, 724));
}

TEST_F(NavigationTest, ToolbarSharesSpareRoomBetweenFlexibleSpaces) {
    ui::Toolbar bar(Rect(0, 0, 400, 44));
    auto fixed = std::make_shared<BarButtonItem>(BarButtonSystemItem::FixedSpace, nullptr);
    fixed->setWidth(50);
    auto flex1 = std::make_shared<BarButtonItem>(BarButtonSystemItem::FlexibleSpace, nullptr);
    auto flex2 = std::make_shared<BarButtonItem>(BarButtonSystemItem::FlexibleSpace, nullptr);
    auto custom = std::make_shared<BarButtonItem>(ui::makeView(Rect(0, 0, 100, 20)));
    bar.setItems({fixed, flex1, custom, flex2});
    bar.layoutIfNeeded();
    // 400 - 2 × 12 margins - 3 × 8 spacing - 50 - 100 = 202, shared by two.
    EXPECT_DOUBLE_EQ(flex1->view()->frame().width(), 101);
    EXPECT_EQ(custom->view()->frame(), Rect(12 + 50 + 8 + 101 + 8, 12, 100, 20));
    EXPECT_EQ(custom->view(), custom->customView().get());
}

TEST_F(NavigationTest, BarImagesAreTemplatesUnlessTheyKeepTheirColours) {
    ui::Toolbar bar(Rect(0, 0, 200, 44));
    bar.setTintColor(graphics::Color::blue());
    const graphics::Image red = graphics::Image::filled(20, 20, graphics::RGBA{255, 0, 0, 255});
    auto tinted = std::make_shared<BarButtonItem>(red, BarButtonItemStyle::Plain, nullptr);
    auto original = std::make_shared<BarButtonItem>(red.withRenderingMode(graphics::ImageRenderingMode::AlwaysOriginal),
                                                    BarButtonItemStyle::Plain, nullptr);
    bar.setItems({tinted, original});
    bar.layoutIfNeeded();
    graphics::Image picture = ui::renderView(bar);
    auto middle = [&picture, &bar](const BarButtonItem& item) {
        const Rect frame = item.view()->convertRectToView(item.view()->bounds(), &bar);
        return picture.pixelAt(int(frame.midX()), int(frame.midY()));
    };
    EXPECT_EQ(middle(*tinted), (graphics::RGBA{0, 0, 255, 255}));
    EXPECT_EQ(middle(*original), (graphics::RGBA{255, 0, 0, 255}));
}

TEST_F(NavigationTest, PresentedNavigationStackGivesItsTopScreenTheCallbacks) {
    auto inner = make("inner");
    auto sheet = std::make_shared<NavigationController>(inner);
    sheet->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
    take();
    nav->presentViewController(sheet, false);
    EXPECT_EQ(take(), (Log{"inner:willAppear", "inner:didAppear"}));
    EXPECT_EQ(inner->view()->convertRectToView(inner->view()->bounds(), nullptr), Rect(242, 74 + 44, 540, 620 - 44));
    // A screen in the presented stack closes the whole stack.
    inner->dismissViewController(false);
    EXPECT_EQ(take(), (Log{"inner:willDisappear", "inner:didDisappear"}));
    EXPECT_EQ(nav->presentedViewController(), nullptr);
}

TEST_F(NavigationTest, PictureOfABarWithTitleButtonsAndToolbar) {
    first->view()->setBackgroundColor(graphics::Color::white());
    first->navigationItem().setTitle("Albums");
    first->navigationItem().setLeftBarButtonItem(std::make_shared<BarButtonItem>(BarButtonSystemItem::Cancel, nullptr));
    auto add = std::make_shared<BarButtonItem>(BarButtonSystemItem::Add, nullptr);
    first->navigationItem().setRightBarButtonItem(add);
    first->setToolbarItems({std::make_shared<BarButtonItem>("+ Select All", BarButtonItemStyle::Plain, nullptr),
                            std::make_shared<BarButtonItem>(BarButtonSystemItem::FlexibleSpace, nullptr),
                            std::make_shared<BarButtonItem>(BarButtonSystemItem::Trash, nullptr)});
    nav->setToolbarHidden(false);
    graphics::Image picture = ui::renderView(*window);
    // Bars are light, the title dark and centred, the glyphs in the tint colour.
    EXPECT_GT(picture.pixelAt(300, 5).r, 230);
    bool darkTitle = false;
    for (int x = 480; x < 545 && !darkTitle; ++x) {
        for (int y = 12; y < 32 && !darkTitle; ++y) darkTitle = picture.pixelAt(x, y).r < 80;
    }
    EXPECT_TRUE(darkTitle);
    Rect plus = inWindow(add->view());
    graphics::RGBA centre = picture.pixelAt(static_cast<int>(plus.midX()), static_cast<int>(plus.midY()));
    EXPECT_LT(centre.r, 60);
    EXPECT_GT(centre.b, 200);
    controltest::savePicture(picture, "navigation.png");
}

}  // namespace
