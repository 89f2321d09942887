#include "app/audio/TrimGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace trim {

namespace {

constexpr double kRange = kMaxValue - kMinValue;

std::string twoDigits(long value) {
    char text[24];
    std::snprintf(text, sizeof text, "%.2ld", value);
    return text;
}

}  // namespace

double secondsForPercent(double percent, double lengthSeconds) {
    return static_cast<float>(percent * lengthSeconds / 100.0);
}

double percentForSeconds(float seconds, float lengthSeconds) {
    if (!(lengthSeconds > 0) || !std::isfinite(seconds)) return 0;
    return static_cast<float>(seconds / lengthSeconds * 100.0f);
}

float handleX(double value, double width) {
    const auto x = static_cast<float>((width - kHandleWidth) * (value - kMinValue) / kRange);
    return std::isnan(x) ? 0.0f : x;
}

double percentDelta(double translation, double width) {
    const double track = width - kHandleWidth;
    if (!(track > 0)) return 0;
    return kRange * (translation / track);
}

std::optional<Values> stepLeft(Values values, double delta, double lengthSeconds, double maxAvailableSeconds) {
    const double newLeft = values.left + delta;
    const auto newLeftTime = static_cast<float>(newLeft * lengthSeconds / 100.0);
    const auto leftTime = static_cast<float>(values.left * lengthSeconds / 100.0);
    if (newLeftTime < leftTime) {
        const auto span = static_cast<float>((values.right + delta) * lengthSeconds / 100.0 - newLeftTime);
        if (span > maxAvailableSeconds) return std::nullopt;
    }
    values.left = std::max(newLeft, kMinValue);
    if (values.right - values.left < kMinimumGap) values.left = values.right - kSnapGap;
    return values;
}

std::optional<Values> stepRight(Values values, double delta, double lengthSeconds, double maxAvailableSeconds) {
    const double newRight = values.right + delta;
    const auto newRightTime = static_cast<float>(newRight * lengthSeconds / 100.0);
    const auto rightTime = static_cast<float>(values.right * lengthSeconds / 100.0);
    if (newRightTime > rightTime) {
        const auto span = static_cast<float>(newRightTime - (values.left + delta) * lengthSeconds / 100.0);
        if (span > maxAvailableSeconds) return std::nullopt;
    }
    values.right = std::min(newRight, kMaxValue);
    if (values.right - values.left < kMinimumGap) values.right = values.left + kSnapGap;
    return values;
}

BandStep stepBand(Values values, double delta) {
    if (values.left + delta < kMinValue) return {{kMinValue, values.right - values.left}, true};
    if (values.right + delta > kMaxValue) return {{kMaxValue - (values.right - values.left), kMaxValue}, true};
    return {{values.left + delta, values.right + delta}, false};
}

std::string timeText(float seconds, double lengthSeconds) {
    const auto minutes = static_cast<long>(std::floor(seconds / 60.0f));
    const auto wholeSeconds = static_cast<long>(seconds - static_cast<float>(minutes) * 60.0f);
    // The hundredths are the first two decimals of t; the small bias keeps
    // 12.34, stored as 12.3399…, from showing 33.
    const auto centis = static_cast<long>((seconds - std::floor(seconds)) * 100.0f + 1e-4f);
    if (lengthSeconds > 60) return twoDigits(minutes) + ":" + twoDigits(wholeSeconds);
    return twoDigits(wholeSeconds) + ":" + twoDigits(centis);
}

int64_t millisecondsForSeconds(double seconds) {
    if (!std::isfinite(seconds)) return 0;
    return static_cast<int64_t>(seconds * 1000.0);
}

}  // namespace trim
