#pragma once

// The rules that keep an unpacked archive inside its destination. Shared by
// the unzipper and by the project importer, which re-checks links after it
// moves an unpacked tree one level up.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ssziparchive {

struct EntryPath {
    // Never "." or ".."; empty only for a folder entry naming the root ("./").
    std::vector<std::string> components;
    bool isDirectory = false;
};

// Splits an entry name into path components ("\" counts as "/"). None when
// the name is empty, absolute, holds a ".." component or an embedded NUL
// (the raw length minizip reports differs from the C string's length).
std::optional<EntryPath> parseEntryName(std::string_view rawName);

// Whether a symbolic link at `linkComponents` (relative to the root) with
// `target` resolves inside the root. Only relative targets whose ".."
// components all come first, and no more of them than the link's depth, are
// accepted: a ".." after a named component could climb out through another
// link, so such targets are refused.
bool linkStaysInside(const std::vector<std::string>& linkComponents, std::string_view target);

}  // namespace ssziparchive
