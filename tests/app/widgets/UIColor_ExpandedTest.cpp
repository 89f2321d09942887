#include "app/widgets/categories/UIColor_Expanded.h"
#include "app/widgets/categories/UIColor_Expanded_Support.h"
#include "platform/graphics/Image.h"

#include <QColor>
#include <QString>
#include <atomic>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <vector>

namespace {

using graphics::Color;
using namespace UIColor_Expanded;

void expectRGBA(const std::optional<Color>& color, double r, double g, double b, double a) {
    ASSERT_TRUE(color.has_value());
    auto c = color->rgba();
    ASSERT_TRUE(c.has_value());
    EXPECT_NEAR(c->red, r, 1e-6);
    EXPECT_NEAR(c->green, g, 1e-6);
    EXPECT_NEAR(c->blue, b, 1e-6);
    EXPECT_NEAR(c->alpha, a, 1e-6);
}

Color patternColor() { return Color::pattern(graphics::Image::filled(2, 2, {255, 0, 0, 255})); }

TEST(ColorHexForms, HexStringWithAndWithoutPrefix) {
    expectRGBA(colorWithHexString("ff8000"), 1, 128 / 255.0, 0, 1);
    expectRGBA(colorWithHexString("0xff8000"), 1, 128 / 255.0, 0, 1);
    expectRGBA(colorWithHexString("0XFF8000"), 1, 128 / 255.0, 0, 1);
    expectRGBA(colorWithHexString("  \tff8000"), 1, 128 / 255.0, 0, 1);
    EXPECT_FALSE(colorWithHexString("#ff8000").has_value());
    EXPECT_FALSE(colorWithHexString("").has_value());
    EXPECT_FALSE(colorWithHexString("0x").has_value());
    EXPECT_FALSE(colorWithHexString("zz").has_value());
}

TEST(ColorHexForms, ReadingStopsAtFirstOtherCharacter) {
    expectRGBA(colorWithHexString("ff;00ff"), 0, 0, 1, 1);
    expectRGBA(colorWithHexString("12g456"), 0, 0, 0x12 / 255.0, 1);
    // Higher bits than 0xRRGGBB are ignored, also when the value overflows 32 bits.
    expectRGBA(colorWithHexString("ab00ff00"), 0, 1, 0, 1);
    expectRGBA(colorWithHexString("123456789abcdef0"), 1, 1, 1, 1);
}

TEST(ColorHexForms, RgbHexClampsAndRounds) {
    EXPECT_EQ(rgbHex(Color::rgb(1.2, -0.1, 0.5)), 0xFF0080u);
    EXPECT_EQ(hexStringFromColor(Color::rgb(1.2, -0.1, 0.5)), "FF0080");
    EXPECT_EQ(hexStringFromColor(Color::rgb(0, 0, 0x0a / 255.0)), "00000A");
    EXPECT_EQ(rgbHex(Color::grey(0.5)), 0x808080u);
    EXPECT_EQ(rgbHex(patternColor()), 0u);
    EXPECT_EQ(hexStringFromColor(patternColor()), "000000");
    for (uint32_t hex : {0x000000u, 0xFFFFFFu, 0x123456u, 0xfedcbau}) EXPECT_EQ(rgbHex(colorWithRGBHex(hex)), hex);
}

TEST(ColorTextForms, WritesThreeDecimals) {
    EXPECT_EQ(stringFromColor(Color::grey(0.5, 0.25)), "{0.500, 0.250}");
    EXPECT_EQ(stringFromColor(Color::rgb(1, 0.1234, 0, 1)), "{1.000, 0.123, 0.000, 1.000}");
    EXPECT_FALSE(stringFromColor(patternColor()).has_value());
}

TEST(ColorTextForms, ReadsGreyAndRGB) {
    auto grey = colorWithString("{0.500, 0.250}");
    ASSERT_TRUE(grey.has_value());
    EXPECT_EQ(colorSpaceModel(*grey), kColorSpaceModelMonochrome);
    EXPECT_DOUBLE_EQ(white(*grey), 0.5);
    EXPECT_DOUBLE_EQ(grey->alpha(), 0.25);
    expectRGBA(colorWithString("{ 1 ,0.5,\n0.25 , 1e-1 }"), 1, 0.5, 0.25, 0.1f);
    expectRGBA(colorWithString("{-0.5, +.5, 2.0, 1}"), -0.5, 0.5, 2.0, 1);
    // What stringFromColor writes reads back.
    auto text = stringFromColor(Color::rgb(0.2, 0.4, 0.6, 0.8));
    ASSERT_TRUE(text.has_value());
    expectRGBA(colorWithString(*text), 0.2, 0.4, 0.6, 0.8);
}

TEST(ColorTextForms, RejectsOtherShapes) {
    for (const char* text :
         {"{0.5, 0.5, 0.5}", "{0.5}", "{0.1, 0.2, 0.3, 0.4, 0.5}", "{0.1, 0.2, 0.3, 0.4}x", "{0.1, 0.2, 0.3, 0.4} ",
          "{0.1 0.2}", "{0.1, }", "0.1, 0.2}", "{0.1, 0.2", "{, 0.2}", "{}", "", "{0.1, 0.2}}", "{0.1, abc}"}) {
        EXPECT_FALSE(colorWithString(text).has_value()) << text;
    }
}

TEST(ColorNames, TableHoldsTheCssKeywordsAsQtKnowsThem) {
    std::string_view table = UIColor_Expanded_Support::kColorNameTable;
    EXPECT_TRUE(table.starts_with(",aliceblue#f0f8ff,antiquewhite#faebd7,"));
    EXPECT_TRUE(table.ends_with(",yellowgreen#9acd32"));
    std::vector<std::string> names;
    size_t at = 0;
    while (at < table.size()) {
        ASSERT_EQ(table[at], ',');
        size_t hash = table.find('#', at);
        ASSERT_NE(hash, std::string_view::npos);
        names.emplace_back(table.substr(at + 1, hash - at - 1));
        std::string value(table.substr(hash + 1, 6));
        at = hash + 7;
        // Qt knows the same keywords (the SVG colour names); its values must agree.
        QColor reference(QString::fromStdString(names.back()));
        ASSERT_TRUE(reference.isValid()) << names.back();
        EXPECT_EQ(value, reference.name().mid(1).toStdString()) << names.back();
    }
    EXPECT_EQ(names.size(), 147u);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
}

TEST(ColorNames, SearchIsExactAndCaseSensitive) {
    using UIColor_Expanded_Support::searchForColorByName;
    expectRGBA(searchForColorByName("red"), 1, 0, 0, 1);
    expectRGBA(searchForColorByName("yellowgreen"), 0x9a / 255.0, 0xcd / 255.0, 0x32 / 255.0, 1);
    expectRGBA(searchForColorByName("aliceblue"), 0xf0 / 255.0, 0xf8 / 255.0, 1, 1);
    EXPECT_FALSE(searchForColorByName("Red").has_value());
    EXPECT_FALSE(searchForColorByName("re").has_value());
    EXPECT_FALSE(searchForColorByName("").has_value());
    // Separators in the name must not match across entries of the table.
    EXPECT_FALSE(searchForColorByName("aliceblue#f0f8ff,antiquewhite").has_value());
    EXPECT_FALSE(searchForColorByName("f0f8ff,antiquewhite").has_value());
}

TEST(ColorNames, GreyAndGraySpellingsAndCache) {
    auto grey = colorWithName("grey");
    auto gray = colorWithName("gray");
    ASSERT_TRUE(grey && gray);
    EXPECT_EQ(rgbHex(*grey), 0x808080u);
    EXPECT_EQ(*grey, *gray);

    EXPECT_FALSE(detail::nameIsCached("Grey"));
    EXPECT_FALSE(colorWithName("Grey").has_value());
    EXPECT_TRUE(detail::nameIsCached("Grey"));
    EXPECT_FALSE(colorWithName("Grey").has_value());
    EXPECT_TRUE(detail::nameIsCached("grey"));
}

TEST(ColorNames, ConcurrentLookupsAgree) {
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                auto c = colorWithName(i % 2 ? "teal" : "nosuchcolour");
                if ((i % 2) != c.has_value()) ++mismatches;
                if (c && rgbHex(*c) != 0x008080u) ++mismatches;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(ColorComponents, ModelsAndTheirNames) {
    EXPECT_EQ(colorSpaceModel(Color::grey(0.3)), 0);
    EXPECT_EQ(colorSpaceModel(Color::rgb(0, 0, 0)), 1);
    EXPECT_EQ(colorSpaceModel(patternColor()), 6);
    EXPECT_EQ(colorSpaceString(patternColor()), "kCGColorSpaceModelPattern");
    EXPECT_EQ(colorSpaceString(Color::grey(0.3)), "kCGColorSpaceModelMonochrome");
    const char* names[] = {"kCGColorSpaceModelUnknown", "kCGColorSpaceModelMonochrome", "kCGColorSpaceModelRGB",
                           "kCGColorSpaceModelCMYK",    "kCGColorSpaceModelLab",        "kCGColorSpaceModelDeviceN",
                           "kCGColorSpaceModelIndexed", "kCGColorSpaceModelPattern"};
    for (int model = -1; model <= 6; ++model) EXPECT_EQ(colorSpaceString(model), names[model + 1]);
    EXPECT_EQ(colorSpaceString(7), "Not a valid color space");
    EXPECT_EQ(colorSpaceString(-2), "Not a valid color space");
    EXPECT_TRUE(canProvideRGBComponents(Color::grey(0.3)));
    EXPECT_FALSE(canProvideRGBComponents(patternColor()));
}

TEST(ColorComponents, GreyAnswersItsWhiteForEveryChannel) {
    Color grey = Color::grey(0.25, 0.75);
    double r = -1, g = -1, b = -1, a = -1;
    EXPECT_TRUE(red(grey, &r, &g, &b, &a));
    EXPECT_EQ(r, 0.25);
    EXPECT_EQ(g, 0.25);
    EXPECT_EQ(b, 0.25);
    EXPECT_EQ(a, 0.75);
    EXPECT_TRUE(red(grey, nullptr, nullptr, &b, nullptr));
    EXPECT_EQ(green(grey), 0.25);
    EXPECT_EQ(blue(grey), 0.25);
    EXPECT_EQ(alpha(grey), 0.75);

    Color rgb = Color::rgb(0.1, 0.2, 0.3, 0.4);
    EXPECT_EQ(red(rgb), 0.1);
    EXPECT_EQ(green(rgb), 0.2);
    EXPECT_EQ(blue(rgb), 0.3);
    auto array = arrayFromRGBAComponents(rgb);
    ASSERT_TRUE(array.has_value());
    EXPECT_EQ((*array)[2], 0.3f);
    EXPECT_EQ((*array)[3], 0.4f);
}

TEST(ColorComponents, PatternWritesNothing) {
    double r = -1, g = -1, b = -1, a = -1;
    EXPECT_FALSE(red(patternColor(), &r, &g, &b, &a));
    EXPECT_EQ(r, -1);
    EXPECT_EQ(a, -1);
    EXPECT_FALSE(arrayFromRGBAComponents(patternColor()).has_value());
    EXPECT_EQ(red(patternColor()), 0.0);
    EXPECT_FALSE(colorByLuminanceMapping(patternColor()).has_value());
}

TEST(ColorArithmetic, ComponentWiseWithClamping) {
    Color c = Color::rgb(0.5, 0.8, 0.2, 0.6);
    expectRGBA(colorByMultiplyingByRed(c, 2, 0.5, -1, 1), 1, 0.4, 0, 0.6);
    expectRGBA(colorByAddingRed(c, 0.6, 0.1, -0.5, 0.1), 1, 0.9, 0, 0.7);
    expectRGBA(colorByLighteningToRed(c, 0.6, 0.1, 1.5, 0), 0.6, 0.8, 1.5, 0.6);
    expectRGBA(colorByDarkeningToRed(c, 0.6, 0.1, -0.5, 1), 0.5, 0.1, -0.5, 0.6);
}

TEST(ColorArithmetic, SingleFactorKeepsAlpha) {
    Color c = Color::rgb(0.5, 0.8, 0.2, 0.6);
    expectRGBA(colorByMultiplyingBy(c, 0.5), 0.25, 0.4, 0.1, 0.6);
    expectRGBA(colorByAdding(c, 0.3), 0.8, 1, 0.5, 0.6);
    expectRGBA(colorByLighteningTo(c, 0.7), 0.7, 0.8, 0.7, 0.6);
    expectRGBA(colorByDarkeningTo(c, 0.3), 0.3, 0.3, 0.2, 0.6);
}

TEST(ColorArithmetic, WithAnotherColor) {
    Color c = Color::rgb(0.5, 0.8, 0.2, 0.6);
    Color other = Color::grey(0.5, 0.1);  // the other's alpha plays no part
    expectRGBA(colorByMultiplyingByColor(c, other), 0.25, 0.4, 0.1, 0.6);
    expectRGBA(colorByAddingColor(c, other), 1, 1, 0.7, 0.6);
    expectRGBA(colorByLighteningToColor(c, other), 0.5, 0.8, 0.5, 0.6);
    expectRGBA(colorByDarkeningToColor(c, other), 0.5, 0.5, 0.2, 0.6);
    // Results are RGB even for a grey receiver.
    auto fromGrey = colorByAdding(Color::grey(0.2), 0.1);
    ASSERT_TRUE(fromGrey.has_value());
    EXPECT_EQ(colorSpaceModel(*fromGrey), kColorSpaceModelRGB);
    EXPECT_FALSE(colorByAddingColor(c, patternColor()).has_value());
    EXPECT_FALSE(colorByAddingColor(patternColor(), c).has_value());
    EXPECT_FALSE(colorByMultiplyingBy(patternColor(), 1).has_value());
}

TEST(ColorArithmetic, LuminanceAndRandom) {
    auto luminance = colorByLuminanceMapping(Color::rgb(1, 0, 0, 0.5));
    ASSERT_TRUE(luminance.has_value());
    EXPECT_EQ(colorSpaceModel(*luminance), kColorSpaceModelMonochrome);
    EXPECT_NEAR(white(*luminance), 0.2126, 1e-9);
    EXPECT_EQ(luminance->alpha(), 0.5);
    EXPECT_NEAR(white(*colorByLuminanceMapping(Color::rgb(1, 1, 1))), 1.0, 1e-9);

    ::srandom(7);
    Color first = randomColor();
    ::srandom(7);
    EXPECT_EQ(randomColor(), first);
    for (int i = 0; i < 50; ++i) {
        auto c = randomColor().rgba();
        ASSERT_TRUE(c.has_value());
        for (double v : {c->red, c->green, c->blue}) {
            EXPECT_GE(v, 0.0);
            EXPECT_LE(v, 1.0);
        }
        EXPECT_EQ(c->alpha, 1.0);
    }
}

}  // namespace
