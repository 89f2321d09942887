#pragma once

// The base of every control: target-action per control event, the
// enabled / selected / highlighted states, and the tracking of one finger.
//
// A control tracks the finger that touched it first. While that finger moves
// it counts as inside up to kControlTrackingSlop points beyond the bounds, so
// a finger that slips off a small button still presses it; the highlight and
// the touch-up event (inside or outside) follow that rule. A disabled control
// takes no touches at all: hit testing passes over it to what lies beneath.

#include "platform/graphics/Geometry.h"
#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// The platform's control event bits.
enum ControlEvents : unsigned {
    ControlEventTouchDown = 1u << 0,
    ControlEventTouchDownRepeat = 1u << 1,
    ControlEventTouchDragInside = 1u << 2,
    ControlEventTouchDragOutside = 1u << 3,
    ControlEventTouchDragEnter = 1u << 4,
    ControlEventTouchDragExit = 1u << 5,
    ControlEventTouchUpInside = 1u << 6,
    ControlEventTouchUpOutside = 1u << 7,
    ControlEventTouchCancel = 1u << 8,
    ControlEventValueChanged = 1u << 12,
    ControlEventEditingDidBegin = 1u << 16,
    ControlEventEditingChanged = 1u << 17,
    ControlEventEditingDidEnd = 1u << 18,
    ControlEventEditingDidEndOnExit = 1u << 19,
    ControlEventAllTouchEvents = 0x00000FFFu,
    ControlEventAllEditingEvents = 0x000F0000u,
    ControlEventAllEvents = 0xFFFFFFFFu,
};

// The platform's control state bits; Normal is the absence of the others.
enum ControlState : unsigned {
    ControlStateNormal = 0,
    ControlStateHighlighted = 1u << 0,
    ControlStateDisabled = 1u << 1,
    ControlStateSelected = 1u << 2,
};

enum class ControlContentHorizontalAlignment { Center = 0, Left = 1, Right = 2, Fill = 3 };
enum class ControlContentVerticalAlignment { Center = 0, Top = 1, Bottom = 2, Fill = 3 };

// How far outside its bounds a tracked finger still counts as inside.
inline constexpr double kControlTrackingSlop = 70.0;

class Control : public View {
public:
    // The platform's target and action become a closure; the target stays
    // as a key so that an owner can remove its actions again.
    using Action = std::function<void(Control& sender)>;

    Control();
    explicit Control(const graphics::Rect& frame);
    ~Control() override;

    // ---- target-action ---------------------------------------------------------
    // Actions run in the order they were added. The same target may add
    // several actions; a null target is allowed.
    void addTarget(const void* target, Action action, unsigned forControlEvents);
    // Removes the target's actions for those events (a null target: every
    // target's). An action registered for other events too keeps those.
    void removeTarget(const void* target, unsigned forControlEvents);
    // The union of the events that have at least one action.
    unsigned allControlEvents() const;
    // Runs every action registered for any of the events, each once. An
    // action removed by an earlier one in the same round does not run.
    void sendActionsForControlEvents(unsigned controlEvents);

    // ---- state -------------------------------------------------------------------
    bool isEnabled() const { return enabled_; }
    virtual void setEnabled(bool enabled);
    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted);
    // The state bits (ControlState) that hold now.
    unsigned state() const;

    ControlContentHorizontalAlignment contentHorizontalAlignment() const { return horizontalAlignment_; }
    void setContentHorizontalAlignment(ControlContentHorizontalAlignment alignment);
    ControlContentVerticalAlignment contentVerticalAlignment() const { return verticalAlignment_; }
    void setContentVerticalAlignment(ControlContentVerticalAlignment alignment);

    // ---- keyboard ----------------------------------------------------------------
    // A typed text (a keypad's digit, " " for Space) or a key (Backspace)
    // that works as a tap on the control when no first responder takes it:
    // the control's touch-up-inside actions run, if it is enabled and on
    // screen. Setting one replaces the others; adding one keeps them (a
    // shutter that both Space and Return press).
    void setKeyEquivalent(std::string text) { keyEquivalents_ = {KeyPress{Key::Other, std::move(text)}}; }
    void setKeyEquivalent(Key key) { keyEquivalents_ = {KeyPress{key, {}}}; }
    void addKeyEquivalent(std::string text) { keyEquivalents_.push_back(KeyPress{Key::Other, std::move(text)}); }
    void addKeyEquivalent(Key key) { keyEquivalents_.push_back(KeyPress{key, {}}); }
    bool handleKeyEquivalent(const KeyPress& press) override;

    // ---- tracking ----------------------------------------------------------------
    // True while the tracked finger is down and tracking was not given up.
    bool isTracking() const { return tracking_; }
    // Whether the tracked finger is inside (with the slop) right now.
    bool isTouchInside() const { return touchInside_; }

    // Subclasses follow the finger here. Returning false from begin or
    // continue stops the tracking calls for this touch (the touch events are
    // still sent).
    virtual bool beginTrackingWithTouch(const Touch& touch, const Event& event);
    virtual bool continueTrackingWithTouch(const Touch& touch, const Event& event);
    virtual void endTrackingWithTouch(const Touch& touch, const Event& event);
    // Called when the touch is cancelled, or with null when the control is
    // disabled or leaves its window mid-touch.
    virtual void cancelTrackingWithEvent(const Event* event);

    // Whether the control's own gesture takes precedence over a recogniser
    // of one of its ancestors that wants the same touches: by default a
    // single-finger single tap (a tap on a button in a tappable view is the
    // button's).
    virtual bool claimsGestureRecognizer(const GestureRecognizer& recognizer) const;

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    View* hitTest(graphics::Point point, const Event* event) override;
    void willMoveToWindow(Window* newWindow) override;

protected:
    // Called after enabled, selected or highlighted changed; the default
    // redraws.
    virtual void stateDidChange();
    // Whether a point (bounds coordinates) counts as inside for a tracked finger.
    bool isPointInsideTrackingArea(graphics::Point point) const;
    // The tracked touch in the set, or null when the set does not hold it.
    TouchPtr trackedTouchIn(const TouchSet& touches) const;

private:
    struct Target {
        const void* target = nullptr;
        Action action;
        unsigned events = 0;
        bool active = true;
    };
    void stopTracking();

    std::vector<std::shared_ptr<Target>> targets_;
    std::vector<KeyPress> keyEquivalents_;
    TouchPtr trackedTouch_;
    ControlContentHorizontalAlignment horizontalAlignment_ = ControlContentHorizontalAlignment::Center;
    ControlContentVerticalAlignment verticalAlignment_ = ControlContentVerticalAlignment::Center;
    bool enabled_ = true;
    bool selected_ = false;
    bool highlighted_ = false;
    bool tracking_ = false;
    bool touchInside_ = false;
};

}  // namespace ui
