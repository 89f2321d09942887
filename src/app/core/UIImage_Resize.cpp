#include "app/core/UIImage_Resize.h"

#include "app/core/BundleImage.h"
#include "app/core/UIImage_ScaleAndRotate.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/GraphicsContext.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>
#include <string>

namespace UIImage_Resize {

using graphics::AffineTransform;
using graphics::GraphicsContext;
using graphics::Image;
using graphics::Rect;
using graphics::Size;

namespace {

constexpr double kPi = std::numbers::pi;

bool isTransposed(graphics::ImageOrientation orientation) {
    const int o = int(orientation);
    return o == 2 || o == 3 || o == 6 || o == 7;
}

// Maps the stored bitmap onto an upright picture of `newSize` in a y-up space.
AffineTransform transformForOrientation(graphics::ImageOrientation orientation, Size newSize) {
    const double w = newSize.width;
    const double h = newSize.height;
    AffineTransform t = AffineTransform::identity();
    switch (int(orientation)) {
        case 1:
        case 5:
            t = t.translated(w, h).rotated(kPi);
            break;
        case 2:
        case 6:
            t = t.translated(w, 0).rotated(kPi / 2);
            break;
        case 3:
        case 7:
            t = t.translated(0, h).rotated(-kPi / 2);
            break;
        default:
            break;
    }
    switch (int(orientation)) {
        case 4:
        case 5:
            t = t.translated(w, 0).scaled(-1, 1);
            break;
        case 6:
        case 7:
            t = t.translated(h, 0).scaled(-1, 1);
            break;
        default:
            break;
    }
    return t;
}

Image resizedImage(const Image& image, Size newSize, const AffineTransform& transform, bool transpose,
                   InterpolationQuality quality) {
    const Rect newRect = Rect{0, 0, newSize.width, newSize.height}.integral();
    const double w = newRect.width();
    const double h = newRect.height();
    if (image.isNull() || w <= 0 || h <= 0) return {};

    GraphicsContext context(Size{w, h}, 1.0, !image.hasAlpha());
    // A bitmap context is y-up: flip ours before the orientation transform.
    context.translate(0, h);
    context.scaleBy(1, -1);
    context.concat(transform);
    context.setSmoothImageScaling(quality != InterpolationQuality::None);
    context.drawBitmap(image, transpose ? Rect{0, 0, h, w} : Rect{0, 0, w, h});
    return context.makeImage();
}

}  // namespace

Image scaledAndRotatedImageWithMaxResolution(const Image& image, int32_t maxResolution) {
    return UIImage_ScaleAndRotate::scaledAndRotatedImageWithMaxResolution(image, maxResolution);
}

Image croppedImage(const Image& image, const Rect& bounds) { return image.cropped(bounds); }

Image resizedImage(const Image& image, Size newSize, InterpolationQuality quality) {
    const bool transposed = isTransposed(image.orientation());
    return resizedImage(image, newSize, transformForOrientation(image.orientation(), newSize), transposed, quality);
}

Image resizedImageWithContentMode(const Image& image, int64_t contentMode, Size bounds, InterpolationQuality quality) {
    if (contentMode != kContentModeScaleAspectFit && contentMode != kContentModeScaleAspectFill) {
        throw std::invalid_argument("Unsupported content mode: " + std::to_string(contentMode));
    }
    if (image.isNull()) return {};
    const Size size = image.size();
    const double horizontalRatio = bounds.width / size.width;
    const double verticalRatio = bounds.height / size.height;
    const double ratio = contentMode == kContentModeScaleAspectFit ? std::min(horizontalRatio, verticalRatio)
                                                                   : std::max(horizontalRatio, verticalRatio);
    return resizedImage(image, Size{size.width * ratio, size.height * ratio}, quality);
}

Image thumbnailImage(const Image& image, int64_t thumbnailSize, int64_t /*borderSize*/, InterpolationQuality quality) {
    const double edge = double(thumbnailSize);
    const Image resized = resizedImageWithContentMode(image, kContentModeScaleAspectFill, Size{edge, edge}, quality);
    if (resized.isNull()) return {};
    const Rect cropRect{std::round((resized.size().width - edge) / 2), std::round((resized.size().height - edge) / 2),
                        edge, edge};
    return croppedImage(resized, cropRect);
}

Rect aspectFillRect(Size pictureSize, Size targetSize) {
    Rect drawn{0, 0, targetSize.width, targetSize.height};
    if (pictureSize == targetSize) return drawn;
    const double widthFactor = targetSize.width / pictureSize.width;
    const double heightFactor = targetSize.height / pictureSize.height;
    const double factor = std::max(widthFactor, heightFactor);
    drawn.size = Size{pictureSize.width * factor, pictureSize.height * factor};
    if (widthFactor > heightFactor) {
        drawn.origin.y = (targetSize.height - drawn.size.height) * 0.5;
    } else if (widthFactor < heightFactor) {
        drawn.origin.x = (targetSize.width - drawn.size.width) * 0.5;
    }
    return drawn;
}

std::optional<Image> imageByScalingAndCroppingForSize(const Image& image, Size targetSize) {
    const double targetWidth = targetSize.width;
    const double targetHeight = targetSize.height;
    const Size imageSize = image.size();
    if (image.isNull() || !(targetWidth > 0) || !(targetHeight > 0) || imageSize.width <= 0 || imageSize.height <= 0) {
        std::fprintf(stderr, "could not scale image\n");
        return std::nullopt;
    }

    GraphicsContext context(targetSize, 1.0, !image.hasAlpha());
    context.drawImage(image, aspectFillRect(imageSize, targetSize));
    Image result = context.makeImage();
    if (result.isNull()) {
        std::fprintf(stderr, "could not scale image\n");
        return std::nullopt;
    }
    return result;
}

Image rotatedByDegrees(const Image& image, double degrees) {
    if (image.isNull()) return {};
    const Size size = image.size();
    const Rect box = AffineTransform::makeRotation(degrees).apply(Rect{0, 0, size.width, size.height});
    const Size rotated{box.width(), box.height()};
    if (!(rotated.width > 0) || !(rotated.height > 0)) return {};

    GraphicsContext context(rotated, 1.0, false);
    context.translate(rotated.width / 2, rotated.height / 2);
    context.rotate(degrees);
    context.scaleBy(1, -1);
    context.drawBitmap(image, Rect{-size.width / 2, -size.height / 2, size.width, size.height});
    return context.makeImage();
}

std::optional<Image> tintedImageNamed(std::string_view name) {
    // Always a template, so every view that shows it fills its shape with
    // the view's tint colour.
    std::optional<Image> image = bundleImageNamed(name);
    if (!image) return std::nullopt;
    return image->withRenderingMode(graphics::ImageRenderingMode::AlwaysTemplate);
}

}  // namespace UIImage_Resize
