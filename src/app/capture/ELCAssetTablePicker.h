#pragma once

// The thumbnail grid of one album: four to a row, oldest first and scrolled
// to the newest, with a spacer row on top and a count row at the bottom.
// With multiple selection the picked assets are kept in the order they were
// picked and handed over by Done; with single selection the first tap hands
// over its asset.

#include "app/capture/ELCAsset.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ui {
class BarButtonItem;
}

class ELCAssetTablePicker : public ui::ViewController, private ui::TableViewDataSource, private ui::TableViewDelegate {
public:
    using FinishBlock = std::function<void(const std::vector<library::PhotoAsset>& assets)>;

    static constexpr size_t kAssetsPerRow = 4;
    static constexpr double kSpacerRowHeight = 2.0;  // cellPadding · 0.5
    static constexpr double kAssetRowHeight = 79.0;
    static constexpr double kCountRowHeight = 50.0;

    ELCAssetTablePicker();
    ~ELCAssetTablePicker() override;

    void setIsVideoPicker(bool isVideoPicker) { isVideoPicker_ = isVideoPicker; }
    bool isVideoPicker() const { return isVideoPicker_; }
    void setMultiSelection(bool multiSelection) { multiSelection_ = multiSelection; }
    bool multiSelection() const { return multiSelection_; }
    void setDidFinishSelectingAssets(FinishBlock block) { didFinishSelectingAssets_ = std::move(block); }
    void setAssetsGroup(library::PhotoGroup group);
    const std::optional<library::PhotoGroup>& assetsGroup() const { return assetsGroup_; }

    // Hands a copy of the picked assets, in picking order, to didFinishSelectingAssets.
    void doneAction();
    void actionSelectAll();
    void actionDeselectAll();
    void actionInverse();

    size_t totalSelectedAssets() const;
    // The thumbnails of a grid row (table row minus one).
    std::vector<std::shared_ptr<ELCAsset>> assetsForIndexPath(const ui::IndexPath& indexPath) const;
    static size_t assetsPerRow() { return kAssetsPerRow; }
    void scrollTableViewToBottom();

    ui::TableView* tableView() const { return table_.get(); }
    const std::vector<std::shared_ptr<ELCAsset>>& assets() const { return assets_; }
    const std::vector<library::PhotoAsset>& selectedAssets() const { return selectedAssetsImages_; }
    std::shared_ptr<ui::BarButtonItem> doneButton() const { return doneButton_; }
    // True once the thumbnails have been filled in.
    bool isLoaded() const { return loaded_; }

    void loadView() override;
    void viewDidLoad() override;

private:
    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    std::optional<double> heightForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

    // The rule run after every toggle of a thumbnail.
    void assetToggled(ELCAsset& asset);
    void updateTitle();
    void showLoadedAssets(std::vector<library::PhotoAsset> assets, std::vector<graphics::Image> thumbnails);

    bool isVideoPicker_ = false;
    bool multiSelection_ = false;
    std::optional<library::PhotoGroup> assetsGroup_;
    std::vector<std::shared_ptr<ELCAsset>> assets_;
    FinishBlock didFinishSelectingAssets_;
    ELCAsset::SelectBlock didSelectAssetBlock_;
    std::vector<library::PhotoAsset> selectedAssetsImages_;
    std::shared_ptr<ui::TableView> table_;
    std::shared_ptr<ui::BarButtonItem> doneButton_;
    bool loaded_ = false;
};
