#pragma once

// The panel of an arrow popover: it picks the arrow direction and its own
// frame within the display area, draws its background and arrow, and holds
// the content view. Only the content area takes touches; a touch on the
// border, the shadow or the arrow falls through to the backdrop below.

#include "app/widgets/popover/PopoverBackgroundImage.h"
#include "app/widgets/popover/WEPopoverContainerGeometry.h"
#include "app/widgets/popover/WEPopoverContainerViewProperties.h"
#include "platform/ui/View.h"

#include <memory>

class WEPopoverContainerView : public ui::View {
public:
    // Size is the content size; the anchor rect and display area are in the
    // anchor view's coordinates. The frame comes out in those coordinates too.
    WEPopoverContainerView(graphics::Size size, const graphics::Rect& anchorRect, const graphics::Rect& displayArea,
                           PopoverArrowDirection permittedArrowDirections,
                           std::shared_ptr<WEPopoverContainerViewProperties> properties);

    PopoverArrowDirection arrowDirection() const { return arrowDirection_; }
    const ui::ViewPtr& contentView() const { return contentView_; }
    void setContentView(ui::ViewPtr view);

    // Redoes the geometry for a new anchor with the same content size; the
    // frame is again in the anchor view's coordinates.
    void updatePositionWithAnchorRect(const graphics::Rect& anchorRect, const graphics::Rect& displayArea,
                                      PopoverArrowDirection permittedArrowDirections);

    const std::shared_ptr<WEPopoverContainerViewProperties>& properties() const { return properties_; }
    const graphics::Rect& arrowRect() const { return arrowRect_; }
    const graphics::Rect& bgRect() const { return bgRect_; }
    graphics::Point offset() const { return offset_; }
    graphics::Point arrowOffset() const { return arrowOffset_; }
    graphics::Size correctedSize() const { return correctedSize_; }
    const PopoverBackgroundImage& bgImage() const { return bgImage_; }
    const graphics::Image& arrowImage() const { return arrowImage_; }

    graphics::Rect contentRect() const;
    graphics::Size contentSize() const { return contentRect().size; }

    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;
    bool pointInside(graphics::Point point, const ui::Event* event) const override;

    // Touches on the content area stop at the panel.
    void touchesBegan(const ui::TouchSet&, const ui::Event&) override {}
    void touchesMoved(const ui::TouchSet&, const ui::Event&) override {}
    void touchesEnded(const ui::TouchSet&, const ui::Event&) override {}
    void touchesCancelled(const ui::TouchSet&, const ui::Event&) override {}

private:
    void determineGeometry(graphics::Size size, const graphics::Rect& anchorRect, const graphics::Rect& displayArea,
                           PopoverArrowDirection permittedArrowDirections);
    void initFrame();

    std::shared_ptr<WEPopoverContainerViewProperties> properties_;
    PopoverBackgroundImage bgImage_;
    graphics::Image arrowImage_;
    PopoverArrowDirection arrowDirection_ = kPopoverArrowDirectionUnknown;
    graphics::Rect arrowRect_;
    graphics::Rect bgRect_;
    graphics::Point offset_;
    graphics::Point arrowOffset_;
    graphics::Size correctedSize_;
    ui::ViewPtr contentView_;
};
