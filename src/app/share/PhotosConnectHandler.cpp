#include "app/share/PhotosConnectHandler.h"

#include "app/core/BundleImage.h"
#include "app/core/ConfigurationUtil.h"
#include "app/widgets/categories/ALAssetsLibrary_CustomPhotoAlbum.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"

PhotosConnectHandler::PhotosConnectHandler(std::optional<library::PhotoLibrary> library)
    : library_(library ? std::move(*library) : library::PhotoLibrary()) {}

std::string PhotosConnectHandler::activityTitle() const { return foundation::localized("Photos"); }

graphics::Image PhotosConnectHandler::activityImage() const {
    return bundleImageNamed(kIconName).value_or(graphics::Image());
}

std::vector<std::string> PhotosConnectHandler::getSupportedUTIs() const { return {kUTTypeQuickTimeMovie}; }

std::string PhotosConnectHandler::albumName() {
    return ConfigurationUtil::getLocalizedAppName().value_or(foundation::Bundle::main().displayName());
}

std::string PhotosConnectHandler::uploadingText() const { return foundation::localized("Saving to your photos…"); }

std::string PhotosConnectHandler::successText() const {
    return foundation::localizedFormat("Your movie was saved to the album \"%@\".", {albumName()});
}

void PhotosConnectHandler::uploadFile(const std::string& path, const std::string&, const std::string&,
                                      const std::string&) {
    std::weak_ptr<ConnectHandler> weak = weak_from_this();
    auto report = [weak](const std::optional<foundation::Error>& error) {
        auto self = weak.lock();
        if (!self || !self->delegate()) return;
        if (error) {
            self->delegate()->connectHandlerDidFailUpload(*self, *error);
        } else {
            self->delegate()->connectHandlerUploadProgress(*self, 1.0);
            self->delegate()->connectHandlerDidFinishUpload(*self);
        }
    };
    library::PhotoLibrary library = library_;
    library_.writeVideoAtPathToSavedPhotosAlbum(
        path,
        [library, report](const std::string& assetURL, const std::optional<foundation::Error>& error) {
            if (error) {
                report(error);
                return;
            }
            ALAssetsLibrary_CustomPhotoAlbum::addAssetURL(library, assetURL, albumName(), report);
        },
        // Render outputs are replaced by renaming, never rewritten in place:
        // the library may keep the movie as a link instead of a copy.
        true);
}
