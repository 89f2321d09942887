#include "app/widgets/views/TouchPassthrough.h"

#include <algorithm>

ui::View* TouchPassthrough::route(ui::View& overlay, ui::View* ownHit, graphics::Point point,
                                  const ui::Event* event) {
    if (ownHit != &overlay || views_.empty()) return ownHit;
    ui::View* below = nullptr;
    if (ui::View* parent = overlay.superview()) {
        asking_ = true;
        below = parent->hitTest(overlay.convertPointToView(point, parent), event);
        asking_ = false;
    }
    return isListed(below) ? below : &overlay;
}

bool TouchPassthrough::isListed(const ui::View* view) const {
    for (const ui::View* v = view; v; v = v->superview()) {
        const bool listed =
            std::any_of(views_.begin(), views_.end(), [v](const ui::ViewPtr& listedView) { return listedView.get() == v; });
        if (listed) return true;
    }
    return false;
}
