#pragma once

// A question to the music library: which items (all, or those matching
// filter predicates) grouped how (one collection per song, album, artist or
// playlist), sorted by name as the user's language sorts, with first-letter
// sections over the collections.
//
//     auto albums = library::MediaQuery::albumsQuery();
//     for (const auto& album : albums->collections()) ...

#include "platform/library/MediaItem.h"
#include "platform/library/MusicLibrary.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace library {

enum class MediaGrouping { Title, Album, Artist, Playlist };
enum class MediaProperty { PersistentID, Title, Artist, AlbumTitle, PlaylistPersistentID };

struct MediaPropertyPredicate {
    MediaProperty property;
    std::string value;
    static MediaPropertyPredicate withIdentifier(MediaProperty property, uint64_t identifier) {
        return {property, std::to_string(identifier)};
    }
    bool operator==(const MediaPropertyPredicate&) const = default;
};

struct MediaQuerySection {
    std::string title;
    size_t location = 0;
    size_t length = 0;
    bool operator==(const MediaQuerySection&) const = default;
};

class MediaQuery {
public:
    // Songs one per collection, albums, artists, playlists; of `library`, or
    // of the default library when none is given.
    static std::shared_ptr<MediaQuery> songsQuery(MusicLibraryPtr library = nullptr);
    static std::shared_ptr<MediaQuery> albumsQuery(MusicLibraryPtr library = nullptr);
    static std::shared_ptr<MediaQuery> artistsQuery(MusicLibraryPtr library = nullptr);
    static std::shared_ptr<MediaQuery> playlistsQuery(MusicLibraryPtr library = nullptr);

    MediaQuery(MusicLibraryPtr library, MediaGrouping grouping);

    const MusicLibraryPtr& library() const { return library_; }
    MediaGrouping groupingType() const { return grouping_; }
    void setGroupingType(MediaGrouping grouping) { grouping_ = grouping; }
    const std::vector<MediaPropertyPredicate>& filterPredicates() const { return filters_; }
    void addFilterPredicate(MediaPropertyPredicate predicate) { filters_.push_back(std::move(predicate)); }

    // The matching items: in playlist order when filtered by a playlist,
    // else by title.
    std::vector<MediaItemPtr> items() const;
    // The matching items grouped; for the playlist grouping, the playlists.
    std::vector<MediaItemCollectionPtr> collections() const;
    // Runs of collections that share a first letter, in order.
    std::vector<MediaQuerySection> collectionSections() const;

    // The name a collection is sorted and sectioned by in this grouping.
    std::string sortNameOf(const MediaItemCollection& collection) const;

private:
    bool matches(const MediaItem& item) const;

    MusicLibraryPtr library_;
    MediaGrouping grouping_;
    std::vector<MediaPropertyPredicate> filters_;
};

using MediaQueryPtr = std::shared_ptr<MediaQuery>;

}  // namespace library
