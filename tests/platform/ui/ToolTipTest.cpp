// Tool tips: the pointer resting on a control with one shows it after a
// moment, where it fits in the window; leaving, a touch or a key takes it
// down.

#include "platform/ui/ToolTip.h"
#include "platform/ui/controls/Button.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

namespace {

using graphics::Point;
using graphics::Rect;
using ui::ToolTipTracker;

class ToolTipTest : public testsupport::WindowFixture {
protected:
    void SetUp() override {
        // The tip belongs to the button; the picture inside it (a view
        // without a tip of its own) shows it too.
        button->setToolTip("Import a project");
        button->addSubview(ui::makeView<ui::View>(Rect(10, 10, 20, 20)));
        window->addSubview(button);
        window->addSubview(plain);
    }
    std::string shown() const { return window->toolTips().shownText().value_or("<none>"); }

    std::shared_ptr<ui::Button> button = ui::makeView<ui::Button>(ui::ButtonType::System, Rect(900, 20, 44, 44));
    std::shared_ptr<ui::View> plain = ui::makeView<ui::View>(Rect(100, 300, 200, 200));
};

TEST_F(ToolTipTest, ThePointerRestingOnAControlShowsItsTipUntilItGoes) {
    const Point onPicture{920, 40};
    const struct {
        const char* what;
        std::function<void()> leave;
        bool showsAgainOnTheControl;
    } ways[] = {
        {"the pointer moves off", [&] { fingers.hover(centerOf(*plain)); }, true},
        {"the pointer leaves the window", [&] { window->sendPointerExit(); }, true},
        {"a key", [&] { fingers.press(ui::Key::Down); }, false},
        {"a touch", [&] { fingers.tap(centerOf(*plain)); }, false},
        {"the wheel", [&] { fingers.wheel(centerOf(*plain), 1); }, false},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        fingers.hover(centerOf(*plain));
        fingers.hover(onPicture);
        advance(ToolTipTracker::kDelay * 0.6);
        EXPECT_EQ(shown(), "<none>") << "not while the pointer passes";
        fingers.hover({925, 45});
        advance(ToolTipTracker::kDelay * 0.6);
        EXPECT_EQ(shown(), "Import a project") << "moving on the control keeps its time";
        // Gone for good (a plain view has none): only coming onto the
        // control again brings it back.
        way.leave();
        advance(ToolTipTracker::kDelay * 3);
        EXPECT_EQ(shown(), "<none>");
        fingers.hover(onPicture);
        advance(ToolTipTracker::kDelay * 2);
        EXPECT_EQ(shown(), way.showsAgainOnTheControl ? "Import a project" : "<none>");
    }
}

TEST_F(ToolTipTest, TheTipShowsOverEverythingTakesNoInputAndStaysInTheWindow) {
    fingers.hover({930, 50});
    advance(ToolTipTracker::kDelay);
    ASSERT_EQ(shown(), "Import a project");
    const ui::View& tip = *window->subviews().back();
    EXPECT_FALSE(tip.isUserInteractionEnabled());
    EXPECT_EQ(tip.frame(), ui::toolTipFrame(tip.frame().size, {930, 50}, window->bounds()));
    savePicture("tool_tip.png");

    // Below the pointer, moved left and up where it would leave the window.
    const std::pair<Point, Rect> cases[] = {{{100, 100}, {100, 122, 150, 24}},
                                            {{1000, 100}, {870, 122, 150, 24}},
                                            {{100, 760}, {100, 730, 150, 24}},
                                            {{1020, 760}, {870, 730, 150, 24}},
                                            {{0, 0}, {4, 22, 150, 24}}};
    for (const auto& [pointer, expected] : cases)
        EXPECT_EQ(ui::toolTipFrame({150, 24}, pointer, {0, 0, 1024, 768}), expected) << pointer.x << "," << pointer.y;
}

}  // namespace
