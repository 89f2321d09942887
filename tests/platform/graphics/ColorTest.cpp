#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"

#include <QColor>
#include <gtest/gtest.h>

using namespace graphics;

TEST(ColorTest, HsbRoundTripsThroughRgb) {
    for (double h = 0; h < 1.0; h += 1.0 / 12)
        for (double s : {0.25, 0.5, 1.0})
            for (double b : {0.2, 0.6, 1.0}) {
                Color c = Color::hsb(h, s, b, 0.7);
                double hue, saturation, brightness, alpha;
                ASSERT_TRUE(c.getHue(&hue, &saturation, &brightness, &alpha));
                EXPECT_NEAR(hue, h, 1e-9) << h << " " << s << " " << b;
                EXPECT_NEAR(saturation, s, 1e-9);
                EXPECT_NEAR(brightness, b, 1e-9);
                EXPECT_DOUBLE_EQ(alpha, 0.7);
            }
}

TEST(ColorTest, HsbKnownValuesAndEdges) {
    double r, g, b, a;
    ASSERT_TRUE(Color::hsb(1.0 / 3.0, 1, 1).getRed(&r, &g, &b, &a));
    EXPECT_NEAR(r, 0, 1e-9);
    EXPECT_NEAR(g, 1, 1e-9);
    EXPECT_NEAR(b, 0, 1e-9);
    // Hue wraps: 1.0 is red again, not an out-of-range sector.
    ASSERT_TRUE(Color::hsb(1.0, 1, 1).getRed(&r, &g, &b, nullptr));
    EXPECT_NEAR(r, 1, 1e-9);
    EXPECT_NEAR(g, 0, 1e-9);
    // Greys have no hue and no saturation.
    double h = -1, s = -1, v = -1;
    ASSERT_TRUE(Color::gray().getHue(&h, &s, &v, nullptr));
    EXPECT_EQ(h, 0);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(v, 0.5);
    ASSERT_TRUE(Color::rgb(0.5, 0, 1).getHue(&h, nullptr, nullptr, nullptr));
    EXPECT_NEAR(h, 0.75, 1e-9);
}

TEST(ColorTest, GreyAndRgbComponents) {
    double w = -1, a = -1;
    EXPECT_TRUE(Color::grey(0.25, 0.5).getWhite(&w, &a));
    EXPECT_EQ(w, 0.25);
    EXPECT_EQ(a, 0.5);
    // RGB colours do not answer as grey, and nothing is written.
    w = -1;
    EXPECT_FALSE(Color::red().getWhite(&w, nullptr));
    EXPECT_EQ(w, -1);
    auto components = Color::lightGray().rgba();
    ASSERT_TRUE(components);
    EXPECT_DOUBLE_EQ(components->red, 2.0 / 3.0);
    EXPECT_EQ(components->red, components->blue);
    EXPECT_EQ(Color::clear().alpha(), 0);
    EXPECT_EQ(Color::black(), Color::grey(0));
    EXPECT_NE(Color::black(), Color::rgb(0, 0, 0));  // different colour spaces, as the platform compares
    EXPECT_EQ(Color::rgb8(255, 128, 0).rgba()->green, 128.0 / 255.0);
    EXPECT_EQ(Color::orange().withAlpha(0.25).rgba(), (RGBAComponents{1, 0.5, 0, 0.25}));
}

TEST(ColorTest, PatternColoursHaveNoComponents) {
    Color pattern = Color::pattern(Image::filled(2, 2, RGBA{1, 2, 3, 255}));
    EXPECT_FALSE(pattern.hasRGBComponents());
    EXPECT_EQ(pattern.space(), Color::Space::Pattern);
    double r = -1;
    EXPECT_FALSE(pattern.getRed(&r, nullptr, nullptr, nullptr));
    EXPECT_EQ(r, -1);
    EXPECT_FALSE(pattern.getHue(nullptr, nullptr, nullptr, nullptr));
    EXPECT_FALSE(pattern.rgba());
    ASSERT_TRUE(pattern.patternImage());
    EXPECT_EQ(pattern.patternImage()->pixelAt(1, 1), (RGBA{1, 2, 3, 255}));
    EXPECT_TRUE(Color::blue().hasRGBComponents());
    EXPECT_TRUE(Color::white().hasRGBComponents());
}

TEST(ColorTest, ConvertsToQtColoursClamped) {
    QColor c = Color::rgb(1.5, -0.5, 0.5, 2).toQColor();
    EXPECT_EQ(c.red(), 255);
    EXPECT_EQ(c.green(), 0);
    EXPECT_EQ(c.blue(), 128);
    EXPECT_EQ(c.alpha(), 255);
    EXPECT_EQ(Color::fromQColor(QColor(0, 255, 0)).rgba(), (RGBAComponents{0, 1, 0, 1}));
}
