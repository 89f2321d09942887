#pragma once

// A label that puts its text at the top, in the middle or at the bottom of
// its bounds.

#include "platform/ui/controls/Label.h"

enum class VerticalAlignment { Top = 0, Middle = 1, Bottom = 2 };

class VerticallyAlignedLabel : public ui::Label {
public:
    VerticallyAlignedLabel();
    explicit VerticallyAlignedLabel(const graphics::Rect& frame);

    VerticalAlignment verticalAlignment() const { return verticalAlignment_; }
    void setVerticalAlignment(VerticalAlignment alignment);

    graphics::Rect textRectForBounds(const graphics::Rect& bounds, int numberOfLines) const override;
    void drawTextInRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

private:
    VerticalAlignment verticalAlignment_ = VerticalAlignment::Middle;
};
