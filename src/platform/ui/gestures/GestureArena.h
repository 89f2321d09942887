#pragma once

// Internal: where gesture recognisers meet. It holds every recogniser that
// has received touches and not yet been reset ("engaged"), moves them
// through their state changes, and settles the outcome: recognisers that
// share a touch exclude each other unless their delegates allow both,
// failure requirements hold a recognition back, finished recognisers are
// reset once their touches are gone, and the windows' held-back touches are
// delivered when the recognisers that held them have decided.
//
// Main thread only; one arena serves every window.

#include "platform/ui/gestures/GestureRecognizer.h"

#include <memory>
#include <vector>

namespace ui {

class GestureArena {
public:
    static GestureArena& shared();

    // A batch of work (a touch event, a timer firing) after which the arena
    // settles once. Batches nest; only the outermost settles.
    class Batch {
    public:
        Batch();
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
    };

    // Whether a new touch may go to the recogniser (enabled, attached, not
    // decided or waiting for another to fail, and its delegate agrees).
    bool acceptsNewTouch(GestureRecognizer& recognizer, const Touch& touch) const;
    // Feeds touches of one phase to a recogniser and keeps its touch list.
    void deliver(const std::shared_ptr<GestureRecognizer>& recognizer, TouchPhase phase, const TouchSet& touches,
                 const Event& event);
    // The state machine behind GestureRecognizer::setState.
    void requestState(GestureRecognizer& recognizer, GestureState state);
    // A recogniser was disabled: a running gesture is cancelled, an undecided one fails.
    void recognizerDisabled(GestureRecognizer& recognizer);
    // Views of this subtree are leaving their window: their recognisers stop.
    void viewLeaving(const View* subtreeRoot);

    bool isEngaged(const GestureRecognizer& recognizer) const;
    // Engaged and still in Possible: touch deliveries it delays must wait.
    bool isUndecided(const GestureRecognizer& recognizer) const;

    // For tests: forgets every engaged recogniser (resetting them).
    void resetForTesting();

private:
    GestureArena() = default;

    void beginRecognition(GestureRecognizer& recognizer, GestureState target);
    void commit(GestureRecognizer& recognizer, GestureState target);
    void fail(GestureRecognizer& recognizer);
    void transition(GestureRecognizer& recognizer, GestureState state);
    // Recognisers waiting for `failed` re-check their requirements.
    void resolveDependents(const GestureRecognizer& failed);
    // Recognisers that require `recognized` to fail cannot recognise any more.
    void failDependents(const GestureRecognizer& recognized);
    void cancelTouchesInViews(GestureRecognizer& recognizer);
    void settle();
    bool sweep();

    std::vector<std::shared_ptr<GestureRecognizer>> engaged_;
    int depth_ = 0;
    bool settling_ = false;
    bool changed_ = false;
};

}  // namespace ui
