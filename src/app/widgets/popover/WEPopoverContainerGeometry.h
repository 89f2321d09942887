#pragma once

// Where an arrow popover's panel and arrow go: the arithmetic of the panel
// container, kept apart from the view so that it can be checked on its own.
//
// Coordinates: the anchor rect and the display area are in the anchor
// view's coordinates; `offset` is the background's origin there. `bgRect`
// and `arrowRect` are relative to that origin until `layout` moves them into
// the container's own coordinates.

#include "app/widgets/popover/WEPopoverContainerViewProperties.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>

// The platform's popover arrow direction mask.
using PopoverArrowDirection = uint64_t;
inline constexpr PopoverArrowDirection kPopoverArrowDirectionUp = 1;
inline constexpr PopoverArrowDirection kPopoverArrowDirectionDown = 2;
inline constexpr PopoverArrowDirection kPopoverArrowDirectionLeft = 4;
inline constexpr PopoverArrowDirection kPopoverArrowDirectionRight = 8;
inline constexpr PopoverArrowDirection kPopoverArrowDirectionAny = 15;
// All ones: no direction.
inline constexpr PopoverArrowDirection kPopoverArrowDirectionUnknown = ~PopoverArrowDirection{0};

// The sizes of the four arrow pictures (zero for a missing picture).
struct WEPopoverArrowSizes {
    graphics::Size up;
    graphics::Size down;
    graphics::Size left;
    graphics::Size right;

    graphics::Size forDirection(PopoverArrowDirection direction) const;
};

struct WEPopoverContainerGeometry {
    graphics::Point offset;
    graphics::Rect arrowRect;
    graphics::Rect bgRect;
    PopoverArrowDirection arrowDirection = kPopoverArrowDirectionUnknown;

    // Tries each permitted direction in the order up, down, left, right and
    // keeps the one whose panel shows the most surface within the display
    // area with the widest margin; later directions win ties.
    static WEPopoverContainerGeometry determine(graphics::Size size, const graphics::Rect& anchorRect,
                                                const graphics::Rect& displayArea,
                                                PopoverArrowDirection permittedArrowDirections,
                                                const WEPopoverContainerViewProperties& properties,
                                                const WEPopoverArrowSizes& arrowSizes);

    bool hasDirection() const { return arrowDirection != kPopoverArrowDirectionUnknown; }
};

// The container's frame (in the anchor view's coordinates) and the
// background and arrow rects in the container's own coordinates.
struct WEPopoverContainerLayout {
    graphics::Rect frame;
    graphics::Point arrowOffset;
    graphics::Rect bgRect;
    graphics::Rect arrowRect;

    static WEPopoverContainerLayout layout(const WEPopoverContainerGeometry& geometry);

    // Where the content view goes, in the container's coordinates.
    graphics::Rect contentRect(const WEPopoverContainerViewProperties& properties) const;
};
