#pragma once

// A window on a fresh virtual clock with synthetic fingers: the common
// ground of the tests of controls, screens and panels.
//
//     class SliderTest : public testsupport::WindowFixture {};
//     TEST_F(SliderTest, Drags) { ...; fingers.drag({centerOf(*slider), {300, 10}}, 0.3); }
//
// The window is the key window (alerts and panels show over it) and the
// device is reset to its defaults. Tear-down dismisses alerts still up,
// closes the window and runs what is queued, so no test leaves work for the
// next; a fixture's own tear-down calls WindowFixture::TearDown() last.

#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/ViewController.h"
#include "support/TouchDriver.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace ui {
class Label;
class TextField;
}  // namespace ui

namespace testsupport {

// The texts of the alerts on screen, oldest first.
std::vector<std::string> visibleAlertMessages();
// Renders a window into the artifacts folder as a PNG, for a look by eye.
void saveWindowPicture(ui::Window& window, const std::string& name);

// The window rectangle of the pixels that differ between two renders of a window.
graphics::Rect changedRect(ui::Window& window, const graphics::Image& before, const graphics::Image& after);
// Where a view shows on screen: the window rectangle of the pixels that
// change when it is hidden (empty when nothing of it shows), so what is
// clipped by a sheet or covered by another view does not count.
graphics::Rect drawnRect(ui::Window& window, ui::View& view);
// Where a label's text shows on screen: the window rectangle of the pixels
// that change when its text is taken away (its background stays).
graphics::Rect drawnTextRect(ui::Window& window, ui::Label& label);
// Empty when a label's text reads whole where it is drawn: the ink it leaves
// on screen spans, to a point, what its whole text spans drawn alone in its
// font, line by line (a text cut with an ellipsis, clipped by its label or
// a parent, or covered by another view spans less). Otherwise what is wrong.
std::string textCutFault(ui::Window& window, ui::Label& label);
// The same for a text field's one line, while it is not being edited.
std::string textCutFault(ui::Window& window, ui::TextField& field);
// The same for any line of text in a font that ink `drawn` on screen (the
// window rectangle of its pixels).
std::string textCutFault(const std::string& text, const graphics::Font& font, const graphics::Rect& drawn);

class WindowFixture : public ::testing::Test {
protected:
    // A tablet's screen in landscape unless a test asks for another frame.
    explicit WindowFixture(graphics::Rect frame = graphics::Rect(0, 0, 1024, 768), double clockStart = 0);
    void TearDown() override;

    // Moves the virtual clock; timers fire on the way.
    void advance(double seconds);
    // The centre of a view, and a point or the bounds of a view, in window
    // coordinates.
    graphics::Point centerOf(const ui::View& view) const;
    graphics::Point inWindow(const ui::View& view, graphics::Point point) const;
    graphics::Rect inWindow(const ui::View* view) const;
    // A finger tap in the middle of a view on screen, laid out first as the
    // window host does before it delivers touches.
    void tap(const ui::View* view);
    // Where a view shows on screen (testsupport::drawnRect).
    graphics::Rect drawnRect(ui::View& view) { return testsupport::drawnRect(*window, view); }
    graphics::Rect drawnTextRect(ui::Label& label) { return testsupport::drawnTextRect(*window, label); }
    // Whether a label's text reads whole on screen (testsupport::textCutFault).
    std::string textCutFault(ui::Label& label) { return testsupport::textCutFault(*window, label); }
    std::string textCutFault(ui::TextField& field) { return testsupport::textCutFault(*window, field); }
    // The drawnRects of the shown ones of views side by side, left to right,
    // each expected whole inside its view and `area`, right of the one before
    // and, where a picture's size is given, in its proportions.
    std::vector<graphics::Rect> drawnSideBySide(const std::vector<ui::View*>& views, graphics::Rect area,
                                                graphics::Size picture = {});
    static std::vector<std::string> alertMessages() { return visibleAlertMessages(); }
    void savePicture(const std::string& name) { saveWindowPicture(*window, name); }
    // A plain controller as the window's root with `child` contained in it,
    // filling it, as a screen's container holds it; returns the root.
    std::shared_ptr<ui::ViewController> showFillingRoot(const std::shared_ptr<ui::ViewController>& child);

private:
    bool guiReady_;  // first: the window needs the application object

protected:
    VirtualClockScope clock;
    std::shared_ptr<ui::Window> window;
    TouchDriver fingers;
};

// A screen's fixture, made from whether the window is a phone's, at the
// tablet's window and the phone's; tabletOrPhone names the two.
template <class Fixture>
class AtTabletAndPhone : public Fixture, public ::testing::WithParamInterface<bool> {
protected:
    AtTabletAndPhone() : Fixture(GetParam()) {}
};
inline std::string tabletOrPhone(const ::testing::TestParamInfo<bool>& info) { return info.param ? "Phone" : "Tablet"; }

}  // namespace testsupport
