#pragma once

// A text field whose text, editing and placeholder areas keep an inset from
// its edges.

#include "platform/graphics/Geometry.h"
#include "platform/ui/text/TextField.h"

class ELCInsetTextField : public ui::TextField {
public:
    ELCInsetTextField();
    explicit ELCInsetTextField(const graphics::Rect& frame);

    graphics::EdgeInsets inset() const { return inset_; }
    void setInset(graphics::EdgeInsets inset);

    graphics::Rect textRectForBounds(const graphics::Rect& bounds) const override;
    graphics::Rect editingRectForBounds(const graphics::Rect& bounds) const override;
    graphics::Rect placeholderRectForBounds(const graphics::Rect& bounds) const override;

private:
    graphics::EdgeInsets inset_;
};
