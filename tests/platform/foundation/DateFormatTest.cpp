#include "platform/foundation/DateFormat.h"
#include "support/ScopedEnvironment.h"

#include <ctime>
#include <gtest/gtest.h>
#include <optional>

using namespace foundation;

namespace {

// Sets TZ and the locale for one test and puts the old values back.
struct ScopedZone : testsupport::ScopedEnvironment {
    ScopedZone(const char* zone, const char* locale)
        : ScopedEnvironment({{"TZ", zone}, {"LC_ALL", std::nullopt}, {"LC_TIME", std::nullopt}, {"LANG", locale}},
                            ::tzset) {}
};

// 2026-12-07 14:05:09 UTC.
const Date kMoment = Date::fromUnixTime(1796652309.0);

}  // namespace

TEST(DateFormat, ProjectFolderPatternInTheLocalZone) {
    {
        ScopedZone zone("UTC", "en_US.UTF-8");
        EXPECT_EQ(formatDate(kMoment, "yyyy-MM-dd-HH-mm-ss"), "2026-12-07-14-05-09");
    }
    {
        ScopedZone zone("Asia/Tokyo", "de_DE.UTF-8");  // the user's language must not matter
        EXPECT_EQ(formatDate(kMoment, "yyyy-MM-dd-HH-mm-ss"), "2026-12-07-23-05-09");
        EXPECT_EQ(formatDate(kMoment, "EEE d MMM"), "Mon 7 Dec");
    }
}

TEST(DateFormat, ParsingReadsBackWhatFormattingWrote) {
    ScopedZone zone("America/New_York", "en_US.UTF-8");
    std::string text = formatDate(kMoment, "yyyy-MM-dd-HH-mm-ss");
    EXPECT_EQ(text, "2026-12-07-09-05-09");
    auto parsed = parseDate(text, "yyyy-MM-dd-HH-mm-ss");
    ASSERT_TRUE(parsed);
    EXPECT_DOUBLE_EQ(parsed->sinceReferenceDate, kMoment.sinceReferenceDate);

    EXPECT_FALSE(parseDate("2026-12-07", "yyyy-MM-dd-HH-mm-ss"));
    EXPECT_FALSE(parseDate("2026-12-07-09-05-09 trailing", "yyyy-MM-dd-HH-mm-ss"));
    EXPECT_FALSE(parseDate("2026-13-40-09-05-09", "yyyy-MM-dd-HH-mm-ss"));
    EXPECT_FALSE(parseDate("kelbrin", "yyyy"));
}

TEST(DateFormat, RelativeMediumDateNamesTodayAndYesterday) {
    ScopedZone zone("UTC", "en_US.UTF-8");
    Date now = Date::now();
    EXPECT_EQ(formatRelativeMediumDate(now), "Today");
    EXPECT_EQ(formatRelativeMediumDate(Date{now.sinceReferenceDate - 86400}), "Yesterday");
    EXPECT_EQ(formatRelativeMediumDate(Date::fromUnixTime(1796652309.0 - 400 * 86400.0)), "Nov 2, 2025");
}

TEST(DateFormat, RelativeDateFollowsTheLocale) {
    ScopedZone zone("UTC", "de_DE.UTF-8");
    EXPECT_EQ(formatRelativeMediumDate(Date::now()), "Heute");
    EXPECT_EQ(formatRelativeMediumDate(Date::fromUnixTime(1796652309.0 - 400 * 86400.0)), "02.11.2025");
}
