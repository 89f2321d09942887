#include "app/widgets/popover/KWPopoverController.h"
#include "app/widgets/popover/UIBarButtonItem_WEPopover.h"
#include "app/widgets/popover/WEPopoverController.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/Toolbar.h"
#include "platform/ui/host/Device.h"
#include "support/HostInput.h"
#include "support/Process.h"
#include "support/TouchDriver.h"
#include "support/VirtualClock.h"
#include "support/WindowFixture.h"

#include <QtCore/qnamespace.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

// A content screen that records its appearance calls.
class RecordingScreen : public ui::ViewController {
public:
    RecordingScreen() { preferredContentSize = {200, 120}; }
    void loadView() override {
        auto root = ui::makeView<ui::View>(Rect(0, 0, 320, 480));
        root->setBackgroundColor(graphics::Color::rgb(0.85, 0.92, 1.0));
        setView(root);
    }
    void viewWillAppear(bool animated) override { log.push_back(std::string("willAppear:") + (animated ? "1" : "0")); }
    void viewDidAppear(bool animated) override { log.push_back(std::string("didAppear:") + (animated ? "1" : "0")); }
    void viewWillDisappear(bool animated) override {
        log.push_back(std::string("willDisappear:") + (animated ? "1" : "0"));
    }
    void viewDidDisappear(bool animated) override {
        log.push_back(std::string("didDisappear:") + (animated ? "1" : "0"));
    }
    std::vector<std::string> log;
};

// A view that counts the touches that reach it.
class TouchCounter : public ui::View {
public:
    explicit TouchCounter(const Rect& frame) : ui::View(frame) {}
    void touchesBegan(const ui::TouchSet&, const ui::Event&) override { ++touches; }
    void touchesEnded(const ui::TouchSet&, const ui::Event&) override {}
    int touches = 0;
};

class Delegate : public WEPopoverControllerDelegate {
public:
    bool popoverControllerShouldDismissPopover(WEPopoverController&) override {
        ++asked;
        return allow;
    }
    void popoverControllerDidDismissPopover(WEPopoverController&) override {
        ++told;
        toldAt = foundation::RunLoop::main().now();
    }
    bool allow = true;
    int asked = 0;
    int told = 0;
    double toldAt = -1;
};

class ArrowPopover : public testsupport::WindowFixture {
protected:
    void SetUp() override {
        root = std::make_shared<ui::ViewController>();
        window->setRootViewController(root);
        rootView = root->view();
        rootView->setBackgroundColor(graphics::Color::white());
        anchor = ui::makeView<TouchCounter>(Rect(400, 100, 60, 40));
        rootView->addSubview(anchor);
        screen = std::make_shared<RecordingScreen>();
    }
    // Shown from the anchor with the arrow up, the case most tests need.
    void present(WEPopoverController& popover, bool animated = false) {
        popover.presentPopoverFromRect(anchor->bounds(), *anchor, kPopoverArrowDirectionUp, animated);
    }
    double now() const { return clock.now(); }
    // A point on the backdrop far from panel and anchor.
    static constexpr Point kOutside{900, 700};

    std::shared_ptr<ui::ViewController> root;
    ui::View* rootView = nullptr;
    std::shared_ptr<TouchCounter> anchor;
    std::shared_ptr<RecordingScreen> screen;
    Delegate delegate;
};

}  // namespace

TEST_F(ArrowPopover, PresentsBelowTheAnchorWithTheContentAtItsSize) {
    WEPopoverController popover(screen);
    present(popover);

    ASSERT_TRUE(popover.view());
    EXPECT_TRUE(popover.isPopoverVisible());
    EXPECT_EQ(popover.popoverArrowDirection(), kPopoverArrowDirectionUp);
    EXPECT_EQ(popover.popoverContentSize(), (Size{200, 120}));
    // The backdrop covers the top view; the panel sits on it.
    ASSERT_TRUE(popover.backgroundView());
    EXPECT_EQ(popover.backgroundView()->superview(), rootView);
    EXPECT_EQ(popover.backgroundView()->frame(), rootView->bounds());
    EXPECT_EQ(popover.backgroundView()->autoresizingMask(), 0x3fu);
    EXPECT_EQ(popover.view()->superview(), popover.backgroundView().get());
    EXPECT_EQ(popover.view()->autoresizingMask(), 5u);
    // The arrow's tip is at the anchor's bottom centre, the panel centred on it.
    Rect frame = popover.view()->frame();
    EXPECT_DOUBLE_EQ(frame.minY(), 140);
    EXPECT_DOUBLE_EQ(frame.origin.x + popover.view()->arrowRect().midX(), 430);
    EXPECT_DOUBLE_EQ(frame.midX(), 430);
    // The content screen's view fills the content rect at its preferred size.
    EXPECT_EQ(screen->view()->superview(), popover.view().get());
    EXPECT_EQ(screen->view()->frame().size, (Size{200, 120}));
    EXPECT_EQ(screen->log, (std::vector<std::string>{"willAppear:0", "didAppear:0"}));
}

TEST_F(ArrowPopover, OwnContentSizeWinsOverThePreferredOne) {
    WEPopoverController popover(screen);
    popover.setPopoverContentSize({150, 90});
    popover.presentPopoverFromRect(anchor->bounds(), *anchor, kPopoverArrowDirectionAny, false);
    EXPECT_EQ(screen->view()->frame().size, (Size{150, 90}));
    // A different content screen takes its own size again.
    popover.setContentViewController(std::make_shared<RecordingScreen>());
    EXPECT_EQ(popover.popoverContentSize(), (Size{0, 0}));
}

TEST_F(ArrowPopover, FadesInAndIgnoresTapsOutsideMeanwhile) {
    WEPopoverController popover(screen);
    popover.setDelegate(&delegate);
    present(popover, true);
    EXPECT_FALSE(popover.isPopoverVisible());
    EXPECT_DOUBLE_EQ(popover.view()->layer().presentation().opacity, 0.0);
    EXPECT_EQ(screen->log, (std::vector<std::string>{"willAppear:1"}));

    fingers.tap(kOutside);  // 0.05 s into the fade
    EXPECT_EQ(delegate.asked, 0);
    advance(0.1);
    EXPECT_GT(popover.view()->layer().presentation().opacity, 0.0);
    EXPECT_LT(popover.view()->layer().presentation().opacity, 1.0);
    EXPECT_FALSE(popover.isPopoverVisible());

    advance(0.15);
    EXPECT_TRUE(popover.isPopoverVisible());
    ASSERT_TRUE(popover.view());
    EXPECT_EQ(screen->log, (std::vector<std::string>{"willAppear:1", "didAppear:1"}));
}

TEST_F(ArrowPopover, TapOutsideFadesOutAndTellsTheDelegateAfterwards) {
    WEPopoverController popover(screen);
    popover.setDelegate(&delegate);
    present(popover);
    auto backdrop = popover.backgroundView();

    const double tappedAt = now();
    auto touch = fingers.touchDown(kOutside);
    EXPECT_EQ(delegate.asked, 1);
    EXPECT_FALSE(popover.isPopoverVisible());
    EXPECT_TRUE(popover.view());  // still fading
    EXPECT_EQ(delegate.told, 0);
    fingers.touchUp(touch);
    // Taps during the fade-out change nothing.
    fingers.tap(kOutside);
    EXPECT_EQ(delegate.asked, 1);

    advance(0.3);
    EXPECT_EQ(delegate.told, 1);
    EXPECT_NEAR(delegate.toldAt - tappedAt, 0.25, 1e-6);
    EXPECT_FALSE(popover.view());
    EXPECT_FALSE(popover.backgroundView());
    EXPECT_EQ(backdrop->superview(), nullptr);
    EXPECT_EQ(screen->view()->window(), nullptr);
    EXPECT_EQ(screen->log,
              (std::vector<std::string>{"willAppear:0", "didAppear:0", "willDisappear:1", "didDisappear:1"}));
    // The anchor below never saw the touch.
    EXPECT_EQ(anchor->touches, 0);
}

TEST_F(ArrowPopover, TheClickRightAfterAnEscapeOrATapOutsideReachesWhatItIsAimedAt) {
    // Real input through the window host: the popover fades out, and the
    // next click, within the fade, goes to the view under it.
    const struct {
        const char* way;
        bool escape;
    } ways[] = {{"Escape", true}, {"a tap outside", false}};
    testsupport::HostInput input(window);
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        WEPopoverController popover(screen);
        popover.setDelegate(&delegate);
        present(popover, true);
        advance(0.3);
        ASSERT_TRUE(popover.isPopoverVisible());
        const int touches = anchor->touches;
        if (way.escape)
            input.key(Qt::Key_Escape);
        else
            input.click(kOutside);
        EXPECT_FALSE(popover.isPopoverVisible());
        advance(0.1);
        input.click(centerOf(*anchor));
        EXPECT_EQ(anchor->touches, touches + 1);
        advance(0.3);
        EXPECT_FALSE(popover.backgroundView());
    }
    EXPECT_EQ(delegate.told, 2);
}

TEST_F(ArrowPopover, EscapeWhileThePanelFadesInClosesItCleanly) {
    // Escape pressed at several moments of the fade-in, by real keys through
    // the window host; each time the panel fades out from where it was, the
    // next click reaches the view under the backdrop, nothing of the popover
    // stays in the window, and it opens again as before.
    testsupport::HostInput input(window);
    int toldBefore = 0;
    for (const double into : {0.0, 0.05, 0.2}) {
        SCOPED_TRACE(into);
        WEPopoverController popover(screen);
        popover.setDelegate(&delegate);
        screen->log.clear();
        present(popover, true);
        advance(into);
        ASSERT_FALSE(popover.isPopoverVisible()) << "still fading in";
        ui::View* panel = popover.view().get();
        const double reached = panel->layer().presentation().opacity;
        input.key(Qt::Key_Escape);
        EXPECT_FALSE(popover.isPopoverVisible());
        advance(0.02);
        EXPECT_LE(panel->layer().presentation().opacity, reached) << "the panel flashed up as it left";
        const int touches = anchor->touches;
        input.click(centerOf(*anchor));
        EXPECT_EQ(anchor->touches, touches + 1) << "the click after Escape was lost";
        advance(0.5);
        EXPECT_FALSE(popover.view());
        EXPECT_FALSE(popover.backgroundView());
        for (const auto& view : rootView->subviews())
            EXPECT_FALSE(dynamic_cast<WETouchableView*>(view.get())) << "a backdrop was left behind";
        EXPECT_EQ(delegate.told, ++toldBefore);
        EXPECT_EQ(screen->log, (std::vector<std::string>{"willAppear:1", "willDisappear:1", "didDisappear:1"}));

        present(popover, true);
        advance(0.5);
        EXPECT_TRUE(popover.isPopoverVisible()) << "opened again";
        popover.dismissPopoverAnimated(false);
    }
}

TEST_F(ArrowPopover, DelegateMayKeepThePopoverOpen) {
    delegate.allow = false;
    WEPopoverController popover(screen);
    popover.setDelegate(&delegate);
    present(popover);
    fingers.tap(kOutside);
    advance(1.0);
    EXPECT_EQ(delegate.asked, 1);
    EXPECT_EQ(delegate.told, 0);
    EXPECT_TRUE(popover.isPopoverVisible());
}

TEST_F(ArrowPopover, TapOnTheBorderOrArrowDismissesButOnTheContentDoesNot) {
    WEPopoverController popover(screen);
    popover.setDelegate(&delegate);
    present(popover);
    const Rect frame = popover.view()->frame();
    const Rect content = popover.view()->contentRect().offsetBy(frame.origin.x, frame.origin.y);

    // In the content: the content's own.
    fingers.tap({content.midX(), content.midY()});
    EXPECT_EQ(delegate.asked, 0);
    EXPECT_TRUE(popover.isPopoverVisible());

    // On the arrow, inside the panel's frame but outside the content.
    const Rect arrow = popover.view()->arrowRect().offsetBy(frame.origin.x, frame.origin.y);
    fingers.tap({arrow.midX(), arrow.midY()});
    EXPECT_EQ(delegate.asked, 1);
    EXPECT_FALSE(popover.isPopoverVisible());
    advance(0.3);
    EXPECT_EQ(delegate.told, 1);

    // On the border beside the content.
    present(popover);
    const Rect frame2 = popover.view()->frame();
    fingers.tap({frame2.minX() + 2, frame2.midY()});
    EXPECT_EQ(delegate.asked, 2);
    advance(0.3);
    EXPECT_EQ(delegate.told, 2);
}

TEST_F(ArrowPopover, PassthroughViewsAndTheirSubviewsGetTheirTouches) {
    auto button = ui::makeView<TouchCounter>(Rect(20, 600, 200, 100));
    auto inner = ui::makeView<TouchCounter>(Rect(10, 10, 50, 50));
    button->addSubview(inner);
    rootView->addSubview(button);
    auto other = ui::makeView<TouchCounter>(Rect(300, 600, 100, 100));
    rootView->addSubview(other);

    WEPopoverController popover(screen);
    popover.setDelegate(&delegate);
    present(popover);
    // Set while shown: reaches the backdrop at once.
    popover.setPassthroughViews({button});
    ASSERT_EQ(popover.backgroundView()->passthroughViews().size(), 1u);

    fingers.tap({150, 680});  // the button itself
    EXPECT_EQ(button->touches, 1);
    fingers.tap({40, 640});  // its subview
    EXPECT_EQ(inner->touches, 1);
    EXPECT_EQ(delegate.asked, 0);
    EXPECT_TRUE(popover.isPopoverVisible());

    fingers.tap({350, 650});  // not passthrough
    EXPECT_EQ(other->touches, 0);
    EXPECT_EQ(delegate.asked, 1);
    EXPECT_FALSE(popover.isPopoverVisible());
}

TEST_F(ArrowPopover, NoPermittedDirectionShowsNothingButStillCatchesTouches) {
    WEPopoverController popover(screen);
    popover.presentPopoverFromRect(anchor->bounds(), *anchor, 0, false);
    ASSERT_TRUE(popover.view());
    EXPECT_EQ(popover.view()->frame().size, (Size{0, 0}));
    EXPECT_EQ(popover.popoverArrowDirection(), kPopoverArrowDirectionUnknown);
    fingers.tap({430, 120});  // on the anchor
    EXPECT_EQ(anchor->touches, 0);
    EXPECT_FALSE(popover.isPopoverVisible());
}

TEST_F(ArrowPopover, PresentingAgainReplacesThePanelAtOnce) {
    WEPopoverController popover(screen);
    popover.setDelegate(&delegate);
    present(popover);
    auto first = popover.view();
    auto firstBackdrop = popover.backgroundView();
    popover.presentPopoverFromRect(Rect(0, 0, 10, 10), *anchor, kPopoverArrowDirectionUp, true);
    EXPECT_EQ(first->superview(), nullptr);
    EXPECT_EQ(firstBackdrop->superview(), nullptr);
    ASSERT_TRUE(popover.view());
    EXPECT_NE(popover.view(), first);
    // Exactly one backdrop in the top view.
    int backdrops = 0;
    for (const auto& v : rootView->subviews()) backdrops += dynamic_cast<WETouchableView*>(v.get()) != nullptr;
    EXPECT_EQ(backdrops, 1);
    advance(0.3);
    EXPECT_TRUE(popover.isPopoverVisible());
    EXPECT_EQ(delegate.told, 0);
}

TEST_F(ArrowPopover, DismissedDuringTheFadeInStaysDismissed) {
    WEPopoverController popover(screen);
    for (bool animated : {false, true}) {
        SCOPED_TRACE(animated ? "animated dismissal" : "immediate dismissal");
        present(popover, true);
        advance(0.1);
        popover.dismissPopoverAnimated(animated);
        advance(0.5);
        EXPECT_FALSE(popover.isPopoverVisible());
        EXPECT_FALSE(popover.view());
        EXPECT_FALSE(popover.backgroundView());
    }
}

TEST_F(ArrowPopover, PresentingDuringTheFadeOutKeepsTheNewPanel) {
    WEPopoverController popover(screen);
    present(popover);
    popover.dismissPopoverAnimated(true);
    advance(0.1);
    present(popover);
    advance(0.5);
    EXPECT_TRUE(popover.isPopoverVisible());
    ASSERT_TRUE(popover.view());
    EXPECT_TRUE(popover.view()->window());
    EXPECT_TRUE(popover.backgroundView()->window());
}

TEST_F(ArrowPopover, ReleaseTakesThePopoverDownEvenWhileFading) {
    auto popover = std::make_unique<WEPopoverController>(screen);
    present(*popover);
    auto backdrop = popover->backgroundView();
    popover->dismissPopoverAnimated(true);
    popover.reset();
    EXPECT_EQ(backdrop->superview(), nullptr);
    advance(0.5);  // the fade's end finds no controller
    EXPECT_EQ(screen->view()->window(), nullptr);
}

TEST_F(ArrowPopover, UpdatingTheContentKeepsThePopoverShown) {
    WEPopoverController popover(screen);
    popover.presentPopoverFromRect(anchor->bounds(), *anchor, kPopoverArrowDirectionAny, false);
    const PopoverArrowDirection direction = popover.popoverArrowDirection();
    auto oldPanel = popover.view();

    auto next = std::make_shared<RecordingScreen>();
    next->preferredContentSize = {260, 200};
    popover.updateContentViewController(next);
    EXPECT_TRUE(popover.isPopoverVisible());
    EXPECT_EQ(popover.contentViewController(), next);
    EXPECT_EQ(oldPanel->superview(), nullptr);
    EXPECT_EQ(screen->view()->window(), nullptr);
    EXPECT_EQ(screen->log.back(), "didDisappear:0");
    EXPECT_EQ(next->log, (std::vector<std::string>{"willAppear:0", "didAppear:0"}));
    EXPECT_EQ(popover.popoverArrowDirection(), direction);
    EXPECT_EQ(next->view()->frame().size, (Size{260, 200}));

    // The new panel grows from the old one's frame to its own.
    const Rect target = popover.view()->frame();
    EXPECT_NE(popover.view()->layer().presentation().bounds.size, target.size);
    advance(0.35);
    EXPECT_EQ(popover.view()->layer().presentation().bounds.size, target.size);
}

TEST_F(ArrowPopover, RepositionPointsAtTheNewAnchor) {
    WEPopoverController popover(screen);
    present(popover);
    popover.repositionPopoverFromRect(Rect(700, 300, 20, 20), *rootView, kPopoverArrowDirectionUp);
    const Rect frame = popover.view()->frame();
    EXPECT_DOUBLE_EQ(frame.minY(), 320);
    EXPECT_DOUBLE_EQ(frame.origin.x + popover.view()->arrowRect().midX(), 710);
}

TEST_F(ArrowPopover, PresentsFromAToolbarButton) {
    auto toolbar = ui::makeView<ui::Toolbar>(Rect(0, 768 - 44, 1024, 44));
    auto item = std::make_shared<ui::BarButtonItem>("Share", ui::BarButtonItemStyle::Plain, nullptr);
    auto space = std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::FlexibleSpace, nullptr);
    toolbar->setItems({space, item});
    rootView->addSubview(toolbar);

    Rect buttonFrame = UIBarButtonItem_WEPopover::frameInView(*item, *rootView);
    EXPECT_EQ(UIBarButtonItem_WEPopover::superview(*item), toolbar.get());
    EXPECT_GT(buttonFrame.minX(), 900);
    EXPECT_DOUBLE_EQ(buttonFrame.maxY(), 768);

    WEPopoverController popover(screen);
    popover.presentPopoverFromBarButtonItem(*item, kPopoverArrowDirectionDown, false);
    ASSERT_TRUE(popover.view());
    const Rect frame = popover.view()->frame();
    EXPECT_DOUBLE_EQ(frame.maxY(), buttonFrame.minY());
    // Pushed in from the right edge, the arrow still points at the button.
    EXPECT_LE(frame.maxX(), 1024);
    EXPECT_NEAR(frame.origin.x + popover.view()->arrowRect().midX(), buttonFrame.midX(), 1e-9);

    // A button no bar shows gives nothing to point at.
    auto loose = std::make_shared<ui::BarButtonItem>("Loose", ui::BarButtonItemStyle::Plain, nullptr);
    EXPECT_EQ(UIBarButtonItem_WEPopover::frameInView(*loose, *rootView), Rect::zero());
    WEPopoverController other(std::make_shared<RecordingScreen>());
    other.presentPopoverFromBarButtonItem(*loose, kPopoverArrowDirectionAny, false);
    EXPECT_FALSE(other.view());
}

TEST_F(ArrowPopover, AnchorViewMayDecideTheDisplayArea) {
    class Parent : public ui::View, public WEPopoverParentView {
    public:
        explicit Parent(const Rect& frame) : ui::View(frame) {}
        std::optional<Rect> displayAreaForPopover() const override { return Rect(0, 0, 300, 300); }
    };
    auto parent = ui::makeView<Parent>(Rect(0, 0, 600, 600));
    rootView->addSubview(parent);
    WEPopoverController popover(screen);
    popover.presentPopoverFromRect(Rect(250, 50, 10, 10), *parent, kPopoverArrowDirectionUp, false);
    // Kept within the 300 wide area rather than the screen.
    EXPECT_LE(popover.view()->frame().maxX(), 300);
}

// ---- the screens' form -----------------------------------------------------------

class KWPopover : public ArrowPopover {};

TEST_F(KWPopover, TapOutsideRunsTheHandlerOnceAfterTheFade) {
    KWPopoverController popover(screen);
    int runs = 0;
    double ranAt = -1;
    popover.setHandlerDismissPopover([&] {
        ++runs;
        ranAt = now();
    });
    present(popover);
    EXPECT_EQ(runs, 0);

    const double tappedAt = now();
    auto touch = fingers.touchDown(kOutside);
    fingers.touchUp(touch);
    advance(0.2);
    EXPECT_EQ(runs, 0);
    advance(0.1);
    EXPECT_EQ(runs, 1);
    EXPECT_NEAR(ranAt - tappedAt, 0.25, 1e-6);
    advance(1.0);
    EXPECT_EQ(runs, 1);
}

TEST_F(KWPopover, AnimatedDismissRunsTheHandlerAtOnceAndOnlyOnce) {
    KWPopoverController popover(screen);
    int runs = 0;
    popover.setHandlerDismissPopover([&] {
        ++runs;
        // Before the fade-out starts: the panel is still fully there.
        EXPECT_TRUE(popover.isPopoverVisible());
    });
    present(popover);
    popover.dismissPopoverAnimated(true);
    EXPECT_EQ(runs, 1);
    advance(0.5);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(popover.view());
}

TEST_F(KWPopover, AnimatedDismissRunsTheHandlerEvenWithNothingShown) {
    KWPopoverController popover(screen);
    int runs = 0;
    popover.setHandlerDismissPopover([&] { ++runs; });
    popover.dismissPopoverAnimated(true);
    EXPECT_EQ(runs, 1);
}

TEST_F(KWPopover, DismissWithoutAnimationPresentingAgainAndReleaseNeverRunIt) {
    int runs = 0;
    {
        KWPopoverController popover(screen);
        popover.setHandlerDismissPopover([&] { ++runs; });
        present(popover);
        present(popover);
        popover.dismissPopoverAnimated(false);
        present(popover);
    }
    advance(1.0);
    EXPECT_EQ(runs, 0);
}

TEST_F(KWPopover, HandlerMayReleaseTheController) {
    auto popover = std::make_unique<KWPopoverController>(screen);
    int runs = 0;
    popover->setHandlerDismissPopover([&] {
        ++runs;
        popover.reset();
    });
    present(*popover);
    popover->dismissPopoverAnimated(true);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(popover);
    advance(0.5);
    EXPECT_EQ(screen->view()->window(), nullptr);
}

TEST_F(ArrowPopover, RendersOverAScreen) {
    auto label = ui::makeView<ui::View>(Rect(20, 20, 160, 80));
    label->setBackgroundColor(graphics::Color::rgb(0.2, 0.5, 0.9));
    screen->view()->addSubview(label);
    anchor->setBackgroundColor(graphics::Color::rgb(0.9, 0.4, 0.2));
    WEPopoverController popover(screen);
    present(popover);

    KWPopoverController side(std::make_shared<RecordingScreen>());
    side.presentPopoverFromRect(Rect(900, 400, 40, 40), *rootView, kPopoverArrowDirectionAny, false);

    graphics::Image image = ui::renderView(*window, 1.0);
    auto png = image.pngData();
    ASSERT_TRUE(png);
    ASSERT_TRUE(foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/ArrowPopover.png", *png).ok());

    // The content shows inside the panel; the panel's border is drawn (not white).
    const Rect frame = popover.view()->frame();
    const Rect content = popover.view()->contentRect().offsetBy(frame.origin.x, frame.origin.y);
    graphics::RGBA inside = image.pixelAt(int(content.minX() + 40), int(content.minY() + 40));
    EXPECT_NEAR(inside.r, 51, 1);
    EXPECT_NEAR(inside.g, 128, 1);
    EXPECT_NEAR(inside.b, 230, 1);
    graphics::RGBA tip = image.pixelAt(int(frame.origin.x + popover.view()->arrowRect().midX()),
                                       int(frame.minY() + popover.view()->arrowRect().height() - 2));
    EXPECT_LT(tip.r, 255);
}

TEST_F(ArrowPopover, ThePanelHidesWhatLiesUnderIt) {
    // A clear content screen over a red control: the panel's own fill shows,
    // untouched by the red under it.
    screen->view()->setBackgroundColor(std::nullopt);
    auto control = ui::makeView<ui::View>(Rect(0, 0, 1024, 768));
    control->setBackgroundColor(graphics::Color::rgb(1, 0, 0));
    rootView->insertSubviewAtIndex(control, 0);
    WEPopoverController popover(screen);
    present(popover);
    const graphics::Image image = ui::renderView(*window, 1.0);
    const Rect frame = popover.view()->frame();
    const Rect content = popover.view()->contentRect().offsetBy(frame.origin.x, frame.origin.y);
    const graphics::RGBA fill = image.pixelAt(int(content.midX()), int(content.midY()));
    EXPECT_EQ(fill.g, fill.r) << "red shows through the panel";
    EXPECT_GT(fill.g, 240);
}

// Anchored on a presented screen, the panel lies over it and takes its touches.
TEST_F(ArrowPopover, APopoverFromAPresentedScreenLiesOverIt) {
    root->presentViewController(std::make_shared<ui::ViewController>(), false);
    root->presentedViewController()->view()->addSubview(anchor);
    WEPopoverController popover(screen);
    present(popover);
    ui::View* touched = window->hitTest(centerOf(*screen->view()), nullptr);
    EXPECT_TRUE(touched && touched->isDescendantOfView(popover.view().get()));
}
