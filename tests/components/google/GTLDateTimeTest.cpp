#include "components/google/GTLDateTime.h"

#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using google::GTLDateComponents;
using google::GTLDateTime;

namespace {

constexpr int64_t kUnknown = GTLDateTime::kUnknownOffset;
constexpr int64_t kNotGiven = GTLDateComponents::kUndefined;

GTLDateComponents fields(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute, int64_t second) {
    GTLDateComponents components;
    components.year = year;
    components.month = month;
    components.day = day;
    components.hour = hour;
    components.minute = minute;
    components.second = second;
    return components;
}

struct ParseCase {
    std::string text;
    int64_t hour;
    int64_t second;
    int64_t milliseconds;
    int64_t offset;
    bool universal;
    std::string written;
};

}  // namespace

TEST(GTLDateTime, ParsesAndWritesBack) {
    const ParseCase cases[] = {
        {"2013-05-01T10:20:30.250Z", 10, 30, 250, 0, true, "2013-05-01T10:20:30.250Z"},
        {"2013-05-01T10:20:30+05:30", 10, 30, 0, 19800, false, "2013-05-01T10:20:30+05:30"},
        {"2013-05-01T10:20:30-08:00", 10, 30, 0, -28800, false, "2013-05-01T10:20:30-08:00"},
        {"2013-05-01T10:20:30-03:45", 10, 30, 0, -13500, false, "2013-05-01T10:20:30-03:45"},
        {"2013-05-01T10:20:30-00:00", 10, 30, 0, kUnknown, false, "2013-05-01T10:20:30-00:00"},
        {"2013-05-01T10:20:30", 10, 30, 0, kUnknown, false, "2013-05-01T10:20:30-00:00"},
        {"2013-05-01t10:20:30z", 10, 30, 0, 0, true, "2013-05-01T10:20:30Z"},
        {"2013-05-01 10:20:30Z", 10, 30, 0, 0, true, "2013-05-01T10:20:30Z"},
        {"2013-05-01T10:20:30.005Z", 10, 30, 5, 0, true, "2013-05-01T10:20:30.005Z"},
        {"2013-05-01T10:20:30.000Z", 10, 30, 0, 0, true, "2013-05-01T10:20:30Z"},
        // A fraction that rounds to a whole second stays inside the second.
        {"2013-05-01T10:20:30.9996Z", 10, 30, 999, 0, true, "2013-05-01T10:20:30.999Z"},
        {"2013-05-01", kNotGiven, kNotGiven, 0, kUnknown, false, "2013-05-01"},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.text);
        auto value = GTLDateTime::dateTimeWithRFC3339String(c.text);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->dateComponents().year, 2013);
        EXPECT_EQ(value->dateComponents().day, 1);
        EXPECT_EQ(value->dateComponents().hour, c.hour);
        EXPECT_EQ(value->dateComponents().second, c.second);
        EXPECT_EQ(value->milliseconds(), c.milliseconds);
        EXPECT_EQ(value->offsetSeconds(), c.offset);
        EXPECT_EQ(value->isUniversalTime(), c.universal);
        EXPECT_EQ(value->RFC3339String(), c.written);
    }
}

TEST(GTLDateTime, TextThatIsNotAnRFC3339DateTimeIsRefused) {
    for (const char* text : {"", "yesterday", "-5", "2015", "2015-03", "2015-03-0", "2013-05-01T", "2013-05-01T10",
                             "2013-05-01T10:20", "2013-05-01T10:20Z", "2013-05-01T10:20:3Z", "2013-5-01", "2013-05-1",
                             "13-05-01", "+2013-05-01", "2013--05-01", "2013-05-01TT10:20:30Z", "2013-05-01T10::20:30Z",
                             "2013-05-01T10:20:30.Z", "2013-05-01T10:20:30,5Z", "2013-05-01T10:20:30+05",
                             "2013-05-01T10:20:30+0530", "2013-05-01T10:20:30-", "2013-05-01T10:20:30ZZ",
                             "2013-05-01T10:20:30Z ", " 2013-05-01", "2013-05-01 ", "2013-05-01x", "2013-05-01\n",
                             "2013-05-01T10:20:30+05:30:00"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(GTLDateTime::dateTimeWithRFC3339String(text));
    }
    EXPECT_FALSE(GTLDateTime::dateTimeWithRFC3339String(std::string_view("2013-05-01\0", 11)));
    EXPECT_FALSE(GTLDateTime::dateTimeWithRFC3339String(std::nullopt));
    EXPECT_FALSE(GTLDateTime::dateTimeWithDate(std::nullopt, std::nullopt));
}

// What a value writes reads back as an equal value writing the same text,
// whether it was read or made from a moment, a day or fields.
TEST(GTLDateTime, WhatIsWrittenReadsBackEqual) {
    std::vector<google::GTLDateTimePtr> values;
    for (const char* text : {"2013-05-01", "0000-01-01", "9999-12-31", "2012-02-29", "2013-05-01T00:00:00Z",
                             "2013-05-01T10:20:30.250Z", "2013-05-01T10:20:30.005z", "2013-05-01T10:20:30.5+05:30",
                             "2013-05-01t10:20:30.123456789-08:00", "2013-05-01 10:20:30.9996Z",
                             "2013-05-01T10:20:30+00:00", "2013-05-01T10:20:30-00:00", "2013-05-01T10:20:30",
                             "2013-05-01T23:59:59+23:59", "2013-05-01T00:00:00-23:59", "2016-12-31T23:59:60Z"})
        values.push_back(GTLDateTime::dateTimeWithRFC3339String(text));
    const auto moment = foundation::Date::fromUnixTime(1367403630.25);
    values.push_back(GTLDateTime::dateTimeWithDate(moment, std::nullopt));
    for (const QTimeZone& zone : {QTimeZone::utc(), QTimeZone(19800), QTimeZone(-28800), QTimeZone("Europe/Berlin")})
        values.push_back(GTLDateTime::dateTimeWithDate(moment, zone));
    values.push_back(GTLDateTime::dateTimeForAllDayWithDate(moment));
    values.push_back(GTLDateTime::dateTimeWithDateComponents(fields(2013, 5, 1, 10, 20, 30)));
    auto midnight = GTLDateTime::dateTimeWithRFC3339String("2013-05-01");
    midnight->setHasTime(true);
    values.push_back(midnight);

    for (const auto& value : values) {
        ASSERT_TRUE(value);
        const std::string text = value->RFC3339String();
        SCOPED_TRACE(text);
        auto reread = GTLDateTime::dateTimeWithRFC3339String(text);
        ASSERT_TRUE(reread);
        EXPECT_EQ(reread->RFC3339String(), text);
        EXPECT_EQ(reread->hasTime(), value->hasTime());
        ASSERT_TRUE(reread->date());
        EXPECT_DOUBLE_EQ(reread->date()->unixTime(), value->date()->unixTime());
        // Text names no zone, only its offset at the moment: apart from a
        // zone it was made in, the value reads back as it was.
        auto plain = std::make_shared<GTLDateTime>(*value);
        plain->setTimeZone(std::nullopt);
        plain->setOffsetSeconds(value->offsetSeconds());
        EXPECT_EQ(*reread, *plain);
    }
}

// Fields set by hand that make no RFC 3339 text write none, rather than
// a text the reader refuses.
TEST(GTLDateTime, FieldsThatMakeNoTextWriteNone) {
    for (const GTLDateComponents& components :
         {fields(2015, 3, kNotGiven, kNotGiven, kNotGiven, kNotGiven), GTLDateComponents{},
          fields(2015, 2, 29, kNotGiven, kNotGiven, kNotGiven), fields(2015, 3, 1, 25, 0, 0)}) {
        GTLDateTime value;
        value.setDateComponents(components);
        EXPECT_EQ(value.RFC3339String(), "");
    }
    auto value = GTLDateTime::dateTimeWithRFC3339String("2013-05-01T10:20:30Z");
    value->setMilliseconds(1000);
    EXPECT_EQ(value->RFC3339String(), "");
    value->setMilliseconds(0);
    value->setUniversalTime(false);
    value->setOffsetSeconds(86400);
    EXPECT_EQ(value->RFC3339String(), "");
    value->setOffsetSeconds(-86340);
    EXPECT_EQ(value->RFC3339String(), "2013-05-01T10:20:30-23:59");
}

// Fields beyond what the text form can hold are refused, however many
// digits they have: none of them becomes a value, nor a moment.
TEST(GTLDateTime, OutOfRangeFieldsAreRefused) {
    const std::string huge(97, '9');
    for (const std::string& text : {
             std::string("10000-01-01"),
             std::string("99999999999999999999-01-01"),
             std::string("9223372036854775807-01-01"),
             std::string("2013-9223372036854775806-01"),
             std::string("2013-00-01"),
             std::string("2013-13-01"),
             std::string("2013-05-00"),
             std::string("2013-04-31"),
             std::string("2013-02-29"),
             std::string("1900-02-29"),
             std::string("2013-05-01T24:00:00Z"),
             std::string("2013-05-01T10:60:00Z"),
             std::string("2013-05-01T10:20:61Z"),
             std::string("2013-05-01T10:20:") + huge + "Z",
             std::string("2013-05-01T10:20:30+24:00"),
             std::string("2013-05-01T10:20:30-05:60"),
             std::string("2013-05-01T10:20:30+") + huge + ":00",
         }) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(GTLDateTime::dateTimeWithRFC3339String(text));
    }

    // The edges themselves are values, with the moments they name.
    struct Edge {
        const char* text;
        double unixTime;
    };
    for (const Edge& edge :
         {Edge{"0000-01-01T00:00:00Z", -62167219200.0}, Edge{"9999-12-31T23:59:59Z", 253402300799.0},
          Edge{"2012-02-29T00:00:00Z", 1330473600.0}, Edge{"2000-02-29T00:00:00Z", 951782400.0},
          Edge{"2016-12-31T23:59:60Z", 1483228800.0}, Edge{"2013-05-01T23:59:00+23:59", 1367452740.0 - 86340}}) {
        SCOPED_TRACE(edge.text);
        auto value = GTLDateTime::dateTimeWithRFC3339String(edge.text);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->RFC3339String(), edge.text);
        ASSERT_TRUE(value->date());
        EXPECT_DOUBLE_EQ(value->date()->unixTime(), edge.unixTime);
    }

    // Fields set by hand make no moment while out of range.
    const int64_t huge64 = 9223372036854775806;
    const GTLDateComponents far = fields(huge64, huge64, huge64, 1, 2, kNotGiven);
    EXPECT_FALSE(GTLDateTime::dateTimeWithDateComponents(far));
    auto value = GTLDateTime::dateTimeWithRFC3339String("2013-05-01");
    value->setDateComponents(far);
    EXPECT_FALSE(value->date());
    value->setTimeZone(QTimeZone(3600));
    EXPECT_EQ(value->offsetSeconds(), kUnknown);

    // Moments past the years the fields hold, and no number at all.
    for (double seconds : {6.3e96, -6.3e96, 253402387200.0 + 86400, -62167219200.0 - 86400,
                           std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(seconds);
        EXPECT_FALSE(GTLDateTime::dateTimeWithDate(foundation::Date::fromUnixTime(seconds), QTimeZone::utc()));
    }
    auto earliest = GTLDateTime::dateTimeWithDate(foundation::Date::fromUnixTime(-62167219200.0), QTimeZone::utc());
    ASSERT_TRUE(earliest);
    EXPECT_EQ(earliest->RFC3339String(), "0000-01-01T00:00:00Z");
}

TEST(GTLDateTime, MomentsFollowTheZoneOrOffset) {
    struct Case {
        std::string text;
        double unixTime;
    };
    const Case cases[] = {
        {"2013-05-01", 1367409600.0},  // noon UTC of the day
        {"2013-05-01T10:20:30.250Z", 1367403630.25},
        {"2013-05-01T10:20:30+05:30", 1367403630.0 - 19800},
        {"2013-05-01T10:20:30-08:00", 1367403630.0 + 28800},
        {"1969-12-31T23:59:59Z", -1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(GTLDateTime::dateTimeWithRFC3339String(c.text)->date()->unixTime(), c.unixTime);
    }
}

TEST(GTLDateTime, FromADateInAZone) {
    const auto date = foundation::Date::fromUnixTime(1367403630.9996);
    auto universal = GTLDateTime::dateTimeWithDate(date, QTimeZone::utc());
    EXPECT_EQ(universal->RFC3339String(), "2013-05-01T10:20:30.999Z");
    EXPECT_TRUE(universal->isUniversalTime());

    auto pacific = GTLDateTime::dateTimeWithDate(foundation::Date::fromUnixTime(1367403630), QTimeZone(-28800));
    EXPECT_EQ(pacific->RFC3339String(), "2013-05-01T02:20:30-08:00");
    EXPECT_EQ(pacific->offsetSeconds(), -28800);
    EXPECT_DOUBLE_EQ(pacific->date()->unixTime(), 1367403630);

    auto named = GTLDateTime::dateTimeWithDate(foundation::Date::fromUnixTime(1367403630), QTimeZone("Europe/Berlin"));
    EXPECT_EQ(named->RFC3339String(), "2013-05-01T12:20:30+02:00");
    EXPECT_DOUBLE_EQ(named->date()->unixTime(), 1367403630);

    GTLDateComponents components = fields(2013, 5, 1, 10, 20, 30);
    components.timeZone = QTimeZone::utc();
    EXPECT_EQ(GTLDateTime::dateTimeWithDateComponents(components)->RFC3339String(), "2013-05-01T10:20:30Z");
}

TEST(GTLDateTime, HasTimeTogglesAndEquality) {
    auto day = GTLDateTime::dateTimeWithRFC3339String("2013-05-01");
    day->setHasTime(true);
    EXPECT_EQ(day->RFC3339String(), "2013-05-01T00:00:00-00:00");
    EXPECT_EQ(day->offsetSeconds(), kUnknown);

    auto time = GTLDateTime::dateTimeWithRFC3339String("2013-05-01T10:20:30.250+05:30");
    time->setHasTime(false);
    EXPECT_EQ(time->RFC3339String(), "2013-05-01");
    EXPECT_EQ(time->milliseconds(), 0);
    EXPECT_EQ(*time, *GTLDateTime::dateTimeWithRFC3339String("2013-05-01"));
    EXPECT_FALSE(*time == *GTLDateTime::dateTimeWithRFC3339String("2013-05-02"));
    EXPECT_FALSE(*GTLDateTime::dateTimeWithRFC3339String("2013-05-01T10:20:30Z") ==
                 *GTLDateTime::dateTimeWithRFC3339String("2013-05-01T10:20:30+00:00"));

    auto zoned = GTLDateTime::dateTimeWithRFC3339String("2013-05-01T10:20:30Z");
    zoned->setTimeZone(QTimeZone(3600));
    EXPECT_EQ(zoned->offsetSeconds(), 3600);
    zoned->setTimeZone(std::nullopt);
    EXPECT_EQ(zoned->offsetSeconds(), kUnknown);
    EXPECT_NE(zoned->description().find(": {2013-05-01T10:20:30Z}"), std::string::npos);
}
