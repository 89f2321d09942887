#include "app/audio/JGMediaQueryViewController.h"

#include "app/audio/JGAlbumViewController.h"
#include "app/audio/PickerArtwork.h"
#include "app/audio/PickerCancelButton.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"

namespace {

const char* reuseIdentifierFor(int queryType) {
    switch (queryType) {
        case JGMediaQueryViewController::kPlaylists:
            return "PlaylistCell";
        case JGMediaQueryViewController::kArtists:
            return "ArtistCell";
        case JGMediaQueryViewController::kSongs:
            return "SongCell";
        default:
            return "AlbumCell";
    }
}

const char* emptyTextFor(int queryType) {
    switch (queryType) {
        case JGMediaQueryViewController::kPlaylists:
            return "No playlists";
        case JGMediaQueryViewController::kArtists:
            return "No artists";
        case JGMediaQueryViewController::kSongs:
            return "No songs";
        default:
            return "No albums";
    }
}

}  // namespace

std::string songDetailText(const std::string& albumTitle, const std::string& artist) {
    if (albumTitle.empty()) return artist;
    if (artist.empty()) return albumTitle;
    return albumTitle + " - " + artist;
}

JGMediaQueryViewController::JGMediaQueryViewController() : ui::ViewController("JGMediaQueryViewController") {}

JGMediaQueryViewController::~JGMediaQueryViewController() {
    libraryObserver_.reset();
    if (observedLibrary_) observedLibrary_->endGeneratingLibraryChangeNotifications();
    if (itemTableView_) {
        itemTableView_->setDataSource(nullptr);
        itemTableView_->setDelegate(nullptr);
    }
}

void JGMediaQueryViewController::setQueryType(int queryType) {
    queryType_ = queryType;
    updateItems();
}

void JGMediaQueryViewController::setMediaQuery(library::MediaQueryPtr query) {
    if (query == mediaQuery_) return;
    mediaQuery_ = std::move(query);
    updateItems();
}

void JGMediaQueryViewController::updateItems() {
    if (!mediaQuery_) return;
    items_ = mediaQuery_->collections();
    itemSections_.reset();
    if ((queryType_ == kArtists || queryType_ == kAlbums || queryType_ == kSongs) &&
        items_.size() >= kMinimumItemsForSections) {
        auto sections = mediaQuery_->collectionSections();
        if (sections.size() >= 2) itemSections_ = std::move(sections);
    }
    if (itemTableView_) {
        itemTableView_->reloadData();
        showEmptyListText();
    }
}

std::optional<std::string> JGMediaQueryViewController::emptyListText() const {
    if (!mediaQuery_ || !items_.empty()) return std::nullopt;
    return foundation::localized(emptyTextFor(queryType_));
}

void JGMediaQueryViewController::showEmptyListText() {
    const std::optional<std::string> text = emptyListText();
    if (!text) {
        if (emptyLabel_) emptyLabel_->setHidden(true);
        return;
    }
    if (!emptyLabel_) {
        emptyLabel_ = ui::makeView<ui::Label>(itemTableView_->bounds());
        emptyLabel_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
        emptyLabel_->setTextAlignment(graphics::TextAlignment::Center);
        emptyLabel_->setTextColor(graphics::Color::grey(0.5));
        emptyLabel_->setFont(graphics::Font::systemFont(17));
        itemTableView_->setBackgroundView(emptyLabel_);
    }
    emptyLabel_->setText(*text);
    emptyLabel_->setHidden(false);
}

library::MediaItemCollectionPtr JGMediaQueryViewController::itemAtIndexPath(const ui::IndexPath& indexPath) const {
    size_t index = indexPath.row;
    if (itemSections_) {
        if (indexPath.section >= itemSections_->size()) return nullptr;
        index += (*itemSections_)[indexPath.section].location;
    }
    return index < items_.size() ? items_[index] : nullptr;
}

void JGMediaQueryViewController::notifyDelegateOfSelection(const library::MediaItemCollectionPtr& collection,
                                                           const library::MediaItemPtr& selectedItem) {
    if (delegate_) delegate_->jgMediaQueryViewController(*this, collection, selectedItem);
}

void JGMediaQueryViewController::notifyDelegateOfCancellation() {
    if (delegate_) delegate_->jgMediaQueryViewControllerDidCancel(*this);
}

void JGMediaQueryViewController::cancelButtonTap() { notifyDelegateOfCancellation(); }

void JGMediaQueryViewController::mediaLibraryDidChange() { updateItems(); }

void JGMediaQueryViewController::jgAlbumViewController(JGAlbumViewController&,
                                                       const library::MediaItemCollectionPtr& didPickMediaItems,
                                                       const library::MediaItemPtr& selectedItem) {
    notifyDelegateOfSelection(didPickMediaItems, selectedItem);
}

void JGMediaQueryViewController::jgAlbumViewControllerDidCancel(JGAlbumViewController&) {
    notifyDelegateOfCancellation();
}

void JGMediaQueryViewController::jgMediaQueryViewController(JGMediaQueryViewController&,
                                                            const library::MediaItemCollectionPtr& didPickMediaItems,
                                                            const library::MediaItemPtr& selectedItem) {
    notifyDelegateOfSelection(didPickMediaItems, selectedItem);
}

void JGMediaQueryViewController::jgMediaQueryViewControllerDidCancel(JGMediaQueryViewController&) {
    notifyDelegateOfCancellation();
}

// ---- view --------------------------------------------------------------------------

void JGMediaQueryViewController::loadView() {
    auto table = ui::makeView<ui::TableView>(
        graphics::Rect(0, 0, preferredContentSize.width, preferredContentSize.height), ui::TableViewStyle::Plain);
    table->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    table->setDataSource(this);
    table->setDelegate(this);
    itemTableView_ = table.get();
    setView(table);
}

void JGMediaQueryViewController::viewDidLoad() {
    if (showsCancelButton) {
        showPickerCancelButton(navigationItem(), [weak = foundation::weakFrom(this)] {
            if (auto self = weak.lock()) self->cancelButtonTap();
        });
    }
    if (mediaQuery_ && !observedLibrary_) {
        observedLibrary_ = mediaQuery_->library();
        auto weak = foundation::weakFrom(this);
        libraryObserver_ = foundation::NotificationCenter::defaultCenter().addObserver(
            library::MusicLibrary::kDidChangeNotification, observedLibrary_.get(),
            [weak](const foundation::Notification&) {
                if (auto self = weak.lock()) self->mediaLibraryDidChange();
            });
        observedLibrary_->beginGeneratingLibraryChangeNotifications();
    }
    // The library may have changed between the query and now (a folder read
    // in the background): changes before the observer came are read here.
    updateItems();
}

void JGMediaQueryViewController::viewWillAppear(bool animated) {
    ui::ViewController::viewWillAppear(animated);
    if (auto selected = itemTableView_->indexPathForSelectedRow())
        itemTableView_->deselectRowAtIndexPath(*selected, animated);
}

// ---- table -------------------------------------------------------------------------

size_t JGMediaQueryViewController::numberOfSectionsInTableView(ui::TableView&) {
    return itemSections_ ? std::max<size_t>(itemSections_->size(), 1) : 1;
}

size_t JGMediaQueryViewController::numberOfRowsInSection(ui::TableView&, size_t section) {
    if (!itemSections_) return items_.size();
    return section < itemSections_->size() ? (*itemSections_)[section].length : 0;
}

std::optional<std::string> JGMediaQueryViewController::titleForHeaderInSection(ui::TableView&, size_t section) {
    if (!itemSections_ || section >= itemSections_->size()) return std::nullopt;
    return (*itemSections_)[section].title;
}

std::vector<std::string> JGMediaQueryViewController::sectionIndexTitlesForTableView(ui::TableView&) {
    std::vector<std::string> titles;
    if (itemSections_)
        for (const auto& section : *itemSections_) titles.push_back(section.title);
    return titles;
}

size_t JGMediaQueryViewController::sectionForSectionIndexTitle(ui::TableView&, const std::string& title, size_t) {
    if (!itemSections_) return 0;
    for (size_t i = 0; i < itemSections_->size(); ++i)
        if ((*itemSections_)[i].title == title) return i;
    return 0;
}

std::optional<double> JGMediaQueryViewController::heightForRowAtIndexPath(ui::TableView&, const ui::IndexPath&) {
    return (queryType_ == kAlbums || queryType_ == kAlbumList) ? 55.0 : 44.0;
}

ui::TableViewCellPtr JGMediaQueryViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                       const ui::IndexPath& indexPath) {
    const char* identifier = reuseIdentifierFor(queryType_);
    ui::TableViewCellPtr cell = tableView.dequeueReusableCellWithIdentifier(identifier);
    if (!cell) {
        const bool subtitle = queryType_ != kPlaylists && queryType_ != kArtists;
        cell = std::make_shared<ui::TableViewCell>(
            subtitle ? ui::TableViewCellStyle::Subtitle : ui::TableViewCellStyle::Default, identifier);
    }
    if (auto collection = itemAtIndexPath(indexPath)) configureCell(*cell, *collection);
    return cell;
}

void JGMediaQueryViewController::configureCell(ui::TableViewCell& cell,
                                               const library::MediaItemCollection& collection) {
    const library::MediaItemPtr item = collection.representativeItem();
    cell.setUserInteractionEnabled(true);
    cell.textLabel()->setTextColor(graphics::Color::black());
    if (cell.detailTextLabel()) cell.detailTextLabel()->setTextColor(graphics::Color::grey(0.5));
    switch (queryType_) {
        case kPlaylists: {
            const auto* playlist = dynamic_cast<const library::MediaPlaylist*>(&collection);
            cell.textLabel()->setText(playlist ? playlist->name() : std::string());
            break;
        }
        case kArtists:
            cell.textLabel()->setText(item ? item->artist : std::string());
            break;
        case kSongs:
            cell.textLabel()->setText(item ? item->title : std::string());
            cell.detailTextLabel()->setText(item ? songDetailText(item->albumTitle, item->albumArtist) : std::string());
            if (item && !allowsSelectionOfNonPlayableItem && !item->isPlayable()) {
                cell.setUserInteractionEnabled(false);
                cell.textLabel()->setTextColor(graphics::Color::lightGray());
                cell.detailTextLabel()->setTextColor(graphics::Color::lightGray());
            }
            break;
        default:
            cell.textLabel()->setText(item ? item->albumTitle : std::string());
            cell.detailTextLabel()->setText(item ? item->albumArtist : std::string());
            cell.imageView()->setImage(albumArtwork(item.get(), graphics::Size{110, 110}, false));
            break;
    }
    cell.setAccessoryType(itemSections_ || queryType_ == kSongs ? ui::TableViewCellAccessoryType::None
                                                                : ui::TableViewCellAccessoryType::DisclosureIndicator);
}

void JGMediaQueryViewController::push(std::shared_ptr<ui::ViewController> controller) {
    if (ui::NavigationController* navigation = navigationController())
        navigation->pushViewController(std::move(controller), true);
}

std::optional<ui::IndexPath> JGMediaQueryViewController::willSelectRowAtIndexPath(ui::TableView&,
                                                                                  const ui::IndexPath& indexPath) {
    if (queryType_ != kSongs || allowsSelectionOfNonPlayableItem) return indexPath;
    const library::MediaItemCollectionPtr collection = itemAtIndexPath(indexPath);
    const library::MediaItemPtr item = collection ? collection->representativeItem() : nullptr;
    if (item && !item->isPlayable()) return std::nullopt;
    return indexPath;
}

void JGMediaQueryViewController::didSelectRowAtIndexPath(ui::TableView&, const ui::IndexPath& indexPath) {
    const library::MediaItemCollectionPtr collection = itemAtIndexPath(indexPath);
    if (!collection || !mediaQuery_) return;
    const library::MediaItemPtr item = collection->representativeItem();
    auto makeList = [&](int type, library::MediaQueryPtr query, const std::string& title) {
        auto list = std::make_shared<JGMediaQueryViewController>();
        list->setTitle(title);
        list->showsCancelButton = true;
        list->allowsSelectionOfNonPlayableItem = allowsSelectionOfNonPlayableItem;
        list->setDelegate(this);
        list->queryType_ = type;
        list->setMediaQuery(std::move(query));
        return list;
    };
    switch (queryType_) {
        case kPlaylists: {
            const auto* playlist = dynamic_cast<const library::MediaPlaylist*>(collection.get());
            if (!playlist) return;
            auto query = std::make_shared<library::MediaQuery>(mediaQuery_->library(), library::MediaGrouping::Title);
            query->addFilterPredicate(library::MediaPropertyPredicate::withIdentifier(
                library::MediaProperty::PlaylistPersistentID, playlist->persistentID()));
            push(makeList(kSongs, query, playlist->name()));
            break;
        }
        case kArtists: {
            if (!item) return;
            auto query = std::make_shared<library::MediaQuery>(mediaQuery_->library(), library::MediaGrouping::Album);
            query->addFilterPredicate({library::MediaProperty::Artist, item->artist});
            push(makeList(kAlbums, query, item->artist));
            break;
        }
        case kSongs: {
            std::vector<library::MediaItemPtr> songs;
            for (const auto& row : items_)
                if (auto representative = row->representativeItem()) songs.push_back(representative);
            notifyDelegateOfSelection(std::make_shared<const library::MediaItemCollection>(std::move(songs)), item);
            break;
        }
        default: {
            auto album = std::make_shared<JGAlbumViewController>();
            album->showsCancelButton = true;
            album->allowsSelectionOfNonPlayableItem = allowsSelectionOfNonPlayableItem;
            album->setDelegate(this);
            album->setAlbumCollection(collection);
            push(album);
            break;
        }
    }
}
