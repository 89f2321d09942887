#pragma once

// The movie's frames by position: each entry of a frame list that is not a
// capture slot, repeated by its hold count (entries with a hold below 1 are
// left out). It is kept as one run per entry, never as the repeated list,
// whose length is the sum of the holds: a picture held 2147483647 times
// costs one run, not sixteen gigabytes. Positions are numbered as in the
// repeated list.
//
// A snapshot: later changes of the list or of its holds do not reach it.

#include "app/core/Frame.h"

#include <cstdint>
#include <optional>
#include <vector>

class FrameList;

class ExpandedFrames {
public:
    struct Run {
        FramePtr frame;
        int64_t first = 0;  // the run's first position
        int64_t end = 0;    // one past its last
    };

    ExpandedFrames() = default;
    explicit ExpandedFrames(const FrameList& list);

    // The number of positions, the sum of the holds (saturated at the
    // largest 64-bit value, which no movie reaches).
    int64_t count() const { return runs_.empty() ? 0 : runs_.back().end; }
    bool empty() const { return runs_.empty(); }
    // The frame at a position; null outside [0, count).
    FramePtr frameAt(int64_t position) const;
    // The first position of that very frame; none when it is not in the movie.
    std::optional<int64_t> firstEntryOf(const FramePtr& frame) const;
    // The runs in movie order, for walking the frames and their repeats.
    const std::vector<Run>& runs() const { return runs_; }

private:
    std::vector<Run> runs_;
};
