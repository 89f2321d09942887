#include "Printers.h"
#include "platform/graphics/Image.h"
#include "support/Pictures.h"

#include <gtest/gtest.h>

using namespace graphics;

namespace {

// A 3x2 bitmap whose every pixel is different, to follow pixels through turns.
Image numbered() {
    QImage bitmap(3, 2, QImage::Format_RGBA8888);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) bitmap.setPixelColor(x, y, QColor(x * 100, y * 100, 7, 255));
    return Image(bitmap);
}

}  // namespace

TEST(ImageTest, SizeInPointsFollowsScaleAndOrientation) {
    Image image(QImage(200, 100, QImage::Format_RGB32), 2.0);
    EXPECT_EQ(image.size(), (Size{100, 50}));
    EXPECT_EQ(image.withOrientation(ImageOrientation::Right).size(), (Size{50, 100}));
    EXPECT_EQ(image.withOrientation(ImageOrientation::LeftMirrored).size(), (Size{50, 100}));
    EXPECT_EQ(image.withOrientation(ImageOrientation::DownMirrored).size(), (Size{100, 50}));
    EXPECT_EQ(image.withScale(0).scale(), 1.0);  // a scale of zero would divide by zero
    EXPECT_EQ(Image().size(), (Size{0, 0}));
    EXPECT_FALSE(orientationFromInt(8));
    EXPECT_EQ(orientationFromInt(7), ImageOrientation::RightMirrored);
}

TEST(ImageTest, NormalisingMovesEveryPixelWhereTheOrientationSays) {
    Image source = numbered();
    for (int o = 0; o <= 7; ++o) {
        auto orientation = static_cast<ImageOrientation>(o);
        Image upright = source.withOrientation(orientation).normalized();
        EXPECT_EQ(upright.orientation(), ImageOrientation::Up);
        bool swaps = orientationSwapsAxes(orientation);
        ASSERT_EQ(upright.pixelWidth(), swaps ? 2 : 3) << o;
        ASSERT_EQ(upright.pixelHeight(), swaps ? 3 : 2) << o;
        QTransform map = orientationTransform(orientation, 3, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                // Pixel centres map to pixel centres.
                QPointF target = map.map(QPointF(x + 0.5, y + 0.5));
                int tx = static_cast<int>(target.x()), ty = static_cast<int>(target.y());
                EXPECT_EQ(upright.pixelAt(tx, ty), source.pixelAt(x, y))
                    << "orientation " << o << " pixel " << x << "," << y;
            }
    }
}

TEST(ImageTest, OrientationsTurnAsTheirNamesSay) {
    Image source = numbered();
    // Right: the picture is turned clockwise, so the stored top-left pixel
    // ends at the top right.
    EXPECT_EQ(source.withOrientation(ImageOrientation::Right).normalized().pixelAt(1, 0), source.pixelAt(0, 0));
    // Left: counter-clockwise, the top-left ends at the bottom left.
    EXPECT_EQ(source.withOrientation(ImageOrientation::Left).normalized().pixelAt(0, 2), source.pixelAt(0, 0));
    EXPECT_EQ(source.withOrientation(ImageOrientation::Down).normalized().pixelAt(2, 1), source.pixelAt(0, 0));
    EXPECT_EQ(source.withOrientation(ImageOrientation::UpMirrored).normalized().pixelAt(2, 0), source.pixelAt(0, 0));
    EXPECT_EQ(source.withOrientation(ImageOrientation::LeftMirrored).normalized().pixelAt(0, 0), source.pixelAt(0, 0));
    EXPECT_EQ(source.withOrientation(ImageOrientation::LeftMirrored).normalized().pixelAt(1, 2), source.pixelAt(2, 1));
}

TEST(ImageTest, CropIsClippedToTheBitmap) {
    Image source = numbered();
    Image part = source.withScale(2).cropped(Rect(1, 0, 10, 1));
    ASSERT_FALSE(part.isNull());
    EXPECT_EQ(part.pixelWidth(), 2);
    EXPECT_EQ(part.pixelHeight(), 1);
    EXPECT_EQ(part.scale(), 1.0);
    EXPECT_EQ(part.pixelAt(0, 0), source.pixelAt(1, 0));
    EXPECT_TRUE(source.cropped(Rect(5, 5, 2, 2)).isNull());
    EXPECT_TRUE(source.cropped(Rect(-3, 0, 3, 2)).isNull());
    EXPECT_EQ(source.pixelAt(3, 0), (RGBA{}));  // outside reads as transparent
    EXPECT_EQ(source.pixelAt(-1, 0), (RGBA{}));
}

TEST(ImageTest, FilledAndResized) {
    Image red = Image::filled(4, 4, RGBA{255, 0, 0, 255}, 2.0);
    EXPECT_EQ(red.size(), (Size{2, 2}));
    Image bigger = red.resized(8, 6);
    EXPECT_EQ(bigger.pixelWidth(), 8);
    EXPECT_EQ(bigger.pixelHeight(), 6);
    EXPECT_EQ(bigger.pixelAt(7, 5), (RGBA{255, 0, 0, 255}));
    EXPECT_TRUE(Image::filled(0, 3, RGBA{}).isNull());
    Image half = Image::filled(1, 1, RGBA{255, 255, 255, 128});
    EXPECT_PRED3(testsupport::pixelNear, half.pixelAt(0, 0), (RGBA{255, 255, 255, 128}), 1);
}
