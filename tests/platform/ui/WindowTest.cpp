// The window: root controller, key window, first responder and key input,
// the responder chain for touches, composite requests and rendering.

#include "platform/ui/Window.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/gestures/GestureArena.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"
#include "platform/ui/host/Application.h"
#include "support/TouchDriver.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using graphics::Point;
using graphics::Rect;

namespace {

// A view that can take the keyboard and writes down what reaches it.
class Field : public ui::View {
public:
    using View::View;
    bool acceptsFocus = true;
    bool letsGo = true;
    bool handlesText = true;
    std::vector<std::string> log;

    bool canBecomeFirstResponder() const override { return acceptsFocus; }
    bool canResignFirstResponder() const override { return letsGo; }
    bool insertText(const std::string& text) override {
        if (!handlesText) return View::insertText(text);
        log.push_back("text:" + text);
        return true;
    }
    bool keyPressed(ui::Key key, unsigned) override {
        log.push_back(key == ui::Key::Return ? "return" : "key");
        return true;
    }
    void touchesBegan(const ui::TouchSet& touches, const ui::Event&) override {
        log.push_back("began@" + std::to_string(int(touches.front()->locationInView(this).x)));
    }
};

class WindowTest : public ::testing::Test {
protected:
    void TearDown() override { ui::GestureArena::shared().resetForTesting(); }

    testsupport::VirtualClockScope clock{10};
    std::shared_ptr<ui::Window> window = std::make_shared<ui::Window>(Rect(0, 0, 320, 240));
    testsupport::TouchDriver fingers{*window};
};

TEST_F(WindowTest, FirstResponderNeedsAWindowAndAWillingPredecessor) {
    auto a = ui::makeView<Field>(Rect(0, 0, 100, 40));
    auto b = ui::makeView<Field>(Rect(0, 50, 100, 40));
    EXPECT_FALSE(a->becomeFirstResponder()) << "took the keyboard outside any window";
    window->addSubview(a);
    window->addSubview(b);
    ASSERT_TRUE(a->becomeFirstResponder());
    EXPECT_TRUE(a->isFirstResponder());
    EXPECT_EQ(window->firstResponder(), a.get());

    a->letsGo = false;
    EXPECT_FALSE(b->becomeFirstResponder());
    EXPECT_TRUE(a->isFirstResponder());
    a->letsGo = true;
    EXPECT_TRUE(b->becomeFirstResponder());
    EXPECT_FALSE(a->isFirstResponder());

    b->acceptsFocus = false;
    EXPECT_TRUE(b->resignFirstResponder());
    EXPECT_FALSE(b->becomeFirstResponder());
    EXPECT_EQ(window->firstResponder(), nullptr);
}

TEST_F(WindowTest, KeysGoToTheFirstResponderAndUpTheChain) {
    auto outer = ui::makeView<Field>(Rect(0, 0, 200, 200));
    auto inner = ui::makeView<Field>(Rect(10, 10, 50, 50));
    window->addSubview(outer);
    outer->addSubview(inner);
    window->sendText("lost");  // nobody has the keyboard: nothing happens
    ASSERT_TRUE(inner->becomeFirstResponder());
    window->sendText("hi");
    window->sendKey(ui::Key::Return);
    inner->handlesText = false;
    window->sendText("up");
    EXPECT_EQ(inner->log, (std::vector<std::string>{"text:hi", "return"}));
    EXPECT_EQ(outer->log, std::vector<std::string>{"text:up"});
}

TEST_F(WindowTest, RemovingTheFirstRespondersBranchClearsIt) {
    auto branch = ui::makeView(Rect(0, 0, 200, 200));
    auto field = ui::makeView<Field>(Rect(10, 10, 50, 50));
    window->addSubview(branch);
    branch->addSubview(field);
    field->letsGo = false;  // even one that refuses to resign cannot stay
    ASSERT_TRUE(field->becomeFirstResponder());
    branch->removeFromSuperview();
    EXPECT_EQ(window->firstResponder(), nullptr);
    window->sendText("x");
    EXPECT_TRUE(field->log.empty());
}

TEST_F(WindowTest, TouchesGoToTheHitViewOrUpTheChainToItsSuperview) {
    auto outer = ui::makeView<Field>(Rect(100, 100, 200, 100));
    auto plain = ui::makeView(Rect(20, 20, 40, 40));  // handles no touches itself
    window->addSubview(outer);
    outer->addSubview(plain);
    fingers.tap({130, 130});  // in `plain`: passed on to `outer`
    fingers.tap({250, 150});  // in `outer` directly
    fingers.tap({10, 10});    // in the window only
    fingers.tap({500, 500});  // outside everything
    EXPECT_EQ(outer->log, (std::vector<std::string>{"began@30", "began@150"}));
    EXPECT_EQ(window->activeTouchCount(), 0u);
}

TEST_F(WindowTest, TouchesFindViewsWhereLayoutPutsThem) {
    // A bar that places its button only when laid out, as bars do.
    struct Bar : ui::View {
        using View::View;
        std::shared_ptr<Field> button = ui::makeView<Field>();
        void layoutSubviews() override { button->setFrame(Rect(bounds().size.width - 60, 0, 60, 40)); }
    };
    auto bar = ui::makeView<Bar>(Rect(0, 0, 320, 40));
    bar->addSubview(bar->button);
    window->addSubview(bar);
    // Nothing has been drawn or laid out yet.
    fingers.tap({300, 20});
    EXPECT_EQ(bar->button->log, std::vector<std::string>{"began@40"});
}

TEST_F(WindowTest, AViewMayRemoveItselfFromItsOwnTouchOrGesture) {
    // A backdrop that goes away when touched, as popover backdrops do.
    struct Backdrop : ui::View {
        using View::View;
        int touched = 0;
        void touchesEnded(const ui::TouchSet&, const ui::Event&) override {
            ++touched;
            removeFromSuperview();
        }
    };
    auto backdrop = ui::makeView<Backdrop>(Rect(0, 0, 320, 240));
    window->addSubview(backdrop);
    std::weak_ptr<Backdrop> watch = backdrop;
    backdrop.reset();  // the window holds it alone
    fingers.tap({50, 50});
    EXPECT_TRUE(watch.expired()) << "the finished touch still holds the removed view";

    auto panel = ui::makeView(Rect(0, 0, 320, 240));
    window->addSubview(panel);
    int taps = 0;
    panel->addGestureRecognizer(std::make_shared<ui::TapGestureRecognizer>([&](ui::GestureRecognizer& r) {
        ++taps;
        r.view()->removeFromSuperview();
    }));
    std::weak_ptr<ui::View> watchPanel = panel;
    panel.reset();
    fingers.tap({50, 50});
    fingers.tap({50, 50});
    EXPECT_EQ(taps, 1);
    EXPECT_TRUE(watchPanel.expired());
    EXPECT_EQ(window->activeTouchCount(), 0u);
}

TEST_F(WindowTest, HiddenOrNonInteractiveViewsDoNotTakeTouches) {
    auto back = ui::makeView<Field>(Rect(0, 0, 320, 240));
    auto front = ui::makeView<Field>(Rect(0, 0, 320, 240));
    window->addSubview(back);
    window->addSubview(front);
    front->setUserInteractionEnabled(false);
    fingers.tap({50, 50});
    front->setUserInteractionEnabled(true);
    front->setHidden(true);
    fingers.tap({60, 60});
    EXPECT_EQ(back->log, (std::vector<std::string>{"began@50", "began@60"}));
    EXPECT_TRUE(front->log.empty());
}

TEST_F(WindowTest, RootControllerViewFillsTheWindowAndIsReplaced) {
    auto first = std::make_shared<ui::ViewController>();
    auto second = std::make_shared<ui::ViewController>();
    window->setRootViewController(first);
    EXPECT_EQ(window->rootViewController(), first.get());
    ASSERT_EQ(first->view()->superview(), window.get());
    EXPECT_EQ(first->view()->frame(), Rect(0, 0, 320, 240));
    window->setFrame(Rect(0, 0, 400, 300));
    EXPECT_EQ(first->view()->frame(), Rect(0, 0, 400, 300)) << "the root view does not follow the window";

    window->setRootViewController(second);
    EXPECT_EQ(first->view()->superview(), nullptr);
    EXPECT_EQ(second->view()->superview(), window.get());
    EXPECT_EQ(window->subviews().size(), 1u);
    // Touches on the root view travel to its controller and then on.
    EXPECT_EQ(second->view()->nextResponder(), second.get());
    EXPECT_EQ(window->nextResponder(), &ui::Application::shared());
}

TEST_F(WindowTest, OneKeyWindowAtATime) {
    auto other = std::make_shared<ui::Window>(Rect(0, 0, 100, 100));
    window->makeKeyAndVisible();
    EXPECT_EQ(ui::Window::keyWindow(), window.get());
    other->makeKeyAndVisible();
    EXPECT_FALSE(window->isKeyWindow());
    EXPECT_TRUE(other->isKeyWindow());
    EXPECT_EQ(ui::Application::shared().keyWindow(), other.get());
    other.reset();
    EXPECT_EQ(ui::Window::keyWindow(), nullptr) << "a destroyed window stayed key";
}

TEST_F(WindowTest, CompositeRequestsComeOncePerPaint) {
    int requests = 0;
    window->setCompositeRequestHandler([&] { ++requests; });
    window->clearNeedsComposite();
    auto view = ui::makeView(Rect(0, 0, 10, 10));
    window->addSubview(view);
    view->setAlpha(0.5);
    view->setCenter({50, 50});
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(window->needsComposite());
    window->clearNeedsComposite();
    view->setHidden(true);
    EXPECT_EQ(requests, 2);
}

TEST_F(WindowTest, RenderImageIsTheTreeAtTheWindowsScale) {
    window->setBackgroundColor(graphics::Color::rgb(0, 0, 1));
    auto red = ui::makeView(Rect(10, 20, 30, 40));
    red->setBackgroundColor(graphics::Color::rgb(1, 0, 0));
    window->addSubview(red);
    window->setScale(2.0);
    graphics::Image image = window->renderImage();
    ASSERT_EQ(image.pixelWidth(), 640);
    ASSERT_EQ(image.pixelHeight(), 480);
    EXPECT_EQ(image.scale(), 2.0);
    graphics::RGBA inside = image.pixelAt(2 * 25, 2 * 40);
    graphics::RGBA outside = image.pixelAt(2 * 5, 2 * 5);
    EXPECT_EQ(inside.r, 255);
    EXPECT_EQ(inside.b, 0);
    EXPECT_EQ(outside.r, 0);
    EXPECT_EQ(outside.b, 255);
}

}  // namespace
