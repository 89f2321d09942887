#pragma once

// Shows a content screen's view in a floating panel whose arrow points at an
// anchor (a rect in a view, or a toolbar button). A transparent backdrop
// over the window catches touches outside the panel and dismisses it,
// except on the passthrough views; the delegate may veto a dismissal by the
// user and is told of it afterwards.
//
// The content screen's size is its `preferredContentSize` unless the owner
// sets `popoverContentSize`. Main thread only.

#include "app/widgets/popover/WEPopoverContainerGeometry.h"
#include "app/widgets/popover/WEPopoverContainerView.h"
#include "app/widgets/popover/WEPopoverContainerViewProperties.h"
#include "app/widgets/popover/WETouchableView.h"
#include "platform/foundation/Lifetime.h"
#include "platform/ui/controllers/ViewController.h"

#include <any>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class BarButtonItem;
}

class WEPopoverController;

class WEPopoverControllerDelegate {
public:
    virtual ~WEPopoverControllerDelegate() = default;
    // Asked before a touch outside the panel dismisses it.
    virtual bool popoverControllerShouldDismissPopover(WEPopoverController& controller) = 0;
    // Told when a dismissal by the user has ended.
    virtual void popoverControllerDidDismissPopover(WEPopoverController& controller) = 0;
};

// An anchor view may decide the area popovers keep to (in its coordinates);
// none leaves the choice to the popover (the screen).
class WEPopoverParentView {
public:
    virtual ~WEPopoverParentView() = default;
    virtual std::optional<graphics::Rect> displayAreaForPopover() const { return std::nullopt; }
};

class WEPopoverController : public WETouchableViewDelegate {
public:
    static constexpr double kFadeDuration = 0.25;
    static constexpr double kUpdateMoveDuration = 0.3;

    WEPopoverController();
    explicit WEPopoverController(std::shared_ptr<ui::ViewController> contentViewController);
    ~WEPopoverController() override;
    WEPopoverController(const WEPopoverController&) = delete;
    WEPopoverController& operator=(const WEPopoverController&) = delete;

    // The rect is in the view's coordinates.
    void presentPopoverFromRect(const graphics::Rect& rect, ui::View& inView,
                                PopoverArrowDirection permittedArrowDirections, bool animated);
    // Anchored at the button's frame in the window's top view. A button that
    // no bar shows has nothing to point at: nothing is presented.
    void presentPopoverFromBarButtonItem(const ui::BarButtonItem& item, PopoverArrowDirection permittedArrowDirections,
                                         bool animated);
    // Moves a shown popover to a new anchor.
    void repositionPopoverFromRect(const graphics::Rect& rect, ui::View& inView,
                                   PopoverArrowDirection permittedArrowDirections);
    // Replaces the content of the shown popover in place.
    void updateContentViewController(std::shared_ptr<ui::ViewController> contentViewController);
    // A dismissal by the owner, not by the user: the delegate is not told.
    virtual void dismissPopoverAnimated(bool animated);

    // WETouchableViewDelegate: a touch on the backdrop.
    void viewWasTouched(WETouchableView& view) override;
    // Escape closes the panel as a touch outside does, also while it fades in.
    void viewWasEscaped(WETouchableView& view) override;

    const std::shared_ptr<ui::ViewController>& contentViewController() const { return contentViewController_; }
    void setContentViewController(std::shared_ptr<ui::ViewController> controller);
    graphics::Size popoverContentSize() const { return popoverContentSize_; }
    void setPopoverContentSize(graphics::Size size) { popoverContentSize_ = size; }
    bool isPopoverVisible() const { return popoverVisible_; }
    PopoverArrowDirection popoverArrowDirection() const { return popoverArrowDirection_; }
    WEPopoverControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(WEPopoverControllerDelegate* delegate) { delegate_ = delegate; }
    // The panel while shown, else null.
    const std::shared_ptr<WEPopoverContainerView>& view() const { return view_; }
    // The backdrop while shown, else null.
    const std::shared_ptr<WETouchableView>& backgroundView() const { return backgroundView_; }
    const std::shared_ptr<WEPopoverContainerViewProperties>& containerViewProperties() const {
        return containerViewProperties_;
    }
    void setContainerViewProperties(std::shared_ptr<WEPopoverContainerViewProperties> properties) {
        containerViewProperties_ = std::move(properties);
    }
    std::any context;
    const std::vector<ui::ViewPtr>& passthroughViews() const { return passthroughViews_; }
    void setPassthroughViews(std::vector<ui::ViewPtr> views);

    // The look used when the owner sets none: made anew for each presentation.
    static std::shared_ptr<WEPopoverContainerViewProperties> defaultContainerViewProperties();

protected:
    // `userInitiated` is true for a touch on the backdrop.
    void dismissPopoverAnimated(bool animated, bool userInitiated);
    // Guards callbacks that may outlive this controller (animation ends,
    // handlers that release it).
    foundation::LifeToken life_;

private:
    // The window's subview that holds `anchor`: the screen it is on, or the
    // container of a presented screen. Without an anchor in a window, the
    // key window's first subview (the window itself when empty).
    static ui::View* keyView(ui::View* anchor);
    void setView(std::shared_ptr<WEPopoverContainerView> view);
    void updateBackgroundPassthroughViews();
    graphics::Rect displayAreaForView(ui::View& view) const;
    std::shared_ptr<WEPopoverContainerView> makeContainer(const graphics::Rect& anchorRect, ui::View& anchorView,
                                                          PopoverArrowDirection permittedArrowDirections);
    // Puts a new container into the backdrop over the anchor view, with the
    // content screen in it (its appearance begun, not yet ended).
    void installContainer(const std::shared_ptr<WEPopoverContainerView>& container, ui::View& anchorView,
                          bool animated);
    void loadContentSize();
    void animationDidStop(const std::string& animationID, const std::shared_ptr<WEPopoverContainerView>& container,
                          bool userInitiated);
    void removeFromScreen();

    std::shared_ptr<ui::ViewController> contentViewController_;
    std::shared_ptr<WEPopoverContainerView> view_;
    std::shared_ptr<WETouchableView> backgroundView_;
    bool popoverVisible_ = false;
    // Set while the panel fades out.
    bool dismissing_ = false;
    PopoverArrowDirection popoverArrowDirection_ = kPopoverArrowDirectionUnknown;
    WEPopoverControllerDelegate* delegate_ = nullptr;
    graphics::Size popoverContentSize_;
    std::shared_ptr<WEPopoverContainerViewProperties> containerViewProperties_;
    std::vector<ui::ViewPtr> passthroughViews_;
    graphics::Rect anchorRect_;
    std::weak_ptr<ui::View> rootView_;
    std::weak_ptr<WEPopoverContainerView> savedContainerView_;
};
