// Items and groups of the photo library: read from their files when asked.

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/library/PhotoLibraryFiles.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace library {

using detail::PhotoLibraryCore;

namespace {

constexpr size_t kExifSearchBytes = 128 * 1024;

// The centre square of an upright picture, scaled to the thumbnail size.
graphics::Image squareThumbnail(const graphics::Image& picture) {
    graphics::Image upright = picture.normalized();
    int side = std::min(upright.pixelWidth(), upright.pixelHeight());
    if (side <= 0) return {};
    graphics::Rect centre((upright.pixelWidth() - side) / 2, (upright.pixelHeight() - side) / 2, side, side);
    graphics::Image square = upright.cropped(centre);
    if (square.isNull()) return {};
    return square.resized(kAssetThumbnailPixels, kAssetThumbnailPixels);
}

}  // namespace

// ---- PhotoAsset --------------------------------------------------------------

PhotoAsset::PhotoAsset(std::shared_ptr<const PhotoLibraryCore> core, std::string relativePath, AssetType type)
    : core_(std::move(core)), relativePath_(std::move(relativePath)), type_(type) {}

std::string PhotoAsset::url() const { return detail::assetURLFor(relativePath_); }

std::string PhotoAsset::path() const { return core_->absolute(relativePath_); }

foundation::Date PhotoAsset::date() const {
    struct stat info {};
    if (::stat(path().c_str(), &info) != 0) return {};
    return foundation::Date::fromUnixTime(double(info.st_mtim.tv_sec) + double(info.st_mtim.tv_nsec) * 1e-9);
}

graphics::ImageOrientation PhotoAsset::orientation() const {
    if (type_ != AssetType::Photo) return graphics::ImageOrientation::Up;
    // The EXIF block is one of the first segments and at most 64 KB long;
    // no need to read the whole picture.
    std::ifstream in(path(), std::ios::binary);
    std::vector<uint8_t> head(kExifSearchBytes);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    if (!graphics::jpeg::looksLikeJpeg(head.data(), head.size())) return graphics::ImageOrientation::Up;
    return graphics::jpeg::exifOrientation(head.data(), head.size());
}

double PhotoAsset::duration() const {
    if (type_ != AssetType::Video) return 0.0;
    return detail::movieDuration(path()).value_or(0.0);
}

foundation::Result<graphics::Image> PhotoAsset::fullResolutionImage() const {
    if (type_ != AssetType::Photo)
        return detail::libraryError(kAssetsLibraryDataUnavailableError, "The item is not a picture.");
    auto image = graphics::Image::load(path());
    if (!image) return image.error();
    return image->withOrientation(graphics::ImageOrientation::Up);
}

graphics::Image PhotoAsset::thumbnail() const {
    if (type_ == AssetType::Video) {
        graphics::Image frame = detail::videoFrame(path());
        return frame.isNull() ? frame : squareThumbnail(frame);
    }
    auto data = foundation::readFile(path());
    if (!data) return {};
    if (graphics::jpeg::looksLikeJpeg(data->data(), data->size())) {
        // Decoded at a reduced size straight away: a thumbnail never needs
        // the full picture in memory.
        auto image = graphics::jpeg::decodeForMaximumSize(data->data(), data->size(), kAssetThumbnailPixels,
                                                          kAssetThumbnailPixels);
        if (!image) return {};
        auto orientation = graphics::jpeg::exifOrientation(data->data(), data->size());
        return squareThumbnail(image->withOrientation(orientation));
    }
    auto image = graphics::Image::decode(*data);
    return image ? squareThumbnail(*image) : graphics::Image();
}

bool PhotoAsset::operator==(const PhotoAsset& other) const {
    return core_->root == other.core_->root && relativePath_ == other.relativePath_;
}

// ---- PhotoGroup ----------------------------------------------------------------

PhotoGroup::PhotoGroup(std::shared_ptr<const PhotoLibraryCore> core, std::string folder, std::string name,
                       uint32_t type)
    : core_(std::move(core)), folder_(std::move(folder)), name_(std::move(name)), type_(type) {}

std::string PhotoGroup::folderPath() const { return folder_.empty() ? core_->root : core_->absolute(folder_); }

std::string PhotoGroup::url() const { return detail::groupURLFor(folder_); }

std::vector<PhotoAsset> PhotoGroup::assets() const {
    std::vector<PhotoAsset> result;
    for (const auto& listed : detail::listAssets(folderPath())) {
        if (filter_ == AssetsFilter::AllPhotos && listed.type != AssetType::Photo) continue;
        if (filter_ == AssetsFilter::AllVideos && listed.type != AssetType::Video) continue;
        std::string relative = folder_.empty() ? listed.name : foundation::path::appending(folder_, listed.name);
        result.push_back(PhotoAsset(core_, std::move(relative), listed.type));
    }
    return result;
}

int64_t PhotoGroup::numberOfAssets() const { return static_cast<int64_t>(assets().size()); }

void PhotoGroup::enumerateAssets(
    const std::function<void(const PhotoAsset& asset, size_t index, bool* stop)>& block) const {
    auto items = assets();
    bool stop = false;
    for (size_t i = 0; i < items.size() && !stop; ++i) block(items[i], i, &stop);
}

graphics::Image PhotoGroup::posterImage() const {
    auto items = assets();
    // The newest item that gives a thumbnail.
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        graphics::Image thumbnail = it->thumbnail();
        if (!thumbnail.isNull()) return thumbnail;
    }
    return {};
}

bool PhotoGroup::addAsset(const PhotoAsset& asset) const {
    if (!isEditable() || asset.core_->root != core_->root) return false;
    if (detail::accessFailure(core_->root)) return false;
    std::string source = asset.path();
    struct stat sourceInfo {};
    if (::stat(source.c_str(), &sourceInfo) != 0) return false;
    std::string folder = folderPath();
    std::string name = foundation::path::lastComponent(asset.identifier());
    // Already in the album: the same file under any name.
    for (const auto& listed : detail::listAssets(folder)) {
        struct stat info {};
        if (::stat(foundation::path::appending(folder, listed.name).c_str(), &info) == 0 &&
            info.st_dev == sourceInfo.st_dev && info.st_ino == sourceInfo.st_ino)
            return true;
    }
    // A second link keeps one copy of the pixels on disk; a file system that
    // cannot link gets a copy.
    std::string stem = foundation::path::deletingExtension(name);
    std::string ext = foundation::path::extension(name);
    for (int n = 1; n < 10000; ++n) {
        std::string candidate = n == 1 ? name : stem + "-" + std::to_string(n) + (ext.empty() ? "" : "." + ext);
        if (::link(source.c_str(), foundation::path::appending(folder, candidate).c_str()) == 0) return true;
        if (errno == EEXIST) continue;
        break;
    }
    return foundation::FileManager::defaultManager().copyItemUnderFreeName(source, folder, stem, ext, "-").ok();
}

}  // namespace library
