#pragma once

// A multi-line text area, editable by default. Editing works as in the text
// field (first responder, caret, keys through the responder chain), except
// that Return types a line break. Every change the user makes is offered to
// the delegate, then told to it (textViewDidChange) and posted as the
// text-did-change notification; setting the text in code does neither.
//
// Notifications are posted on the default centre with the text view (as a
// TextView pointer) as their object.

#include "platform/ui/text/TextEditing.h"

#include <string>

namespace graphics {
class GraphicsContext;
}

namespace ui {

class TextView;

class TextViewDelegate {
public:
    virtual ~TextViewDelegate() = default;
    virtual bool textViewShouldBeginEditing(TextView&) { return true; }
    virtual void textViewDidBeginEditing(TextView&) {}
    virtual bool textViewShouldEndEditing(TextView&) { return true; }
    virtual void textViewDidEndEditing(TextView&) {}
    // The user is about to replace `range` of the text with `replacementText`.
    virtual bool shouldChangeTextInRange(TextView&, TextRange range, const std::string& replacementText) {
        (void)range;
        (void)replacementText;
        return true;
    }
    virtual void textViewDidChange(TextView&) {}
};

class TextView : public DelegatingEditableText<View, TextView, TextViewDelegate> {
public:
    static constexpr const char* TextDidBeginEditingNotification = "UITextViewTextDidBeginEditingNotification";
    static constexpr const char* TextDidChangeNotification = "UITextViewTextDidChangeNotification";
    static constexpr const char* TextDidEndEditingNotification = "UITextViewTextDidEndEditingNotification";
    static constexpr EditingDelegateCalls<TextView, TextViewDelegate> kDelegateCalls{
        &TextViewDelegate::textViewShouldBeginEditing, &TextViewDelegate::textViewDidBeginEditing,
        &TextViewDelegate::textViewShouldEndEditing,   &TextViewDelegate::textViewDidEndEditing,
        &TextViewDelegate::shouldChangeTextInRange,    &TextViewDelegate::textViewDidChange};

    TextView();
    explicit TextView(const graphics::Rect& frame);

    bool isEditable() const { return editable_; }
    // A view made read-only while editing stops editing.
    void setEditable(bool editable);
    // Space between the bounds and the text.
    graphics::EdgeInsets textContainerInset() const { return inset_; }
    void setTextContainerInset(graphics::EdgeInsets inset);

    // The rectangle the text is laid out in.
    graphics::Rect textRect() const;
    // The text's height at the given width plus the insets.
    graphics::Size sizeThatFits(graphics::Size size) const override;
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

    bool canBecomeFirstResponder() const override { return editable_; }
    // Only the caret moves here: a text view draws no selection, so none is
    // made that typing could replace unseen (Shift is ignored, select-all
    // is left to others).
    bool keyPressed(Key key, unsigned modifiers) override;

    // A tap begins editing; the view keeps its touches to itself.
    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;

protected:
    // A view made read-only is not asked whether it may stop.
    bool shouldEndEditing() override;
    // Types a line break.
    void returnKeyPressed() override;

private:
    // Line index and x of the caret in the laid-out text.
    graphics::Point caretPosition(double width) const;
    // How far the text is shifted up so the caret's line stays in view.
    double scrollOffset(const graphics::Rect& rect) const;

    graphics::EdgeInsets inset_{8, 5, 8, 5};
    bool editable_ = true;
    TouchPtr touch_;
};

}  // namespace ui
