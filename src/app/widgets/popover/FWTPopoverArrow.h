#pragma once

// The arrow of an annotation popover: which edge carries it, how big it is
// and how far it is shifted along that edge.

#include "platform/graphics/Geometry.h"

#include <cstdint>

// "Up" means the arrow sits on the popover's top edge and points up at the
// target, so the popover lies below it; likewise for the others.
using FWTPopoverArrowDirection = uint64_t;
inline constexpr FWTPopoverArrowDirection FWTPopoverArrowDirectionNone = 1;
inline constexpr FWTPopoverArrowDirection FWTPopoverArrowDirectionUp = 2;
inline constexpr FWTPopoverArrowDirection FWTPopoverArrowDirectionDown = 4;
inline constexpr FWTPopoverArrowDirection FWTPopoverArrowDirectionLeft = 8;
inline constexpr FWTPopoverArrowDirection FWTPopoverArrowDirectionRight = 16;

class FWTPopoverArrow {
public:
    FWTPopoverArrowDirection direction = FWTPopoverArrowDirectionNone;
    graphics::Size size{10, 10};
    // Shifts the whole arrow along its edge.
    double offset = 0;
    // Shifts only the arrow's tip.
    double cornerOffset = 0;

    // The insets with room for the arrow added on its side.
    graphics::EdgeInsets adjustedEdgeInsetsForEdgeInsets(const graphics::EdgeInsets& insets) const;
};
