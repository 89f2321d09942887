#pragma once

// The grid layout of a collection view: items of a size (the layout's, or
// the delegate's per item) flow into lines across the scrolling direction,
// lines follow each other along it, and each section has its insets.
//
// Lines spread their items to both insets with equal gaps, except the last
// line of a section below other lines: it keeps their gap, so a grid's
// columns stay aligned. Any other line holding a single item centres it.

#include "platform/graphics/Geometry.h"
#include "platform/ui/lists/IndexPath.h"

#include <optional>
#include <vector>

namespace ui {

class CollectionView;

enum class CollectionViewScrollDirection { Vertical, Horizontal };

struct CollectionViewLayoutAttributes {
    IndexPath indexPath;
    graphics::Rect frame;
};

class CollectionViewFlowLayout {
public:
    CollectionViewFlowLayout() = default;
    virtual ~CollectionViewFlowLayout() = default;
    CollectionViewFlowLayout(const CollectionViewFlowLayout&) = delete;
    CollectionViewFlowLayout& operator=(const CollectionViewFlowLayout&) = delete;

    CollectionViewScrollDirection scrollDirection() const { return scrollDirection_; }
    void setScrollDirection(CollectionViewScrollDirection direction);
    graphics::Size itemSize() const { return itemSize_; }
    void setItemSize(graphics::Size size);
    // Between lines (rows of a vertical grid).
    double minimumLineSpacing() const { return minimumLineSpacing_; }
    void setMinimumLineSpacing(double spacing);
    // Between items of one line.
    double minimumInteritemSpacing() const { return minimumInteritemSpacing_; }
    void setMinimumInteritemSpacing(double spacing);
    graphics::EdgeInsets sectionInset() const { return sectionInset_; }
    void setSectionInset(const graphics::EdgeInsets& insets);

    CollectionView* collectionView() const { return collectionView_; }
    // Marks the layout stale; the collection view lays out again.
    void invalidateLayout();

    // Computes every item's place from the collection view's data and size.
    virtual void prepareLayout();
    virtual graphics::Size collectionViewContentSize() const { return contentSize_; }
    virtual std::vector<CollectionViewLayoutAttributes> layoutAttributesForElementsInRect(
        const graphics::Rect& rect) const;
    virtual std::optional<CollectionViewLayoutAttributes> layoutAttributesForItemAtIndexPath(
        const IndexPath& indexPath) const;

private:
    friend class CollectionView;

    CollectionView* collectionView_ = nullptr;
    CollectionViewScrollDirection scrollDirection_ = CollectionViewScrollDirection::Vertical;
    graphics::Size itemSize_{50, 50};
    double minimumLineSpacing_ = 10;
    double minimumInteritemSpacing_ = 10;
    graphics::EdgeInsets sectionInset_;

    std::vector<std::vector<graphics::Rect>> frames_;  // per section, per item
    graphics::Size contentSize_;
};

}  // namespace ui
