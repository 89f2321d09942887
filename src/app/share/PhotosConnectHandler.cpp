#include "app/share/PhotosConnectHandler.h"

#include "app/core/BundleImage.h"
#include "app/share/ShareConfiguration.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"

PhotosConnectHandler::PhotosConnectHandler(std::optional<library::PhotoLibrary> library)
    : library_(library ? std::move(*library) : library::PhotoLibrary()) {}

std::string PhotosConnectHandler::activityTitle() const { return foundation::localized("Photos"); }

graphics::Image PhotosConnectHandler::activityImage() const {
    return bundleImageNamed(kIconName).value_or(graphics::Image());
}

std::vector<std::string> PhotosConnectHandler::getSupportedUTIs() const { return {kUTTypeQuickTimeMovie}; }

std::string PhotosConnectHandler::albumName() { return shareApplicationName(); }

std::string PhotosConnectHandler::uploadingText() const { return foundation::localized("Saving to your photos…"); }

std::string PhotosConnectHandler::successText() const {
    return foundation::localizedFormat("Your movie was saved to the album \"%@\".", {albumName()});
}

void PhotosConnectHandler::uploadFile(const std::string& path, const std::string&, const std::string&,
                                      const std::string&) {
    // One file, in the album only, of its own: the render cache may be
    // rewritten or wiped while the user keeps the movie.
    std::weak_ptr<ConnectHandler> weak = weak_from_this();
    library_.writeVideoAtPathToAlbum(
        path, albumName(), [weak](const std::string&, const std::optional<foundation::Error>& error) {
            auto self = weak.lock();
            if (!self || !self->delegate()) return;
            if (error) {
                self->delegate()->connectHandlerDidFailUpload(*self, *error);
            } else {
                self->delegate()->connectHandlerUploadProgress(*self, 1.0);
                self->delegate()->connectHandlerDidFinishUpload(*self);
            }
        });
}
