#include "app/painter/PaintingMapping.h"

#include "app/painter/PainterBrush.h"
#include "app/painter/Stroke.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

using graphics::AffineTransform;
using graphics::Point;

namespace {

// Recorded sizes outside this range replay at the brush's default size.
constexpr int64_t kSmallestRecordedSize = 1;
constexpr int64_t kLargestRecordedSize = 99;

bool replaysItsOwnSize(int64_t brushSize) {
    return brushSize >= kSmallestRecordedSize && brushSize <= kLargestRecordedSize;
}

// The linear part of a transform, applied to a vector.
Point mappedVector(const AffineTransform& t, Point v) { return {t.a * v.x + t.c * v.y, t.b * v.x + t.d * v.y}; }

// A move record's displacement is in view coordinates (y down), where the
// canvas's vectors have their y turned over.
Point mappedDisplacement(const AffineTransform& canvas, Point d) {
    const Point moved = mappedVector(canvas, {d.x, -d.y});
    return {moved.x, -moved.y};
}

void mapStroke(Stroke& stroke, const AffineTransform& canvas, double scale) {
    stroke.offset = mappedVector(canvas, stroke.offset);
    if (stroke.type == kBrushTypeMove) {
        for (StrokeSegment& segment : stroke.points)
            for (LinePoint& sample : segment) sample.pos = mappedDisplacement(canvas, sample.pos);
        return;
    }
    const auto factor = static_cast<float>(scale);
    const auto brushSize = static_cast<float>(stroke.brushSize);
    for (StrokeSegment& segment : stroke.points) {
        for (LinePoint& sample : segment) {
            sample.pos = canvas.apply(sample.pos);
            // The point size each brush draws a sample with (paintingrules::
            // pointSize) grows by the scale: the width is a factor of the
            // brush and eraser and taken from the fountain pen's size.
            if (stroke.type == kBrushTypeBrush || stroke.type == kBrushTypeEraser)
                sample.width *= factor;
            else if (stroke.type == kBrushTypeFountainPen)
                sample.width = brushSize - factor * (brushSize - sample.width);
        }
    }
    // The pen draws at the size itself, a whole number.
    if (stroke.type == kBrushTypePen && replaysItsOwnSize(stroke.brushSize))
        stroke.brushSize =
            std::clamp<int64_t>(std::llround(brushSize * scale), kSmallestRecordedSize, kLargestRecordedSize);
}

}  // namespace

graphics::Size paintingCanvasSize(graphics::Size screen) {
    const double width = static_cast<float>(std::max(screen.width, screen.height));
    return {width, width * 0.5625};
}

graphics::Rect CanvasPlacement::pictureOnCanvas() const {
    return ui::contentRect(kCanvasPictureMode, graphics::Rect{0, 0, canvas.width, canvas.height}, picture);
}

graphics::Rect CanvasPlacement::onPicture(const graphics::Rect& onCanvas) const {
    const graphics::Rect shown = pictureOnCanvas();
    if (!(shown.size.width > 0) || !(shown.size.height > 0)) return {0, 0, picture.width, picture.height};
    const double sx = picture.width / shown.size.width;
    const double sy = picture.height / shown.size.height;
    const auto whole = [](double v) {
        const double nearest = std::round(v);
        return std::fabs(v - nearest) < 1e-6 ? nearest : v;
    };
    const double left = whole((onCanvas.minX() - shown.origin.x) * sx);
    const double top = whole((onCanvas.minY() - shown.origin.y) * sy);
    const double right = whole((onCanvas.maxX() - shown.origin.x) * sx);
    const double bottom = whole((onCanvas.maxY() - shown.origin.y) * sy);
    return {left, top, right - left, bottom - top};
}

graphics::Rect CanvasPlacement::canvasOnPicture() const {
    return onPicture(graphics::Rect{0, 0, canvas.width, canvas.height});
}

graphics::Size uprightPixelSize(const graphics::Image& picture) {
    const graphics::Size stored{double(picture.pixelWidth()), double(picture.pixelHeight())};
    return graphics::orientationSwapsAxes(picture.orientation()) ? graphics::Size{stored.height, stored.width} : stored;
}

namespace {

// Canvas points (y down) to unit coordinates of a picture shown on the canvas.
AffineTransform canvasToUnit(graphics::Size picture, graphics::Size canvas) {
    const graphics::Rect shown = CanvasPlacement{picture, canvas}.pictureOnCanvas();
    return graphics::concat(AffineTransform::makeTranslation(-shown.origin.x, -shown.origin.y),
                            AffineTransform::makeScale(1 / shown.size.width, 1 / shown.size.height));
}

// Turns a canvas of that height upside down: view points to canvas pixels and back.
AffineTransform flipped(double height) {
    return graphics::concat(AffineTransform::makeScale(1, -1), AffineTransform::makeTranslation(0, height));
}

}  // namespace

PaintingMapping PaintingMapping::betweenCanvases(graphics::Size drawn, graphics::Size shown, graphics::Size picture) {
    return PaintingMapping{AffineTransform::identity(), drawn, picture, picture, shown};
}

graphics::Size PaintingMapping::targetCanvas() const { return target.width > 0 && target.height > 0 ? target : canvas; }

AffineTransform PaintingMapping::viewTransform(graphics::Size size) const { return viewTransform(size, size); }

AffineTransform PaintingMapping::viewTransform(graphics::Size size, graphics::Size onto) const {
    return graphics::concat(graphics::concat(canvasToUnit(from, size), unit), canvasToUnit(to, onto).inverted());
}

AffineTransform PaintingMapping::canvasTransform() const {
    const graphics::Size onto = targetCanvas();
    return graphics::concat(graphics::concat(flipped(canvas.height), viewTransform(canvas, onto)),
                            flipped(onto.height));
}

double PaintingMapping::widthScale() const {
    const AffineTransform t = viewTransform(canvas, targetCanvas());
    return std::sqrt(std::fabs(t.a * t.d - t.b * t.c));
}

foundation::Result<foundation::Bytes> mappedStrokes(const foundation::Bytes& strokes, const PaintingMapping& mapping) {
    auto decoded = decodeStrokeBuffer(strokes);
    if (!decoded) return decoded.error();
    const AffineTransform canvas = mapping.canvasTransform();
    for (const StrokePtr& stroke : *decoded) mapStroke(*stroke, canvas, mapping.widthScale());
    return strokeBufferData(*decoded);
}

foundation::Bytes mappedStrokesOrAsIs(const foundation::Bytes& strokes, const PaintingMapping& mapping) {
    return mappedStrokes(strokes, mapping).valueOr(strokes);
}

graphics::Image mappedLayerPicture(const graphics::Image& picture, const PaintingMapping& mapping) {
    const QImage source = picture.normalized().bitmap();
    // The picture's pixels are the canvas's points.
    const graphics::Size own{double(source.width()), double(source.height())};
    const bool otherCanvas = mapping.targetCanvas() != mapping.canvas;
    const graphics::Size onto = otherCanvas ? mapping.targetCanvas() : own;
    QImage target(int(onto.width), int(onto.height), QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    const AffineTransform pixels =
        otherCanvas ? mapping.viewTransform(mapping.canvas, onto) : mapping.viewTransform(own);
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setTransform(pixels.toQTransform());
    painter.drawImage(QPointF(0, 0), source);
    painter.end();
    return graphics::Image(std::move(target));
}
