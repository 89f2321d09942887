#pragma once

// The songs of the music library and the lists they are grouped into.
// Items are immutable once the library made them; a change of the library
// makes new ones.

#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace library {

struct MediaItem {
    uint64_t persistentID = 0;
    std::string title;
    std::string artist;
    // The album's artist; the artist when the file names none.
    std::string albumArtist;
    std::string albumTitle;
    // The file that plays; none for an item the library knows but cannot
    // play (not downloaded, deleted).
    std::optional<std::string> assetURL;
    int trackNumber = 0;
    // The year of release, when the file says.
    std::optional<int> year;
    double playbackDuration = 0;
    // The encoded cover picture.
    std::optional<foundation::Bytes> artworkData;

    // The cover picture at its own size, or none.
    std::optional<graphics::Image> artwork() const;
    // The cover picture scaled to fit `size` (points at scale 1), or none.
    std::optional<graphics::Image> artworkWithSize(graphics::Size size) const;
    // The release year as text, empty without one.
    std::string releaseYearString() const;
    bool assetNeedsToDownload() const { return !assetURL; }
    bool assetHasBeenDeleted() const;
    bool isPlayable() const { return !assetNeedsToDownload() && !assetHasBeenDeleted(); }
};
using MediaItemPtr = std::shared_ptr<const MediaItem>;

class MediaItemCollection {
public:
    MediaItemCollection() = default;
    explicit MediaItemCollection(std::vector<MediaItemPtr> items) : items_(std::move(items)) {}
    virtual ~MediaItemCollection() = default;

    const std::vector<MediaItemPtr>& items() const { return items_; }
    size_t count() const { return items_.size(); }
    // The item that stands for the collection (its first), or null.
    MediaItemPtr representativeItem() const { return items_.empty() ? nullptr : items_.front(); }
    // The sum of the items' lengths, in seconds.
    double playbackLength() const;
    bool hasNoPlayableItems() const;

private:
    std::vector<MediaItemPtr> items_;
};
using MediaItemCollectionPtr = std::shared_ptr<const MediaItemCollection>;

class MediaPlaylist : public MediaItemCollection {
public:
    MediaPlaylist(uint64_t persistentID, std::string name, std::vector<MediaItemPtr> items)
        : MediaItemCollection(std::move(items)), persistentID_(persistentID), name_(std::move(name)) {}
    uint64_t persistentID() const { return persistentID_; }
    const std::string& name() const { return name_; }

private:
    uint64_t persistentID_;
    std::string name_;
};
using MediaPlaylistPtr = std::shared_ptr<const MediaPlaylist>;

// The duration text of a track, whole seconds cut off: "0:59", "1:01",
// "1:02:05"; a sound under a second reads "0:01", none at all "0:00".
std::string trackLengthString(double seconds);

}  // namespace library
