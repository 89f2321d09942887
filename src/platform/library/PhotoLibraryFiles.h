#pragma once

// The on-disk side of the photo library: which files are items, how their
// URLs are written and read back, how new files are published without
// replacing anything, and how long a movie runs. Internal to the library.

#include "platform/foundation/Error.h"
#include "platform/library/PhotoLibrary.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace library::detail {

struct PhotoLibraryCore {
    std::string root;
    // File work of the calls that answer later runs here, one at a time.
    foundation::DispatchQueue queue{"library.photos"};

    std::string absolute(std::string_view relative) const;
};

foundation::Error libraryError(int64_t code, std::string description);
foundation::Error accessDeniedError();
// Denied by the process-wide switch, or a root this process may not use.
std::optional<foundation::Error> accessFailure(const std::string& root);

// Pictures (JPEG, PNG) and movies (QuickTime, MPEG-4) by extension, any
// letter case; none for other and for hidden files.
std::optional<AssetType> assetTypeForName(std::string_view name);

struct ListedAsset {
    std::string name;
    AssetType type = AssetType::Photo;
    int64_t modifiedNanoseconds = 0;
};
// The items directly in a folder, oldest first (then by name); empty when
// the folder is missing.
std::vector<ListedAsset> listAssets(const std::string& folder);
// The visible folders directly in the root, by name.
std::vector<std::string> listAlbumFolders(const std::string& root);

std::string assetURLFor(std::string_view relativePath);
std::string groupURLFor(std::string_view folder);
// The relative path an asset URL names, when it is a well-formed URL of an
// item in the root or in one album folder; never a path that leaves the root.
std::optional<std::string> relativePathFromAssetURL(std::string_view url);

// The picture of a movie from the installed provider; null without one.
graphics::Image videoFrame(const std::string& moviePath);

// Whether a name can be an album folder: not empty, no "/", not hidden.
bool isValidAlbumName(std::string_view name);

// Writes a new file "<prefix><number><extension>" into `folder` (created
// when missing), numbered one above the highest number there, through a
// claimed temporary file (foundation::TemporaryClaim) that is flushed and
// then linked into place, so an existing file is never replaced and a reader
// never sees half a file; the folder is flushed for the new name. What a
// crashed save left in the folder is swept first. Returns the new file's
// name. `write` fills the open file descriptor.
foundation::Result<std::string> publishNewFile(const std::string& folder, std::string_view prefix,
                                               std::string_view extension,
                                               const std::function<foundation::Status(int fd)>& write);

// Length in seconds from the movie header of a QuickTime or MPEG-4 file;
// none when there is no readable header.
std::optional<double> movieDuration(const std::string& path);

}  // namespace library::detail
