#pragma once

// One thumbnail of the picker's grid: the picture, a selection overlay
// (hidden while not selected) and, for videos, a bar with the duration. A
// tap toggles the selection and tells the grid.

#include "platform/graphics/Image.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {
class ImageView;
class Label;
}  // namespace ui

class ELCAsset : public ui::View {
public:
    using SelectBlock = std::function<void(ELCAsset& asset)>;

    // Height of the video bar along the top.
    static constexpr double kVideoBarHeight = 15.0;

    ELCAsset();
    ~ELCAsset() override;

    const std::optional<library::PhotoAsset>& asset() const { return asset_; }
    void setAsset(std::optional<library::PhotoAsset> asset) { asset_ = std::move(asset); }

    const SelectBlock& didSelectAssetBlock() const { return didSelectAssetBlock_; }
    void setDidSelectAssetBlock(SelectBlock block) { didSelectAssetBlock_ = std::move(block); }

    // Flips the selection and tells didSelectAssetBlock.
    void toggleSelection();
    // The overlay's visibility is the selection.
    bool isSelected() const;
    void setSelected(bool selected);

    // Shows the thumbnail on its red ground and, when given, the video bar
    // with the duration text.
    void showThumbnail(const graphics::Image& thumbnail, std::optional<std::string> durationText);

    ui::ImageView* imageView() const { return imageView_.get(); }
    ui::ImageView* overlayView() const { return overlayView_.get(); }
    ui::View* videoView() const { return videoView_.get(); }
    ui::Label* labelDuration() const { return labelDuration_.get(); }

private:
    std::optional<library::PhotoAsset> asset_;
    SelectBlock didSelectAssetBlock_;
    std::shared_ptr<ui::ImageView> overlayView_;
    std::shared_ptr<ui::ImageView> imageView_;
    std::shared_ptr<ui::View> videoView_;
    std::shared_ptr<ui::Label> labelDuration_;
};
