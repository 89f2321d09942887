#include "app/widgets/popover/FWTPopoverGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

using graphics::EdgeInsets;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

// The arrow's base start, tip and base end, in the order the outline
// passes them (clockwise); none when the direction carries no arrow.
std::optional<std::array<Point, 3>> arrowPoints(const Rect& rect, double r, const FWTPopoverArrow& arrow) {
    const double x = rect.origin.x;
    const double y = rect.origin.y;
    const double w = rect.size.width;
    const double h = rect.size.height;
    const double ah = arrow.size.height;
    const double ha = arrow.size.width / 2;
    const double hw = (w - 2 * r) / 2;
    const double hh = (h - 2 * r) / 2;
    const double o = arrow.offset;
    const double co = arrow.cornerOffset;
    switch (arrow.direction) {
        case FWTPopoverArrowDirectionUp:
            return std::array<Point, 3>{Point{x + r + hw - ha + o, y}, Point{x + r + hw + o + co, y - ah},
                                        Point{x + r + hw + ha + o, y}};
        case FWTPopoverArrowDirectionRight:
            return std::array<Point, 3>{Point{x + w, y + r + hh - ha + o}, Point{x + w + ah, y + r + hh + o + co},
                                        Point{x + w, y + r + hh + ha + o}};
        case FWTPopoverArrowDirectionDown:
            return std::array<Point, 3>{Point{x + w - r - hw + ha + o, y + h},
                                        Point{x + w - r - hw + o + co, y + h + ah},
                                        Point{x + w - r - hw - ha + o, y + h}};
        case FWTPopoverArrowDirectionLeft:
            return std::array<Point, 3>{Point{x, y + h - r - hh + ha + o}, Point{x - ah, y + h - r - hh + o + co},
                                        Point{x, y + h - r - hh - ha + o}};
        default:
            return std::nullopt;
    }
}

void addArrow(graphics::Path& path, const std::optional<std::array<Point, 3>>& points) {
    if (!points) return;
    for (const Point& point : *points) path.lineTo(point);
}

}  // namespace

graphics::Point FWTPopoverGeometry::midPointForRect(const Rect& rect, Size popoverSize, const FWTPopoverArrow& arrow) {
    // A rect one point wide or high stands for a point: aim at its origin.
    const double x = rect.size.width == 1 ? rect.origin.x : rect.midX();
    const double y = rect.size.height == 1 ? rect.origin.y : rect.midY();
    const double w = popoverSize.width;
    const double h = popoverSize.height;
    const double c = arrow.cornerOffset + arrow.offset;
    switch (arrow.direction) {
        case FWTPopoverArrowDirectionUp:
            return {x - w / 2 - c, y};
        case FWTPopoverArrowDirectionDown:
            return {x - w / 2 - c, y - h};
        case FWTPopoverArrowDirectionLeft:
            return {x, y - h / 2 - c};
        case FWTPopoverArrowDirectionRight:
            return {x - w, y - h / 2 - c};
        case FWTPopoverArrowDirectionNone:
            return {x - w / 2, y - h / 2};
        default:
            return {x, y};
    }
}

FWTPopoverAdjustment FWTPopoverGeometry::adjustmentForFrame(const Rect& frame, const Rect& superviewBounds) {
    FWTPopoverAdjustment result;
    result.frame = frame;
    const Rect inside = superviewBounds.intersection(frame);
    // A frame wholly outside its superview has nowhere sensible to go.
    if (inside.isNull()) return result;
    if (inside.width() != frame.width()) {
        result.dx = frame.width() - inside.width();
        // Compared with the frame itself rather than with 0, so that a frame
        // starting at x = 0 that overflows on the right still moves left.
        if (inside.minX() > frame.minX()) {
            result.frame.origin.x += result.dx;
            result.sign = -1;
        } else {
            result.frame.origin.x -= result.dx;
        }
    }
    if (inside.height() != frame.height()) {
        result.dy = frame.height() - inside.height();
        if (inside.minY() > frame.minY()) {
            result.frame.origin.y += result.dy;
            result.sign = -1;
        } else {
            result.frame.origin.y -= result.dy;
        }
    }
    return result;
}

double FWTPopoverGeometry::arrowOffsetForDelta(double dx, double dy, double sign, FWTPopoverArrowDirection direction,
                                               Size boundsSize, const EdgeInsets& insets, double r) {
    double limit = 0;
    double value = 0;
    if (direction == FWTPopoverArrowDirectionUp || direction == FWTPopoverArrowDirectionDown) {
        limit = (boundsSize.width - insets.left - insets.right - 2 * r) / 2 - r;
        value = sign * dx;
    } else if (direction == FWTPopoverArrowDirectionLeft || direction == FWTPopoverArrowDirectionRight) {
        limit = (boundsSize.height - insets.top - insets.bottom - 2 * r) / 2 - r;
        value = sign * dy;
    } else {
        return 0;
    }
    // A body too small for any travel keeps the arrow centred instead of
    // flipping it past the middle.
    limit = std::max(limit, 0.0);
    if (std::fabs(std::trunc(value)) > limit) return value > 0 ? limit : -limit;
    return value;
}

FWTPopoverBackgroundLayout FWTPopoverGeometry::backgroundLayoutForSize(Size size, const EdgeInsets& in,
                                                                       FWTPopoverArrowDirection direction, double r) {
    FWTPopoverBackgroundLayout result;
    switch (direction) {
        case FWTPopoverArrowDirectionUp:
        case FWTPopoverArrowDirectionDown:
            result.imageSize = {size.width, 2 * r + in.top + in.bottom + 1};
            result.capInsets = {r + in.top, 0, r + in.bottom, 0};
            break;
        case FWTPopoverArrowDirectionLeft:
        case FWTPopoverArrowDirectionRight:
            result.imageSize = {2 * r + in.left + in.right + 1, size.height};
            result.capInsets = {0, r + in.left, 0, r + in.right};
            break;
        case FWTPopoverArrowDirectionNone:
            result.imageSize = {2 * r + in.left + in.right + 1, 2 * r + in.top + in.bottom + 1};
            result.capInsets = {r + in.top, r + in.left, r + in.bottom, r + in.right};
            break;
        default:
            result.imageSize = size;
            break;
    }
    result.pathFrame = Rect(in.left, in.top, result.imageSize.width - in.left - in.right,
                            result.imageSize.height - in.top - in.bottom);
    return result;
}

graphics::Path FWTPopoverGeometry::bezierPathForRect(const Rect& rect, double r, const FWTPopoverArrow& arrow) {
    const double x = rect.origin.x;
    const double y = rect.origin.y;
    const double w = rect.size.width;
    const double h = rect.size.height;
    const auto arrowOn = [&](FWTPopoverArrowDirection side) {
        return arrow.direction == side ? arrowPoints(rect, r, arrow) : std::nullopt;
    };

    graphics::Path path;
    path.moveTo({x, y + r});
    path.quadCurveTo({x + r, y}, {x, y});
    addArrow(path, arrowOn(FWTPopoverArrowDirectionUp));
    path.lineTo({x + w - r, y});
    path.quadCurveTo({x + w, y + r}, {x + w, y});
    addArrow(path, arrowOn(FWTPopoverArrowDirectionRight));
    path.lineTo({x + w, y + h - r});
    path.quadCurveTo({x + w - r, y + h}, {x + w, y + h});
    addArrow(path, arrowOn(FWTPopoverArrowDirectionDown));
    path.lineTo({x + r, y + h});
    path.quadCurveTo({x, y + h - r}, {x, y + h});
    addArrow(path, arrowOn(FWTPopoverArrowDirectionLeft));
    path.close();
    return path;
}

graphics::Rect FWTPopoverGeometry::arrowRect(const Rect& pathFrame, double r, const FWTPopoverArrow& arrow) {
    auto points = arrowPoints(pathFrame, r, arrow);
    if (!points) return Rect::zero();
    double x0 = (*points)[0].x, x1 = x0, y0 = (*points)[0].y, y1 = y0;
    for (const Point& p : *points) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    return Rect(x0, y0, x1 - x0, y1 - y0);
}
