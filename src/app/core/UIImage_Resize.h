#pragma once

// Scaling, cropping and template loading of pictures for the screens. Every
// operation returns a new image; none changes its argument.

#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace UIImage_Resize {

// The drawing system's interpolation quality values, passed through.
enum class InterpolationQuality : int {
    Default = 0,
    None = 1,
    Low = 2,
    High = 3,
    Medium = 4,
};

// Content modes understood by resizedImageWithContentMode.
inline constexpr int64_t kContentModeScaleAspectFit = 1;
inline constexpr int64_t kContentModeScaleAspectFill = 2;

// The same operation as UIImage_ScaleAndRotate's (one implementation).
graphics::Image scaledAndRotatedImageWithMaxResolution(const graphics::Image& image, int32_t maxResolution);

// The stored pixels inside `bounds` (pixels), scale 1, upright.
graphics::Image croppedImage(const graphics::Image& image, const graphics::Rect& bounds);

// The picture drawn upright into a bitmap of `newSize` pixels.
graphics::Image resizedImage(const graphics::Image& image, graphics::Size newSize, InterpolationQuality quality);

// Aspect fit (1) or aspect fill (2) of `bounds`. Any other mode throws
// std::invalid_argument("Unsupported content mode: <mode>").
graphics::Image resizedImageWithContentMode(const graphics::Image& image, int64_t contentMode, graphics::Size bounds,
                                            InterpolationQuality quality);

// A square of `thumbnailSize` pixels filled from the centre of the picture.
// Only a border of 0 is drawn; other values are ignored.
graphics::Image thumbnailImage(const graphics::Image& image, int64_t thumbnailSize, int64_t borderSize,
                               InterpolationQuality quality);

// Where a picture of `pictureSize` lies when scaled to fill `targetSize` and
// centred: the larger of the two scale factors, the overflow cut equally
// from both sides (offsets zero or negative, not rounded).
graphics::Rect aspectFillRect(graphics::Size pictureSize, graphics::Size targetSize);

// The picture scaled to fill `targetSize` (points, scale 1) and centred; none
// when nothing can be drawn (a null picture or an empty target).
std::optional<graphics::Image> imageByScalingAndCroppingForSize(const graphics::Image& image,
                                                                graphics::Size targetSize);

// The bitmap turned by `degrees`, which is applied as radians (kept for the
// pictures made with it).
graphics::Image rotatedByDegrees(const graphics::Image& image, double degrees);

// The named resource picture for use as a template icon; none when missing.
std::optional<graphics::Image> tintedImageNamed(std::string_view name);

}  // namespace UIImage_Resize
