#include "platform/graphics/Path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace graphics {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

double degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

QRectF circleBox(Point center, double radius) {
    return QRectF(center.x - radius, center.y - radius, 2 * radius, 2 * radius);
}

QRectF toQRect(const Rect& rect) {
    Rect r = rect.standardized();
    return QRectF(r.origin.x, r.origin.y, r.size.width, r.size.height);
}

}  // namespace

Path Path::rect(const Rect& rect) {
    Path path;
    path.addRect(rect);
    return path;
}

Path Path::ellipse(const Rect& rect) {
    Path path;
    path.addEllipse(rect);
    return path;
}

Path Path::roundedRect(const Rect& rect, double cornerRadius) {
    Path path;
    Rect r = rect.standardized();
    double radius = std::clamp(cornerRadius, 0.0, std::min(r.width(), r.height()) / 2);
    path.path_.addRoundedRect(toQRect(r), radius, radius);
    path.hasCurrentPoint_ = true;
    return path;
}

Path Path::arc(Point center, double radius, double startAngle, double endAngle, bool clockwise) {
    Path path;
    path.addArc(center, radius, startAngle, endAngle, clockwise);
    return path;
}

void Path::moveTo(Point point) {
    path_.moveTo(point.x, point.y);
    hasCurrentPoint_ = true;
}

void Path::lineTo(Point point) {
    if (!hasCurrentPoint_) return moveTo(point);
    path_.lineTo(point.x, point.y);
}

void Path::quadCurveTo(Point point, Point control) {
    if (!hasCurrentPoint_) moveTo(control);
    path_.quadTo(control.x, control.y, point.x, point.y);
}

void Path::curveTo(Point point, Point control1, Point control2) {
    if (!hasCurrentPoint_) moveTo(control1);
    path_.cubicTo(control1.x, control1.y, control2.x, control2.y, point.x, point.y);
}

void Path::addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise) {
    Point start{center.x + radius * std::cos(startAngle), center.y + radius * std::sin(startAngle)};
    lineTo(start);  // moves there when the path has no current point yet
    double sweep = endAngle - startAngle;
    if (clockwise) {
        if (sweep < 0) sweep = std::fmod(sweep, kTwoPi) + kTwoPi;
        sweep = std::min(sweep, kTwoPi);
    } else {
        if (sweep > 0) sweep = std::fmod(sweep, kTwoPi) - kTwoPi;
        sweep = std::max(sweep, -kTwoPi);
    }
    // Qt measures angles counter-clockwise on screen, the opposite of ours.
    path_.arcTo(circleBox(center, radius), -degrees(startAngle), -degrees(sweep));
}

void Path::addArcToPoint(Point tangent1, Point tangent2, double radius) {
    if (!hasCurrentPoint_) moveTo(tangent1);
    QPointF current = path_.currentPosition();
    double ux = current.x() - tangent1.x, uy = current.y() - tangent1.y;
    double vx = tangent2.x - tangent1.x, vy = tangent2.y - tangent1.y;
    double ul = std::hypot(ux, uy), vl = std::hypot(vx, vy);
    double cross = ux * vy - uy * vx;
    if (radius <= 0 || ul == 0 || vl == 0 || std::fabs(cross) < 1e-12 * ul * vl) {
        lineTo(tangent1);  // no corner to round
        return;
    }
    ux /= ul, uy /= ul, vx /= vl, vy /= vl;
    double angle = std::acos(std::clamp(ux * vx + uy * vy, -1.0, 1.0));  // between the two legs
    double distance = radius / std::tan(angle / 2);
    Point a{tangent1.x + ux * distance, tangent1.y + uy * distance};
    Point b{tangent1.x + vx * distance, tangent1.y + vy * distance};
    double bx = ux + vx, by = uy + vy, bl = std::hypot(bx, by);
    double centerDistance = radius / std::sin(angle / 2);
    Point center{tangent1.x + bx / bl * centerDistance, tangent1.y + by / bl * centerDistance};
    double startAngle = std::atan2(a.y - center.y, a.x - center.x);
    double endAngle = std::atan2(b.y - center.y, b.x - center.x);
    double sweep = endAngle - startAngle;
    if (sweep > std::numbers::pi) sweep -= kTwoPi;
    if (sweep < -std::numbers::pi) sweep += kTwoPi;
    path_.lineTo(a.x, a.y);
    path_.arcTo(circleBox(center, radius), -degrees(startAngle), -degrees(sweep));
}

void Path::addRect(const Rect& rect) {
    path_.addRect(toQRect(rect));
    hasCurrentPoint_ = true;
}

void Path::addEllipse(const Rect& rect) {
    path_.addEllipse(toQRect(rect));
    hasCurrentPoint_ = true;
}

void Path::addPath(const Path& other) {
    path_.addPath(other.path_);
    hasCurrentPoint_ = hasCurrentPoint_ || other.hasCurrentPoint_;
}

void Path::close() { path_.closeSubpath(); }

void Path::removeAll() {
    path_ = QPainterPath();
    hasCurrentPoint_ = false;
}

std::optional<Point> Path::currentPoint() const {
    if (!hasCurrentPoint_) return std::nullopt;
    QPointF p = path_.currentPosition();
    return Point{p.x(), p.y()};
}

Rect Path::bounds() const {
    if (isEmpty()) return Rect::null();
    QRectF r = path_.controlPointRect();
    return Rect(r.x(), r.y(), r.width(), r.height());
}

bool Path::contains(Point point, FillRule rule) const {
    QPainterPath copy = path_;
    copy.setFillRule(rule == FillRule::EvenOdd ? Qt::OddEvenFill : Qt::WindingFill);
    return copy.contains(QPointF(point.x, point.y));
}

void Path::apply(const AffineTransform& transform) { path_ = transform.toQTransform().map(path_); }

}  // namespace graphics
