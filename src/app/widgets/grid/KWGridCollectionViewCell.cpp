#include "app/widgets/grid/KWGridCollectionViewCell.h"

#include <algorithm>

using graphics::Color;
using graphics::Rect;

namespace {
// Room around the thumbnail for the selection frame to show.
constexpr double kThumbnailInset = 4;
constexpr double kCornerRadius = 6;
}  // namespace

KWGridCollectionViewCell::KWGridCollectionViewCell() { setUp(); }

KWGridCollectionViewCell::KWGridCollectionViewCell(const Rect& frame) : CollectionViewCell(frame) { setUp(); }

void KWGridCollectionViewCell::setUp() {
    imageViewThumbnail_ = ui::makeView<ui::ImageView>();
    imageViewThumbnail_->setContentMode(ui::ContentMode::ScaleAspectFill);
    imageViewThumbnail_->setClipsToBounds(true);
    imageViewThumbnail_->setBackgroundColor(Color::rgb(0.86, 0.87, 0.89));
    imageViewThumbnail_->layer().setCornerRadius(kCornerRadius - 2);
    contentView().addSubview(imageViewThumbnail_);

    auto selection = ui::makeView<ui::View>(bounds());
    selection->setBackgroundColor(Color::rgb(0.16, 0.50, 0.96));
    selection->layer().setCornerRadius(kCornerRadius);
    setSelectedBackgroundView(selection);
}

void KWGridCollectionViewCell::layoutSubviews() {
    CollectionViewCell::layoutSubviews();
    // Cells are made at no size and sized by the layout later.
    Rect content = contentView().bounds();
    double inset = std::min(kThumbnailInset, std::min(content.width(), content.height()) / 2);
    imageViewThumbnail_->setFrame(content.insetBy(inset, inset));
}

void KWGridCollectionViewCell::prepareForReuse() { imageViewThumbnail_->setImage(graphics::Image()); }
