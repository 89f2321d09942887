#include "platform/ui/TextField.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/ui/Label.h"

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
    case TextBorderStyle::None: return 0;
    case TextBorderStyle::Line:
    case TextBorderStyle::Bezel: return 3;
    case TextBorderStyle::RoundedRect: return 7;
    }
    return 0;
}

double verticalPadding(TextBorderStyle style) { return style == TextBorderStyle::None ? 0 : 5; }

}  // namespace

TextField::TextField() : TextField(Rect()) {}

TextField::TextField(const Rect& frame) : Control(frame) {
    setDrawsContent(true);
    setOpaque(false);
    setContentMode(ContentMode::Redraw);
}

TextField::~TextField() = default;

// ---- properties -------------------------------------------------------------------------

void TextField::setText(const std::string& text) {
    text_ = withoutLineBreaks(text);
    caret_ = text_.size();
    setNeedsDisplay();
}

void TextField::setPlaceholder(std::string placeholder) {
    placeholder_ = std::move(placeholder);
    setNeedsDisplay();
}

void TextField::setFont(graphics::Font font) {
    font_ = std::move(font);
    setNeedsDisplay();
}

void TextField::setTextColor(Color color) {
    textColor_ = std::move(color);
    setNeedsDisplay();
}

void TextField::setTextAlignment(graphics::TextAlignment alignment) {
    alignment_ = alignment;
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

void TextField::setSelectedRange(TextRange range) {
    size_t location = std::min(range.location, text_.size());
    // Back to the start of the character the location falls in.
    caret_ = location == text_.size() ? location : previousCharacterBoundary(text_, nextCharacterBoundary(text_, location));
    setNeedsDisplay();
}

bool TextField::isClearButtonVisible() const {
    if (text_.empty()) return false;
    switch (clearButtonMode_) {
    case TextFieldViewMode::Never: return false;
    case TextFieldViewMode::WhileEditing: return editing_;
    case TextFieldViewMode::UnlessEditing: return !editing_;
    case TextFieldViewMode::Always: return true;
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
    const std::string& shown = text_.empty() ? placeholder_ : text_;
    double width = shown.empty() ? 0 : std::ceil(font_.widthOfText(shown) - 1e-9);
    return Size{width + 2 * horizontalPadding(borderStyle_),
                std::ceil(font_.lineHeight() - 1e-9) + 2 * verticalPadding(borderStyle_)};
}

double TextField::textOriginX(const Rect& rect, double textWidth) const {
    // Text wider than the field starts at the left, whatever the alignment,
    // so the caret can be scrolled to.
    if (textWidth > rect.size.width) return rect.origin.x;
    switch (alignment_) {
    case graphics::TextAlignment::Left: return rect.origin.x;
    case graphics::TextAlignment::Center: return rect.origin.x + (rect.size.width - textWidth) / 2;
    case graphics::TextAlignment::Right: return rect.maxX() - textWidth;
    }
    return rect.origin.x;
}

double TextField::scrollOffset(const Rect& rect) const {
    if (!editing_) return 0;
    double caretX = font_.widthOfText(text_.substr(0, caret_));
    double room = rect.size.width - kCaretWidth;
    return caretX > room ? caretX - room : 0;
}

size_t TextField::caretOffsetAt(Point point) const {
    Rect rect = editingRectForBounds(bounds());
    double origin = textOriginX(rect, font_.widthOfText(text_)) - scrollOffset(rect);
    double target = point.x - origin;
    size_t best = 0;
    double bestDistance = std::fabs(target);
    for (size_t offset = nextCharacterBoundary(text_, 0); offset > 0 && offset <= text_.size();) {
        double distance = std::fabs(font_.widthOfText(text_.substr(0, offset)) - target);
        if (distance < bestDistance) {
            best = offset;
            bestDistance = distance;
        }
        if (offset == text_.size()) break;
        offset = nextCharacterBoundary(text_, offset);
    }
    return best;
}

// ---- drawing ------------------------------------------------------------------------------------

void TextField::drawRect(graphics::GraphicsContext& context, const Rect&) {
    Rect b = bounds();
    switch (borderStyle_) {
    case TextBorderStyle::None: break;
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

    if (text_.empty() && !placeholder_.empty()) drawPlaceholderInRect(context, placeholderRectForBounds(b));
    else drawTextInRect(context, editing_ ? editingRectForBounds(b) : textRectForBounds(b));

    if (editing_) {
        Rect rect = editingRectForBounds(b);
        double origin = textOriginX(rect, font_.widthOfText(text_)) - scrollOffset(rect);
        double x = origin + font_.widthOfText(text_.substr(0, caret_));
        double lineHeight = font_.lineHeight();
        double top = rect.midY() - lineHeight / 2;
        if (contentVerticalAlignment() == ControlContentVerticalAlignment::Top) top = rect.origin.y;
        if (contentVerticalAlignment() == ControlContentVerticalAlignment::Bottom) top = rect.maxY() - lineHeight;
        context.setFillColor(tintColor());
        context.fillRect(Rect(std::min(x, rect.maxX() - kCaretWidth), top, kCaretWidth, lineHeight));
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

void TextField::drawTextInRect(graphics::GraphicsContext& context, const Rect& rect) {
    if (text_.empty()) return;
    double lineHeight = font_.lineHeight();
    double top = rect.midY() - lineHeight / 2;
    if (contentVerticalAlignment() == ControlContentVerticalAlignment::Top) top = rect.origin.y;
    if (contentVerticalAlignment() == ControlContentVerticalAlignment::Bottom) top = rect.maxY() - lineHeight;
    context.setFillColor(isEnabled() ? textColor_ : textColor_.withAlpha(textColor_.alpha() * 0.5));
    if (!editing_) {
        // At rest the text is cut with an ellipsis.
        LabelTextLayout layout = layoutLabelText(text_, font_, rect.size.width, 1, graphics::LineBreakMode::TruncateTail);
        drawLabelText(context, layout, Rect(rect.origin.x, top, rect.size.width, lineHeight), font_, alignment_);
        return;
    }
    // While editing the whole text is there, shifted to keep the caret in view.
    double width = font_.widthOfText(text_);
    double x = textOriginX(rect, width) - scrollOffset(rect);
    context.saveGState();
    context.clipToRect(Rect(rect.origin.x, rect.origin.y - lineHeight, rect.size.width, rect.size.height + 2 * lineHeight));
    context.drawText(text_, Point{x, top}, font_);
    context.restoreGState();
}

void TextField::drawPlaceholderInRect(graphics::GraphicsContext& context, const Rect& rect) {
    double lineHeight = font_.lineHeight();
    double top = rect.midY() - lineHeight / 2;
    if (contentVerticalAlignment() == ControlContentVerticalAlignment::Top) top = rect.origin.y;
    if (contentVerticalAlignment() == ControlContentVerticalAlignment::Bottom) top = rect.maxY() - lineHeight;
    LabelTextLayout layout =
        layoutLabelText(placeholder_, font_, rect.size.width, 1, graphics::LineBreakMode::TruncateTail);
    context.setFillColor(kPlaceholderColor);
    drawLabelText(context, layout, Rect(rect.origin.x, top, rect.size.width, lineHeight), font_, alignment_);
}

// ---- editing ----------------------------------------------------------------------------------------

bool TextField::canBecomeFirstResponder() const { return isEnabled(); }

bool TextField::becomeFirstResponder() {
    if (editing_) return true;
    if (!canBecomeFirstResponder()) return false;
    ViewPtr keepAlive = weak_from_this().lock();
    if (delegate_ && !delegate_->textFieldShouldBeginEditing(*this)) return false;
    if (!Control::becomeFirstResponder()) return false;
    editing_ = true;
    caret_ = text_.size();
    setNeedsDisplay();
    if (delegate_) delegate_->textFieldDidBeginEditing(*this);
    sendActionsForControlEvents(ControlEventEditingDidBegin);
    post(TextDidBeginEditingNotification);
    return true;
}

bool TextField::resignFirstResponder() {
    if (!editing_) return Control::resignFirstResponder();
    ViewPtr keepAlive = weak_from_this().lock();
    if (delegate_ && !delegate_->textFieldShouldEndEditing(*this)) return false;
    if (!Control::resignFirstResponder()) return false;
    finishEditing();
    return true;
}

void TextField::finishEditing() {
    if (!editing_) return;
    editing_ = false;
    setNeedsDisplay();
    if (delegate_) delegate_->textFieldDidEndEditing(*this);
    sendActionsForControlEvents(ControlEventEditingDidEnd);
    post(TextDidEndEditingNotification);
}

void TextField::willMoveToWindow(Window* newWindow) {
    Control::willMoveToWindow(newWindow);
    // A field that leaves its window stops editing, whatever its delegate says.
    if (editing_ && newWindow != window()) {
        if (isFirstResponder()) Control::resignFirstResponder();
        finishEditing();
    }
}

void TextField::post(const char* name) {
    foundation::NotificationCenter::defaultCenter().post(name, static_cast<const void*>(this));
}

bool TextField::replaceRange(TextRange range, const std::string& replacement) {
    ViewPtr keepAlive = weak_from_this().lock();
    range.location = std::min(range.location, text_.size());
    range.length = std::min(range.length, text_.size() - range.location);
    if (delegate_ && !delegate_->shouldChangeCharactersInRange(*this, range, replacement)) return false;
    // The delegate may have changed the text meanwhile; never write past it.
    range.location = std::min(range.location, text_.size());
    range.length = std::min(range.length, text_.size() - range.location);
    text_.replace(range.location, range.length, replacement);
    caret_ = range.location + replacement.size();
    setNeedsDisplay();
    sendActionsForControlEvents(ControlEventEditingChanged);
    post(TextDidChangeNotification);
    return true;
}

bool TextField::insertText(const std::string& text) {
    if (!editing_) return Control::insertText(text);
    if (text == "\n" || text == "\r" || text == "\r\n") {
        handleReturn();
        return true;
    }
    std::string typed = withoutLineBreaks(text);
    if (!typed.empty()) replaceRange(TextRange{caret_, 0}, typed);
    return true;
}

bool TextField::keyPressed(Key key) {
    if (!editing_) return Control::keyPressed(key);
    switch (key) {
    case Key::Return: handleReturn(); return true;
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
    case Key::Home:
    case Key::Up: caret_ = 0; break;
    case Key::End:
    case Key::Down: caret_ = text_.size(); break;
    case Key::Escape:
    case Key::Tab:
    case Key::Other: return Control::keyPressed(key);
    }
    setNeedsDisplay();
    return true;
}

void TextField::handleReturn() {
    ViewPtr keepAlive = weak_from_this().lock();
    if (delegate_ && !delegate_->textFieldShouldReturn(*this)) return;
    // An action for "did end on exit" is what makes the return key put the
    // keyboard away.
    bool dismisses = (allControlEvents() & ControlEventEditingDidEndOnExit) != 0;
    sendActionsForControlEvents(ControlEventEditingDidEndOnExit);
    if (dismisses && editing_) resignFirstResponder();
}

void TextField::clear() {
    ViewPtr keepAlive = weak_from_this().lock();
    if (delegate_ && !delegate_->textFieldShouldClear(*this)) return;
    if (!editing_ && !becomeFirstResponder()) return;
    if (text_.empty()) return;
    text_.clear();
    caret_ = 0;
    setNeedsDisplay();
    sendActionsForControlEvents(ControlEventEditingChanged);
    post(TextDidChangeNotification);
}

// ---- touches ---------------------------------------------------------------------------------------------

bool TextField::beginTrackingWithTouch(const Touch& touch, const Event&) {
    touchOnClearButton_ = isClearButtonVisible() && clearButtonRectForBounds(bounds()).contains(touch.locationInView(this));
    return true;
}

void TextField::endTrackingWithTouch(const Touch& touch, const Event&) {
    Point p = touch.locationInView(this);
    if (!isPointInsideTrackingArea(p)) return;
    if (touchOnClearButton_ && clearButtonRectForBounds(bounds()).contains(p)) {
        clear();
        return;
    }
    if (!editing_) {
        becomeFirstResponder();
        return;
    }
    caret_ = caretOffsetAt(p);
    setNeedsDisplay();
}

}  // namespace ui
