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
    std::string name;
    bool isFolder = false;
    foundation::Date modified;
};

struct FolderListing {
    std::string folder;
    // Folders first, then files, each sorted by name as a reader expects
    // (ignoring case, in the user's language).
    std::vector<FolderEntry> entries;
    // Why the folder could not be read; no entries then.
    std::optional<foundation::Error> error;
};

// The folders and the accepted files of a folder. Links count as what they
// lead to; a link that leads nowhere, or round in a loop, is left out, and
// so is anything else that is neither a folder nor a regular file. Names
// that start with "." are hidden unless asked for.
FolderListing listFolder(const std::string& folder, const std::function<bool(std::string_view name)>& acceptsFile,
                         bool showHidden);

// The folder above, by the text of the path ("/a/b" → "/a"); none for "/".
// A link's parent is the folder the link lies in, as the user went there.
std::optional<std::string> parentFolder(const std::string& folder);

// What a path typed in the chooser names: "~" and "~/..." lie in the home
// folder, a relative path in the current folder; "." and ".." components
// are resolved by the text, and a trailing "/" is dropped.
std::string resolveTypedPath(std::string_view typed, const std::string& currentFolder, const std::string& home);

// The first entry whose name starts with the typed text, ignoring case
// (type-ahead); none when no name does or nothing is typed.
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
