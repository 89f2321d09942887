#include "platform/ui/text/TextEditing.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/controls/Control.h"

#include <QString>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace ui {

namespace {

// Qt counts in UTF-16 units; our offsets count UTF-8 bytes.
qsizetype utf16Offset(const std::string& text, size_t offset) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(std::min(offset, text.size()))).size();
}

size_t utf8Offset(const QString& text, qsizetype offset) {
    return static_cast<size_t>(text.left(offset).toUtf8().size());
}

}  // namespace

size_t previousCharacterBoundary(const std::string& text, size_t offset) {
    offset = std::min(offset, text.size());
    if (offset == 0) return 0;
    QString q = QString::fromStdString(text);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, q);
    finder.setPosition(utf16Offset(text, offset));
    qsizetype previous = finder.toPreviousBoundary();
    return previous < 0 ? 0 : utf8Offset(q, previous);
}

size_t nextCharacterBoundary(const std::string& text, size_t offset) {
    offset = std::min(offset, text.size());
    if (offset == text.size()) return offset;
    QString q = QString::fromStdString(text);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, q);
    finder.setPosition(utf16Offset(text, offset));
    qsizetype next = finder.toNextBoundary();
    return next < 0 ? text.size() : utf8Offset(q, next);
}

std::string withoutLineBreaks(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c != '\n' && c != '\r') result.push_back(c);
    }
    return result;
}

// ---- editing ----------------------------------------------------------------------------

template <class Base>
EditableText<Base>::EditableText(const graphics::Rect& frame, graphics::Font font,
                                 TextEditingNotifications notifications)
    : Base(frame), notifications_(notifications), font_(std::move(font)) {}

template <class Base>
void EditableText<Base>::setText(std::string text) {
    text_ = acceptedText(std::move(text));
    caret_ = anchor_ = text_.size();
    this->setNeedsDisplay();
}

template <class Base>
void EditableText<Base>::setFont(graphics::Font font) {
    font_ = std::move(font);
    this->setNeedsDisplay();
}

template <class Base>
void EditableText<Base>::setTextColor(graphics::Color color) {
    textColor_ = std::move(color);
    this->setNeedsDisplay();
}

template <class Base>
void EditableText<Base>::setTextAlignment(graphics::TextAlignment alignment) {
    alignment_ = alignment;
    this->setNeedsDisplay();
}

template <class Base>
size_t EditableText<Base>::boundaryAtOrBefore(size_t location) const {
    location = std::min(location, text_.size());
    // Back to the start of the character the location falls in.
    return location == text_.size() ? location
                                    : previousCharacterBoundary(text_, nextCharacterBoundary(text_, location));
}

template <class Base>
void EditableText<Base>::setSelectedRange(TextRange range) {
    size_t start = std::min(range.location, text_.size());
    anchor_ = boundaryAtOrBefore(start);
    caret_ = boundaryAtOrBefore(start + std::min(range.length, text_.size() - start));
    this->setNeedsDisplay();
}

template <class Base>
void EditableText<Base>::moveCaret(size_t to, bool extend) {
    caret_ = to;
    if (!extend) anchor_ = to;
}

template <class Base>
bool EditableText<Base>::becomeFirstResponder() {
    if (editing_) return true;
    if (!this->canBecomeFirstResponder()) return false;
    ViewPtr keepAlive = this->weak_from_this().lock();
    if (!shouldBeginEditing()) return false;
    if (!Base::becomeFirstResponder()) return false;
    editing_ = true;
    caret_ = anchor_ = text_.size();
    textBeforeEditing_ = text_;
    this->setNeedsDisplay();
    didBeginEditing();
    post(notifications_.didBegin);
    return true;
}

template <class Base>
bool EditableText<Base>::resignFirstResponder() {
    if (!editing_) return Base::resignFirstResponder();
    ViewPtr keepAlive = this->weak_from_this().lock();
    if (!shouldEndEditing()) return false;
    if (!Base::resignFirstResponder()) return false;
    finishEditing();
    return true;
}

template <class Base>
void EditableText<Base>::finishEditing() {
    if (!editing_) return;
    editing_ = false;
    this->setNeedsDisplay();
    didEndEditing();
    post(notifications_.didEnd);
}

template <class Base>
void EditableText<Base>::willMoveToWindow(Window* newWindow) {
    Base::willMoveToWindow(newWindow);
    // An editor that leaves its window stops editing, whatever its delegate says.
    if (editing_ && newWindow != this->window()) {
        if (this->isFirstResponder()) Base::resignFirstResponder();
        finishEditing();
    }
}

template <class Base>
void EditableText<Base>::post(const char* name) {
    foundation::NotificationCenter::defaultCenter().post(name, static_cast<const void*>(this));
}

template <class Base>
TextRange EditableText<Base>::clamped(TextRange range) const {
    range.location = std::min(range.location, text_.size());
    range.length = std::min(range.length, text_.size() - range.location);
    return range;
}

template <class Base>
bool EditableText<Base>::replaceRange(TextRange range, const std::string& replacement) {
    ViewPtr keepAlive = this->weak_from_this().lock();
    range = clamped(range);
    if (!shouldChangeText(range, replacement)) return false;
    // The delegate may have changed the text meanwhile; never write past it.
    applyEdit(range, replacement);
    return true;
}

template <class Base>
void EditableText<Base>::applyEdit(TextRange range, const std::string& replacement) {
    range = clamped(range);
    text_.replace(range.location, range.length, replacement);
    caret_ = anchor_ = range.location + replacement.size();
    this->setNeedsDisplay();
    textDidChange();
    post(notifications_.didChange);
}

template <class Base>
bool EditableText<Base>::insertText(const std::string& text) {
    if (!editing_) return Base::insertText(text);
    std::string typed = acceptedText(text);
    if (!typed.empty()) replaceRange(selectedRange(), typed);
    return true;
}

template <class Base>
void EditableText<Base>::revertEditing() {
    if (!editing_) return;
    ViewPtr keepAlive = this->weak_from_this().lock();
    if (text_ != textBeforeEditing_) applyEdit(TextRange{0, text_.size()}, textBeforeEditing_);
    this->resignFirstResponder();
}

template <class Base>
bool EditableText<Base>::keyPressed(Key key, unsigned modifiers) {
    if (!editing_) return Base::keyPressed(key, modifiers);
    const bool extend = (modifiers & KeyModifierShift) != 0;
    const TextRange selection = selectedRange();
    switch (key) {
        case Key::Return:
            returnKeyPressed();
            return true;
        case Key::Backspace:
            if (selection.length > 0) {
                replaceRange(selection, std::string());
            } else if (caret_ > 0) {
                size_t start = previousCharacterBoundary(text_, caret_);
                replaceRange(TextRange{start, caret_ - start}, std::string());
            }
            return true;
        case Key::Delete:
            if (selection.length > 0) {
                replaceRange(selection, std::string());
            } else if (caret_ < text_.size()) {
                size_t end = nextCharacterBoundary(text_, caret_);
                replaceRange(TextRange{caret_, end - caret_}, std::string());
            }
            return true;
        case Key::Left:
            // Without Shift a selection collapses to its start.
            moveCaret(!extend && selection.length > 0 ? selection.location : previousCharacterBoundary(text_, caret_),
                      extend);
            break;
        case Key::Right:
            moveCaret(!extend && selection.length > 0 ? selection.location + selection.length
                                                      : nextCharacterBoundary(text_, caret_),
                      extend);
            break;
        case Key::Home:
            moveCaret(0, extend);
            break;
        case Key::End:
            moveCaret(text_.size(), extend);
            break;
        case Key::SelectAll:
            anchor_ = 0;
            caret_ = text_.size();
            break;
        case Key::Up:
        case Key::Down:
        case Key::Escape:
        case Key::Tab:
        case Key::PageUp:
        case Key::PageDown:
        case Key::Undo:
        case Key::Redo:
        case Key::Open:
        case Key::Other:
            return Base::keyPressed(key, modifiers);
    }
    this->setNeedsDisplay();
    return true;
}

template class EditableText<View>;
template class EditableText<Control>;

}  // namespace ui
