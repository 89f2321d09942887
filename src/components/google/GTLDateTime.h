#pragma once

// A date-time as RFC 3339 text writes it: calendar fields, milliseconds and
// what the text said of the zone (universal time, a numeric offset, or no
// known offset), so a value read from a reply is written back unchanged. A
// value without hour and minute is a date without a time (an all-day value).

#include "platform/foundation/Value.h"

#include <QTimeZone>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace google {

using foundation::Date;

// Calendar fields; a field that is not given holds kUndefined.
struct GTLDateComponents {
    static constexpr int64_t kUndefined = std::numeric_limits<int64_t>::max();

    int64_t year = kUndefined;
    int64_t month = kUndefined;
    int64_t day = kUndefined;
    int64_t hour = kUndefined;
    int64_t minute = kUndefined;
    int64_t second = kUndefined;
    // The zone the fields are meant in, when the caller names one.
    std::optional<QTimeZone> timeZone;

    bool operator==(const GTLDateComponents&) const = default;
};

class GTLDateTime;
using GTLDateTimePtr = std::shared_ptr<GTLDateTime>;

class GTLDateTime {
public:
    // The offset that means "not known".
    static constexpr int64_t kUnknownOffset = std::numeric_limits<int64_t>::max();

    // Reads an RFC 3339 date-time ("2013-05-01T10:20:30.250+05:30"), or a
    // date alone ("2013-05-01"), which is a value without a time. "t" or a
    // blank may stand for "T" and "z" for "Z"; a time without a zone, like
    // one with "-00:00", has no known offset. Any other text gives no value:
    // no text, the empty one, a time without seconds, anything left over,
    // and fields out of range (a day its month does not have, an hour past
    // 23, a minute past 59, a second past 60, an offset of 24 hours or more).
    // What a value writes reads back as an equal value.
    static GTLDateTimePtr dateTimeWithRFC3339String(std::optional<std::string_view> text);
    // The fields of the moment in the zone (the device's zone when none);
    // none for a moment outside the years 0000 to 9999.
    static GTLDateTimePtr dateTimeWithDate(std::optional<Date> date, std::optional<QTimeZone> timeZone);
    // The day of the moment in the device's zone, without a time.
    static GTLDateTimePtr dateTimeForAllDayWithDate(std::optional<Date> date);
    // The moment the fields make in their own zone (the device's when none);
    // none for fields out of range.
    static GTLDateTimePtr dateTimeWithDateComponents(const GTLDateComponents& components);

    // The value as RFC 3339 text; empty for fields that make none (a date
    // not fully given or out of range, milliseconds outside 0 to 999, an
    // offset of a day or more), which no reader would take back.
    std::string RFC3339String() const;
    std::string stringValue() const { return RFC3339String(); }
    std::string description() const;

    // Without a time, noon UTC of the day; with one, the fields read in
    // timeZone() (the device's zone when that is none) plus the milliseconds.
    // None while the fields are out of range (see dateTimeWithRFC3339String).
    std::optional<Date> date() const;

    // The stored zone; else UTC for universal time; else a fixed zone of the
    // known offset; else none.
    std::optional<QTimeZone> timeZone() const;
    // Stores the zone and takes its offset at this value's moment (no zone,
    // or no moment: the offset becomes not known).
    void setTimeZone(std::optional<QTimeZone> timeZone);

    bool hasTime() const;
    // On a value without a time: midnight, offset not known, not universal.
    // Off on a value with a time: hour, minute and second not given, the zone
    // and offset forgotten.
    void setHasTime(bool hasTime);

    const GTLDateComponents& dateComponents() const { return components_; }
    void setDateComponents(const GTLDateComponents& components) { components_ = components; }
    int64_t milliseconds() const { return milliseconds_; }
    void setMilliseconds(int64_t milliseconds) { milliseconds_ = milliseconds; }
    int64_t offsetSeconds() const { return offsetSeconds_; }
    void setOffsetSeconds(int64_t offsetSeconds) { offsetSeconds_ = offsetSeconds; }
    bool isUniversalTime() const { return universalTime_; }
    void setUniversalTime(bool universalTime) { universalTime_ = universalTime; }

    // Equal fields, zones (two absent zones are equal), offsets, universal
    // flags and milliseconds.
    bool isEqual(const GTLDateTime& other) const;
    bool operator==(const GTLDateTime& other) const { return isEqual(other); }

private:
    // False, changing nothing, for text that is not an RFC 3339 date-time.
    bool setFromRFC3339String(std::string_view text);
    bool setFromDate(Date date, std::optional<QTimeZone> timeZone);

    GTLDateComponents components_;
    int64_t milliseconds_ = 0;
    int64_t offsetSeconds_ = kUnknownOffset;
    bool universalTime_ = false;
    std::optional<QTimeZone> timeZone_;
};

}  // namespace google
