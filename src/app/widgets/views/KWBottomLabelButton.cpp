#include "app/widgets/views/KWBottomLabelButton.h"

#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>

using graphics::Rect;

KWBottomLabelButton::KWBottomLabelButton() { setUp(); }

KWBottomLabelButton::KWBottomLabelButton(const Rect& frame) : ui::Button(ui::ButtonType::Custom, frame) { setUp(); }

void KWBottomLabelButton::setUp() {
    titleLabel()->setNumberOfLines(0);
    titleLabel()->setLineBreakMode(graphics::LineBreakMode::WordWrap);
    titleLabel()->setTextAlignment(graphics::TextAlignment::Center);
}

void KWBottomLabelButton::layoutSubviews() {
    ui::Button::layoutSubviews();
    const Rect b = bounds();
    const graphics::Size text =
        titleLabel()->font().sizeOfText(currentTitle(), b.width(), graphics::LineBreakMode::WordWrap);
    const graphics::Size image = imageView()->frame().size;

    const double blockWidth = std::max(image.width, text.width);
    const double blockHeight = image.height + text.height - kTitleOverlap;
    const Rect block(b.minX() + (b.width() - blockWidth) / 2, b.minY() + (b.height() - blockHeight) / 2, blockWidth,
                     blockHeight);

    imageView()->setFrame(Rect(block.midX() - image.width / 2, block.minY(), image.width, image.height));
    titleLabel()->setFrame(
        Rect(b.width() / 2 - text.width / 2, block.minY() + image.height - kTitleOverlap, text.width, text.height));
}
