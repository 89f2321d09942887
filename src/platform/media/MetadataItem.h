#pragma once

// What a movie being written says about itself: the QuickTime keys the
// media layer carries into a movie's header, each with its value as the
// platform's metadata items hold it (text, or a date for the creation
// date). The muxer stores them as the movie's user data (title, author,
// comment, copyright) and its header's creation time, where ffprobe and
// players find them.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <string>

namespace media {

enum class MetadataKey { Title, Author, Comment, CreationDate, Copyright };

struct MetadataItem {
    MetadataKey key = MetadataKey::Title;
    // A string; a date for MetadataKey::CreationDate.
    foundation::Value value;

    bool operator==(const MetadataItem& other) const { return key == other.key && value == other.value; }
};

// The muxer's name of the key: "title", "author", "comment",
// "creation_time", "copyright". ffprobe shows them so, but for the author,
// which FFmpeg reads back from the QuickTime user data as "artist".
const char* muxerKey(MetadataKey key);

// The item's value as the muxer takes it (a date as ISO 8601 UTC text);
// an error of kMediaErrorDomain, saying why, for a value of the wrong kind
// and for text a movie cannot hold whole: over 65,535 bytes, with a NUL
// character, or not UTF-8.
foundation::Result<std::string> muxerValue(const MetadataItem& item);

}  // namespace media
