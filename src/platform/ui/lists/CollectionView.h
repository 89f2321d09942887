#pragma once

// A scrolling grid of items in sections, placed by a flow layout. Items come
// from a data source as cells made by registered factories; only the items
// in sight have cells, and cells that leave the sight wait for reuse.
//
// Changes are told to the collection view: reloadData for everything, or
// insertions, deletions and reloads of single items (animated, alone or in
// performBatchUpdates). The data source's counts after a change must agree
// with it (std::logic_error otherwise, with the view reloaded).

#include "platform/ui/lists/CollectionViewCell.h"
#include "platform/ui/lists/CollectionViewFlowLayout.h"
#include "platform/ui/lists/IndexPath.h"
#include "platform/ui/lists/ListCells.h"
#include "platform/ui/lists/ScrollView.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ui {

class CollectionView;

// The platform's scroll position bits: one vertical and one horizontal at most.
enum CollectionViewScrollPosition : unsigned {
    CollectionViewScrollPositionNone = 0,
    CollectionViewScrollPositionTop = 1 << 0,
    CollectionViewScrollPositionCenteredVertically = 1 << 1,
    CollectionViewScrollPositionBottom = 1 << 2,
    CollectionViewScrollPositionLeft = 1 << 3,
    CollectionViewScrollPositionCenteredHorizontally = 1 << 4,
    CollectionViewScrollPositionRight = 1 << 5,
};

class CollectionViewDataSource {
public:
    virtual ~CollectionViewDataSource() = default;
    virtual size_t numberOfSectionsInCollectionView(CollectionView& collectionView) {
        (void)collectionView;
        return 1;
    }
    virtual size_t numberOfItemsInSection(CollectionView& collectionView, size_t section) = 0;
    // Must return a cell (std::logic_error otherwise), normally a dequeued one.
    virtual CollectionViewCellPtr cellForItemAtIndexPath(CollectionView& collectionView,
                                                         const IndexPath& indexPath) = 0;
};

class CollectionViewDelegate : public ScrollViewDelegate {
public:
    virtual bool shouldSelectItemAtIndexPath(CollectionView& collectionView, const IndexPath& indexPath) {
        (void)collectionView, (void)indexPath;
        return true;
    }
    virtual void didSelectItemAtIndexPath(CollectionView& collectionView, const IndexPath& indexPath) {
        (void)collectionView, (void)indexPath;
    }
    virtual void didDeselectItemAtIndexPath(CollectionView& collectionView, const IndexPath& indexPath) {
        (void)collectionView, (void)indexPath;
    }
    virtual void willDisplayCell(CollectionView& collectionView, CollectionViewCell& cell,
                                 const IndexPath& forItemAtIndexPath) {
        (void)collectionView, (void)cell, (void)forItemAtIndexPath;
    }
};

// A delegate that sizes the flow layout's items and sections; none keeps
// the layout's own values.
class CollectionViewDelegateFlowLayout : public CollectionViewDelegate {
public:
    virtual std::optional<graphics::Size> sizeForItemAtIndexPath(CollectionView& collectionView,
                                                                 CollectionViewFlowLayout& layout,
                                                                 const IndexPath& indexPath) {
        (void)collectionView, (void)layout, (void)indexPath;
        return std::nullopt;
    }
    virtual std::optional<graphics::EdgeInsets> insetForSectionAtIndex(CollectionView& collectionView,
                                                                       CollectionViewFlowLayout& layout,
                                                                       size_t section) {
        (void)collectionView, (void)layout, (void)section;
        return std::nullopt;
    }
    virtual std::optional<double> minimumLineSpacingForSectionAtIndex(CollectionView& collectionView,
                                                                      CollectionViewFlowLayout& layout,
                                                                      size_t section) {
        (void)collectionView, (void)layout, (void)section;
        return std::nullopt;
    }
    virtual std::optional<double> minimumInteritemSpacingForSectionAtIndex(CollectionView& collectionView,
                                                                           CollectionViewFlowLayout& layout,
                                                                           size_t section) {
        (void)collectionView, (void)layout, (void)section;
        return std::nullopt;
    }
};

class CollectionView : public ScrollView {
public:
    static constexpr double kItemAnimationDuration = 0.3;

    CollectionView(const graphics::Rect& frame, std::shared_ptr<CollectionViewFlowLayout> layout);
    ~CollectionView() override;

    CollectionViewFlowLayout& collectionViewLayout() const { return *layout_; }
    void setCollectionViewLayout(std::shared_ptr<CollectionViewFlowLayout> layout);

    // ---- data ------------------------------------------------------------------
    CollectionViewDataSource* dataSource() const { return dataSource_; }
    // Not owned; the data is loaded on the next layout.
    void setDataSource(CollectionViewDataSource* dataSource);
    CollectionViewDelegate* delegate() const { return collectionDelegate_; }
    void setDelegate(CollectionViewDelegate* delegate);

    void registerClass(std::function<CollectionViewCellPtr()> factory, const std::string& forCellWithReuseIdentifier);
    // A waiting cell of the identifier, else a new one from its factory
    // (std::invalid_argument for an identifier nothing was registered for).
    CollectionViewCellPtr dequeueReusableCellWithReuseIdentifier(const std::string& identifier,
                                                                 const IndexPath& forIndexPath);

    void reloadData();
    size_t numberOfSections() const { return counts_.size(); }
    size_t numberOfItemsInSection(size_t section) const;

    // ---- changes ---------------------------------------------------------------
    // Deletions and reloads name items as they were, insertions as they will be.
    void insertItemsAtIndexPaths(const std::vector<IndexPath>& indexPaths);
    void deleteItemsAtIndexPaths(const std::vector<IndexPath>& indexPaths);
    void reloadItemsAtIndexPaths(const std::vector<IndexPath>& indexPaths);
    void moveItemAtIndexPath(const IndexPath& indexPath, const IndexPath& toIndexPath);
    // The changes made in `updates` animate together; the completion runs
    // when the animation has ended.
    void performBatchUpdates(const std::function<void()>& updates, std::function<void(bool finished)> completion = {});

    // ---- cells and places ----------------------------------------------------------
    CollectionViewCellPtr cellForItemAtIndexPath(const IndexPath& indexPath) const;
    std::optional<IndexPath> indexPathForCell(const CollectionViewCell* cell) const;
    // The item at a point of the content, or none.
    std::optional<IndexPath> indexPathForItemAtPoint(graphics::Point point) const;
    std::vector<CollectionViewCellPtr> visibleCells() const;
    std::vector<IndexPath> indexPathsForVisibleItems() const;
    std::optional<CollectionViewLayoutAttributes> layoutAttributesForItemAtIndexPath(const IndexPath& indexPath) const;
    void scrollToItemAtIndexPath(const IndexPath& indexPath, unsigned atScrollPosition, bool animated);

    // Fills the view behind the items and does not scroll.
    const ViewPtr& backgroundView() const { return backgroundView_; }
    void setBackgroundView(ViewPtr view);

    // ---- selection --------------------------------------------------------------------
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool allows) { allowsSelection_ = allows; }
    bool allowsMultipleSelection() const { return allowsMultipleSelection_; }
    void setAllowsMultipleSelection(bool allows);
    std::vector<IndexPath> indexPathsForSelectedItems() const;
    // For code: the delegate is neither asked nor told.
    void selectItemAtIndexPath(const IndexPath& indexPath, bool animated, unsigned scrollPosition);
    void deselectItemAtIndexPath(const IndexPath& indexPath, bool animated);

    // ---- keyboard -------------------------------------------------------------------
    // The item the keyboard is on, drawn with a ring in the tint colour. The
    // first arrow key puts it on the selected item (else the first one);
    // Left / Right step through the items in order, Up / Down go to the
    // nearest item of the row above / below; Return chooses it as a tap
    // does (the delegate is asked and told). Page and Home / End keys scroll.
    std::optional<IndexPath> focusedIndexPath() const { return focused_; }
    void setFocusedIndexPath(std::optional<IndexPath> indexPath);
    // The ring's view while an item has the focus (for tests).
    View* focusRingView() const { return focusRing_.get(); }
    static constexpr double kFocusRingWidth = 3.0;
    bool handleKeyEquivalent(const KeyPress& press) override;

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;

    void layoutSubviews() override;
    void tintColorDidChange() override;

protected:
    void contentOffsetDidChange() override;

private:
    friend class CollectionViewFlowLayout;

    bool hasItem(const IndexPath& path) const;
    std::vector<size_t> loadCounts();
    void relayout();
    void tile();
    CollectionViewCellPtr loadCell(const IndexPath& path);
    void enqueue(const CollectionViewCellPtr& cell);
    void layoutCellFrames();
    void applyUpdates(bool animated, std::function<void(bool)> completion);
    void fail(const std::string& message);
    void userSelect(const IndexPath& path);
    // The item a key moves the focus to from `from`, or none.
    std::optional<IndexPath> focusTarget(const IndexPath& from, Key key) const;
    std::vector<IndexPath> allIndexPaths() const;
    void placeFocusRing();

    std::shared_ptr<CollectionViewFlowLayout> layout_;
    CollectionViewDataSource* dataSource_ = nullptr;
    CollectionViewDelegate* collectionDelegate_ = nullptr;
    std::vector<size_t> counts_;
    bool loaded_ = false;
    graphics::Size laidOutSize_{-1, -1};

    detail::ListCells<CollectionViewCell> cells_{"CollectionView"};
    ViewPtr backgroundView_;

    std::set<IndexPath> selected_;
    std::optional<IndexPath> focused_;
    ViewPtr focusRing_;
    bool allowsSelection_ = true;
    bool allowsMultipleSelection_ = false;

    // Collected changes of the running batch.
    int batchDepth_ = 0;
    std::set<IndexPath> pendingRemoved_, pendingAdded_, pendingReloaded_;
    std::map<IndexPath, IndexPath> pendingMoved_;
};

}  // namespace ui
