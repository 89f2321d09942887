#pragma once

// Where a toolbar button is on screen, so that a popover can point at it.

#include "platform/graphics/Geometry.h"

namespace ui {
class BarButtonItem;
class View;
}  // namespace ui

namespace UIBarButtonItem_WEPopover {

// The button's frame in the view's coordinates; the zero rect when no bar
// shows the button.
graphics::Rect frameInView(const ui::BarButtonItem& item, const ui::View& view);

// The bar that shows the button, or null.
ui::View* superview(const ui::BarButtonItem& item);

}  // namespace UIBarButtonItem_WEPopover
