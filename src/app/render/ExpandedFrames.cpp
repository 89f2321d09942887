#include "app/render/ExpandedFrames.h"

#include <algorithm>
#include <limits>

ExpandedFrames::ExpandedFrames(const FrameList& list) {
    for (int64_t i = 0; i < list.count(); ++i) {
        FramePtr frame = list.getFrameAtIndex(i);
        if (!frame || frame->type() == Frame::kTypeCaptureSlot) continue;
        int64_t hold = frame->getDuration();
        if (hold < 1) continue;
        // Saturates instead of wrapping: no movie gets that long anyway.
        count_ =
            hold > std::numeric_limits<int64_t>::max() - count_ ? std::numeric_limits<int64_t>::max() : count_ + hold;
        runs_.push_back({std::move(frame), count_});
    }
}

FramePtr ExpandedFrames::frameAt(int64_t position) const {
    if (position < 0 || position >= count_) return nullptr;
    auto run = std::upper_bound(runs_.begin(), runs_.end(), position,
                                [](int64_t value, const Run& candidate) { return value < candidate.end; });
    return run == runs_.end() ? nullptr : run->frame;
}

ExpandedFrames ExpandedFrames::ofProject(ProjectModel& project) {
    std::shared_ptr<FrameList> list = project.getFrameList();
    return list ? ExpandedFrames(*list) : ExpandedFrames();
}

int64_t ExpandedFrames::entriesOfProject(ProjectModel& project) {
    std::shared_ptr<FrameList> list = project.getFrameList();
    return list ? std::max<int64_t>(list->count(), 1) : 1;
}
