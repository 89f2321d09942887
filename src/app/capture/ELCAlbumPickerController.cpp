#include "app/capture/ELCAlbumPickerController.h"

#include "app/capture/ELCAssetTablePicker.h"
#include "app/capture/ELCImagePickerStrings.h"
#include "app/widgets/alerts/AlertView.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>

namespace {

constexpr const char* kCellIdentifier = "Cell";

}  // namespace

ELCAlbumPickerController::ELCAlbumPickerController(library::PhotoLibrary library) : library_(std::move(library)) {}

ELCAlbumPickerController::~ELCAlbumPickerController() {
    if (table_) {
        table_->setDataSource(nullptr);
        table_->setDelegate(nullptr);
    }
}

library::AssetsFilter ELCAlbumPickerController::filter() const {
    return isVideoPicker_ ? library::AssetsFilter::AllVideos : library::AssetsFilter::AllPhotos;
}

void ELCAlbumPickerController::loadView() {
    table_ = ui::makeView<ui::TableView>(graphics::Rect(0, 0, 540, 620), ui::TableViewStyle::Plain);
    table_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    table_->setDataSource(this);
    table_->setDelegate(this);
    setView(table_);
}

void ELCAlbumPickerController::viewDidLoad() {
    setTitle(elcLocalized("AlbumsKey"));
    auto weak = foundation::weakFrom(this);
    navigationItem().setLeftBarButtonItem(
        std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Cancel, [weak](ui::BarButtonItem&) {
            if (auto self = weak.lock()) self->cancel();
        }));
    library_.enumerateGroups(
        library::kAssetsGroupAll,
        [weak](const std::optional<library::PhotoGroup>& group, bool*) {
            auto self = weak.lock();
            if (!self) return;
            if (group)
                self->addGroup(*group);
            else
                self->loaded_ = true;
        },
        [weak](const foundation::Error& error) {
            if (auto self = weak.lock()) {
                self->loaded_ = true;
                self->showAccessFailure(error);
            }
        });
}

void ELCAlbumPickerController::viewWillAppear(bool animated) {
    ui::ViewController::viewWillAppear(animated);
    if (auto* navigation = navigationController()) navigation->setToolbarHidden(true, animated);
}

void ELCAlbumPickerController::addGroup(library::PhotoGroup group) {
    assetGroups_.push_back(std::move(group));
    // Higher group types first: saved photos before ordinary albums.
    std::stable_sort(assetGroups_.begin(), assetGroups_.end(),
                     [](const library::PhotoGroup& a, const library::PhotoGroup& b) { return a.type() > b.type(); });
    table_->reloadData();
}

void ELCAlbumPickerController::showAccessFailure(const foundation::Error& error) {
    std::string message = error.localizedDescription();
    // This system offers no link to the application's settings, so a refusal
    // explains where to allow access instead.
    if (error.code == library::kAssetsLibraryAccessUserDeniedError ||
        error.code == library::kAssetsLibraryAccessGloballyDeniedError) {
        message = foundation::localized(
            "The app needs access to your camera roll in order save data. Go to system settings -> privacy -> photos "
            "and enable access for this app.");
    }
    auto alert = AlertView::create(elcLocalized("TitleKey"), message);
    alert->addButtonWithTitle(foundation::localized("Dismiss"), {});
    alert->show();
}

size_t ELCAlbumPickerController::numberOfRowsInSection(ui::TableView&, size_t) { return assetGroups_.size(); }

std::optional<double> ELCAlbumPickerController::heightForRowAtIndexPath(ui::TableView&, const ui::IndexPath&) {
    return kRowHeight;
}

ui::TableViewCellPtr ELCAlbumPickerController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                     const ui::IndexPath& indexPath) {
    auto cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Value1, kCellIdentifier);
    library::PhotoGroup& group = assetGroups_[indexPath.row];
    group.setAssetsFilter(filter());
    cell->textLabel()->setText(group.name());
    cell->detailTextLabel()->setText(elcCountText(isVideoPicker_, group.numberOfAssets()));
    cell->detailTextLabel()->setTextColor(graphics::Color::gray());
    cell->imageView()->setImage(group.posterImage());
    cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    return cell;
}

void ELCAlbumPickerController::didSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) {
    tableView.deselectRowAtIndexPath(indexPath, true);
    openGroupAtIndex(indexPath.row);
}

std::shared_ptr<ELCAssetTablePicker> ELCAlbumPickerController::openGroupAtIndex(size_t index) {
    if (index >= assetGroups_.size()) return nullptr;
    auto grid = std::make_shared<ELCAssetTablePicker>();
    grid->setIsVideoPicker(isVideoPicker_);
    grid->setMultiSelection(multiSelection_);
    grid->setAssetsGroup(assetGroups_[index]);
    auto weak = foundation::weakFrom(this);
    grid->setDidFinishSelectingAssets([weak](const std::vector<library::PhotoAsset>& assets) {
        auto self = weak.lock();
        if (self && self->didFinishPickMedia_) self->makeMediaInfoWithAssets(assets);
    });
    if (auto* navigation = navigationController()) navigation->pushViewController(grid, true);
    return grid;
}

void ELCAlbumPickerController::makeMediaInfoWithAssets(const std::vector<library::PhotoAsset>& assets) {
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::global().async([weak, assets] {
        foundation::DispatchQueue::main().async([weak, copy = assets] {
            auto self = weak.lock();
            if (self && self->didFinishPickMedia_) {
                PickBlock block = self->didFinishPickMedia_;
                block(copy);
            }
        });
    });
}

void ELCAlbumPickerController::cancel() {
    if (CancelBlock block = didCancelPickMedia_) block();
    // The sheet is the navigation controller this list sits in.
    ui::ViewController* sheet =
        navigationController() ? static_cast<ui::ViewController*>(navigationController()) : this;
    if (sheet->presentingViewController()) sheet->dismissViewController(true);
}
