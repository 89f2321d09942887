#include "app/capture/ELCAssetCell.h"

ELCAssetCell::ELCAssetCell(std::string reuseIdentifier)
    : ui::TableViewCell(ui::TableViewCellStyle::Default, std::move(reuseIdentifier)) {}

void ELCAssetCell::setAssets(std::vector<std::shared_ptr<ELCAsset>> assets) {
    for (const ui::ViewPtr& view : std::vector<ui::ViewPtr>(subviews()))
        if (view->tag() == kAssetTag) view->removeFromSuperview();
    assets_ = std::move(assets);
    setNeedsLayout();
}

void ELCAssetCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    const double padding = cellPadding();
    const double width = bounds().size.width * 0.25 - 5.0;
    const double height = bounds().size.height - padding;
    double x = padding;
    for (const auto& asset : assets_) {
        asset->setFrame(graphics::Rect(x, padding * 0.5, width, height));
        asset->setDidSelectAssetBlock(didSelectAssetBlock_);
        asset->setTag(kAssetTag);
        if (asset->superview() != this) addSubview(asset);
        x += width + padding;
    }
}
