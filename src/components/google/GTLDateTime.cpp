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

// Reads RFC 3339 text position by position: fixed-width digit fields and
// the single characters between them, never skipping anything.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool atEnd() const { return position_ == text_.size(); }

    // One character of the set; `found` receives it.
    bool character(std::string_view set, char* found = nullptr) {
        if (atEnd() || set.find(text_[position_]) == std::string_view::npos) return false;
        if (found) *found = text_[position_];
        ++position_;
        return true;
    }

    // Exactly `count` decimal digits.
    bool digits(size_t count, int64_t& out) {
        if (text_.size() - position_ < count) return false;
        int64_t value = 0;
        for (size_t i = 0; i < count; ++i) {
            const char c = text_[position_ + i];
            if (c < '0' || c > '9') return false;
            value = value * 10 + (c - '0');
        }
        position_ += count;
        out = value;
        return true;
    }

    // One or more digits after a decimal point, as thousandths of a second
    // rounded to the nearest; a fraction that rounds up to a whole second
    // stays within this one.
    bool fraction(int64_t& milliseconds) {
        size_t end = position_;
        while (end < text_.size() && text_[end] >= '0' && text_[end] <= '9') ++end;
        if (end == position_) return false;
        // Digits past the tenth change nothing that rounding to thousandths keeps.
        const std::string literal = "0." + std::string(text_.substr(position_, std::min<size_t>(end - position_, 10)));
        double value = 0;
        std::from_chars(literal.data(), literal.data() + literal.size(), value);
        milliseconds = std::min<int64_t>(std::llround(value * 1000.0), 999);
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
    // A full date, then nothing or a whole time: hours, minutes and seconds,
    // an optional fraction and an optional zone.
    const bool matched = [&] {
        if (!scan.digits(4, components.year) || !scan.character("-") || !scan.digits(2, components.month) ||
            !scan.character("-") || !scan.digits(2, components.day))
            return false;
        if (scan.atEnd()) return true;
        if (!scan.character("Tt ") || !scan.digits(2, components.hour) || !scan.character(":") ||
            !scan.digits(2, components.minute) || !scan.character(":") || !scan.digits(2, components.second))
            return false;
        if (scan.character(".") && !scan.fraction(milliseconds)) return false;
        if (scan.character("+-", &designator)) {
            if (!scan.digits(2, offsetHours) || !scan.character(":") || !scan.digits(2, offsetMinutes)) return false;
        } else {
            scan.character("Zz", &designator);
        }
        return scan.atEnd();
    }();
    if (!matched || !fieldsInRange(components) || offsetHours > 23 || offsetMinutes > 59) return false;

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
    // Fields that make no RFC 3339 text write none, rather than a text that
    // no reader takes ("2015-03-00").
    const GTLDateComponents& fields = components_;
    if (fields.year == kUndefined || fields.month == kUndefined || fields.day == kUndefined ||
        !fieldsInRange(fields))
        return {};
    if (hasTime() && (milliseconds_ < 0 || milliseconds_ > 999 ||
                      (!universalTime_ && offsetSeconds_ != kUnknownOffset &&
                       (offsetSeconds_ <= -kSecondsPerDay || offsetSeconds_ >= kSecondsPerDay))))
        return {};
    char buffer[128];
    std::string text;
    std::snprintf(buffer, sizeof buffer, "%04lld-%02lld-%02lld", static_cast<long long>(fields.year),
                  static_cast<long long>(fields.month), static_cast<long long>(fields.day));
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
