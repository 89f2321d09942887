#pragma once

// A single-line editable text field.
//
// Editing begins when the field becomes the window's first responder (a tap
// on it, or becomeFirstResponder) and ends when it resigns. Keys reach it
// through the first responder: insertText types at the caret, Backspace and
// Delete remove a character, Left / Right / Home / End move the caret,
// Return asks the delegate's textFieldShouldReturn and, unless it refuses,
// ends editing, and Escape puts the text back as it was when editing began
// and ends editing (a rename the user cancels). Every change the user
// makes is offered to the delegate first and then announced with
// EditingChanged and the text-did-change notification; setting the text in
// code announces nothing.
//
// Notifications are posted on the default centre with the field (as a
// TextField pointer) as their object.

#include "platform/ui/controls/Control.h"
#include "platform/ui/text/TextEditing.h"

#include <string>

namespace graphics {
class GraphicsContext;
}

namespace ui {

class TextField;

class TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;
    virtual bool textFieldShouldBeginEditing(TextField&) { return true; }
    virtual void textFieldDidBeginEditing(TextField&) {}
    virtual bool textFieldShouldEndEditing(TextField&) { return true; }
    virtual void textFieldDidEndEditing(TextField&) {}
    // The user is about to replace `range` of the text with `replacementString`.
    virtual bool shouldChangeCharactersInRange(TextField&, TextRange range, const std::string& replacementString) {
        (void)range;
        (void)replacementString;
        return true;
    }
    virtual bool textFieldShouldClear(TextField&) { return true; }
    virtual bool textFieldShouldReturn(TextField&) { return true; }
};

enum class TextBorderStyle { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };
enum class TextFieldViewMode { Never = 0, WhileEditing = 1, UnlessEditing = 2, Always = 3 };
// What the return key says; kept for the screens that choose it.
enum class ReturnKeyType { Default = 0, Go, Google, Join, Next, Route, Search, Send, Yahoo, Done, EmergencyCall };

class TextField : public DelegatingEditableText<Control, TextField, TextFieldDelegate> {
public:
    static constexpr const char* TextDidBeginEditingNotification = "UITextFieldTextDidBeginEditingNotification";
    static constexpr const char* TextDidChangeNotification = "UITextFieldTextDidChangeNotification";
    static constexpr const char* TextDidEndEditingNotification = "UITextFieldTextDidEndEditingNotification";
    // The delegate is not told of changes: the field sends EditingChanged.
    static constexpr EditingDelegateCalls<TextField, TextFieldDelegate> kDelegateCalls{
        &TextFieldDelegate::textFieldShouldBeginEditing,   &TextFieldDelegate::textFieldDidBeginEditing,
        &TextFieldDelegate::textFieldShouldEndEditing,     &TextFieldDelegate::textFieldDidEndEditing,
        &TextFieldDelegate::shouldChangeCharactersInRange, nullptr};

    TextField();
    explicit TextField(const graphics::Rect& frame);
    ~TextField() override;

    const std::string& placeholder() const { return placeholder_; }
    void setPlaceholder(std::string placeholder);
    TextBorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(TextBorderStyle style);
    TextFieldViewMode clearButtonMode() const { return clearButtonMode_; }
    void setClearButtonMode(TextFieldViewMode mode);
    ReturnKeyType returnKeyType() const { return returnKeyType_; }
    void setReturnKeyType(ReturnKeyType type) { returnKeyType_ = type; }

    // Whether the clear button shows now (its mode, editing, and some text).
    bool isClearButtonVisible() const;

    // ---- geometry (subclasses inset or move these) --------------------------------
    virtual graphics::Rect textRectForBounds(const graphics::Rect& bounds) const;
    virtual graphics::Rect editingRectForBounds(const graphics::Rect& bounds) const;
    virtual graphics::Rect placeholderRectForBounds(const graphics::Rect& bounds) const;
    virtual graphics::Rect clearButtonRectForBounds(const graphics::Rect& bounds) const;

    // ---- drawing ---------------------------------------------------------------------
    virtual void drawTextInRect(graphics::GraphicsContext& context, const graphics::Rect& rect);
    virtual void drawPlaceholderInRect(graphics::GraphicsContext& context, const graphics::Rect& rect);
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

    // A line of the font plus the border's padding.
    graphics::Size sizeThatFits(graphics::Size size) const override;

    // ---- responder ---------------------------------------------------------------------
    bool canBecomeFirstResponder() const override;
    bool insertText(const std::string& text) override;
    bool keyPressed(Key key, unsigned modifiers) override;

    bool beginTrackingWithTouch(const Touch& touch, const Event& event) override;
    void endTrackingWithTouch(const Touch& touch, const Event& event) override;

protected:
    // These send the control events after the delegate is told.
    void didBeginEditing() override;
    void didEndEditing() override;
    void textDidChange() override;
    void returnKeyPressed() override;
    // Line breaks are dropped.
    std::string acceptedText(std::string text) const override;

private:
    void clear();
    // The caret offset nearest to a point in the bounds.
    size_t caretOffsetAt(graphics::Point point) const;
    // How far the text is shifted left so the caret stays in view.
    double scrollOffset(const graphics::Rect& rect) const;
    double textOriginX(const graphics::Rect& rect, double textWidth) const;
    // The top of a line of text in a rectangle, by the vertical alignment.
    double lineTop(const graphics::Rect& rect) const;

    std::string placeholder_;
    TextBorderStyle borderStyle_ = TextBorderStyle::None;
    TextFieldViewMode clearButtonMode_ = TextFieldViewMode::Never;
    ReturnKeyType returnKeyType_ = ReturnKeyType::Default;
    bool touchOnClearButton_ = false;
};

}  // namespace ui
