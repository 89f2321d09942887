#pragma once

// A time in a media file: a count of units of 1/timescale second, as the
// platform keeps it, so times read from a file keep their exact value.
// A timescale of 0 marks an invalid time; positive infinity stands for
// "no limit" (the default tolerances of the image generator).

#include <compare>
#include <cstdint>

namespace media {

struct MediaTime {
    int64_t value = 0;
    int32_t timescale = 0;
    bool isPositiveInfinity = false;

    static constexpr MediaTime make(int64_t value, int32_t timescale) { return MediaTime{value, timescale, false}; }
    static constexpr MediaTime zero() { return make(0, 1); }
    static constexpr MediaTime invalid() { return MediaTime{}; }
    static constexpr MediaTime positiveInfinity() { return MediaTime{0, 1, true}; }
    // The nearest time of the preferred timescale (rounded half away from zero).
    static MediaTime fromSeconds(double seconds, int32_t preferredTimescale);

    bool isValid() const { return timescale > 0; }
    // Infinity for positive infinity; 0 for an invalid time.
    double seconds() const;

    // Compares the times they stand for, across timescales; an invalid time
    // sorts before every valid one.
    std::partial_ordering operator<=>(const MediaTime& other) const;
    bool operator==(const MediaTime& other) const { return (*this <=> other) == 0; }

    // Sum and difference of two valid, finite times: exact in a shared
    // timescale, else in the finer of the two (rounded half away from zero).
    // Anything else gives an invalid time.
    MediaTime operator+(const MediaTime& other) const;
    MediaTime operator-(const MediaTime& other) const;
    // The same time in another timescale, rounded half away from zero.
    MediaTime convertScale(int32_t newTimescale) const;
    // floor(seconds × rate): the sample frame at this time; 0 for an invalid time.
    int64_t framesAtRate(int rate) const;
};

// A span of media time (start and duration), as compositions place them.
struct TimeRange {
    MediaTime start = MediaTime::invalid();
    MediaTime duration = MediaTime::invalid();

    static TimeRange make(MediaTime start, MediaTime duration) { return TimeRange{start, duration}; }
    // Both times valid and finite, the duration zero or more.
    bool isValid() const;
    MediaTime end() const { return start + duration; }
};

}  // namespace media
