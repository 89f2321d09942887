#include "app/core/effects/DitherFilter.h"
#include "app/core/effects/PosterizeFilter.h"
#include "app/core/effects/ThermalFilter.h"
#include "app/core/effects/ToneFilters.h"

#include <array>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using Pixel = std::array<uint8_t, 4>;

// Runs the in-place rule over one pixel and returns it.
Pixel inPlace(RGBFilter& filter, Pixel p) {
    filter.processFilter(p.data(), 1, 1);
    return p;
}

TEST(ToneFilters, GrayscaleWeighsThirdByteMost) {
    GrayscaleFilter f;
    EXPECT_EQ(inPlace(f, {255, 0, 0, 9}), (Pixel{27, 27, 27, 9}));
    EXPECT_EQ(inPlace(f, {0, 0, 255, 9}), (Pixel{76, 76, 76, 9}));
    EXPECT_EQ(inPlace(f, {0, 255, 0, 9}), (Pixel{150, 150, 150, 9}));
    EXPECT_EQ(inPlace(f, {255, 255, 255, 0}), (Pixel{255, 255, 255, 0}));
}

TEST(ToneFilters, SepiaInPlaceOffsetsAndClamps) {
    SepiaFilter f;
    EXPECT_EQ(inPlace(f, {255, 0, 0, 1}), (Pixel{116, 96, 46, 1}));
    EXPECT_EQ(inPlace(f, {255, 255, 255, 1}), (Pixel{255, 255, 225, 1}));
    EXPECT_EQ(inPlace(f, {0, 0, 0, 1}), (Pixel{40, 20, 0, 1}));
}

TEST(ToneFilters, SepiaCopiesUseTheirOwnTint) {
    SepiaFilter f;
    const Pixel src{0, 0, 255, 200};  // g = 76 with the grey weights
    Pixel dest{1, 2, 3, 77};
    f.processFilter(src.data(), dest.data(), 1, 1);
    EXPECT_EQ(dest, (Pixel{26, 106, 136, 77}));

    Pixel scaled{0, 0, 0, 55};
    f.processFilter(src.data(), scaled.data(), graphics::Size{1, 1}, graphics::Rect{0, 0, 1, 1});
    EXPECT_EQ(scaled, (Pixel{46, 96, 116, 55}));
}

TEST(ToneFilters, ColorChangeSwapsOuterBytes) {
    ColorChangeFilter f;
    EXPECT_EQ(inPlace(f, {10, 20, 30, 40}), (Pixel{30, 20, 10, 40}));
    const Pixel src{1, 2, 3, 4};
    Pixel dest{0, 0, 0, 99};
    f.processFilter(src.data(), dest.data(), 1, 1);
    EXPECT_EQ(dest, (Pixel{3, 2, 1, 99}));
}

TEST(ToneFilters, XRayInvertsAndTints) {
    XRayFilter f;
    EXPECT_EQ(inPlace(f, {0, 0, 0, 3}), (Pixel{255, 255, 235, 3}));
    EXPECT_EQ(inPlace(f, {255, 255, 255, 3}), (Pixel{20, 20, 0, 3}));
}

TEST(PosterizeFilter, FourLevelsTable) {
    PosterizeFilter f(4);
    for (auto [value, level] :
         {std::pair{0, 0u}, {63, 0u}, {64, 85u}, {127, 85u}, {128, 170u}, {191, 170u}, {192, 255u}, {255, 255u}})
        EXPECT_EQ(f.levelFor(value), level) << value;
    EXPECT_EQ(inPlace(f, {63, 64, 200, 100}), (Pixel{0, 85, 255, 100}));
}

TEST(PosterizeFilter, ScaledCopyKeepsFirstByteAndMapsAlpha) {
    PosterizeFilter f(4);
    const Pixel src{100, 100, 100, 100};
    Pixel dest{};
    f.processFilter(src.data(), dest.data(), graphics::Size{1, 1}, graphics::Rect{0, 0, 1, 1});
    EXPECT_EQ(dest, (Pixel{100, 85, 85, 85}));
}

TEST(PosterizeFilter, EveryLevelCountFollowsTheFormula) {
    struct Case {
        int32_t levels;
        uint8_t value;
        uint32_t expected;
    };
    // levels[v] = ((n * v / 256) * 255) / (n - 1); beyond 256 levels the top
    // value falls short of 255.
    const Case cases[] = {{2, 127, 0},           {2, 128, 255},    {3, 85, 0},      {3, 86, 127},    {256, 255, 255},
                          {256, 1, 1},           {257, 255, 254},  {512, 255, 254}, {512, 128, 127}, {1000, 255, 254},
                          {INT32_MAX, 255, 254}, {INT32_MAX, 0, 0}};
    for (const Case& c : cases) {
        PosterizeFilter f(c.levels);
        EXPECT_EQ(f.getNumLevels(), c.levels);
        EXPECT_EQ(f.levelFor(c.value), c.expected) << c.levels << " levels, value " << int(c.value);
    }
}

TEST(PosterizeFilter, TooFewLevelsDoNotDivideByZero) {
    PosterizeFilter one(1);
    EXPECT_EQ(one.getNumLevels(), 2);
    EXPECT_EQ(one.levelFor(127), 0u);
    EXPECT_EQ(one.levelFor(128), 255u);
    PosterizeFilter zero(0);
    EXPECT_EQ(zero.getNumLevels(), 2);
}

TEST(ThermalFilter, TablesFollowTheBands) {
    ThermalFilter f;
    const auto& r = f.getMapr();
    const auto& g = f.getMapg();
    const auto& b = f.getMapb();
    // Each row: brightness, then the red, green and blue it maps to; both sides of every band edge.
    const std::array<int, 4> expected[] = {
        {255, 255, 0, 0},   {214, 255, 246, 0}, {213, 255, 255, 0}, {172, 9, 255, 0}, {171, 0, 255, 0},
        {130, 0, 255, 246}, {129, 0, 255, 255}, {88, 0, 9, 255},    {87, 0, 0, 255},  {46, 41, 0, 255},
        {45, 70, 0, 255},   {14, 39, 0, 69},    {13, 0, 0, 0},      {0, 0, 0, 0},
    };
    for (const auto& [i, red, green, blue] : expected)
        EXPECT_EQ((std::array<int, 3>{r[i], g[i], b[i]}), (std::array<int, 3>{red, green, blue})) << i;
}

TEST(ThermalFilter, MapsAverageBrightness) {
    ThermalFilter f;
    EXPECT_EQ(inPlace(f, {255, 255, 255, 7}), (Pixel{0, 0, 255, 7}));
    EXPECT_EQ(inPlace(f, {0, 0, 0, 7}), (Pixel{0, 0, 0, 7}));
    // (90 + 90 + 91) / 3 = 90 → blue 255, green 255 - 6 * 39 = 21, red 0.
    EXPECT_EQ(inPlace(f, {90, 90, 91, 7}), (Pixel{255, 21, 0, 7}));
}

TEST(DitherFilter, Tables) {
    DitherFilter f;
    EXPECT_EQ(f.getRows(), 4);
    EXPECT_EQ(f.getCols(), 4);
    EXPECT_EQ(f.getLevels(), 4);
    EXPECT_FALSE(f.getColorDither());
    const int expected[16] = {0, 14, 3, 13, 11, 5, 8, 6, 12, 2, 15, 1, 7, 9, 4, 10};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(f.matrixAt(i / 4, i % 4), expected[i]) << i;
    for (auto [level, value] : {std::pair{0, 0u}, {1, 85u}, {2, 170u}, {3, 255u}}) EXPECT_EQ(f.mapAt(level), value);
    for (auto [value, div] : {std::pair{0, 0u}, {85, 0u}, {86, 1u}, {255, 2u}}) EXPECT_EQ(f.divAt(value), div) << value;
    for (auto [value, mod] : {std::pair{15, 0u}, {16, 1u}, {128, 8u}, {255, 16u}})
        EXPECT_EQ(f.modAt(value), mod) << value;
}

TEST(DitherFilter, GreyBlockPattern) {
    DitherFilter f;
    // An 8×5 buffer checks that the pattern repeats in both directions.
    const int w = 8, h = 5;
    std::vector<uint8_t> buf(size_t(w * h * 4));
    for (size_t i = 0; i < buf.size(); i += 4) buf[i] = buf[i + 1] = buf[i + 2] = 128, buf[i + 3] = 42;
    f.processFilter(buf.data(), w, h);
    const int expected[4][4] = {{170, 85, 170, 85}, {85, 170, 85, 170}, {85, 170, 85, 170}, {170, 85, 170, 85}};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &buf[size_t((y * w + x) * 4)];
            EXPECT_EQ(p[0], expected[y % 4][x % 4]) << x << "," << y;
            EXPECT_EQ(p[1], p[0]);
            EXPECT_EQ(p[2], p[0]);
            EXPECT_EQ(p[3], 42);
        }
    }
}

TEST(DitherFilter, ExtremesStayPure) {
    DitherFilter f;
    std::vector<uint8_t> buf(16 * 4, 255);
    f.processFilter(buf.data(), 4, 4);
    for (uint8_t v : buf) EXPECT_EQ(v, 255);
    std::vector<uint8_t> dark(16 * 4, 0);
    f.processFilter(dark.data(), 4, 4);
    for (size_t i = 0; i < dark.size(); ++i) EXPECT_EQ(dark[i], 0) << i;
}

TEST(DitherFilter, ColorDitherTreatsBytesApart) {
    DitherFilter f;
    f.setColorDither(true);
    Pixel p{255, 0, 128, 5};
    f.processFilter(p.data(), 1, 1);
    EXPECT_EQ(p, (Pixel{255, 0, 170, 5}));
}

TEST(ScaledCopy, HalvesAndSkipsOutsideTheBuffer) {
    GrayscaleFilter f;
    // 4×2 source, copied into a 2×1 rectangle at (1, 1): every second pixel.
    const int w = 4, h = 2;
    std::vector<uint8_t> src(size_t(w * h * 4));
    for (int i = 0; i < w * h; ++i) src[size_t(i * 4 + 2)] = uint8_t(i * 30);  // third byte only
    std::vector<uint8_t> dest(src.size(), 1);
    f.processFilter(src.data(), dest.data(), graphics::Size{4, 2}, graphics::Rect{1, 1, 2, 1});
    // Source (0,0) and (2,0) land at destination (1,1) and (2,1).
    EXPECT_EQ(dest[size_t((1 * w + 1) * 4)], (0 * 30 * 77) >> 8);
    EXPECT_EQ(dest[size_t((1 * w + 2) * 4)], (2 * 30 * 77) >> 8);
    EXPECT_EQ(dest[size_t((1 * w + 3) * 4)], 1);
    EXPECT_EQ(dest[0], 1);

    // A rectangle larger than the buffer, or without size, must not write past it.
    std::vector<uint8_t> guarded(src.size() + 64, 0xEE);
    f.processFilter(src.data(), guarded.data(), graphics::Size{4, 2}, graphics::Rect{2, 1, 40, 40});
    for (size_t i = src.size(); i < guarded.size(); ++i) ASSERT_EQ(guarded[i], 0xEE) << i;
    f.processFilter(src.data(), guarded.data(), graphics::Size{4, 2}, graphics::Rect{0, 0, -3, 2});
    f.processFilter(src.data(), guarded.data(), graphics::Size{4, 2}, graphics::Rect{0, 0, 0, 0});
}

TEST(InPlace, IgnoresEmptyOrNegativeSizes) {
    GrayscaleFilter f;
    Pixel p{255, 0, 0, 0};
    f.processFilter(p.data(), 0, 1);
    f.processFilter(p.data(), -1, -1);
    EXPECT_EQ(p, (Pixel{255, 0, 0, 0}));
}

}  // namespace
