#include "app/widgets/cells/ELCInsetTextFieldCell.h"

using graphics::Rect;

void ELCInsetTextFieldCell::setFrame(const Rect& frame) {
    const Rect& f = frame;
    ELCTextFieldCell::setFrame(Rect(f.origin.x + inset_.left, f.origin.y + inset_.top,
                                    f.size.width - inset_.left - inset_.right,
                                    f.size.height - inset_.top - inset_.bottom));
}

void ELCInsetTextFieldCell::layoutSubviews() {
    ELCTextFieldCell::layoutSubviews();
    Rect field = rightTextField()->frame();
    rightTextField()->setFrame(Rect(field.origin.x, field.origin.y + 4, field.size.width, field.size.height - 8));
}
