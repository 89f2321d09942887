#include "components/gpuimage/AverageColorStages.h"

#include <gtest/gtest.h>

namespace {

using gpuimage::StageSize;

TEST(AverageColorStages, QuarterTheInputUntilASideWouldDropBelowTwo) {
    struct Case {
        int width, height;
        std::vector<StageSize> stages;
    };
    const Case cases[] = {
        {1920, 1080, {{480, 270}, {120, 67}, {30, 16}, {7, 4}}},
        {64, 64, {{16, 16}, {4, 4}}},  // ⌊log4 64⌋ = 3 would allow 1 × 1, below 2
        {1080, 1920, {{270, 480}, {67, 120}, {16, 30}, {4, 7}}},
        {8, 8, {{2, 2}}},
        {640, 8, {{160, 2}}},  // the short side ends the list
        {7, 1000, {}},         // under 8 pixels: averaged directly
        {4, 4, {}},
        {1, 1, {}},
        {0, 1080, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gpuimage::averageColorStageSizes(c.width, c.height), c.stages) << c.width << "x" << c.height;
}

TEST(AverageColorStages, TapsFallOneSourceTexelFromTheStageCentre) {
    // A 480-pixel stage of a 1920-pixel source: one source texel is 1/1920.
    EXPECT_FLOAT_EQ(gpuimage::averageColorTapOffset(480, true), 1.0f / 1920.0f);
    EXPECT_FLOAT_EQ(gpuimage::averageColorTapOffset(7, true), 0.25f / 7.0f);
    EXPECT_EQ(gpuimage::averageColorTapOffset(7, false), 0.0f);
}

TEST(AverageColorStages, MeanOfPixelsPerChannel) {
    const uint8_t pixels[] = {255, 0, 10, 255, 0, 0, 20, 255, 255, 255, 30, 0, 0, 255, 40, 0};
    const auto mean = gpuimage::meanOfRgbaPixels(pixels, 4);
    EXPECT_DOUBLE_EQ(mean[0], 0.5);
    EXPECT_DOUBLE_EQ(mean[1], 0.5);
    EXPECT_DOUBLE_EQ(mean[2], 25.0 / 255.0);
    EXPECT_DOUBLE_EQ(mean[3], 0.5);
    EXPECT_EQ(gpuimage::meanOfRgbaPixels(pixels, 0), (std::array<double, 4>{}));
}

}  // namespace
