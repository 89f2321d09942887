// The movement arithmetic with numbers: easing, flings, bounce, snapping
// targets and the shortest way round a ring.

#include "app/widgets/carousel/CarouselScrolling.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace carousel;

namespace {
const double kRate = static_cast<double>(0.95f);
}

TEST(CarouselScrollingTest, EaseInOutIsSymmetricAndEndsOnTheTarget) {
    const std::pair<double, double> cases[] = {{0, 0}, {0.25, 0.0625}, {0.5, 0.5}, {0.75, 0.9375}, {1, 1}};
    for (auto [t, expected] : cases) EXPECT_NEAR(easeInOut(t), expected, 1e-7) << t;
}

TEST(CarouselScrollingTest, FlingsTravelAndStopOnWholeItems) {
    // 10 items/s at rate 0.95: 10 ÷ (60 × 0.05) ≈ 3.33 items.
    EXPECT_NEAR(decelerationDistance(10, kRate), 10 / (60 * (1 - kRate)), 1e-9);
    EXPECT_NEAR(decelerationDistance(10, kRate), 3.333, 1e-3);
    EXPECT_NEAR(decelerationDistance(-10, kRate), -3.333, 1e-3);

    struct Case {
        double from, velocity;
        int64_t items;
        bool stopAtItemBoundary, wrap, bounces;
        double expectedEnd;
    };
    const Case cases[] = {
        {0, 10, 20, true, false, true, 4},         // 3.33 ceiled
        {0.4, 10, 20, false, false, true, 3.733},  // no rounding
        {5, -10, 20, true, false, true, 1},        // 1.67 floored
        {0, 100, 5, true, false, true, 5},         // 4 + the bounce distance
        {2, -100, 5, true, false, true, -1},       // never below −1.0
        {2, -100, 5, true, false, false, 0},       // no bounce: the first item
        {8, 30, 10, true, true, true, 18},         // wrapping has no ends
    };
    for (const Case& c : cases) {
        DecelerationLimits limits;
        limits.stopAtItemBoundary = c.stopAtItemBoundary;
        limits.wrap = c.wrap;
        limits.bounces = c.bounces;
        limits.numberOfItems = c.items;
        const DecelerationPlan plan = planDeceleration(c.from, c.velocity, kRate, limits);
        EXPECT_NEAR(plan.endOffset, c.expectedEnd, 1e-3) << c.from << " at " << c.velocity;
        // |d| ÷ |v/2| seconds, and the motion comes to rest exactly there.
        EXPECT_NEAR(plan.duration, std::fabs(plan.endOffset - c.from) / std::fabs(c.velocity / 2), 1e-5);
        EXPECT_NEAR(decelerationOffsetAt(plan, c.velocity, plan.duration), plan.endOffset, 1e-4);
        EXPECT_NEAR(decelerationOffsetAt(plan, c.velocity, plan.duration + 5), plan.endOffset, 1e-4);
        EXPECT_TRUE(plan.moves);
    }
    // The 3.33-item fling ceiled to 4 takes 4 ÷ 5 s.
    DecelerationLimits twenty;
    twenty.numberOfItems = 20;
    EXPECT_NEAR(planDeceleration(0, 10, kRate, twenty).duration, 0.8, 1e-6);
}

TEST(CarouselScrollingTest, OnlyFastFlingsDecelerateOrMoveOn) {
    struct Case {
        double velocity;
        bool decelerates;
    };
    const Case cases[] = {{1.5, false}, {-1.5, false}, {2.0, false}, {2.1, true}, {-10, true}, {0, false}};
    for (const Case& c : cases) EXPECT_EQ(shouldDecelerate(c.velocity, kRate), c.decelerates) << c.velocity;
    // Fast enough but stopping at once (rate 0: 3 ÷ 60 = 0.05 items) does not count.
    EXPECT_FALSE(shouldDecelerate(3, 0));
    EXPECT_TRUE(shouldScroll(5, 2.3, 2));
    EXPECT_FALSE(shouldScroll(5, 2.05, 2));
    EXPECT_FALSE(shouldScroll(1.5, 2.4, 2));
}

TEST(CarouselScrollingTest, ShortestDistancesGoRoundTheRingWhenShorter) {
    struct Case {
        int64_t from, to, items;
        bool wrap;
        int64_t expected;
    };
    const Case cases[] = {
        {9, 0, 10, true, 1},                                              // forward by one, not back by nine
        {0, 9, 10, true, -1},  {2, 5, 10, true, 3}, {0, 5, 10, true, 5},  // a tie keeps the direct way
        {9, 0, 10, false, -9},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(minScrollDistance(c.from, c.to, c.items, c.wrap), c.expected) << c.from << "→" << c.to;
        EXPECT_DOUBLE_EQ(minScrollDistance(static_cast<double>(c.from), static_cast<double>(c.to), c.items, c.wrap),
                         static_cast<double>(c.expected));
    }
    EXPECT_DOUBLE_EQ(minScrollDistance(9.25, 0.0, 10, true), 0.75);
}

TEST(CarouselScrollingTest, ScrollTargetsForItemCounts) {
    struct Case {
        double offset;
        int64_t count;
        double expected;
    };
    const Case cases[] = {
        {2.3, 1, 3}, {2.3, 2, 4}, {2.3, -1, 2}, {2.7, -2, 1}, {2.4, 0, 2}, {2.5, 0, 3}, {-2.5, 0, -3},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(scrollTargetForItems(c.offset, c.count), c.expected) << c.offset;
}

TEST(CarouselScrollingTest, DragResistancePastTheEndsAndToggleTiming) {
    EXPECT_DOUBLE_EQ(panResistance(2, 2, 1), 1.0);
    EXPECT_DOUBLE_EQ(panResistance(-0.25, 0, 1), 0.75);
    EXPECT_DOUBLE_EQ(panResistance(-1, 0, 1), 0.0);
    EXPECT_DOUBLE_EQ(panResistance(-3, 0, 1), 0.0);
    EXPECT_DOUBLE_EQ(toggleDuration(0), static_cast<double>(0.4f));
    EXPECT_DOUBLE_EQ(toggleDuration(0.5), 2 * static_cast<double>(0.2f));
    EXPECT_DOUBLE_EQ(toggleDuration(-4), static_cast<double>(0.2f) * 1.25);
}
