#pragma once

// One row of the picker's grid: up to four thumbnails side by side.

#include "app/capture/ELCAsset.h"
#include "platform/ui/lists/TableViewCell.h"

#include <memory>
#include <string>
#include <vector>

class ELCAssetCell : public ui::TableViewCell {
public:
    // Thumbnails carry this tag while they sit in a row.
    static constexpr int kAssetTag = 131;

    explicit ELCAssetCell(std::string reuseIdentifier);

    // Space around the thumbnails, in points.
    static double cellPadding() { return 4.0; }

    // Replaces the row's thumbnails (a reused cell drops the old ones first).
    void setAssets(std::vector<std::shared_ptr<ELCAsset>> assets);
    const std::vector<std::shared_ptr<ELCAsset>>& assets() const { return assets_; }
    void setDidSelectAssetBlock(ELCAsset::SelectBlock block) { didSelectAssetBlock_ = std::move(block); }

    void layoutSubviews() override;

private:
    std::vector<std::shared_ptr<ELCAsset>> assets_;
    ELCAsset::SelectBlock didSelectAssetBlock_;
};
