#include "platform/ui/TextView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Label.h"

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

TextView::TextView(const Rect& frame) : View(frame) {
    setDrawsContent(true);
    setContentMode(ContentMode::Redraw);
    setBackgroundColor(Color::white());
}

void TextView::setText(std::string text) {
    text_ = std::move(text);
    caret_ = text_.size();
    setNeedsDisplay();
}

void TextView::setFont(graphics::Font font) {
    font_ = std::move(font);
    setNeedsDisplay();
}

void TextView::setTextColor(Color color) {
    textColor_ = std::move(color);
    setNeedsDisplay();
}

void TextView::setTextAlignment(graphics::TextAlignment alignment) {
    alignment_ = alignment;
    setNeedsDisplay();
}

void TextView::setEditable(bool editable) {
    editable_ = editable;
    if (!editable && editing_) resignFirstResponder();
}

void TextView::setTextContainerInset(graphics::EdgeInsets inset) {
    inset_ = inset;
    setNeedsDisplay();
}

void TextView::setSelectedRange(TextRange range) {
    size_t location = std::min(range.location, text_.size());
    caret_ = location == text_.size() ? location : previousCharacterBoundary(text_, nextCharacterBoundary(text_, location));
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
    LabelTextLayout layout = layoutLabelText(text_, font_, width, 0, LineBreakMode::WordWrap);
    double lines = std::max<double>(1, static_cast<double>(layout.lines.size()));
    return Size{size.width, std::ceil(lines * layout.lineHeight - 1e-9) + inset_.top + inset_.bottom};
}

Point TextView::caretPosition(double width) const {
    // The text up to the caret, laid out alone, ends where the caret is.
    std::string before = text_.substr(0, caret_);
    if (before.empty()) return Point{0, 0};
    LabelTextLayout layout = layoutLabelText(before, font_, width, 0, LineBreakMode::WordWrap);
    if (layout.lines.empty()) return Point{0, 0};
    size_t line = layout.lines.size() - 1;
    return Point{layout.widths[line], static_cast<double>(line)};
}

double TextView::scrollOffset(const Rect& rect) const {
    if (!editing_) return 0;
    double lineHeight = font_.lineHeight();
    double caretBottom = (caretPosition(rect.size.width).y + 1) * lineHeight;
    return caretBottom > rect.size.height ? caretBottom - rect.size.height : 0;
}

void TextView::drawRect(graphics::GraphicsContext& context, const Rect&) {
    Rect rect = textRect();
    if (rect.size.width <= 0) return;
    double shift = scrollOffset(rect);
    LabelTextLayout layout = layoutLabelText(text_, font_, rect.size.width, 0, LineBreakMode::WordWrap);
    context.saveGState();
    context.clipToRect(bounds());
    context.setFillColor(textColor_);
    double height = layout.lineHeight * static_cast<double>(layout.lines.size());
    drawLabelText(context, layout, Rect(rect.origin.x, rect.origin.y - shift, rect.size.width, height), font_,
                  alignment_);
    if (editing_) {
        Point caret = caretPosition(rect.size.width);
        double lineWidth = caret.x;
        size_t line = static_cast<size_t>(caret.y);
        if (line < layout.widths.size()) lineWidth = layout.widths[line];
        double x = rect.origin.x + caret.x;
        if (alignment_ == graphics::TextAlignment::Center) x += (rect.size.width - lineWidth) / 2;
        if (alignment_ == graphics::TextAlignment::Right) x += rect.size.width - lineWidth;
        double y = rect.origin.y - shift + caret.y * layout.lineHeight;
        context.setFillColor(tintColor());
        context.fillRect(Rect(std::min(x, rect.maxX() - kCaretWidth), y, kCaretWidth, font_.lineHeight()));
    }
    context.restoreGState();
}

// ---- editing ----------------------------------------------------------------------------

bool TextView::becomeFirstResponder() {
    if (editing_) return true;
    if (!canBecomeFirstResponder()) return false;
    ViewPtr keepAlive = weak_from_this().lock();
    if (delegate_ && !delegate_->textViewShouldBeginEditing(*this)) return false;
    if (!View::becomeFirstResponder()) return false;
    editing_ = true;
    caret_ = text_.size();
    setNeedsDisplay();
    if (delegate_) delegate_->textViewDidBeginEditing(*this);
    post(TextDidBeginEditingNotification);
    return true;
}

bool TextView::resignFirstResponder() {
    if (!editing_) return View::resignFirstResponder();
    ViewPtr keepAlive = weak_from_this().lock();
    if (delegate_ && editable_ && !delegate_->textViewShouldEndEditing(*this)) return false;
    if (!View::resignFirstResponder()) return false;
    finishEditing();
    return true;
}

void TextView::finishEditing() {
    if (!editing_) return;
    editing_ = false;
    setNeedsDisplay();
    if (delegate_) delegate_->textViewDidEndEditing(*this);
    post(TextDidEndEditingNotification);
}

void TextView::willMoveToWindow(Window* newWindow) {
    View::willMoveToWindow(newWindow);
    if (editing_ && newWindow != window()) {
        if (isFirstResponder()) View::resignFirstResponder();
        finishEditing();
    }
}

void TextView::post(const char* name) {
    foundation::NotificationCenter::defaultCenter().post(name, static_cast<const void*>(this));
}

bool TextView::replaceRange(TextRange range, const std::string& replacement) {
    ViewPtr keepAlive = weak_from_this().lock();
    range.location = std::min(range.location, text_.size());
    range.length = std::min(range.length, text_.size() - range.location);
    if (delegate_ && !delegate_->shouldChangeTextInRange(*this, range, replacement)) return false;
    range.location = std::min(range.location, text_.size());
    range.length = std::min(range.length, text_.size() - range.location);
    text_.replace(range.location, range.length, replacement);
    caret_ = range.location + replacement.size();
    setNeedsDisplay();
    if (delegate_) delegate_->textViewDidChange(*this);
    post(TextDidChangeNotification);
    return true;
}

bool TextView::insertText(const std::string& text) {
    if (!editing_) return View::insertText(text);
    if (!text.empty()) replaceRange(TextRange{caret_, 0}, text);
    return true;
}

bool TextView::keyPressed(Key key) {
    if (!editing_) return View::keyPressed(key);
    switch (key) {
    case Key::Return: replaceRange(TextRange{caret_, 0}, "\n"); return true;
    case Key::Backspace:
        if (caret_ > 0) {
            size_t start = previousCharacterBoundary(text_, caret_);
            replaceRange(TextRange{start, caret_ - start}, std::string());
        }
        return true;
    case Key::Delete:
        if (caret_ < text_.size()) {
            size_t end = nextCharacterBoundary(text_, caret_);
            replaceRange(TextRange{caret_, end - caret_}, std::string());
        }
        return true;
    case Key::Left: caret_ = previousCharacterBoundary(text_, caret_); break;
    case Key::Right: caret_ = nextCharacterBoundary(text_, caret_); break;
    case Key::Home: caret_ = 0; break;
    case Key::End: caret_ = text_.size(); break;
    case Key::Up:
    case Key::Down:
    case Key::Escape:
    case Key::Tab:
    case Key::Other: return View::keyPressed(key);
    }
    setNeedsDisplay();
    return true;
}

// ---- touches ----------------------------------------------------------------------------

void TextView::touchesBegan(const TouchSet& touches, const Event&) {
    if (!touch_ && !touches.empty()) touch_ = touches.front();
}

void TextView::touchesMoved(const TouchSet&, const Event&) {}

void TextView::touchesEnded(const TouchSet& touches, const Event&) {
    if (!touch_ || std::find(touches.begin(), touches.end(), touch_) == touches.end()) return;
    TouchPtr touch = std::move(touch_);
    touch_.reset();
    if (bounds().contains(touch->locationInView(this)) && !editing_) becomeFirstResponder();
}

void TextView::touchesCancelled(const TouchSet& touches, const Event&) {
    if (touch_ && std::find(touches.begin(), touches.end(), touch_) != touches.end()) touch_.reset();
}

}  // namespace ui
