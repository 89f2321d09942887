#include "app/core/UIImage_ScaleAndRotate.h"

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/GraphicsContext.h"

#include <numbers>
#include <stdexcept>

namespace UIImage_ScaleAndRotate {

using graphics::AffineTransform;

graphics::Image scaledAndRotatedImageWithMaxResolution(const graphics::Image& image, int32_t maxResolution) {
    if (image.isNull()) return {};
    const double w = image.pixelWidth();
    const double h = image.pixelHeight();
    if (w <= 0 || h <= 0) return {};

    double bw = w, bh = h;
    // Without a positive maximum there is nothing to limit to; scaling to it
    // would make an empty picture.
    if (maxResolution > 0 && (w > maxResolution || h > maxResolution)) {
        const double m = maxResolution;
        const double r = w / h;
        if (r <= 1) {
            bw = m * r;
            bh = m;
        } else {
            bw = m;
            bh = m / r;
        }
    }
    const double s = bw / w;

    constexpr double pi = std::numbers::pi;
    AffineTransform t = AffineTransform::identity();
    bool swapped = false;
    const int orientation = int(image.orientation());
    switch (orientation) {
        case 0:
            break;
        case 1:
            t = AffineTransform::makeTranslation(w, h).rotated(pi);
            break;
        case 2:
            t = AffineTransform::makeTranslation(0, w).rotated(3 * pi / 2);
            swapped = true;
            break;
        case 3:
            t = AffineTransform::makeTranslation(h, 0).rotated(pi / 2);
            swapped = true;
            break;
        case 4:
            t = AffineTransform::makeTranslation(w, 0).scaled(-1, 1);
            break;
        case 5:
            t = AffineTransform::makeTranslation(0, h).scaled(1, -1);
            break;
        // The mirrored sideways pictures use each other's transform from the
        // usual table: under the sideways flip below, that is what turns them
        // upright (a transposed and an anti-transposed bitmap).
        case 6:
            t = AffineTransform::makeScale(-1, 1).rotated(pi / 2);
            swapped = true;
            break;
        case 7:
            t = AffineTransform::makeTranslation(h, w).scaled(-1, 1).rotated(3 * pi / 2);
            swapped = true;
            break;
        default:
            // Images only hold orientations 0-7; kept for values from elsewhere.
            throw std::logic_error("Invalid image orientation");
    }
    if (swapped) std::swap(bw, bh);

    graphics::GraphicsContext context(graphics::Size{bw, bh}, 1.0, !image.hasAlpha());
    // The transform table is written for a y-up bitmap space; these steps flip
    // the context into it, scaled to the target size. Every sideways
    // orientation needs the sideways flip: with the upright one, mirrored
    // sideways pictures (front cameras) landed half outside the picture.
    if (swapped) {
        context.scaleBy(-s, s);
        context.translate(-h, 0);
    } else {
        context.scaleBy(s, -s);
        context.translate(0, -h);
    }
    context.concat(t);
    context.drawBitmap(image, graphics::Rect{0, 0, w, h});
    return context.makeImage();
}

}  // namespace UIImage_ScaleAndRotate
