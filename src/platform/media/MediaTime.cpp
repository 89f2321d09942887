#include "platform/media/MediaTime.h"

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

}  // namespace media
