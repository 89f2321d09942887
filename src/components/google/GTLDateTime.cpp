#include "components/google/GTLDateTime.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace google {

namespace {

constexpr int64_t kUndefined = GTLDateComponents::kUndefined;

// Days from 1970-01-01 to a proleptic Gregorian date; the fields must be in
// range (fieldsInRange), or the arithmetic may overflow.
constexpr int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kLastYear = 9999;
// Julian day number of 1970-01-01.
constexpr int64_t kJulianDayOfUnixEpoch = 2440588;
// Moments from 0000-01-01 to the end of 9999 in UTC, with a day to spare on
// either side for the zone the fields are taken in.
constexpr double kEarliestSeconds = double((daysFromCivil(0, 1, 1) - 1) * kSecondsPerDay);
constexpr double kLatestSeconds = double((daysFromCivil(kLastYear + 1, 1, 1) + 1) * kSecondsPerDay);

int64_t fieldOr(int64_t field, int64_t fallback) { return field == kUndefined ? fallback : field; }

bool isLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int64_t daysInMonth(int64_t year, int64_t month) {
    static constexpr int64_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool givenWithin(int64_t field, int64_t lowest, int64_t highest) {
    return field == kUndefined || (field >= lowest && field <= highest);
}

// Whether the given fields are ones RFC 3339 text can hold: years 0000 to
// 9999, a day that its month has, hours 0-23, minutes 0-59 and seconds 0-60
// (60 for a leap second). Only such fields are turned into moments.
bool fieldsInRange(const GTLDateComponents& fields) {
    if (!givenWithin(fields.year, 0, kLastYear) || !givenWithin(fields.month, 1, 12) ||
        !givenWithin(fields.hour, 0, 23) || !givenWithin(fields.minute, 0, 59) || !givenWithin(fields.second, 0, 60))
        return false;
    return givenWithin(fields.day, 1, daysInMonth(fieldOr(fields.year, 1), fieldOr(fields.month, 1)));
}

bool isUniversalZone(const QTimeZone& zone) {
    static const QByteArray kNames[] = {"UTC", "Universal", "Etc/UTC", "Etc/Universal", "Zulu", "Etc/Zulu"};
    return std::find(std::begin(kNames), std::end(kNames), zone.id()) != std::end(kNames);
}

constexpr int64_t kTooLarge = 1'000'000'000;

// Reads characters of one class, in order, never skipping any.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool charactersFrom(std::string_view set, char* first = nullptr) {
        size_t end = position_;
        while (end < text_.size() && set.find(text_[end]) != std::string_view::npos) ++end;
        if (end == position_) return false;
        if (first) *first = text_[position_];
        position_ = end;
        return true;
    }

    // Decimal digits. A number past every field's range reads as kTooLarge,
    // so that it is refused however many digits it has.
    bool integer(int64_t& out) {
        const char* begin = text_.data() + position_;
        const char* end = text_.data() + text_.size();
        const char* digitsEnd = begin;
        while (digitsEnd < end && *digitsEnd >= '0' && *digitsEnd <= '9') ++digitsEnd;
        if (digitsEnd == begin) return false;
        int64_t value = 0;
        out = std::from_chars(begin, digitsEnd, value).ec == std::errc() ? std::min(value, kTooLarge) : kTooLarge;
        position_ += static_cast<size_t>(digitsEnd - begin);
        return true;
    }

    // Digits with an optional fraction ("30", "30.25", "30.").
    bool decimal(double& out) {
        size_t end = position_;
        while (end < text_.size() && text_[end] >= '0' && text_[end] <= '9') ++end;
        if (end == position_) return false;
        if (end < text_.size() && text_[end] == '.') {
            ++end;
            while (end < text_.size() && text_[end] >= '0' && text_[end] <= '9') ++end;
        }
        std::string literal(text_.substr(position_, end - position_));
        if (literal.back() == '.') literal.pop_back();
        double value = 0;
        const auto result = std::from_chars(literal.data(), literal.data() + literal.size(), value);
        if (result.ec != std::errc() || !std::isfinite(value)) return false;
        out = value;
        position_ = end;
        return true;
    }

private:
    std::string_view text_;
    size_t position_ = 0;
};

}  // namespace

GTLDateTimePtr GTLDateTime::dateTimeWithRFC3339String(std::optional<std::string_view> text) {
    if (!text) return nullptr;
    auto dateTime = std::make_shared<GTLDateTime>();
    if (!dateTime->setFromRFC3339String(*text)) return nullptr;
    return dateTime;
}

GTLDateTimePtr GTLDateTime::dateTimeWithDate(std::optional<Date> date, std::optional<QTimeZone> timeZone) {
    if (!date) return nullptr;
    auto dateTime = std::make_shared<GTLDateTime>();
    if (!dateTime->setFromDate(*date, std::move(timeZone))) return nullptr;
    return dateTime;
}

GTLDateTimePtr GTLDateTime::dateTimeForAllDayWithDate(std::optional<Date> date) {
    GTLDateTimePtr dateTime = dateTimeWithDate(date, std::nullopt);
    if (dateTime) dateTime->setHasTime(false);
    return dateTime;
}

GTLDateTimePtr GTLDateTime::dateTimeWithDateComponents(const GTLDateComponents& components) {
    GTLDateTime fields;
    fields.components_ = components;
    fields.components_.timeZone.reset();
    fields.timeZone_ = components.timeZone;
    if (!fields.hasTime()) fields.setHasTime(true);
    return dateTimeWithDate(fields.date(), components.timeZone);
}

bool GTLDateTime::setFromRFC3339String(std::string_view text) {
    GTLDateComponents components;
    int64_t milliseconds = 0;
    char designator = 0;
    int64_t offsetHours = 0;
    int64_t offsetMinutes = 0;

    Scanner scan(text);
    int64_t value = 0;
    double seconds = 0;
    // Each field is kept as soon as it is read; the first miss ends the scan.
    [&] {
        if (!scan.integer(value)) return;
        components.year = value;
        if (!scan.charactersFrom("-") || !scan.integer(value)) return;
        components.month = value;
        if (!scan.charactersFrom("-") || !scan.integer(value)) return;
        components.day = value;
        if (!scan.charactersFrom("Tt ") || !scan.integer(value)) return;
        components.hour = value;
        if (!scan.charactersFrom(":") || !scan.integer(value)) return;
        components.minute = value;
        if (!scan.charactersFrom(":") || !scan.decimal(seconds)) return;
        if (seconds >= 61.0) {
            components.second = 61;  // past a leap second: refused below
            return;
        }
        const double whole = std::floor(seconds);
        components.second = static_cast<int64_t>(whole);
        // A fraction that rounds up to a whole second stays within this one.
        milliseconds = std::min<int64_t>(std::llround((seconds - whole) * 1000.0), 999);
        if (!scan.charactersFrom("+-zZ", &designator) || !scan.integer(value)) return;
        offsetHours = value;
        if (!scan.charactersFrom(":") || !scan.integer(value)) return;
        offsetMinutes = value;
    }();
    if (!fieldsInRange(components) || offsetHours > 23 || offsetMinutes > 59) return false;

    components_ = components;
    milliseconds_ = milliseconds;
    timeZone_.reset();
    universalTime_ = false;
    offsetSeconds_ = kUnknownOffset;
    if (designator == 'Z' || designator == 'z') {
        universalTime_ = true;
        offsetSeconds_ = 0;
    } else if (designator == '+' || designator == '-') {
        const int64_t magnitude = offsetHours * 3600 + offsetMinutes * 60;
        if (designator == '+') {
            offsetSeconds_ = magnitude;
        } else if (magnitude != 0) {
            offsetSeconds_ = -magnitude;
        }
    }
    return true;
}

bool GTLDateTime::setFromDate(Date date, std::optional<QTimeZone> timeZone) {
    const double unixSeconds = date.unixTime();
    // Checked before any conversion: NaN and moments far outside the years
    // the fields hold would not fit the integers below.
    if (!(unixSeconds > kEarliestSeconds && unixSeconds < kLatestSeconds)) return false;
    const double wholeSeconds = std::floor(unixSeconds);
    const QTimeZone zone = timeZone && timeZone->isValid() ? *timeZone : QTimeZone::systemTimeZone();
    const QDateTime moment = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(wholeSeconds), zone);

    GTLDateComponents fields;
    // Qt counts 1 BC as year -1; the fields count it as year 0.
    fields.year = moment.date().year() < 0 ? moment.date().year() + 1 : moment.date().year();
    fields.month = moment.date().month();
    fields.day = moment.date().day();
    fields.hour = moment.time().hour();
    fields.minute = moment.time().minute();
    fields.second = moment.time().second();
    if (!moment.isValid() || !fieldsInRange(fields)) return false;
    components_ = fields;
    milliseconds_ = std::min<int64_t>(std::llround((unixSeconds - wholeSeconds) * 1000.0), 999);
    universalTime_ = false;
    offsetSeconds_ = timeZone ? zone.offsetFromUtc(moment) : kUnknownOffset;
    if (timeZone && offsetSeconds_ == 0 && isUniversalZone(*timeZone)) universalTime_ = true;
    timeZone_ = std::move(timeZone);
    return true;
}

std::string GTLDateTime::RFC3339String() const {
    char buffer[128];
    std::string text;
    std::snprintf(buffer, sizeof buffer, "%04lld-%02lld-%02lld", static_cast<long long>(fieldOr(components_.year, 0)),
                  static_cast<long long>(fieldOr(components_.month, 0)),
                  static_cast<long long>(fieldOr(components_.day, 0)));
    text = buffer;
    if (!hasTime()) return text;
    std::snprintf(buffer, sizeof buffer, "T%02lld:%02lld:%02lld", static_cast<long long>(components_.hour),
                  static_cast<long long>(components_.minute), static_cast<long long>(fieldOr(components_.second, 0)));
    text += buffer;
    if (milliseconds_ > 0) {
        std::snprintf(buffer, sizeof buffer, ".%03lld", static_cast<long long>(milliseconds_));
        text += buffer;
    }
    if (universalTime_) {
        text += "Z";
    } else if (offsetSeconds_ != kUnknownOffset) {
        // The sign comes from the offset and the digits from its magnitude:
        // -08:00 stays -08:00 rather than turning into a negative hour count.
        const uint64_t magnitude =
            offsetSeconds_ < 0 ? 0 - static_cast<uint64_t>(offsetSeconds_) : static_cast<uint64_t>(offsetSeconds_);
        std::snprintf(buffer, sizeof buffer, "%c%02llu:%02llu", offsetSeconds_ < 0 ? '-' : '+',
                      static_cast<unsigned long long>(magnitude / 3600 % 24),
                      static_cast<unsigned long long>(magnitude / 60 % 60));
        text += buffer;
    } else {
        text += "-00:00";
    }
    return text;
}

std::string GTLDateTime::description() const {
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    return "GTLDateTime " + std::string(address) + ": {" + RFC3339String() + "}";
}

std::optional<Date> GTLDateTime::date() const {
    if (!fieldsInRange(components_)) return std::nullopt;
    const int64_t year = fieldOr(components_.year, 1);
    const int64_t month = fieldOr(components_.month, 1);
    const int64_t day = fieldOr(components_.day, 1);
    const int64_t days = daysFromCivil(year, month, day);
    if (!hasTime()) return Date::fromUnixTime(static_cast<double>(days * kSecondsPerDay + 12 * 3600));

    const int64_t secondOfDay = components_.hour * 3600 + components_.minute * 60 + fieldOr(components_.second, 0);
    const double fraction = milliseconds_ > 0 ? static_cast<double>(milliseconds_) / 1000.0 : 0.0;
    const std::optional<QTimeZone> zone = timeZone();
    if (!timeZone_ && zone) {
        // A fixed offset (or UTC): plain arithmetic, also for offsets the
        // platform's zones do not cover.
        const int64_t offset = universalTime_ ? 0 : offsetSeconds_;
        return Date::fromUnixTime(static_cast<double>(days * kSecondsPerDay + secondOfDay - offset) + fraction);
    }
    const QTimeZone calendarZone = zone && zone->isValid() ? *zone : QTimeZone::systemTimeZone();
    // By day number, which also covers the year 0 that Qt's years skip.
    const QDateTime moment(QDate::fromJulianDay(days + kJulianDayOfUnixEpoch), QTime(0, 0), calendarZone);
    return Date::fromUnixTime(static_cast<double>(moment.toSecsSinceEpoch() + secondOfDay) + fraction);
}

std::optional<QTimeZone> GTLDateTime::timeZone() const {
    if (timeZone_) return timeZone_;
    if (universalTime_) return QTimeZone::utc();
    if (offsetSeconds_ != kUnknownOffset && offsetSeconds_ > -86400 && offsetSeconds_ < 86400) {
        return QTimeZone(static_cast<int>(offsetSeconds_));
    }
    return std::nullopt;
}

void GTLDateTime::setTimeZone(std::optional<QTimeZone> timeZone) {
    timeZone_ = std::move(timeZone);
    if (!timeZone_) {
        offsetSeconds_ = kUnknownOffset;
        return;
    }
    const std::optional<Date> moment = date();
    if (!moment) {
        offsetSeconds_ = kUnknownOffset;
        return;
    }
    offsetSeconds_ = timeZone_->offsetFromUtc(
        QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::floor(moment->unixTime())), QTimeZone::utc()));
}

bool GTLDateTime::hasTime() const { return components_.hour != kUndefined && components_.minute != kUndefined; }

void GTLDateTime::setHasTime(bool hasTime) {
    if (hasTime && !this->hasTime()) {
        components_.hour = 0;
        components_.minute = 0;
        components_.second = 0;
        milliseconds_ = 0;
        offsetSeconds_ = kUnknownOffset;
        universalTime_ = false;
    } else if (!hasTime && this->hasTime()) {
        components_.hour = kUndefined;
        components_.minute = kUndefined;
        components_.second = kUndefined;
        milliseconds_ = 0;
        offsetSeconds_ = kUnknownOffset;
        universalTime_ = false;
        timeZone_.reset();
    }
}

bool GTLDateTime::isEqual(const GTLDateTime& other) const {
    return components_ == other.components_ && timeZone_ == other.timeZone_ && offsetSeconds_ == other.offsetSeconds_ &&
           universalTime_ == other.universalTime_ && milliseconds_ == other.milliseconds_;
}

}  // namespace google
