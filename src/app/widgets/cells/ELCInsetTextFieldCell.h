#pragma once

// A text-field row drawn inset from the row's edges: the frame the table
// gives it shrinks by the inset, and the field keeps 4 points off the
// row's top and bottom.

#include "app/widgets/cells/ELCTextFieldCell.h"

class ELCInsetTextFieldCell : public ELCTextFieldCell {
public:
    using ELCTextFieldCell::ELCTextFieldCell;

    graphics::EdgeInsets inset() const { return inset_; }
    // Applies to the next frame set.
    void setInset(graphics::EdgeInsets inset) { inset_ = inset; }

    void setFrame(const graphics::Rect& frame) override;
    void layoutSubviews() override;

private:
    graphics::EdgeInsets inset_;
};
