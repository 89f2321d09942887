#pragma once

// The strip's selection arithmetic, apart from views: which items a
// selection anchored at one index and extended to the centred index marks,
// and what a tap on an item selects.

#include "app/editor/EditorNotifications.h"

#include <cstdint>

namespace strip {

// Selection mode is off.
inline constexpr int64_t kNoSelection = -1;

// Whether index lies in the run between anchor and current, both included,
// in either order; never while selection mode is off.
bool isInMarkedRun(int64_t index, int64_t anchor, int64_t current);

struct TapResult {
    editornotifications::FrameRange selection;
    // The tap fell outside the marked run: selection mode ends.
    bool endsSelection = false;
};

// A tap on `tapped`: the whole marked run when the tap is inside it, else
// the tapped item alone (ending selection mode when it was on).
TapResult selectionForTap(int64_t tapped, int64_t anchor, int64_t current);

}  // namespace strip
