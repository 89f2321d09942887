#pragma once

// Touches, events and the responder chain.
//
// Touch events reach the view under the first finger (hit testing), then its
// gesture recognisers, then travel up the responder chain (view, its view
// controller, the superview, ..., the window, the application) until a
// responder handles them. Key input goes to the first responder.

#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class View;
class Window;

enum class TouchPhase { Began, Moved, Stationary, Ended, Cancelled };

// One finger on the screen. The same Touch object follows a finger from its
// beginning to its end; `view` is the view it began on.
class Touch {
public:
    TouchPhase phase = TouchPhase::Began;
    double timestamp = 0;            // seconds on the main run loop's clock
    int tapCount = 1;                // taps in quick succession at about one place
    graphics::Point windowLocation;  // in the window's coordinates
    graphics::Point previousWindowLocation;
    View* view = nullptr;
    Window* window = nullptr;

    // The location in a view's coordinates (the window's when null).
    graphics::Point locationInView(const View* view) const;
    graphics::Point previousLocationInView(const View* view) const;
};

using TouchPtr = std::shared_ptr<Touch>;
using TouchSet = std::vector<TouchPtr>;

struct Event {
    double timestamp = 0;
    TouchSet allTouches;
};

// Keys that reach the first responder as keys rather than text. SelectAll,
// Undo, Redo and Open are the desktop's shortcuts for them (Ctrl+A, Ctrl+Z,
// Ctrl+Shift+Z, Ctrl+O), named by what they do.
enum class Key {
    Return,
    Backspace,
    Delete,
    Escape,
    Tab,
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    PageUp,
    PageDown,
    SelectAll,
    Undo,
    Redo,
    Open,
    Other
};

// Modifier keys held with a key.
enum KeyModifier : unsigned { KeyModifierNone = 0, KeyModifierShift = 1 << 0, KeyModifierControl = 1 << 1 };

// A key or a typed text that no first responder took: the window offers it
// to the views on screen (a grid's arrows, a keypad's digits). `text` is set
// for typed text, with `key` Other.
struct KeyPress {
    Key key = Key::Other;
    std::string text;
    unsigned modifiers = KeyModifierNone;
};

// A turn of the mouse wheel (or a trackpad's two-finger scroll) over a point
// of the window. `delta` is how far it scrolls, in points: positive when the
// wheel turns away from the user (showing what lies above, or to the left).
// `notches` counts the wheel's detents the same way (fractions on fine
// wheels), for views that step rather than scroll (zoom, rotation).
struct WheelEvent {
    graphics::Point windowLocation;
    graphics::Point delta;
    graphics::Point notches;
    unsigned modifiers = KeyModifierNone;
    double timestamp = 0;
};

// The mouse pointer moved over a point of the window with no button held
// (a held button makes the pointer a finger: touches). Touch screens have
// no such thing, so it only ever tells that someone is there.
struct PointerMotion {
    graphics::Point windowLocation;
    double timestamp = 0;
};

class Responder {
public:
    virtual ~Responder() = default;

    // The next responder in the chain; null at its end.
    virtual Responder* nextResponder() const { return nullptr; }

    // Touch handling. The default passes the touches on to the next responder.
    virtual void touchesBegan(const TouchSet& touches, const Event& event);
    virtual void touchesMoved(const TouchSet& touches, const Event& event);
    virtual void touchesEnded(const TouchSet& touches, const Event& event);
    virtual void touchesCancelled(const TouchSet& touches, const Event& event);

    // First responder. The window keeps track of its first responder.
    virtual bool canBecomeFirstResponder() const { return false; }
    virtual bool canResignFirstResponder() const { return true; }
    virtual bool becomeFirstResponder();
    virtual bool resignFirstResponder();
    bool isFirstResponder() const;

    // Key input for the first responder (text fields and views). Returns true
    // when handled; the default passes it on along the chain.
    virtual bool insertText(const std::string& text);
    virtual bool keyPressed(Key key, unsigned modifiers);

    // A wheel turned over this responder's view (hit testing found it or a
    // view inside it). Returns true when handled; the default passes it on
    // along the chain.
    virtual bool scrollWheel(const WheelEvent& event);
    // The pointer moved over this responder's view (or a view inside it).
    // Returns true when handled; the default passes it on along the chain.
    virtual bool pointerMoved(const PointerMotion& motion);

protected:
    // The window whose first responder this can be (views answer theirs).
    virtual Window* responderWindow() const { return nullptr; }
};

}  // namespace ui
