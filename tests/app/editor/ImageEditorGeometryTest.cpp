#include "app/editor/ImageEditorGeometry.h"
#include "support/Pictures.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using graphics::AffineTransform;
using graphics::Rect;
using graphics::Size;
namespace ie = imageeditor;

namespace {

constexpr double kPi = std::numbers::pi;

void expectRectNear(const Rect& actual, const Rect& expected, const std::string& what, double tolerance = 1e-6) {
    EXPECT_NEAR(actual.origin.x, expected.origin.x, tolerance) << what;
    EXPECT_NEAR(actual.origin.y, expected.origin.y, tolerance) << what;
    EXPECT_NEAR(actual.size.width, expected.size.width, tolerance) << what;
    EXPECT_NEAR(actual.size.height, expected.size.height, tolerance) << what;
}

TEST(ImageEditorGeometry, ResetCoversTheCropWindow) {
    const Rect crop(0, 96, 1024, 576);
    struct Case {
        const char* what;
        Size source;
        Rect expected;
    };
    const Case cases[] = {
        {"wider: fills the height, overflows left and right", {2000, 800}, Rect(-208, 96, 1440, 576)},
        {"taller: fills the width, overflows top and bottom",
         {600, 1600},
         Rect(0, 384 - 1365.3333333333333, 1024, 2730.6666666666665)},
        {"same aspect: exactly the window", {1920, 1080}, crop},
        {"no picture: nothing placed", {0, 0}, Rect()},
    };
    for (const Case& c : cases) expectRectNear(ie::resetImageFrame(c.source, crop), c.expected, c.what);
}

TEST(ImageEditorGeometry, CropRectsAndWindows) {
    const Rect bounds(0, 0, 1024, 768);
    expectRectNear(ie::effectiveCropRect(Rect(10, 10, 0, 50), bounds), Rect(352, 224, 320, 320), "zero width");
    expectRectNear(ie::effectiveCropRect(Rect(10, 10, 50, 0), bounds), Rect(352, 224, 320, 320), "zero height");
    expectRectNear(ie::effectiveCropRect(Rect(10, 10, 50, 60), bounds), Rect(10, 10, 50, 60), "stored");
    expectRectNear(ie::centredCropRect({200, 100}, bounds), Rect(412, 334, 200, 100), "centred");
    expectRectNear(ie::getOrientationCorrectedRectFromRect(Rect(5, 6, 768, 1024)), Rect(5, 6, 1024, 768), "portrait");
    expectRectNear(ie::getOrientationCorrectedRectFromRect(Rect(0, 0, 568, 320)), Rect(0, 0, 568, 320), "landscape");
    const ie::CropWindow tablet = ie::frameEditorCropWindow({1024, 768});
    expectRectNear(tablet.cropRect, Rect(0, 96, 1024, 576), "tablet window");
    const ie::CropWindow phone = ie::frameEditorCropWindow({568, 320});
    expectRectNear(phone.cropRect, Rect(0, 0.25, 568, 319.5), "phone window");
    EXPECT_EQ(phone.cropSize, (Size{568, 319.5}));
}

TEST(ImageEditorGeometry, ScaleBounds) {
    struct Case {
        double scale, minimum, maximum, expected;
    };
    const Case cases[] = {
        {0.5, 1.0, 10, 1.0}, {12, 0.2, 10, 10},  {3, 0.2, 10, 3},     {0.1, 0, 10, 0.1},
        {50, 0.2, 0, 50},    {0.1, -1, -1, 0.1}, {1.0, 1.0, 10, 1.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ie::boundedScale(c.scale, c.minimum, c.maximum), c.expected) << c.scale << " " << c.minimum;
}

TEST(ImageEditorGeometry, RectanglesAndRotatedBoxes) {
    const ie::Rectangle corners = ie::RectangleFromCGRect(Rect(10, 20, 30, 40));
    EXPECT_EQ(corners.topRight.x, 40);
    EXPECT_EQ(corners.bottomLeft.y, 60);
    expectRectNear(ie::CGRectFromRectangle(corners), Rect(10, 20, 30, 40), "round trip");
    // Mirrored corners give a negative width.
    const ie::Rectangle mirrored = ie::applyTransform(AffineTransform::makeScale(-1, 1), Rect(0, 0, 100, 50));
    expectRectNear(ie::CGRectFromRectangle(mirrored), Rect(100, 0, -100, 50), "mirrored about the centre");
    expectRectNear(ie::boundingBoxForRect(Rect(0, 0, 100, 50), kPi / 2), Rect(25, -25, 50, 100), "quarter turn");
    const double s = std::sin(kPi / 4) * 150;  // (100 + 50)·sin 45°
    expectRectNear(ie::boundingBoxForRect(Rect(0, 0, 100, 50), kPi / 4), Rect(50 - s / 2, 25 - s / 2, s, s), "45°");
    EXPECT_NEAR(ie::imageRotation(AffineTransform::makeRotation(0.3)), 0.3, 1e-6);
    EXPECT_NEAR(ie::imageRotation(AffineTransform::makeScale(-1, 1)), kPi, 1e-6);
}

TEST(ImageEditorGeometry, CoverageOfTheCropWindow) {
    const Rect crop(0, 96, 1024, 576);
    const Rect exact = crop;               // a 16:9 picture fitted to the window
    const Rect wide(-208, 96, 1440, 576);  // 208 points to spare on each side
    struct Case {
        const char* what;
        Rect picture;
        AffineTransform transform;
        bool covers;
    };
    const Case cases[] = {
        {"placed", exact, AffineTransform::identity(), true},
        {"moved right within the spare", wide, AffineTransform::makeTranslation(200, 0), true},
        {"moved right past the spare", wide, AffineTransform::makeTranslation(210, 0), false},
        {"moved down", wide, AffineTransform::makeTranslation(0, 1), false},
        {"shrunk", exact, AffineTransform::makeScale(0.9, 0.9), false},
        {"turned without growing", exact, AffineTransform::makeRotation(0.1), false},
        {"turned and grown", exact, AffineTransform::makeRotation(0.1).scaled(1.6, 1.6), true},
        {"mirrored", exact, AffineTransform::makeScale(-1, 1), true},
        {"mirrored and turned upside down", exact, AffineTransform::makeRotation(kPi).scaled(-1, 1), true},
    };
    for (const Case& c : cases) EXPECT_EQ(ie::coversCropRect(c.transform, c.picture, crop), c.covers) << c.what;
}

TEST(ImageEditorGeometry, GestureStepsActAboutTheirCentre) {
    const Size bounds{200, 100};
    // Scaling by 2 about the view's own centre keeps that centre in place.
    const AffineTransform doubled =
        ie::aboutPoint(AffineTransform::identity(), {100, 50}, bounds, AffineTransform::makeScale(2, 2));
    EXPECT_TRUE(doubled.isClose(AffineTransform::makeScale(2, 2)));
    // About the top left corner, the corner stays where it was.
    const AffineTransform corner =
        ie::aboutPoint(AffineTransform::identity(), {0, 0}, bounds, AffineTransform::makeScale(2, 2));
    const graphics::Point topLeft = corner.apply(graphics::Point{-100, -50});  // the corner relative to the centre
    EXPECT_NEAR(topLeft.x, -100, 1e-9);
    EXPECT_NEAR(topLeft.y, -50, 1e-9);
    const AffineTransform back = ie::scaleCorrection(AffineTransform::makeScale(12, 12), {100, 50}, bounds, 12, 10);
    EXPECT_TRUE(back.isClose(AffineTransform::makeScale(10, 10)));
}

TEST(ImageEditorGeometry, OrientationTransforms) {
    struct Case {
        int orientation;
        AffineTransform transform;
        Size size;
    };
    const Size size{40, 20};
    const Case cases[] = {
        {0, AffineTransform::identity(), {40, 20}},
        {1, AffineTransform::makeRotation(kPi), {40, 20}},
        {2, AffineTransform::makeRotation(kPi / 2), {20, 40}},
        {3, AffineTransform::makeRotation(-kPi / 2), {20, 40}},
        {4, AffineTransform::makeScale(-1, 1), {40, 20}},
        {5, AffineTransform::makeRotation(kPi).scaled(-1, 1), {40, 20}},
        {6, AffineTransform::makeRotation(kPi / 2).scaled(-1, 1), {20, 40}},
        {7, AffineTransform::makeRotation(-kPi / 2).scaled(-1, 1), {20, 40}},
        {8, AffineTransform::identity(), {40, 20}},
        {12, AffineTransform::identity(), {40, 20}},
    };
    for (const Case& c : cases) {
        const ie::OrientedDrawing drawing = ie::orientationTransform(c.orientation, size);
        EXPECT_TRUE(drawing.transform.isClose(c.transform, 1e-12)) << c.orientation << drawing.transform.toString();
        EXPECT_EQ(drawing.size, c.size) << c.orientation;
    }
}

TEST(ImageEditorGeometry, PictureSizes) {
    EXPECT_EQ(ie::displaySize({4000, 2000}), (Size{1024, 512}));
    EXPECT_EQ(ie::displaySize({2000, 4000}), (Size{512, 1024}));
    EXPECT_EQ(ie::displaySize({500, 500}), (Size{1024, 1024}));
    EXPECT_FALSE(ie::previewSize({1024, 1024}));
    EXPECT_FALSE(ie::previewSize({300, 200}));
    EXPECT_EQ(ie::previewSize({3000, 1500}), (Size{120, 60}));
    EXPECT_EQ(ie::previewSize({800, 1600}), (Size{120, 240}));
    EXPECT_EQ(ie::outputSize(0, 1920, Rect(0, 0, 1024, 576)), (Size{1920, 1080}));
    EXPECT_EQ(ie::outputSize(640, 1920, Rect(0, 0, 320, 320)), (Size{640, 640}));
}

TEST(ImageEditorGeometry, CropBoundsInTheSource) {
    expectRectNear(
        ie::cropBoundsInSourceImage({2000, 1000}, {200, 100}, AffineTransform::identity(), Rect(50, 25, 100, 50)),
        Rect(500, 250, 1000, 500), "centred half");
    expectRectNear(
        ie::cropBoundsInSourceImage({2000, 1000}, {200, 100}, AffineTransform::makeScale(2, 2), Rect(0, 0, 100, 50)),
        Rect(750, 375, 500, 250), "zoomed in twice");
}

// Every orientation drawn upright matches the platform's own upright copy.
TEST(ImageEditorPictures, ScaledImagesComeOutUpright) {
    const graphics::Image stored = testsupport::quadrantsImage(40, 20);
    for (int orientation = 0; orientation < 8; ++orientation) {
        const graphics::Image source = stored.withOrientation(static_cast<graphics::ImageOrientation>(orientation));
        const graphics::Image upright = source.normalized();
        const graphics::Image drawn = ie::newScaledImage(source, orientation, source.size(), true);
        ASSERT_EQ(drawn.pixelWidth(), upright.pixelWidth()) << orientation;
        ASSERT_EQ(drawn.pixelHeight(), upright.pixelHeight()) << orientation;
        const int w = upright.pixelWidth();
        const int h = upright.pixelHeight();
        for (auto [x, y] : {std::pair{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}})
            EXPECT_TRUE(testsupport::pixelNear(drawn.pixelAt(x, y), upright.pixelAt(x, y)))
                << "orientation " << orientation << " at " << x << "," << y;
    }
    EXPECT_TRUE(ie::newScaledImage(graphics::Image(), 0, {10, 10}, true).isNull());
    EXPECT_TRUE(ie::newScaledImage(stored, 0, {0.5, 10}, true).isNull());
}

TEST(ImageEditorPictures, RenderShowsWhatTheWindowShows) {
    const graphics::Image source = testsupport::quadrantsImage(200, 100);
    const graphics::Image upright = source;
    struct Case {
        const char* what;
        AffineTransform transform;
        Rect crop;
        double outputWidth;
        // Output point (fractions) → source point (fractions) it must show.
        std::vector<std::pair<graphics::Point, graphics::Point>> samples;
        Size size;
    };
    const Case cases[] = {
        {"whole picture at the source's width",
         AffineTransform::identity(),
         Rect(0, 0, 200, 100),
         0,
         {{{0.25, 0.25}, {0.25, 0.25}},
          {{0.75, 0.25}, {0.75, 0.25}},
          {{0.25, 0.75}, {0.25, 0.75}},
          {{0.75, 0.75}, {0.75, 0.75}}},
         {200, 100}},
        {"mirrored",
         AffineTransform::makeScale(-1, 1),
         Rect(0, 0, 200, 100),
         100,
         {{{0.25, 0.25}, {0.75, 0.25}}, {{0.75, 0.75}, {0.25, 0.75}}},
         {100, 50}},
        {"upside down",
         AffineTransform::makeRotation(kPi),
         Rect(0, 0, 200, 100),
         0,
         {{{0.25, 0.25}, {0.75, 0.75}}, {{0.75, 0.25}, {0.25, 0.75}}},
         {200, 100}},
        {"top left quarter magnified",
         AffineTransform::makeScale(2, 2).translated(50, 25),
         Rect(0, 0, 200, 100),
         0,
         {{{0.25, 0.25}, {0.125, 0.125}}, {{0.75, 0.75}, {0.375, 0.375}}},
         {200, 100}},
        {"square window in the middle",
         AffineTransform::identity(),
         Rect(50, 0, 100, 100),
         64,
         {{{0.25, 0.25}, {0.375, 0.25}}, {{0.75, 0.75}, {0.625, 0.75}}},
         {64, 64}},
    };
    for (const Case& c : cases) {
        const graphics::Image out = ie::newTransformedImage(c.transform, source, c.outputWidth, c.crop, {200, 100});
        ASSERT_EQ(out.size(), c.size) << c.what;
        const AffineTransform mapping = ie::unitRenderMapping({200, 100}, c.crop, c.transform);  // a crop hands it on
        for (const auto& [at, from] : c.samples) {
            EXPECT_LT(std::hypot(mapping.apply(from).x - at.x, mapping.apply(from).y - at.y), 1e-9) << c.what;
            const auto actual = out.pixelAt(int(at.x * out.pixelWidth()), int(at.y * out.pixelHeight()));
            const auto expected = upright.pixelAt(int(from.x * 200), int(from.y * 100));
            EXPECT_TRUE(testsupport::pixelNear(actual, expected)) << c.what << " at " << at.x << "," << at.y;
        }
    }
}

TEST(ImageEditorPictures, RenderOfATurnedSourceIsUpright) {
    // Stored sideways (orientation left): the output shows it as it stands.
    const graphics::Image stored = testsupport::quadrantsImage(100, 200);
    const graphics::Image source = stored.withOrientation(graphics::ImageOrientation::Left);
    const graphics::Image upright = source.normalized();
    ASSERT_EQ(source.size(), (Size{200, 100}));
    const graphics::Image out =
        ie::newTransformedImage(AffineTransform::identity(), source, 0, Rect(0, 0, 200, 100), {200, 100});
    ASSERT_EQ(out.size(), (Size{200, 100}));
    for (auto [x, y] : {std::pair{50, 25}, {150, 25}, {50, 75}, {150, 75}})
        EXPECT_TRUE(testsupport::pixelNear(out.pixelAt(x, y), upright.pixelAt(x, y))) << x << "," << y;
}

}  // namespace
