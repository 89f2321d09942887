#include "app/widgets/grid/KWGridCollectionViewCell.h"

#include <algorithm>

using graphics::Color;
using graphics::Rect;

namespace {
// Room around the thumbnail for the selection frame to show.
constexpr double kThumbnailInset = 4;
constexpr double kCornerRadius = 6;
constexpr double kTitleMargin = 6;
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

    // Inside the thumbnail so the band follows its rounded corners.
    titleBand_ = ui::makeView<ui::View>();
    titleBand_->setBackgroundColor(kTitleBandColor);
    titleBand_->setHidden(true);
    imageViewThumbnail_->addSubview(titleBand_);
    titleLabel_ = ui::makeView<ui::Label>();
    titleLabel_->setFont(graphics::Font::boldSystemFont(13));
    titleLabel_->setTextColor(kTitleColor);
    titleLabel_->setTextAlignment(graphics::TextAlignment::Center);
    titleLabel_->setLineBreakMode(graphics::LineBreakMode::TruncateTail);
    titleBand_->addSubview(titleLabel_);

    auto selection = ui::makeView<ui::View>(bounds());
    selection->setBackgroundColor(kSelectionFrameColor);
    selection->layer().setCornerRadius(kCornerRadius);
    // Edged, so the white shows on a light grid too.
    selection->layer().setBorderWidth(1);
    selection->layer().setBorderColor(graphics::Color::grey(0.0, 0.35));
    setSelectedBackgroundView(selection);
}

void KWGridCollectionViewCell::setTitle(const std::string& title) {
    titleLabel_->setText(title);
    titleBand_->setHidden(title.empty());
}

void KWGridCollectionViewCell::layoutSubviews() {
    CollectionViewCell::layoutSubviews();
    // Cells are made at no size and sized by the layout later.
    Rect content = contentView().bounds();
    double inset = std::min(kThumbnailInset, std::min(content.width(), content.height()) / 2);
    imageViewThumbnail_->setFrame(content.insetBy(inset, inset));
    Rect thumbnail = imageViewThumbnail_->bounds();
    double band = std::min(kTitleBandHeight, thumbnail.height());
    titleBand_->setFrame(Rect(0, thumbnail.height() - band, thumbnail.width(), band));
    titleLabel_->setFrame(titleBand_->bounds().insetBy(std::min(kTitleMargin, thumbnail.width() / 2), 0));
}

void KWGridCollectionViewCell::prepareForReuse() {
    imageViewThumbnail_->setImage(graphics::Image());
    setTitle(std::string());
}
