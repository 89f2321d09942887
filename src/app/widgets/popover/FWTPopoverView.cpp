#include "app/widgets/popover/FWTPopoverView.h"

#include "app/widgets/popover/FWTPopoverGeometry.h"
#include "platform/foundation/Lifetime.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/compositing/Animation.h"

#include <cmath>

using graphics::Rect;
using graphics::Size;

FWTPopoverView::BackgroundImageView::BackgroundImageView() {
    setDrawsContent(true);
    setOpaque(false);
    setBackgroundColor(std::nullopt);
    setUserInteractionEnabled(false);
}

void FWTPopoverView::BackgroundImageView::setImage(PopoverBackgroundImage image) {
    image_ = std::move(image);
    setNeedsDisplay();
}

void FWTPopoverView::BackgroundImageView::drawRect(graphics::GraphicsContext& context, const Rect& rect) {
    (void)rect;
    image_.draw(context, bounds());
}

FWTPopoverView::FWTPopoverView() { setBackgroundColor(std::nullopt); }

FWTPopoverView::FWTPopoverView(const Rect& frame) : ui::View(frame) { setBackgroundColor(std::nullopt); }

FWTPopoverView::~FWTPopoverView() = default;

const std::shared_ptr<FWTPopoverView::BackgroundImageView>& FWTPopoverView::backgroundImageView() {
    if (!backgroundImageView_) {
        backgroundImageView_ = ui::makeView<BackgroundImageView>();
        setNeedsLayout();
    }
    return backgroundImageView_;
}

const ui::ViewPtr& FWTPopoverView::contentView() {
    if (!contentView_) {
        contentView_ = ui::makeView<ui::View>();
        contentView_->setBackgroundColor(std::nullopt);
        setNeedsLayout();
    }
    return contentView_;
}

FWTPopoverArrow& FWTPopoverView::arrow() {
    if (!arrow_) arrow_ = std::make_unique<FWTPopoverArrow>();
    return *arrow_;
}

FWTPopoverBackgroundHelper& FWTPopoverView::backgroundHelper() {
    if (!backgroundHelper_) backgroundHelper_ = std::make_unique<FWTPopoverBackgroundHelper>(this);
    return *backgroundHelper_;
}

FWTPopoverAnimationHelper& FWTPopoverView::animationHelper() {
    if (!animationHelper_) animationHelper_ = std::make_unique<FWTPopoverAnimationHelper>(this);
    return *animationHelper_;
}

void FWTPopoverView::layoutSubviews() {
    const auto& background = backgroundImageView();
    if (background->superview() != this) insertSubviewAtIndex(background, 0);
    background->setFrame(bounds());
    const auto& content = contentView();
    if (content->superview() != this) addSubview(content);
    content->setFrame(bounds().inset(edgeInsets_));
}

bool FWTPopoverView::Placement::movedAlongArrow(FWTPopoverArrowDirection direction) const {
    if (direction == FWTPopoverArrowDirectionUp || direction == FWTPopoverArrowDirectionDown) return adjustment.dy != 0;
    if (direction == FWTPopoverArrowDirectionLeft || direction == FWTPopoverArrowDirectionRight)
        return adjustment.dx != 0;
    return false;
}

FWTPopoverView::Placement FWTPopoverView::placementFromRect(const Rect& rect, FWTPopoverArrowDirection direction,
                                                            const Rect& superviewBounds, double slide) const {
    FWTPopoverArrow a = arrow_ ? *arrow_ : FWTPopoverArrow();
    a.direction = direction;
    Placement placement;
    placement.edgeInsets = a.adjustedEdgeInsetsForEdgeInsets(suggestedEdgeInsets);
    const graphics::EdgeInsets& in = placement.edgeInsets;
    const Size size{contentSize.width + in.left + in.right, contentSize.height + in.top + in.bottom};
    const Rect aimed = Rect(FWTPopoverGeometry::midPointForRect(rect, size, a), size).integral();
    FWTPopoverAdjustment& adjustment = placement.adjustment;
    adjustment.frame = aimed;
    if (adjustPositionInSuperviewEnabled) adjustment = FWTPopoverGeometry::adjustmentForFrame(aimed, superviewBounds);
    const bool acrossX = direction == FWTPopoverArrowDirectionUp || direction == FWTPopoverArrowDirectionDown;
    const bool acrossY = direction == FWTPopoverArrowDirectionLeft || direction == FWTPopoverArrowDirectionRight;
    if (slide != 0 && (acrossX || acrossY)) {
        // The whole move across the arrow's side is what the arrow makes up for.
        double moved = 0;
        if (acrossX) {
            adjustment.frame.origin.x += slide;
            moved = adjustment.frame.minX() - aimed.minX();
            adjustment.dx = std::fabs(moved);
        } else {
            adjustment.frame.origin.y += slide;
            moved = adjustment.frame.minY() - aimed.minY();
            adjustment.dy = std::fabs(moved);
        }
        adjustment.sign = moved > 0 ? -1 : 1;
    }
    return placement;
}

void FWTPopoverView::presentFromRect(const Rect& rect, ui::View& inView, FWTPopoverArrowDirection direction,
                                     bool animated) {
    ++transition_;
    const Placement placement = placementFromRect(rect, direction, inView.bounds(), slide);
    FWTPopoverArrow& a = arrow();
    a.direction = direction;
    edgeInsets_ = placement.edgeInsets;
    setFrame(placement.adjustment.frame);
    if (adjustPositionInSuperviewEnabled || slide != 0) {
        const FWTPopoverAdjustment& adjustment = placement.adjustment;
        a.offset = FWTPopoverGeometry::arrowOffsetForDelta(adjustment.dx, adjustment.dy, adjustment.sign, direction,
                                                           bounds().size, edgeInsets_, backgroundHelper().cornerRadius);
    }

    backgroundImageView()->setImage(backgroundHelper().resizableBackgroundImageForSize(frame().size, edgeInsets_));
    setNeedsLayout();

    auto self = std::static_pointer_cast<FWTPopoverView>(sharedFromThis());
    if (!animated) {
        inView.addSubview(self);
        if (didPresentBlock) didPresentBlock(*this);
        return;
    }
    FWTPopoverAnimationHelper& helper = animationHelper();
    FWTPopoverAnimationHelper::safePerformBlock(helper.prepareBlock);
    inView.addSubview(self);
    ui::animate(
        helper.presentDuration, helper.presentDelay, helper.presentOptions,
        [&helper] { FWTPopoverAnimationHelper::safePerformBlock(helper.presentAnimationsBlock); },
        [weak = std::weak_ptr<FWTPopoverView>(self)](bool finished) {
            auto self = weak.lock();
            if (!self) return;
            FWTPopoverAnimationHelper::safePerformCompletionBlock(self->animationHelper().presentCompletionBlock,
                                                                  finished);
            if (self->didPresentBlock) self->didPresentBlock(*self);
        });
}

void FWTPopoverView::adjustPositionToRect(const Rect& rect, bool animated) {
    graphics::Point origin = FWTPopoverGeometry::midPointForRect(rect, bounds().size, arrow());
    Rect target(origin, frame().size);
    if (adjustPositionInSuperviewEnabled && superview()) {
        target = FWTPopoverGeometry::adjustmentForFrame(target, superview()->bounds()).frame;
    }
    if (animated) {
        ui::animate(animationHelper().adjustPositionDuration, [&] { setFrame(target); });
    } else {
        setFrame(target);
    }
}

void FWTPopoverView::dismissPopoverAnimated(bool animated) {
    const uint64_t transition = ++transition_;
    // Kept alive until the end: the superview may hold the last reference.
    auto self = foundation::weakFrom(this).lock();
    if (!animated || !self) {
        removeFromSuperview();
        if (didDismissBlock) didDismissBlock(*this);
        return;
    }
    FWTPopoverAnimationHelper& helper = animationHelper();
    ui::animate(
        helper.dismissDuration, helper.dismissDelay, helper.dismissOptions,
        [&helper] { FWTPopoverAnimationHelper::safePerformBlock(helper.dismissAnimationsBlock); },
        [weak = std::weak_ptr<FWTPopoverView>(self), transition](bool finished) {
            // Weak: the animation lives in this view's layer. The
            // superview keeps the popover until it is removed here.
            auto self = weak.lock();
            if (!self || self->transition_ != transition) return;  // presented or dismissed again since
            FWTPopoverAnimationHelper::safePerformCompletionBlock(self->animationHelper().dismissCompletionBlock,
                                                                  finished);
            self->removeFromSuperview();
            if (self->didDismissBlock) self->didDismissBlock(*self);
        });
}

Rect FWTPopoverView::arrowRect() {
    return FWTPopoverGeometry::arrowRect(bounds().inset(edgeInsets_), backgroundHelper().cornerRadius, arrow());
}
