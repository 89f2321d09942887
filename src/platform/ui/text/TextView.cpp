#include "platform/ui/text/TextView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Color;
using graphics::LineBreakMode;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {
constexpr double kCaretWidth = 2;
}

TextView::TextView() : TextView(Rect()) {}

TextView::TextView(const Rect& frame)
    : DelegatingEditableText(
          frame, graphics::Font::systemFont(12),
          {TextDidBeginEditingNotification, TextDidChangeNotification, TextDidEndEditingNotification}) {
    setDrawsContent(true);
    setContentMode(ContentMode::Redraw);
    setBackgroundColor(Color::white());
}

void TextView::setEditable(bool editable) {
    editable_ = editable;
    if (!editable && isEditing()) resignFirstResponder();
}

void TextView::setTextContainerInset(graphics::EdgeInsets inset) {
    inset_ = inset;
    setNeedsDisplay();
}

// ---- layout and drawing ------------------------------------------------------------------

Rect TextView::textRect() const {
    Rect b = bounds();
    return Rect(b.origin.x + inset_.left, b.origin.y + inset_.top,
                std::max(0.0, b.size.width - inset_.left - inset_.right),
                std::max(0.0, b.size.height - inset_.top - inset_.bottom));
}

Size TextView::sizeThatFits(Size size) const {
    double width = std::max(0.0, size.width - inset_.left - inset_.right);
    LabelTextLayout layout = layoutLabelText(text(), font(), width, 0, LineBreakMode::WordWrap);
    double lines = std::max<double>(1, static_cast<double>(layout.lines.size()));
    return Size{size.width, std::ceil(lines * layout.lineHeight - 1e-9) + inset_.top + inset_.bottom};
}

Point TextView::caretPosition(double width) const {
    // The text up to the caret, laid out alone, ends where the caret is.
    std::string before = text().substr(0, caret());
    if (before.empty()) return Point{0, 0};
    LabelTextLayout layout = layoutLabelText(before, font(), width, 0, LineBreakMode::WordWrap);
    if (layout.lines.empty()) return Point{0, 0};
    size_t line = layout.lines.size() - 1;
    return Point{layout.widths[line], static_cast<double>(line)};
}

double TextView::scrollOffset(const Rect& rect) const {
    if (!isEditing()) return 0;
    double lineHeight = font().lineHeight();
    double caretBottom = (caretPosition(rect.size.width).y + 1) * lineHeight;
    return caretBottom > rect.size.height ? caretBottom - rect.size.height : 0;
}

void TextView::drawRect(graphics::GraphicsContext& context, const Rect&) {
    Rect rect = textRect();
    if (rect.size.width <= 0) return;
    double shift = scrollOffset(rect);
    LabelTextLayout layout = layoutLabelText(text(), font(), rect.size.width, 0, LineBreakMode::WordWrap);
    context.saveGState();
    context.clipToRect(bounds());
    context.setFillColor(textColor());
    double height = layout.lineHeight * static_cast<double>(layout.lines.size());
    drawLabelText(context, layout, Rect(rect.origin.x, rect.origin.y - shift, rect.size.width, height), font(),
                  textAlignment());
    if (isEditing()) {
        Point caret = caretPosition(rect.size.width);
        double lineWidth = caret.x;
        size_t line = static_cast<size_t>(caret.y);
        if (line < layout.widths.size()) lineWidth = layout.widths[line];
        double x = rect.origin.x + caret.x;
        if (textAlignment() == graphics::TextAlignment::Center) x += (rect.size.width - lineWidth) / 2;
        if (textAlignment() == graphics::TextAlignment::Right) x += rect.size.width - lineWidth;
        double y = rect.origin.y - shift + caret.y * layout.lineHeight;
        context.setFillColor(tintColor());
        context.fillRect(Rect(std::min(x, rect.maxX() - kCaretWidth), y, kCaretWidth, font().lineHeight()));
    }
    context.restoreGState();
}

// ---- editing ----------------------------------------------------------------------------

bool TextView::shouldEndEditing() { return !editable_ || DelegatingEditableText::shouldEndEditing(); }

bool TextView::keyPressed(Key key, unsigned modifiers) {
    if (isEditing() && key == Key::SelectAll) return false;
    return EditableText::keyPressed(key, modifiers & ~KeyModifierShift);
}

void TextView::returnKeyPressed() { replaceRange(TextRange{caret(), 0}, "\n"); }

// ---- touches ----------------------------------------------------------------------------

void TextView::touchesBegan(const TouchSet& touches, const Event&) {
    if (!touch_ && !touches.empty()) touch_ = touches.front();
}

void TextView::touchesMoved(const TouchSet&, const Event&) {}

void TextView::touchesEnded(const TouchSet& touches, const Event&) {
    if (!touch_ || std::find(touches.begin(), touches.end(), touch_) == touches.end()) return;
    TouchPtr touch = std::move(touch_);
    touch_.reset();
    if (bounds().contains(touch->locationInView(this)) && !isEditing()) becomeFirstResponder();
}

void TextView::touchesCancelled(const TouchSet& touches, const Event&) {
    if (touch_ && std::find(touches.begin(), touches.end(), touch_) != touches.end()) touch_.reset();
}

}  // namespace ui
