#pragma once

// Modal panels of buttons: the alert (title, message, buttons, centred over
// the window) and, in ActionSheet.h, the action sheet. Both keep themselves
// alive while shown, number their buttons from 0 in the order they were
// added, and tell a delegate of presentation, clicks and dismissal.
//
// Panels are views held by shared pointers (makeView), as every view is.
//
// A tap on a button tells the delegate of the click, then dismisses the
// panel with that button's index, animated. Without a window the panel is
// still shown and answered (the delegate hears everything), just not drawn.

#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class Window;

// The index the platform reports for "no such button".
inline constexpr int kNoButtonIndex = -1;

class ButtonPanel : public View {
public:
    ~ButtonPanel() override;

    const std::string& title() const { return title_; }
    void setTitle(std::string title);

    // Adds a button; returns its index.
    int addButtonWithTitle(std::string title);
    int numberOfButtons() const { return static_cast<int>(buttons_.size()); }
    // The title of a button; empty for an index out of range.
    std::string buttonTitleAtIndex(int index) const;
    int cancelButtonIndex() const { return cancelIndex_; }
    void setCancelButtonIndex(int index);
    // The first button that is not the cancel (or, in sheets, destructive) one.
    virtual int firstOtherButtonIndex() const;

    // Shown: from the start of its presentation until its dismissal begins.
    bool isVisible() const { return state_ == State::Presenting || state_ == State::Visible; }
    void dismissWithClickedButtonIndex(int buttonIndex, bool animated);
    // A tap on a button as a finger makes it: the click, then the dismissal.
    // Ignored when the panel is not shown or the index names no button.
    void clickButtonAtIndex(int buttonIndex);
    // The view of a button while shown (null when not drawn, e.g. without a window).
    View* buttonViewAtIndex(int buttonIndex) const;

    // Internal: the backdrop around the panel was tapped.
    virtual void backdropTapped() {}

    // The system takes the panel away (the delegate's cancel).
    virtual void cancel() = 0;

    // The button Return chooses: the first other button, else the first
    // button that is not the cancel one, else the cancel button.
    int defaultButtonIndex() const;
    // The keyboard's taps: Return chooses the default button, Escape the
    // cancel button (without one, the system's cancel). Every key is taken,
    // as the panel is modal; returns true.
    bool handleKey(Key key);
    // The newest panel shown in the window, if any (panels drawn elsewhere
    // or not at all are not counted).
    static ButtonPanel* frontmostPanelInWindow(const Window* window);

protected:
    enum class State { Hidden, Presenting, Visible, Dismissing };

    explicit ButtonPanel(std::string title);
    ButtonPanel(const ButtonPanel&) = delete;
    ButtonPanel& operator=(const ButtonPanel&) = delete;

    // Shows the panel over the window (or undrawn without one).
    void present(Window* window, bool animated);
    // Builds the subviews and sets the panel's frame in the window's bounds.
    virtual void layoutPanel(const graphics::Rect& windowBounds) = 0;
    // The look before the panel comes in (and after it leaves) and once it is in.
    virtual void applyHiddenLook(View& backdrop) = 0;
    virtual void applyShownLook(View& backdrop) = 0;
    virtual double transitionDuration() const { return 0.2; }
    // Relays to the subclass's delegate.
    virtual void notifyWillPresent() = 0;
    virtual void notifyDidPresent() = 0;
    virtual void notifyClicked(int buttonIndex) = 0;
    virtual void notifyWillDismiss(int buttonIndex) = 0;
    virtual void notifyDidDismiss(int buttonIndex) = 0;
    // Rebuilds the shown panel after a change of its texts or buttons.
    void relayout();
    // A button view for button `index`, its tap wired to clickButtonAtIndex.
    ViewPtr makeButton(int index, bool bold, std::optional<graphics::Color> color, graphics::Color highlight);

    State state() const { return state_; }
    View* backdrop() const { return backdrop_.get(); }
    // The panels on screen, oldest first.
    static std::vector<std::shared_ptr<ButtonPanel>>& shownPanels();

    std::vector<std::string> buttons_;
    int cancelIndex_ = kNoButtonIndex;
    // Index → view of the buttons shown (null for a button not drawn).
    std::vector<ViewPtr> buttonViews_;

private:
    std::string title_;
    State state_ = State::Hidden;
    ViewPtr backdrop_;
};

// What every panel's delegate hears of its buttons; `Panel` is the panel's class.
template <class Panel>
class ButtonPanelDelegate {
public:
    virtual ~ButtonPanelDelegate() = default;
    virtual void clickedButtonAtIndex(Panel& panel, int buttonIndex) { (void)panel, (void)buttonIndex; }
    virtual void willDismissWithButtonIndex(Panel& panel, int buttonIndex) { (void)panel, (void)buttonIndex; }
    virtual void didDismissWithButtonIndex(Panel& panel, int buttonIndex) { (void)panel, (void)buttonIndex; }
};

// A panel of class `Panel` that tells a `Delegate` (not owned) of its clicks
// and dismissal; the panel relays its presentation itself.
template <class Panel, class Delegate>
class DelegatingButtonPanel : public ButtonPanel {
public:
    Delegate* delegate = nullptr;

protected:
    DelegatingButtonPanel(std::string title, Delegate* delegate) : ButtonPanel(std::move(title)), delegate(delegate) {}

    void notifyClicked(int buttonIndex) override {
        if (delegate) delegate->clickedButtonAtIndex(static_cast<Panel&>(*this), buttonIndex);
    }
    void notifyWillDismiss(int buttonIndex) override {
        if (delegate) delegate->willDismissWithButtonIndex(static_cast<Panel&>(*this), buttonIndex);
    }
    void notifyDidDismiss(int buttonIndex) override {
        if (delegate) delegate->didDismissWithButtonIndex(static_cast<Panel&>(*this), buttonIndex);
    }
};

class AlertView;

class AlertViewDelegate : public ButtonPanelDelegate<AlertView> {
public:
    // The system takes the alert away; the default dismisses it with its
    // cancel button's index, not animated.
    virtual void alertViewCancel(AlertView& alertView);
    virtual void willPresentAlertView(AlertView& alertView) { (void)alertView; }
    virtual void didPresentAlertView(AlertView& alertView) { (void)alertView; }
};

class AlertView : public DelegatingButtonPanel<AlertView, AlertViewDelegate> {
public:
    static constexpr double kWidth = 270.0;

    AlertView();
    // The cancel button, when given, is button 0 and the others follow.
    AlertView(std::string title, std::string message, AlertViewDelegate* delegate,
              std::optional<std::string> cancelButtonTitle, std::vector<std::string> otherButtonTitles);
    ~AlertView() override;

    const std::string& message() const { return message_; }
    // Changes the text of a shown alert too.
    void setMessage(std::string message);

    // Shows the alert over the key window; a newer alert hides an older one
    // until it goes.
    void show();
    // The system's cancel (the delegate's alertViewCancel).
    void cancel() override;

    // The alerts shown now, oldest first (tests find a screen's alert here).
    static std::vector<std::shared_ptr<AlertView>> visibleAlerts();

    // The platform's look: a light rounded panel. Subclasses may draw their own.
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

protected:
    void layoutPanel(const graphics::Rect& windowBounds) override;
    void applyHiddenLook(View& backdrop) override;
    void applyShownLook(View& backdrop) override;
    void notifyWillPresent() override;
    void notifyDidPresent() override;

private:
    std::string message_;
};

}  // namespace ui
