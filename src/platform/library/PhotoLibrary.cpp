#include "platform/library/PhotoLibrary.h"

#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/library/PhotoLibraryFiles.h"
#include "platform/media/AssetImageGenerator.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace library {

using detail::PhotoLibraryCore;

namespace {

std::atomic<bool> accessDenied{false};

std::mutex providerLock;
PhotoLibrary::VideoFrameProvider videoFrameProvider;

void onMain(std::function<void()> block) { foundation::DispatchQueue::main().async(std::move(block)); }

// Calls the caller's block, when there is one, on the main thread.
template <class Block, class... Arguments>
void answerOnMain(const Block& block, Arguments... arguments) {
    onMain([block, ... arguments = std::move(arguments)] {
        if (block) block(arguments...);
    });
}

foundation::Error writeError(const foundation::Error& cause) {
    if (foundation::isOutOfSpaceError(cause))
        return foundation::Error(kAssetsLibraryErrorDomain, kAssetsLibraryWriteDiskSpaceError,
                                 "There is not enough space to save the item.",
                                 std::make_shared<foundation::Error>(cause));
    return foundation::Error(kAssetsLibraryErrorDomain, kAssetsLibraryWriteFailedError, "The item could not be saved.",
                             std::make_shared<foundation::Error>(cause));
}

foundation::Error invalidAlbumNameError() {
    return detail::libraryError(kAssetsLibraryWriteInvalidDataError,
                                "An album name cannot be empty, begin with a dot or hold a slash.");
}

std::string uppercaseExtension(const std::string& path) {
    std::string ext = foundation::path::extension(path);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return ext;
}

}  // namespace

PhotoLibrary::PhotoLibrary() : PhotoLibrary(defaultRootDirectory()) {}

PhotoLibrary::PhotoLibrary(std::string rootDirectory) : core_(std::make_shared<PhotoLibraryCore>()) {
    core_->root = std::move(rootDirectory);
}

std::string PhotoLibrary::defaultRootDirectory() {
    // Tests move every application folder below one temporary root; the
    // pictures go there too ("<root>/pictures"), never into the user's own.
    return foundation::Paths::userDirectory("PICTURES", "Pictures");
}

const std::string& PhotoLibrary::rootDirectory() const { return core_->root; }

void PhotoLibrary::setAccessDenied(bool denied) { accessDenied = denied; }

bool PhotoLibrary::isAccessDenied() { return accessDenied; }

void PhotoLibrary::setVideoFrameProvider(VideoFrameProvider provider) {
    std::lock_guard guard(providerLock);
    videoFrameProvider = std::move(provider);
}

graphics::Image detail::videoFrame(const std::string& moviePath) {
    PhotoLibrary::VideoFrameProvider provider;
    {
        std::lock_guard guard(providerLock);
        provider = videoFrameProvider;
    }
    // Without a provider of its own the library takes the movie's first
    // picture, large enough for a square thumbnail of any shape.
    return provider ? provider(moviePath) : media::posterImageOfMovie(moviePath, {640, 640});
}

void PhotoLibrary::enumerateGroups(uint32_t types, GroupsBlock block, FailureBlock failure) const {
    auto core = core_;
    core->queue.async([core, types, block = std::move(block), failure = std::move(failure)] {
        if (auto denied = detail::accessFailure(core->root)) return answerOnMain(failure, *denied);
        std::vector<PhotoGroup> groups;
        if (types & kAssetsGroupSavedPhotos)
            groups.push_back(PhotoGroup(core, "", kSavedPhotosGroupName, kAssetsGroupSavedPhotos));
        if (types & kAssetsGroupAlbum) {
            for (auto& folder : detail::listAlbumFolders(core->root))
                groups.push_back(PhotoGroup(core, folder, folder, kAssetsGroupAlbum));
        }
        onMain([groups = std::move(groups), block] {
            if (!block) return;
            bool stop = false;
            for (const auto& group : groups) {
                block(group, &stop);
                if (stop) return;
            }
            block(std::nullopt, &stop);
        });
    });
}

void PhotoLibrary::writeImageToSavedPhotosAlbum(const graphics::Image& image, graphics::ImageOrientation orientation,
                                                WriteCompletion completion) const {
    auto core = core_;
    core->queue.async([core, image, orientation, completion = std::move(completion)] {
        auto finish = [&completion](std::string url, std::optional<foundation::Error> error) {
            answerOnMain(completion, std::move(url), std::move(error));
        };
        if (auto denied = detail::accessFailure(core->root)) return finish({}, denied);
        if (image.isNull())
            return finish({}, detail::libraryError(kAssetsLibraryWriteInvalidDataError, "The picture is empty."));
        // Stored upright, so that every viewer shows it the right way up.
        auto jpeg = image.withOrientation(orientation).jpegData(0.9);
        if (!jpeg)
            return finish({}, detail::libraryError(kAssetsLibraryWriteInvalidDataError, jpeg.error().description));
        auto name = detail::publishNewFile(core->root, "IMG_", ".JPG", [&](int fd) -> foundation::Status {
            if (!foundation::writeAll(fd, jpeg->data(), jpeg->size())) return foundation::Error::posix(errno, "write");
            return {};
        });
        if (!name) return finish({}, writeError(name.error()));
        finish(detail::assetURLFor(*name), std::nullopt);
    });
}

void PhotoLibrary::writeVideoAtPathToSavedPhotosAlbum(const std::string& path, WriteCompletion completion) const {
    writeVideo(path, "", std::move(completion));
}

void PhotoLibrary::writeVideoAtPathToAlbum(const std::string& path, const std::string& albumName,
                                           WriteCompletion completion) const {
    if (!detail::isValidAlbumName(albumName)) {
        answerOnMain(completion, std::string(), std::optional<foundation::Error>(invalidAlbumNameError()));
        return;
    }
    writeVideo(path, albumName, std::move(completion));
}

void PhotoLibrary::writeVideo(const std::string& path, const std::string& folder, WriteCompletion completion) const {
    auto core = core_;
    core->queue.async([core, path, folder, completion = std::move(completion)] {
        auto finish = [&completion](std::string url, std::optional<foundation::Error> error) {
            answerOnMain(completion, std::move(url), std::move(error));
        };
        if (auto denied = detail::accessFailure(core->root)) return finish({}, denied);
        if (detail::assetTypeForName(foundation::path::lastComponent(path)) != AssetType::Video ||
            !detail::movieDuration(path))
            return finish({}, detail::libraryError(kAssetsLibraryWriteIncompatibleDataError,
                                                   "The file is not a movie that the library can keep."));
        std::string extension = "." + uppercaseExtension(path);
        auto name = detail::publishNewFile(core->absolute(folder), "IMG_", extension, [&](int fd) -> foundation::Status {
            auto in = foundation::FileDescriptor::open(path, O_RDONLY);
            if (!in) return foundation::Error::posix(errno, path);
            foundation::Status status;
            if (auto failure = foundation::copyFileData(in.get(), fd)) {
                status = foundation::Error::posix(
                    failure->errnoValue, failure->side == foundation::StreamFailure::Side::Reading ? path : "write");
            }
            return status;
        });
        if (!name) return finish({}, writeError(name.error()));
        finish(detail::assetURLFor(foundation::path::appending(folder, *name)), std::nullopt);
    });
}

void PhotoLibrary::assetForURL(const std::string& url, AssetBlock result, FailureBlock failure) const {
    auto core = core_;
    core->queue.async([core, url, result = std::move(result), failure = std::move(failure)] {
        if (auto denied = detail::accessFailure(core->root)) return answerOnMain(failure, *denied);
        std::optional<PhotoAsset> asset;
        if (auto relative = detail::relativePathFromAssetURL(url)) {
            auto type = detail::assetTypeForName(foundation::path::lastComponent(*relative));
            struct stat info {};
            if (type && ::stat(core->absolute(*relative).c_str(), &info) == 0 && S_ISREG(info.st_mode))
                asset = PhotoAsset(core, *relative, *type);
        }
        answerOnMain(result, std::move(asset));
    });
}

void PhotoLibrary::addAssetsGroupAlbum(const std::string& name, GroupBlock result, FailureBlock failure) const {
    auto core = core_;
    core->queue.async([core, name, result = std::move(result), failure = std::move(failure)] {
        auto fail = [&failure](foundation::Error error) { answerOnMain(failure, std::move(error)); };
        if (auto denied = detail::accessFailure(core->root)) return fail(*denied);
        // An album is a folder, so its name must be one.
        if (!detail::isValidAlbumName(name)) return fail(invalidAlbumNameError());
        if (auto made = foundation::FileManager::defaultManager().createDirectory(core->root, true); !made)
            return fail(writeError(made.error()));
        std::optional<PhotoGroup> group;
        if (::mkdir(core->absolute(name).c_str(), 0755) == 0) {
            group = PhotoGroup(core, name, name, kAssetsGroupAlbum);
        } else if (errno != EEXIST) {
            return fail(writeError(foundation::fileSystemError(errno, core->absolute(name), true)));
        }
        answerOnMain(result, std::move(group));
    });
}

}  // namespace library
