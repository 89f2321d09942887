#include "Printers.h"
#include "platform/graphics/Font.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace graphics;

TEST(FontTest, DefaultFaceMetricsAreDejaVuSans) {
    Font font = Font::systemFont(20);
    // DejaVu Sans: ascent 1901 and descent 483 per 2048 units of the em.
    EXPECT_NEAR(font.ascender(), 20 * 1901.0 / 2048, 0.05);
    EXPECT_NEAR(font.descender(), -20 * 483.0 / 2048, 0.05);
    EXPECT_NEAR(font.lineHeight(), font.ascender() - font.descender(), 1e-9);
    // Sizes are points on a 72-dpi grid: twice the size, twice the metrics.
    EXPECT_NEAR(Font::systemFont(40).lineHeight(), 2 * font.lineHeight(), 0.1);
}

TEST(FontTest, UnknownFamiliesFallBackToTheDefaultFace) {
    Font platformName("HelveticaNeue-CondensedBlack", 17);
    Font fallback = Font::systemFont(17);
    EXPECT_EQ(platformName.family(), "HelveticaNeue-CondensedBlack");  // kept as asked
    EXPECT_EQ(platformName.sizeOfText("Measured the same"), fallback.sizeOfText("Measured the same"));
    EXPECT_EQ(platformName.qfont().family().toStdString(), kDefaultFontFamily);
}

TEST(FontTest, MeasurementIsStableAndRoundedUp) {
    Font font = Font::systemFont(17);
    Size once = font.sizeOfText("Hello, world");
    EXPECT_EQ(font.sizeOfText("Hello, world"), once);
    EXPECT_EQ(once.width, std::ceil(font.widthOfText("Hello, world")));
    EXPECT_EQ(once.height, std::ceil(font.lineHeight()));
    EXPECT_GT(Font::boldSystemFont(17).widthOfText("Hello, world"), font.widthOfText("Hello, world"));
    EXPECT_EQ(font.sizeOfText(""), (Size{0, 0}));
    // A newline starts a second line, even an empty one.
    EXPECT_EQ(font.sizeOfText("a\n").height, std::ceil(2 * font.lineHeight()));
}

TEST(FontTest, WrappingBreaksAtWordsWithinTheWidth) {
    Font font = Font::systemFont(14);
    std::string text = "the quick brown fox jumps over the lazy dog";
    double oneLine = font.widthOfText(text);
    Size wrapped = font.sizeOfText(text, 100, LineBreakMode::WordWrap);
    EXPECT_LE(wrapped.width, 100);
    int lines = static_cast<int>(std::lround(wrapped.height / font.lineHeight()));
    EXPECT_GE(lines, static_cast<int>(std::ceil(oneLine / 100)));
    EXPECT_NEAR(wrapped.height, std::ceil(lines * font.lineHeight()), 1e-9);
    // A word longer than the line is still broken rather than overflowing.
    Size longWord = font.sizeOfText("Supercalifragilisticexpialidocious", 60, LineBreakMode::WordWrap);
    EXPECT_LE(longWord.width, 60);
    EXPECT_GT(longWord.height, font.lineHeight() * 2);
    // Character wrap fills lines more fully than word wrap, never less.
    Size byChar = font.sizeOfText(text, 100, LineBreakMode::CharWrap);
    EXPECT_LE(byChar.height, wrapped.height);
}

TEST(FontTest, TruncatingModesKeepOneLineWithinTheWidth) {
    Font font = Font::systemFont(14);
    std::string text = "the quick brown fox jumps over the lazy dog";
    for (LineBreakMode mode : {LineBreakMode::Clip, LineBreakMode::TruncateHead, LineBreakMode::TruncateTail,
                               LineBreakMode::TruncateMiddle}) {
        Size size = font.sizeOfText(text, 80, mode);
        EXPECT_LE(size.width, 80) << static_cast<int>(mode);
        EXPECT_EQ(size.height, std::ceil(font.lineHeight())) << static_cast<int>(mode);
    }
    // Short text is not padded to the width.
    EXPECT_EQ(font.sizeOfText("dog", 80, LineBreakMode::TruncateTail), font.sizeOfText("dog"));
}
