#pragma once

// The photo library: pictures and videos in folders on disk.
//
// The library's root is the user's pictures folder (as xdg-user-dir PICTURES
// names it, else ~/Pictures; below the test root when foundation::Paths has one). Files
// directly in the root form the saved-photos group, where new pictures and
// videos are written; every visible folder directly below the root is an
// album named after the folder. Putting an item into an album links (or,
// across devices, copies) its file into the album's folder.
//
// Items and groups are addressed by stable URLs built from their paths
// relative to the root ("assets-library://asset/asset.JPG?id=IMG_0001.JPG&ext=JPG").
//
// The calls that the platform's library answers later (enumerating groups,
// writing, looking up an item, creating an album) do their file work on the
// library's serial queue and run their blocks on the main queue. Groups and
// items read their folder and file when asked, synchronously.

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace library {

inline constexpr const char* kAssetsLibraryErrorDomain = "ALAssetsLibraryErrorDomain";

// Error codes of kAssetsLibraryErrorDomain, the platform's numbers.
enum AssetsLibraryErrorCode : int64_t {
    kAssetsLibraryUnknownError = -1,
    kAssetsLibraryWriteFailedError = -3300,
    kAssetsLibraryWriteInvalidDataError = -3302,
    kAssetsLibraryWriteIncompatibleDataError = -3303,
    kAssetsLibraryWriteDiskSpaceError = -3305,
    kAssetsLibraryDataUnavailableError = -3310,
    kAssetsLibraryAccessUserDeniedError = -3311,
    kAssetsLibraryAccessGloballyDeniedError = -3312,
};

// Group types, a mask as the platform's; higher values sort first in pickers.
enum AssetsGroupType : uint32_t {
    kAssetsGroupLibrary = 1 << 0,
    kAssetsGroupAlbum = 1 << 1,
    kAssetsGroupEvent = 1 << 2,
    kAssetsGroupFaces = 1 << 3,
    kAssetsGroupSavedPhotos = 1 << 4,
    kAssetsGroupPhotoStream = 1 << 5,
    kAssetsGroupAll = 0xFFFFFFFFu,
};

enum class AssetType { Photo, Video };
enum class AssetsFilter { AllAssets, AllPhotos, AllVideos };

// The name of the saved-photos group.
inline constexpr const char* kSavedPhotosGroupName = "Saved Photos";
// Edge of the square thumbnails, in pixels.
inline constexpr int kAssetThumbnailPixels = 150;

namespace detail {
struct PhotoLibraryCore;
}

// One picture or video of the library.
class PhotoAsset {
public:
    // Stable for the same file: built from its path relative to the root.
    std::string url() const;
    // The path relative to the library's root ("IMG_0001.JPG", "Holidays/beach.jpg").
    const std::string& identifier() const { return relativePath_; }
    AssetType type() const { return type_; }
    // The file of the item's one representation.
    std::string path() const;
    // When the file was last written.
    foundation::Date date() const;
    // How the stored picture is to be turned for display (EXIF for JPEG);
    // Up for other pictures and for videos.
    graphics::ImageOrientation orientation() const;
    // Seconds of a video (from its QuickTime/MPEG-4 header); 0 for pictures
    // and for videos whose length cannot be read.
    double duration() const;
    // The stored picture, orientation not applied (Up): combine it with
    // orientation() to show it upright. An error for videos and unreadable files.
    foundation::Result<graphics::Image> fullResolutionImage() const;
    // A square, upright thumbnail of kAssetThumbnailPixels, the centre of the
    // picture; a null image for unreadable files and movies.
    graphics::Image thumbnail() const;

    bool operator==(const PhotoAsset& other) const;

private:
    friend struct detail::PhotoLibraryCore;
    friend class PhotoGroup;
    friend class PhotoLibrary;
    PhotoAsset(std::shared_ptr<const detail::PhotoLibraryCore> core, std::string relativePath, AssetType type);

    std::shared_ptr<const detail::PhotoLibraryCore> core_;
    std::string relativePath_;
    AssetType type_ = AssetType::Photo;
};

// The saved-photos group or an album.
class PhotoGroup {
public:
    std::string name() const { return name_; }
    uint32_t type() const { return type_; }
    std::string url() const;
    // Albums take items; the saved-photos group only through writing.
    bool isEditable() const { return type_ == kAssetsGroupAlbum; }

    void setAssetsFilter(AssetsFilter filter) { filter_ = filter; }
    AssetsFilter assetsFilter() const { return filter_; }

    // The items that pass the filter, oldest first, as the folder holds them now.
    std::vector<PhotoAsset> assets() const;
    int64_t numberOfAssets() const;
    // Calls the block for each item of assets() in order until it sets *stop.
    void enumerateAssets(const std::function<void(const PhotoAsset& asset, size_t index, bool* stop)>& block) const;
    // The thumbnail of the newest item that passes the filter; null when none.
    graphics::Image posterImage() const;

    // Puts an item of the same library into this album. True when the item
    // is in the album afterwards (also when it was already there).
    bool addAsset(const PhotoAsset& asset) const;

private:
    friend struct detail::PhotoLibraryCore;
    friend class PhotoLibrary;
    PhotoGroup(std::shared_ptr<const detail::PhotoLibraryCore> core, std::string folder, std::string name,
               uint32_t type);
    std::string folderPath() const;

    std::shared_ptr<const detail::PhotoLibraryCore> core_;
    std::string folder_;  // relative to the root; empty for the saved-photos group
    std::string name_;
    uint32_t type_ = kAssetsGroupAlbum;
    AssetsFilter filter_ = AssetsFilter::AllAssets;
};

class PhotoLibrary {
public:
    using GroupsBlock = std::function<void(const std::optional<PhotoGroup>& group, bool* stop)>;
    using FailureBlock = std::function<void(const foundation::Error& error)>;
    // The new item's URL, or the error (and an empty URL).
    using WriteCompletion =
        std::function<void(const std::string& assetURL, const std::optional<foundation::Error>& error)>;
    using AssetBlock = std::function<void(const std::optional<PhotoAsset>& asset)>;
    using GroupBlock = std::function<void(const std::optional<PhotoGroup>& group)>;

    // The library at the default root.
    PhotoLibrary();
    // A library at any folder (created when first written to).
    explicit PhotoLibrary(std::string rootDirectory);

    static std::string defaultRootDirectory();
    const std::string& rootDirectory() const;

    // Process-wide: when set, every call fails as it does when the user has
    // refused the application access (code -3311).
    static void setAccessDenied(bool denied);
    static bool isAccessDenied();

    // Video items get their thumbnails from the picture this returns for a
    // movie file (process-wide); without one installed, from the movie's
    // first picture as the media layer decodes it.
    using VideoFrameProvider = std::function<graphics::Image(const std::string& moviePath)>;
    static void setVideoFrameProvider(VideoFrameProvider provider);

    // Calls `block` once for each group whose type is in `types` (saved
    // photos first, then albums by name) and then once without a group,
    // unless the block set *stop. Access failures go to `failure` instead.
    void enumerateGroups(uint32_t types, GroupsBlock block, FailureBlock failure) const;

    // Writes a picture as a JPEG file into the saved-photos group, turned
    // upright from `orientation`.
    void writeImageToSavedPhotosAlbum(const graphics::Image& image, graphics::ImageOrientation orientation,
                                      WriteCompletion completion) const;
    // Copies a QuickTime or MPEG-4 movie into the saved-photos group. The
    // item is a file of its own (a reflink where the file system offers
    // one), never another name of the caller's file: a later change to that
    // file cannot reach the user's saved movie.
    void writeVideoAtPathToSavedPhotosAlbum(const std::string& path, WriteCompletion completion) const;
    // The same into the album of that name (made when missing, compared
    // exactly), as its only group: one item, one file.
    void writeVideoAtPathToAlbum(const std::string& path, const std::string& albumName,
                                 WriteCompletion completion) const;

    // The item of a URL; none when the URL names no item of this library.
    void assetForURL(const std::string& url, AssetBlock result, FailureBlock failure) const;

    // Creates an album. As the platform's, an existing album of that name
    // makes the result come with no group.
    void addAssetsGroupAlbum(const std::string& name, GroupBlock result, FailureBlock failure) const;

private:
    // Copies the movie into the folder (relative to the root; empty for the root).
    void writeVideo(const std::string& path, const std::string& folder, WriteCompletion completion) const;

    std::shared_ptr<detail::PhotoLibraryCore> core_;
};

}  // namespace library
