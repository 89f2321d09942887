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

AffineTransform PaintingMapping::canvasTransform() const {
    const double w = canvas.width;
    const double h = canvas.height;
    // Canvas pixels to unit coordinates of the picture, and back.
    const AffineTransform toUnit =
        graphics::concat(AffineTransform::makeScale(1 / w, -1 / h), AffineTransform::makeTranslation(0, 1));
    const AffineTransform fromUnit =
        graphics::concat(AffineTransform::makeTranslation(0, -1), AffineTransform::makeScale(w, -h));
    return graphics::concat(graphics::concat(toUnit, unit), fromUnit);
}

double PaintingMapping::widthScale() const { return std::sqrt(std::fabs(unit.a * unit.d - unit.b * unit.c)); }

foundation::Result<foundation::Bytes> mappedStrokes(const foundation::Bytes& strokes, const PaintingMapping& mapping) {
    auto decoded = decodeStrokeBuffer(strokes);
    if (!decoded) return decoded.error();
    const AffineTransform canvas = mapping.canvasTransform();
    for (const StrokePtr& stroke : *decoded) mapStroke(*stroke, canvas, mapping.widthScale());
    return strokeBufferData(*decoded);
}

graphics::Image mappedLayerPicture(const graphics::Image& picture, const PaintingMapping& mapping) {
    const QImage source = picture.normalized().bitmap();
    const double w = source.width();
    const double h = source.height();
    QImage target(source.size(), QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    const AffineTransform pixels = graphics::concat(
        graphics::concat(AffineTransform::makeScale(1 / w, 1 / h), mapping.unit), AffineTransform::makeScale(w, h));
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setTransform(pixels.toQTransform());
    painter.drawImage(QPointF(0, 0), source);
    painter.end();
    return graphics::Image(std::move(target));
}
