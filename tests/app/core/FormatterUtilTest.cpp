#include "app/core/FormatterUtil.h"
#include "support/ScopedEnvironment.h"

#include <cmath>
#include <ctime>
#include <gtest/gtest.h>
#include <limits>

TEST(FormatterUtilTime, MinutesAndSecondsFromOneMinuteOn) {
    EXPECT_EQ(FormatterUtil::stringFromTime(130.0f), "02:10");
    EXPECT_EQ(FormatterUtil::stringFromTime(125.4f), "02:05");
    EXPECT_EQ(FormatterUtil::stringFromTime(60.0f), "01:00");
    EXPECT_EQ(FormatterUtil::stringFromTime(75.5f), "01:15");
    EXPECT_EQ(FormatterUtil::stringFromTime(119.99f), "01:59");
    EXPECT_EQ(FormatterUtil::stringFromTime(6000.0f), "100:00");
}

TEST(FormatterUtilTime, SecondsAndHundredthsBelowAMinute) {
    EXPECT_EQ(FormatterUtil::stringFromTime(0.5f), "00:050");
    EXPECT_EQ(FormatterUtil::stringFromTime(5.42f), "05:042");
    EXPECT_EQ(FormatterUtil::stringFromTime(0.0f), "00:000");
    EXPECT_EQ(FormatterUtil::stringFromTime(59.75f), "59:075");
    EXPECT_EQ(FormatterUtil::stringFromTime(-3.0f), "00:000");
    EXPECT_EQ(FormatterUtil::stringFromTime(std::numeric_limits<float>::quiet_NaN()), "00:000");
}

TEST(FormatterUtilDuration, HoursOnlyWhenThereAreAny) {
    EXPECT_EQ(FormatterUtil::getFormatedDuration(3725), "01:02:05");
    EXPECT_EQ(FormatterUtil::getFormatedDuration(65), "01:05");
    EXPECT_EQ(FormatterUtil::getFormatedDuration(65.9), "01:05");
    EXPECT_EQ(FormatterUtil::getFormatedDuration(0), "00:00");
    EXPECT_EQ(FormatterUtil::getFormatedDuration(3600), "01:00:00");
    // Hours count within a day.
    EXPECT_EQ(FormatterUtil::getFormatedDuration(90000 + 61), "01:01:01");
    EXPECT_EQ(FormatterUtil::getFormatedDuration(86400 + 5), "00:05");
    EXPECT_EQ(FormatterUtil::getFormatedDuration(std::numeric_limits<double>::infinity()), "00:00");
}

TEST(FormatterUtilFileSize, UnitsAndTheirBoundaries) {
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1025023), "1000 KB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(2048), "2 KB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(5242880), "5 MB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1049624575), "1000 MB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(3LL * 1073741824), "3 GB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1074815565823LL), "1000 GB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1074815565824LL), "");
}

TEST(FormatterUtilFileSize, SmallQuotientsStillShowADigit) {
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(500), "0 KB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(0), "0 KB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1023), "0 KB");
    // Just past 1000 KB and still under one MB: the band's first unit.
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1025024), "1 MB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1048575), "1 MB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1048576), "1 MB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1049624576), "1 GB");
}

TEST(FormatterUtilDate, TodayAndYesterdayByName) {
    testsupport::ScopedEnvironment environment({{"TZ", "UTC"}, {"LANG", "en_US.UTF-8"}, {"LC_ALL", std::nullopt}},
                                               ::tzset);
    foundation::Date now = foundation::Date::now();
    std::string today = FormatterUtil::getFormatedDate(now);
    std::string yesterday = FormatterUtil::getFormatedDate(foundation::Date{now.sinceReferenceDate - 86400});
    std::string older = FormatterUtil::getFormatedDate(foundation::Date::fromUnixTime(1796652309.0 - 400 * 86400.0));
    EXPECT_EQ(today, "Today");
    EXPECT_EQ(yesterday, "Yesterday");
    EXPECT_EQ(older, "Nov 2, 2025");
}
