#include "app/widgets/popover/WEPopoverContainerGeometry.h"

#include <algorithm>
#include <array>

using graphics::Point;
using graphics::Rect;
using graphics::Size;

graphics::Size WEPopoverArrowSizes::forDirection(PopoverArrowDirection direction) const {
    switch (direction) {
        case kPopoverArrowDirectionUp:
            return up;
        case kPopoverArrowDirectionDown:
            return down;
        case kPopoverArrowDirectionLeft:
            return left;
        case kPopoverArrowDirectionRight:
            return right;
        default:
            return {};
    }
}

namespace {

// One direction's placement and how well it fits.
struct Candidate {
    Point offset;
    Rect arrowRect;
    Rect bgRect;
    double surface = 0;
    double margin = 0;
};

Candidate place(PopoverArrowDirection direction, Size size, const Rect& anchor, const Rect& display,
                const WEPopoverContainerViewProperties& p, Size arrow) {
    const double W = size.width;
    const double H = size.height;
    const double aw = arrow.width;
    const double ah = arrow.height;
    Rect b(0, 0, W, H);
    Point offset;
    double xa = 0;
    double ya = 0;

    const bool vertical = direction == kPopoverArrowDirectionUp || direction == kPopoverArrowDirectionDown;
    if (direction == kPopoverArrowDirectionUp) {
        Point a{anchor.midX(), anchor.maxY()};
        xa = W / 2 - aw / 2;
        ya = p.topBgMargin - ah;
        offset = {a.x - xa - aw / 2, a.y - ya};
    } else if (direction == kPopoverArrowDirectionDown) {
        Point a{anchor.midX(), anchor.minY()};
        xa = W / 2 - aw / 2;
        ya = H - p.bottomBgMargin;
        offset = {a.x - xa - aw / 2, a.y - ya - ah};
    } else if (direction == kPopoverArrowDirectionLeft) {
        Point a{anchor.maxX(), anchor.midY()};
        xa = p.leftBgMargin - aw;
        ya = H / 2 - ah / 2;
        offset = {a.x - xa, a.y - ya - ah / 2};
    } else {
        Point a{anchor.minX(), anchor.midY()};
        xa = W - p.rightBgMargin;
        ya = H / 2 - ah / 2;
        offset = {a.x - xa - aw, a.y - ya - ah / 2};
    }

    // Slide the panel along the arrow's side to stay within the display
    // area, moving the arrow the other way so it still points at the
    // anchor, but never off the body's side. The area's own edges count,
    // not 0 and its size: an anchor view away from the screen's origin
    // would otherwise push the panel to that view's left or top edge.
    if (vertical) {
        if (offset.x < display.minX()) {
            xa += offset.x - display.minX();
            offset.x = display.minX();
        } else if (offset.x + W > display.maxX()) {
            xa += offset.x + W - display.maxX();
            offset.x = display.maxX() - W;
        }
        xa = std::max(xa, p.leftBgMargin + p.arrowMargin);
        xa = std::min(xa, W - p.rightBgMargin - p.arrowMargin - aw);
    } else {
        if (offset.y < display.minY()) {
            ya += offset.y - display.minY();
            offset.y = display.minY();
        } else if (offset.y + H > display.maxY()) {
            ya += offset.y + H - display.maxY();
            offset.y = display.maxY() - H;
        }
        ya = std::max(ya, p.topBgMargin + p.arrowMargin);
        ya = std::min(ya, H - p.bottomBgMargin - p.arrowMargin - ah);
    }

    // Cut off what still sticks out of the display area.
    Rect f = b.offsetBy(offset.x, offset.y);
    double left = f.minX() - display.minX();
    double right = display.maxX() - f.maxX();
    double top = f.minY() - display.minY();
    double bottom = display.maxY() - f.maxY();
    if (left < 0) {
        b.size.width += left;
        offset.x -= left;
        if (direction == kPopoverArrowDirectionRight) xa = b.maxX() - p.rightBgMargin;
        left = 0;
    }
    if (right < 0) {
        b.size.width += right;
        if (direction == kPopoverArrowDirectionLeft) xa = b.minX() - aw + p.leftBgMargin;
        right = 0;
    }
    if (top < 0) {
        b.size.height += top;
        offset.y -= top;
        if (direction == kPopoverArrowDirectionDown) ya = b.maxY() - p.bottomBgMargin;
        top = 0;
    }
    if (bottom < 0) {
        b.size.height += bottom;
        if (direction == kPopoverArrowDirectionUp) ya = b.minY() - ah + p.topBgMargin;
        bottom = 0;
    }
    // A panel that lies wholly outside the display area would otherwise get
    // a negative size, which counts as area once standardized.
    b.size.width = std::max(b.size.width, 0.0);
    b.size.height = std::max(b.size.height, 0.0);

    Candidate c;
    c.offset = offset;
    c.arrowRect = Rect(xa, ya, aw, ah);
    c.bgRect = b;
    Rect shown = display.intersection(b.offsetBy(offset.x, offset.y));
    c.surface = shown.isNull() ? 0.0 : shown.width() * shown.height();
    c.margin = std::min({left, right, top, bottom});
    return c;
}

}  // namespace

WEPopoverContainerGeometry WEPopoverContainerGeometry::determine(Size size, const Rect& anchorRect,
                                                                 const Rect& displayArea,
                                                                 PopoverArrowDirection permittedArrowDirections,
                                                                 const WEPopoverContainerViewProperties& properties,
                                                                 const WEPopoverArrowSizes& arrowSizes) {
    WEPopoverContainerGeometry result;
    double bestSurface = 0.0;
    double bestMargin = 0.0;
    constexpr std::array<PopoverArrowDirection, 4> order{kPopoverArrowDirectionUp, kPopoverArrowDirectionDown,
                                                         kPopoverArrowDirectionLeft, kPopoverArrowDirectionRight};
    for (PopoverArrowDirection direction : order) {
        if ((permittedArrowDirections & direction) == 0) continue;
        Candidate c = place(direction, size, anchorRect, displayArea, properties, arrowSizes.forDirection(direction));
        if (c.surface >= bestSurface && c.margin >= bestMargin) {
            result.offset = c.offset;
            result.arrowRect = c.arrowRect;
            result.bgRect = c.bgRect;
            result.arrowDirection = direction;
            bestSurface = c.surface;
            bestMargin = c.margin;
        }
    }
    return result;
}

WEPopoverContainerLayout WEPopoverContainerLayout::layout(const WEPopoverContainerGeometry& geometry) {
    WEPopoverContainerLayout result;
    result.frame = geometry.bgRect.unionWith(geometry.arrowRect).offsetBy(geometry.offset.x, geometry.offset.y);
    result.arrowOffset = {geometry.arrowRect.origin.x < 0 ? -geometry.arrowRect.origin.x : 0.0,
                          geometry.arrowRect.origin.y < 0 ? -geometry.arrowRect.origin.y : 0.0};
    result.bgRect = geometry.bgRect.offsetBy(result.arrowOffset.x, result.arrowOffset.y);
    result.arrowRect = geometry.arrowRect.offsetBy(result.arrowOffset.x, result.arrowOffset.y);
    return result;
}

graphics::Rect WEPopoverContainerLayout::contentRect(const WEPopoverContainerViewProperties& p) const {
    return Rect(p.leftBgMargin + p.leftContentMargin + arrowOffset.x,
                p.topBgMargin + p.topContentMargin + arrowOffset.y,
                bgRect.size.width - p.leftBgMargin - p.rightBgMargin - p.leftContentMargin - p.rightContentMargin,
                bgRect.size.height - p.topBgMargin - p.bottomBgMargin - p.topContentMargin - p.bottomContentMargin);
}
