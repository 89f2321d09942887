#pragma once

// Stream copy of one track of a media file into a new file: the compressed
// packets as they are stored, never decoded or encoded again, either back to
// back with no container around them (an MP3 track becomes a plain .mp3) or
// in a new container (QuickTime audio, WAVE, AIFF).
//
// The new file is written under a temporary name in the target's folder and
// renamed when complete, so a failed copy (a damaged source, a full device,
// a read-only folder) leaves nothing behind and never replaces a file.

#include "platform/foundation/Error.h"

#include <string>

namespace media {

enum class RemuxFormat {
    RawPackets,  // no container, no tags: the packets' bytes in order
    M4A,         // QuickTime audio (.m4a)
    Wave,        // RIFF WAVE (.wav)
    Aiff,        // AIFF (.aif, .aiff)
};

class Remuxer {
public:
    // Whether the format can carry a track of this codec (FFmpeg's short
    // name, as AssetTrack::codecName gives it). Raw packets carry anything.
    static bool canHold(RemuxFormat format, const std::string& codecName);

    // Copies the track (AssetTrack::trackID) of `source` into a new file at
    // `target`. Fails when something exists at `target` (516), when the
    // source cannot be read to its end (kMediaErrorDomain), when the format
    // cannot hold the track's codec, and when a write fails (the file
    // system's domain: 640 for a full device, 642 for a read-only one).
    static foundation::Status copyTrack(const std::string& source, int trackID, RemuxFormat format,
                                        const std::string& target);
};

}  // namespace media
