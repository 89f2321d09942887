#pragma once

// What text fields and text views share: ranges of their UTF-8 text, caret
// movement by whole user-perceived characters (so a caret never stops inside
// an accented letter or an emoji), and the editing itself.

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/ui/View.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace ui {

// A range of a text in bytes of its UTF-8 form, so a delegate can apply an
// edit with std::string::replace(location, length, replacement).
struct TextRange {
    size_t location = 0;
    size_t length = 0;
    bool operator==(const TextRange&) const = default;
};

// The character boundary before (after) an offset; 0 (the size) at the ends.
size_t previousCharacterBoundary(const std::string& text, size_t offset);
size_t nextCharacterBoundary(const std::string& text, size_t offset);

// Drops the line breaks that a single-line field cannot hold.
std::string withoutLineBreaks(const std::string& text);

// The names an editable text posts its editing under, on the default centre
// with the editor itself as the object.
struct TextEditingNotifications {
    const char* didBegin;
    const char* didChange;
    const char* didEnd;
};

// An editable text on a view class `Base` (View or Control). Editing begins
// when the view becomes the window's first responder and ends when it
// resigns or leaves its window. Keys reach it through the first responder:
// insertText types at the caret, Backspace and Delete remove a character,
// Left / Right / Home / End move the caret, Return is the subclass's to
// decide; Shift with the moving keys extends a selection, SelectAll selects
// everything, and typing or deleting replaces the selection. Every change the user makes is offered to the subclass
// (its delegate) first and then announced; setting the text in code announces nothing.
template <class Base>
class EditableText : public Base {
public:
    const std::string& text() const { return text_; }
    // The caret goes to the end.
    void setText(std::string text);
    const graphics::Font& font() const { return font_; }
    void setFont(graphics::Font font);
    const graphics::Color& textColor() const { return textColor_; }
    void setTextColor(graphics::Color color);
    graphics::TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(graphics::TextAlignment alignment);

    bool isEditing() const { return editing_; }
    // The selection in bytes of the text; length 0 is the caret alone.
    TextRange selectedRange() const {
        return TextRange{std::min(anchor_, caret_), std::max(anchor_, caret_) - std::min(anchor_, caret_)};
    }
    // Selects the range, its ends moved to character boundaries at or before
    // them; the caret goes to its end.
    void setSelectedRange(TextRange range);

    void tintColorDidChange() override { this->setNeedsDisplay(); }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    bool insertText(const std::string& text) override;
    bool keyPressed(Key key, unsigned modifiers) override;
    void willMoveToWindow(Window* newWindow) override;

protected:
    EditableText(const graphics::Rect& frame, graphics::Font font, TextEditingNotifications notifications);

    // The subclass's delegate, asked and told as the editing goes.
    virtual bool shouldBeginEditing() = 0;
    virtual void didBeginEditing() = 0;
    virtual bool shouldEndEditing() = 0;
    virtual void didEndEditing() = 0;
    virtual bool shouldChangeText(TextRange range, const std::string& replacement) = 0;
    // After a change the user made, before its notification.
    virtual void textDidChange() = 0;
    virtual void returnKeyPressed() = 0;
    // What of a text set or typed the editor keeps.
    virtual std::string acceptedText(std::string text) const { return text; }

    size_t caret() const { return caret_; }
    // Offers an edit to the subclass and applies it; false when refused.
    bool replaceRange(TextRange range, const std::string& replacement);
    // Applies an edit without asking, and announces it.
    void applyEdit(TextRange range, const std::string& replacement);
    // Puts back the text the editing began with (announced when it differs)
    // and ends editing: the keyboard's cancel.
    void revertEditing();

private:
    void finishEditing();
    void post(const char* name);
    TextRange clamped(TextRange range) const;
    size_t boundaryAtOrBefore(size_t location) const;
    // Moves the caret; with `extend` the selection's anchor stays.
    void moveCaret(size_t to, bool extend);

    TextEditingNotifications notifications_;
    std::string text_;
    graphics::Font font_;
    graphics::Color textColor_ = graphics::Color::black();
    graphics::TextAlignment alignment_ = graphics::TextAlignment::Left;
    size_t caret_ = 0;
    // The fixed end of the selection; equal to the caret when none.
    size_t anchor_ = 0;
    bool editing_ = false;
    // The text when editing began, for revertEditing.
    std::string textBeforeEditing_;
};

// The calls an editor makes on its delegate, one table for each kind of
// editor, so that asking and telling are written once. A null `didChange` is
// a change that kind of delegate is not told of.
template <class Editor, class Delegate>
struct EditingDelegateCalls {
    bool (Delegate::*shouldBegin)(Editor&);
    void (Delegate::*didBegin)(Editor&);
    bool (Delegate::*shouldEnd)(Editor&);
    void (Delegate::*didEnd)(Editor&);
    bool (Delegate::*shouldChange)(Editor&, TextRange, const std::string&);
    void (Delegate::*didChange)(Editor&);
};

// An editable text that asks and tells a delegate as its editing goes; with
// none, every step is allowed. `Editor` is the subclass, whose static
// kDelegateCalls names the calls.
template <class Base, class Editor, class Delegate>
class DelegatingEditableText : public EditableText<Base> {
public:
    // Not owned.
    Delegate* delegate() const { return delegate_; }
    void setDelegate(Delegate* delegate) { delegate_ = delegate; }

protected:
    using EditableText<Base>::EditableText;

    bool shouldBeginEditing() override { return ask(Editor::kDelegateCalls.shouldBegin); }
    void didBeginEditing() override { tell(Editor::kDelegateCalls.didBegin); }
    bool shouldEndEditing() override { return ask(Editor::kDelegateCalls.shouldEnd); }
    void didEndEditing() override { tell(Editor::kDelegateCalls.didEnd); }
    bool shouldChangeText(TextRange range, const std::string& replacement) override {
        return !delegate_ || (delegate_->*Editor::kDelegateCalls.shouldChange)(editor(), range, replacement);
    }
    void textDidChange() override { tell(Editor::kDelegateCalls.didChange); }

private:
    Editor& editor() { return static_cast<Editor&>(*this); }
    bool ask(bool (Delegate::*call)(Editor&)) { return !delegate_ || (delegate_->*call)(editor()); }
    void tell(void (Delegate::*call)(Editor&)) {
        if (delegate_ && call) (delegate_->*call)(editor());
    }

    Delegate* delegate_ = nullptr;
};

}  // namespace ui
