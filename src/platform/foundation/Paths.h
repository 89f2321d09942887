#pragma once

// The application's folders and the path-text operations the application
// uses on them.
//
// Folders follow the XDG base directories:
//   documents  $XDG_DATA_HOME/tollivar/Documents   (~/.local/share/tollivar/Documents)
//   caches     $XDG_CACHE_HOME/tollivar            (~/.cache/tollivar)
//   config     $XDG_CONFIG_HOME/tollivar           (~/.config/tollivar; user defaults)
//   temporary  $TMPDIR/tollivar-<uid>              (/tmp/tollivar-<uid>)
// Each is created when asked for. Tests point all of them below one fresh
// folder with setRootOverride (see testsupport::TempAppFolders).
//
// The temporary folder is this user's alone (mode 0700, makeOwnerOnlyFolder):
// in a /tmp that other users share, a folder of that name that is not (a
// link, another user's, one others may write into) is never used; then it is
// $XDG_RUNTIME_DIR/tollivar, or else a folder of this run's alone,
// $TMPDIR/tollivar-<uid>-run-XXXXXX (a RunFolder), for the rest of the run,
// even when the name is given back meanwhile. A run's own folders are removed
// when it quits (removeFoldersOfThisRun); those of runs that were killed, at
// the next start (removeAbandonedRunFolders). Files made in it are for this
// user only (0600).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

class Paths {
public:
    static std::string documentsDirectory();
    static std::string cachesDirectory();
    static std::string configDirectory();
    static std::string temporaryDirectory();
    // A folder of this user's alone with a short path, for what must have
    // one (a local socket's path holds at most 107 bytes): /tmp/tollivar-<uid>,
    // or where that name is not this user's alone, a folder of this run's in
    // /tmp (never the runtime folder, which may be long). Under a test root:
    // the temporary folder.
    static std::string shortPrivateDirectory();
    // At quit: removes the folders made for this run alone, with what is in
    // them. Asked again afterwards for one of those, the answer is a path
    // where nothing can be written.
    static void removeFoldersOfThisRun();
    // At start: removes the folders of this run's kind that earlier runs
    // left in $TMPDIR and /tmp (removeAbandonedRunFolders: ours alone and
    // held by no running copy). Returns their paths. Nothing under a test root.
    static std::vector<std::string> removeAbandonedRunFolders();

    // The user's home folder: $HOME, else the password database's. Under a
    // test root: <root>/home. Not created.
    static std::string homeDirectory();

    // A folder of the user's own (xdg-user-dirs), by its name there
    // ("DOCUMENTS", "PICTURES"), found as xdg-user-dir finds it: the entry
    // XDG_<name>_DIR of user-dirs.dirs in $XDG_CONFIG_HOME (~/.config), else
    // the variable of that name, else `fallbackBelowHome` in the home
    // folder. Under a test root: <root>/<name in lower case>. Not created.
    static std::string userDirectory(std::string_view name, std::string_view fallbackBelowHome);

    // With a root, the folders are laid out as if XDG_DATA_HOME, XDG_CACHE_HOME
    // and XDG_CONFIG_HOME were <root>/data, <root>/cache and <root>/config
    // (so a child process given those variables finds the same folders), and
    // the temporary folder is <root>/tmp. nullopt returns to the environment's.
    static void setRootOverride(std::optional<std::string> root);
    static std::optional<std::string> rootOverride();
};

// Path texts, with the platform's rules: "/" separates components, a trailing
// "/" is not a component, and the extension is the text after the last "." of
// the last component (none when the component starts with its only ".").
namespace path {

// "a" + "b" → "a/b"; no doubled separators; an empty side gives the other.
std::string appending(std::string_view base, std::string_view component);
// "/a/b.jpg" → "b.jpg"; "/a/b/" → "b"; "/" → "/".
std::string lastComponent(std::string_view path);
// "/a/b.jpg" → "/a"; "b" → ""; "/a" → "/".
std::string deletingLastComponent(std::string_view path);
// "/a/b.jpg" → "jpg"; "/a/.hidden" → "".
std::string extension(std::string_view path);
// "/a/b.jpg" → "/a/b".
std::string deletingExtension(std::string_view path);
// "/a/b" + "jpg" → "/a/b.jpg"; an empty extension leaves the path alone.
std::string appendingExtension(std::string_view path, std::string_view extension);

// The path of a "file:" URL with its percent escapes decoded:
// "file:///a/b%20c" → "/a/b c", "file://localhost/a" → "/a", "file:/a" → "/a".
// None for another scheme, another host, a path that is not absolute, or one
// that decodes to a NUL byte (it would name a different file). "?" and "#"
// belong to the path: the application writes file URLs without escaping.
std::optional<std::string> fromFileURL(std::string_view url);
// The "file:" URL of an absolute path, every byte but letters, digits and
// "/-._~" percent-escaped, so that fromFileURL gives the path back.
std::string toFileURL(std::string_view absolutePath);

}  // namespace path

}  // namespace foundation
