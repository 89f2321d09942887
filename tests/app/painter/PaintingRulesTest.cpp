#include "app/painter/PainterBrush.h"
#include "app/painter/PaintingRules.h"

#include <gtest/gtest.h>

namespace {

using namespace paintingrules;

std::vector<LinePoint> samples(std::initializer_list<graphics::Point> positions, float width = 1) {
    std::vector<LinePoint> out;
    for (graphics::Point p : positions) out.push_back({width, p});
    return out;
}

TEST(PaintingRules, SmoothingEmitsOneSamplePerTwoPixelsBetween33And129PerIndex) {
    const graphics::Point p0{100, 100};
    struct Case {
        const char* name;
        std::vector<LinePoint> pending;
        size_t expected;
    };
    // [p0, p0, p0, p1]: index 2 stays at p0 (33), index 3 runs half-way to p1.
    const Case cases[] = {
        {"first move of 10 px", samples({p0, p0, p0, {110, 100}}), 33 + 33},
        {"mid-points 150 apart", samples({{0, 0}, {150, 0}, {300, 0}}), 76},
        {"mid-points 256 apart", samples({{0, 0}, {256, 0}, {512, 0}}), 129},
        {"mid-points 900 apart", samples({{0, 0}, {900, 0}, {1800, 0}}), 129},
        {"mid-points 65 apart", samples({{0, 0}, {65, 0}, {130, 0}}), 33},
    };
    for (const Case& c : cases) {
        std::vector<LinePoint> pending = c.pending;
        auto smoothed = calculateSmoothLinePoints(pending);
        ASSERT_TRUE(smoothed.has_value()) << c.name;
        EXPECT_EQ(smoothed->size(), c.expected) << c.name;
        // The last two samples stay pending for the next step.
        ASSERT_EQ(pending.size(), 2u) << c.name;
        EXPECT_EQ(pending[1], c.pending.back()) << c.name;
        // The curve ends at the last mid-point with the mean of its widths.
        const LinePoint& last = c.pending[c.pending.size() - 1];
        const LinePoint& before = c.pending[c.pending.size() - 2];
        EXPECT_DOUBLE_EQ(smoothed->back().pos.x, (last.pos.x + before.pos.x) / 2) << c.name;
    }
    std::vector<LinePoint> two = samples({p0, p0});
    EXPECT_FALSE(calculateSmoothLinePoints(two).has_value());
    EXPECT_EQ(two.size(), 2u);
}

TEST(PaintingRules, SmoothedWidthsRunBetweenTheMidPointWidths) {
    std::vector<LinePoint> pending = {{2, {0, 0}}, {4, {100, 0}}, {10, {200, 0}}};
    auto smoothed = calculateSmoothLinePoints(pending);
    ASSERT_TRUE(smoothed.has_value());
    EXPECT_FLOAT_EQ(smoothed->front().width, 3);  // (4 + 2) / 2
    EXPECT_FLOAT_EQ(smoothed->back().width, 7);   // (10 + 4) / 2
    EXPECT_DOUBLE_EQ(smoothed->front().pos.x, 50);
}

TEST(PaintingRules, SpeedGivesWidthsFrom1To40SmoothedFromTheThirdOn) {
    std::vector<float> widths;
    EXPECT_FLOAT_EQ(extractSize({10000, 0}, widths), 40);
    EXPECT_FLOAT_EQ(extractSize({60, 80}, widths), 1);  // 100 / 166 is below the bound
    // From the third width on: 0.2 × new + 0.8 × last.
    EXPECT_FLOAT_EQ(extractSize({1660, 0}, widths), 10 * 0.2f + 1 * 0.8f);
    EXPECT_EQ(widths.size(), 3u);
    EXPECT_FLOAT_EQ(vectorLength({3, 4}), 5);
    EXPECT_FLOAT_EQ(clamp(50, 40, 1), 40);
}

TEST(PaintingRules, MovesUnderOneAndAHalfPixelsAreDropped) {
    std::vector<LinePoint> pending = samples({{10, 10}});
    EXPECT_FALSE(acceptsSample(pending, {11.4, 10}));
    EXPECT_FALSE(acceptsSample(pending, {11, 11}));  // 1.414
    EXPECT_TRUE(acceptsSample(pending, {11.5, 10}));
    EXPECT_TRUE(acceptsSample({}, {0, 0}));
}

TEST(PaintingRules, PointSizesByBrushType) {
    struct Case {
        int64_t type;
        int64_t size;
        float width;
        std::optional<float> expected;
    };
    const Case cases[] = {
        {kBrushTypeFountainPen, 10, 8, 3.0f},  {kBrushTypeFountainPen, 10, 6, 4.0f},
        {kBrushTypeFountainPen, 10, 7, 3.0f},  {kBrushTypeBrush, 15, 40, 600.0f},
        {kBrushTypeEraser, 8, 2.5f, 20.0f},    {kBrushTypePen, 15, 33, 15.0f},
        {kBrushTypeMove, 15, 3, std::nullopt}, {7, 15, 3, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pointSize(c.type, c.size, c.width), c.expected) << c.type << " " << c.size << " " << c.width;
}

TEST(PaintingRules, MoveOffsetsAndReplaySizes) {
    graphics::Point d{-30, -20};  // the canvas was dragged right 30 and down 20
    EXPECT_EQ(movedOffset({1, 2}, d), (graphics::Point{31, -18}));
    EXPECT_EQ(unmovedOffset(movedOffset({1, 2}, d), d), (graphics::Point{1, 2}));
    struct Case {
        int64_t recorded;
        int64_t expected;
    };
    for (Case c : {Case{0, 15}, Case{150, 15}, Case{100, 15}, Case{99, 99}, Case{1, 1}, Case{-3, -3}})
        EXPECT_EQ(replayBrushSize(c.recorded, 15), c.expected) << c.recorded;
    EXPECT_EQ(tapSegment({3, 4}, 5), StrokeSegment(4, LinePoint{5, {3, 4}}));
}

}  // namespace
