#include "app/widgets/popover/WEPopoverContainerView.h"

#include "platform/graphics/GraphicsContext.h"

using graphics::Rect;
using graphics::Size;

namespace {

// Opaque: with no blur behind the panel, anything translucent would let the
// controls under a menu show through its labels.
constexpr double kDrawingAlpha = 1.0;

graphics::Image arrowImageFor(const WEPopoverContainerViewProperties& p, PopoverArrowDirection direction) {
    switch (direction) {
        case kPopoverArrowDirectionUp:
            return popoverImageNamed(p.upArrowImageName);
        case kPopoverArrowDirectionDown:
            return popoverImageNamed(p.downArrowImageName);
        case kPopoverArrowDirectionLeft:
            return popoverImageNamed(p.leftArrowImageName);
        case kPopoverArrowDirectionRight:
            return popoverImageNamed(p.rightArrowImageName);
        default:
            return {};
    }
}

}  // namespace

WEPopoverContainerView::WEPopoverContainerView(Size size, const Rect& anchorRect, const Rect& displayArea,
                                               PopoverArrowDirection permittedArrowDirections,
                                               std::shared_ptr<WEPopoverContainerViewProperties> properties)
    : properties_(properties ? std::move(properties) : std::make_shared<WEPopoverContainerViewProperties>()) {
    setDrawsContent(true);
    const WEPopoverContainerViewProperties& p = *properties_;
    correctedSize_ = {size.width + p.leftBgMargin + p.rightBgMargin + p.leftContentMargin + p.rightContentMargin,
                      size.height + p.topBgMargin + p.bottomBgMargin + p.topContentMargin + p.bottomContentMargin};
    determineGeometry(correctedSize_, anchorRect, displayArea, permittedArrowDirections);
    initFrame();
    setBackgroundColor(graphics::Color::clear());
    setOpaque(false);
    // This toolkit has no blur views, so the panel draws its background picture.
    bgImage_ = PopoverBackgroundImage::stretchable(
        popoverImageNamed(p.bgImageName), static_cast<double>(p.leftBgCapSize), static_cast<double>(p.topBgCapSize));
    setClipsToBounds(true);
    setUserInteractionEnabled(true);
}

void WEPopoverContainerView::determineGeometry(Size size, const Rect& anchorRect, const Rect& displayArea,
                                               PopoverArrowDirection permittedArrowDirections) {
    const WEPopoverContainerViewProperties& p = *properties_;
    WEPopoverArrowSizes sizes;
    sizes.up = popoverImageNamed(p.upArrowImageName).size();
    sizes.down = popoverImageNamed(p.downArrowImageName).size();
    sizes.left = popoverImageNamed(p.leftArrowImageName).size();
    sizes.right = popoverImageNamed(p.rightArrowImageName).size();
    auto geometry =
        WEPopoverContainerGeometry::determine(size, anchorRect, displayArea, permittedArrowDirections, p, sizes);
    offset_ = geometry.offset;
    arrowRect_ = geometry.arrowRect;
    bgRect_ = geometry.bgRect;
    arrowDirection_ = geometry.arrowDirection;
    arrowImage_ = geometry.hasDirection() ? arrowImageFor(p, arrowDirection_) : graphics::Image();
}

void WEPopoverContainerView::initFrame() {
    WEPopoverContainerGeometry geometry;
    geometry.offset = offset_;
    geometry.arrowRect = arrowRect_;
    geometry.bgRect = bgRect_;
    geometry.arrowDirection = arrowDirection_;
    auto layout = WEPopoverContainerLayout::layout(geometry);
    setFrame(layout.frame);
    arrowOffset_ = layout.arrowOffset;
    bgRect_ = layout.bgRect;
    arrowRect_ = layout.arrowRect;
    setNeedsDisplay();
}

void WEPopoverContainerView::updatePositionWithAnchorRect(const Rect& anchorRect, const Rect& displayArea,
                                                          PopoverArrowDirection permittedArrowDirections) {
    determineGeometry(correctedSize_, anchorRect, displayArea, permittedArrowDirections);
    initFrame();
    if (contentView_) contentView_->setFrame(contentRect());
}

Rect WEPopoverContainerView::contentRect() const {
    WEPopoverContainerLayout layout;
    layout.arrowOffset = arrowOffset_;
    layout.bgRect = bgRect_;
    layout.arrowRect = arrowRect_;
    return layout.contentRect(*properties_);
}

void WEPopoverContainerView::setContentView(ui::ViewPtr view) {
    if (view == contentView_) return;
    if (contentView_ && contentView_->superview() == this) contentView_->removeFromSuperview();
    contentView_ = std::move(view);
    if (!contentView_) return;
    contentView_->setFrame(contentRect());
    addSubview(contentView_);
}

void WEPopoverContainerView::drawRect(graphics::GraphicsContext& context, const Rect& rect) {
    (void)rect;
    bgImage_.draw(context, bgRect_, kDrawingAlpha);
    if (!arrowImage_.isNull()) context.drawImage(arrowImage_, arrowRect_, graphics::BlendMode::Normal, kDrawingAlpha);
}

bool WEPopoverContainerView::pointInside(graphics::Point point, const ui::Event* event) const {
    (void)event;
    return contentRect().contains(point);
}
