#include "platform/ui/lists/CollectionView.h"

#include "platform/ui/compositing/Animation.h"
#include "platform/ui/lists/ListUpdate.h"

#include <algorithm>
#include <stdexcept>

namespace ui {

using graphics::Point;
using graphics::Rect;
using graphics::Size;

CollectionView::CollectionView(const Rect& frame, std::shared_ptr<CollectionViewFlowLayout> layout)
    : ScrollView(frame) {
    setBackgroundColor(graphics::Color::black());
    setCollectionViewLayout(std::move(layout));
}

CollectionView::~CollectionView() {
    if (layout_ && layout_->collectionView_ == this) layout_->collectionView_ = nullptr;
}

void CollectionView::setCollectionViewLayout(std::shared_ptr<CollectionViewFlowLayout> layout) {
    if (!layout) layout = std::make_shared<CollectionViewFlowLayout>();
    if (layout_ && layout_->collectionView_ == this) layout_->collectionView_ = nullptr;
    layout_ = std::move(layout);
    layout_->collectionView_ = this;
    relayout();
}

void CollectionView::setDataSource(CollectionViewDataSource* dataSource) {
    dataSource_ = dataSource;
    loaded_ = false;
    setNeedsLayout();
}

void CollectionView::setDelegate(CollectionViewDelegate* delegate) {
    collectionDelegate_ = delegate;
    ScrollView::setDelegate(delegate);
    if (loaded_) relayout();
}

// ---- data ------------------------------------------------------------------------------

size_t CollectionView::numberOfItemsInSection(size_t section) const {
    return section < counts_.size() ? counts_[section] : 0;
}

bool CollectionView::hasItem(const IndexPath& path) const {
    return path.section < counts_.size() && path.row < counts_[path.section];
}

std::vector<size_t> CollectionView::loadCounts() {
    std::vector<size_t> counts;
    if (!dataSource_) return counts;
    size_t sections = dataSource_->numberOfSectionsInCollectionView(*this);
    for (size_t s = 0; s < sections; ++s) counts.push_back(dataSource_->numberOfItemsInSection(*this, s));
    return counts;
}

void CollectionView::reloadData() {
    loaded_ = true;
    for (auto& [path, cell] : cells_.visible()) enqueue(cell);
    cells_.visible().clear();
    selected_.clear();
    cells_.forgetTouch();
    counts_ = loadCounts();
    layout_->prepareLayout();
    laidOutSize_ = bounds().size;
    setContentSize(layout_->collectionViewContentSize());
    settleIntoContent();
    tile();
    placeFocusRing();
}

// The layout changed (its values, the delegate, the view's size): new places
// for the same data.
void CollectionView::relayout() {
    if (!loaded_) {
        setNeedsLayout();
        return;
    }
    layout_->prepareLayout();
    laidOutSize_ = bounds().size;
    setContentSize(layout_->collectionViewContentSize());
    settleIntoContent();
    layoutCellFrames();
    tile();
    placeFocusRing();
}

void CollectionView::registerClass(std::function<CollectionViewCellPtr()> factory,
                                   const std::string& forCellWithReuseIdentifier) {
    cells_.registerFactory(std::move(factory), forCellWithReuseIdentifier);
}

CollectionViewCellPtr CollectionView::dequeueReusableCellWithReuseIdentifier(const std::string& identifier,
                                                                             const IndexPath&) {
    return cells_.dequeueRegistered(identifier);
}

void CollectionView::enqueue(const CollectionViewCellPtr& cell) {
    cell->removeFromSuperview();
    cell->setHighlighted(false);
    cell->setSelected(false);
    cells_.enqueue(cell);
}

// ---- cells -----------------------------------------------------------------------------------

CollectionViewCellPtr CollectionView::loadCell(const IndexPath& path) {
    CollectionViewCellPtr cell = dataSource_->cellForItemAtIndexPath(*this, path);
    if (!cell) throw std::logic_error("CollectionView: the data source gave no cell for item " + path.toString());
    if (auto attributes = layout_->layoutAttributesForItemAtIndexPath(path)) cell->setFrame(attributes->frame);
    cell->setAlpha(1.0);
    cell->setSelected(selected_.count(path) > 0);
    size_t index = backgroundView_ && backgroundView_->superview() == this ? 1 : 0;
    insertSubviewAtIndex(cell, index);
    cell->layoutIfNeeded();
    if (collectionDelegate_) collectionDelegate_->willDisplayCell(*this, *cell, path);
    return cell;
}

void CollectionView::tile() {
    if (!loaded_ || !dataSource_) return;
    std::set<IndexPath> wanted;
    for (const auto& attributes : layout_->layoutAttributesForElementsInRect(bounds()))
        wanted.insert(attributes.indexPath);
    cells_.retile(
        wanted, [this](const CollectionViewCellPtr& cell) { enqueue(cell); },
        [this](const IndexPath& path) { return loadCell(path); });
    // Cells that came into sight go under the keyboard's ring.
    if (focusRing_) bringSubviewToFront(focusRing_.get());
}

void CollectionView::layoutCellFrames() {
    for (auto& [path, cell] : cells_.visible()) {
        if (auto attributes = layout_->layoutAttributesForItemAtIndexPath(path)) cell->setFrame(attributes->frame);
    }
}

CollectionViewCellPtr CollectionView::cellForItemAtIndexPath(const IndexPath& indexPath) const {
    return cells_.cellAt(indexPath);
}

std::optional<IndexPath> CollectionView::indexPathForCell(const CollectionViewCell* cell) const {
    return cells_.indexPathOf(cell);
}

std::optional<IndexPath> CollectionView::indexPathForItemAtPoint(Point point) const {
    for (const auto& attributes : layout_->layoutAttributesForElementsInRect(Rect(point.x, point.y, 1e-6, 1e-6))) {
        if (attributes.frame.contains(point)) return attributes.indexPath;
    }
    return std::nullopt;
}

std::vector<CollectionViewCellPtr> CollectionView::visibleCells() const { return cells_.cells(); }

std::vector<IndexPath> CollectionView::indexPathsForVisibleItems() const { return cells_.indexPaths(); }

std::optional<CollectionViewLayoutAttributes> CollectionView::layoutAttributesForItemAtIndexPath(
    const IndexPath& indexPath) const {
    return layout_->layoutAttributesForItemAtIndexPath(indexPath);
}

void CollectionView::scrollToItemAtIndexPath(const IndexPath& indexPath, unsigned atScrollPosition, bool animated) {
    if (!loaded_) reloadData();
    auto attributes = layout_->layoutAttributesForItemAtIndexPath(indexPath);
    if (!attributes) return;
    Rect item = attributes->frame;
    Size size = bounds().size;
    Point offset = contentOffset();
    if (atScrollPosition & CollectionViewScrollPositionTop) offset.y = item.minY();
    if (atScrollPosition & CollectionViewScrollPositionCenteredVertically) offset.y = item.midY() - size.height / 2;
    if (atScrollPosition & CollectionViewScrollPositionBottom) offset.y = item.maxY() - size.height;
    if (atScrollPosition & CollectionViewScrollPositionLeft) offset.x = item.minX();
    if (atScrollPosition & CollectionViewScrollPositionCenteredHorizontally) offset.x = item.midX() - size.width / 2;
    if (atScrollPosition & CollectionViewScrollPositionRight) offset.x = item.maxX() - size.width;
    if (atScrollPosition == CollectionViewScrollPositionNone) {
        scrollRectToVisible(item, animated);
        return;
    }
    Point lo = minimumContentOffset(), hi = maximumContentOffset();
    setContentOffset(Point{std::clamp(offset.x, lo.x, hi.x), std::clamp(offset.y, lo.y, hi.y)}, animated);
}

void CollectionView::setBackgroundView(ViewPtr view) {
    if (backgroundView_) backgroundView_->removeFromSuperview();
    backgroundView_ = std::move(view);
    if (backgroundView_) {
        insertSubviewAtIndex(backgroundView_, 0);
        backgroundView_->setFrame(bounds());
    }
}

void CollectionView::layoutSubviews() {
    if (!loaded_)
        reloadData();
    else if (laidOutSize_ != bounds().size)
        relayout();
    if (backgroundView_) backgroundView_->setFrame(bounds());
}

void CollectionView::contentOffsetDidChange() {
    if (backgroundView_) backgroundView_->setFrame(bounds());
    tile();
}

// ---- changes ------------------------------------------------------------------------------------

void CollectionView::insertItemsAtIndexPaths(const std::vector<IndexPath>& indexPaths) {
    performBatchUpdates([&] { pendingAdded_.insert(indexPaths.begin(), indexPaths.end()); });
}

void CollectionView::deleteItemsAtIndexPaths(const std::vector<IndexPath>& indexPaths) {
    performBatchUpdates([&] { pendingRemoved_.insert(indexPaths.begin(), indexPaths.end()); });
}

void CollectionView::reloadItemsAtIndexPaths(const std::vector<IndexPath>& indexPaths) {
    performBatchUpdates([&] { pendingReloaded_.insert(indexPaths.begin(), indexPaths.end()); });
}

void CollectionView::moveItemAtIndexPath(const IndexPath& indexPath, const IndexPath& toIndexPath) {
    performBatchUpdates([&] {
        pendingRemoved_.insert(indexPath);
        pendingAdded_.insert(toIndexPath);
        pendingMoved_[indexPath] = toIndexPath;
    });
}

void CollectionView::performBatchUpdates(const std::function<void()>& updates, std::function<void(bool)> completion) {
    ++batchDepth_;
    try {
        if (updates) updates();
    } catch (...) {
        --batchDepth_;
        throw;
    }
    if (--batchDepth_ > 0) {
        // An inner batch joins the outer one; its completion runs at once.
        if (completion) completion(true);
        return;
    }
    applyUpdates(true, std::move(completion));
}

void CollectionView::fail(const std::string& message) {
    reloadData();
    throw std::logic_error("CollectionView: " + message);
}

void CollectionView::applyUpdates(bool animated, std::function<void(bool)> completion) {
    detail::ListUpdate change;
    change.removed.swap(pendingRemoved_);
    change.added.swap(pendingAdded_);
    change.reloaded.swap(pendingReloaded_);
    change.moved.swap(pendingMoved_);
    if (!loaded_ || !dataSource_) {
        reloadData();
        if (completion) completion(true);
        return;
    }
    std::vector<size_t> newCounts = loadCounts();
    detail::ListMapping map = detail::mapThroughUpdate(counts_, newCounts, change, "item");
    if (!map.error.empty()) fail(map.error);

    counts_ = std::move(newCounts);
    selected_ = detail::mapSelection(selected_, map, change);
    // The keyboard stays on its item where it went, or leaves the grid.
    if (focused_) {
        std::set<IndexPath> moved = detail::mapSelection(std::set<IndexPath>{*focused_}, map, change);
        focused_ = moved.empty() ? std::nullopt : std::optional(*moved.begin());
    }
    const std::vector<CollectionViewCellPtr> leaving = cells_.remap(map, change.reloaded);
    // Cells that exist before the change; any made from here on are new items.
    const std::vector<CollectionViewCellPtr> before = visibleCells();
    cells_.forgetTouch();
    layout_->prepareLayout();
    setContentSize(layout_->collectionViewContentSize());
    settleIntoContent();
    for (auto& [path, cell] : cells_.visible()) cell->setSelected(selected_.count(path) > 0);
    placeFocusRing();

    if (!animated || change.empty()) {
        for (const auto& cell : leaving) enqueue(cell);
        layoutCellFrames();
        tile();
        if (completion) completion(true);
        return;
    }
    tile();
    for (auto& [path, cell] : cells_.visible()) {
        if (std::find(before.begin(), before.end(), cell) == before.end()) cell->setAlpha(0);
    }
    for (const auto& cell : leaving) bringSubviewToFront(cell.get());
    std::weak_ptr<View> weak = weak_from_this();
    animate(
        kItemAnimationDuration,
        [&] {
            layoutCellFrames();
            for (auto& [path, cell] : cells_.visible()) cell->setAlpha(1);
            for (const auto& cell : leaving) cell->setAlpha(0);
        },
        [this, weak, gone = std::vector<std::weak_ptr<View>>(leaving.begin(), leaving.end()),
         completion = std::move(completion)](bool finished) {
            // Weak: the cells' own animations hold this completion.
            if (auto keep = weak.lock())
                cells_.recycleLeft(gone, [this](const CollectionViewCellPtr& cell) { enqueue(cell); });
            if (completion) completion(finished);
        });
}

// ---- selection -------------------------------------------------------------------------------------

void CollectionView::setAllowsMultipleSelection(bool allows) {
    allowsMultipleSelection_ = allows;
    if (!allows && selected_.size() > 1) {
        IndexPath first = *selected_.begin();
        for (const IndexPath& p : std::vector<IndexPath>(selected_.begin(), selected_.end()))
            if (p != first) deselectItemAtIndexPath(p, false);
    }
}

std::vector<IndexPath> CollectionView::indexPathsForSelectedItems() const {
    return std::vector<IndexPath>(selected_.begin(), selected_.end());
}

void CollectionView::selectItemAtIndexPath(const IndexPath& indexPath, bool animated, unsigned scrollPosition) {
    if (!loaded_) reloadData();
    if (!hasItem(indexPath)) return;
    if (!allowsMultipleSelection_) {
        for (const IndexPath& p : std::vector<IndexPath>(selected_.begin(), selected_.end()))
            if (p != indexPath) deselectItemAtIndexPath(p, animated);
    }
    selected_.insert(indexPath);
    if (auto cell = cellForItemAtIndexPath(indexPath)) cell->setSelected(true);
    if (scrollPosition != CollectionViewScrollPositionNone)
        scrollToItemAtIndexPath(indexPath, scrollPosition, animated);
}

void CollectionView::deselectItemAtIndexPath(const IndexPath& indexPath, bool) {
    selected_.erase(indexPath);
    if (auto cell = cellForItemAtIndexPath(indexPath)) cell->setSelected(false);
}

void CollectionView::userSelect(const IndexPath& path) {
    if (allowsMultipleSelection_ && selected_.count(path)) {
        deselectItemAtIndexPath(path, true);
        if (collectionDelegate_) collectionDelegate_->didDeselectItemAtIndexPath(*this, path);
        return;
    }
    if (collectionDelegate_ && !collectionDelegate_->shouldSelectItemAtIndexPath(*this, path)) return;
    if (!allowsMultipleSelection_) {
        for (const IndexPath& old : std::vector<IndexPath>(selected_.begin(), selected_.end())) {
            if (old == path) continue;
            deselectItemAtIndexPath(old, true);
            if (collectionDelegate_) collectionDelegate_->didDeselectItemAtIndexPath(*this, old);
        }
    }
    selected_.insert(path);
    if (auto cell = cellForItemAtIndexPath(path)) cell->setSelected(true);
    if (collectionDelegate_) collectionDelegate_->didSelectItemAtIndexPath(*this, path);
}

// Taps on items reach here through the cells' responder chain.
void CollectionView::touchesBegan(const TouchSet& touches, const Event&) {
    cells_.forgetTouch();
    if (touches.empty() || !allowsSelection_ || touchStoppedMotion()) return;
    cells_.touchDown(indexPathForItemAtPoint(touches.front()->locationInView(this)));
}

void CollectionView::touchesMoved(const TouchSet&, const Event&) {}

void CollectionView::touchesEnded(const TouchSet& touches, const Event&) {
    auto item =
        cells_.touchUp(touches.empty() ? std::nullopt : indexPathForItemAtPoint(touches.front()->locationInView(this)));
    if (!item) return;
    auto keep = weak_from_this().lock();
    userSelect(*item);
}

void CollectionView::touchesCancelled(const TouchSet&, const Event&) { cells_.touchCancelled(); }

}  // namespace ui
