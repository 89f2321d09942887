#include "app/widgets/carousel/iCarousel.h"

#include "platform/foundation/NotFound.h"
#include "platform/ui/gestures/PanGestureRecognizer.h"

#include <algorithm>
#include <cstdio>

using foundation::kNotFound;
using graphics::Transform3D;

iCarousel::iCarousel(const graphics::Rect& frame) : ui::View(frame) {
    contentView_ = ui::makeView(graphics::Rect({0, 0}, bounds().size));
    auto pan = std::make_shared<ui::PanGestureRecognizer>(life_.guard(
        [this](ui::GestureRecognizer& recognizer) { didPan(static_cast<ui::PanGestureRecognizer&>(recognizer)); }));
    pan->delegate = this;
    contentView_->addGestureRecognizer(pan);
    addSubview(contentView_);
}

iCarousel::~iCarousel() { stopAnimation(); }

// ---- data source and delegate ---------------------------------------------------

void iCarousel::setDataSource(iCarouselDataSource* dataSource) {
    if (dataSource == dataSource_) return;
    dataSource_ = dataSource;
    if (dataSource_) reloadData();
}

void iCarousel::setDelegate(iCarouselDelegate* delegate) {
    if (delegate == delegate_) return;
    delegate_ = delegate;
    if (delegate_ && dataSource_) setNeedsLayout();
    warnAboutLegacyOperations();
}

void iCarousel::warnAboutLegacyOperations() const {
    if (!delegate_) return;
    static const std::pair<iCarouselLegacyOperation, const char*> kWarnings[] = {
        {iCarouselLegacyOperation::ItemAlphaForOffset,
         "Warning: The carousel:itemAlphaForOffset: delegate method is deprecated. Use "
         "carousel:valueForOption:withDefault: with iCarouselOptionFadeMin, iCarouselOptionFadeMax and "
         "iCarouselOptionFadeRange instead"},
        {iCarouselLegacyOperation::ShouldWrap,
         "Warning: The carouselShouldWrap: delegate method is deprecated. Use carousel:valueForOption:withDefault: "
         "with iCarouselOptionWrap instead"},
        {iCarouselLegacyOperation::OffsetMultiplier,
         "Warning: The carouselOffsetMultiplier: delegate method is deprecated. Use "
         "carousel:valueForOption:withDefault: with iCarouselOptionOffsetMultiplier instead"},
        {iCarouselLegacyOperation::NumberOfVisibleItems,
         "Warning: The numberOfVisibleItemsInCarousel: dataSource method is deprecated. This value is now set "
         "automatically, but if you need to override it, use carousel:valueForOption:withDefault: with "
         "iCarouselOptionVisibleItems instead"},
        {iCarouselLegacyOperation::CurrentItemIndexUpdated,
         "Warning: The carouselCurrentItemIndexUpdated: delegate method is deprecated. Use "
         "carouselCurrentItemIndexDidChange: instead"},
    };
    for (const auto& [operation, text] : kWarnings)
        if (delegate_->implementsLegacyOperation(operation)) std::fprintf(stderr, "%s\n", text);
}

// ---- options ----------------------------------------------------------------------

void iCarousel::setType(iCarouselType type) {
    if (type == type_) return;
    type_ = type;
    layOutItemViews();
}

void iCarousel::setVertical(bool vertical) {
    if (vertical == vertical_) return;
    vertical_ = vertical;
    layOutItemViews();
}

void iCarousel::setContentOffset(graphics::Size offset) {
    if (offset == contentOffset_) return;
    contentOffset_ = offset;
    layOutItemViews();
}

void iCarousel::setViewpointOffset(graphics::Size offset) {
    if (offset == viewpointOffset_) return;
    viewpointOffset_ = offset;
    layOutItemViews();
}

double iCarousel::valueForOption(iCarouselOption option, double defaultValue) const {
    if (!delegate_) return defaultValue;
    auto& self = const_cast<iCarousel&>(*this);
    if (auto value = delegate_->carouselValueForOption(self, option, defaultValue)) return *value;
    if (delegate_->implementsLegacyOperation(iCarouselLegacyOperation::ValueForTransformOption))
        return delegate_->carouselValueForTransformOption(self, option, defaultValue);
    return defaultValue;
}

carousel::OptionLookup iCarousel::optionLookup() const {
    return [this](iCarouselOption option, double defaultValue) { return valueForOption(option, defaultValue); };
}

bool iCarousel::askWrap(bool defaultValue) const {
    bool wrap = defaultValue;
    if (delegate_ && delegate_->implementsLegacyOperation(iCarouselLegacyOperation::ShouldWrap))
        wrap = delegate_->carouselShouldWrap(const_cast<iCarousel&>(*this));
    return valueForOption(iCarouselOptionWrap, wrap ? 1.0 : 0.0) != 0;
}

carousel::LayoutState iCarousel::layoutState() const {
    carousel::LayoutState state;
    state.type = type_;
    state.vertical = vertical_;
    state.wrap = wrapEnabled_;
    state.numberOfItems = numberOfItems_;
    state.numberOfPlaceholdersToShow = numberOfPlaceholdersToShow_;
    state.itemWidth = itemWidth_;
    state.perspective = perspective_;
    state.viewpointOffset = viewpointOffset_;
    state.bounds = bounds().size;
    state.toggle = toggle_;
    return state;
}

// ---- indexes -------------------------------------------------------------------------

double iCarousel::offsetForItemAtIndex(int64_t index) const {
    return carousel::offsetForItem(index, scrollOffset_, layoutState());
}

int64_t iCarousel::clampedIndex(int64_t index) const {
    return carousel::clampedIndex(index, numberOfItems_, wrapEnabled_);
}

double iCarousel::clampedOffset(double offset) const {
    return carousel::clampedOffset(offset, numberOfItems_, wrapEnabled_);
}

int64_t iCarousel::currentItemIndex() const {
    return carousel::currentItemIndex(scrollOffset_, numberOfItems_, wrapEnabled_);
}

void iCarousel::setCurrentItemIndex(int64_t index) { setScrollOffset(static_cast<double>(index)); }

ui::ViewPtr iCarousel::itemViewAtIndex(int64_t index) const {
    auto it = itemViews_.find(index);
    return it == itemViews_.end() ? nullptr : it->second;
}

ui::ViewPtr iCarousel::currentItemView() const { return itemViewAtIndex(currentItemIndex()); }

std::vector<int64_t> iCarousel::indexesForVisibleItems() const {
    std::vector<int64_t> indexes;
    for (const auto& [index, view] : itemViews_) indexes.push_back(index);
    return indexes;
}

std::vector<ui::ViewPtr> iCarousel::visibleItemViews() const {
    std::vector<ui::ViewPtr> views;
    for (const auto& [index, view] : itemViews_) views.push_back(view);
    return views;
}

int64_t iCarousel::indexOfItemView(const ui::View* view) const {
    for (const auto& [index, itemView] : itemViews_)
        if (itemView.get() == view) return index;
    return kNotFound;
}

int64_t iCarousel::indexOfItemViewOrSubview(const ui::View* view) const {
    for (; view && view != contentView_.get(); view = view->superview()) {
        const int64_t index = indexOfItemView(view);
        if (index != kNotFound) return index;
    }
    return kNotFound;
}

// ---- layout ----------------------------------------------------------------------------

void iCarousel::updateItemWidth() {
    if (delegate_) {
        if (auto width = delegate_->carouselItemWidth(*this)) {
            itemWidth_ = *width;
            return;
        }
    }
    if (!itemViews_.empty() || !dataSource_) return;
    if (numberOfItems_ > 0)
        loadViewAtIndex(0);
    else if (numberOfPlaceholdersToShow_ > 0)
        loadViewAtIndex(-1);
}

double iCarousel::endShift() const {
    if (!keepsEndsInView || type_ != iCarouselTypeLinear || wrapEnabled_) return 0;
    return carousel::endShift(scrollOffset_, layoutState(), valueForOption(iCarouselOptionSpacing, 1.0), endInset);
}

void iCarousel::updateNumberOfVisibleItems() {
    std::optional<int64_t> override;
    if (dataSource_) override = dataSource_->numberOfVisibleItemsInCarousel(*this);
    numberOfVisibleItems_ = carousel::numberOfVisibleItems(layoutState(), optionLookup(), override);
}

void iCarousel::layOutItemViews() {
    if (!dataSource_) return;
    wrapEnabled_ = askWrap(carousel::wrapsByDefault(type_));
    numberOfPlaceholdersToShow_ = wrapEnabled_ ? 0 : numberOfPlaceholders_;
    updateItemWidth();
    updateNumberOfVisibleItems();
    previousItemIndex_ = currentItemIndex();

    double multiplier = carousel::defaultOptionValue(iCarouselOptionOffsetMultiplier, type_);
    if (delegate_ && delegate_->implementsLegacyOperation(iCarouselLegacyOperation::OffsetMultiplier))
        multiplier = delegate_->carouselOffsetMultiplier(*this);
    offsetMultiplier_ = valueForOption(iCarouselOptionOffsetMultiplier, multiplier);

    if (!scrolling_ && !decelerating_) {
        if (scrollToItemBoundary)
            scrollToItemAtIndexAnimated(currentItemIndex(), true);
        else
            scrollOffset_ = clampedOffset(scrollOffset_);
    }
    didScroll();
}

void iCarousel::layoutSubviews() {
    contentView_->setFrame(graphics::Rect({0, 0}, bounds().size));
    withoutAnimation([this] { layOutItemViews(); });
}

void iCarousel::boundsSizeDidChange(graphics::Size oldSize) {
    (void)oldSize;
    setNeedsLayout();
}

double iCarousel::alphaForItemWithOffset(double offset) const {
    if (type_ == iCarouselTypeCustom && delegate_ &&
        delegate_->implementsLegacyOperation(iCarouselLegacyOperation::ItemAlphaForOffset))
        return delegate_->carouselItemAlphaForOffset(const_cast<iCarousel&>(*this), offset);
    return carousel::alphaForOffset(offset, layoutState(), optionLookup());
}

Transform3D iCarousel::transformForItemWithOffset(double offset) const {
    carousel::CustomTransform custom;
    if (delegate_) {
        custom = [this](double o, const Transform3D& base) {
            return delegate_->carouselItemTransformForOffset(const_cast<iCarousel&>(*this), o, base);
        };
    }
    return carousel::itemTransform(offset, layoutState(), optionLookup(), custom);
}

void iCarousel::transformItemView(const ui::ViewPtr& view, int64_t index) {
    ui::View* container = view->superview();
    if (!container) return;
    const double offset = offsetForItemAtIndex(index);
    const graphics::Size size = bounds().size;
    const double shift = endShift();
    container->setCenter({contentOffset_.width + size.width * 0.5 + (vertical_ ? 0 : shift),
                          contentOffset_.height + size.height * 0.5 + (vertical_ ? shift : 0)});
    container->setAlpha(alphaForItemWithOffset(offset));
    if (decelerating_ || (scrolling_ && !didDrag_) || scrollOffset_ != clampedOffset(scrollOffset_))
        toggle_ = carousel::toggleForOffset(offset);
    const Transform3D transform = transformForItemWithOffset(offset);
    container->layer().setTransform(transform);
    const bool doubleSided = view->layer().isDoubleSided() && type_ != iCarouselTypeInvertedCylinder;
    const bool showBackfaces = valueForOption(iCarouselOptionShowBackfaces, doubleSided ? 1.0 : 0.0) != 0;
    container->layer().setDoubleSided(showBackfaces);
    container->setHidden(!showBackfaces && transform.m33 <= 0);
}

void iCarousel::transformItemViews() {
    // The centre item goes last: the toggle it leaves is the one that counts.
    const int64_t current = currentItemIndex();
    ui::ViewPtr centre;
    for (const auto& [index, view] : itemViews_) {
        if (index == current) {
            centre = view;
            continue;
        }
        transformItemView(view, index);
        view->setUserInteractionEnabled(!centerItemWhenSelected);
    }
    if (centre) {
        transformItemView(centre, current);
        centre->setUserInteractionEnabled(true);
    }
}

void iCarousel::depthSortViews() {
    std::vector<ui::View*> containers;
    std::vector<Transform3D> transforms;
    for (const auto& [index, view] : itemViews_) {
        if (!view->superview()) continue;
        containers.push_back(view->superview());
        transforms.push_back(view->superview()->layer().transform());
    }
    std::optional<Transform3D> centre;
    if (auto view = currentItemView(); view && view->superview()) centre = view->superview()->layer().transform();
    for (size_t position : carousel::depthOrder(transforms, centre))
        contentView_->bringSubviewToFront(containers[position]);
}
