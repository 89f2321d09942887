#pragma once

// Gesture recognisers: state machines fed with the touches of their view.
//
// The window delivers every touch to the recognisers of the hit view and of
// its ancestors (innermost first) before the view sees it. A recogniser that
// recognises its gesture cancels the touches in its view (when
// `cancelsTouchesInView`) and makes the other recognisers of those touches
// fail, unless the delegates allow simultaneous recognition. A recogniser
// that requires another to fail waits in Possible until that one fails (a
// single tap waiting for a double tap), or fails when it recognises.

#include "platform/foundation/Lifetime.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Responder.h"

#include <functional>
#include <memory>
#include <vector>

namespace ui {

class View;
class GestureRecognizer;

enum class GestureState {
    Possible,
    Began,
    Changed,
    Ended,  // = Recognized for discrete gestures
    Cancelled,
    Failed,
};
inline constexpr GestureState GestureStateRecognized = GestureState::Ended;

class GestureRecognizerDelegate {
public:
    virtual ~GestureRecognizerDelegate() = default;
    virtual bool gestureRecognizerShouldBegin(GestureRecognizer&) { return true; }
    virtual bool shouldRecognizeSimultaneously(GestureRecognizer&, GestureRecognizer&) { return false; }
    virtual bool shouldReceiveTouch(GestureRecognizer&, const Touch&) { return true; }
};

class GestureRecognizer : public std::enable_shared_from_this<GestureRecognizer> {
public:
    using Action = std::function<void(GestureRecognizer&)>;

    GestureRecognizer() = default;
    explicit GestureRecognizer(Action action) { addTarget(std::move(action)); }
    virtual ~GestureRecognizer();
    GestureRecognizer(const GestureRecognizer&) = delete;
    GestureRecognizer& operator=(const GestureRecognizer&) = delete;

    // Target-action: every action runs at each state change to Began,
    // Changed, Ended (Recognized) and Cancelled.
    void addTarget(Action action) { actions_.push_back(std::move(action)); }
    void removeAllTargets() { actions_.clear(); }

    GestureState state() const { return state_; }
    View* view() const { return view_; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool cancelsTouchesInView = true;
    bool delaysTouchesBegan = false;
    bool delaysTouchesEnded = true;
    GestureRecognizerDelegate* delegate = nullptr;

    // This recogniser waits until `other` has failed before it recognises.
    void requireGestureRecognizerToFail(std::shared_ptr<GestureRecognizer> other);

    // The centroid of the gesture's touches in a view's coordinates (the
    // window's when null); after the touches have lifted, where they were last.
    virtual graphics::Point locationInView(const View* view) const;
    size_t numberOfTouches() const { return touches_.size(); }
    // Throws std::out_of_range for an index at or past numberOfTouches().
    graphics::Point locationOfTouch(size_t index, const View* view) const;
    // True while recognised but held back until a required recogniser fails.
    bool isRecognitionPending() const { return pendingRecognition_; }

    // Fed by the window's touch delivery.
    virtual void touchesBegan(const TouchSet& touches, const Event& event);
    virtual void touchesMoved(const TouchSet& touches, const Event& event);
    virtual void touchesEnded(const TouchSet& touches, const Event& event);
    virtual void touchesCancelled(const TouchSet& touches, const Event& event);

    // Back to Possible with no touches; subclasses clear their own state too.
    virtual void reset();

    // Internal: called by View when attached or detached.
    void setView(View* view) { view_ = view; }

protected:
    // Subclasses move the state machine through this. The gesture arena
    // checks the move (delegate, failure requirements, rivals on the same
    // touches), cancels the touches in the views and runs the actions.
    void setState(GestureState state);
    const TouchSet& touches() const { return touches_; }
    // True while the gesture waits with no finger down for touches to come
    // (a tap recogniser between taps); it is not reset meanwhile.
    virtual bool awaitsFurtherTouches() const { return false; }
    // Converts a vector measured in window coordinates into a view's.
    static graphics::Point windowVectorToView(graphics::Point vector, graphics::Point at, const View* view);
    // And back: a vector in a view's coordinates into the window's.
    static graphics::Point viewVectorToWindow(graphics::Point vector, const View* view);
    TouchSet touches_;
    // Timers of subclasses are delayed performs of this token: they end
    // with the recogniser.
    foundation::LifeToken life_;

private:
    friend class Window;
    friend class GestureArena;
    std::vector<Action> actions_;
    std::vector<std::weak_ptr<GestureRecognizer>> failureRequirements_;
    View* view_ = nullptr;
    GestureState state_ = GestureState::Possible;
    bool enabled_ = true;
    // A recognised state held back until the required recognisers fail.
    bool pendingRecognition_ = false;
    GestureState pendingState_ = GestureState::Possible;
    // Every touch received since the last reset: recognisers that shared a
    // touch compete with each other.
    TouchSet seenTouches_;
    // Where the touches were when they last changed (window coordinates).
    graphics::Point lastWindowLocation_;
};

}  // namespace ui
