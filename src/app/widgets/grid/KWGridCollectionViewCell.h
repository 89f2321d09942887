#pragma once

// The square cell of a thumbnail grid: the thumbnail fills it, its title (when
// it has one) sits on a dark band along the thumbnail's bottom, and the cell
// is framed in white while selected (the item last chosen). The keyboard's
// focus ring, which the grid draws around a cell in the tint colour, is a
// look of its own, so the two never read as one.

#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/lists/CollectionViewCell.h"

#include <memory>
#include <string>

class KWGridCollectionViewCell : public ui::CollectionViewCell {
public:
    // The band under the title: dark enough for white text over any picture.
    static inline const graphics::Color kTitleBandColor = graphics::Color::grey(0.0, 0.65);
    static inline const graphics::Color kTitleColor = graphics::Color::white();
    static constexpr double kTitleBandHeight = 24;
    static inline const graphics::Color kSelectionFrameColor = graphics::Color::grey(1.0, 0.9);

    KWGridCollectionViewCell();
    explicit KWGridCollectionViewCell(const graphics::Rect& frame);

    ui::ImageView& imageViewThumbnail() const { return *imageViewThumbnail_; }
    ui::Label& titleLabel() const { return *titleLabel_; }
    ui::View& titleBand() const { return *titleBand_; }
    // An empty title hides the band.
    void setTitle(const std::string& title);

    void prepareForReuse() override;
    void layoutSubviews() override;

private:
    void setUp();

    std::shared_ptr<ui::ImageView> imageViewThumbnail_;
    std::shared_ptr<ui::View> titleBand_;
    std::shared_ptr<ui::Label> titleLabel_;
};
