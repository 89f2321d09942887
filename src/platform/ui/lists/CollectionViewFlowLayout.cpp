#include "platform/ui/lists/CollectionViewFlowLayout.h"

#include "platform/ui/lists/CollectionView.h"

#include <algorithm>

namespace ui {

using graphics::EdgeInsets;
using graphics::Rect;
using graphics::Size;

void CollectionViewFlowLayout::setScrollDirection(CollectionViewScrollDirection direction) {
    scrollDirection_ = direction;
    invalidateLayout();
}

void CollectionViewFlowLayout::setItemSize(Size size) {
    itemSize_ = size;
    invalidateLayout();
}

void CollectionViewFlowLayout::setMinimumLineSpacing(double spacing) {
    minimumLineSpacing_ = spacing;
    invalidateLayout();
}

void CollectionViewFlowLayout::setMinimumInteritemSpacing(double spacing) {
    minimumInteritemSpacing_ = spacing;
    invalidateLayout();
}

void CollectionViewFlowLayout::setSectionInset(const EdgeInsets& insets) {
    sectionInset_ = insets;
    invalidateLayout();
}

void CollectionViewFlowLayout::invalidateLayout() {
    if (collectionView_) collectionView_->relayout();
}

// Laid out along two axes: "across" the scrolling direction (the width of
// a vertical grid) and "along" it. Vertical grids use x/y as they are;
// horizontal ones swap them.
void CollectionViewFlowLayout::prepareLayout() {
    frames_.clear();
    contentSize_ = Size{};
    if (!collectionView_) return;
    CollectionView& view = *collectionView_;
    auto* sizing = dynamic_cast<CollectionViewDelegateFlowLayout*>(view.delegate());
    const bool vertical = scrollDirection_ == CollectionViewScrollDirection::Vertical;
    Size viewSize = view.bounds().size;
    const double extentAcross = vertical ? viewSize.width : viewSize.height;

    double along = 0;
    for (size_t s = 0; s < view.numberOfSections(); ++s) {
        EdgeInsets inset = sectionInset_;
        double lineSpacing = minimumLineSpacing_, itemSpacing = minimumInteritemSpacing_;
        if (sizing) {
            inset = sizing->insetForSectionAtIndex(view, *this, s).value_or(inset);
            lineSpacing = sizing->minimumLineSpacingForSectionAtIndex(view, *this, s).value_or(lineSpacing);
            itemSpacing = sizing->minimumInteritemSpacingForSectionAtIndex(view, *this, s).value_or(itemSpacing);
        }
        const double startAcross = vertical ? inset.left : inset.top;
        const double available =
            std::max(0.0, extentAcross - (vertical ? inset.left + inset.right : inset.top + inset.bottom));
        along += vertical ? inset.top : inset.left;

        size_t count = view.numberOfItemsInSection(s);
        std::vector<Size> sizes(count, itemSize_);
        for (size_t i = 0; i < count; ++i) {
            if (sizing) sizes[i] = sizing->sizeForItemAtIndexPath(view, *this, IndexPath{s, i}).value_or(itemSize_);
            sizes[i].width = std::max(0.0, sizes[i].width);
            sizes[i].height = std::max(0.0, sizes[i].height);
        }
        auto across = [&](size_t i) { return vertical ? sizes[i].width : sizes[i].height; };
        auto length = [&](size_t i) { return vertical ? sizes[i].height : sizes[i].width; };

        std::vector<Rect> frames(count);
        std::optional<double> fullLineGap;
        size_t first = 0;
        while (first < count) {
            // As many items as fit with the least gap; at least one.
            size_t end = first + 1;
            double used = across(first);
            while (end < count && used + itemSpacing + across(end) <= available + 1e-9) {
                used += itemSpacing + across(end);
                ++end;
            }
            size_t n = end - first;
            bool last = end == count;
            double itemsAcross = 0, lineLength = 0;
            for (size_t i = first; i < end; ++i) {
                itemsAcross += across(i);
                lineLength = std::max(lineLength, length(i));
            }
            double position = startAcross, gap = itemSpacing;
            // How many items like the first would fill a whole line.
            double firstAcross = across(first);
            size_t fit = firstAcross + itemSpacing > 0
                             ? size_t((available + itemSpacing + 1e-9) / (firstAcross + itemSpacing))
                             : n;
            if (last && fullLineGap) {
                // The last line stays in the columns of the lines above.
                gap = *fullLineGap;
            } else if (last && fit > n && fit > 1) {
                // A section's only line that is not full takes the columns a full
                // line would have, from the start, instead of spreading out.
                gap = (available - double(fit) * firstAcross) / double(fit - 1);
            } else if (n == 1) {
                position = startAcross + std::max(0.0, (available - itemsAcross) / 2);
            } else {
                gap = (available - itemsAcross) / double(n - 1);
                if (!fullLineGap) fullLineGap = gap;
            }
            for (size_t i = first; i < end; ++i) {
                // Items shorter than their line sit in its middle.
                double offsetAlong = along + (lineLength - length(i)) / 2;
                frames[i] = vertical ? Rect(position, offsetAlong, sizes[i].width, sizes[i].height)
                                     : Rect(offsetAlong, position, sizes[i].width, sizes[i].height);
                position += across(i) + gap;
            }
            along += lineLength;
            if (!last) along += lineSpacing;
            first = end;
        }
        along += vertical ? inset.bottom : inset.right;
        frames_.push_back(std::move(frames));
    }
    contentSize_ = vertical ? Size{extentAcross, along} : Size{along, extentAcross};
}

std::vector<CollectionViewLayoutAttributes> CollectionViewFlowLayout::layoutAttributesForElementsInRect(
    const Rect& rect) const {
    std::vector<CollectionViewLayoutAttributes> found;
    for (size_t s = 0; s < frames_.size(); ++s) {
        for (size_t i = 0; i < frames_[s].size(); ++i) {
            const Rect& f = frames_[s][i];
            if (f.size.width <= 0 || f.size.height <= 0) continue;
            if (f.intersects(rect) && !f.intersection(rect).isEmpty()) found.push_back({IndexPath{s, i}, f});
        }
    }
    return found;
}

std::optional<CollectionViewLayoutAttributes> CollectionViewFlowLayout::layoutAttributesForItemAtIndexPath(
    const IndexPath& indexPath) const {
    if (indexPath.section >= frames_.size() || indexPath.row >= frames_[indexPath.section].size()) return std::nullopt;
    return CollectionViewLayoutAttributes{indexPath, frames_[indexPath.section][indexPath.row]};
}

}  // namespace ui
