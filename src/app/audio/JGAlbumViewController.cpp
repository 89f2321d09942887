#include "app/audio/JGAlbumViewController.h"

#include "app/audio/JGAlbumTrackTableViewCell.h"
#include "app/audio/PickerArtwork.h"
#include "app/audio/PickerCancelButton.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/library/MusicLibrary.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"

#include <cstdio>

using foundation::localized;

std::string albumTrackCountText(size_t count, double playbackLengthSeconds) {
    char text[96];
    const long minutes = static_cast<long>(playbackLengthSeconds > 0 ? playbackLengthSeconds : 0) / 60;
    std::snprintf(text, sizeof text, "%d %s, %ld Mins.", static_cast<int>(count), localized("Songs").c_str(), minutes);
    return text;
}

JGAlbumViewController::JGAlbumViewController() : ui::ViewController("JGAlbumViewController") {
    preview_.onFinished = [this] {
        if (tableView_) tableView_->reloadData();
    };
}

JGAlbumViewController::~JGAlbumViewController() {
    preview_.stop();
    if (tableView_) {
        tableView_->setDataSource(nullptr);
        tableView_->setDelegate(nullptr);
    }
}

void JGAlbumViewController::setAlbumCollection(library::MediaItemCollectionPtr collection) {
    if (collection == albumCollection_) return;
    albumCollection_ = std::move(collection);
    if (tableView_) tableView_->reloadData();
    if (isViewLoaded()) updateUI();
}

void JGAlbumViewController::loadView() {
    const graphics::Size size = preferredContentSize;
    auto root = ui::makeView<ui::View>(graphics::Rect(0, 0, size.width, size.height));
    root->setBackgroundColor(graphics::Color::white());

    auto art = ui::makeView<ui::ImageView>(graphics::Rect(15, 15, kArtworkSize, kArtworkSize));
    art->setContentMode(ui::ContentMode::ScaleAspectFit);
    albumArtImageView_ = art.get();
    root->addSubview(art);
    const double textX = 15 + kArtworkSize + 15, textWidth = size.width - textX - 15;
    auto label = [&](double y, const graphics::Font& font, graphics::Color color) {
        auto made = ui::makeView<ui::Label>(graphics::Rect(textX, y, textWidth, 22));
        made->setFont(font);
        made->setTextColor(color);
        made->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
        root->addSubview(made);
        return made.get();
    };
    albumArtistLabel_ = label(20, graphics::Font::systemFont(15), graphics::Color::grey(0.4));
    albumTitleLabel_ = label(44, graphics::Font::boldSystemFont(18), graphics::Color::black());
    albumReleaseDateLabel_ = label(74, graphics::Font::systemFont(13), graphics::Color::grey(0.5));
    albumTrackCountTimeLabel_ = label(96, graphics::Font::systemFont(13), graphics::Color::grey(0.5));

    auto table = ui::makeView<ui::TableView>(graphics::Rect(0, kHeaderHeight, size.width, size.height - kHeaderHeight),
                                             ui::TableViewStyle::Plain);
    table->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    table->setSeparatorColor(graphics::Color::grey(236.0 / 255.0));
    table->setDataSource(this);
    table->setDelegate(this);
    tableView_ = table.get();
    root->addSubview(table);
    setView(root);
}

void JGAlbumViewController::viewDidLoad() {
    auto weak = foundation::weakFrom(this);
    if (showsCancelButton) {
        showPickerCancelButton(navigationItem(), [weak] {
            auto self = weak.lock();
            if (self && self->delegate_) self->delegate_->jgAlbumViewControllerDidCancel(*self);
        });
    }
    libraryObserver_ = foundation::NotificationCenter::defaultCenter().addObserver(
        library::MusicLibrary::kDidChangeNotification, nullptr, [weak](const foundation::Notification&) {
            if (auto self = weak.lock()) self->mediaLibraryDidChange();
        });
    updateUI();
}

void JGAlbumViewController::viewWillAppear(bool animated) {
    ui::ViewController::viewWillAppear(animated);
    updateUI();
}

void JGAlbumViewController::viewWillDisappear(bool animated) {
    ui::ViewController::viewWillDisappear(animated);
    preview_.stop();
}

void JGAlbumViewController::updateUI() {
    if (!albumCollection_ || !isViewLoaded()) return;
    const library::MediaItemPtr item = albumCollection_->representativeItem();
    if (!item) return;
    setTitle(item->artist);
    albumArtistLabel_->setText(item->artist);
    albumTitleLabel_->setText(item->albumTitle);
    albumArtImageView_->setImage(albumArtwork(item.get(), albumArtImageView_->bounds().size, true));
    const std::string year = item->releaseYearString();
    albumReleaseDateLabel_->setText(year.empty() ? std::string() : localized("Released") + " " + year);
    albumTrackCountTimeLabel_->setText(
        albumTrackCountText(albumCollection_->count(), albumCollection_->playbackLength()));
}

void JGAlbumViewController::actionPlayButton(size_t row) {
    if (!albumCollection_ || row >= albumCollection_->count()) return;
    const library::MediaItemPtr& item = albumCollection_->items()[row];
    if (item->assetURL) preview_.toggle(static_cast<int64_t>(row), *item->assetURL);
    tableView_->reloadData();
}

size_t JGAlbumViewController::numberOfRowsInSection(ui::TableView&, size_t) {
    return albumCollection_ ? albumCollection_->count() : 0;
}

ui::TableViewCellPtr JGAlbumViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                  const ui::IndexPath& indexPath) {
    auto weak = foundation::weakFrom(this);
    auto cell = JGAlbumTrackTableViewCell::dequeue(tableView, this, [weak](size_t row) {
        if (auto self = weak.lock()) self->actionPlayButton(row);
    });
    const library::MediaItemPtr& item = albumCollection_->items()[indexPath.row];
    char number[24];
    std::snprintf(number, sizeof number, "%d", item->trackNumber);
    cell->showTrack(number, item->title, library::trackLengthString(item->playbackDuration), indexPath.row,
                    static_cast<int64_t>(indexPath.row) == preview_.currentPlayedItemIndex(),
                    allowsSelectionOfNonPlayableItem || item->isPlayable());
    return cell;
}

std::optional<ui::IndexPath> JGAlbumViewController::willSelectRowAtIndexPath(ui::TableView&,
                                                                             const ui::IndexPath& indexPath) {
    if (!albumCollection_ || indexPath.row >= albumCollection_->count()) return std::nullopt;
    if (!allowsSelectionOfNonPlayableItem && !albumCollection_->items()[indexPath.row]->isPlayable())
        return std::nullopt;
    return indexPath;
}

void JGAlbumViewController::didSelectRowAtIndexPath(ui::TableView&, const ui::IndexPath& indexPath) {
    if (!albumCollection_ || indexPath.row >= albumCollection_->count()) return;
    if (delegate_) delegate_->jgAlbumViewController(*this, albumCollection_, albumCollection_->items()[indexPath.row]);
}
