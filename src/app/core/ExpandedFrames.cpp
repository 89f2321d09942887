#include "app/core/ExpandedFrames.h"

#include "app/core/FrameList.h"

#include <algorithm>
#include <limits>

ExpandedFrames::ExpandedFrames(const FrameList& list) {
    int64_t end = 0;
    for (const FramePtr& frame : list) {
        if (!frame || frame->type() == Frame::kTypeCaptureSlot) continue;
        const int64_t hold = frame->getDuration();
        if (hold < 1) continue;
        const int64_t first = end;
        end = hold > std::numeric_limits<int64_t>::max() - end ? std::numeric_limits<int64_t>::max() : end + hold;
        if (end > first) runs_.push_back({frame, first, end});
    }
}

FramePtr ExpandedFrames::frameAt(int64_t position) const {
    if (position < 0 || position >= count()) return nullptr;
    const auto run = std::upper_bound(runs_.begin(), runs_.end(), position,
                                      [](int64_t value, const Run& candidate) { return value < candidate.end; });
    return run == runs_.end() ? nullptr : run->frame;
}

std::optional<int64_t> ExpandedFrames::firstEntryOf(const FramePtr& frame) const {
    if (!frame) return std::nullopt;
    const auto run = std::find_if(runs_.begin(), runs_.end(), [&](const Run& r) { return r.frame == frame; });
    if (run == runs_.end()) return std::nullopt;
    return run->first;
}
