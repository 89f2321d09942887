#include "app/widgets/popover/UIBarButtonItem_WEPopover.h"

#include "platform/ui/controllers/BarButtonItem.h"

namespace UIBarButtonItem_WEPopover {

// The toolkit tells an item which view shows it, so there is no need to
// swap in a stand-in custom view to find the button among the bar's subviews.
ui::View* superview(const ui::BarButtonItem& item) {
    ui::View* shown = item.view();
    return shown ? shown->superview() : nullptr;
}

graphics::Rect frameInView(const ui::BarButtonItem& item, const ui::View& view) {
    ui::View* bar = superview(item);
    if (!bar) return graphics::Rect::zero();
    // The bar places its buttons when it lays out; a frame read before that is stale.
    bar->layoutIfNeeded();
    return bar->convertRectToView(item.view()->frame(), &view);
}

}  // namespace UIBarButtonItem_WEPopover
