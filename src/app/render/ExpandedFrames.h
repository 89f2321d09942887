#pragma once

// The movie's frames by position (each entry repeated by its hold count,
// capture slots left out) without building the repeated list, whose length
// is the sum of the holds and so can be far beyond memory.

#include "app/core/Frame.h"
#include "app/core/FrameList.h"
#include "app/core/ProjectModel.h"

#include <cstdint>
#include <vector>

class ExpandedFrames {
public:
    explicit ExpandedFrames(const FrameList& list);
    // The project's movie; none for a frame list that cannot be read.
    static ExpandedFrames ofProject(ProjectModel& project);
    // Entries of the project's frame list, the capture slot included, as the
    // size estimates count them; 1 (the capture slot) for a list that cannot
    // be read.
    static int64_t entriesOfProject(ProjectModel& project);

    int64_t count() const { return count_; }
    // The frame at a position from 0 to count() − 1; null outside.
    FramePtr frameAt(int64_t position) const;

private:
    ExpandedFrames() = default;
    struct Run {
        FramePtr frame;
        int64_t end;  // one past the run's last position
    };
    std::vector<Run> runs_;
    int64_t count_ = 0;
};
