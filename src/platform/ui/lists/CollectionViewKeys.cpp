// The collection view's keyboard: a focus item moved by the arrow keys and
// chosen with Return.

#include "platform/ui/lists/CollectionView.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ui {

using graphics::Rect;

std::vector<IndexPath> CollectionView::allIndexPaths() const {
    std::vector<IndexPath> paths;
    for (size_t section = 0; section < counts_.size(); ++section) {
        for (size_t item = 0; item < counts_[section]; ++item)
            paths.push_back(IndexPath::indexPathForItem(item, section));
    }
    return paths;
}

std::optional<IndexPath> CollectionView::focusTarget(const IndexPath& from, Key key) const {
    std::vector<IndexPath> paths = allIndexPaths();
    auto at = std::find(paths.begin(), paths.end(), from);
    if (at == paths.end()) return paths.empty() ? std::nullopt : std::optional(paths.front());
    if (key == Key::Left) return at == paths.begin() ? std::nullopt : std::optional(*(at - 1));
    if (key == Key::Right) return at + 1 == paths.end() ? std::nullopt : std::optional(*(at + 1));

    // Up and down: the nearest row on that side, then the item in it whose
    // centre is nearest across.
    auto here = layoutAttributesForItemAtIndexPath(from);
    if (!here) return std::nullopt;
    const Rect origin = here->frame;
    const bool up = key == Key::Up;
    std::optional<IndexPath> best;
    double bestRow = std::numeric_limits<double>::infinity(), bestAcross = bestRow;
    for (const IndexPath& path : paths) {
        auto attributes = layoutAttributesForItemAtIndexPath(path);
        if (!attributes) continue;
        const Rect& frame = attributes->frame;
        double rowDistance = up ? origin.midY() - frame.midY() : frame.midY() - origin.midY();
        // Items of the same row (centres less than half a cell apart) do not count.
        if (rowDistance < origin.height() / 2) continue;
        double across = std::fabs(frame.midX() - origin.midX());
        if (rowDistance < bestRow - 0.5 || (std::fabs(rowDistance - bestRow) <= 0.5 && across < bestAcross)) {
            best = path;
            bestRow = rowDistance;
            bestAcross = across;
        }
    }
    return best;
}

void CollectionView::setFocusedIndexPath(std::optional<IndexPath> indexPath) {
    if (indexPath && !hasItem(*indexPath)) indexPath.reset();
    focused_ = indexPath;
    placeFocusRing();
}

void CollectionView::placeFocusRing() {
    if (focused_ && !hasItem(*focused_)) focused_.reset();
    auto attributes = focused_ ? layoutAttributesForItemAtIndexPath(*focused_) : std::nullopt;
    if (!attributes) {
        if (focusRing_) focusRing_->removeFromSuperview();
        focusRing_.reset();
        return;
    }
    if (!focusRing_) {
        focusRing_ = makeView<View>();
        focusRing_->setUserInteractionEnabled(false);
        focusRing_->layer().setBorderWidth(kFocusRingWidth);
        focusRing_->layer().setCornerRadius(8);
    }
    focusRing_->layer().setBorderColor(tintColor());
    focusRing_->setFrame(attributes->frame.insetBy(-kFocusRingWidth, -kFocusRingWidth));
    if (focusRing_->superview() != this) addSubview(focusRing_);
    bringSubviewToFront(focusRing_.get());
}

void CollectionView::tintColorDidChange() {
    ScrollView::tintColorDidChange();
    if (focusRing_) focusRing_->layer().setBorderColor(tintColor());
}

bool CollectionView::handleKeyEquivalent(const KeyPress& press) {
    if (!press.text.empty()) return false;
    switch (press.key) {
        case Key::Left:
        case Key::Right:
        case Key::Up:
        case Key::Down: {
            std::optional<IndexPath> next;
            if (!focused_ || !hasItem(*focused_)) {
                // The first arrow shows where the keyboard is.
                auto selected = indexPathsForSelectedItems();
                std::vector<IndexPath> paths = allIndexPaths();
                if (!selected.empty())
                    next = selected.front();
                else if (!paths.empty())
                    next = paths.front();
            } else {
                next = focusTarget(*focused_, press.key);
            }
            if (!next) return focused_.has_value();
            setFocusedIndexPath(next);
            if (auto attributes = layoutAttributesForItemAtIndexPath(*next))
                scrollRectToVisible(attributes->frame, false);
            return true;
        }
        case Key::Return:
            if (!focused_ || !hasItem(*focused_) || !allowsSelection_) return false;
            userSelect(*focused_);
            return true;
        default:
            return ScrollView::handleKeyEquivalent(press);
    }
}

}  // namespace ui
