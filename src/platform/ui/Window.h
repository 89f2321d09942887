#pragma once

// The one window: the root of the view tree, the owner of the root view
// controller, the first responder and the touch delivery.
//
// A window draws nothing of its own; the window host (a Qt window) or a test
// composites it into an image. It remembers that something changed so the
// host repaints only when needed.

#include "platform/ui/View.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class ToolTipTracker;
class ViewController;

class Window : public View {
public:
    explicit Window(const graphics::Rect& frame);
    ~Window() override;

    // The controller whose view fills the window. Setting it adds its view
    // and sends the appearance callbacks.
    ViewController* rootViewController() const { return rootViewController_.get(); }
    void setRootViewController(std::shared_ptr<ViewController> controller);

    void makeKeyAndVisible();
    bool isKeyWindow() const { return key_; }
    // The key window of the application, or null.
    static Window* keyWindow();

    // Points to pixels.
    double scale() const { return scale_; }
    void setScale(double scale) { scale_ = scale; }

    // ---- responders ---------------------------------------------------------
    Responder* firstResponder() const { return firstResponder_; }
    // Internal: the responder machinery keeps this up to date.
    void setFirstResponder(Responder* responder) { firstResponder_ = responder; }
    // Key input, as a desktop user expects of a tap's equivalent: an alert or
    // action sheet on screen takes every key (Return its default button,
    // Escape its cancel); otherwise the first responder and its chain get it,
    // and what they leave goes to the views of the front-most layer of the
    // window (a presented screen, else the root screen) through
    // performKeyEquivalent. Returns whether something handled it.
    bool sendText(const std::string& text);
    bool sendKey(Key key, unsigned modifiers = KeyModifierNone);

    // ---- wheel --------------------------------------------------------------------
    // A wheel turn at a point of the window: the view under it and its
    // responder chain get it (scroll views that can move that way, a crop
    // editor zooming about the pointer). A turn straight up or down that
    // none of them takes goes round once more as a sideways turn, so a strip
    // that scrolls only sideways follows the ordinary wheel. While an alert or
    // action sheet is up the wheel does nothing. Returns whether something
    // handled it.
    //
    // A turn goes on where it began: while the pointer stays within
    // kWheelLatchDistance of where the last notch came and the next comes
    // within kWheelLatchInterval, the view that took the last notch gets the
    // next one too, also when it can move no further, even if scrolling has
    // slid another view under the pointer (a list's row with a strip of its
    // own). Moving the pointer or resting the wheel starts a new turn.
    static constexpr double kWheelLatchInterval = 0.5;
    static constexpr double kWheelLatchDistance = 8.0;
    bool sendWheel(const WheelEvent& event);
    // The pointer moving with no button held: the view under it and its
    // responder chain get it (a player keeps its controls up while someone
    // moves the mouse over it), and a tool tip comes when it rests on a view
    // that has one (ToolTip.h). Returns whether something handled it.
    bool sendPointerMotion(const PointerMotion& motion);
    // The pointer left the window.
    void sendPointerExit();
    const ToolTipTracker& toolTips() const { return *toolTips_; }

    // ---- title ----------------------------------------------------------------------
    // What the desktop shows in the window's title bar; the host follows it.
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    void setTitleChangeHandler(std::function<void()> handler) { titleChange_ = std::move(handler); }

    // ---- touches ----------------------------------------------------------------
    // Delivers raw touches (from the host or a test's touch driver): hit
    // testing on Began, gesture recognisers first, then the responder chain.
    // The caller keeps one Touch object per finger and updates its window
    // location and timestamp; the window fills in the view, the window, the
    // previous location, the phase and the tap count. A view's touch
    // callbacks wait while a recogniser that delays them has not decided, and
    // become touchesCancelled when a recogniser that cancels touches in its
    // view recognises.
    void sendEvent(const Event& event, TouchPhase phase, const TouchSet& changed);
    // Touches finger-down in this window.
    size_t activeTouchCount() const;
    // Taps in quick succession closer than this count up Touch::tapCount.
    static constexpr double kMultipleTapInterval = 0.35;
    static constexpr double kMultipleTapDistance = 45.0;

    // ---- compositing -------------------------------------------------------------
    void setNeedsComposite();
    bool needsComposite() const { return needsComposite_; }
    void clearNeedsComposite() { needsComposite_ = false; }
    // The host listens for changes to schedule a repaint.
    void setCompositeRequestHandler(std::function<void()> handler) { compositeRequest_ = std::move(handler); }
    // Lays out the tree, draws stale contents and renders everything into an
    // image of the window's size at its scale.
    graphics::Image renderImage();

    // Internal: a view is leaving the window (drops it as first responder and
    // from the touches it has).
    void viewWillLeaveWindow(View* view);

    Responder* nextResponder() const override;

private:
    friend class GestureArena;
    struct TouchRecord;
    struct HeldPhase;

    // A recogniser that cancels touches in its view recognised this touch.
    void cancelTouchInViews(const Touch* touch);
    bool offerToFrontLayer(const KeyPress& press);
    // Delivers to views what recognisers no longer hold back, in every window.
    static void flushAllHeldTouches();
    void flushHeldTouches();
    bool isHeld(const TouchRecord& record, TouchPhase phase) const;
    TouchRecord* recordFor(const Touch* touch);

    // The view under the pointer when the current turn of the wheel began.
    struct WheelLatch {
        std::weak_ptr<View> view;
        graphics::Point location;
        double timestamp = 0;
    };
    ViewPtr latchedWheelView(const WheelEvent& event) const;
    static bool offerWheel(View& view, const WheelEvent& event);

    std::unique_ptr<ToolTipTracker> toolTips_;
    std::vector<std::unique_ptr<TouchRecord>> touchRecords_;
    WheelLatch wheelLatch_;
    bool flushing_ = false;
    bool flushAgain_ = false;
    double lastTapTime_ = -1;
    graphics::Point lastTapLocation_;
    int lastTapCount_ = 0;

    std::shared_ptr<ViewController> rootViewController_;
    Responder* firstResponder_ = nullptr;
    double scale_ = 1.0;
    bool key_ = false;
    bool needsComposite_ = true;
    std::function<void()> compositeRequest_;
    std::string title_;
    std::function<void()> titleChange_;
};

}  // namespace ui
