#include "app/widgets/categories/ALAssetsLibrary_CustomPhotoAlbum.h"

#include <memory>

namespace ALAssetsLibrary_CustomPhotoAlbum {

using library::PhotoAsset;
using library::PhotoGroup;
using library::PhotoLibrary;

namespace {

void report(const Completion& completion, std::optional<foundation::Error> error) {
    if (completion) completion(error);
}

// Looks the item up and puts it into the album; a vanished item or a refused
// add is reported, not passed off as success.
void addToGroup(const PhotoLibrary& library, const PhotoGroup& group, const std::string& assetURL,
                const Completion& completion) {
    library.assetForURL(
        assetURL,
        [group, completion](const std::optional<PhotoAsset>& asset) {
            if (!asset) {
                report(completion, foundation::Error(library::kAssetsLibraryErrorDomain,
                                                     library::kAssetsLibraryDataUnavailableError,
                                                     "The item to put into the album was not found."));
                return;
            }
            if (!group.addAsset(*asset)) {
                report(completion,
                       foundation::Error(library::kAssetsLibraryErrorDomain, library::kAssetsLibraryWriteFailedError,
                                         "The item could not be put into the album."));
                return;
            }
            report(completion, std::nullopt);
        },
        [completion](const foundation::Error& error) { report(completion, error); });
}

// `createWhenMissing` is cleared for the second look after a creation found
// the album already there (made meanwhile by another save), so that the two
// can never chase each other.
void addToNamedAlbum(const PhotoLibrary& library, const std::string& assetURL, const std::string& albumName,
                     const Completion& completion, bool createWhenMissing) {
    auto found = std::make_shared<bool>(false);
    library.enumerateGroups(
        library::kAssetsGroupAlbum,
        [library, assetURL, albumName, completion, found, createWhenMissing](const std::optional<PhotoGroup>& group,
                                                                             bool*) {
            if (group) {
                if (group->name() == albumName) {
                    *found = true;
                    addToGroup(library, *group, assetURL, completion);
                }
                return;
            }
            if (*found) return;
            if (!createWhenMissing) {
                report(completion,
                       foundation::Error(library::kAssetsLibraryErrorDomain, library::kAssetsLibraryWriteFailedError,
                                         "The album could not be created."));
                return;
            }
            library.addAssetsGroupAlbum(
                albumName,
                [library, assetURL, albumName, completion](const std::optional<PhotoGroup>& created) {
                    if (created) {
                        addToGroup(library, *created, assetURL, completion);
                    } else {
                        addToNamedAlbum(library, assetURL, albumName, completion, false);
                    }
                },
                [completion](const foundation::Error& error) { report(completion, error); });
        },
        [completion](const foundation::Error& error) { report(completion, error); });
}

}  // namespace

void saveImage(const PhotoLibrary& library, const graphics::Image& image, const std::string& albumName,
               Completion completion) {
    library.writeImageToSavedPhotosAlbum(
        image.withOrientation(graphics::ImageOrientation::Up), image.orientation(),
        [library, albumName, completion](const std::string& assetURL, const std::optional<foundation::Error>& error) {
            if (error) {
                report(completion, error);
                return;
            }
            addAssetURL(library, assetURL, albumName, completion);
        });
}

void addAssetURL(const PhotoLibrary& library, const std::string& assetURL, const std::string& albumName,
                 Completion completion) {
    addToNamedAlbum(library, assetURL, albumName, completion, true);
}

}  // namespace ALAssetsLibrary_CustomPhotoAlbum
