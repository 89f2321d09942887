#include "app/widgets/views/SSTextView.h"

#include "platform/graphics/GraphicsContext.h"

using graphics::Rect;

SSTextView::SSTextView() { setUp(); }

SSTextView::SSTextView(const Rect& frame) : ui::TextView(frame) { setUp(); }

void SSTextView::setUp() {
    // Typing changes the text without going through setText.
    textChanges_ = foundation::NotificationCenter::defaultCenter().addObserver(
        ui::TextView::TextDidChangeNotification, static_cast<ui::TextView*>(this),
        [this](const foundation::Notification&) { updateShouldDrawPlaceholder(); });
}

void SSTextView::setPlaceholder(std::optional<std::string> placeholder) {
    if (placeholder == placeholder_) return;
    placeholder_ = std::move(placeholder);
    updateShouldDrawPlaceholder();
}

void SSTextView::setPlaceholderColor(std::optional<graphics::Color> color) {
    placeholderColor_ = std::move(color);
    updateShouldDrawPlaceholder();
}

void SSTextView::setText(std::string text) {
    ui::TextView::setText(std::move(text));
    updateShouldDrawPlaceholder();
}

void SSTextView::updateShouldDrawPlaceholder() {
    const bool draw = placeholder_ && placeholderColor_ && text().empty();
    if (draw == shouldDrawPlaceholder_) return;
    shouldDrawPlaceholder_ = draw;
    setNeedsDisplay();
}

void SSTextView::drawRect(graphics::GraphicsContext& context, const Rect& rect) {
    ui::TextView::drawRect(context, rect);
    if (!shouldDrawPlaceholder_) return;
    const Rect b = bounds();
    context.setFillColor(*placeholderColor_);
    context.drawText(*placeholder_, Rect(8, 8, b.width() - 16, b.height() - 16), font(),
                     graphics::LineBreakMode::WordWrap, textAlignment());
}
