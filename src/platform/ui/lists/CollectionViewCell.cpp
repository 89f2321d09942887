#include "platform/ui/lists/CollectionViewCell.h"

namespace ui {

CollectionViewCell::CollectionViewCell() { setUp(); }

CollectionViewCell::CollectionViewCell(const graphics::Rect& frame) : View(frame) { setUp(); }

CollectionViewCell::~CollectionViewCell() = default;

void CollectionViewCell::setUp() {
    contentView_ = makeView<View>(bounds());
    contentView_->setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight);
    addSubview(contentView_);
}

void CollectionViewCell::setBackgroundView(ViewPtr view) {
    if (backgroundView_) backgroundView_->removeFromSuperview();
    backgroundView_ = std::move(view);
    if (backgroundView_) insertSubviewAtIndex(backgroundView_, 0);
    setNeedsLayout();
}

void CollectionViewCell::setSelectedBackgroundView(ViewPtr view) {
    if (selectedBackgroundView_) selectedBackgroundView_->removeFromSuperview();
    selectedBackgroundView_ = std::move(view);
    updateSelectedBackground();
}

void CollectionViewCell::setSelected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    updateSelectedBackground();
}

void CollectionViewCell::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) return;
    highlighted_ = highlighted;
    updateSelectedBackground();
}

void CollectionViewCell::updateSelectedBackground() {
    if (!selectedBackgroundView_) return;
    bool shown = selected_ || highlighted_;
    if (shown && selectedBackgroundView_->superview() != this) {
        insertSubviewBelowSubview(selectedBackgroundView_, contentView_.get());
        selectedBackgroundView_->setFrame(bounds());
    } else if (!shown && selectedBackgroundView_->superview() == this) {
        selectedBackgroundView_->removeFromSuperview();
    }
}

void CollectionViewCell::layoutSubviews() {
    graphics::Rect b = bounds();
    contentView_->setFrame(b);
    if (backgroundView_) backgroundView_->setFrame(b);
    if (selectedBackgroundView_) selectedBackgroundView_->setFrame(b);
}

}  // namespace ui
