#include "app/widgets/popover/FWTPopoverView.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/host/Device.h"
#include "support/Process.h"
#include "support/VirtualClock.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

using graphics::EdgeInsets;
using graphics::Rect;
using graphics::Size;

namespace {

class AnnotationPopover : public testsupport::WindowFixture {
protected:
    void SetUp() override {
        host = ui::makeView<ui::View>(Rect(0, 0, 400, 300));
        host->setBackgroundColor(graphics::Color::white());
        window->addSubview(host);
    }

    ui::ViewPtr host;
};

// White 12-point text, as the editor's help callouts carry.
class Caption : public ui::View {
public:
    Caption(const Rect& frame, std::string text) : ui::View(frame), text_(std::move(text)) {
        setDrawsContent(true);
        setBackgroundColor(std::nullopt);
        setOpaque(false);
    }
    void drawRect(graphics::GraphicsContext& context, const Rect&) override {
        context.setFillColor(graphics::Color::white());
        context.drawText(text_, bounds(), graphics::Font::systemFont(12));
    }

private:
    std::string text_;
};

void savePng(const graphics::Image& image, const std::string& name) {
    auto png = image.pngData();
    ASSERT_TRUE(png);
    ASSERT_TRUE(foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/" + name, *png).ok());
}

}  // namespace

TEST_F(AnnotationPopover, DefaultsWithAnUpArrowGiveA180By90Popover) {
    auto popover = ui::makeView<FWTPopoverView>();
    EXPECT_EQ(popover->arrow().direction, FWTPopoverArrowDirectionNone);
    EXPECT_EQ(popover->arrow().size, (Size{10, 10}));
    popover->presentFromRect(Rect(150, 50, 40, 20), *host, FWTPopoverArrowDirectionUp, false);

    EXPECT_EQ(popover->superview(), host.get());
    EXPECT_EQ(popover->edgeInsets(), (EdgeInsets{20, 10, 10, 10}));
    // Below the target's centre (170, 60), the arrow's tip on it.
    EXPECT_EQ(popover->frame(), Rect(80, 60, 180, 90));
    popover->layoutIfNeeded();
    EXPECT_EQ(popover->contentView()->frame(), Rect(10, 20, 160, 60));
    EXPECT_EQ(popover->backgroundImageView()->frame(), Rect(0, 0, 180, 90));
    EXPECT_EQ(popover->backgroundImageView()->superview(), popover.get());
    // The picture is only as tall as the caps need; it stretches down.
    const auto& background = popover->backgroundImageView()->image();
    EXPECT_EQ(background.image.size(), (Size{180, 43}));
    EXPECT_EQ(background.capInsets, (EdgeInsets{26, 0, 16, 0}));
    EXPECT_EQ(popover->arrowRect(), Rect(85, 10, 10, 10));
}

TEST_F(AnnotationPopover, FramesAreRoundedOutToWholePoints) {
    auto popover = ui::makeView<FWTPopoverView>();
    popover->contentSize = {101, 41};
    popover->presentFromRect(Rect(150, 50, 40, 20), *host, FWTPopoverArrowDirectionUp, false);
    // 121 wide centred on 170 would start at 109.5.
    EXPECT_EQ(popover->frame(), Rect(109, 60, 122, 71));
}

TEST_F(AnnotationPopover, StickingOutOnTheRightMovesLeftAndShiftsTheArrowRight) {
    auto popover = ui::makeView<FWTPopoverView>();
    // Centre at 340: the 180 wide popover would end at 430, 30 past the edge.
    popover->presentFromRect(Rect(330, 50, 20, 20), *host, FWTPopoverArrowDirectionUp, false);
    EXPECT_EQ(popover->frame(), Rect(220, 60, 180, 90));
    EXPECT_DOUBLE_EQ(popover->arrow().offset, 30);
    // The tip still points at the target.
    EXPECT_DOUBLE_EQ(popover->frame().origin.x + popover->arrowRect().midX(), 340);

    // Much further: the arrow stops short of the corner.
    auto far = ui::makeView<FWTPopoverView>();
    far->presentFromRect(Rect(395, 50, 20, 20), *host, FWTPopoverArrowDirectionUp, false);
    EXPECT_EQ(far->frame(), Rect(220, 60, 180, 90));
    EXPECT_DOUBLE_EQ(far->arrow().offset, 68);
}

TEST_F(AnnotationPopover, StickingOutAtTheTopMovesDown) {
    auto popover = ui::makeView<FWTPopoverView>();
    popover->presentFromRect(Rect(20, 20, 20, 20), *host, FWTPopoverArrowDirectionRight, false);
    // Right arrow: 190 × 80 left of the target, centred on y = 30, so 10
    // above the top: moved down, and the arrow up to keep pointing at 30.
    EXPECT_EQ(popover->frame().origin.y, 0);
    EXPECT_DOUBLE_EQ(popover->arrow().offset, -10);

    auto kept = ui::makeView<FWTPopoverView>();
    kept->adjustPositionInSuperviewEnabled = false;
    kept->presentFromRect(Rect(20, 20, 20, 20), *host, FWTPopoverArrowDirectionRight, false);
    EXPECT_LT(kept->frame().origin.y, 0);
    EXPECT_DOUBLE_EQ(kept->arrow().offset, 0);
}

TEST_F(AnnotationPopover, DismissWithoutAnimationRunsTheBlockOnceAfterRemoval) {
    auto popover = ui::makeView<FWTPopoverView>();
    int runs = 0;
    popover->didDismissBlock = [&](FWTPopoverView& p) {
        ++runs;
        EXPECT_EQ(p.superview(), nullptr);
    };
    popover->presentFromRect(Rect(150, 50, 40, 20), *host, FWTPopoverArrowDirectionDown, false);
    std::weak_ptr<FWTPopoverView> weak = popover;
    popover.reset();  // only the host holds it now
    weak.lock()->dismissPopoverAnimated(false);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(host->subviews().empty());
}

TEST_F(AnnotationPopover, AnimatedPresentAndDismissFadeOnTheClock) {
    auto popover = ui::makeView<FWTPopoverView>();
    int presented = 0;
    int dismissed = 0;
    std::vector<bool> completions;
    popover->didPresentBlock = [&](FWTPopoverView&) { ++presented; };
    popover->didDismissBlock = [&](FWTPopoverView&) { ++dismissed; };
    popover->animationHelper().dismissCompletionBlock = [&](bool finished) { completions.push_back(finished); };

    popover->presentFromRect(Rect(150, 50, 40, 20), *host, FWTPopoverArrowDirectionUp, true);
    EXPECT_EQ(popover->superview(), host.get());
    EXPECT_EQ(presented, 0);
    advance(0.1);
    const double opacity = popover->layer().presentation().opacity;
    EXPECT_GT(opacity, 0.0);
    EXPECT_LT(opacity, 1.0);
    advance(0.2);
    EXPECT_EQ(presented, 1);
    EXPECT_DOUBLE_EQ(popover->alpha(), 1.0);

    popover->dismissPopoverAnimated(true);
    advance(0.2);
    EXPECT_EQ(popover->superview(), host.get());
    EXPECT_EQ(dismissed, 0);
    advance(0.1);
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(popover->superview(), nullptr);
    EXPECT_EQ(completions, (std::vector<bool>{true}));
}

TEST_F(AnnotationPopover, DismissingTwiceReportsOnce) {
    auto popover = ui::makeView<FWTPopoverView>();
    int dismissed = 0;
    popover->didDismissBlock = [&](FWTPopoverView&) { ++dismissed; };
    popover->presentFromRect(Rect(150, 50, 40, 20), *host, FWTPopoverArrowDirectionUp, false);
    popover->dismissPopoverAnimated(true);
    advance(0.1);
    popover->dismissPopoverAnimated(true);
    advance(1.0);
    EXPECT_EQ(dismissed, 1);

    // An animated dismissal overtaken by one without animation.
    popover->presentFromRect(Rect(150, 50, 40, 20), *host, FWTPopoverArrowDirectionUp, false);
    popover->dismissPopoverAnimated(true);
    popover->dismissPopoverAnimated(false);
    EXPECT_EQ(dismissed, 2);
    advance(1.0);
    EXPECT_EQ(dismissed, 2);
}

TEST_F(AnnotationPopover, PresentingAgainCancelsAPendingDismissal) {
    auto popover = ui::makeView<FWTPopoverView>();
    popover->presentFromRect(Rect(150, 50, 40, 20), *host, FWTPopoverArrowDirectionUp, false);
    popover->dismissPopoverAnimated(true);
    advance(0.1);
    popover->presentFromRect(Rect(150, 50, 40, 20), *host, FWTPopoverArrowDirectionUp, true);
    advance(1.0);
    EXPECT_EQ(popover->superview(), host.get());
    EXPECT_DOUBLE_EQ(popover->alpha(), 1.0);
}

TEST_F(AnnotationPopover, RepointingMovesTheFrameOnly) {
    auto popover = ui::makeView<FWTPopoverView>();
    popover->presentFromRect(Rect(150, 50, 40, 20), *host, FWTPopoverArrowDirectionUp, false);
    popover->adjustPositionToRect(Rect(100, 150, 1, 1));
    EXPECT_EQ(popover->frame(), Rect(10, 150, 180, 90));
    // Near the right edge it is pulled back in; the arrow stays where it was.
    popover->adjustPositionToRect(Rect(390, 100, 1, 1), true);
    EXPECT_EQ(popover->frame(), Rect(220, 100, 180, 90));
    EXPECT_DOUBLE_EQ(popover->arrow().offset, 0);
    EXPECT_NE(popover->layer().presentation().position, popover->center());
    advance(0.3);
    EXPECT_EQ(popover->layer().presentation().position, popover->center());
}

TEST_F(AnnotationPopover, BackgroundIsTranslucentBlackWithAShadowOutside) {
    auto popover = ui::makeView<FWTPopoverView>();
    popover->presentFromRect(Rect(150, 50, 40, 20), *host, FWTPopoverArrowDirectionNone, false);
    const graphics::Image image = popover->backgroundImageView()->image().image;
    ASSERT_FALSE(image.isNull());
    // 2r + 10 + 10 + 1 square; the body runs from 10 to 23.
    EXPECT_EQ(image.size(), (Size{33, 33}));
    // Inside the body: the half-transparent fill alone, the shadow cut away.
    graphics::RGBA body = image.pixelAt(16, 16);
    EXPECT_NEAR(body.a, 128, 3);
    EXPECT_LT(body.r, 10);
    // Just below the body: shadow only.
    graphics::RGBA shadow = image.pixelAt(16, 25);
    EXPECT_GT(shadow.a, 10);
    EXPECT_LT(shadow.a, body.a);
    // Far corner: nothing.
    EXPECT_EQ(image.pixelAt(0, 0).a, 0);
}

TEST_F(AnnotationPopover, DrawPathBlockDrawsOverTheFill) {
    auto popover = ui::makeView<FWTPopoverView>();
    int calls = 0;
    popover->backgroundHelper().drawPathBlock = [&](FWTPopoverBackgroundHelper& layer, graphics::GraphicsContext& c) {
        ++calls;
        c.setFillColor(graphics::Color::red());
        c.fillPath(layer.path);
    };
    popover->presentFromRect(Rect(150, 50, 40, 20), *host, FWTPopoverArrowDirectionLeft, false);
    EXPECT_EQ(calls, 1);
    const graphics::Image image = popover->backgroundImageView()->image().image;
    graphics::RGBA body = image.pixelAt(int(image.size().width / 2), int(image.size().height / 2));
    EXPECT_EQ(body, (graphics::RGBA{255, 0, 0, 255}));
}

TEST_F(AnnotationPopover, RendersInEveryDirection) {
    host->setFrame(Rect(0, 0, 640, 400));
    host->setBackgroundColor(graphics::Color::rgb(0.93, 0.95, 0.98));
    struct Case {
        FWTPopoverArrowDirection direction;
        Rect target;
        const char* text;
    };
    const Case cases[] = {
        {FWTPopoverArrowDirectionUp, Rect(100, 40, 40, 20), "Tap to add a frame"},
        {FWTPopoverArrowDirectionDown, Rect(480, 340, 40, 20), "Drag to scrub"},
        {FWTPopoverArrowDirectionLeft, Rect(20, 200, 20, 40), "Hold a frame"},
        {FWTPopoverArrowDirectionRight, Rect(600, 200, 20, 40), "Record sound"},
        {FWTPopoverArrowDirectionNone, Rect(320, 200, 1, 1), "No arrow"},
    };
    std::vector<std::shared_ptr<FWTPopoverView>> popovers;
    for (const Case& c : cases) {
        auto target = ui::makeView<ui::View>(c.target);
        target->setBackgroundColor(graphics::Color::rgb(0.9, 0.4, 0.2));
        host->addSubview(target);
        auto popover = ui::makeView<FWTPopoverView>();
        popover->contentSize = {150, 30};
        popover->contentView()->addSubview(ui::makeView<Caption>(Rect(0, 0, 150, 30), c.text));
        popover->presentFromRect(c.target, *host, c.direction, false);
        popovers.push_back(popover);
    }
    graphics::Image image = ui::renderView(*host, 2.0);
    savePng(image, "AnnotationPopover.png");
    // The up popover's body, right of its text, is darker than the backdrop.
    const Rect frame = popovers[0]->frame();
    graphics::RGBA body = image.pixelAt(int((frame.minX() + 150) * 2), int((frame.minY() + 40) * 2));
    EXPECT_LT(body.r, 150);
}

TEST(PopoverBackgroundImageDrawing, CornersKeepTheirSizeAndTheMiddleStretches) {
    graphics::ensureGuiApplication();
    // 3 × 3 pixels: red corners, green edges, a blue centre.
    graphics::GraphicsContext source(Size{3, 3});
    source.setFillColor(graphics::Color::green());
    source.fillRect(Rect(0, 0, 3, 3));
    source.setFillColor(graphics::Color::red());
    for (auto [x, y] : {std::pair{0, 0}, {2, 0}, {0, 2}, {2, 2}}) source.fillRect(Rect(x, y, 1, 1));
    source.setFillColor(graphics::Color::blue());
    source.fillRect(Rect(1, 1, 1, 1));

    PopoverBackgroundImage image{source.makeImage(), EdgeInsets{1, 1, 1, 1}};
    graphics::GraphicsContext target(Size{30, 20});
    image.draw(target, Rect(0, 0, 30, 20));
    graphics::Image out = target.makeImage();
    EXPECT_EQ(out.pixelAt(0, 0), (graphics::RGBA{255, 0, 0, 255}));
    EXPECT_EQ(out.pixelAt(29, 19), (graphics::RGBA{255, 0, 0, 255}));
    EXPECT_EQ(out.pixelAt(15, 0), (graphics::RGBA{0, 255, 0, 255}));
    EXPECT_EQ(out.pixelAt(0, 10), (graphics::RGBA{0, 255, 0, 255}));
    EXPECT_EQ(out.pixelAt(15, 10), (graphics::RGBA{0, 0, 255, 255}));

    // The older left-and-top-cap form: the one pixel after each cap stretches.
    auto stretchable = PopoverBackgroundImage::stretchable(source.makeImage(), 1, 1);
    EXPECT_EQ(stretchable.capInsets, (EdgeInsets{1, 1, 1, 1}));
}
