#include "platform/media/MediaTime.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace media {

MediaTime MediaTime::fromSeconds(double seconds, int32_t preferredTimescale) {
    if (preferredTimescale <= 0 || std::isnan(seconds)) return invalid();
    if (std::isinf(seconds) && seconds > 0) return positiveInfinity();
    return make(static_cast<int64_t>(std::llround(seconds * preferredTimescale)), preferredTimescale);
}

double MediaTime::seconds() const {
    if (isPositiveInfinity) return std::numeric_limits<double>::infinity();
    if (!isValid()) return 0;
    return static_cast<double>(value) / timescale;
}

std::partial_ordering MediaTime::operator<=>(const MediaTime& other) const {
    if (isValid() != other.isValid()) return isValid() ? std::partial_ordering::greater : std::partial_ordering::less;
    if (!isValid()) return std::partial_ordering::equivalent;
    if (isPositiveInfinity || other.isPositiveInfinity)
        return int(isPositiveInfinity) <=> int(other.isPositiveInfinity);
    // value/timescale against other.value/other.timescale without rounding.
    const __int128 left = static_cast<__int128>(value) * other.timescale;
    const __int128 right = static_cast<__int128>(other.value) * timescale;
    if (left < right) return std::partial_ordering::less;
    if (left > right) return std::partial_ordering::greater;
    return std::partial_ordering::equivalent;
}

namespace {

bool isNumeric(const MediaTime& time) { return time.isValid() && !time.isPositiveInfinity; }

// value × to / from, rounded half away from zero.
int64_t rescaled(int64_t value, int32_t from, int32_t to) {
    const __int128 scaled = static_cast<__int128>(value) * to;
    const __int128 half = from / 2;
    return static_cast<int64_t>(scaled >= 0 ? (scaled + half) / from : (scaled - half) / from);
}

MediaTime combine(const MediaTime& left, const MediaTime& right, int sign) {
    if (!isNumeric(left) || !isNumeric(right)) return MediaTime::invalid();
    const int32_t timescale = std::max(left.timescale, right.timescale);
    const int64_t a = rescaled(left.value, left.timescale, timescale);
    const int64_t b = rescaled(right.value, right.timescale, timescale);
    return MediaTime::make(sign > 0 ? a + b : a - b, timescale);
}

}  // namespace

MediaTime MediaTime::operator+(const MediaTime& other) const { return combine(*this, other, 1); }

MediaTime MediaTime::operator-(const MediaTime& other) const { return combine(*this, other, -1); }

MediaTime MediaTime::convertScale(int32_t newTimescale) const {
    if (!isNumeric(*this) || newTimescale <= 0) return *this;
    return make(rescaled(value, timescale, newTimescale), newTimescale);
}

int64_t MediaTime::framesAtRate(int rate) const {
    if (!isNumeric(*this) || rate <= 0) return 0;
    const __int128 scaled = static_cast<__int128>(value) * rate;
    // Floor, also for negative times.
    __int128 frames = scaled / timescale;
    if (scaled % timescale != 0 && scaled < 0) --frames;
    return static_cast<int64_t>(frames);
}

bool TimeRange::isValid() const { return isNumeric(start) && isNumeric(duration) && duration >= MediaTime::zero(); }

}  // namespace media
