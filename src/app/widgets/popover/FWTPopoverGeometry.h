#pragma once

// The arithmetic of the annotation popover: where it goes for a target rect,
// how it is kept inside its superview, how far the arrow then shifts, and
// the shape and stretchable picture of its background.

#include "app/widgets/popover/FWTPopoverArrow.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Path.h"

struct FWTPopoverAdjustment {
    graphics::Rect frame;
    double dx = 0;
    double dy = 0;
    // -1 when the frame was moved right or down, else 1.
    double sign = 1;
};

// The picture the background is drawn into and how it stretches.
struct FWTPopoverBackgroundLayout {
    graphics::Size imageSize;
    graphics::EdgeInsets capInsets;
    // Where the body's path lies in the picture.
    graphics::Rect pathFrame;
};

struct FWTPopoverGeometry {
    // The popover's origin so that its arrow points at the rect.
    static graphics::Point midPointForRect(const graphics::Rect& rect, graphics::Size popoverSize,
                                           const FWTPopoverArrow& arrow);

    // Moves the frame back into the superview's bounds, at most once per axis.
    static FWTPopoverAdjustment adjustmentForFrame(const graphics::Rect& frame, const graphics::Rect& superviewBounds);

    // How far the arrow must shift to keep pointing at the target after the
    // popover moved by (dx, dy), held short of the rounded corners.
    static double arrowOffsetForDelta(double dx, double dy, double sign, FWTPopoverArrowDirection direction,
                                      graphics::Size boundsSize, const graphics::EdgeInsets& edgeInsets,
                                      double cornerRadius);

    static FWTPopoverBackgroundLayout backgroundLayoutForSize(graphics::Size size,
                                                              const graphics::EdgeInsets& edgeInsets,
                                                              FWTPopoverArrowDirection direction, double cornerRadius);

    // The rounded body with the arrow on its side.
    static graphics::Path bezierPathForRect(const graphics::Rect& rect, double cornerRadius,
                                            const FWTPopoverArrow& arrow);

    // The box of the arrow's three points for a body at `pathFrame`; zero
    // for no arrow.
    static graphics::Rect arrowRect(const graphics::Rect& pathFrame, double cornerRadius, const FWTPopoverArrow& arrow);
};
