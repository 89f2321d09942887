#include "app/audio/KWAudioHelper.h"

#include <algorithm>
#include <cmath>
#include <limits>

int64_t KWAudioHelper::holdForClipMilliseconds(int64_t start, int64_t stop, int64_t fps) {
    const double length = static_cast<double>(static_cast<__int128>(stop) - start);
    const double hold = std::ceil(length * static_cast<double>(fps) / 1000.0);
    // A hold beyond 32 bits would make the saved frame list unreadable.
    constexpr double kLargestHold = std::numeric_limits<int32_t>::max();
    return static_cast<int64_t>(std::clamp(hold, 1.0, kLargestHold));
}

int64_t KWAudioHelper::calculateHoldForFrameBasedOnAudio(const FramePtr& frame, const ProjectModelPtr& forProject) {
    if (!frame || !frame->isFramePausedForDurationOfAudio()) return -1;
    auto clip = frame->getAudio();
    if (!clip) return -1;
    return holdForClipMilliseconds(clip->start(), clip->stop(), forProject->getFPS());
}
