#include "platform/graphics/Geometry.h"

#include "platform/graphics/NumberText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace graphics {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

}  // namespace

std::string Point::toString() const { return "{" + formatNumber(x) + ", " + formatNumber(y) + "}"; }

std::optional<Point> Point::fromString(std::string_view text) {
    auto numbers = parseBracedNumbers(text, {2});
    if (!numbers) return std::nullopt;
    return Point{(*numbers)[0], (*numbers)[1]};
}

std::string Size::toString() const { return "{" + formatNumber(width) + ", " + formatNumber(height) + "}"; }

std::optional<Size> Size::fromString(std::string_view text) {
    auto numbers = parseBracedNumbers(text, {2});
    if (!numbers) return std::nullopt;
    return Size{(*numbers)[0], (*numbers)[1]};
}

Rect Rect::null() { return Rect(kInfinity, kInfinity, 0, 0); }

Rect Rect::infinite() {
    // The drawing system's infinite rectangle: huge but finite, so that its
    // edges still compute.
    constexpr double big = std::numeric_limits<double>::max() / 2;
    return Rect(-big / 2, -big / 2, big, big);
}

double Rect::minX() const { return size.width < 0 ? origin.x + size.width : origin.x; }
double Rect::maxX() const { return size.width < 0 ? origin.x : origin.x + size.width; }
double Rect::midX() const { return origin.x + size.width / 2; }
double Rect::minY() const { return size.height < 0 ? origin.y + size.height : origin.y; }
double Rect::maxY() const { return size.height < 0 ? origin.y : origin.y + size.height; }
double Rect::midY() const { return origin.y + size.height / 2; }
double Rect::width() const { return std::fabs(size.width); }
double Rect::height() const { return std::fabs(size.height); }

bool Rect::isNull() const { return std::isinf(origin.x) || std::isinf(origin.y); }

bool Rect::isEmpty() const { return isNull() || size.width == 0 || size.height == 0; }

Rect Rect::standardized() const {
    if (isNull()) return *this;
    return Rect(minX(), minY(), width(), height());
}

Rect Rect::integral() const {
    if (isNull()) return *this;
    Rect r = standardized();
    double x0 = std::floor(r.minX());
    double y0 = std::floor(r.minY());
    double x1 = std::ceil(r.maxX());
    double y1 = std::ceil(r.maxY());
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

Rect Rect::insetBy(double dx, double dy) const {
    if (isNull()) return *this;
    Rect r = standardized();
    double w = r.size.width - 2 * dx;
    double h = r.size.height - 2 * dy;
    if (w < 0 || h < 0) return null();
    return Rect(r.origin.x + dx, r.origin.y + dy, w, h);
}

Rect Rect::inset(const EdgeInsets& insets) const {
    // Edge insets may leave a negative size; the view system keeps it as is.
    return Rect(origin.x + insets.left, origin.y + insets.top, size.width - insets.left - insets.right,
                size.height - insets.top - insets.bottom);
}

Rect Rect::offsetBy(double dx, double dy) const {
    if (isNull()) return *this;
    return Rect(origin.x + dx, origin.y + dy, size.width, size.height);
}

Rect Rect::intersection(const Rect& other) const {
    if (isNull() || other.isNull()) return null();
    double x0 = std::max(minX(), other.minX());
    double y0 = std::max(minY(), other.minY());
    double x1 = std::min(maxX(), other.maxX());
    double y1 = std::min(maxY(), other.maxY());
    if (x1 < x0 || y1 < y0) return null();
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

Rect Rect::unionWith(const Rect& other) const {
    if (isNull()) return other.standardized();
    if (other.isNull()) return standardized();
    double x0 = std::min(minX(), other.minX());
    double y0 = std::min(minY(), other.minY());
    double x1 = std::max(maxX(), other.maxX());
    double y1 = std::max(maxY(), other.maxY());
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

bool Rect::intersects(const Rect& other) const {
    Rect common = intersection(other);
    return !common.isNull() && !common.isEmpty();
}

bool Rect::contains(Point point) const {
    if (isNull()) return false;
    return point.x >= minX() && point.x < maxX() && point.y >= minY() && point.y < maxY();
}

bool Rect::contains(const Rect& other) const {
    if (isNull() || other.isNull()) return false;
    return other.minX() >= minX() && other.maxX() <= maxX() && other.minY() >= minY() && other.maxY() <= maxY();
}

std::string Rect::toString() const { return "{" + origin.toString() + ", " + size.toString() + "}"; }

std::optional<Rect> Rect::fromString(std::string_view text) {
    auto numbers = parseBracedNumbers(text, {2, 2});
    if (!numbers) return std::nullopt;
    const auto& n = *numbers;
    return Rect(n[0], n[1], n[2], n[3]);
}

}  // namespace graphics
