#pragma once

// File helpers the whole application shares: identifiers, copying and
// deleting a frame's files by the identifier in their names, sizes and free
// space, file-name cleaning, and colours stored as dictionaries.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Color.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// Which of many keys (frame IDs, sound file names) each name of a folder
// contains, as FileUtil's copy and delete by key match one: one listing of
// a folder is matched against every key at once, at a cost that grows with
// the names' lengths and not with the number of keys. An empty key matches
// nothing.
class KeysInNames {
public:
    explicit KeysInNames(const std::vector<std::string>& keys);
    // Calls `visit` once for each key that `name` contains.
    void forEachKeyIn(std::string_view name, const std::function<void(const std::string& key)>& visit) const;
    bool containsAnyKey(std::string_view name) const;

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    // The keys by their length.
    std::map<size_t, std::unordered_set<std::string, Hash, std::equal_to<>>> keysByLength_;
};

class FileUtil {
public:
    // A new random UUID: 36 characters, upper-case hexadecimal groups of
    // 8-4-4-4-12 joined by hyphens.
    static std::string createUUID();

    // The path of the application resource with that full name ("beep.aiff").
    static std::optional<std::string> pathForResource(const std::string& name);

    // Removes every entry of the folder whose name contains the key
    // (case-sensitive). Errors are ignored; an unreadable folder does nothing.
    static void deleteAllFilesInPath(const std::string& path, const std::string& containingKey);

    // Copies every entry of `path` whose name contains the key into `toPath`
    // under the same name.
    static void copyAllFilesInPath(const std::string& path, const std::string& toPath,
                                   const std::string& containingKey);

    // Copies every entry of `path` whose name contains the key into `toPath`,
    // every occurrence of the key in the name replaced by `replaceKey`.
    // False when the listing is empty or fails, or when any copy failed (an
    // existing target name, say); all matching entries are tried either way.
    static bool copyAllFilesInPath(const std::string& path, const std::string& toPath, const std::string& containingKey,
                                   const std::string& replaceKey);

    // The names of a folder's listing that contain each key (keys that none
    // contains are left out), in the listing's order.
    static std::map<std::string, std::vector<std::string>> namesByKey(const std::vector<std::string>& names,
                                                                      const std::vector<std::string>& keys);

    // The name with every occurrence of the key replaced, as the copy by key
    // names its copies.
    static std::string replacingKey(std::string name, const std::string& key, const std::string& replaceKey);

    // True when the item itself is a symbolic link; false when it cannot be read.
    static bool isFileASymbolicLinkAtPath(const std::string& path);

    // Free bytes of the file system that holds the documents folder; 0 when
    // they cannot be read.
    static uint64_t freeDiskspace();
    // Makes freeDiskspace answer the given number (tests of full devices);
    // nullopt returns to the real value.
    static void setFreeDiskspaceOverride(std::optional<uint64_t> bytes);

    // Sum of the sizes of every item below the path, at any depth; 0 for an
    // empty or unreadable folder.
    static uint64_t folderSize(const std::string& path);

    // The colour of a dictionary with "red", "green", "blue" and "alpha"; a
    // missing key counts as 0, so a missing dictionary is transparent black.
    static graphics::Color getColorFromDictonary(const foundation::Value& dictionary);
    // The colour's components as 32-bit floats under those keys. A colour
    // without red, green and blue (a pattern) stores 0 for them and its alpha.
    static foundation::Dictionary getDictionaryFromUIColor(const graphics::Color& color);

    // Removes the characters . / \ ? % * | " < > : ; ' [ ] { } @ # $ ^ ` ~ ,
    // and turns every blank into "_".
    static std::string sanitizeFileNameString(const std::string& string);

    // True when nothing exists at the path; false for a folder, which stays;
    // otherwise removes the file (or symbolic link) and reports the outcome.
    static bool removeItemAtPath(const std::string& path, foundation::Error* error);
    // For a "file:" URL removeItemAtPath on its path; other URLs cannot be
    // removed (518, unsupported scheme).
    static bool removeItemAtURL(const std::string& url, foundation::Error* error);
    // Removes whatever is at the path, folders with their contents; a missing
    // path is an error.
    static bool removeFolderAtPath(const std::string& path, foundation::Error* error);
};
