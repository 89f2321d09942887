#pragma once

// Synthetic fingers for view tests: taps, drags, long presses, pinches and
// rotations delivered to a window as the window host would deliver them,
// with time moving on the main run loop's virtual clock between events (so
// timers such as the double-tap wait fire where they would); and the mouse
// wheel and keys the same way. Needs a testsupport::VirtualClockScope.
//
//     testsupport::TouchDriver fingers(*window);
//     fingers.tap({100, 200});
//     fingers.drag({{10, 10}, {200, 10}}, 0.3);

#include "platform/graphics/Geometry.h"
#include "platform/ui/Responder.h"

#include <string>
#include <vector>

namespace ui {
class Window;
}

namespace testsupport {

class TouchDriver {
public:
    explicit TouchDriver(ui::Window& window) : window_(window) {}

    // Seconds between the events of a movement (60 per second).
    double frameInterval = 1.0 / 60.0;
    // How long a finger rests on the glass in a tap, and the pause between taps.
    double tapDuration = 0.05;
    double tapGap = 0.1;

    // ---- single events (no time passes) -------------------------------------
    ui::TouchPtr touchDown(graphics::Point windowLocation);
    std::vector<ui::TouchPtr> touchDown(const std::vector<graphics::Point>& windowLocations);
    void moveTo(const ui::TouchPtr& touch, graphics::Point windowLocation);
    void moveTo(const std::vector<ui::TouchPtr>& touches, const std::vector<graphics::Point>& windowLocations);
    void touchUp(const ui::TouchPtr& touch);
    void touchUp(const std::vector<ui::TouchPtr>& touches);
    void cancel(const std::vector<ui::TouchPtr>& touches);
    // Moves the virtual clock (timers fire on the way).
    void wait(double seconds);

    // ---- gestures ---------------------------------------------------------------
    // `count` taps at one point; no time passes after the last lift.
    void tap(graphics::Point windowLocation, int count = 1);
    // One finger down at the first point, along the path (evenly in time over
    // `duration`), up at the last point.
    void drag(const std::vector<graphics::Point>& path, double duration);
    // Down, held still for `duration`, up.
    void longPress(graphics::Point windowLocation, double duration);
    // Two fingers on a horizontal line through `center`, their distance going
    // from `startSpan` to `endSpan` over `duration`.
    void pinch(graphics::Point center, double startSpan, double endSpan, double duration);
    // Two fingers `span` apart turning about `center` from `startAngle` to
    // `endAngle` (radians, clockwise on screen) over `duration`.
    void rotate(graphics::Point center, double span, double startAngle, double endAngle, double duration);

    // ---- wheel and keys -------------------------------------------------------------
    // Notches of the wheel over a point, as the host turns a desktop wheel
    // (three lines a notch) into a turn: positive away from the user. Each
    // notch after the first comes `wheelNotchInterval` later. Returns
    // whether something took the last.
    double wheelNotchInterval = 0.03;
    bool wheel(graphics::Point windowLocation, double notches, unsigned modifiers = ui::KeyModifierNone);
    // The mouse moved to a point with no button held, as the host tells it;
    // no time passes. Returns whether something took it.
    bool hover(graphics::Point windowLocation);
    // A key, or typed text (" " for Space), as the host sends them.
    bool press(ui::Key key, unsigned modifiers = ui::KeyModifierNone);
    bool type(const std::string& text);

private:
    void send(ui::TouchPhase phase, const std::vector<ui::TouchPtr>& changed);
    int steps(double duration) const;

    ui::Window& window_;
    std::vector<ui::TouchPtr> down_;
};

}  // namespace testsupport
