#include "app/core/UIImageFilter.h"
#include "app/core/effects/ThermalFilter.h"
#include "app/core/effects/ToneFilters.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

using graphics::Image;
using graphics::RGBA;

TEST(UIImageFilter, RunsTheFilterOnRedGreenBlueBytes) {
    // Byte order matters: thermal puts its red table into the third byte,
    // which must come out as red for a white picture.
    const Image white = Image::filled(3, 2, RGBA{255, 255, 255, 255});
    const Image hot = UIImageFilter(std::make_shared<ThermalFilter>()).processImage(white);
    ASSERT_FALSE(hot.isNull());
    EXPECT_EQ(hot.pixelAt(1, 1), (RGBA{0, 0, 255, 255}));

    const Image red = Image::filled(2, 2, RGBA{255, 0, 0, 255});
    const Image grey = UIImageFilter(std::make_shared<GrayscaleFilter>()).processImage(red);
    EXPECT_EQ(grey.pixelAt(0, 0), (RGBA{27, 27, 27, 255}));
}

TEST(UIImageFilter, LeavesTheSourceAndAlphaAlone) {
    const Image source = Image::filled(2, 2, RGBA{10, 20, 30, 255});
    const Image swapped = UIImageFilter(std::make_shared<ColorChangeFilter>()).processImage(source);
    EXPECT_EQ(swapped.pixelAt(0, 0), (RGBA{30, 20, 10, 255}));
    EXPECT_EQ(source.pixelAt(0, 0), (RGBA{10, 20, 30, 255}));
}

TEST(UIImageFilter, WithoutFilterMakesANewEqualPicture) {
    const Image source =
        Image::filled(4, 3, RGBA{1, 2, 3, 255}, 2.0).withOrientation(graphics::ImageOrientation::Right);
    const Image out = UIImageFilter().processImage(source);
    ASSERT_FALSE(out.isNull());
    EXPECT_NE(out.bitmap().constBits(), source.bitmap().constBits());
    EXPECT_EQ(out.pixelWidth(), 4);
    EXPECT_EQ(out.pixelHeight(), 3);
    EXPECT_EQ(out.scale(), 1.0);
    EXPECT_EQ(out.orientation(), graphics::ImageOrientation::Right);
    EXPECT_EQ(out.pixelAt(3, 2), (RGBA{1, 2, 3, 255}));
    EXPECT_TRUE(UIImageFilter().processImage(Image()).isNull());
}

}  // namespace
