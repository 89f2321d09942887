#pragma once

// The arithmetic of the timeline and the preview player, apart from views:
// the 15 pictures of the film over the expanded list (each frame repeated by
// its hold, the capture slot left out), and the conversions between movie
// time, scroll offset and entry.

#include "app/core/Frame.h"
#include "app/core/FrameList.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace timeline {

inline constexpr int kPictureCount = 15;
inline constexpr double kPictureWidth = 44;
inline constexpr double kPictureHeight = 25;
inline constexpr double kFilmWidth = kPictureCount * kPictureWidth;  // 660

// The expanded list, as the frame list gives it: one run per frame.
using ExpandedFrames = ::ExpandedFrames;

// Which entry each picture of the film shows, sampling the list evenly with
// the position accumulated by addition; none where the position rounds to
// the count or beyond (the picture keeps what it showed).
std::array<std::optional<int64_t>, kPictureCount> pictureEntries(int64_t count);

// The frame rate every reader divides by: never below 1.
int64_t framesPerSecond(int64_t storedFps);

// The scroll offset of a movie time in milliseconds; none for an empty list.
std::optional<double> offsetForTime(int64_t milliseconds, int64_t fps, int64_t count);
// The first scroll position of an entry.
double offsetForEntry(int64_t entry, int64_t count);
// The entry under a scroll offset: the nearest whole number to the offset
// (not rounded first, so that entries narrower than a point are reachable)
// over the points per entry; none outside [0, count).
std::optional<int64_t> entryAtOffset(double offset, int64_t count);

// Playback timing. Milliseconds per frame from the rate as a 32-bit float.
double millisecondsPerFrame(int64_t fps);
// The length of `count` frames, truncated toward zero.
int64_t playbackDuration(double millisecondsPerFrame, int64_t count);
// The start time of entry k: m times k as a 32-bit float, the product as a
// 32-bit float, truncated toward zero.
int64_t startTime(double millisecondsPerFrame, int64_t entry);

}  // namespace timeline
