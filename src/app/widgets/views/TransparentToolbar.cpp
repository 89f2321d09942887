#include "app/widgets/views/TransparentToolbar.h"

TransparentToolbar::TransparentToolbar() { applyTransparency(); }

TransparentToolbar::TransparentToolbar(const graphics::Rect& frame) : ui::Toolbar(frame) { applyTransparency(); }

void TransparentToolbar::applyTransparency() {
    setBackgroundColor(graphics::Color::clear());
    setOpaque(false);
    setTranslucent(true);
}

void TransparentToolbar::setIsTransparent(bool transparent) {
    isTransparent_ = transparent;
    if (transparent) applyTransparency();
    setNeedsDisplay();
}

void TransparentToolbar::drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) {
    if (!isTransparent_) ui::Toolbar::drawRect(context, rect);
}
