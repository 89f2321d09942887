#include "app/core/UIImage_Resize.h"
#include "app/core/UIImage_ScaleAndRotate.h"
#include "support/Pictures.h"

#include <gtest/gtest.h>
#include <numbers>
#include <stdexcept>

namespace {

using graphics::Image;
using graphics::ImageOrientation;
using graphics::RGBA;
using graphics::Size;
using UIImage_Resize::InterpolationQuality;

constexpr RGBA kRed{255, 0, 0, 255};
constexpr RGBA kGreen{0, 255, 0, 255};
constexpr RGBA kBlue{0, 0, 255, 255};
constexpr RGBA kWhite{255, 255, 255, 255};

Image quadrants(int w, int h, ImageOrientation orientation = ImageOrientation::Up) {
    return testsupport::quadrantsImage(w, h).withOrientation(orientation);
}

// The colour at the centre of each quadrant of an upright picture.
std::array<RGBA, 4> quadrantColours(const Image& image) {
    const int w = image.pixelWidth(), h = image.pixelHeight();
    return {image.pixelAt(w / 4, h / 4), image.pixelAt(3 * w / 4, h / 4), image.pixelAt(w / 4, 3 * h / 4),
            image.pixelAt(3 * w / 4, 3 * h / 4)};
}

void expectSameQuadrants(const Image& actual, const Image& expected, const std::string& label) {
    ASSERT_EQ(actual.pixelWidth(), expected.pixelWidth()) << label;
    ASSERT_EQ(actual.pixelHeight(), expected.pixelHeight()) << label;
    const auto a = quadrantColours(actual), e = quadrantColours(expected);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(testsupport::pixelNear(a[size_t(i)], e[size_t(i)]))
            << label << " quadrant " << i << ": " << int(a[size_t(i)].r) << "," << int(a[size_t(i)].g) << ","
            << int(a[size_t(i)].b);
    }
}

TEST(ScaleAndRotate, LimitsTheLongerEdge) {
    const Image landscape = Image::filled(4000, 3000, kRed);
    const Image a = UIImage_ScaleAndRotate::scaledAndRotatedImageWithMaxResolution(landscape, 1920);
    EXPECT_EQ(a.pixelWidth(), 1920);
    EXPECT_EQ(a.pixelHeight(), 1440);
    EXPECT_EQ(a.orientation(), ImageOrientation::Up);
    EXPECT_TRUE(testsupport::pixelNear(a.pixelAt(960, 720), kRed));

    const Image portrait = Image::filled(3000, 4000, kBlue);
    const Image b = UIImage_Resize::scaledAndRotatedImageWithMaxResolution(portrait, 1920);
    EXPECT_EQ(b.pixelWidth(), 1440);
    EXPECT_EQ(b.pixelHeight(), 1920);

    const Image small = Image::filled(1000, 800, kGreen);
    const Image c = UIImage_ScaleAndRotate::scaledAndRotatedImageWithMaxResolution(small, 1920);
    EXPECT_EQ(c.pixelWidth(), 1000);
    EXPECT_EQ(c.pixelHeight(), 800);
}

TEST(ScaleAndRotate, SidewaysPictureSwapsBoundsAfterLimiting) {
    const Image sideways = Image::filled(3000, 4000, kWhite).withOrientation(ImageOrientation::Right);
    const Image up = UIImage_ScaleAndRotate::scaledAndRotatedImageWithMaxResolution(sideways, 1920);
    EXPECT_EQ(up.pixelWidth(), 1920);
    EXPECT_EQ(up.pixelHeight(), 1440);
}

TEST(ScaleAndRotate, NoPositiveMaximumMeansNoLimit) {
    const Image image = quadrants(64, 48);
    for (int maximum : {0, -1, -1920}) {
        const Image out = UIImage_ScaleAndRotate::scaledAndRotatedImageWithMaxResolution(image, maximum);
        expectSameQuadrants(out, image, "maximum " + std::to_string(maximum));
    }
    EXPECT_TRUE(UIImage_ScaleAndRotate::scaledAndRotatedImageWithMaxResolution(Image(), 100).isNull());
}

TEST(ScaleAndRotate, EveryOrientationComesOutUpright) {
    for (int o = 0; o < 8; ++o) {
        const Image image = quadrants(40, 20, ImageOrientation(o));
        const Image out = UIImage_ScaleAndRotate::scaledAndRotatedImageWithMaxResolution(image, 1000);
        EXPECT_EQ(out.orientation(), ImageOrientation::Up);
        expectSameQuadrants(out, image.normalized(), "orientation " + std::to_string(o));
    }
}

TEST(ScaleAndRotate, ScalesWhileTurning) {
    const Image image = quadrants(80, 40, ImageOrientation::Left);
    const Image out = UIImage_ScaleAndRotate::scaledAndRotatedImageWithMaxResolution(image, 40);
    EXPECT_EQ(out.pixelWidth(), 20);
    EXPECT_EQ(out.pixelHeight(), 40);
    expectSameQuadrants(out, image.normalized().resized(20, 40), "left, halved");
}

TEST(Resize, ResizedImageTurnsEveryOrientationUpright) {
    for (int o = 0; o < 8; ++o) {
        const Image image = quadrants(40, 20, ImageOrientation(o));
        const Image upright = image.normalized();
        const Size target{double(upright.pixelWidth() / 2), double(upright.pixelHeight() / 2)};
        const Image out = UIImage_Resize::resizedImage(image, target, InterpolationQuality::High);
        EXPECT_EQ(out.orientation(), ImageOrientation::Up);
        expectSameQuadrants(out, upright.resized(int(target.width), int(target.height)),
                            "orientation " + std::to_string(o));
    }
}

TEST(Resize, ContentModes) {
    const Image image = quadrants(400, 300);
    const Image fit =
        UIImage_Resize::resizedImageWithContentMode(image, 1, Size{100, 100}, InterpolationQuality::Default);
    EXPECT_EQ(fit.pixelWidth(), 100);
    EXPECT_EQ(fit.pixelHeight(), 75);
    // Aspect fill: 133.33 wide, made integral outwards.
    const Image fill =
        UIImage_Resize::resizedImageWithContentMode(image, 2, Size{100, 100}, InterpolationQuality::Default);
    EXPECT_EQ(fill.pixelWidth(), 134);
    EXPECT_EQ(fill.pixelHeight(), 100);
    expectSameQuadrants(fill, image.resized(134, 100), "fill");

    try {
        UIImage_Resize::resizedImageWithContentMode(image, 3, Size{100, 100}, InterpolationQuality::Default);
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Unsupported content mode: 3");
    }
    EXPECT_THROW(UIImage_Resize::resizedImageWithContentMode(image, 0, Size{1, 1}, InterpolationQuality::Default),
                 std::invalid_argument);
}

TEST(Resize, ThumbnailIsTheCentreSquare) {
    const Image image = testsupport::halvesImage(400, 300);
    const Image thumb = UIImage_Resize::thumbnailImage(image, 100, 0, InterpolationQuality::High);
    EXPECT_EQ(thumb.pixelWidth(), 100);
    EXPECT_EQ(thumb.pixelHeight(), 100);
    // The fill is 134 wide with its red/blue edge at 67; the crop starts at 17.
    EXPECT_TRUE(testsupport::pixelNear(thumb.pixelAt(45, 50), kRed));
    EXPECT_TRUE(testsupport::pixelNear(thumb.pixelAt(55, 50), kBlue));
}

TEST(Resize, CroppedImageTakesStoredPixels) {
    const Image image = quadrants(40, 20, ImageOrientation::Down);
    const Image crop = UIImage_Resize::croppedImage(image, graphics::Rect{20, 0, 20, 10});
    EXPECT_EQ(crop.pixelWidth(), 20);
    EXPECT_EQ(crop.pixelHeight(), 10);
    EXPECT_EQ(crop.orientation(), ImageOrientation::Up);
    EXPECT_TRUE(testsupport::pixelNear(crop.pixelAt(10, 5), kGreen));
}

TEST(ScaleAndCrop, FillsAndCentres) {
    const Image image = testsupport::halvesImage(400, 300);
    const auto out = UIImage_Resize::imageByScalingAndCroppingForSize(image, Size{100, 100});
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->pixelWidth(), 100);
    EXPECT_EQ(out->pixelHeight(), 100);
    // Drawn 133.33 wide from x = -16.67: the colour edge lands at x = 50.
    EXPECT_TRUE(testsupport::pixelNear(out->pixelAt(46, 50), kRed));
    EXPECT_TRUE(testsupport::pixelNear(out->pixelAt(54, 50), kBlue));
    EXPECT_TRUE(testsupport::pixelNear(out->pixelAt(50, 0), kBlue, 128) ||
                testsupport::pixelNear(out->pixelAt(50, 0), kRed, 128));

    // A tall picture is centred vertically.
    const Image tall = quadrants(100, 300);
    const auto fitted = UIImage_Resize::imageByScalingAndCroppingForSize(tall, Size{100, 100});
    ASSERT_TRUE(fitted.has_value());
    EXPECT_EQ(fitted->pixelHeight(), 100);
    EXPECT_TRUE(testsupport::pixelNear(fitted->pixelAt(25, 40), kRed));
    EXPECT_TRUE(testsupport::pixelNear(fitted->pixelAt(25, 60), kBlue));
}

TEST(ScaleAndCrop, SameSizeKeepsPixelsAndOrientationIsApplied) {
    const Image image = quadrants(40, 20, ImageOrientation::Down);
    const auto out = UIImage_Resize::imageByScalingAndCroppingForSize(image, Size{40, 20});
    ASSERT_TRUE(out.has_value());
    expectSameQuadrants(*out, image.normalized(), "down");
}

TEST(ScaleAndCrop, NothingToDrawGivesNone) {
    EXPECT_FALSE(UIImage_Resize::imageByScalingAndCroppingForSize(quadrants(4, 4), Size{0, 10}).has_value());
    EXPECT_FALSE(UIImage_Resize::imageByScalingAndCroppingForSize(quadrants(4, 4), Size{10, -1}).has_value());
    EXPECT_FALSE(UIImage_Resize::imageByScalingAndCroppingForSize(Image(), Size{10, 10}).has_value());
}

TEST(Rotation, QuarterTurnSwapsTheBox) {
    const Image image = quadrants(40, 20);
    const Image out = UIImage_Resize::rotatedByDegrees(image, std::numbers::pi / 2);
    EXPECT_NEAR(out.pixelWidth(), 20, 1);
    EXPECT_NEAR(out.pixelHeight(), 40, 1);
    const Image same = UIImage_Resize::rotatedByDegrees(image, 0);
    expectSameQuadrants(same, image, "no turn");
}

TEST(TintedImage, MissingResourceGivesNone) {
    EXPECT_FALSE(UIImage_Resize::tintedImageNamed("no-such-icon-anywhere.png").has_value());
    EXPECT_FALSE(UIImage_Resize::tintedImageNamed("").has_value());
}

}  // namespace
