#pragma once

// How many expanded positions a frame that pauses for its audio needs to
// stay on screen for the length of its clip.

#include "app/core/Frame.h"
#include "app/core/ProjectModel.h"

#include <cstdint>

class KWAudioHelper {
public:
    // ceil((stop − start) × fps / 1000), at least 1 and at most the largest
    // hold a frame list can store; −1 when the frame does not pause for its
    // audio or has no clip.
    static int64_t calculateHoldForFrameBasedOnAudio(const FramePtr& frame, const ProjectModelPtr& forProject);
    // The same from the numbers.
    static int64_t holdForClipMilliseconds(int64_t start, int64_t stop, int64_t fps);
};
