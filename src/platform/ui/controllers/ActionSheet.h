#pragma once

// A list of choices that slides up from the bottom of a view, or, anchored
// at a rectangle or a bar button, floats next to it as a popover (where the
// cancel button is not drawn: a tap outside the sheet chooses it).
//
// Button order as the platform builds it: the destructive button first, then
// the other titles, then the cancel button.

#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/BarButtonItem.h"

#include <optional>
#include <string>
#include <vector>

namespace ui {

class ActionSheet;

enum class ActionSheetStyle { Automatic = -1, Default = 0, BlackTranslucent = 2, BlackOpaque = 1 };

class ActionSheetDelegate : public ButtonPanelDelegate<ActionSheet> {
public:
    // The system takes the sheet away; the default dismisses it with its
    // cancel button's index, not animated.
    virtual void actionSheetCancel(ActionSheet& actionSheet);
    virtual void willPresentActionSheet(ActionSheet& actionSheet) { (void)actionSheet; }
    virtual void didPresentActionSheet(ActionSheet& actionSheet) { (void)actionSheet; }
};

class ActionSheet : public DelegatingButtonPanel<ActionSheet, ActionSheetDelegate> {
public:
    ActionSheet();
    ActionSheet(std::string title, ActionSheetDelegate* delegate, std::optional<std::string> cancelButtonTitle,
                std::optional<std::string> destructiveButtonTitle, std::vector<std::string> otherButtonTitles);
    ~ActionSheet() override;

    int destructiveButtonIndex() const { return destructiveIndex_; }
    void setDestructiveButtonIndex(int index);
    int firstOtherButtonIndex() const override;
    ActionSheetStyle actionSheetStyle() const { return style_; }
    void setActionSheetStyle(ActionSheetStyle style);

    // From the bottom of the view's window, as wide as fits.
    void showInView(View* view);
    // Next to a rectangle in the view's coordinates.
    void showFromRect(const graphics::Rect& rect, View* view, bool animated);
    // Next to the item's button; at the bottom of the window when no bar shows the item.
    void showFromBarButtonItem(BarButtonItem& item, bool animated);
    // The system's cancel (the delegate's actionSheetCancel).
    void cancel() override;
    // Anchored next to something rather than along the bottom.
    bool isPopover() const { return anchor_.has_value(); }

    static std::vector<std::shared_ptr<ActionSheet>> visibleSheets();

    void backdropTapped() override;
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

protected:
    void layoutPanel(const graphics::Rect& windowBounds) override;
    void applyHiddenLook(View& backdrop) override;
    void applyShownLook(View& backdrop) override;
    double transitionDuration() const override { return anchor_ ? 0.2 : 0.3; }
    void notifyWillPresent() override;
    void notifyDidPresent() override;

private:
    bool isDark() const {
        return style_ == ActionSheetStyle::BlackOpaque || style_ == ActionSheetStyle::BlackTranslucent;
    }

    int destructiveIndex_ = kNoButtonIndex;
    ActionSheetStyle style_ = ActionSheetStyle::Automatic;
    // The anchor in window coordinates when shown as a popover.
    std::optional<graphics::Rect> anchor_;
    // Where the cancel group begins (drawn apart at the bottom), or none.
    std::optional<graphics::Rect> cancelGroup_;
    graphics::Rect mainGroup_;
};

}  // namespace ui
