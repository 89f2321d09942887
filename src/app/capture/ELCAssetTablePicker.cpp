#include "app/capture/ELCAssetTablePicker.h"

#include "app/capture/ELCAssetCell.h"
#include "app/capture/ELCImagePickerStrings.h"
#include "app/core/FormatterUtil.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Lifetime.h"
#include "platform/graphics/Font.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>

namespace {

constexpr const char* kSpacerIdentifier = "WhitespaceTableViewCell";
constexpr const char* kCountIdentifier = "ELCCountTableViewCell";
constexpr const char* kAssetIdentifier = "Cell";

}  // namespace

ELCAssetTablePicker::ELCAssetTablePicker() = default;

ELCAssetTablePicker::~ELCAssetTablePicker() {
    if (table_) {
        table_->setDataSource(nullptr);
        table_->setDelegate(nullptr);
    }
}

void ELCAssetTablePicker::setAssetsGroup(library::PhotoGroup group) {
    group.setAssetsFilter(isVideoPicker_ ? library::AssetsFilter::AllVideos : library::AssetsFilter::AllPhotos);
    assetsGroup_ = std::move(group);
}

void ELCAssetTablePicker::loadView() {
    table_ = ui::makeView<ui::TableView>(graphics::Rect(0, 0, 540, 620), ui::TableViewStyle::Plain);
    table_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    setView(table_);
}

void ELCAssetTablePicker::viewDidLoad() {
    table_->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
    // The thumbnails take the taps, not the rows.
    table_->setAllowsSelection(false);

    if (multiSelection_) {
        auto weak = foundation::weakFrom(this);
        doneButton_ = std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Done, [weak](ui::BarButtonItem&) {
            if (auto self = weak.lock()) self->doneAction();
        });
        navigationItem().setRightBarButtonItem(doneButton_);
        auto button = [weak](const char* key, void (ELCAssetTablePicker::*action)()) {
            return std::make_shared<ui::BarButtonItem>(elcLocalized(key), ui::BarButtonItemStyle::Plain,
                                                       [weak, action](ui::BarButtonItem&) {
                                                           if (auto self = weak.lock()) ((*self).*action)();
                                                       });
        };
        auto space = [] {
            return std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::FlexibleSpace, nullptr);
        };
        setToolbarItems({button("+ Select All", &ELCAssetTablePicker::actionSelectAll), space(),
                         button("- Deselect All", &ELCAssetTablePicker::actionDeselectAll), space(),
                         button("Inverse Selection", &ELCAssetTablePicker::actionInverse)});
        if (auto* navigation = navigationController()) {
            navigation->setToolbarHidden(false);
            navigation->toolbar().setTranslucent(true);
        }
    }

    setTitle(elcLocalized("LoadingKey"));
    const size_t count = assetsGroup_ ? static_cast<size_t>(assetsGroup_->numberOfAssets()) : 0;
    assets_.clear();
    // The views belong to this screen, so the rule may use it directly.
    didSelectAssetBlock_ = [this](ELCAsset& asset) { assetToggled(asset); };
    for (size_t i = 0; i < count; ++i) {
        assets_.push_back(ui::makeView<ELCAsset>());
        assets_.back()->setDidSelectAssetBlock(didSelectAssetBlock_);
    }

    // Reading the album and decoding thumbnails stays off the main thread.
    auto weak = foundation::weakFrom(this);
    auto group = assetsGroup_;
    foundation::DispatchQueue::global().async([weak, group] {
        std::vector<library::PhotoAsset> found;
        std::vector<graphics::Image> thumbnails;
        if (group) {
            group->enumerateAssets([&](const library::PhotoAsset& asset, size_t, bool*) {
                found.push_back(asset);
                thumbnails.push_back(asset.thumbnail());
            });
        }
        foundation::DispatchQueue::main().async([weak, found = std::move(found), thumbnails = std::move(thumbnails)] {
            if (auto self = weak.lock()) self->showLoadedAssets(found, thumbnails);
        });
    });
}

void ELCAssetTablePicker::showLoadedAssets(std::vector<library::PhotoAsset> found,
                                           std::vector<graphics::Image> thumbnails) {
    // The album may have changed since it was counted: one view per asset found.
    while (assets_.size() < found.size()) {
        assets_.push_back(ui::makeView<ELCAsset>());
        assets_.back()->setDidSelectAssetBlock(didSelectAssetBlock_);
    }
    assets_.resize(found.size());
    // Oldest first, as the album lists them; the view opens on the newest.
    for (size_t i = 0; i < found.size(); ++i) {
        ELCAsset& view = *assets_[i];
        view.setAsset(found[i]);
        std::optional<std::string> duration;
        if (found[i].type() == library::AssetType::Video)
            duration = FormatterUtil::getFormatedDuration(found[i].duration()) + "  ";
        view.showThumbnail(thumbnails[i], duration);
    }
    loaded_ = true;
    updateTitle();
    table_->setDataSource(this);
    table_->setDelegate(this);
    table_->reloadData();
    scrollTableViewToBottom();
}

void ELCAssetTablePicker::scrollTableViewToBottom() {
    table_->layoutIfNeeded();
    const size_t rows = table_->numberOfRowsInSection(0);
    if (rows > 0)
        table_->scrollToRowAtIndexPath(ui::IndexPath{0, rows - 1}, ui::TableViewScrollPosition::Bottom, false);
}

size_t ELCAssetTablePicker::numberOfRowsInSection(ui::TableView&, size_t) {
    return (assets_.size() + kAssetsPerRow - 1) / kAssetsPerRow + 2;
}

std::optional<double> ELCAssetTablePicker::heightForRowAtIndexPath(ui::TableView& tableView,
                                                                   const ui::IndexPath& indexPath) {
    if (indexPath.row == 0) return kSpacerRowHeight;
    if (indexPath.row + 1 == numberOfRowsInSection(tableView, 0)) return kCountRowHeight;
    return kAssetRowHeight;
}

ui::TableViewCellPtr ELCAssetTablePicker::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                const ui::IndexPath& indexPath) {
    if (indexPath.row == 0) {
        auto cell = tableView.dequeueReusableCellWithIdentifier(kSpacerIdentifier);
        return cell ? cell : std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, kSpacerIdentifier);
    }
    if (indexPath.row + 1 == numberOfRowsInSection(tableView, 0)) {
        auto cell = tableView.dequeueReusableCellWithIdentifier(kCountIdentifier);
        if (!cell) cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, kCountIdentifier);
        cell->textLabel()->setText(elcCountText(isVideoPicker_, static_cast<int64_t>(assets_.size())));
        cell->textLabel()->setTextAlignment(graphics::TextAlignment::Center);
        cell->textLabel()->setTextColor(graphics::Color::gray());
        cell->textLabel()->setFont(graphics::Font::systemFont(19));
        return cell;
    }
    auto cell = std::dynamic_pointer_cast<ELCAssetCell>(tableView.dequeueReusableCellWithIdentifier(kAssetIdentifier));
    if (!cell) cell = std::make_shared<ELCAssetCell>(kAssetIdentifier);
    cell->setDidSelectAssetBlock(didSelectAssetBlock_);
    cell->setAssets(assetsForIndexPath(ui::IndexPath{0, indexPath.row - 1}));
    return cell;
}

std::vector<std::shared_ptr<ELCAsset>> ELCAssetTablePicker::assetsForIndexPath(const ui::IndexPath& indexPath) const {
    const size_t first = indexPath.row * kAssetsPerRow;
    if (first >= assets_.size()) return {};
    const size_t last = std::min(first + kAssetsPerRow, assets_.size());
    return {assets_.begin() + static_cast<std::ptrdiff_t>(first), assets_.begin() + static_cast<std::ptrdiff_t>(last)};
}

size_t ELCAssetTablePicker::totalSelectedAssets() const {
    return static_cast<size_t>(
        std::count_if(assets_.begin(), assets_.end(), [](const auto& a) { return a->isSelected(); }));
}

void ELCAssetTablePicker::updateTitle() {
    const size_t selected = totalSelectedAssets();
    if (selected == 0)
        setTitle(elcLocalized(isVideoPicker_ ? "SelectVideosKey" : "SelectPhotosKey"));
    else if (selected == 1)
        setTitle(elcLocalized(isVideoPicker_ ? "Video1" : "Photo1"));
    else
        setTitle(elcCountText(isVideoPicker_, static_cast<int64_t>(selected)));
}

void ELCAssetTablePicker::assetToggled(ELCAsset& view) {
    updateTitle();
    if (doneButton_) doneButton_->setEnabled(true);
    if (!view.asset()) return;
    const library::PhotoAsset& asset = *view.asset();
    if (multiSelection_) {
        auto found = std::find(selectedAssetsImages_.begin(), selectedAssetsImages_.end(), asset);
        if (view.isSelected() && found == selectedAssetsImages_.end()) selectedAssetsImages_.push_back(asset);
        if (!view.isSelected() && found != selectedAssetsImages_.end()) selectedAssetsImages_.erase(found);
    } else if (didFinishSelectingAssets_) {
        didFinishSelectingAssets_({asset});
    }
}

void ELCAssetTablePicker::actionSelectAll() {
    for (const auto& asset : assets_) {
        asset->setSelected(true);
        assetToggled(*asset);
    }
}

void ELCAssetTablePicker::actionDeselectAll() {
    for (const auto& asset : assets_) {
        asset->setSelected(false);
        assetToggled(*asset);
    }
}

void ELCAssetTablePicker::actionInverse() {
    for (const auto& asset : assets_) asset->toggleSelection();
}

void ELCAssetTablePicker::doneAction() {
    if (didFinishSelectingAssets_) didFinishSelectingAssets_(std::vector<library::PhotoAsset>(selectedAssetsImages_));
}
