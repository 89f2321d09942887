#pragma once

// Files handed to a share service that must outlive the render cache: the
// project card wipes its cache when it closes, while an upload may still be
// reading the movie and a mail program may attach it long after it was
// started. Each entry is a copy of its own of the file (a reflink where the
// file system offers one, never a hard link) in a folder of its own, so it
// keeps the file's name, below $XDG_CACHE_HOME/tollivar/Outbox, which only
// the user can enter (0700).
//
// Uploads remove their entry when they end; the Dropbox queue keeps a list
// of the entries it still has to send beside them, so those carry on at the
// next launch. Mail entries stay until the next launch, which removes every
// leftover that no list keeps.

#include "platform/foundation/Error.h"
#include "platform/foundation/FileDescriptor.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class Outbox {
public:
    static inline const char* kFolderName = "Outbox";

    // The folder, created when missing and made private when it is not.
    static foundation::Result<std::string> directory();

    // A new entry for the file; its absolute path.
    static foundation::Result<std::string> addFile(const std::string& path);
    // A new entry named `name` for the regular file open at `source`, copied
    // from its start (the descriptor's position is moved); its absolute path.
    static foundation::Result<std::string> addFile(const foundation::FileDescriptor& source, const std::string& name);
    // Removes an entry made by addFile (the copy and its folder). Paths
    // outside the Outbox are left alone.
    static void removeEntry(const std::string& entryPath);
    // Removes every entry but the kept ones (paths as addFile gave them);
    // lists beside the entries (listPath) stay. Called once at launch,
    // before any service runs.
    static void removeLeftovers(const std::vector<std::string>& keptEntries = {});

    // A list kept beside the entries, named "<name>.plist".
    static std::string listPath(std::string_view name);
    // An entry's path within the Outbox ("<folder>/<file name>"), as a list
    // stores it; none for a path that is no entry.
    static std::optional<std::string> relativeEntryPath(const std::string& entryPath);
    // The entry a stored relative path names, when it is one (a folder of the
    // Outbox and a file in it, no more) and its file is still there.
    static std::optional<std::string> existingEntry(std::string_view relativePath);

private:
    static foundation::Result<std::string> addEntry(const std::string& name,
                                                    const std::function<foundation::Status(const std::string&)>& copy);
};
