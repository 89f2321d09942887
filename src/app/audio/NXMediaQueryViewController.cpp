#include "app/audio/NXMediaQueryViewController.h"

#include "app/audio/JGAlbumTrackTableViewCell.h"
#include "app/audio/PickerCancelButton.h"
#include "platform/foundation/Collation.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Color.h"
#include "platform/library/MusicLibrary.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>
#include <filesystem>

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<NXMediaPickerItemPtr> listAudioFolder(const std::string& folder) {
    std::vector<NXMediaPickerItemPtr> items;
    for (const std::string& name : folderEntries(folder)) {
        if (!library::isAudioFileName(name)) continue;
        if (auto item = NXMediaPickerItem::create(foundation::path::appending(folder, name))) items.push_back(item);
    }
    std::stable_sort(items.begin(), items.end(), [](const NXMediaPickerItemPtr& a, const NXMediaPickerItemPtr& b) {
        return foundation::localizedCaseInsensitiveCompare(a->title, b->title) < 0;
    });
    return items;
}

NXMediaQueryViewController::NXMediaQueryViewController() : ui::ViewController("NXMediaQueryViewController") {
    preview_.onFinished = [this] {
        if (tableView_) tableView_->reloadData();
    };
}

NXMediaQueryViewController::~NXMediaQueryViewController() {
    preview_.stop();
    if (tableView_) {
        tableView_->setDataSource(nullptr);
        tableView_->setDelegate(nullptr);
    }
}

void NXMediaQueryViewController::updateLibraryFromFolderAtPath(const std::optional<std::string>& path) {
    if (!path) return;
    mediaItemsCollection_ = listAudioFolder(*path);
    if (tableView_) tableView_->reloadData();
}

void NXMediaQueryViewController::loadView() {
    auto table = ui::makeView<ui::TableView>(
        graphics::Rect(0, 0, preferredContentSize.width, preferredContentSize.height), ui::TableViewStyle::Plain);
    table->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    table->setSeparatorColor(graphics::Color::grey(236.0 / 255.0));
    table->setDataSource(this);
    table->setDelegate(this);
    tableView_ = table.get();
    setView(table);
}

void NXMediaQueryViewController::viewDidLoad() {
    if (showsCancelButton) {
        showPickerCancelButton(navigationItem(), [weak = foundation::weakFrom(this)] {
            auto self = weak.lock();
            if (self && self->delegate_) self->delegate_->nxMediaQueryViewControllerDidCancel(*self);
        });
    }
    updateLibraryFromFolderAtPath(queryFolder_);
}

void NXMediaQueryViewController::viewWillDisappear(bool animated) {
    ui::ViewController::viewWillDisappear(animated);
    preview_.stop();
    if (tableView_) tableView_->reloadData();
}

void NXMediaQueryViewController::actionPlayButton(size_t row) {
    if (row >= mediaItemsCollection_.size()) return;
    preview_.toggle(static_cast<int64_t>(row), mediaItemsCollection_[row]->URL);
    tableView_->reloadData();
}

size_t NXMediaQueryViewController::numberOfRowsInSection(ui::TableView&, size_t) {
    return mediaItemsCollection_.size();
}

ui::TableViewCellPtr NXMediaQueryViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                       const ui::IndexPath& indexPath) {
    auto weak = foundation::weakFrom(this);
    auto cell = JGAlbumTrackTableViewCell::dequeue(tableView, this, [weak](size_t row) {
        if (auto self = weak.lock()) self->actionPlayButton(row);
    });
    const NXMediaPickerItemPtr& item = mediaItemsCollection_[indexPath.row];
    cell->showTrack(std::to_string(indexPath.row + 1) + ".", item->title, item->getDuration(), indexPath.row,
                    static_cast<int64_t>(indexPath.row) == preview_.currentPlayedItemIndex());
    return cell;
}

void NXMediaQueryViewController::didSelectRowAtIndexPath(ui::TableView&, const ui::IndexPath& indexPath) {
    if (indexPath.row >= mediaItemsCollection_.size() || !delegate_) return;
    const NXMediaPickerItemPtr item = mediaItemsCollection_[indexPath.row];
    delegate_->nxMediaQueryViewController(*this, std::vector<NXMediaPickerItemPtr>{item}, item);
}

unsigned NXMediaQueryViewController::supportedInterfaceOrientations() const { return ui::OrientationMaskLandscape; }
