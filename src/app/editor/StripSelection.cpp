#include "app/editor/StripSelection.h"

#include <algorithm>

namespace strip {

bool isInMarkedRun(int64_t index, int64_t anchor, int64_t current) {
    if (anchor == kNoSelection) return false;
    return index >= std::min(anchor, current) && index <= std::max(anchor, current);
}

TapResult selectionForTap(int64_t tapped, int64_t anchor, int64_t current) {
    if (anchor == kNoSelection) return {{tapped, 1}, false};
    const int64_t low = std::min(anchor, current);
    const int64_t span = anchor > current ? anchor - current : current - anchor;
    if (tapped < low || tapped - low >= span + 1) return {{tapped, 1}, true};
    return {{low, span + 1}, false};
}

}  // namespace strip
