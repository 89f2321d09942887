#include "platform/ui/gestures/GestureArena.h"

#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/Control.h"

#include <algorithm>

namespace ui {

namespace {

bool isTerminal(GestureState state) {
    return state == GestureState::Ended || state == GestureState::Cancelled || state == GestureState::Failed;
}

bool isActive(GestureState state) {
    return state == GestureState::Began || state == GestureState::Changed || state == GestureState::Ended;
}

bool sharesTouches(const TouchSet& aSeen, const TouchSet& bSeen) {
    for (const TouchPtr& t : aSeen) {
        if (std::find(bSeen.begin(), bSeen.end(), t) != bSeen.end()) return true;
    }
    return false;
}

bool simultaneous(GestureRecognizer& a, GestureRecognizer& b) {
    return (a.delegate && a.delegate->shouldRecognizeSimultaneously(a, b)) ||
           (b.delegate && b.delegate->shouldRecognizeSimultaneously(b, a));
}

// A control under the touches keeps its own gesture from a recogniser of one
// of its ancestors (a tap on a button inside a tappable view is the button's).
bool claimedByControl(const GestureRecognizer& r, const TouchSet& touches) {
    for (const TouchPtr& t : touches) {
        if (!t->view || t->view == r.view() || !t->view->isDescendantOfView(r.view())) continue;
        for (View* v = t->view; v && v != r.view(); v = v->superview()) {
            auto* control = dynamic_cast<Control*>(v);
            if (control && control->isEnabled() && control->claimsGestureRecognizer(r)) return true;
        }
    }
    return false;
}

graphics::Point centroid(const TouchSet& touches) {
    graphics::Point sum;
    for (const TouchPtr& t : touches) {
        sum.x += t->windowLocation.x;
        sum.y += t->windowLocation.y;
    }
    double n = double(touches.size());
    return graphics::Point{sum.x / n, sum.y / n};
}

}  // namespace

GestureArena& GestureArena::shared() {
    static GestureArena arena;
    return arena;
}

GestureArena::Batch::Batch() { ++shared().depth_; }

GestureArena::Batch::~Batch() {
    GestureArena& arena = shared();
    if (--arena.depth_ == 0) arena.settle();
}

bool GestureArena::isEngaged(const GestureRecognizer& recognizer) const {
    return std::any_of(engaged_.begin(), engaged_.end(), [&](const auto& r) { return r.get() == &recognizer; });
}

bool GestureArena::isUndecided(const GestureRecognizer& recognizer) const {
    return recognizer.state_ == GestureState::Possible && recognizer.view_ && isEngaged(recognizer);
}

bool GestureArena::acceptsNewTouch(GestureRecognizer& recognizer, const Touch& touch) const {
    if (!recognizer.enabled_ || !recognizer.view_) return false;
    if (isTerminal(recognizer.state_) || recognizer.pendingRecognition_) return false;
    return !recognizer.delegate || recognizer.delegate->shouldReceiveTouch(recognizer, touch);
}

void GestureArena::deliver(const std::shared_ptr<GestureRecognizer>& recognizer, TouchPhase phase,
                           const TouchSet& touches, const Event& event) {
    Batch batch;
    GestureRecognizer& r = *recognizer;
    if (!isEngaged(r)) engaged_.push_back(recognizer);
    if (phase == TouchPhase::Began) {
        for (const TouchPtr& t : touches) {
            if (std::find(r.touches_.begin(), r.touches_.end(), t) == r.touches_.end()) r.touches_.push_back(t);
            if (std::find(r.seenTouches_.begin(), r.seenTouches_.end(), t) == r.seenTouches_.end())
                r.seenTouches_.push_back(t);
        }
    }
    if (!r.touches_.empty()) r.lastWindowLocation_ = centroid(r.touches_);

    // A decided recogniser only keeps count of its touches until they lift.
    bool feed = r.enabled_ && r.view_ && !isTerminal(r.state_) && !r.pendingRecognition_;
    if (feed) {
        switch (phase) {
            case TouchPhase::Began:
                r.touchesBegan(touches, event);
                break;
            case TouchPhase::Moved:
                r.touchesMoved(touches, event);
                break;
            case TouchPhase::Stationary:
                break;
            case TouchPhase::Ended:
                r.touchesEnded(touches, event);
                break;
            case TouchPhase::Cancelled:
                r.touchesCancelled(touches, event);
                break;
        }
    }
    if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled) {
        for (const TouchPtr& t : touches) {
            auto it = std::find(r.touches_.begin(), r.touches_.end(), t);
            if (it != r.touches_.end()) r.touches_.erase(it);
        }
    }
    changed_ = true;
}

void GestureArena::requestState(GestureRecognizer& r, GestureState next) {
    Batch batch;
    // The recogniser may be released by an action it runs.
    std::shared_ptr<GestureRecognizer> keep = r.weak_from_this().lock();
    GestureState from = r.state_;
    if (isTerminal(from)) return;  // decided: nothing changes until the reset
    switch (next) {
        case GestureState::Began:
            if (from == GestureState::Possible) beginRecognition(r, next);
            break;
        case GestureState::Ended:
            if (from == GestureState::Possible)
                beginRecognition(r, next);
            else
                transition(r, GestureState::Ended);
            break;
        case GestureState::Changed:
            if (from != GestureState::Possible) transition(r, GestureState::Changed);
            break;
        case GestureState::Cancelled:
            if (from == GestureState::Possible)
                fail(r);
            else
                transition(r, GestureState::Cancelled);
            break;
        case GestureState::Failed:
            if (from == GestureState::Possible)
                fail(r);
            else
                transition(r, GestureState::Cancelled);  // a running gesture cannot fail; it ends cancelled
            break;
        case GestureState::Possible:
            break;  // only a reset goes back
    }
    changed_ = true;
}

void GestureArena::beginRecognition(GestureRecognizer& r, GestureState target) {
    if (!r.enabled_) {
        fail(r);
        return;
    }
    bool waiting = false;
    for (const auto& weak : r.failureRequirements_) {
        std::shared_ptr<GestureRecognizer> other = weak.lock();
        // A requirement that takes no part in this gesture cannot recognise it.
        if (!other || other.get() == &r || !isEngaged(*other)) continue;
        if (other->state_ == GestureState::Possible) {
            waiting = true;
        } else if (isActive(other->state_)) {
            fail(r);
            return;
        }
    }
    if (waiting) {
        r.pendingRecognition_ = true;
        r.pendingState_ = target;
        return;
    }
    commit(r, target);
}

void GestureArena::commit(GestureRecognizer& r, GestureState target) {
    r.pendingRecognition_ = false;
    if (claimedByControl(r, r.seenTouches_) || (r.delegate && !r.delegate->gestureRecognizerShouldBegin(r))) {
        fail(r);
        return;
    }
    std::vector<std::shared_ptr<GestureRecognizer>> others = engaged_;
    // A gesture already running on the same touches prevents this one.
    for (const auto& other : others) {
        if (other.get() == &r || !isActive(other->state_)) continue;
        if (sharesTouches(r.seenTouches_, other->seenTouches_) && !simultaneous(r, *other)) {
            fail(r);
            return;
        }
    }
    transition(r, target);
    // This one wins: undecided rivals on the same touches fail.
    for (const auto& other : others) {
        if (other.get() == &r || other->state_ != GestureState::Possible) continue;
        if (sharesTouches(r.seenTouches_, other->seenTouches_) && !simultaneous(r, *other)) fail(*other);
    }
    failDependents(r);
}

void GestureArena::fail(GestureRecognizer& r) {
    if (r.state_ != GestureState::Possible) return;
    r.pendingRecognition_ = false;
    r.state_ = GestureState::Failed;
    changed_ = true;
    resolveDependents(r);
}

void GestureArena::transition(GestureRecognizer& r, GestureState state) {
    bool starting = r.state_ == GestureState::Possible;
    r.state_ = state;
    changed_ = true;
    if (starting && r.cancelsTouchesInView) cancelTouchesInViews(r);
    std::vector<GestureRecognizer::Action> actions = r.actions_;  // an action may change the targets
    for (auto& action : actions) action(r);
}

void GestureArena::resolveDependents(const GestureRecognizer& failed) {
    std::vector<std::shared_ptr<GestureRecognizer>> others = engaged_;
    for (const auto& other : others) {
        if (!other->pendingRecognition_) continue;
        bool needs = std::any_of(other->failureRequirements_.begin(), other->failureRequirements_.end(),
                                 [&](const auto& weak) { return weak.lock().get() == &failed; });
        if (needs && other->state_ == GestureState::Possible) beginRecognition(*other, other->pendingState_);
    }
}

void GestureArena::failDependents(const GestureRecognizer& recognized) {
    std::vector<std::shared_ptr<GestureRecognizer>> others = engaged_;
    for (const auto& other : others) {
        if (other->state_ != GestureState::Possible) continue;
        bool needs = std::any_of(other->failureRequirements_.begin(), other->failureRequirements_.end(),
                                 [&](const auto& weak) { return weak.lock().get() == &recognized; });
        if (needs) fail(*other);
    }
}

void GestureArena::cancelTouchesInViews(GestureRecognizer& r) {
    for (const TouchPtr& t : r.seenTouches_) {
        if (t->window) t->window->cancelTouchInViews(t.get());
    }
}

void GestureArena::recognizerDisabled(GestureRecognizer& r) {
    if (!isEngaged(r)) return;
    Batch batch;
    if (r.state_ == GestureState::Possible)
        fail(r);
    else if (r.state_ == GestureState::Began || r.state_ == GestureState::Changed)
        transition(r, GestureState::Cancelled);
}

void GestureArena::viewLeaving(const View* subtreeRoot) {
    Batch batch;
    std::vector<std::shared_ptr<GestureRecognizer>> others = engaged_;
    for (const auto& r : others) {
        if (!r->view_ || !r->view_->isDescendantOfView(subtreeRoot)) continue;
        if (r->state_ == GestureState::Possible)
            fail(*r);
        else if (r->state_ == GestureState::Began || r->state_ == GestureState::Changed)
            transition(*r, GestureState::Cancelled);
    }
}

// Resets the recognisers that are done and drops them; true if any went.
bool GestureArena::sweep() {
    bool any = false;
    std::vector<std::shared_ptr<GestureRecognizer>> candidates = engaged_;
    for (const auto& r : candidates) {
        bool idle = r->touches_.empty();
        bool done =
            !r->view_ || (idle && isTerminal(r->state_)) ||
            (idle && r->state_ == GestureState::Possible && !r->pendingRecognition_ && !r->awaitsFurtherTouches());
        if (!done) continue;
        auto it = std::find(engaged_.begin(), engaged_.end(), r);
        if (it == engaged_.end()) continue;
        engaged_.erase(it);
        bool wasUndecided = r->state_ == GestureState::Possible;
        r->reset();
        // One that leaves undecided no longer holds back those that required it to fail.
        if (wasUndecided) resolveDependents(*r);
        any = true;
    }
    return any;
}

void GestureArena::settle() {
    if (settling_) return;
    settling_ = true;
    ++depth_;  // state changes made while settling are settled by this loop
    do {
        changed_ = false;
        while (sweep()) {}
        Window::flushAllHeldTouches();
    } while (changed_);
    --depth_;
    settling_ = false;
}

void GestureArena::resetForTesting() {
    std::vector<std::shared_ptr<GestureRecognizer>> all;
    all.swap(engaged_);
    for (const auto& r : all) r->reset();
}

}  // namespace ui
