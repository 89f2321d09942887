// Item views: loading into containers, the reuse pools, and inserting,
// removing and reloading single items.

#include "app/widgets/carousel/iCarousel.h"
#include "platform/foundation/NotFound.h"
#include "platform/ui/compositing/Transition.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"

#include <algorithm>
#include <set>

using foundation::kNotFound;

namespace {
// Seconds of the item animations.
constexpr double kMoveDuration = 0.4;
constexpr double kFadeDelay = 0.3;
constexpr double kFadeDuration = 0.1;
}  // namespace

ui::ViewPtr iCarousel::containView(const ui::ViewPtr& view) {
    const graphics::Rect viewBounds = view->bounds();
    if (itemWidth_ == 0) itemWidth_ = vertical_ ? viewBounds.size.height : viewBounds.size.width;
    graphics::Rect frame = viewBounds;
    if (vertical_)
        frame.size.height = itemWidth_;
    else
        frame.size.width = itemWidth_;
    auto container = ui::makeView(frame);
    auto tap = std::make_shared<ui::TapGestureRecognizer>(life_.guard(
        [this](ui::GestureRecognizer& recognizer) { didTap(static_cast<ui::TapGestureRecognizer&>(recognizer)); }));
    tap->delegate = this;
    container->addGestureRecognizer(tap);
    const graphics::Size size = view->frame().size;
    view->setFrame(graphics::Rect({(frame.size.width - size.width) / 2, (frame.size.height - size.height) / 2}, size));
    container->addSubview(view);
    return container;
}

ui::ViewPtr iCarousel::dequeueView(int64_t index) {
    auto& pool = (index >= 0 && index < numberOfItems_) ? itemViewPool_ : placeholderViewPool_;
    if (pool.empty()) return nullptr;
    ui::ViewPtr view = std::move(pool.back());
    pool.pop_back();
    return view;
}

void iCarousel::queueView(int64_t index, ui::ViewPtr view) {
    if (!view) return;
    auto& pool = (index >= 0 && index < numberOfItems_) ? itemViewPool_ : placeholderViewPool_;
    if (std::find(pool.begin(), pool.end(), view) == pool.end()) pool.push_back(std::move(view));
}

ui::ViewPtr iCarousel::loadViewAtIndex(int64_t index, ui::View* container) {
    ui::ViewPtr view;
    withoutAnimation([&] {
        const int64_t placeholders = numberOfPlaceholdersToShow_;
        if (index < 0) {
            view =
                dataSource_->carouselPlaceholderViewAtIndex(*this, index + (placeholders + 1) / 2, dequeueView(index));
        } else if (index >= numberOfItems_) {
            const float placeholderIndex = static_cast<float>(index) + static_cast<float>(placeholders) * 0.5f -
                                           static_cast<float>(numberOfItems_);
            view = dataSource_->carouselPlaceholderViewAtIndex(*this, static_cast<int64_t>(placeholderIndex),
                                                               dequeueView(index));
        } else {
            view = dataSource_->carouselViewForItemAtIndex(*this, index, dequeueView(index));
        }
        if (!view) view = ui::makeView();
        itemViews_[index] = view;

        if (!container) {
            contentView_->addSubview(containView(view));
        } else {
            // A reload: the old view goes to its pool and the new one takes its place.
            ui::ViewPtr old = container->subviews().empty() ? nullptr : container->subviews().back();
            if (old != view) queueView(index, old);
            graphics::Rect frame = container->bounds();
            const graphics::Size size = view->frame().size;
            if (vertical_)
                frame.size = {size.width, std::min(itemWidth_, size.height)};
            else
                frame.size = {std::min(itemWidth_, size.width), size.height};
            container->setBounds(frame);
            view->setCenter({frame.midX(), frame.midY()});
            if (old && old != view) old->removeFromSuperview();
            container->addSubview(view);
        }
        transformItemView(view, index);
    });
    return view;
}

void iCarousel::loadUnloadViews() {
    // Without a data source the loaded views stay as they are: there is
    // nothing to load new ones from.
    if (!dataSource_) return;
    updateItemWidth();
    updateNumberOfVisibleItems();
    const carousel::LayoutState state = layoutState();
    // The item drawn in the view's centre: the current one, unless the row
    // keeps its ends in view and has moved.
    int64_t centre = currentItemIndex();
    if (const double shift = endShift(); shift != 0) {
        const double step = valueForOption(iCarouselOptionSpacing, 1.0) * itemWidth_;
        centre = clampedIndex(carousel::roundedOffset(scrollOffset_ - shift / step));
    }
    std::set<int64_t> visible;
    for (int64_t index : carousel::candidateIndexes(centre, numberOfVisibleItems_, state))
        if (alphaForItemWithOffset(offsetForItemAtIndex(index)) != 0) visible.insert(index);

    for (auto it = itemViews_.begin(); it != itemViews_.end();) {
        if (visible.count(it->first)) {
            ++it;
            continue;
        }
        if (ui::View* container = it->second->superview()) container->removeFromSuperview();
        queueView(it->first, it->second);
        it = itemViews_.erase(it);
    }
    for (int64_t index : visible)
        if (!itemViews_.count(index)) loadViewAtIndex(index);
}

void iCarousel::shiftKeys(int64_t from, int64_t by) {
    std::map<int64_t, ui::ViewPtr> shifted;
    for (auto& [index, view] : itemViews_) {
        if (by < 0 && index == from) continue;  // the removed item
        const bool moves = by > 0 ? index >= from : index > from;
        shifted[moves ? index + by : index] = std::move(view);
    }
    itemViews_ = std::move(shifted);
}

void iCarousel::reloadData() {
    for (const auto& [index, view] : itemViews_)
        if (ui::View* container = view->superview()) container->removeFromSuperview();
    if (!dataSource_ || !contentView_) return;
    numberOfVisibleItems_ = 0;
    // A negative count from a data source means no items.
    numberOfItems_ = std::max<int64_t>(0, dataSource_->numberOfItemsInCarousel(*this));
    numberOfPlaceholders_ = std::max<int64_t>(0, dataSource_->numberOfPlaceholdersInCarousel(*this));
    itemViews_.clear();
    itemViewPool_.clear();
    placeholderViewPool_.clear();
    setNeedsLayout();
    if (numberOfItems_ > 0 && scrollOffset_ < 0) scrollToItemAtIndexAnimated(0, numberOfPlaceholders_ > 0);
}

void iCarousel::insertItemAtIndex(int64_t index, bool animated) {
    if (!dataSource_) return;
    numberOfItems_ += 1;
    wrapEnabled_ = askWrap(wrapEnabled_);
    updateNumberOfVisibleItems();
    index = clampedIndex(index);
    shiftKeys(index, 1);
    ui::ViewPtr view = loadViewAtIndex(index);
    std::weak_ptr<ui::View> container = view->superview()->sharedFromThis();
    view->superview()->setAlpha(0);
    if (itemWidth_ == 0) updateItemWidth();

    if (animated) {
        ui::animate(
            kMoveDuration, [this] { transformItemViews(); }, life_.guard([this](bool) { loadUnloadViews(); }));
        std::weak_ptr<ui::View> item = view;
        life_.performAfter(kFadeDelay, [this, container, item] {
            auto box = container.lock();
            auto itemView = item.lock();
            if (!box || !itemView) return;
            const int64_t at = indexOfItemView(itemView.get());
            if (at == kNotFound) return;
            const double alpha = alphaForItemWithOffset(offsetForItemAtIndex(at));
            ui::animate(kFadeDuration, [box, alpha] { box->setAlpha(alpha); });
        });
    } else {
        withoutAnimation([this] { transformItemViews(); });
        view->superview()->setAlpha(1.0);
    }
    if (scrollOffset_ < 0) scrollToItemAtIndexAnimated(0, animated && numberOfPlaceholders_ > 0);
}

void iCarousel::removeItemAtIndex(int64_t index, bool animated) {
    // Nothing to remove from an empty carousel (the count must not go below 0).
    if (!dataSource_ || numberOfItems_ <= 0) return;
    index = clampedIndex(index);
    ui::ViewPtr view = itemViewAtIndex(index);
    auto afterRemoval = [this, index] {
        shiftKeys(index, -1);
        numberOfItems_ -= 1;
        wrapEnabled_ = askWrap(wrapEnabled_);
        updateNumberOfVisibleItems();
        scrollOffset_ = static_cast<double>(currentItemIndex());
        didScroll();
    };
    if (animated) {
        if (view && view->superview()) {
            ui::ViewPtr container = view->superview()->sharedFromThis();
            // The completion holds the container weakly: the animation lives
            // on the container's layer, and a strong hold would keep both
            // alive when the carousel goes before the fade ends.
            std::weak_ptr<ui::View> fading = container;
            ui::animate(
                kFadeDuration, [container] { container->setAlpha(0); },
                [fading](bool) {
                    if (auto gone = fading.lock()) gone->removeFromSuperview();
                });
            life_.performAfter(kFadeDuration, [this, view] { itemViewPool_.push_back(view); });
        }
        ui::animate(kMoveDuration, afterRemoval, life_.guard([this](bool) { depthSortViews(); }));
    } else {
        withoutAnimation([&] {
            if (view) {
                queueView(index, view);
                if (ui::View* container = view->superview()) container->removeFromSuperview();
            }
            afterRemoval();
            depthSortViews();
        });
    }
}

void iCarousel::reloadItemAtIndex(int64_t index, bool animated) {
    ui::ViewPtr view = itemViewAtIndex(index);
    if (!view || !view->superview()) return;
    ui::View* container = view->superview();
    if (animated) ui::addFadeTransition(*container, kMoveDuration, ui::TimingFunction::easeInEaseOut());
    loadViewAtIndex(index, container);
}
