#pragma once

// Files handed to a share service that must outlive the render cache: the
// project card wipes its cache when it closes, while an upload may still be
// reading the movie and a mail program may attach it long after it was
// started. Each entry is a hard link (a copy across file systems) of the
// file in a folder of its own, so it keeps the file's name, below
// $XDG_CACHE_HOME/tollivar/Outbox, which only the user can enter (0700).
//
// Uploads remove their entry when they end; mail entries stay until the
// next launch, which removes every leftover.

#include "platform/foundation/Error.h"

#include <string>

class Outbox {
public:
    static inline const char* kFolderName = "Outbox";

    // The folder, created when missing and made private when it is not.
    static foundation::Result<std::string> directory();

    // A new entry for the file; its absolute path.
    static foundation::Result<std::string> addFile(const std::string& path);
    // Removes an entry made by addFile (the link and its folder). Paths
    // outside the Outbox are left alone.
    static void removeEntry(const std::string& entryPath);
    // Removes every entry; called once at launch, before any service runs.
    static void removeLeftovers();
};
