#pragma once

// Where an audio file lands in a folder (the project directory, the
// "shared-audio" inbox) under its own name without ever replacing another
// sound: a file of that name with the same bytes is the same sound and is
// used as it is; one with other bytes keeps its name, and the newcomer takes
// the first free "name-2.ext", "name-3.ext", ...

#include "platform/foundation/Error.h"

#include <string>

// The local path of a "file:" URL (escapes decoded) or of an absolute path
// given as it is; empty for anything else.
std::string localPathOfURL(const std::string& url);

// The file name with "-<number>" put before its extension:
// ("song.mp3", 2) → "song-2.mp3"; ("notes", 3) → "notes-3"; ("a.b.wav", 2) →
// "a.b-2.wav"; (".hidden", 2) → ".hidden-2".
std::string numberedFileName(const std::string& fileName, int number);

// True when both paths name regular files with the same bytes (or the same
// file); false when either cannot be read.
bool filesHaveSameContents(const std::string& first, const std::string& second);

enum class PlacementMode {
    Copy,  // the source stays where it is
    Move,  // the source is consumed when it lands (kept when it was there already)
};

struct AudioFilePlacement {
    std::string path;      // the file in the folder that holds the sound now
    bool existed = false;  // true when that file was there before (nothing written)
};

// Brings `source` into `folder` as `fileName` or the first free numbered
// name (see above). A copy is written under a temporary name and renamed
// when complete, so a failure (a full or read-only device) leaves no partial
// file. The error is the file system's: the source's read error, or the
// write error for the target.
foundation::Result<AudioFilePlacement> placeAudioFile(const std::string& source, const std::string& folder,
                                                      const std::string& fileName, PlacementMode mode);
