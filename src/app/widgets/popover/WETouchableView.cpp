#include "app/widgets/popover/WETouchableView.h"

WETouchableView::WETouchableView() = default;

WETouchableView::WETouchableView(const graphics::Rect& frame) : ui::View(frame) {}

ui::View* WETouchableView::hitTest(graphics::Point point, const ui::Event* event) {
    // Asked again through the superview below: step aside.
    if (passthrough_.isAskingBelow()) return nullptr;
    if (touchForwardingDisabled) return this;
    return passthrough_.route(*this, ui::View::hitTest(point, event), point, event);
}

void WETouchableView::touchesBegan(const ui::TouchSet& touches, const ui::Event& event) {
    (void)touches;
    (void)event;
    if (delegate) delegate->viewWasTouched(*this);
}

bool WETouchableView::handleKeyEquivalent(const ui::KeyPress& press) {
    if (press.key != ui::Key::Escape || !press.text.empty() || !delegate) return false;
    ui::ViewPtr keepAlive = sharedFromThis();
    delegate->viewWasEscaped(*this);
    return true;
}
