#include "platform/graphics/AffineTransform.h"

#include "platform/graphics/NumberText.h"

#include <QTransform>
#include <algorithm>
#include <cmath>

namespace graphics {

AffineTransform AffineTransform::makeTranslation(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }

AffineTransform AffineTransform::makeScale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }

AffineTransform AffineTransform::makeRotation(double angle) {
    double s = std::sin(angle);
    double c = std::cos(angle);
    return {c, s, -s, c, 0, 0};
}

bool AffineTransform::isIdentity() const { return *this == identity(); }

bool AffineTransform::isClose(const AffineTransform& o, double tolerance) const {
    return std::fabs(a - o.a) <= tolerance && std::fabs(b - o.b) <= tolerance && std::fabs(c - o.c) <= tolerance &&
           std::fabs(d - o.d) <= tolerance && std::fabs(tx - o.tx) <= tolerance && std::fabs(ty - o.ty) <= tolerance;
}

AffineTransform AffineTransform::translated(double x, double y) const { return concat(makeTranslation(x, y), *this); }

AffineTransform AffineTransform::scaled(double sx, double sy) const { return concat(makeScale(sx, sy), *this); }

AffineTransform AffineTransform::rotated(double angle) const { return concat(makeRotation(angle), *this); }

bool AffineTransform::isInvertible() const {
    double det = a * d - b * c;
    return det != 0 && std::isfinite(det);
}

AffineTransform AffineTransform::inverted() const {
    double det = a * d - b * c;
    if (det == 0 || !std::isfinite(det)) return *this;
    AffineTransform r;
    r.a = d / det;
    r.b = -b / det;
    r.c = -c / det;
    r.d = a / det;
    r.tx = (c * ty - d * tx) / det;
    r.ty = (b * tx - a * ty) / det;
    return r;
}

Point AffineTransform::apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }

Size AffineTransform::apply(Size s) const { return {a * s.width + c * s.height, b * s.width + d * s.height}; }

Rect AffineTransform::apply(const Rect& rect) const {
    if (rect.isNull()) return rect;
    Point corners[4] = {apply(Point{rect.minX(), rect.minY()}), apply(Point{rect.maxX(), rect.minY()}),
                        apply(Point{rect.minX(), rect.maxY()}), apply(Point{rect.maxX(), rect.maxY()})};
    double x0 = corners[0].x, x1 = corners[0].x, y0 = corners[0].y, y1 = corners[0].y;
    for (const Point& p : corners) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

QTransform AffineTransform::toQTransform() const {
    // QTransform uses the same row-vector layout: m11 m12 / m21 m22 / dx dy.
    return QTransform(a, b, c, d, tx, ty);
}

AffineTransform AffineTransform::fromQTransform(const QTransform& t) {
    return {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
}

std::string AffineTransform::toString() const {
    return "[" + formatNumber(a) + ", " + formatNumber(b) + ", " + formatNumber(c) + ", " + formatNumber(d) + ", " +
           formatNumber(tx) + ", " + formatNumber(ty) + "]";
}

AffineTransform concat(const AffineTransform& t1, const AffineTransform& t2) {
    AffineTransform r;
    r.a = t1.a * t2.a + t1.b * t2.c;
    r.b = t1.a * t2.b + t1.b * t2.d;
    r.c = t1.c * t2.a + t1.d * t2.c;
    r.d = t1.c * t2.b + t1.d * t2.d;
    r.tx = t1.tx * t2.a + t1.ty * t2.c + t2.tx;
    r.ty = t1.tx * t2.b + t1.ty * t2.d + t2.ty;
    return r;
}

}  // namespace graphics
