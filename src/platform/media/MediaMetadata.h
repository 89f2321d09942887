#pragma once

// What a media file says about itself beyond its tracks: the tags of the
// container and of its first audio track (title, artist, album, track
// number, date) and an attached cover picture, read by libavformat.
//
//     auto tags = media::readMediaMetadata(path);
//     if (tags.ok()) title = tags->tag("title");

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <map>
#include <optional>
#include <string>

namespace media {

struct MediaMetadata {
    // Keys in lower case ("title", "artist", "album_artist", "album",
    // "track", "date"); the container's tags win over the track's.
    std::map<std::string, std::string> tags;
    // The encoded cover picture (JPEG or PNG), when the file has one.
    std::optional<foundation::Bytes> artwork;
    double durationSeconds = 0;
    bool hasAudio = false;

    // The tag's text, empty when it is missing.
    std::string tag(const std::string& key) const;
};

// An error of kMediaErrorDomain when the file cannot be read as media.
foundation::Result<MediaMetadata> readMediaMetadata(const std::string& path);

}  // namespace media
