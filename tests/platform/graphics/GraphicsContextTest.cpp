#include "Printers.h"
#include "platform/graphics/GraphicsContext.h"
#include "support/Pictures.h"

#include <gtest/gtest.h>
#include <numbers>

using namespace graphics;
using testsupport::pixelNear;

namespace {

constexpr RGBA kTransparent{0, 0, 0, 0};
constexpr RGBA kRed{255, 0, 0, 255};
constexpr RGBA kBlue{0, 0, 255, 255};
constexpr RGBA kWhite{255, 255, 255, 255};

// Pixels whose alpha is above zero, and their bounding box in pixels.
struct Coverage {
    int count = 0;
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
};

Coverage coverage(const Image& image, bool (*counts)(RGBA)) {
    Coverage c;
    for (int y = 0; y < image.pixelHeight(); ++y)
        for (int x = 0; x < image.pixelWidth(); ++x)
            if (counts(image.pixelAt(x, y))) {
                ++c.count;
                c.minX = std::min(c.minX, x);
                c.minY = std::min(c.minY, y);
                c.maxX = std::max(c.maxX, x);
                c.maxY = std::max(c.maxY, y);
            }
    return c;
}

bool opaque(RGBA p) { return p.a == 255; }

bool dark(RGBA p) { return p.a > 0 && p.r < 128; }

}  // namespace

TEST(GraphicsContextTest, FilledRectCoversExactlyItsPixelsAtScale) {
    GraphicsContext context(Size{10, 8}, 2.0);
    EXPECT_EQ(context.pixelWidth(), 20);
    EXPECT_EQ(context.pixelHeight(), 16);
    context.setFillColor(Color::red());
    context.fillRect(Rect(1, 2, 3, 4));
    Image image = context.makeImage();
    EXPECT_EQ(image.scale(), 2.0);
    EXPECT_EQ(image.size(), (Size{10, 8}));
    Coverage c = coverage(image, opaque);
    EXPECT_EQ(c.count, 6 * 8);
    EXPECT_EQ(c.minX, 2);
    EXPECT_EQ(c.minY, 4);
    EXPECT_EQ(c.maxX, 7);
    EXPECT_EQ(c.maxY, 11);
    EXPECT_EQ(image.pixelAt(3, 5), kRed);
    EXPECT_EQ(image.pixelAt(1, 5), kTransparent);
}

TEST(GraphicsContextTest, OpaqueContextsStartBlackAndClearRectClears) {
    GraphicsContext opaqueContext(Size{4, 4}, 1.0, true);
    EXPECT_EQ(opaqueContext.makeImage().pixelAt(2, 2), (RGBA{0, 0, 0, 255}));
    GraphicsContext context(Size{4, 4});
    context.setFillColor(Color::blue());
    context.fillRect(Rect(0, 0, 4, 4));
    context.setAlpha(0.3);
    context.setBlendMode(BlendMode::Multiply);
    context.clearRect(Rect(0, 0, 2, 4));  // whatever alpha and blend mode say
    Image image = context.makeImage();
    EXPECT_EQ(image.pixelAt(1, 1), kTransparent);
    EXPECT_EQ(image.pixelAt(3, 1), kBlue);
}

TEST(GraphicsContextTest, ClippingNarrowsAndRestoreWidens) {
    GraphicsContext context(Size{20, 20});
    context.saveGState();
    context.clipToRect(Rect(5, 5, 10, 10));
    context.clipToRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(context.clipBoundingBox(), Rect(5, 5, 5, 5));
    context.setFillColor(Color::red());
    context.fillRect(Rect(0, 0, 20, 20));
    context.restoreGState();
    EXPECT_EQ(context.clipBoundingBox(), Rect(0, 0, 20, 20));
    Image image = context.makeImage();
    Coverage c = coverage(image, opaque);
    EXPECT_EQ(c.count, 25);
    EXPECT_EQ(c.minX, 5);
    EXPECT_EQ(c.maxX, 9);
    // After the restore the whole area can be drawn on again.
    context.setFillColor(Color::blue());
    context.fillRect(Rect(15, 15, 5, 5));
    EXPECT_EQ(context.makeImage().pixelAt(17, 17), kBlue);
    // Unbalanced restores are harmless.
    context.restoreGState();
    context.restoreGState();
}

TEST(GraphicsContextTest, ClipToPathUsesTheFillRule) {
    GraphicsContext context(Size{30, 30});
    Path rings;
    rings.addRect(Rect(0, 0, 30, 30));
    rings.addRect(Rect(10, 10, 10, 10));
    context.clipToPath(rings, FillRule::EvenOdd);
    context.setFillColor(Color::red());
    context.fillRect(Rect(0, 0, 30, 30));
    Image image = context.makeImage();
    EXPECT_EQ(image.pixelAt(2, 2), kRed);
    EXPECT_EQ(image.pixelAt(15, 15), kTransparent);  // the hole
}

TEST(GraphicsContextTest, TransformsApplyInThePlatformOrder) {
    GraphicsContext context(Size{40, 40});
    // Move to (30, 10), then turn a quarter clockwise: a rect along +x now
    // runs down along +y from there, and its +y side lies towards -x.
    context.translate(30, 10);
    context.rotate(std::numbers::pi / 2);
    EXPECT_TRUE(context.ctm().isClose(
        concat(AffineTransform::makeRotation(std::numbers::pi / 2), AffineTransform::makeTranslation(30, 10))));
    context.setFillColor(Color::red());
    context.fillRect(Rect(0, 0, 20, 5));
    Image image = context.makeImage();
    Coverage c = coverage(image, opaque);
    EXPECT_EQ(c.minX, 25);
    EXPECT_EQ(c.maxX, 29);
    EXPECT_EQ(c.minY, 10);
    EXPECT_EQ(c.maxY, 29);
    EXPECT_EQ(c.count, 100);
}

TEST(GraphicsContextTest, ImageAtHalfAlphaWithBlendModes) {
    Image top = Image::filled(4, 4, RGBA{100, 200, 255, 255});
    auto drawOn = [&](BlendMode mode) {
        GraphicsContext context(Size{4, 4});
        context.setFillColor(Color::rgb8(200, 100, 50));
        context.fillRect(Rect(0, 0, 4, 4));
        context.drawImage(top, Rect(0, 0, 4, 4), mode, 0.5);
        return context.makeImage().pixelAt(2, 2);
    };
    // Normal: halfway between the two.
    EXPECT_PRED3(pixelNear, drawOn(BlendMode::Normal), (RGBA{150, 150, 152, 255}), 2);
    // Multiply: src × dst = (78, 78, 50), then half of it over the backdrop.
    EXPECT_PRED3(pixelNear, drawOn(BlendMode::Multiply), (RGBA{139, 89, 50, 255}), 2);
    // Screen: 1 − (1 − s)(1 − d) = (222, 222, 255), half over the backdrop.
    EXPECT_PRED3(pixelNear, drawOn(BlendMode::Screen), (RGBA{211, 161, 152, 255}), 2);
    // Difference: |s − d| = (100, 100, 205).
    EXPECT_PRED3(pixelNear, drawOn(BlendMode::Difference), (RGBA{150, 100, 127, 255}), 2);
    // Destination-out at half strength removes half of the backdrop's coverage.
    RGBA out = drawOn(BlendMode::DestinationOut);
    EXPECT_NEAR(out.a, 128, 2);
}

TEST(GraphicsContextTest, DrawnImagesHonourTheirOrientationAndBitmapsDrawFlipped) {
    QImage bitmap(2, 2, QImage::Format_RGBA8888);
    bitmap.fill(Qt::white);
    bitmap.setPixelColor(0, 0, Qt::red);  // stored top-left
    Image image(bitmap);
    GraphicsContext context(Size{4, 2});
    context.setSmoothImageScaling(false);
    context.drawImage(image.withOrientation(ImageOrientation::Right), Rect(0, 0, 2, 2));
    context.drawBitmap(image, Rect(2, 0, 2, 2));
    Image result = context.makeImage();
    EXPECT_EQ(result.pixelAt(1, 0), kRed);  // turned clockwise: top right
    EXPECT_EQ(result.pixelAt(0, 0), kWhite);
    EXPECT_EQ(result.pixelAt(2, 1), kRed);  // flipped: first row at the bottom
    EXPECT_EQ(result.pixelAt(2, 0), kWhite);
}

TEST(GraphicsContextTest, GlobalAlphaAndShadow) {
    GraphicsContext context(Size{20, 20});
    context.setAlpha(0.5);
    context.setFillColor(Color::red());
    context.fillRect(Rect(0, 0, 4, 4));
    context.setAlpha(1.0);
    context.setShadow(Size{3, 3}, 0, Color::blue());
    context.fillRect(Rect(10, 10, 4, 4));
    Image image = context.makeImage();
    EXPECT_PRED3(pixelNear, image.pixelAt(1, 1), (RGBA{255, 0, 0, 128}), 1);
    EXPECT_EQ(image.pixelAt(11, 11), kRed);
    EXPECT_EQ(image.pixelAt(15, 15), kBlue);  // the shadow, down and to the right
    EXPECT_EQ(image.pixelAt(9, 9), kTransparent);
    // A blurred shadow spreads beyond the shape's offset outline and fades.
    context.clearShadow();
    context.clearRect(Rect(0, 0, 20, 20));
    context.setShadow(Size{0, 0}, 4, Color::black());
    context.fillRect(Rect(8, 8, 4, 4));
    Image blurred = context.makeImage();
    RGBA halo = blurred.pixelAt(6, 10);
    EXPECT_GT(halo.a, 0);
    EXPECT_LT(halo.a, 255);
    EXPECT_EQ(blurred.pixelAt(0, 0).a, 0);
}

TEST(GraphicsContextTest, PathsStrokesAndGradients) {
    GraphicsContext context(Size{40, 20});
    Path triangle;
    triangle.moveTo({0, 0});
    triangle.lineTo({20, 0});
    triangle.lineTo({0, 20});
    triangle.close();
    context.setFillColor(Color::red());
    context.fillPath(triangle);
    Gradient ramp = Gradient::withColors({Color::red(), Color::blue()});
    context.saveGState();
    context.clipToRect(Rect(20, 0, 20, 20));
    context.drawLinearGradient(ramp, Point{25, 0}, Point{35, 0}, kGradientDrawsAfterEnd);
    context.restoreGState();
    Image image = context.makeImage();
    EXPECT_EQ(image.pixelAt(2, 2), kRed);
    EXPECT_EQ(image.pixelAt(17, 17), kTransparent);  // beyond the diagonal
    EXPECT_EQ(image.pixelAt(22, 10), kTransparent);  // before the start, not asked for
    EXPECT_PRED3(pixelNear, image.pixelAt(25, 10), kRed, 20);
    EXPECT_PRED3(pixelNear, image.pixelAt(30, 10), (RGBA{128, 0, 128, 255}), 20);
    EXPECT_EQ(image.pixelAt(39, 10), kBlue);  // after the end, asked for
}

TEST(GraphicsContextTest, RadialGradientStaysInsideItsCircleUnlessExtended) {
    Gradient ramp = Gradient::withColors({Color::white(), Color::blue()}, {0.0, 1.0});
    GraphicsContext context(Size{40, 40});
    context.drawRadialGradient(ramp, Point{20, 20}, 0, Point{20, 20}, 10, kGradientDrawsNone);
    Image inside = context.makeImage();
    EXPECT_PRED3(pixelNear, inside.pixelAt(20, 20), kWhite, 30);
    EXPECT_PRED3(pixelNear, inside.pixelAt(20, 28), (RGBA{51, 51, 255, 255}), 30);
    EXPECT_EQ(inside.pixelAt(2, 2), kTransparent);
    context.drawRadialGradient(ramp, Point{20, 20}, 0, Point{20, 20}, 10, kGradientDrawsAfterEnd);
    EXPECT_EQ(context.makeImage().pixelAt(2, 2), kBlue);
    // A start circle is a hole unless the gradient is extended before it.
    GraphicsContext ring(Size{40, 40});
    ring.drawRadialGradient(ramp, Point{20, 20}, 5, Point{20, 20}, 15, kGradientDrawsNone);
    EXPECT_EQ(ring.makeImage().pixelAt(20, 20), kTransparent);
    ring.drawRadialGradient(ramp, Point{20, 20}, 5, Point{20, 20}, 15, kGradientDrawsBeforeStart);
    EXPECT_EQ(ring.makeImage().pixelAt(20, 20), kWhite);
}

TEST(GraphicsContextTest, StrokesUseThePathOrContextSettings) {
    GraphicsContext context(Size{20, 20});
    context.setStrokeColor(Color::red());
    context.setAntialias(false);
    Path line;
    line.moveTo({0, 5});
    line.lineTo({20, 5});
    line.lineWidth = 4;
    context.strokePath(line);
    context.setLineWidth(2);
    Path second;
    second.moveTo({0, 15});
    second.lineTo({20, 15});
    second.lineWidth = 9;  // ignored: the context's width applies
    context.strokePathWithContextSettings(second);
    Image image = context.makeImage();
    int thick = 0, thin = 0;
    for (int y = 0; y < 20; ++y) {
        if (image.pixelAt(10, y) == kRed) (y < 10 ? thick : thin)++;
    }
    EXPECT_EQ(thick, 4);
    EXPECT_EQ(thin, 2);
}

TEST(GraphicsContextTest, DashesAreMeasuredInPoints) {
    GraphicsContext context(Size{24, 10});
    context.setAntialias(false);
    context.setStrokeColor(Color::red());
    context.setLineWidth(2);
    context.setLineDash(0, {4, 2});  // in points, whatever the line width
    context.strokeLine(Point{0, 5}, Point{24, 5});
    Image image = context.makeImage();
    std::string pattern;
    for (int x = 0; x < 24; ++x) pattern += image.pixelAt(x, 5) == kRed ? '#' : '.';
    EXPECT_EQ(pattern, "####..####..####..####..");
}

TEST(GraphicsContextTest, PatternColourTilesItsImage) {
    QImage tile(2, 1, QImage::Format_RGBA8888);
    tile.setPixelColor(0, 0, Qt::red);
    tile.setPixelColor(1, 0, Qt::blue);
    GraphicsContext context(Size{6, 2});
    context.setFillColor(Color::pattern(Image(tile)));
    context.fillRect(Rect(0, 0, 6, 2));
    Image image = context.makeImage();
    EXPECT_EQ(image.pixelAt(0, 1), kRed);
    EXPECT_EQ(image.pixelAt(3, 0), kBlue);
    EXPECT_EQ(image.pixelAt(4, 1), kRed);
}

TEST(GraphicsContextTest, SnapshotsDoNotChangeWithLaterDrawing) {
    GraphicsContext context(Size{4, 4});
    Image before = context.makeImage();
    context.setFillColor(Color::red());
    context.fillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(before.pixelAt(1, 1), kTransparent);
    EXPECT_EQ(context.makeImage().pixelAt(1, 1), kRed);
    // Drawing over an image leaves the image itself alone.
    GraphicsContext over(before);
    over.setFillColor(Color::blue());
    over.fillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(before.pixelAt(1, 1), kTransparent);
    EXPECT_EQ(over.makeImage().pixelAt(1, 1), kBlue);
}

TEST(GraphicsContextTest, EmptyContextsDrawNothingAndGiveNoImage) {
    GraphicsContext context(Size{0, 10});
    context.setFillColor(Color::red());
    context.fillRect(Rect(0, 0, 10, 10));
    EXPECT_TRUE(context.makeImage().isNull());
    GraphicsContext fromNull{Image()};
    EXPECT_TRUE(fromNull.makeImage().isNull());
}

TEST(GraphicsContextTextTest, DrawnTextInkLiesInsideItsMeasuredBox) {
    Font font = Font::systemFont(20);
    Size measured = font.sizeOfText("Hello");
    GraphicsContext context(Size{120, 40});
    context.setFillColor(Color::white());
    context.fillRect(Rect(0, 0, 120, 40));
    context.setFillColor(Color::black());
    Size drawn = context.drawText("Hello", Point{10, 5}, font);
    EXPECT_EQ(drawn, measured);
    Image image = context.makeImage();
    Coverage ink = coverage(image, dark);
    EXPECT_GT(ink.count, 60);
    EXPECT_GE(ink.minX, 10);
    EXPECT_LE(ink.maxX, 10 + measured.width);
    EXPECT_GE(ink.minY, 5);
    EXPECT_LE(ink.maxY, 5 + measured.height);
    // The capital H starts near the left edge; nothing is drawn far right.
    EXPECT_LE(ink.minX, 13);
    EXPECT_EQ(coverage(image.cropped(Rect(70, 0, 50, 40)), dark).count, 0);
}

TEST(GraphicsContextTextTest, AlignmentAndLineLimitInRects) {
    Font font = Font::systemFont(12);
    GraphicsContext context(Size{200, 100});
    context.setFillColor(Color::black());
    context.drawText("Right", Rect(0, 0, 200, 20), font, LineBreakMode::WordWrap, TextAlignment::Right);
    Coverage right = coverage(context.makeImage(), dark);
    EXPECT_GT(right.minX, 150);
    EXPECT_LE(right.maxX, 200);
    // Three lines of text into a box that holds one: only the first is drawn.
    GraphicsContext small(Size{200, 100});
    small.setFillColor(Color::black());
    Size drawn = small.drawText("one\ntwo\nthree", Rect(0, 0, 200, font.lineHeight() + 1), font);
    EXPECT_EQ(drawn.height, std::ceil(font.lineHeight()));
    EXPECT_LT(coverage(small.makeImage(), dark).maxY, font.lineHeight() + 1);
}

TEST(GraphicsContextTextTest, StrokedTextMatchesItsMeasuredBox) {
    Font font = Font::boldSystemFont(18);
    Size measured = font.sizeOfText("Outline");
    GraphicsContext context(Size{150, 40});
    context.setStrokeColor(Color::black());
    context.setLineWidth(1);
    context.strokeText("Outline", Point{5, 5}, font);
    Coverage ink = coverage(context.makeImage(), [](RGBA p) { return p.a > 100; });
    EXPECT_GT(ink.count, 50);
    EXPECT_GE(ink.minY, 5);
    EXPECT_LE(ink.maxY, 5 + measured.height);
    // Outlines at the screen's resolution would come out a third too wide.
    EXPECT_LE(ink.maxX, 5 + measured.width + 1);
    EXPECT_GE(ink.maxX, 5 + measured.width - 4);
}
