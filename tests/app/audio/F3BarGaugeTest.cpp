// The bar gauge: zones, lit bars, the peak, the layout and the drawn bars.

#include "app/audio/BarGaugeLayout.h"
#include "app/audio/F3BarGauge.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/graphics/GraphicsContext.h"
#include "support/Process.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

// The indices of the lit bars.
std::vector<int> litBars(const F3BarGauge& gauge) {
    std::vector<int> lit;
    for (int i = 0; i < gauge.numBars(); ++i)
        if (gauge.isBarLit(i)) lit.push_back(i);
    return lit;
}

std::vector<int> range(int from, int to) {
    std::vector<int> bars;
    for (int i = from; i <= to; ++i) bars.push_back(i);
    return bars;
}

TEST(BarGaugeLayout, ZonesBeginWhereTheirThresholdsCutTheBars) {
    struct Case {
        float threshold;
        int bars;
        int index;
    };
    const Case cases[] = {{0.6f, 30, 18}, {0.8f, 30, 24},  {0.6f, 10, 6}, {0.8f, 10, 8},
                          {0.0f, 30, -1}, {-0.5f, 30, -1}, {0.99f, 7, 6}, {1.5f, 10, 15}};
    for (const auto& c : cases)
        EXPECT_EQ(barGaugeZoneIndex(c.threshold, c.bars), c.index) << c.threshold << " of " << c.bars;

    // Values far outside the scale, or no scale at all, stay within 32 bits.
    EXPECT_EQ(barGaugeOffIndex(std::numeric_limits<float>::max(), 0, 1, 30), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(barGaugeOffIndex(-1e30f, 0, 1, 30), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(barGaugeOffIndex(0.5f, 0.5f, 0.5f, 30), 0);
    EXPECT_EQ(barGaugeOffIndex(std::nanf(""), 0, 1, 30), 0);
    EXPECT_EQ(barGaugeOffIndex(-0.05f, 0, 1, 30), -1);  // cut toward zero
}

TEST(BarGaugeLayout, BarsStandOnWholePointSteps) {
    struct Case {
        graphics::Rect bounds;
        bool reverse;
        bool vertical;
        double step;
        graphics::Rect area;
        graphics::Rect bar0;
        graphics::Rect bar29;
    };
    const Case cases[] = {
        {{0, 0, 100, 23}, false, false, 3, {0, 0, 90, 23}, {0, 1, 3, 21}, {87, 1, 3, 21}},
        {{0, 0, 100, 23}, true, false, 3, {0, 0, 90, 23}, {87, 1, 3, 21}, {0, 1, 3, 21}},
        {{0, 0, 20, 95}, false, true, 3, {0, 0, 20, 90}, {1, 87, 18, 3}, {1, 0, 18, 3}},
        {{0, 0, 20, 95}, true, true, 3, {0, 0, 20, 90}, {1, 0, 18, 3}, {1, 87, 18, 3}},
        {{5, 7, 30, 30}, false, true, 1, {5, 7, 30, 30}, {6, 36, 28, 1}, {6, 7, 28, 1}},  // square: vertical
    };
    for (const auto& c : cases) {
        const auto geometry = barGaugeGeometry(c.bounds, 30);
        EXPECT_EQ(geometry.vertical, c.vertical);
        EXPECT_EQ(geometry.step, c.step);
        EXPECT_EQ(geometry.gaugeArea, c.area);
        EXPECT_EQ(barGaugeBarRect(geometry, 0, c.reverse), c.bar0);
        EXPECT_EQ(barGaugeBarRect(geometry, 29, c.reverse), c.bar29);
    }
}

TEST(F3BarGauge, ValuesLightBarsFromTheBottomAndThePeakHoldsTheHighest) {
    auto gauge = std::make_shared<F3BarGauge>(graphics::Rect(0, 0, 100, 23));
    EXPECT_EQ(gauge->numBars(), 10);
    EXPECT_EQ(gauge->peakValue(), 0.0f);
    gauge->setHoldPeak(true);
    gauge->setNumBars(30);
    EXPECT_EQ(gauge->warningBarIndex(), 18);
    EXPECT_EQ(gauge->dangerBarIndex(), 24);

    struct Step {
        float value;
        std::vector<int> lit;  // peak included
        int peak;
    };
    const Step steps[] = {
        {0.5f, range(0, 15), 15},  // bars 0-14 and the peak bar 15
        {0.2f, {0, 1, 2, 3, 4, 5, 15}, 15},
        {-0.5f, {15}, 15},         // below the minimum only the peak shows
        {1.7f, range(0, 29), 29},  // above the maximum every bar, the peak on top
        {0.0f, {29}, 29},
    };
    for (const auto& step : steps) {
        gauge->setValue(step.value);
        EXPECT_EQ(litBars(*gauge), step.lit) << step.value;
        EXPECT_EQ(gauge->peakBarIndex(), step.peak) << step.value;
    }
    EXPECT_EQ(gauge->peakValue(), 1.7f);

    // A new count takes the current value as the peak at once.
    gauge->setValue(0.5f);
    gauge->setNumBars(10);
    EXPECT_EQ(gauge->peakValue(), 0.5f);
    EXPECT_EQ(gauge->peakBarIndex(), 5);
    EXPECT_EQ(litBars(*gauge), range(0, 5));
    EXPECT_EQ(gauge->warningBarIndex(), 6);

    gauge->resetPeak();
    EXPECT_EQ(gauge->peakBarIndex(), -1);
    EXPECT_EQ(litBars(*gauge), range(0, 4));
}

TEST(F3BarGauge, ANewGaugeShowsNoPeakForValuesAtOrBelowZeroAndRedrawsOnlyForNewLitBars) {
    auto gauge = std::make_shared<F3BarGauge>(graphics::Rect(0, 0, 20, 100));
    gauge->setHoldPeak(true);
    for (float value : {0.0f, -0.3f, 0.0f}) gauge->setValue(value);
    EXPECT_EQ(gauge->peakBarIndex(), -1);

    gauge->setValue(0.55f);
    gauge->displayIfNeeded(1.0);
    EXPECT_FALSE(gauge->needsDisplay());
    gauge->setValue(0.59f);  // a new peak on the same bars
    EXPECT_FALSE(gauge->needsDisplay());
    EXPECT_EQ(gauge->peakValue(), 0.59f);
    gauge->setValue(0.61f);
    EXPECT_TRUE(gauge->needsDisplay());
}

TEST(F3BarGauge, DrawsLitBarsInTheirZoneColourAndDarkBarsFaintly) {
    auto gauge = std::make_shared<F3BarGauge>(graphics::Rect(0, 0, 100, 23));
    gauge->setNumBars(30);
    gauge->setHoldPeak(true);
    gauge->setLitEffect(false);
    gauge->setOuterBorderColor(graphics::Color::clear());
    gauge->setInnerBorderColor(graphics::Color::clear());
    gauge->setBackgroundColor(graphics::Color::clear());
    gauge->setNormalBarColor(graphics::Color::rgb8(46, 204, 113));
    gauge->setWarningBarColor(graphics::Color::rgb8(202, 204, 46));
    gauge->setDangerBarColor(graphics::Color::rgb8(142, 68, 173));
    gauge->setValue(0.75f);
    gauge->setValue(0.5f);  // bars 0-14 lit, peak 22

    graphics::GraphicsContext context(graphics::Size{100, 23});
    gauge->drawRect(context, gauge->bounds());
    const graphics::Image image = context.makeImage();
    auto middleOf = [](int bar) { return 3 * bar + 1; };
    struct Case {
        int bar;
        graphics::RGBA pixel;
    };
    const Case cases[] = {
        {0, {46, 204, 113, 255}}, {14, {46, 204, 113, 255}}, {15, {46, 204, 113, 51}},   // dark: alpha 0.2
        {18, {202, 204, 46, 51}}, {21, {202, 204, 46, 51}},  {22, {202, 204, 46, 255}},  // the peak bar
        {24, {142, 68, 173, 51}}, {29, {142, 68, 173, 51}},
    };
    for (const auto& c : cases) {
        const auto pixel = image.pixelAt(middleOf(c.bar), 11);
        EXPECT_NEAR(pixel.r, c.pixel.r, 2) << "bar " << c.bar;
        EXPECT_NEAR(pixel.g, c.pixel.g, 2) << "bar " << c.bar;
        EXPECT_NEAR(pixel.b, c.pixel.b, 2) << "bar " << c.bar;
        EXPECT_NEAR(pixel.a, c.pixel.a, 2) << "bar " << c.bar;
    }
    EXPECT_EQ(image.pixelAt(95, 11).a, 0) << "beyond the 90 points of bars nothing is drawn";

    // A larger look with the lit effect, borders and both orientations.
    graphics::GraphicsContext look(graphics::Size{260, 200});
    look.setFillColor(graphics::Color::white());
    look.fillRect(graphics::Rect(0, 0, 260, 200));
    for (bool vertical : {false, true}) {
        auto shown =
            std::make_shared<F3BarGauge>(vertical ? graphics::Rect(0, 0, 40, 180) : graphics::Rect(0, 0, 200, 30));
        shown->setNumBars(30);
        shown->setHoldPeak(true);
        shown->setValue(0.9f);
        shown->setValue(vertical ? 0.7f : 0.5f);
        look.saveGState();
        look.translate(vertical ? 215 : 5, vertical ? 10 : 85);
        shown->drawRect(look, shown->bounds());
        look.restoreGState();
    }
    auto png = look.makeImage().pngData();
    ASSERT_TRUE(png);
    ASSERT_TRUE(foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/LevelMeter.png", *png).ok());
}

}  // namespace
