#include "app/widgets/views/VerticallyAlignedLabel.h"

using graphics::Rect;

VerticallyAlignedLabel::VerticallyAlignedLabel() = default;

VerticallyAlignedLabel::VerticallyAlignedLabel(const Rect& frame) : ui::Label(frame) {}

void VerticallyAlignedLabel::setVerticalAlignment(VerticalAlignment alignment) {
    verticalAlignment_ = alignment;
    setNeedsDisplay();
}

Rect VerticallyAlignedLabel::textRectForBounds(const Rect& bounds, int numberOfLines) const {
    Rect text = ui::Label::textRectForBounds(bounds, numberOfLines);
    switch (verticalAlignment_) {
        case VerticalAlignment::Top:
            text.origin.y = bounds.origin.y;
            break;
        case VerticalAlignment::Bottom:
            text.origin.y = bounds.origin.y + bounds.size.height - text.size.height;
            break;
        case VerticalAlignment::Middle:
            text.origin.y = bounds.origin.y + (bounds.size.height - text.size.height) / 2;
            break;
    }
    return text;
}

void VerticallyAlignedLabel::drawTextInRect(graphics::GraphicsContext& context, const Rect& rect) {
    ui::Label::drawTextInRect(context, textRectForBounds(rect, numberOfLines()));
}
