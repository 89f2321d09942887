#pragma once

// The application's resources and its information property list.
//
// The main bundle's resource folder is the first that exists of:
//   $TOLLIVAR_RESOURCES,
//   resources/ beside the executable, resources/ one level above it,
//   resources/ of the source tree the program was built from.
// A resource is found by its full file name in the resource folder itself or
// in one of its immediate subfolders (icons/, images/, sounds/, themes/,
// strings/, config/, sample/, ...), looked at in alphabetical order; the root
// wins over subfolders. A name with a "/" is taken relative to the root only.
// The information list is config/Info.plist.

#include "platform/foundation/Value.h"

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

inline constexpr const char* kBundleIdentifierKey = "CFBundleIdentifier";
inline constexpr const char* kBundleNameKey = "CFBundleName";
inline constexpr const char* kBundleDisplayNameKey = "CFBundleDisplayName";
inline constexpr const char* kBundleShortVersionStringKey = "CFBundleShortVersionString";
inline constexpr const char* kBundleVersionKey = "CFBundleVersion";

class Bundle {
public:
    static Bundle& main();

    // A bundle over a given resource folder.
    explicit Bundle(std::string resourcePath);

    const std::string& resourcePath() const { return resourcePath_; }

    // The resource "name.type", or "name" itself when type is empty; nullopt
    // when none exists. Folders count as resources too.
    std::optional<std::string> pathForResource(std::string_view name, std::string_view type = {}) const;

    // The information list (read once); an empty dictionary when it is
    // missing or unreadable.
    Dictionary infoDictionary() const;
    Value objectForInfoDictionaryKey(std::string_view key) const;

    // Text values of the information list; empty when absent.
    std::string bundleIdentifier() const;
    std::string shortVersionString() const;
    std::string bundleVersion() const;
    // CFBundleDisplayName, else CFBundleName.
    std::string displayName() const;

private:
    std::string infoString(std::string_view key) const;

    std::string resourcePath_;
    mutable std::once_flag infoLoaded_;
    mutable Dictionary info_;
};

}  // namespace foundation
