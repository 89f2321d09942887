#include "app/audio/TrimGeometry.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

TEST(TrimGeometryTest, TimeLabelsShowHundredthsUpToAMinuteElseMinutes) {
    struct Case {
        float seconds;
        double length;
        const char* text;
    };
    const std::vector<Case> cases = {
        {5.5f, 45, "05:50"}, {75.5f, 90, "01:15"},  {12.34f, 30, "12:34"},    {61.0f, 61, "01:01"},
        {0.0f, 10, "00:00"}, {59.99f, 60, "59:99"}, {3725.0f, 4000, "62:05"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(trim::timeText(c.seconds, c.length), c.text) << c.seconds << " of " << c.length;
}

TEST(TrimGeometryTest, TrimTimesAreCutTowardZeroToWholeMilliseconds) {
    const std::vector<std::pair<double, int64_t>> cases = {
        {1.2345, 1234}, {3.9999, 3999}, {0.0, 0}, {75.4, 75400}, {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (auto [seconds, ms] : cases) EXPECT_EQ(trim::millisecondsForSeconds(seconds), ms) << seconds;
}

TEST(TrimGeometryTest, PointsAndPercentagesOfAControl300PointsWide) {
    EXPECT_DOUBLE_EQ(trim::percentDelta(27.5, 300), 10.0);  // 1 s of 10 s
    EXPECT_DOUBLE_EQ(trim::secondsForPercent(10.0, 10.0), 1.0);
    EXPECT_FLOAT_EQ(trim::handleX(10, 300), 27.5f);
    EXPECT_FLOAT_EQ(trim::handleX(100, 300), 275.0f);
    EXPECT_EQ(trim::handleX(std::nan(""), 300), 0.0f);
    // A control no wider than a handle has no track to drag along.
    EXPECT_EQ(trim::percentDelta(20, 25), 0.0);
    // An empty item puts both values at 0 instead of 0 / 0.
    EXPECT_EQ(trim::percentForSeconds(0, 0), 0.0);
    EXPECT_EQ(trim::percentForSeconds(1, 0), 0.0);
    EXPECT_FLOAT_EQ(trim::percentForSeconds(2.5f, 10), 25.0f);
}

TEST(TrimGeometryTest, HandleStepsKeepTheHandlesApartAndInsideTheTrack) {
    struct Case {
        const char* what;
        bool left;
        trim::Values before;
        double delta;
        trim::Values after;
    };
    const std::vector<Case> cases = {
        {"left into right", true, {20, 50}, 40, {41, 50}},
        {"left past the start", true, {5, 50}, -20, {0, 50}},
        {"left free", true, {20, 50}, -5, {15, 50}},
        {"right into left", false, {50, 80}, -40, {50, 59}},
        {"right past the end", false, {50, 95}, 20, {50, 100}},
        {"right free", false, {50, 80}, 5, {50, 85}},
    };
    for (const Case& c : cases) {
        auto next = c.left ? trim::stepLeft(c.before, c.delta, 10, 10) : trim::stepRight(c.before, c.delta, 10, 10);
        ASSERT_TRUE(next) << c.what;
        EXPECT_EQ(*next, c.after) << c.what;
        EXPECT_GE(next->right - next->left, trim::kSnapGap) << c.what;
    }
}

TEST(TrimGeometryTest, AStepThatWouldChooseMoreThanIsAvailableIsRefused) {
    // 2 s chosen of 10, at most 1.5 s available: growing to the left is refused.
    EXPECT_FALSE(trim::stepLeft({30, 50}, -10, 10, 1.5));
    EXPECT_FALSE(trim::stepRight({30, 50}, 10, 10, 1.5));
    // Shrinking is always allowed.
    EXPECT_TRUE(trim::stepLeft({30, 50}, 5, 10, 1.5));
    EXPECT_TRUE(trim::stepRight({30, 50}, -5, 10, 1.5));
}

TEST(TrimGeometryTest, TheBandKeepsItsWidthAndIsPinnedAtEitherEnd) {
    struct Case {
        trim::Values before;
        double delta;
        trim::BandStep after;
    };
    const std::vector<Case> cases = {
        {{10, 30}, -15, {{0, 20}, true}},
        {{70, 90}, 15, {{80, 100}, true}},
        {{10, 30}, 5, {{15, 35}, false}},
        {{0, 20}, 0, {{0, 20}, false}},
    };
    for (const Case& c : cases) {
        const trim::BandStep step = trim::stepBand(c.before, c.delta);
        EXPECT_EQ(step.values, c.after.values) << c.before.left << "+" << c.delta;
        EXPECT_EQ(step.pinned, c.after.pinned) << c.before.left << "+" << c.delta;
    }
}

}  // namespace
