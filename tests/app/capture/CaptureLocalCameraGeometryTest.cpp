#include "app/capture/CaptureLocalCameraGeometry.h"

#include <gtest/gtest.h>

namespace {

using graphics::ImageOrientation;

TEST(CaptureLocalCameraGeometry, PictureOrientationByInterfaceAndCamera) {
    struct Case {
        int interface;
        int64_t position;
        ImageOrientation expected;
    };
    const Case cases[] = {
        {1, 1, ImageOrientation::Right}, {1, 2, ImageOrientation::LeftMirrored},
        {2, 1, ImageOrientation::Left},  {2, 2, ImageOrientation::RightMirrored},
        {3, 1, ImageOrientation::Up},    {3, 2, ImageOrientation::DownMirrored},
        {4, 1, ImageOrientation::Down},  {4, 2, ImageOrientation::UpMirrored},
        {0, 1, ImageOrientation::Right}, {5, 2, ImageOrientation::Right},
        {3, 0, ImageOrientation::Right}, {3, 3, ImageOrientation::Right},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(imageOrientationForInterface(c.interface, c.position), c.expected)
            << c.interface << "/" << c.position;
    }
}

TEST(CaptureLocalCameraGeometry, ViewPointsBecomePointsOfInterest) {
    using capture::VideoGravity;
    const graphics::Size view{400, 300};
    const graphics::Size aperture{1920, 1080};
    struct Case {
        graphics::Point point;
        VideoGravity gravity;
        bool mirrored;
        std::optional<graphics::Size> aperture;
        graphics::Point expected;
    };
    const Case cases[] = {
        {{100, 150}, VideoGravity::Resize, false, aperture, {0.5, 0.75}},
        {{100, 150}, VideoGravity::Resize, true, aperture, {0.5, 0.25}},
        {{200, 150}, VideoGravity::ResizeAspectFill, false, aperture, {0.5, 0.5}},
        // Aspect fill: the picture (711.1 points high) overflows the view.
        {{0, 0}, VideoGravity::ResizeAspectFill, false, aperture, {0.2890625, 1.0}},
        // Aspect fit, view wider than the aperture's ratio (0.5625): bars at
        // the sides; a tap on a bar gives the centre.
        {{10, 10}, VideoGravity::ResizeAspect, false, aperture, {0.5, 0.5}},
        {{200, 0}, VideoGravity::ResizeAspect, false, aperture, {0.0, 0.5}},
        {{100, 150}, VideoGravity::ResizeAspectFill, false, std::nullopt, {0.5, 0.5}},
    };
    for (const auto& c : cases) {
        const auto result = pointOfInterestForViewPoint(c.point, view, c.gravity, c.mirrored, c.aperture);
        EXPECT_NEAR(result.x, c.expected.x, 1e-9) << c.point.x << "," << c.point.y;
        EXPECT_NEAR(result.y, c.expected.y, 1e-9) << c.point.x << "," << c.point.y;
    }
}

}  // namespace
