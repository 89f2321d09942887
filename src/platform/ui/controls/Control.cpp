#include "platform/ui/controls/Control.h"

#include "platform/ui/gestures/TapGestureRecognizer.h"

#include <algorithm>

namespace ui {

using graphics::Point;
using graphics::Rect;

Control::Control() = default;

Control::Control(const Rect& frame) : View(frame) {}

Control::~Control() = default;

// ---- target-action -----------------------------------------------------------------

void Control::addTarget(const void* target, Action action, unsigned forControlEvents) {
    if (!action || forControlEvents == 0) return;
    auto entry = std::make_shared<Target>();
    entry->target = target;
    entry->action = std::move(action);
    entry->events = forControlEvents;
    targets_.push_back(std::move(entry));
}

void Control::removeTarget(const void* target, unsigned forControlEvents) {
    for (auto& entry : targets_) {
        if (target && entry->target != target) continue;
        entry->events &= ~forControlEvents;
        if (entry->events == 0) entry->active = false;
    }
    std::erase_if(targets_, [](const std::shared_ptr<Target>& entry) { return !entry->active; });
}

unsigned Control::allControlEvents() const {
    unsigned events = 0;
    for (const auto& entry : targets_) events |= entry->events;
    return events;
}

bool Control::handleKeyEquivalent(const KeyPress& press) {
    if (!enabled_) return false;
    const bool matches = std::any_of(keyEquivalents_.begin(), keyEquivalents_.end(), [&](const KeyPress& key) {
        return key.text.empty() ? key.key != Key::Other && press.key == key.key && press.text.empty()
                                : press.text == key.text;
    });
    if (!matches) return false;
    ViewPtr keepAlive = weak_from_this().lock();
    sendActionsForControlEvents(ControlEventTouchUpInside);
    return true;
}

void Control::sendActionsForControlEvents(unsigned controlEvents) {
    // A snapshot: actions may add or remove targets, or drop the last
    // reference to this control (a screen closing on a button's tap).
    std::vector<std::shared_ptr<Target>> matching;
    for (const auto& entry : targets_) {
        if (entry->events & controlEvents) matching.push_back(entry);
    }
    if (matching.empty()) return;
    ViewPtr keepAlive = weak_from_this().lock();
    for (const auto& entry : matching) {
        if (!entry->active || !(entry->events & controlEvents)) continue;
        Action action = entry->action;  // the entry may be removed while it runs
        action(*this);
    }
}

// ---- state ---------------------------------------------------------------------------

void Control::setEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (!enabled) {
        // A finger on a control that turns disabled no longer presses it.
        if (trackedTouch_) {
            if (tracking_) cancelTrackingWithEvent(nullptr);
            stopTracking();
        }
        highlighted_ = false;
    }
    stateDidChange();
}

void Control::setSelected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    stateDidChange();
}

void Control::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) return;
    highlighted_ = highlighted;
    stateDidChange();
}

unsigned Control::state() const {
    unsigned bits = ControlStateNormal;
    if (highlighted_) bits |= ControlStateHighlighted;
    if (!enabled_) bits |= ControlStateDisabled;
    if (selected_) bits |= ControlStateSelected;
    return bits;
}

void Control::setContentHorizontalAlignment(ControlContentHorizontalAlignment alignment) {
    horizontalAlignment_ = alignment;
    setNeedsLayout();
    setNeedsDisplay();
}

void Control::setContentVerticalAlignment(ControlContentVerticalAlignment alignment) {
    verticalAlignment_ = alignment;
    setNeedsLayout();
    setNeedsDisplay();
}

void Control::stateDidChange() { setNeedsDisplay(); }

// ---- tracking ----------------------------------------------------------------------------

bool Control::beginTrackingWithTouch(const Touch&, const Event&) { return true; }

bool Control::continueTrackingWithTouch(const Touch&, const Event&) { return true; }

void Control::endTrackingWithTouch(const Touch&, const Event&) {}

void Control::cancelTrackingWithEvent(const Event*) {}

bool Control::claimsGestureRecognizer(const GestureRecognizer& recognizer) const {
    auto* tap = dynamic_cast<const TapGestureRecognizer*>(&recognizer);
    return tap && tap->numberOfTapsRequired == 1 && tap->numberOfTouchesRequired == 1;
}

bool Control::isPointInsideTrackingArea(Point point) const {
    Rect b = bounds();
    Rect area(b.origin.x - kControlTrackingSlop, b.origin.y - kControlTrackingSlop,
              b.size.width + 2 * kControlTrackingSlop, b.size.height + 2 * kControlTrackingSlop);
    return area.contains(point);
}

TouchPtr Control::trackedTouchIn(const TouchSet& touches) const {
    if (!trackedTouch_) return nullptr;
    auto it = std::find(touches.begin(), touches.end(), trackedTouch_);
    return it == touches.end() ? nullptr : *it;
}

void Control::stopTracking() {
    trackedTouch_.reset();
    tracking_ = false;
    touchInside_ = false;
}

void Control::touchesBegan(const TouchSet& touches, const Event& event) {
    // One finger at a time: a second finger on a pressed control changes nothing.
    if (!enabled_ || trackedTouch_ || touches.empty()) return;
    // Actions may close the screen that holds this control.
    ViewPtr keepAlive = weak_from_this().lock();
    TouchPtr touch = touches.front();
    trackedTouch_ = touch;
    touchInside_ = true;
    tracking_ = beginTrackingWithTouch(*touch, event);
    setHighlighted(true);
    unsigned events = ControlEventTouchDown;
    if (touch->tapCount > 1) events |= ControlEventTouchDownRepeat;
    sendActionsForControlEvents(events);
}

void Control::touchesMoved(const TouchSet& touches, const Event& event) {
    TouchPtr touch = trackedTouchIn(touches);
    if (!touch) return;
    ViewPtr keepAlive = weak_from_this().lock();
    bool wasInside = touchInside_;
    touchInside_ = isPointInsideTrackingArea(touch->locationInView(this));
    setHighlighted(touchInside_);
    if (tracking_) tracking_ = continueTrackingWithTouch(*touch, event);
    unsigned events = touchInside_ ? ControlEventTouchDragInside : ControlEventTouchDragOutside;
    if (touchInside_ && !wasInside) events |= ControlEventTouchDragEnter;
    if (!touchInside_ && wasInside) events |= ControlEventTouchDragExit;
    sendActionsForControlEvents(events);
}

void Control::touchesEnded(const TouchSet& touches, const Event& event) {
    TouchPtr touch = trackedTouchIn(touches);
    if (!touch) return;
    ViewPtr keepAlive = weak_from_this().lock();
    bool inside = isPointInsideTrackingArea(touch->locationInView(this));
    touchInside_ = inside;
    setHighlighted(false);
    if (tracking_) endTrackingWithTouch(*touch, event);
    stopTracking();
    sendActionsForControlEvents(inside ? ControlEventTouchUpInside : ControlEventTouchUpOutside);
}

void Control::touchesCancelled(const TouchSet& touches, const Event& event) {
    TouchPtr touch = trackedTouchIn(touches);
    if (!touch) return;
    ViewPtr keepAlive = weak_from_this().lock();
    setHighlighted(false);
    if (tracking_) cancelTrackingWithEvent(&event);
    stopTracking();
    sendActionsForControlEvents(ControlEventTouchCancel);
}

View* Control::hitTest(Point point, const Event* event) {
    if (!enabled_) return nullptr;
    return View::hitTest(point, event);
}

void Control::willMoveToWindow(Window* newWindow) {
    View::willMoveToWindow(newWindow);
    if (trackedTouch_) {
        // The finger's touch ends elsewhere; do not leave the control pressed.
        if (tracking_) cancelTrackingWithEvent(nullptr);
        stopTracking();
        setHighlighted(false);
    }
}

}  // namespace ui
