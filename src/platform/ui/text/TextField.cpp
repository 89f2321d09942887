#include "platform/ui/text/TextField.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Color;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

constexpr double kClearButtonSize = 19;
constexpr double kClearButtonMargin = 6;
constexpr double kCaretWidth = 2;
const Color kPlaceholderColor = Color::grey(0.7);

double horizontalPadding(TextBorderStyle style) {
    switch (style) {
        case TextBorderStyle::None:
            return 0;
        case TextBorderStyle::Line:
        case TextBorderStyle::Bezel:
            return 3;
        case TextBorderStyle::RoundedRect:
            return 7;
    }
    return 0;
}

double verticalPadding(TextBorderStyle style) { return style == TextBorderStyle::None ? 0 : 5; }

}  // namespace

TextField::TextField() : TextField(Rect()) {}

TextField::TextField(const Rect& frame)
    : DelegatingEditableText(
          frame, graphics::Font::systemFont(17),
          {TextDidBeginEditingNotification, TextDidChangeNotification, TextDidEndEditingNotification}) {
    setDrawsContent(true);
    setOpaque(false);
    setContentMode(ContentMode::Redraw);
}

TextField::~TextField() = default;

// ---- properties -------------------------------------------------------------------------

void TextField::setPlaceholder(std::string placeholder) {
    placeholder_ = std::move(placeholder);
    setNeedsDisplay();
}

void TextField::setBorderStyle(TextBorderStyle style) {
    borderStyle_ = style;
    setNeedsDisplay();
}

void TextField::setClearButtonMode(TextFieldViewMode mode) {
    clearButtonMode_ = mode;
    setNeedsDisplay();
}

bool TextField::isClearButtonVisible() const {
    if (text().empty()) return false;
    switch (clearButtonMode_) {
        case TextFieldViewMode::Never:
            return false;
        case TextFieldViewMode::WhileEditing:
            return isEditing();
        case TextFieldViewMode::UnlessEditing:
            return !isEditing();
        case TextFieldViewMode::Always:
            return true;
    }
    return false;
}

// ---- geometry ------------------------------------------------------------------------------

Rect TextField::textRectForBounds(const Rect& bounds) const {
    double padding = horizontalPadding(borderStyle_);
    double right = padding;
    if (isClearButtonVisible()) right = std::max(right, kClearButtonSize + 2 * kClearButtonMargin);
    return Rect(bounds.origin.x + padding, bounds.origin.y, std::max(0.0, bounds.size.width - padding - right),
                bounds.size.height);
}

Rect TextField::editingRectForBounds(const Rect& bounds) const { return textRectForBounds(bounds); }

Rect TextField::placeholderRectForBounds(const Rect& bounds) const { return textRectForBounds(bounds); }

Rect TextField::clearButtonRectForBounds(const Rect& bounds) const {
    return Rect(bounds.maxX() - kClearButtonMargin - kClearButtonSize, bounds.midY() - kClearButtonSize / 2,
                kClearButtonSize, kClearButtonSize);
}

Size TextField::sizeThatFits(Size) const {
    const std::string& shown = text().empty() ? placeholder_ : text();
    double width = shown.empty() ? 0 : std::ceil(font().widthOfText(shown) - 1e-9);
    return Size{width + 2 * horizontalPadding(borderStyle_),
                std::ceil(font().lineHeight() - 1e-9) + 2 * verticalPadding(borderStyle_)};
}

double TextField::textOriginX(const Rect& rect, double textWidth) const {
    // Text wider than the field starts at the left, whatever the alignment,
    // so the caret can be scrolled to.
    if (textWidth > rect.size.width) return rect.origin.x;
    switch (textAlignment()) {
        case graphics::TextAlignment::Left:
            return rect.origin.x;
        case graphics::TextAlignment::Center:
            return rect.origin.x + (rect.size.width - textWidth) / 2;
        case graphics::TextAlignment::Right:
            return rect.maxX() - textWidth;
    }
    return rect.origin.x;
}

double TextField::scrollOffset(const Rect& rect) const {
    if (!isEditing()) return 0;
    double caretX = font().widthOfText(text().substr(0, caret()));
    double room = rect.size.width - kCaretWidth;
    return caretX > room ? caretX - room : 0;
}

size_t TextField::caretOffsetAt(Point point) const {
    Rect rect = editingRectForBounds(bounds());
    double origin = textOriginX(rect, font().widthOfText(text())) - scrollOffset(rect);
    double target = point.x - origin;
    size_t best = 0;
    double bestDistance = std::fabs(target);
    for (size_t offset = nextCharacterBoundary(text(), 0); offset > 0 && offset <= text().size();) {
        double distance = std::fabs(font().widthOfText(text().substr(0, offset)) - target);
        if (distance < bestDistance) {
            best = offset;
            bestDistance = distance;
        }
        if (offset == text().size()) break;
        offset = nextCharacterBoundary(text(), offset);
    }
    return best;
}

// ---- drawing ------------------------------------------------------------------------------------

void TextField::drawRect(graphics::GraphicsContext& context, const Rect&) {
    Rect b = bounds();
    switch (borderStyle_) {
        case TextBorderStyle::None:
            break;
        case TextBorderStyle::Line:
            context.setStrokeColor(Color::black());
            context.setLineWidth(1);
            context.strokeRect(b.insetBy(0.5, 0.5));
            break;
        case TextBorderStyle::Bezel:
            context.setStrokeColor(Color::grey(0.55));
            context.setLineWidth(1);
            context.strokeRect(b.insetBy(0.5, 0.5));
            break;
        case TextBorderStyle::RoundedRect: {
            graphics::Path shape = graphics::Path::roundedRect(b.insetBy(0.5, 0.5), 5);
            context.setFillColor(Color::white());
            context.fillPath(shape);
            context.setStrokeColor(Color::grey(0.8));
            context.setLineWidth(1);
            context.strokePathWithContextSettings(shape);
            break;
        }
    }

    if (text().empty() && !placeholder_.empty())
        drawPlaceholderInRect(context, placeholderRectForBounds(b));
    else
        drawTextInRect(context, isEditing() ? editingRectForBounds(b) : textRectForBounds(b));

    if (isEditing()) {
        Rect rect = editingRectForBounds(b);
        double origin = textOriginX(rect, font().widthOfText(text())) - scrollOffset(rect);
        double x = origin + font().widthOfText(text().substr(0, caret()));
        context.setFillColor(tintColor());
        if (selectedRange().length == 0)
            context.fillRect(
                Rect(std::min(x, rect.maxX() - kCaretWidth), lineTop(rect), kCaretWidth, font().lineHeight()));
    }

    if (isClearButtonVisible()) {
        Rect button = clearButtonRectForBounds(b);
        context.setFillColor(Color::grey(0.7));
        context.fillEllipse(button);
        context.setStrokeColor(Color::white());
        context.setLineWidth(1.5);
        Rect cross = button.insetBy(6, 6);
        context.strokeLine(Point{cross.minX(), cross.minY()}, Point{cross.maxX(), cross.maxY()});
        context.strokeLine(Point{cross.maxX(), cross.minY()}, Point{cross.minX(), cross.maxY()});
    }
}

double TextField::lineTop(const Rect& rect) const {
    double lineHeight = font().lineHeight();
    if (contentVerticalAlignment() == ControlContentVerticalAlignment::Top) return rect.origin.y;
    if (contentVerticalAlignment() == ControlContentVerticalAlignment::Bottom) return rect.maxY() - lineHeight;
    return rect.midY() - lineHeight / 2;
}

void TextField::drawTextInRect(graphics::GraphicsContext& context, const Rect& rect) {
    if (text().empty()) return;
    double lineHeight = font().lineHeight();
    double top = lineTop(rect);
    context.setFillColor(isEnabled() ? textColor() : textColor().withAlpha(textColor().alpha() * 0.5));
    if (!isEditing()) {
        // At rest the text is cut with an ellipsis.
        LabelTextLayout layout =
            layoutLabelText(text(), font(), rect.size.width, 1, graphics::LineBreakMode::TruncateTail);
        drawLabelText(context, layout, Rect(rect.origin.x, top, rect.size.width, lineHeight), font(), textAlignment());
        return;
    }
    // While editing the whole text is there, shifted to keep the caret in view.
    double width = font().widthOfText(text());
    double x = textOriginX(rect, width) - scrollOffset(rect);
    context.saveGState();
    context.clipToRect(
        Rect(rect.origin.x, rect.origin.y - lineHeight, rect.size.width, rect.size.height + 2 * lineHeight));
    if (TextRange selection = selectedRange(); selection.length > 0) {
        double from = font().widthOfText(text().substr(0, selection.location));
        double to = font().widthOfText(text().substr(0, selection.location + selection.length));
        context.setFillColor(tintColor().withAlpha(0.3));
        context.fillRect(Rect(x + from, top, to - from, lineHeight));
        context.setFillColor(isEnabled() ? textColor() : textColor().withAlpha(textColor().alpha() * 0.5));
    }
    context.drawText(text(), Point{x, top}, font());
    context.restoreGState();
}

void TextField::drawPlaceholderInRect(graphics::GraphicsContext& context, const Rect& rect) {
    double lineHeight = font().lineHeight();
    double top = lineTop(rect);
    LabelTextLayout layout =
        layoutLabelText(placeholder_, font(), rect.size.width, 1, graphics::LineBreakMode::TruncateTail);
    context.setFillColor(kPlaceholderColor);
    drawLabelText(context, layout, Rect(rect.origin.x, top, rect.size.width, lineHeight), font(), textAlignment());
}

// ---- editing ----------------------------------------------------------------------------------------

bool TextField::canBecomeFirstResponder() const { return isEnabled(); }

void TextField::didBeginEditing() {
    DelegatingEditableText::didBeginEditing();
    sendActionsForControlEvents(ControlEventEditingDidBegin);
}

void TextField::didEndEditing() {
    DelegatingEditableText::didEndEditing();
    sendActionsForControlEvents(ControlEventEditingDidEnd);
}

void TextField::textDidChange() { sendActionsForControlEvents(ControlEventEditingChanged); }

std::string TextField::acceptedText(std::string text) const { return withoutLineBreaks(text); }

bool TextField::insertText(const std::string& text) {
    if (isEditing() && (text == "\n" || text == "\r" || text == "\r\n")) {
        returnKeyPressed();
        return true;
    }
    return EditableText::insertText(text);
}

bool TextField::keyPressed(Key key, unsigned modifiers) {
    if (!isEditing()) return EditableText::keyPressed(key, modifiers);
    // One line: up and down go to its ends.
    if (key == Key::Up) return EditableText::keyPressed(Key::Home, modifiers);
    if (key == Key::Down) return EditableText::keyPressed(Key::End, modifiers);
    if (key == Key::Escape) {
        revertEditing();
        return true;
    }
    return EditableText::keyPressed(key, modifiers);
}

void TextField::returnKeyPressed() {
    ViewPtr keepAlive = weak_from_this().lock();
    // A delegate that refuses keeps the keyboard (it may have ended editing itself).
    if (delegate() && !delegate()->textFieldShouldReturn(*this)) return;
    sendActionsForControlEvents(ControlEventEditingDidEndOnExit);
    // On a desktop Return finishes the entry, as putting the keyboard away does.
    if (isEditing()) resignFirstResponder();
}

void TextField::clear() {
    ViewPtr keepAlive = weak_from_this().lock();
    if (delegate() && !delegate()->textFieldShouldClear(*this)) return;
    if (!isEditing() && !becomeFirstResponder()) return;
    if (text().empty()) return;
    applyEdit(TextRange{0, text().size()}, std::string());
}

// ---- touches ---------------------------------------------------------------------------------------------

bool TextField::beginTrackingWithTouch(const Touch& touch, const Event&) {
    touchOnClearButton_ =
        isClearButtonVisible() && clearButtonRectForBounds(bounds()).contains(touch.locationInView(this));
    return true;
}

void TextField::endTrackingWithTouch(const Touch& touch, const Event&) {
    Point p = touch.locationInView(this);
    if (!isPointInsideTrackingArea(p)) return;
    if (touchOnClearButton_ && clearButtonRectForBounds(bounds()).contains(p)) {
        clear();
        return;
    }
    if (!isEditing()) {
        becomeFirstResponder();
        return;
    }
    setSelectedRange(TextRange{caretOffsetAt(p), 0});
}

}  // namespace ui
