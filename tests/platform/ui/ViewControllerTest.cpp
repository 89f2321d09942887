// View controllers: view loading, appearance callbacks, containment and
// modal presentation (full screen and form sheet, animated and not).

#include "ScreenTestSupport.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/host/Device.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using graphics::Rect;
using graphics::Size;
using ui::ModalPresentationStyle;
using ui::ViewController;

namespace {

using screentest::Log;
using screentest::Recorder;

class ViewControllerTest : public screentest::ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        root = make("root");
        window->setRootViewController(root);
        log.clear();
    }

    std::shared_ptr<Recorder> root;
};

TEST_F(ViewControllerTest, ViewLoadsOnceOnFirstUseAtTheScreenSize) {
    auto controller = make("a");
    EXPECT_FALSE(controller->isViewLoaded());
    ui::View* view = controller->view();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(controller->view(), view);
    EXPECT_EQ(log, (Log{"a:load"}));
    EXPECT_EQ(view->bounds().size, ui::Device::current().screenBounds().size);
    EXPECT_EQ(view->viewController(), controller.get());
    EXPECT_EQ(view->nextResponder(), controller.get());
}

TEST_F(ViewControllerTest, RootControllerAppearsWithTheWindow) {
    auto other = std::make_shared<ui::Window>(Rect(0, 0, 320, 200));
    auto controller = make("a");
    other->setRootViewController(controller);
    EXPECT_EQ(take(), (Log{"a:willAppear", "a:didAppear"}));
    EXPECT_TRUE(controller->isVisible());
    EXPECT_EQ(controller->view()->frame(), Rect(0, 0, 320, 200));
    other->setRootViewController(nullptr);
    EXPECT_EQ(take(), (Log{"a:willDisappear", "a:didDisappear"}));
    EXPECT_FALSE(controller->isVisible());
}

TEST_F(ViewControllerTest, FullScreenPresentationOrdersCallbacksAndHidesThePresenter) {
    auto modal = make("modal");
    bool done = false;
    root->presentViewController(modal, false, [&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_EQ(take(), (Log{"root:willDisappear", "modal:willAppear", "root:didDisappear", "modal:didAppear"}));
    EXPECT_EQ(root->presentedViewController(), modal.get());
    EXPECT_EQ(modal->presentingViewController(), root.get());
    EXPECT_TRUE(root->view()->isHidden());
    EXPECT_EQ(modal->view()->window(), window.get());
    EXPECT_EQ(modal->view()->convertRectToView(modal->view()->bounds(), nullptr), Rect(0, 0, 1024, 768));

    done = false;
    modal->dismissViewController(false, [&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_EQ(take(), (Log{"modal:willDisappear", "root:willAppear", "modal:didDisappear", "root:didAppear"}));
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(modal->presentingViewController(), nullptr);
    EXPECT_FALSE(root->view()->isHidden());
    EXPECT_EQ(modal->view()->window(), nullptr);
    // Only the root's view is left in the window.
    EXPECT_EQ(window->subviews().size(), 1u);
}

TEST_F(ViewControllerTest, AnimatedPresentationCompletesOnTheVirtualClock) {
    auto modal = make("modal");
    int completions = 0;
    root->presentViewController(modal, true, [&] { ++completions; });
    EXPECT_EQ(take(), (Log{"root:willDisappear", "modal:willAppear"}));
    EXPECT_TRUE(modal->isBeingPresented());

    advance(0.15);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(take().empty());
    // Mid-way the sheet is on its way up from below the window.
    ui::View* wrapper = modal->view()->superview();
    double y = wrapper->layer().presentation().transform.toAffine().ty;
    EXPECT_GT(y, 0);
    EXPECT_LT(y, 768);

    advance(0.25);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(take(), (Log{"root:didDisappear", "modal:didAppear"}));
    EXPECT_FALSE(modal->isBeingPresented());
    EXPECT_DOUBLE_EQ(wrapper->layer().presentation().transform.toAffine().ty, 0);

    root->dismissViewController(true, [&] { ++completions; });
    EXPECT_TRUE(modal->isBeingDismissed());
    EXPECT_EQ(take(), (Log{"modal:willDisappear", "root:willAppear"}));
    advance(0.2);
    EXPECT_EQ(completions, 1);
    advance(0.2);
    EXPECT_EQ(completions, 2);
    EXPECT_EQ(take(), (Log{"modal:didDisappear", "root:didAppear"}));
}

TEST_F(ViewControllerTest, FormSheetIsCentredOverADimmedBackdropAndLeavesThePresenterShown) {
    auto sheet = make("sheet");
    sheet->modalPresentationStyle = ModalPresentationStyle::FormSheet;
    root->presentViewController(sheet, false);
    // The presenter stays on screen: no disappearance for it.
    EXPECT_EQ(take(), (Log{"sheet:willAppear", "sheet:didAppear"}));
    EXPECT_FALSE(root->view()->isHidden());
    EXPECT_EQ(sheet->view()->convertRectToView(sheet->view()->bounds(), nullptr), Rect(242, 74, 540, 620));
    ui::View* backdrop = sheet->view()->superview()->superview();
    ASSERT_TRUE(backdrop->backgroundColor().has_value());
    EXPECT_NEAR(backdrop->backgroundColor()->alpha(), 0.4, 1e-9);
    EXPECT_EQ(backdrop->frame(), window->bounds());
    sheet->dismissViewController(false);
    EXPECT_EQ(take(), (Log{"sheet:willDisappear", "sheet:didDisappear"}));

    auto small = make("small");
    small->modalPresentationStyle = ModalPresentationStyle::FormSheet;
    small->preferredContentSize = Size{400, 300};
    root->presentViewController(small, false);
    EXPECT_EQ(small->view()->convertRectToView(small->view()->bounds(), nullptr), Rect(312, 234, 400, 300));
}

TEST_F(ViewControllerTest, FormSheetTooBigForThePhoneWindowCoversIt) {
    auto phone = std::make_shared<ui::Window>(Rect(0, 0, 568, 320));
    auto base = make("base");
    phone->setRootViewController(base);
    auto sheet = make("sheet");
    sheet->modalPresentationStyle = ModalPresentationStyle::FormSheet;
    take();
    base->presentViewController(sheet, false);
    EXPECT_EQ(sheet->view()->convertRectToView(sheet->view()->bounds(), nullptr), Rect(0, 0, 568, 320));
    EXPECT_EQ(take(), (Log{"base:willDisappear", "sheet:willAppear", "base:didDisappear", "sheet:didAppear"}));
}

TEST_F(ViewControllerTest, DismissingTheBottomOfANestedChainDismissesEverythingAboveIt) {
    auto first = make("first");
    auto second = make("second");
    second->modalPresentationStyle = ModalPresentationStyle::FormSheet;
    root->presentViewController(first, false);
    first->presentViewController(second, false);
    EXPECT_EQ(take(), (Log{"root:willDisappear", "first:willAppear", "root:didDisappear", "first:didAppear",
                           "second:willAppear", "second:didAppear"}));
    EXPECT_EQ(first->presentedViewController(), second.get());

    int completions = 0;
    root->dismissViewController(true, [&] { ++completions; });
    EXPECT_EQ(take(), (Log{"second:willDisappear", "first:willDisappear", "root:willAppear"}));
    advance(0.36);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(take(), (Log{"second:didDisappear", "first:didDisappear", "root:didAppear"}));
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(first->presentedViewController(), nullptr);
    EXPECT_EQ(second->presentingViewController(), nullptr);
    EXPECT_EQ(window->subviews().size(), 1u);
}

TEST_F(ViewControllerTest, FullScreenOverASheetHidesBothAndBringsBothBack) {
    auto sheet = make("sheet");
    sheet->modalPresentationStyle = ModalPresentationStyle::FormSheet;
    auto cover = make("cover");
    root->presentViewController(sheet, false);
    take();
    sheet->presentViewController(cover, false);
    EXPECT_EQ(take(), (Log{"root:willDisappear", "sheet:willDisappear", "cover:willAppear", "root:didDisappear",
                           "sheet:didDisappear", "cover:didAppear"}));
    cover->dismissViewController(false);
    EXPECT_EQ(take(), (Log{"cover:willDisappear", "root:willAppear", "sheet:willAppear", "cover:didDisappear",
                           "root:didAppear", "sheet:didAppear"}));
    EXPECT_FALSE(root->view()->isHidden());
    EXPECT_EQ(sheet->view()->window(), window.get());
}

// A sheet that fits the window with a screen over it that covers the window
// (a share sheet and the service it opened): dismissing the sheet takes the
// screen with it and brings back what the screen hid, animated or not.
TEST_F(ViewControllerTest, DismissingASheetWithACoverOverItBringsThePresenterBack) {
    for (bool animated : {false, true}) {
        SCOPED_TRACE(animated ? "animated" : "at once");
        auto sheet = make("sheet");
        sheet->modalPresentationStyle = ModalPresentationStyle::FormSheet;
        sheet->preferredContentSize = Size{540, 190};
        auto cover = make("cover");
        root->presentViewController(sheet, false);
        sheet->presentViewController(cover, false);
        ASSERT_TRUE(root->view()->isHidden());
        take();
        bool done = false;
        sheet->presentingViewController()->dismissViewController(animated, [&] { done = true; });
        advance(0.5);
        EXPECT_TRUE(done);
        EXPECT_EQ(take(), (Log{"cover:willDisappear", "root:willAppear", "cover:didDisappear", "root:didAppear"}));
        EXPECT_FALSE(root->view()->isHidden());
        EXPECT_TRUE(root->isVisible());
        EXPECT_EQ(window->subviews().size(), 1u) << "nothing of the sheet or the cover is left";
        EXPECT_EQ(window->hitTest({512, 384}, nullptr), root->view());
    }
}

TEST_F(ViewControllerTest, SecondPresentationFromTheSamePresenterIsRefused) {
    auto first = make("first");
    auto second = make("second");
    root->presentViewController(first, false);
    bool done = false;
    root->presentViewController(second, false, [&] { done = true; });
    EXPECT_FALSE(done);
    EXPECT_EQ(root->presentedViewController(), first.get());
    EXPECT_EQ(second->presentingViewController(), nullptr);
    EXPECT_FALSE(second->isViewLoaded());
}

TEST_F(ViewControllerTest, RequestsDuringATransitionWaitForItsEnd) {
    auto modal = make("modal");
    Log order;
    root->presentViewController(modal, true, [&] { order.push_back("presented"); });
    modal->dismissViewController(true, [&] { order.push_back("dismissed"); });
    // The dismissal waits: nothing of it happens while the presentation runs.
    EXPECT_EQ(take(), (Log{"root:willDisappear", "modal:willAppear"}));
    advance(0.36);
    EXPECT_EQ(order, (Log{"presented"}));
    EXPECT_EQ(take(), (Log{"root:didDisappear", "modal:didAppear", "modal:willDisappear", "root:willAppear"}));
    advance(0.36);
    EXPECT_EQ(order, (Log{"presented", "dismissed"}));
    EXPECT_EQ(take(), (Log{"modal:didDisappear", "root:didAppear"}));
}

TEST_F(ViewControllerTest, DismissWithNothingPresentedStillCompletes) {
    bool done = false;
    root->dismissViewController(true, [&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_TRUE(take().empty());
}

TEST_F(ViewControllerTest, ChildPresentsThroughTheTopOfItsParentChain) {
    auto child = make("child");
    root->addChildViewController(child);
    root->view()->addSubview(child->viewPtr());
    child->didMoveToParentViewController(root.get());
    take();
    auto modal = make("modal");
    child->presentViewController(modal, false);
    EXPECT_EQ(modal->presentingViewController(), root.get());
    EXPECT_EQ(child->presentedViewController(), modal.get());
    EXPECT_EQ(take(), (Log{"root:willDisappear", "child:willDisappear", "modal:willAppear", "root:didDisappear",
                           "child:didDisappear", "modal:didAppear"}));
    child->dismissViewController(false);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(take(), (Log{"modal:willDisappear", "root:willAppear", "child:willAppear", "modal:didDisappear",
                           "root:didAppear", "child:didAppear"}));
}

TEST_F(ViewControllerTest, ChildViewsAddedAndRemovedByHandGetBalancedCallbacks) {
    auto child = make("child");
    root->addChildViewController(child);
    EXPECT_EQ(take(), (Log{"child:willMoveIn"}));
    EXPECT_EQ(child->parentViewController(), root.get());
    root->view()->addSubview(child->viewPtr());
    child->didMoveToParentViewController(root.get());
    EXPECT_EQ(take(), (Log{"child:willAppear", "child:didAppear", "child:didMoveIn"}));
    // Moving the view within the window is no appearance.
    auto holder = ui::makeView(Rect(0, 0, 10, 10));
    root->view()->addSubview(holder);
    holder->addSubview(child->viewPtr());
    EXPECT_TRUE(take().empty());

    child->willMoveToParentViewController(nullptr);
    child->view()->removeFromSuperview();
    child->removeFromParentViewController();
    EXPECT_EQ(take(), (Log{"child:willMoveOut", "child:willDisappear", "child:didDisappear", "child:didMoveOut"}));
    EXPECT_TRUE(root->childViewControllers().empty());
    EXPECT_EQ(child->parentViewController(), nullptr);
}

TEST_F(ViewControllerTest, ChildrenFollowTheirParentIntoTheWindow) {
    auto parent = make("parent");
    auto child = make("child");
    parent->addChildViewController(child);
    parent->view()->addSubview(child->viewPtr());
    take();
    root->view()->addSubview(parent->viewPtr());
    EXPECT_EQ(take(), (Log{"parent:willAppear", "child:willAppear", "parent:didAppear", "child:didAppear"}));
    parent->view()->removeFromSuperview();
    EXPECT_EQ(take(),
              (Log{"parent:willDisappear", "child:willDisappear", "parent:didDisappear", "child:didDisappear"}));
}

TEST_F(ViewControllerTest, ContainmentRefusesCycles) {
    auto child = make("child");
    root->addChildViewController(child);
    EXPECT_THROW(child->addChildViewController(root), std::invalid_argument);
    EXPECT_THROW(child->addChildViewController(child), std::invalid_argument);
}

TEST_F(ViewControllerTest, LayoutOfTheRootViewReachesTheController) {
    root->view()->setNeedsLayout();
    root->view()->layoutIfNeeded();
    EXPECT_EQ(root->layouts, 1);
}

}  // namespace
