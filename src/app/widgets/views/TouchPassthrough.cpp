#include "app/widgets/views/TouchPassthrough.h"

#include "platform/foundation/DispatchQueue.h"

#include <algorithm>

void TouchPassthrough::letEverythingThrough(std::function<void()> touchedThrough) {
    everything_ = true;
    touchedThrough_ = std::move(touchedThrough);
}

ui::View* TouchPassthrough::route(ui::View& overlay, ui::View* ownHit, graphics::Point point,
                                  const ui::Event* event) {
    if (ownHit != &overlay || (views_.empty() && !everything_)) return ownHit;
    ui::View* below = nullptr;
    if (ui::View* parent = overlay.superview()) {
        asking_ = true;
        below = parent->hitTest(overlay.convertPointToView(point, parent), event);
        asking_ = false;
    }
    if (!everything_) return isListed(below) ? below : &overlay;
    if (!below) return &overlay;
    // Only a touch (hit tests without an event are the wheel's and the
    // pointer's) tells; later, since the owner may take the overlay away
    // while the window still walks the tree.
    if (event && touchedThrough_ && !isListed(below)) foundation::DispatchQueue::main().async(touchedThrough_);
    return below;
}

std::vector<ui::ViewPtr> TouchPassthrough::viewsBelow(const ui::View& overlay) const {
    if (!everything_) return views_;
    std::vector<ui::ViewPtr> below;
    if (const ui::View* parent = overlay.superview()) {
        for (const ui::ViewPtr& sibling : parent->subviews()) {
            if (sibling.get() == &overlay) break;
            below.push_back(sibling);
        }
    }
    return below;
}

bool TouchPassthrough::isListed(const ui::View* view) const {
    for (const ui::View* v = view; v; v = v->superview()) {
        const bool listed =
            std::any_of(views_.begin(), views_.end(), [v](const ui::ViewPtr& listedView) { return listedView.get() == v; });
        if (listed) return true;
    }
    return false;
}
