#include "app/widgets/cells/ELCInsetTextField.h"

using graphics::Rect;

ELCInsetTextField::ELCInsetTextField() = default;

ELCInsetTextField::ELCInsetTextField(const Rect& frame) : ui::TextField(frame) {}

void ELCInsetTextField::setInset(graphics::EdgeInsets inset) {
    inset_ = inset;
    setNeedsDisplay();
}

Rect ELCInsetTextField::textRectForBounds(const Rect& bounds) const { return bounds.inset(inset_); }
Rect ELCInsetTextField::editingRectForBounds(const Rect& bounds) const { return bounds.inset(inset_); }
Rect ELCInsetTextField::placeholderRectForBounds(const Rect& bounds) const { return bounds.inset(inset_); }
