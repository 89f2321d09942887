#include "app/editor/ImageEditorGeometry.h"

#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using graphics::AffineTransform;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace imageeditor {

Rectangle RectangleFromCGRect(const Rect& rect) {
    const Rect r = rect.standardized();
    return Rectangle{{r.minX(), r.minY()}, {r.maxX(), r.minY()}, {r.minX(), r.maxY()}, {r.maxX(), r.maxY()}};
}

Rect CGRectFromRectangle(const Rectangle& rectangle) {
    return Rect(rectangle.topLeft.x, rectangle.topLeft.y, rectangle.topRight.x - rectangle.topLeft.x,
                rectangle.bottomLeft.y - rectangle.topLeft.y);
}

Rectangle applyTransform(const AffineTransform& transform, const Rectangle& rectangle) {
    return Rectangle{transform.apply(rectangle.topLeft), transform.apply(rectangle.topRight),
                     transform.apply(rectangle.bottomLeft), transform.apply(rectangle.bottomRight)};
}

Rectangle applyTransform(const AffineTransform& transform, const Rect& rect) {
    const double cx = rect.midX();
    const double cy = rect.midY();
    const AffineTransform aboutCentre =
        graphics::concat(graphics::concat(AffineTransform::makeTranslation(-cx, -cy), transform),
                         AffineTransform::makeTranslation(cx, cy));
    return applyTransform(aboutCentre, RectangleFromCGRect(rect));
}

Rect boundingBoxForRect(const Rect& rect, double radians) {
    const Rectangle turned = applyTransform(AffineTransform::makeRotation(radians), rect);
    const double xs[] = {turned.topLeft.x, turned.topRight.x, turned.bottomLeft.x, turned.bottomRight.x};
    const double ys[] = {turned.topLeft.y, turned.topRight.y, turned.bottomLeft.y, turned.bottomRight.y};
    const auto [minX, maxX] = std::minmax_element(std::begin(xs), std::end(xs));
    const auto [minY, maxY] = std::minmax_element(std::begin(ys), std::end(ys));
    return Rect(*minX, *minY, *maxX - *minX, *maxY - *minY);
}

double imageRotation(const AffineTransform& transform) {
    return static_cast<double>(std::atan2(static_cast<float>(transform.b), static_cast<float>(transform.a)));
}

double boundedScale(double scale, double minimumScale, double maximumScale) {
    if (minimumScale > 0 && minimumScale > scale) return minimumScale;
    if (maximumScale > 0 && maximumScale < scale) return maximumScale;
    return scale;
}

bool coversCropRect(const AffineTransform& transform, const Rect& initialImageFrame, const Rect& cropRect) {
    const double theta = imageRotation(transform);
    const Rect cropBox = boundingBoxForRect(cropRect, theta);
    const Rectangle corners = applyTransform(transform, initialImageFrame);
    const double cx = cropRect.midX();
    const double cy = cropRect.midY();
    const AffineTransform turnBack = graphics::concat(
        graphics::concat(AffineTransform::makeTranslation(-cx, -cy), AffineTransform::makeRotation(-theta)),
        AffineTransform::makeTranslation(cx, cy));
    // A mirrored picture gives negative sizes; containment reads the
    // standardized rect, as the drawing system's does. The turn is taken in
    // single precision, so a picture that exactly fills the window comes back
    // a few hundred-thousandths of a point off after a flip; a thousandth of
    // a point of tolerance keeps it counted as covering (else the flip would
    // be undone at the next gesture's end).
    const Rect picture = CGRectFromRectangle(applyTransform(turnBack, corners)).standardized().insetBy(-1e-3, -1e-3);
    return picture.contains(cropBox);
}

Rect effectiveCropRect(const Rect& stored, const Rect& bounds) {
    if (stored.size.width != 0 && stored.size.height != 0) return stored;
    return Rect((bounds.size.width - kDefaultCropSide) / 2, (bounds.size.height - kDefaultCropSide) / 2,
                kDefaultCropSide, kDefaultCropSide);
}

Rect centredCropRect(Size size, const Rect& bounds) {
    return Rect((bounds.size.width - size.width) / 2, (bounds.size.height - size.height) / 2, size.width, size.height);
}

Rect resetImageFrame(Size sourceSize, const Rect& cropRect) {
    if (sourceSize.width <= 0 || sourceSize.height <= 0 || cropRect.size.width <= 0) return Rect();
    const double a = sourceSize.height / sourceSize.width;
    const double c = cropRect.size.height / cropRect.size.width;
    double w = 0;
    double h = 0;
    if (a > c) {
        w = cropRect.size.width;
        h = a * w;
    } else {
        h = cropRect.size.height;
        w = h / a;
    }
    return Rect(cropRect.midX() - w / 2, cropRect.midY() - h / 2, w, h);
}

AffineTransform aboutPoint(const AffineTransform& transform, Point center, Size boundsSize,
                           const AffineTransform& step) {
    const double dx = center.x - boundsSize.width / 2;
    const double dy = center.y - boundsSize.height / 2;
    // Each added step acts first: move to the centre, the step, move back.
    const AffineTransform moved = transform.translated(dx, dy);
    return graphics::concat(AffineTransform::makeTranslation(-dx, -dy), graphics::concat(step, moved));
}

AffineTransform scaleCorrection(const AffineTransform& transform, Point center, Size boundsSize, double from,
                                double to) {
    const double factor = to / from;
    return aboutPoint(transform, center, boundsSize, AffineTransform::makeScale(factor, factor));
}

OrientedDrawing orientationTransform(int orientation, Size size) {
    if (orientation < 0 || orientation > 7) return {AffineTransform::identity(), size};
    static constexpr double kTurns[] = {0, std::numbers::pi, std::numbers::pi / 2, -std::numbers::pi / 2};
    const int base = orientation % 4;
    const bool mirrored = orientation >= 4;
    AffineTransform transform =
        kTurns[base] == 0 ? AffineTransform::identity() : AffineTransform::makeRotation(kTurns[base]);
    if (mirrored) transform = transform.scaled(-1, 1);
    const bool swapped = base >= 2;
    return {transform, swapped ? Size{size.height, size.width} : size};
}

Size displaySize(Size sourceSize) {
    if (sourceSize.width <= 0 || sourceSize.height <= 0) return Size{};
    const double aspect = sourceSize.height / sourceSize.width;
    if (aspect < 1) return Size{kDisplaySide, kDisplaySide * aspect};
    return Size{kDisplaySide / aspect, kDisplaySide};
}

std::optional<Size> previewSize(Size sourceSize) {
    if (sourceSize.width <= kDisplaySide && sourceSize.height <= kDisplaySide) return std::nullopt;
    return Size{kPreviewWidth, kPreviewWidth * (sourceSize.height / sourceSize.width)};
}

Size outputSize(double outputWidth, double sourceWidth, const Rect& cropRect) {
    const double width = outputWidth != 0 ? outputWidth : sourceWidth;
    if (cropRect.size.width == 0) return Size{width, 0};
    return Size{width, cropRect.size.height / cropRect.size.width * width};
}

AffineTransform renderTransform(Size output, const Rect& cropRect, const AffineTransform& viewTransform,
                                const AffineTransform& orientation) {
    const double cw = cropRect.size.width;
    const double ch = cropRect.size.height;
    // The output pixels cover the crop window, whose centre is the picture's
    // centre (reset centres the image view on it). The context is y-down
    // already, so unlike a y-up context it needs no flip before the view's
    // transform; the flip after it turns to the y-up space the bitmap and
    // the orientation transform are drawn in.
    AffineTransform t = AffineTransform::makeScale(output.width / cw, output.height / ch).translated(cw / 2, ch / 2);
    t = graphics::concat(viewTransform, t);
    t = graphics::concat(AffineTransform::makeScale(1, -1), t);
    return graphics::concat(orientation, t);
}

AffineTransform unitRenderMapping(Size imageViewSize, const Rect& cropRect, const AffineTransform& viewTransform) {
    const Size b = imageViewSize;
    const Size c = cropRect.size;
    // The upright picture fills the image view, whose centre stays on the
    // crop window's; the output covers the window.
    AffineTransform t = graphics::concat(AffineTransform::makeScale(b.width, b.height),
                                         AffineTransform::makeTranslation(-b.width / 2, -b.height / 2));
    t = graphics::concat(t, viewTransform);
    t = graphics::concat(t, AffineTransform::makeTranslation(c.width / 2, c.height / 2));
    return graphics::concat(t, AffineTransform::makeScale(1 / c.width, 1 / c.height));
}

Rect cropBoundsInSourceImage(Size sourceSize, Size imageViewBounds, const AffineTransform& viewTransform,
                             const Rect& cropRect) {
    const AffineTransform toSource =
        AffineTransform::makeScale(sourceSize.width / imageViewBounds.width, sourceSize.height / imageViewBounds.height)
            .translated(imageViewBounds.width / 2, imageViewBounds.height / 2)
            .scaled(1, -1);
    const AffineTransform mapping = graphics::concat(viewTransform.inverted(), toSource);
    const double cw = cropRect.size.width;
    const double ch = cropRect.size.height;
    return mapping.apply(Rect(-cw / 2, -ch / 2, cw, ch));
}

Rect getOrientationCorrectedRectFromRect(const Rect& rect) {
    return Rect(rect.origin.x, rect.origin.y, std::max(rect.size.width, rect.size.height),
                std::min(rect.size.width, rect.size.height));
}

CropWindow frameEditorCropWindow(Size landscapeScreen) {
    const float w = static_cast<float>(landscapeScreen.width);
    const float h = static_cast<float>(landscapeScreen.height);
    const float cropHeight = w * 0.5625f;
    return CropWindow{Size{w, cropHeight}, Rect(0, (h - cropHeight) / 2.0f, w, cropHeight)};
}

graphics::Image newScaledImage(const graphics::Image& source, int orientation, Size size, bool smooth) {
    const int width = static_cast<int>(size.width);
    const int height = static_cast<int>(size.height);
    if (source.isNull() || width <= 0 || height <= 0) return graphics::Image();
    const OrientedDrawing drawing = orientationTransform(orientation, Size{double(width), double(height)});
    graphics::GraphicsContext context(Size{double(width), double(height)}, 1.0, false);
    context.setSmoothImageScaling(smooth);
    context.translate(width / 2.0, height / 2.0);
    context.scaleBy(1, -1);  // the y-up space the orientation transform is made for
    context.concat(drawing.transform);
    const Size d = drawing.size;
    context.drawBitmap(source, Rect(-d.width / 2, -d.height / 2, d.width, d.height));
    return context.makeImage();
}

graphics::Image newTransformedImage(const AffineTransform& viewTransform, const graphics::Image& source,
                                    double outputWidth, const Rect& cropRect, Size imageViewSize) {
    if (source.isNull() || cropRect.size.width <= 0 || cropRect.size.height <= 0) return graphics::Image();
    const Size output = outputSize(outputWidth, source.size().width, cropRect);
    const int width = static_cast<int>(output.width);
    const int height = static_cast<int>(output.height);
    if (width <= 0 || height <= 0) return graphics::Image();
    const OrientedDrawing drawing = orientationTransform(static_cast<int>(source.orientation()), imageViewSize);
    graphics::GraphicsContext context(Size{double(width), double(height)}, 1.0, false);
    context.clearRect(Rect(0, 0, output.width, output.height));
    context.concat(renderTransform(output, cropRect, viewTransform, drawing.transform));
    const Size d = drawing.size;
    context.drawBitmap(source, Rect(-d.width / 2, -d.height / 2, d.width, d.height));
    return context.makeImage();
}

}  // namespace imageeditor
