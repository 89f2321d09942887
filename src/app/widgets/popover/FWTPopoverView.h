#pragma once

// A lightweight callout: a drawn rounded background with an arrow that points
// at a rect of another view, holding any content in `contentView`. It is no
// controller and catches no touches outside itself: it is added to the view
// it points into and removed again. Users make a new one for each showing.

#include "app/widgets/popover/FWTPopoverAnimationHelper.h"
#include "app/widgets/popover/FWTPopoverArrow.h"
#include "app/widgets/popover/FWTPopoverBackgroundHelper.h"
#include "app/widgets/popover/FWTPopoverGeometry.h"
#include "app/widgets/popover/PopoverBackgroundImage.h"
#include "platform/ui/View.h"

#include <functional>
#include <memory>

class FWTPopoverView : public ui::View {
public:
    using Block = std::function<void(FWTPopoverView& popover)>;

    // Shows a stretchable background picture over its bounds.
    class BackgroundImageView : public ui::View {
    public:
        BackgroundImageView();
        const PopoverBackgroundImage& image() const { return image_; }
        void setImage(PopoverBackgroundImage image);
        void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

    private:
        PopoverBackgroundImage image_;
    };

    FWTPopoverView();
    explicit FWTPopoverView(const graphics::Rect& frame);
    ~FWTPopoverView() override;

    // Keeps the popover inside its superview's bounds.
    bool adjustPositionInSuperviewEnabled = true;
    Block didPresentBlock;
    // Runs once the popover has been removed from its superview.
    Block didDismissBlock;
    graphics::Size contentSize{160, 60};
    // Margin around the content before room for the arrow is added.
    graphics::EdgeInsets suggestedEdgeInsets{10, 10, 10, 10};
    // The margin in use, set when presenting.
    const graphics::EdgeInsets& edgeInsets() const { return edgeInsets_; }
    // The drawn body in the superview's coordinates.
    graphics::Rect bodyFrame() const { return frame().inset(edgeInsets_); }

    // Made on first use.
    const std::shared_ptr<BackgroundImageView>& backgroundImageView();
    const ui::ViewPtr& contentView();
    FWTPopoverArrow& arrow();
    FWTPopoverBackgroundHelper& backgroundHelper();
    FWTPopoverAnimationHelper& animationHelper();

    // Moves the body across the arrow's side when presenting (down or right
    // for positive values); the arrow slides the other way and keeps
    // pointing at the rect.
    double slide = 0;

    // Where presenting from `rect` with `direction`, moved by `slide`, in a
    // superview of `superviewBounds` puts the popover, with the arrow's room
    // in the margin.
    struct Placement {
        FWTPopoverAdjustment adjustment;  // the frame, and how far it moved from where the arrow put it
        graphics::EdgeInsets edgeInsets;
        // The drawn body: the frame without its margin and arrow.
        graphics::Rect body() const { return adjustment.frame.inset(edgeInsets); }
        // Whether keeping it inside pushed it back over what the arrow
        // points at (it did not fit on the arrow's side).
        bool movedAlongArrow(FWTPopoverArrowDirection direction) const;
    };
    Placement placementFromRect(const graphics::Rect& rect, FWTPopoverArrowDirection direction,
                                const graphics::Rect& superviewBounds, double slide = 0) const;
    // The rect is in the view's coordinates; the popover becomes its subview.
    void presentFromRect(const graphics::Rect& rect, ui::View& inView, FWTPopoverArrowDirection direction,
                         bool animated);
    // Points a shown popover at a new rect of its superview.
    void adjustPositionToRect(const graphics::Rect& rect) { adjustPositionToRect(rect, false); }
    void adjustPositionToRect(const graphics::Rect& rect, bool animated);
    void dismissPopoverAnimated(bool animated);

    // Where the arrow is within the bounds; the zero rect without an arrow.
    graphics::Rect arrowRect();

    void layoutSubviews() override;

private:
    std::shared_ptr<BackgroundImageView> backgroundImageView_;
    ui::ViewPtr contentView_;
    std::unique_ptr<FWTPopoverArrow> arrow_;
    std::unique_ptr<FWTPopoverBackgroundHelper> backgroundHelper_;
    std::unique_ptr<FWTPopoverAnimationHelper> animationHelper_;
    graphics::EdgeInsets edgeInsets_;
    // Counts presentations and dismissals, so that a fade-out overtaken by a
    // later one neither removes the popover again nor reports twice.
    uint64_t transition_ = 0;
};
