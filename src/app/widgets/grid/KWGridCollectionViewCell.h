#pragma once

// The square cell of a thumbnail grid: the thumbnail fills it, framed by the
// tint colour while the cell is selected.

#include "platform/ui/controls/ImageView.h"
#include "platform/ui/lists/CollectionViewCell.h"

#include <memory>

class KWGridCollectionViewCell : public ui::CollectionViewCell {
public:
    KWGridCollectionViewCell();
    explicit KWGridCollectionViewCell(const graphics::Rect& frame);

    ui::ImageView& imageViewThumbnail() const { return *imageViewThumbnail_; }

    void prepareForReuse() override;
    void layoutSubviews() override;

private:
    void setUp();

    std::shared_ptr<ui::ImageView> imageViewThumbnail_;
};
