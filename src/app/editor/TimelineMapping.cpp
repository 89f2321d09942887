#include "app/editor/TimelineMapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace timeline {

std::array<std::optional<int64_t>, kPictureCount> pictureEntries(int64_t count) {
    std::array<std::optional<int64_t>, kPictureCount> entries;
    const double step = static_cast<double>(count) / kPictureCount;
    double position = 0.0;
    for (auto& entry : entries) {
        const int64_t index = std::llround(position);
        if (index >= 0 && index < count) entry = index;
        position += step;
    }
    return entries;
}

int64_t framesPerSecond(int64_t storedFps) { return std::max<int64_t>(1, storedFps); }

std::optional<double> offsetForTime(int64_t milliseconds, int64_t fps, int64_t count) {
    if (count <= 0) return std::nullopt;
    const double total = (1.0 / static_cast<double>(framesPerSecond(fps))) * 1000.0 * static_cast<double>(count);
    return static_cast<double>(milliseconds) * (kFilmWidth / total);
}

double offsetForEntry(int64_t entry, int64_t count) {
    if (count <= 0) return 0.0;
    return static_cast<double>(entry) * kFilmWidth / static_cast<double>(count);
}

std::optional<int64_t> entryAtOffset(double offset, int64_t count) {
    if (count <= 0 || !std::isfinite(offset)) return std::nullopt;
    const double entry = std::round(offset / (kFilmWidth / static_cast<double>(count)));
    if (entry < 0 || entry >= static_cast<double>(count)) return std::nullopt;
    return static_cast<int64_t>(entry);
}

double millisecondsPerFrame(int64_t fps) {
    const float rate = static_cast<float>(framesPerSecond(fps));
    return (1.0 / static_cast<double>(rate)) * 1000.0;
}

namespace {
int64_t truncatedToInt64(double value) {
    if (!std::isfinite(value)) return 0;
    constexpr double kLimit = 9.2e18;  // inside int64_t, so the conversion is defined
    return static_cast<int64_t>(std::trunc(std::clamp(value, -kLimit, kLimit)));
}
}  // namespace

int64_t playbackDuration(double millisecondsPerFrame, int64_t count) {
    return truncatedToInt64(millisecondsPerFrame * static_cast<double>(count));
}

int64_t startTime(double millisecondsPerFrame, int64_t entry) {
    const float product = static_cast<float>(millisecondsPerFrame * static_cast<double>(static_cast<float>(entry)));
    return truncatedToInt64(static_cast<double>(product));
}

}  // namespace timeline
