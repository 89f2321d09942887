#include "platform/ui/CollectionView.h"

#include "platform/ui/Animation.h"
#include "platform/ui/ListUpdate.h"

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
    for (auto& [path, cell] : visibleCells_) enqueue(cell);
    visibleCells_.clear();
    selected_.clear();
    touchItem_.reset();
    counts_ = loadCounts();
    layout_->prepareLayout();
    laidOutSize_ = bounds().size;
    setContentSize(layout_->collectionViewContentSize());
    settleIntoContent();
    tile();
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
}

void CollectionView::registerClass(std::function<CollectionViewCellPtr()> factory,
                                   const std::string& forCellWithReuseIdentifier) {
    if (factory)
        factories_[forCellWithReuseIdentifier] = std::move(factory);
    else
        factories_.erase(forCellWithReuseIdentifier);
}

CollectionViewCellPtr CollectionView::dequeueReusableCellWithReuseIdentifier(const std::string& identifier,
                                                                           const IndexPath&) {
    auto pool = reusePool_.find(identifier);
    if (pool != reusePool_.end() && !pool->second.empty()) {
        CollectionViewCellPtr cell = pool->second.back();
        pool->second.pop_back();
        cell->prepareForReuse();
        return cell;
    }
    auto factory = factories_.find(identifier);
    if (factory == factories_.end())
        throw std::invalid_argument("CollectionView: no cell registered for reuse identifier \"" + identifier + "\"");
    CollectionViewCellPtr cell = factory->second();
    if (!cell) throw std::logic_error("CollectionView: the cell factory for \"" + identifier + "\" made no cell");
    cell->reuseIdentifier_ = identifier;
    return cell;
}

void CollectionView::enqueue(const CollectionViewCellPtr& cell) {
    cell->removeFromSuperview();
    cell->setHighlighted(false);
    cell->setSelected(false);
    if (cell->reuseIdentifier().empty()) return;
    reusePool_[cell->reuseIdentifier()].push_back(cell);
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
    for (auto it = visibleCells_.begin(); it != visibleCells_.end();) {
        if (!wanted.count(it->first)) {
            CollectionViewCellPtr cell = it->second;
            it = visibleCells_.erase(it);
            enqueue(cell);
        } else {
            ++it;
        }
    }
    performWithoutAnimation([&] {
        for (const IndexPath& path : wanted) {
            if (!visibleCells_.count(path)) visibleCells_[path] = loadCell(path);
        }
    });
}

void CollectionView::layoutCellFrames() {
    for (auto& [path, cell] : visibleCells_) {
        if (auto attributes = layout_->layoutAttributesForItemAtIndexPath(path)) cell->setFrame(attributes->frame);
    }
}

CollectionViewCellPtr CollectionView::cellForItemAtIndexPath(const IndexPath& indexPath) const {
    auto it = visibleCells_.find(indexPath);
    return it == visibleCells_.end() ? nullptr : it->second;
}

std::optional<IndexPath> CollectionView::indexPathForCell(const CollectionViewCell* cell) const {
    for (const auto& [path, visible] : visibleCells_) {
        if (visible.get() == cell) return path;
    }
    return std::nullopt;
}

std::optional<IndexPath> CollectionView::indexPathForItemAtPoint(Point point) const {
    for (const auto& attributes : layout_->layoutAttributesForElementsInRect(Rect(point.x, point.y, 1e-6, 1e-6))) {
        if (attributes.frame.contains(point)) return attributes.indexPath;
    }
    return std::nullopt;
}

std::vector<CollectionViewCellPtr> CollectionView::visibleCells() const {
    std::vector<CollectionViewCellPtr> cells;
    for (const auto& [path, cell] : visibleCells_) cells.push_back(cell);
    return cells;
}

std::vector<IndexPath> CollectionView::indexPathsForVisibleItems() const {
    std::vector<IndexPath> paths;
    for (const auto& [path, cell] : visibleCells_) paths.push_back(path);
    return paths;
}

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

    std::set<IndexPath> selected;
    for (const IndexPath& p : selected_) {
        auto it = map.destinations.find(p);
        if (it != map.destinations.end() && !change.reloaded.count(p)) selected.insert(it->second);
    }
    std::map<IndexPath, CollectionViewCellPtr> kept;
    std::vector<CollectionViewCellPtr> leaving;
    for (auto& [path, cell] : visibleCells_) {
        auto it = map.destinations.find(path);
        if (it == map.destinations.end() || change.reloaded.count(path))
            leaving.push_back(cell);
        else
            kept[it->second] = cell;
    }
    counts_ = std::move(newCounts);
    selected_ = std::move(selected);
    visibleCells_ = std::move(kept);
    // Cells that exist before the change; any made from here on are new items.
    const std::vector<CollectionViewCellPtr> before = visibleCells();
    touchItem_.reset();
    layout_->prepareLayout();
    setContentSize(layout_->collectionViewContentSize());
    settleIntoContent();
    for (auto& [path, cell] : visibleCells_) cell->setSelected(selected_.count(path) > 0);

    if (!animated || change.empty()) {
        for (const auto& cell : leaving) enqueue(cell);
        layoutCellFrames();
        tile();
        if (completion) completion(true);
        return;
    }
    tile();
    for (auto& [path, cell] : visibleCells_) {
        if (std::find(before.begin(), before.end(), cell) == before.end()) cell->setAlpha(0);
    }
    for (const auto& cell : leaving) bringSubviewToFront(cell.get());
    std::weak_ptr<View> weak = weak_from_this();
    animate(kItemAnimationDuration, [&] {
        layoutCellFrames();
        for (auto& [path, cell] : visibleCells_) cell->setAlpha(1);
        for (const auto& cell : leaving) cell->setAlpha(0);
    }, [this, weak, gone = std::vector<std::weak_ptr<View>>(leaving.begin(), leaving.end()),
        completion = std::move(completion)](bool finished) {
        // Weak: the cells' own animations hold this completion.
        auto keep = weak.lock();
        if (keep) {
            for (const auto& weakCell : gone) {
                auto cell = std::static_pointer_cast<CollectionViewCell>(weakCell.lock());
                if (!cell || indexPathForCell(cell.get())) continue;
                cell->setAlpha(1);
                enqueue(cell);
            }
        }
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
    if (scrollPosition != CollectionViewScrollPositionNone) scrollToItemAtIndexPath(indexPath, scrollPosition, animated);
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
    touchItem_.reset();
    if (touches.empty() || !allowsSelection_ || touchStoppedMotion()) return;
    touchItem_ = indexPathForItemAtPoint(touches.front()->locationInView(this));
    if (touchItem_) {
        if (auto cell = cellForItemAtIndexPath(*touchItem_)) cell->setHighlighted(true);
    }
}

void CollectionView::touchesMoved(const TouchSet&, const Event&) {}

void CollectionView::touchesEnded(const TouchSet& touches, const Event&) {
    if (!touchItem_) return;
    IndexPath item = *touchItem_;
    touchItem_.reset();
    if (auto cell = cellForItemAtIndexPath(item)) cell->setHighlighted(false);
    if (touches.empty() || indexPathForItemAtPoint(touches.front()->locationInView(this)) != item) return;
    auto keep = weak_from_this().lock();
    userSelect(item);
}

void CollectionView::touchesCancelled(const TouchSet&, const Event&) {
    if (!touchItem_) return;
    if (auto cell = cellForItemAtIndexPath(*touchItem_)) cell->setHighlighted(false);
    touchItem_.reset();
}

}  // namespace ui
