#pragma once

// Tool tips: the short text a desktop shows beside a control that the mouse
// pointer rests on (View::setToolTip), for controls that show only a
// picture. Touch screens have no pointer to rest, so there the tip never
// shows; the text is a help, never the only way to learn what a control does.
//
// The window keeps one ToolTipTracker and tells it where the pointer moves
// (Window::sendPointerMotion). When the pointer comes onto a view with a
// tip (or into one inside it) and stays on it for kDelay, the tip shows
// under the pointer, above the rest of the window, taking no touches and no
// keys. Leaving the view, the pointer leaving the window, a touch, a key or
// the wheel takes it down; after a touch, a key or the wheel it comes back
// only once the pointer has come onto a view with a tip again.

#include "platform/foundation/Lifetime.h"
#include "platform/graphics/Geometry.h"

#include <memory>
#include <optional>
#include <string>

namespace ui {

class Label;
class View;
class Window;

// Where a tip of `size` goes for the pointer at `pointer` (window
// coordinates) within the window's `bounds`: just below the pointer, or
// above it where there is no room below, moved left or right to stay inside.
graphics::Rect toolTipFrame(graphics::Size size, graphics::Point pointer, const graphics::Rect& bounds);

class ToolTipTracker {
public:
    static constexpr double kDelay = 0.7;

    explicit ToolTipTracker(Window& window);
    ~ToolTipTracker();
    ToolTipTracker(const ToolTipTracker&) = delete;
    ToolTipTracker& operator=(const ToolTipTracker&) = delete;

    // The pointer is at `location` (window coordinates) over `hit` (none:
    // over nothing that takes the pointer).
    void pointerMoved(View* hit, graphics::Point location);
    // The pointer left the window.
    void pointerLeft();
    // A touch, a key or the wheel: the tip goes until the pointer comes
    // onto a view with a tip again.
    void dismiss();

    // The text of the tip on screen now, if one is.
    std::optional<std::string> shownText() const;

private:
    void show();
    void hide();

    Window& window_;
    std::weak_ptr<View> owner_;
    graphics::Point location_;
    bool dismissed_ = false;
    std::shared_ptr<View> tip_;
    std::shared_ptr<Label> label_;
    foundation::LifeToken life_;
};

}  // namespace ui
