#include "platform/library/MediaQuery.h"

#include "platform/foundation/Collation.h"

#include <algorithm>
#include <map>

namespace library {

namespace {

bool sortsBefore(const std::string& a, const std::string& b) {
    return foundation::localizedCaseInsensitiveCompare(a, b) < 0;
}

}  // namespace

std::shared_ptr<MediaQuery> MediaQuery::songsQuery(MusicLibraryPtr library) {
    return std::make_shared<MediaQuery>(std::move(library), MediaGrouping::Title);
}
std::shared_ptr<MediaQuery> MediaQuery::albumsQuery(MusicLibraryPtr library) {
    return std::make_shared<MediaQuery>(std::move(library), MediaGrouping::Album);
}
std::shared_ptr<MediaQuery> MediaQuery::artistsQuery(MusicLibraryPtr library) {
    return std::make_shared<MediaQuery>(std::move(library), MediaGrouping::Artist);
}
std::shared_ptr<MediaQuery> MediaQuery::playlistsQuery(MusicLibraryPtr library) {
    return std::make_shared<MediaQuery>(std::move(library), MediaGrouping::Playlist);
}

MediaQuery::MediaQuery(MusicLibraryPtr library, MediaGrouping grouping)
    : library_(library ? std::move(library) : MusicLibrary::defaultMediaLibrary()), grouping_(grouping) {}

bool MediaQuery::matches(const MediaItem& item) const {
    for (const auto& filter : filters_) {
        switch (filter.property) {
            case MediaProperty::PersistentID:
                if (std::to_string(item.persistentID) != filter.value) return false;
                break;
            case MediaProperty::Title:
                if (item.title != filter.value) return false;
                break;
            case MediaProperty::Artist:
                if (item.artist != filter.value) return false;
                break;
            case MediaProperty::AlbumTitle:
                if (item.albumTitle != filter.value) return false;
                break;
            case MediaProperty::PlaylistPersistentID:
                break;  // chosen from the playlist's members in items()
        }
    }
    return true;
}

std::vector<MediaItemPtr> MediaQuery::items() const {
    std::vector<MediaItemPtr> result;
    auto playlistFilter = std::find_if(filters_.begin(), filters_.end(), [](const MediaPropertyPredicate& filter) {
        return filter.property == MediaProperty::PlaylistPersistentID;
    });
    if (playlistFilter != filters_.end()) {
        for (const auto& playlist : library_->playlists()) {
            if (std::to_string(playlist->persistentID()) != playlistFilter->value) continue;
            for (const auto& item : playlist->items())
                if (matches(*item)) result.push_back(item);
        }
        return result;
    }
    for (const auto& item : library_->items())
        if (matches(*item)) result.push_back(item);
    std::stable_sort(result.begin(), result.end(),
                     [](const MediaItemPtr& a, const MediaItemPtr& b) { return sortsBefore(a->title, b->title); });
    return result;
}

std::string MediaQuery::sortNameOf(const MediaItemCollection& collection) const {
    if (grouping_ == MediaGrouping::Playlist) {
        const auto* playlist = dynamic_cast<const MediaPlaylist*>(&collection);
        return playlist ? playlist->name() : std::string();
    }
    const MediaItemPtr item = collection.representativeItem();
    if (!item) return {};
    switch (grouping_) {
        case MediaGrouping::Album:
            return item->albumTitle;
        case MediaGrouping::Artist:
            return item->artist;
        default:
            return item->title;
    }
}

std::vector<MediaItemCollectionPtr> MediaQuery::collections() const {
    std::vector<MediaItemCollectionPtr> result;
    if (grouping_ == MediaGrouping::Playlist) {
        for (const auto& playlist : library_->playlists()) result.push_back(playlist);
        return result;
    }
    const std::vector<MediaItemPtr> matching = items();
    if (grouping_ == MediaGrouping::Title) {
        for (const auto& item : matching)
            result.push_back(std::make_shared<const MediaItemCollection>(std::vector<MediaItemPtr>{item}));
        return result;
    }
    // Albums are told apart by title and album artist, artists by name.
    std::map<std::pair<std::string, std::string>, std::vector<MediaItemPtr>> groups;
    std::vector<std::pair<std::string, std::string>> order;
    for (const auto& item : matching) {
        auto key = grouping_ == MediaGrouping::Album ? std::make_pair(item->albumTitle, item->albumArtist)
                                                     : std::make_pair(item->artist, std::string());
        auto [slot, added] = groups.try_emplace(key);
        if (added) order.push_back(key);
        slot->second.push_back(item);
    }
    for (const auto& key : order) {
        auto& members = groups[key];
        if (grouping_ == MediaGrouping::Album)
            std::stable_sort(members.begin(), members.end(), [](const MediaItemPtr& a, const MediaItemPtr& b) {
                return a->trackNumber < b->trackNumber;
            });
        result.push_back(std::make_shared<const MediaItemCollection>(std::move(members)));
    }
    std::stable_sort(result.begin(), result.end(),
                     [this](const MediaItemCollectionPtr& a, const MediaItemCollectionPtr& b) {
                         return sortsBefore(sortNameOf(*a), sortNameOf(*b));
                     });
    return result;
}

std::vector<MediaQuerySection> MediaQuery::collectionSections() const {
    std::vector<MediaQuerySection> sections;
    const auto all = collections();
    for (size_t i = 0; i < all.size(); ++i) {
        const std::string title = foundation::alphabeticSectionTitle(sortNameOf(*all[i]));
        if (sections.empty() || sections.back().title != title) sections.push_back({title, i, 0});
        ++sections.back().length;
    }
    return sections;
}

}  // namespace library
