#include "ControlsTestSupport.h"
#include "app/painter/KZDefaultColorViewController.h"
#include "platform/ui/compositing/Render.h"

#include <gtest/gtest.h>

namespace {

// The tool bar, the size popover, the palette and the picker as the painter
// shows them, drawn into the test artifacts for a look, with pixels checked
// where the colours must show.
class ControlPicturesTest : public paintertest::ControlsTest {
public:
    explicit ControlPicturesTest(bool phone = false) : ControlsTest(phone) {}
    void run(const std::string& idiom) {
        showControls();
        const graphics::Size screen = window->bounds().size;

        auto pixelAtCenterOf = [&](const ui::View& view) {
            const graphics::Point at = centerOf(view);
            return ui::renderView(*window).pixelAt(static_cast<int>(at.x), static_cast<int>(at.y));
        };
        tap(toolBar->btnPen());
        savePicture("painter-toolbar-" + idiom + ".png");
        EXPECT_TRUE(pixelNear(pixelAtCenterOf(*toolBar->viewToolColorPen()), {253, 182, 50, 255}, 2));
        EXPECT_TRUE(pixelNear(pixelAtCenterOf(*toolBar->viewToolColorBrush()), {228, 73, 19, 255}, 2));

        tap(toolBar->btnPen());
        settle();
        ASSERT_TRUE(toolBar->popoverController() && toolBar->popoverController()->isPopoverVisible());
        savePicture("painter-size-popover-" + idiom + ".png");
        auto* sizes =
            dynamic_cast<PainterToolSizeViewController*>(toolBar->popoverController()->contentViewController().get());
        ASSERT_NE(sizes, nullptr);
        EXPECT_TRUE(pixelNear(pixelAtCenterOf(*sizes->viewBrush()), {253, 182, 50, 255}, 2));
        tapOutsidePopover(*toolBar->popoverController());

        tap(palette->buttons()[4].get());
        savePicture("painter-palette-" + idiom + ".png");
        EXPECT_TRUE(pixelNear(pixelAtCenterOf(*palette->buttons()[0]), {228, 73, 19, 255}, 2));
        EXPECT_TRUE(pixelNear(pixelAtCenterOf(*palette->buttons()[4]), {184, 143, 170, 255}, 2));

        tap(palette->buttons()[4].get());
        settle();
        auto* picker =
            dynamic_cast<KZDefaultColorViewController*>(palette->popoverController()->contentViewController().get());
        ASSERT_NE(picker, nullptr);
        savePicture("painter-picker-" + idiom + ".png");
        const graphics::Rect panel = inWindow(picker->view());
        EXPECT_GE(panel.minX(), 0);
        EXPECT_LE(panel.maxX(), screen.width);
        EXPECT_GE(panel.minY(), 0);
        EXPECT_LE(panel.maxY(), screen.height);
        // The wheel's right-hand edge is red, its top chartreuse (hue 0.25).
        const auto* wheel = picker->picker()->colorWheel();
        const graphics::Image shot = ui::renderView(*window);
        const graphics::Point right = inWindow(*wheel, {160, 82.5}), top = inWindow(*wheel, {82.5, 3});
        const graphics::RGBA red = shot.pixelAt(static_cast<int>(right.x), static_cast<int>(right.y));
        const graphics::RGBA chartreuse = shot.pixelAt(static_cast<int>(top.x), static_cast<int>(top.y));
        EXPECT_GT(red.r, 220);
        EXPECT_LT(red.g, 60);
        EXPECT_GT(chartreuse.g, 220);
        EXPECT_LT(chartreuse.b, 60);
    }
    static bool pixelNear(graphics::RGBA actual, graphics::RGBA expected, int tolerance) {
        auto close = [tolerance](int a, int b) { return std::abs(a - b) <= tolerance; };
        const bool near = close(actual.r, expected.r) && close(actual.g, expected.g) && close(actual.b, expected.b) &&
                          close(actual.a, expected.a);
        if (!near)
            ADD_FAILURE() << "pixel (" << int(actual.r) << ", " << int(actual.g) << ", " << int(actual.b) << ", "
                          << int(actual.a) << ")";
        return near;
    }
};

class PhoneControlPicturesTest : public ControlPicturesTest {
protected:
    PhoneControlPicturesTest() : ControlPicturesTest(true) {}
};

TEST_F(ControlPicturesTest, Tablet) { run("tablet"); }

TEST_F(PhoneControlPicturesTest, Phone) { run("phone"); }

}  // namespace
