#include "app/widgets/popover/FWTPopoverArrow.h"

graphics::EdgeInsets FWTPopoverArrow::adjustedEdgeInsetsForEdgeInsets(const graphics::EdgeInsets& insets) const {
    graphics::EdgeInsets result = insets;
    if (direction & FWTPopoverArrowDirectionUp) {
        result.top += size.height;
    } else if (direction & FWTPopoverArrowDirectionLeft) {
        result.left += size.height;
    } else if (direction & FWTPopoverArrowDirectionRight) {
        result.right += size.height;
    } else if (direction & FWTPopoverArrowDirectionDown) {
        result.bottom += size.height;
    }
    return result;
}
