#include "app/widgets/popover/WETouchableView.h"

#include <algorithm>

WETouchableView::WETouchableView() = default;

WETouchableView::WETouchableView(const graphics::Rect& frame) : ui::View(frame) {}

ui::View* WETouchableView::hitTest(graphics::Point point, const ui::Event* event) {
    // Asked again through the superview below: step aside.
    if (testHits_) return nullptr;
    if (touchForwardingDisabled) return this;

    ui::View* hit = ui::View::hitTest(point, event);
    if (hit != this) return hit;  // the panel's content, or nothing at all

    ui::View* below = nullptr;
    if (ui::View* parent = superview()) {
        testHits_ = true;
        below = parent->hitTest(convertPointToView(point, parent), event);
        testHits_ = false;
    }
    return isPassthroughView(below) ? below : this;
}

void WETouchableView::touchesBegan(const ui::TouchSet& touches, const ui::Event& event) {
    (void)touches;
    (void)event;
    if (delegate) delegate->viewWasTouched(*this);
}

bool WETouchableView::isPassthroughView(const ui::View* view) const {
    for (const ui::View* v = view; v; v = v->superview()) {
        bool listed = std::any_of(passthroughViews_.begin(), passthroughViews_.end(),
                                  [v](const ui::ViewPtr& p) { return p.get() == v; });
        if (listed) return true;
    }
    return false;
}
