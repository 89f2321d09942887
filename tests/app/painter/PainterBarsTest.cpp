// The painter's tool bar, palette and their popovers as they are drawn in the
// phone's window and the tablet's, driven by real clicks and keys through the
// window host: every button stands apart from the others, the bars hide
// what lies under them, and a popover opens clear of the bar it belongs to
// and closes cleanly by Escape, even while it still fades in.

#include "PainterScreenFixture.h"
#include "app/painter/ColorPaletteViewController.h"
#include "app/painter/PaintToolViewController.h"
#include "app/painter/PainterLayerTableViewController.h"
#include "app/widgets/popover/WEPopoverContainerView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "support/HostInput.h"

#include <QtCore/qnamespace.h>
#include <string>
#include <vector>

namespace {

using graphics::Rect;

class PainterBars : public testsupport::AtTabletAndPhone<PainterScreenFixture> {
protected:
    void SetUp() override {
        PainterScreenFixture::SetUp();
        addFrames(2);
        ASSERT_TRUE(open(1, false));
    }
    PaintToolViewController& tools() { return *painter->toolPalette(); }
    ColorPaletteViewController& colours() { return *painter->colorPalette(); }
    // The part of a view that the window shows.
    Rect onScreen(const ui::View& view) const { return inWindow(&view).intersection(window->bounds()); }
    std::vector<ui::Button*> shownToolButtons() {
        std::vector<ui::Button*> shown;
        for (const auto& view : tools().view()->subviews())
            if (auto* button = dynamic_cast<ui::Button*>(view.get()); button && !button->isHidden())
                shown.push_back(button);
        return shown;
    }
    // A click on a control where it is drawn.
    void click(testsupport::HostInput& input, ui::View& view) {
        const Rect drawn = drawnRect(view);
        ASSERT_FALSE(drawn.isEmpty()) << "not drawn";
        input.click({drawn.midX(), drawn.midY()});
    }
};

TEST_P(PainterBars, EveryToolButtonStandsApartAndTakesItsOwnClick) {
    const std::vector<ui::Button*> buttons = shownToolButtons();
    ASSERT_EQ(buttons.size(), 9u) << "eight tools and the layer button";
    for (size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_TRUE(onScreen(*tools().view()).contains(inWindow(buttons[i]))) << i << " lies inside the shown bar";
        for (size_t j = i + 1; j < buttons.size(); ++j)
            EXPECT_FALSE(inWindow(buttons[i]).intersects(inWindow(buttons[j])))
                << inWindow(buttons[i]).toString() << " overlaps " << inWindow(buttons[j]).toString();
    }
    testsupport::HostInput input(window);
    click(input, *tools().btnLayer());
    advance(0.5);
    ASSERT_TRUE(tools().popoverController());
    EXPECT_TRUE(painter->layerTable()->view()->window()) << "the layer list is open";
    input.key(Qt::Key_Escape);
    advance(0.5);
    EXPECT_FALSE(painter->layerTable()->view()->window());
    EXPECT_EQ(completions, 0);
    click(input, *tools().btnBack());
    EXPECT_EQ(completions, 1) << "Back saved and closed";
}

TEST_P(PainterBars, TheBarsHideTheCanvasUnderThem) {
    // The frame's picture fills the canvas; where a bar lies over it, nothing
    // of it may show.
    const graphics::Image shown = window->renderImage();
    painter->paintMainView()->setHidden(true);
    painter->bgImageView()->setHidden(true);
    const graphics::Image bare = window->renderImage();
    const double scale = shown.pixelWidth() / window->bounds().width();
    for (ui::View* bar : {tools().view(), colours().view()}) {
        const Rect area = onScreen(*bar);
        ASSERT_FALSE(area.isEmpty());
        int through = 0;
        for (int y = int(area.minY() * scale); y < int(area.maxY() * scale); ++y)
            for (int x = int(area.minX() * scale); x < int(area.maxX() * scale); ++x)
                through += shown.pixelAt(x, y) != bare.pixelAt(x, y);
        EXPECT_EQ(through, 0) << "pixels of the painting show through the bar at " << area.toString();
    }
}

TEST_P(PainterBars, PopoversOpenClearOfTheirBarAndEscapeClosesThemEvenWhileTheyFadeIn) {
    testsupport::HostInput input(window);
    struct Opener {
        std::string what;
        ui::Button* control;
        ui::ViewController* bar;
    };
    std::vector<Opener> openers = {
        {"brush", tools().btnBrush(), &tools()},
        {"pen", tools().btnPen(), &tools()},
        {"fountain pen", tools().btnFountainPen(), &tools()},
        {"eraser", tools().btnEraser(), &tools()},
        {"layers", tools().btnLayer(), &tools()},
    };
    for (int slot : {0, 4, 8})
        openers.push_back({"colour " + std::to_string(slot), colours().buttons()[slot].get(), &colours()});
    for (const Opener& opener : openers) {
        SCOPED_TRACE(opener.what);
        const bool ofTools = opener.bar == &tools();
        // A tool's (or a colour's) first click chooses it, the next opens its popover.
        if (!opener.control->isSelected() && opener.control != tools().btnLayer()) {
            click(input, *opener.control);
            advance(0.5);
        }
        const Rect bar = onScreen(*opener.bar->view());
        click(input, *opener.control);
        advance(0.5);
        const auto& popover = ofTools ? tools().popoverController() : colours().popoverController();
        ASSERT_TRUE(popover && popover->isPopoverVisible());
        const Rect panel = inWindow(popover->view().get());
        EXPECT_TRUE(window->bounds().contains(panel)) << panel.toString();
        const Rect body = drawnRect(*popover->view()->contentView());
        EXPECT_FALSE(body.intersects(bar)) << "the popover " << body.toString() << " covers its bar " << bar.toString();
        input.key(Qt::Key_Escape);
        advance(0.5);
        EXPECT_FALSE(popover->view());

        // Again, with Escape while it fades in; the click right after it
        // reaches the bar.
        click(input, *opener.control);
        advance(0.1);
        ASSERT_TRUE(popover && popover->view());
        ASSERT_FALSE(popover->isPopoverVisible());
        input.key(Qt::Key_Escape);
        advance(0.05);
        ui::Button* other = ofTools ? tools().btnMove() : colours().buttons()[2].get();
        click(input, *other);
        EXPECT_TRUE(other->isSelected()) << "the click after Escape was lost";
        advance(0.5);
        EXPECT_FALSE(popover->view()) << "a half-faded panel stayed";
        EXPECT_FALSE(popover->backgroundView());
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, PainterBars, ::testing::Bool(), testsupport::tabletOrPhone);

}  // namespace
