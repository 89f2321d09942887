#pragma once

// What the in-app file chooser shows of a folder, and how it moves between
// folders: plain functions over the file system, apart from the screen.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace library {

struct FolderEntry {
    // The name as the file system has it (what opens the entry), and as the
    // chooser shows it (displayFileName).
    std::string name;
    std::string displayName;
    bool isFolder = false;
    foundation::Date modified;
};

struct FolderListing {
    std::string folder;
    // Folders first, then files, each sorted by shown name as a reader
    // expects (ignoring case, in the user's language).
    std::vector<FolderEntry> entries;
    // Why the folder could not be read (ECANCELED: the reading was stopped);
    // no entries then.
    std::optional<foundation::Error> error;
};

// Told, now and then while a folder is read, how many names have been read
// so far; returning false stops the reading.
using ListingWatch = std::function<bool(size_t namesRead)>;

// The folders and the accepted files of a folder. Links count as what they
// lead to; a link that leads nowhere, or round in a loop, is left out, and
// so is anything else that is neither a folder nor a regular file. Names
// that start with "." are hidden unless asked for. A folder on a slow or
// hung network share may take long: list off the main thread. `acceptsFile`
// and `watch` are called on the calling thread.
FolderListing listFolder(const std::string& folder, const std::function<bool(std::string_view name)>& acceptsFile,
                         bool showHidden, const ListingWatch& watch = {});

// A file name (or path) as it can be shown: well-formed UTF-8 stays as it
// is; a byte that is not part of it is read as the Windows-1252 character
// it stands for in the old single-byte names such a name most likely comes
// from ("Caf\xE9" shows as "Café"), and control characters, like bytes no
// character stands for, show as U+FFFD, so that every name fits one line.
std::string displayFileName(std::string_view name);

// The folder above, by the text of the path ("/a/b" → "/a"); none for "/".
// A link's parent is the folder the link lies in, as the user went there.
std::optional<std::string> parentFolder(const std::string& folder);

// What a path typed in the chooser names: "~" and "~/..." lie in the home
// folder, a relative path in the current folder; "." and ".." components
// are resolved by the text, and a trailing "/" is dropped.
std::string resolveTypedPath(std::string_view typed, const std::string& currentFolder, const std::string& home);

// The first entry whose shown name starts with the typed text, ignoring
// case (type-ahead); none when no name does or nothing is typed.
std::optional<size_t> typeAheadMatch(const std::vector<FolderEntry>& entries, std::string_view typed);

// The places a chooser offers beside the folder: the home folder and the
// user's documents and downloads folders (as xdg-user-dir names them).
struct ChooserPlaces {
    std::string home;
    std::string documents;
    std::string downloads;

    // $HOME (else the password database's), and the user folders of the
    // environment (under a test root, that root's folders).
    static ChooserPlaces fromEnvironment();
};

}  // namespace library
